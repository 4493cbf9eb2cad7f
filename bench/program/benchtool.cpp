// Timing helpers of the running-program benchmark (bench/program/program.sh): each prints
// milliseconds on the clock the program's log lines carry (%{time boot}, the monotonic
// clock), so times taken here and times logged there can be subtracted.
//   now                      the clock, in seconds
//   make screen|photo W H OUT.png
//   offer TYPE FILE DIR      xclip offers FILE; the time until a new .bmp is in DIR, its
//                            name, and the clock (seconds) at the offer and at the file
//   waitnew DIR              "ready", then the clock (seconds) when a new .bmp is in DIR
//   handover TYPE FILE       xclip offers FILE on PRIMARY; the time another client takes
//                            to read it
//   rawwrite FILE DIR        FILE's bytes written to DIR in one go and flushed to the disk
//   run PROGRAM ARGS...      the time a command takes (it must succeed)
//   stats                    numbers on standard input: "median (min–max)"
//   splice MARKDOWN SECTION  puts the section file into the markdown file in place of its own
#include "../benchutil.h"
#include "platform/FileSystem.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QSet>
#include <QTextStream>
#include <QThread>

#include <chrono>
#include <cstdio>

namespace {

// The monotonic clock, as Qt's log stamps it.
double clockMs() {
    return std::chrono::duration<double, std::milli>(
               std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

QSet<QString> bitmaps(const QString& dir) {
    const QStringList names = QDir(dir).entryList({QStringLiteral("*.bmp")}, QDir::Files);
    return QSet<QString>(names.begin(), names.end());
}

int fail(const char* what) {
    std::fprintf(stderr, "benchtool: %s\n", what);
    return 1;
}

// The program watches CLIPBOARD only: the hand-over limit is measured on PRIMARY, which costs
// the same transfer and is never taken in as one more capture.
void startOwner(QProcess& xclip, const QString& type, const QString& file,
                const QString& selection = QStringLiteral("clipboard")) {
    xclip.setProgram(QStringLiteral("xclip"));
    xclip.setArguments({QStringLiteral("-quiet"), QStringLiteral("-selection"), selection,
                        QStringLiteral("-t"), type, QStringLiteral("-i"), file});
    xclip.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    xclip.start();
}

void stopOwner(QProcess& xclip) {
    xclip.kill();
    xclip.waitForFinished(5000);
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const QStringList a = app.arguments().mid(1);
    const QString cmd = a.value(0);
    if (cmd == u"now") {
        std::printf("%.3f\n", clockMs() / 1000);
        return 0;
    }
    if (cmd == u"make" && a.size() == 5) {
        const int w = a[2].toInt(), h = a[3].toInt();
        const QImage img = a[1] == u"photo" ? bench::photoLike(w, h) : bench::screenLike(w, h);
        return img.save(a[4]) ? 0 : fail("could not write the picture");
    }
    if (cmd == u"offer" && a.size() == 4) {
        const QSet<QString> before = bitmaps(a[3]);
        QProcess xclip;
        const double t0 = clockMs();
        startOwner(xclip, a[1], a[2]);
        QElapsedTimer limit;
        limit.start();
        QSet<QString> now = before;
        while (now == before || !(now - before).size()) {
            if (limit.elapsed() > 60000) {
                stopOwner(xclip);
                return fail("no new bitmap within 60 s");
            }
            QThread::usleep(500);
            now = bitmaps(a[3]);
        }
        const double t1 = clockMs();
        stopOwner(xclip);
        std::printf("%.1f %s %.3f %.3f\n", t1 - t0, qPrintable(*(now - before).begin()), t0 / 1000,
                    t1 / 1000);
        return 0;
    }
    if (cmd == u"waitnew" && a.size() == 2) {
        const QSet<QString> before = bitmaps(a[1]);
        std::printf("ready\n");
        std::fflush(stdout);
        QElapsedTimer limit;
        limit.start();
        while (bitmaps(a[1]) == before) {
            if (limit.elapsed() > 60000)
                return fail("no new bitmap within 60 s");
            QThread::usleep(500);
        }
        std::printf("%.3f\n", clockMs() / 1000);
        return 0;
    }
    if (cmd == u"handover" && a.size() == 3) {
        QProcess xclip;
        startOwner(xclip, a[1], a[2], QStringLiteral("primary"));
        // Ready once it answers for its targets.
        for (int i = 0;; ++i) {
            QProcess targets;
            targets.start(QStringLiteral("xclip"),
                          {QStringLiteral("-o"), QStringLiteral("-selection"),
                           QStringLiteral("primary"), QStringLiteral("-t"),
                           QStringLiteral("TARGETS")});
            targets.waitForFinished(5000);
            if (targets.readAllStandardOutput().contains(a[1].toUtf8()))
                break;
            if (i > 200) {
                stopOwner(xclip);
                return fail("xclip did not take the clipboard");
            }
            QThread::msleep(20);
        }
        QProcess reader;
        const double t0 = clockMs();
        reader.start(QStringLiteral("xclip"),
                     {QStringLiteral("-o"), QStringLiteral("-selection"), QStringLiteral("primary"),
                      QStringLiteral("-t"), a[1]});
        qint64 got = 0;
        while (reader.state() != QProcess::NotRunning || reader.bytesAvailable()) {
            reader.waitForReadyRead(100);
            got += reader.readAllStandardOutput().size();
        }
        const double t1 = clockMs();
        stopOwner(xclip);
        if (got != QFile(a[2]).size())
            return fail("the hand-over was not whole");
        std::printf("%.1f\n", t1 - t0);
        return 0;
    }
    if (cmd == u"rawwrite" && a.size() == 3) {
        QFile in(a[1]);
        if (!in.open(QIODevice::ReadOnly))
            return fail("cannot read the file");
        const QByteArray bytes = in.readAll();
        const QString path = a[2] + QStringLiteral("/raw-write.bin");
        const double t0 = clockMs();
        QFile out(path);
        if (!out.open(QIODevice::WriteOnly) || out.write(bytes) != bytes.size() || !out.flush())
            return fail("cannot write");
        const bool synced = platform::syncFile(int(out.handle()), nullptr);
        out.close();
        const double t1 = clockMs();
        QFile::remove(path);
        if (!synced)
            return fail("cannot flush to the disk");
        std::printf("%.1f\n", t1 - t0);
        return 0;
    }
    if (cmd == u"run" && a.size() >= 2) {
        QProcess p;
        p.setProcessChannelMode(QProcess::ForwardedChannels);
        const double t0 = clockMs();
        p.start(a[1], a.mid(2));
        if (!p.waitForFinished(300000) || p.exitStatus() != QProcess::NormalExit ||
            p.exitCode() != 0)
            return fail("the command failed");
        std::printf("%.1f\n", clockMs() - t0);
        return 0;
    }
    if (cmd == u"stats") {
        std::vector<double> v;
        QTextStream in(stdin);
        for (QString w; !(w = in.readLine()).isNull();)
            for (const QString& n : w.split(u' ', Qt::SkipEmptyParts))
                v.push_back(n.toDouble());
        if (v.empty())
            return fail("no numbers");
        std::sort(v.begin(), v.end());
        std::printf("%.0f (%.0f–%.0f)\n", bench::median(v), v.front(), v.back());
        return 0;
    }
    if (cmd == u"splice" && a.size() == 3) {
        QFile f(a[2]);
        if (!f.open(QIODevice::ReadOnly))
            return fail("cannot read the section");
        return bench::spliceSection(a[1], QString::fromUtf8(f.readAll())) ? 0 : 1;
    }
    std::fprintf(stderr, "usage: see the top of benchtool.cpp\n");
    return 2;
}
