// Picture edits on 4K and 8K screenshots, each as one step of the picture document (the
// history keeps the picture before), against ImageMagick doing the same work in the same run.
#include "benchutil.h"
#include "core/DepthCaptions.h"
#include "imaging/Edits.h"
#include "imaging/PictureDocument.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTextStream>

#include <cstdio>
#include <functional>

namespace {

using imaging::ImageModel;

struct EditCase {
    const char* name;
    std::function<bool(ImageModel&)> edit;
    QStringList magick; // ImageMagick's arguments between input and output
};

// Resident peak of the process in KiB, since the last reset.
long peakResidentKiB() {
    QFile f(QStringLiteral("/proc/self/status"));
    if (!f.open(QIODevice::ReadOnly))
        return 0;
    for (const QByteArray& line : f.readAll().split('\n'))
        if (line.startsWith("VmHWM:"))
            return line.mid(6).trimmed().split(' ').value(0).toLong();
    return 0;
}

void resetPeakResident() {
    QFile f(QStringLiteral("/proc/self/clear_refs"));
    if (f.open(QIODevice::WriteOnly))
        f.write("5");
}

constexpr int kMagickLimitMs = 30000;

// Median milliseconds of a command run three times; a command that takes seconds runs once,
// and one that takes longer than the limit is stopped there (the limit is reported).
double timedCommand(const QString& program, const QStringList& args) {
    std::vector<double> times;
    for (int i = 0; i < 3 && (times.empty() || times.front() < 2000); ++i) {
        QElapsedTimer t;
        t.start();
        QProcess p;
        p.start(program, args);
        if (!p.waitForFinished(kMagickLimitMs)) {
            p.kill();
            p.waitForFinished();
            return kMagickLimitMs;
        }
        if (p.exitCode() != 0)
            return -1;
        times.push_back(double(t.nsecsElapsed()) / 1e6);
    }
    return bench::median(times);
}

std::vector<EditCase> editCases(int w, int h) {
    using namespace imaging;
    const QString x1 = QString::number(w / 4), y1 = QString::number(h / 4);
    const QString cw = QString::number(w / 2), ch = QString::number(h / 2);
    auto ranged = [](std::function<bool(ImageModel&)> f, Range r) {
        return [f, r](ImageModel& p) {
            p.range = r;
            return f(p);
        };
    };
    const Range quarter{w / 4, h / 4, w * 3 / 4 - 1, h * 3 / 4 - 1};
    auto depth = [](const char16_t* caption) {
        const int code = depthcaptions::codeOf(QString::fromUtf16(caption));
        return [code](ImageModel& p) { return convertToDepth(p, code); };
    };
    const QString region = cw + u'x' + ch + u'+' + x1 + u'+' + y1;
    return {
        {"crop (trim to range)", ranged(trimToRange, quarter), {QStringLiteral("-crop"), region}},
        {"fold out rows",
         ranged([](ImageModel& p) { return foldOutBand(p, FoldDirection::Rows); }, quarter),
         // ImageMagick's nearest: cut the band out of the middle
         {QStringLiteral("-chop"), QStringLiteral("0x") + ch + QStringLiteral("+0+") + y1}},
        {"mirror (flop)",
         [](ImageModel& p) { return rotate(p, Turn::MirrorLeftRight); },
         {QStringLiteral("-flop")}},
        {"flip",
         [](ImageModel& p) { return rotate(p, Turn::FlipTopBottom); },
         {QStringLiteral("-flip")}},
        {"rotate 90",
         [](ImageModel& p) { return rotate(p, Turn::Right90); },
         {QStringLiteral("-rotate"), QStringLiteral("90")}},
        {"rotate 180",
         [](ImageModel& p) { return rotate(p, Turn::Right180); },
         {QStringLiteral("-rotate"), QStringLiteral("180")}},
        {"resize to half",
         ranged([](ImageModel& p) { return reduceToRange(p, ReduceMode::RangeSize); },
                Range{1, 1, w / 2 + 1, h / 2 + 1}),
         {QStringLiteral("-resize"), cw + u'x' + ch + u'!'}},
        {"16 colours", depth(u"16色(4bit)"), {QStringLiteral("-colors"), QStringLiteral("16")}},
        {"16 greys",
         depth(u"ｸﾞﾚｰ(4bit)"),
         {QStringLiteral("-colorspace"), QStringLiteral("gray"), QStringLiteral("-colors"),
          QStringLiteral("16")}},
        {"256 colours", depth(u"256色(8bit)"), {QStringLiteral("-colors"), QStringLiteral("256")}},
        {"256 greys",
         depth(u"ｸﾞﾚｰ(8bit)"),
         {QStringLiteral("-colorspace"), QStringLiteral("gray")}},
        {"16 bit", depth(u"16bit"), {QStringLiteral("-depth"), QStringLiteral("5")}},
        {"24 bit", depth(u"24bit"), {QStringLiteral("-type"), QStringLiteral("TrueColor")}},
        {"emphasis (relative)",
         ranged([](ImageModel& p) { return emphasizeRange(p, Emphasis::Relative); }, quarter),
         {QStringLiteral("-region"), region, QStringLiteral("-evaluate"), QStringLiteral("add"),
          QStringLiteral("21.5%")}},
        {"emphasis (marker)",
         ranged([](ImageModel& p) { return emphasizeRange(p, Emphasis::Marker); }, quarter),
         {QStringLiteral("-region"), region, QStringLiteral("-channel"), QStringLiteral("B"),
          QStringLiteral("-evaluate"), QStringLiteral("set"), QStringLiteral("0")}},
    };
}

} // namespace

QString editSection() {
    const QString convert = QStandardPaths::findExecutable(QStringLiteral("convert"));
    QTemporaryDir dir(QDir::currentPath() + QStringLiteral("/bench-edit-XXXXXX"));
    QString table;
    QTextStream ts(&table);
    ts << "| picture | edit | Tolvik (median ms) | ImageMagick (median ms) | ImageMagick / Tolvik "
          "|\n|---|---|---|---|---|\n";
    long peakMiB = 0;
    int historySteps = 0;
    for (const QSize size : {QSize(3840, 2160), QSize(7680, 4320)}) {
        ImageModel source;
        source.setImage(bench::screenLike(size.width(), size.height()));
        // ImageMagick reads an ordinary bitmap; the cost of the read and of the null output is
        // taken off below.
        const QString in = dir.path() + QStringLiteral("/in.bmp");
        double magickBase = -1;
        if (!convert.isEmpty() && source.image().save(in))
            magickBase = timedCommand(convert, {in, QStringLiteral("null:")});
        const QString name =
            QString::number(size.width()) + QStringLiteral(" x ") + QString::number(size.height());
        for (const EditCase& c : editCases(size.width(), size.height())) {
            std::vector<double> times;
            for (int i = 0; i < 5; ++i) {
                imaging::PictureDocument doc;
                doc.replace(source);
                QElapsedTimer t;
                t.start();
                if (doc.edit(QString::fromLatin1(c.name), c.edit) != imaging::EditOutcome::Done)
                    return QStringLiteral("edit failed: ") + QString::fromLatin1(c.name) + u'\n';
                times.push_back(double(t.nsecsElapsed()) / 1e6);
            }
            const double ours = bench::median(times);
            double theirs = -1;
            if (magickBase >= 0) {
                QStringList args{in};
                args << c.magick << QStringLiteral("null:");
                theirs = timedCommand(convert, args);
                if (theirs >= 0)
                    theirs = std::max(theirs - magickBase, 0.0);
            }
            ts << "| " << name << " | " << c.name << " | " << QString::number(ours, 'f', 1) << " | "
               << (theirs >= 0 ? QString::number(theirs, 'f', 0) : QStringLiteral("-")) << " | "
               << (theirs >= 0 ? QString::number(theirs / ours, 'f', 1) : QStringLiteral("-"))
               << " |\n";
            std::printf("%s %s: %.1f ms, ImageMagick %.0f ms\n", qPrintable(name), c.name, ours,
                        theirs);
        }
        if (size.width() == 7680) {
            // A session of 8K edits with the history at its default bound.
            resetPeakResident();
            const long before = peakResidentKiB();
            imaging::PictureDocument doc;
            doc.replace(source);
            for (int i = 0; i < 12; ++i)
                doc.edit(QStringLiteral("turn"),
                         [](ImageModel& p) { return imaging::rotate(p, imaging::Turn::Right180); });
            historySteps = doc.history().count();
            peakMiB = (peakResidentKiB() - before) / 1024;
        }
    }
    QString s;
    QTextStream o(&s);
    o << "## Picture edits\n\n"
      << "Each edit as the window makes it: one step of the picture document, on a copy of a "
         "32-bit screenshot-like picture, the picture before kept in the edit history. Median "
         "of 5 runs. ImageMagick (`convert`) does the same work in the same run, reading "
         "a 24-bit bitmap file (`in.bmp ... null:`), median of 3 (one run where it takes "
         "seconds; stopped after 30 s, shown as \"> \"), with the time of "
         "`convert in.bmp null:` taken off, so its figures are its work alone. Where the two "
         "differ in what they do: the fold is ImageMagick's `-chop` of the same band, the "
         "16-bit step its `-depth 5`, and the marker its `-region` with the blue channel set "
         "to 0. Made by `build/bin/tolvik_bench docs/benchmarks.md`.\n\n"
      << table
      << "\nPeak memory: twelve 8K edits in a row (each a half turn), the history at its "
         "default bound of 768 MB, raise the resident peak of the process by "
      << peakMiB << " MB; the history then holds " << historySteps
      << " steps and the oldest are dropped as new ones come.\n\n"
      << "An 8K edit writes 133 MB of fresh memory, which the kernel clears page by page; the "
         "running program, timed from key to screen, is in the section Edits in the running "
         "program.\n\n"
      << "Pictures of 24 MB and more (a 4K capture is 33 MB) are edited on the document's "
         "worker thread, so the window keeps painting while an 8K edit runs.\n\n";
    return s;
}
