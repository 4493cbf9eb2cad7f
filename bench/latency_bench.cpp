// Capture latency: from the bytes a clipboard owner offers (PNG or BMP) to the complete
// stored file, against ImageMagick's convert doing the same conversion from a file.
#include "benchutil.h"
#include "mainwindow/fmMain.h"
#include "workspace/Workspace.h"

#include <QBuffer>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>
#include <QTextStream>

namespace {

QByteArray encoded(const QImage& img, const char* format) {
    QByteArray bytes;
    QBuffer buf(&bytes);
    buf.open(QIODevice::WriteOnly);
    img.save(&buf, format);
    return bytes;
}

double oursMs(fmMain& w, const QByteArray& type, const QByteArray& bytes, int run) {
    platform::ClipboardSnapshot offer;
    offer.pictureFormat = type;
    offer.pictureBytes = bytes;
    // Each run a new capture: the same offer twice would be stored once.
    offer.pointer.pos = QPoint(run * 7, 5);
    offer.pointer.image = QImage(8, 8, QImage::Format_ARGB32);
    offer.pointer.image.fill(qRgba(run * 20, 0, 0, 255));
    const QString before = w.workspace().session.currentFile();
    QElapsedTimer t;
    t.start();
    w.workspace().folder.captureOffered(offer);
    w.workspace().folder.finishIntakes();
    const double ms = double(t.nsecsElapsed()) / 1e6;
    if (w.workspace().session.currentFile() == before) {
        std::fprintf(stderr, "latency: the offer was not stored\n");
        return -1;
    }
    QFile::remove(w.workspace().session.currentFile());
    return ms;
}

QString convertProgram() {
    // Debian's, as scripts/deps.sh installs it.
    if (QFileInfo::exists(QStringLiteral("/usr/bin/convert")))
        return QStringLiteral("/usr/bin/convert");
    return QStandardPaths::findExecutable(QStringLiteral("convert"));
}

double convertMs(const QString& program, const QString& in, const QString& out) {
    QProcess p;
    QElapsedTimer t;
    t.start();
    p.start(program, {in, out});
    p.waitForFinished(120000);
    const double ms = double(t.nsecsElapsed()) / 1e6;
    QFile::remove(out);
    return p.exitCode() == 0 ? ms : -1;
}

} // namespace

QString latencySection(fmMain& w, const QString& tempDir) {
    const QString convert = convertProgram();
    struct Size {
        int w, h;
        const char* name;
    };
    const Size sizes[] = {
        {1920, 1080, "1920 x 1080"}, {3840, 2160, "3840 x 2160"}, {7680, 4320, "7680 x 4320"}};
    QString table;
    QTextStream ts(&table);
    ts << "| picture | PNG offered (ms) | BMP offered (ms) | convert in.png out.bmp (ms) | PNG "
          "against convert |\n|---|---|---|---|---|\n";
    for (const Size& s : sizes) {
        QImage picture = bench::screenLike(s.w, s.h);
        const QString in = tempDir + QStringLiteral("/in.png");
        std::vector<double> a, b, c;
        for (int run = 0; run < 3; ++run) {
            // Each offer a new capture: the same picture twice would be stored once.
            picture.setPixel(2 * run, 0, qRgb(run, 1, 2));
            const QByteArray png = encoded(picture, "PNG");
            picture.setPixel(2 * run + 1, 0, qRgb(run, 3, 4));
            const QByteArray bmp = encoded(picture, "BMP");
            QFile f(in);
            f.open(QIODevice::WriteOnly);
            f.write(png);
            f.close();
            a.push_back(oursMs(w, "image/png", png, 2 * run));
            b.push_back(oursMs(w, "image/bmp", bmp, 2 * run + 1));
            if (!convert.isEmpty())
                c.push_back(convertMs(convert, in, tempDir + QStringLiteral("/out.bmp")));
        }
        const double pa = bench::median(a), pb = bench::median(b);
        const double pc = c.empty() ? -1 : bench::median(c);
        ts << "| " << s.name << " | " << QString::number(pa, 'f', 0) << " | "
           << QString::number(pb, 'f', 0) << " | "
           << (pc > 0 ? QString::number(pc, 'f', 0) : QStringLiteral("(not installed)")) << " | "
           << (pc > 0 ? QString::number(pa / pc, 'f', 2) : QStringLiteral("-")) << " |\n";
        std::printf("latency %s: png %.0f ms, bmp %.0f ms, convert %.0f ms\n", s.name, pa, pb, pc);
    }
    QString out;
    QTextStream o(&out);
    o << "## Capture latency\n\n"
      << "From the bytes a clipboard owner offers to the complete stored bitmap: decoded on the "
         "storing thread, pointer drawn in, written, flushed to the disk and renamed, and the "
         "outcome shown; against ImageMagick's `convert in.png out.bmp` of the same PNG (which "
         "reads it from a file and does not flush to the disk). Median of 3 runs. The transfer "
         "over the X selection is not in these figures; the reader thread does it while the "
         "previous capture is stored.\n\n"
      << table << "\n";
    return out;
}
