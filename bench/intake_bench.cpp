// Intake of a screen capture, from the picture on the clipboard to the stored bitmap,
// against writing the same bytes to the same folder. Writes docs/benchmarks.md.
#include "benchutil.h"
#include "core/Messages.h"
#include "imaging/ImageModel.h"
#include "mainwindow/fmMain.h"
#include "platform/FileSystem.h"
#include "platform/null/NullDesktop.h"
#include "workspace/Workspace.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <QTextStream>

#include <sys/resource.h>

#include <algorithm>
#include <cstdio>
#include <vector>

namespace {
class SilentMessages : public MessageSink {
public:
    Answer ask(const QString&, Buttons = Buttons::Ok) override { return Answer::Ok; }
    void notice(const QString& t) override { std::fprintf(stderr, "%s\n", qPrintable(t)); }
};

long peakKiB() {
    rusage u{};
    getrusage(RUSAGE_SELF, &u);
    return u.ru_maxrss;
}
} // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    imaging::raiseImageAllocationLimit();
    const QString out =
        argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral("benchmarks.md");
    // A second argument (edits, colour, files) names one section to measure again, the others
    // left as they are.
    if (argc > 2) {
        const QString only = QString::fromLocal8Bit(argv[2]);
        if (only == QStringLiteral("edits"))
            return bench::spliceSection(out, editSection()) ? 0 : 1;
        if (only == QStringLiteral("colour"))
            return bench::spliceSection(out, colourSection()) ? 0 : 1;
        if (only == QStringLiteral("files"))
            return bench::spliceSection(out, pictureFilesSection(QDir::currentPath())) ? 0 : 1;
        std::fprintf(stderr, "unknown section: %s\n", argv[2]);
        return 2;
    }
    const int runs = 7;
    struct Size {
        int w, h;
        const char* name;
    };
    const Size sizes[] = {
        {1920, 1080, "1920 x 1080"}, {3840, 2160, "3840 x 2160"}, {7680, 4320, "7680 x 4320"}};

    QTemporaryDir data(QDir::currentPath() + QStringLiteral("/bench-XXXXXX"));
    QDir().mkpath(data.path() + QStringLiteral("/Temp"));
    platform::NullDesktop desktop;
    desktop.caps = {true, true, true};
    SilentMessages messages;
    fmMain w(desktop, messages, data.path() + u'/');
    w.Form_Load();
    QImage cursor(32, 32, QImage::Format_ARGB32);
    cursor.fill(qRgba(0, 0, 0, 200));

    QString table;
    QTextStream ts(&table);
    ts << "| picture | file size | intake (median ms) | raw write (median ms) | ratio |\n";
    ts << "|---|---|---|---|---|\n";
    for (const Size& s : sizes) {
        desktop.screenSize = QSize(s.w, s.h);
        const QImage picture = bench::screenLike(s.w, s.h);
        std::vector<double> intake, raw;
        qint64 fileSize = 0;
        for (int i = 0; i < runs; ++i) {
            // As the clipboard hands it over: a picture of its own, not shared.
            QImage fresh = picture.copy();
            fresh.setPixel(i, 0, qRgb(i, 255 - i, 7)); // each run a new capture
            platform::ClipboardSnapshot offer;
            offer.picture = std::move(fresh);
            offer.pointer = {cursor, QPoint(100, 100)};
            QElapsedTimer t;
            t.start();
            w.workspace().folder.captureOffered(offer);
            offer = {}; // as the clipboard hands it over: the intake's alone
            w.workspace()
                .folder.finishIntakes(); // stored on the storing thread, outcome shown here
            intake.push_back(t.nsecsElapsed() / 1e6);
            QFile stored(w.workspace().session.currentFile());
            if (!stored.open(QIODevice::ReadOnly))
                return 1;
            const QByteArray bytes = stored.readAll();
            fileSize = bytes.size();
            stored.close();
            QFile::remove(w.workspace().session.currentFile());
            const QString rawPath = data.path() + QStringLiteral("/Temp/raw.bin");
            t.restart();
            QFile f(rawPath);
            if (!f.open(QIODevice::WriteOnly) || f.write(bytes) != bytes.size())
                return 1;
            platform::syncFile(int(f.handle()), nullptr); // as the intake does
            f.close();
            raw.push_back(t.nsecsElapsed() / 1e6);
            QFile::remove(rawPath);
        }
        const double a = bench::median(intake), b = bench::median(raw);
        ts << "| " << s.name << " | " << QString::number(fileSize / 1e6, 'f', 1) << " MB | "
           << QString::number(a, 'f', 1) << " | " << QString::number(b, 'f', 1) << " | "
           << QString::number(a / b, 'f', 2) << " |\n";
        std::printf("%s: intake %.1f ms, raw %.1f ms\n", s.name, a, b);
    }
    const long intakePeak = peakKiB();
    const QString folderList = folderListSection();
    QFile md(out);
    if (!md.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return 1;
    QTextStream o(&md);
    o << "# Benchmarks\n\n"
      << "## Capture intake\n\n"
      << "From a picture as the clipboard hands it over already decoded (in memory, 32-bit) to "
         "the stored 24-bit bitmap in the work folder, inside one process, "
         "through the storing thread and back "
         "(pointer drawn in, resolution set, written to a temporary name, flushed to the disk "
         "and renamed, the folder flushed), "
         "against writing the same file bytes to the same folder in one write and flushing "
         "them to the disk. Median of "
      << runs
      << " runs each, page cache warm, fsync in both. Made by `build/bin/tolvik_bench "
         "docs/benchmarks.md`.\n\n"
      << table
      << "\nThe rows go to the file in blocks of about a megabyte, each row brought from 32 to "
         "24 bits on the way. Above the raw write: that conversion, drawing the pointer, the "
         "hand-over to the storing thread and back, the temporary file, its rename and the "
         "flush of the folder. The user-interface thread only queues the job and shows the "
         "outcome. Captures as the running program takes them, from an offer over the X "
         "clipboard, are in the sections made by `bench/program/program.sh`.\n"
      << "\nPeak resident memory of this part of the run: " << intakePeak / 1024
      << " MB (the 8K picture is 133 MB; the benchmark itself keeps its source picture, "
         "the copy handed to the intake and the file bytes read back for the raw write).\n\n"
      << folderList << editSection() << colourSection() << pictureFilesSection(data.path());
    return 0;
}
