// Picture files: opening and saving an 8K screenshot-like picture in each format by our
// code, against ImageMagick's convert doing the same from the same files.
#include "benchutil.h"
#include "imaging/PictureFiles.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTextStream>

#include <cstdio>
#include <cstring>

namespace {

// Flat window areas, text-like strokes and a gradient, the same at every run.
QImage screenshot(int w, int h) {
    QImage img(w, h, QImage::Format_RGB888);
    img.fill(qRgb(240, 240, 240));
    quint32 seed = 12345;
    auto next = [&seed] { return seed = seed * 1664525u + 1013904223u; };
    for (int y = 0; y < h; ++y) {
        uchar* row = img.scanLine(y);
        for (int x = 0; x < w; ++x) {
            uchar* p = row + 3 * x;
            if (y < 40) { // title bar
                p[0] = 30, p[1] = 60, p[2] = 140;
            } else if (x > w * 2 / 3) { // picture area: a gradient
                p[0] = uchar(x * 255 / w), p[1] = uchar(y * 255 / h), p[2] = uchar((x + y) & 255);
            } else if ((y / 24) % 2 == 0 && (x / 400) % 2 == 0) {
                p[0] = p[1] = p[2] = 255; // white panels
            }
        }
    }
    // Lines of text: glyph-sized clusters of dark strokes.
    for (int line = 60; line + 16 < h; line += 24)
        for (int x = 20; x + 10 < w * 2 / 3; x += 9) {
            if (next() % 7 == 0)
                continue; // a space
            const quint32 shape = next();
            for (int gy = 0; gy < 14; ++gy)
                for (int gx = 0; gx < 7; ++gx)
                    if ((shape >> ((gy * 7 + gx) % 31)) & 1 && (gx == 0 || gy % 4 == 0 || gx == 6))
                        std::memset(img.scanLine(line + gy) + 3 * (x + gx), 20, 3);
        }
    return img;
}

QString convertProgram() {
    if (QFileInfo::exists(QStringLiteral("/usr/bin/convert")))
        return QStringLiteral("/usr/bin/convert");
    return QStandardPaths::findExecutable(QStringLiteral("convert"));
}

double convertMs(const QString& program, const QStringList& args) {
    QProcess p;
    QElapsedTimer t;
    t.start();
    p.start(program, args);
    if (!p.waitForFinished(600000) || p.exitCode() != 0)
        return -1;
    return double(t.nsecsElapsed()) / 1e6;
}

QString ms(double v) {
    return v < 0 ? QStringLiteral("–") : QString::number(v, 'f', 0);
}
QString ratio(double ours, double theirs) {
    return ours <= 0 || theirs <= 0 ? QStringLiteral("–") : QString::number(theirs / ours, 'f', 1);
}

} // namespace

QString pictureFilesSection(const QString& tempDir) {
    const int w = 7680, h = 4320, runs = 3;
    const QImage picture = screenshot(w, h);
    QTemporaryDir dir(tempDir + QStringLiteral("/files-XXXXXX"));
    const QString program = convertProgram();
    const QString source = dir.filePath(QStringLiteral("source.bmp"));
    imaging::savePicture(source, picture, 24);

    QString table;
    QTextStream ts(&table);
    ts << "| format | file size | save (ms) | convert in.bmp out (ms) | save ×faster | open (ms) | "
          "convert in null: (ms) | open ×faster |\n";
    ts << "|---|---|---|---|---|---|---|---|\n";
    for (const char* ext : {"bmp", "png", "jpg", "tif", "gif", "pcx", "jp2"}) {
        const QString path = dir.filePath(QStringLiteral("ours.") + QLatin1String(ext));
        const QString theirs = dir.filePath(QStringLiteral("theirs.") + QLatin1String(ext));
        std::vector<double> save, open, cSave, cOpen;
        qint64 size = 0;
        for (int i = 0; i < runs; ++i) {
            QElapsedTimer t;
            t.start();
            const imaging::SaveResult r = imaging::savePicture(path, picture, 24);
            save.push_back(double(t.nsecsElapsed()) / 1e6);
            if (!r.ok) {
                std::fprintf(stderr, "files: %s: %s\n", ext, qPrintable(r.error));
                return {};
            }
            size = QFileInfo(path).size();
            t.restart();
            const imaging::LoadedPicture back = imaging::loadPicture(path);
            open.push_back(double(t.nsecsElapsed()) / 1e6);
            if (!back.ok)
                return {};
            if (!program.isEmpty()) {
                cSave.push_back(convertMs(program, {source, theirs}));
                cOpen.push_back(convertMs(program, {path, QStringLiteral("null:")}));
                QFile::remove(theirs);
            }
        }
        const double s = bench::median(save), o = bench::median(open);
        const double cs = cSave.empty() ? -1 : bench::median(cSave);
        const double co = cOpen.empty() ? -1 : bench::median(cOpen);
        ts << "| " << QString::fromLatin1(ext).toUpper() << " | "
           << QString::number(size / 1e6, 'f', 1) << " MB | " << ms(s) << " | " << ms(cs) << " | "
           << ratio(s, cs) << " | " << ms(o) << " | " << ms(co) << " | " << ratio(o, co) << " |\n";
        std::printf("%s: save %.0f ms (convert %.0f), open %.0f ms (convert %.0f)\n", ext, s, cs, o,
                    co);
        QFile::remove(path);
    }
    return QStringLiteral("## Picture files\n\n"
                          "A 7680 x 4320 24-bit screenshot-like picture (flat areas, text-like "
                          "strokes, a gradient) saved from memory and opened again by our code, "
                          "against ImageMagick's `convert` in the same run: `convert source.bmp "
                          "out.<ext>` for saving and `convert file null:` for opening. Our saves "
                          "include writing to a temporary name, flushing to the disk and the "
                          "rename; convert neither flushes nor replaces. GIF is reduced to 256 "
                          "colours first by both. Ours: JPEG quality 80, PNG zlib level 1 with the "
                          "up filter, TIFF LZW, JPEG 2000 lossless (as convert's default). "
                          "Median of ") +
           QString::number(runs) +
           QStringLiteral(" runs. Made by `build/bin/tolvik_bench "
                          "docs/benchmarks.md files`, which replaces only this section.\n\n") +
           table + u'\n';
}
