// Colour reduction: how close each depth code's picture stays to the capture (PSNR), beside
// ImageMagick's convert given the same picture, and what our conversion costs.
#include "benchutil.h"
#include "imaging/ColourReduction.h"
#include "imaging/DepthCode.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QTextStream>

#include <cmath>
#include <cstdio>
#include <vector>

namespace {

// Rec. 709 luma of the sRGB values, the reference of the grey codes for both tools.
QImage lumaOf(const QImage& rgb) {
    QImage out(rgb.size(), QImage::Format_Grayscale8);
    for (int y = 0; y < rgb.height(); ++y) {
        const auto* s = reinterpret_cast<const QRgb*>(rgb.constScanLine(y));
        uchar* d = out.scanLine(y);
        for (int x = 0; x < rgb.width(); ++x)
            d[x] = uchar(
                std::lround(0.2126 * qRed(s[x]) + 0.7152 * qGreen(s[x]) + 0.0722 * qBlue(s[x])));
    }
    return out;
}

// Over the three channels; a grey reference compares each channel with its luma.
double psnr(const QImage& reference, const QImage& result) {
    const QImage a = reference.convertToFormat(QImage::Format_RGB32);
    const QImage b = result.convertToFormat(QImage::Format_RGB32);
    if (a.size() != b.size())
        return -1;
    double sum = 0;
    for (int y = 0; y < a.height(); ++y) {
        const auto* p = reinterpret_cast<const QRgb*>(a.constScanLine(y));
        const auto* q = reinterpret_cast<const QRgb*>(b.constScanLine(y));
        for (int x = 0; x < a.width(); ++x) {
            const int dr = qRed(p[x]) - qRed(q[x]), dg = qGreen(p[x]) - qGreen(q[x]),
                      db = qBlue(p[x]) - qBlue(q[x]);
            sum += dr * dr + dg * dg + db * db;
        }
    }
    const double mse = sum / (3.0 * a.width() * a.height());
    return mse == 0 ? INFINITY : 10 * std::log10(255.0 * 255.0 / mse);
}

struct ConvertCase {
    int code;
    QStringList options; // before the output name
    bool grey;
};

QString convertProgram() {
    if (QFileInfo::exists(QStringLiteral("/usr/bin/convert")))
        return QStringLiteral("/usr/bin/convert");
    return {};
}

// PSNR of convert's result, or NaN when convert is missing or fails.
double convertPsnr(const QString& in, const QStringList& options, const QImage& reference,
                   const QString& tempDir) {
    const QString program = convertProgram();
    if (program.isEmpty() || options.isEmpty())
        return NAN;
    const QString out = tempDir + QStringLiteral("/im-out.png");
    QProcess p;
    p.start(program, QStringList{in} + options + QStringList{out});
    if (!p.waitForFinished(120000) || p.exitCode() != 0)
        return NAN;
    const QImage result(out);
    QFile::remove(out);
    return result.isNull() ? NAN : psnr(reference, result);
}

QString dB(double v) {
    if (std::isnan(v))
        return QStringLiteral("—");
    if (std::isinf(v))
        return QStringLiteral("lossless");
    return QString::number(v, 'f', 1);
}

// PSNR of pngquant's result at that many colours (its default dithering, or none), or NaN.
double pngquantPsnr(const QString& in, int colours, bool dither, const QImage& reference,
                    const QString& tempDir) {
    const QString out = tempDir + QStringLiteral("/pq-out.png");
    QStringList args{QString::number(colours), QStringLiteral("--force"),
                     QStringLiteral("--output"), out};
    if (!dither)
        args << QStringLiteral("--nofs");
    QProcess p;
    p.start(QStringLiteral("pngquant"), args << in);
    if (!p.waitForFinished(120000) || p.exitCode() != 0)
        return NAN;
    const QImage result(out);
    QFile::remove(out);
    return result.isNull() ? NAN : psnr(reference, result);
}

double medianMs(const QImage& src, int code, QImage& result) {
    std::vector<double> ms;
    for (int i = 0; i < 3; ++i) {
        QElapsedTimer t;
        t.start();
        result = imaging::convertToDepthCode(src, code);
        ms.push_back(double(t.nsecsElapsed()) / 1e6);
    }
    return bench::median(ms);
}

} // namespace

QString colourSection() {
    QTemporaryDir temp;
    struct Picture {
        QString name;
        QString path;
    };
    std::vector<Picture> pictures;
    const QDir data(QStringLiteral(TOLVIK_BENCH_DATA));
    for (const QString& f : data.entryList({QStringLiteral("*.png")}, QDir::Files, QDir::Name))
        pictures.push_back({f, data.filePath(f)});
    const QString synthetic = temp.filePath(QStringLiteral("photo-like.png"));
    bench::photoLike(1280, 800).save(synthetic);
    pictures.push_back({QStringLiteral("photo-like (made by the bench)"), synthetic});

    const QStringList noDither{QStringLiteral("+dither")};
    const QStringList gray{QStringLiteral("-colorspace"), QStringLiteral("gray")};
    auto colours = [](int n) { return QStringList{QStringLiteral("-colors"), QString::number(n)}; };
    const struct {
        int code;
        bool grey;
        QStringList im;
    } cases[] = {
        {1, false, {QStringLiteral("-monochrome")}},
        {4, false, colours(16)},
        {40, true, gray + colours(16)},
        {8, false, colours(256)},
        {80, true, gray},
        {16, false, {}},
    };

    QString table;
    QTextStream ts(&table);
    ts << "| picture | judged | code | ours (dB) | ours (ms) | convert, dithered (dB) | convert "
          "+dither (dB) | pngquant (dB) | pngquant --nofs (dB) "
          "|\n|---|---|---|---|---|---|---|---|---|\n";
    for (const Picture& pic : pictures) {
        const QImage src = QImage(pic.path).convertToFormat(QImage::Format_RGB32);
        const QImage luma = lumaOf(src);
        const bool photo = imaging::looksPhotographic(src);
        for (const auto& c : cases) {
            QImage ours;
            const double ms = medianMs(src, c.code, ours);
            const QImage& ref = c.grey ? luma : src;
            const double imDithered = convertPsnr(pic.path, c.im, ref, temp.path());
            const double imPlain =
                c.im.isEmpty() ? NAN : convertPsnr(pic.path, noDither + c.im, ref, temp.path());
            const int colours = c.code == 4 ? 16 : c.code == 8 ? 256 : 0;
            const double pq =
                colours ? pngquantPsnr(pic.path, colours, true, ref, temp.path()) : NAN;
            const double pqPlain =
                colours ? pngquantPsnr(pic.path, colours, false, ref, temp.path()) : NAN;
            ts << "| " << pic.name << " | "
               << (c.code == 1 ? (photo ? QStringLiteral("photo-like") : QStringLiteral("flat"))
                               : QString())
               << " | " << c.code << " | " << dB(psnr(ref, ours)) << " | "
               << QString::number(ms, 'f', 1) << " | " << dB(imDithered) << " | " << dB(imPlain)
               << " | " << dB(pq) << " | " << dB(pqPlain) << " |\n";
        }
        std::printf("colour: %s done\n", qPrintable(pic.name));
    }

    // The cost at the largest screen: a mixed screenshot repeated over 7680 x 4320.
    const QImage tile =
        QImage(data.filePath(QStringLiteral("viewer.png"))).convertToFormat(QImage::Format_RGB32);
    QImage big(7680, 4320, QImage::Format_RGB32);
    for (int y = 0; y < big.height(); ++y) {
        const auto* s = reinterpret_cast<const QRgb*>(tile.constScanLine(y % tile.height()));
        auto* d = reinterpret_cast<QRgb*>(big.scanLine(y));
        for (int x = 0; x < big.width(); ++x)
            d[x] = s[x % tile.width()];
    }
    QImage unused;
    const double big4 = medianMs(big, 4, unused);
    const double big8 = medianMs(big, 8, unused);

    QString out;
    QTextStream o(&out);
    o << "## Colour reduction\n\n"
      << "Each screenshot (bench/data, taken under Xvfb from real programs' windows: xterm, "
         "xclock, xeyes, xcalc, xmessage, xlogo and ImageMagick's display showing a "
         "picture) and one photo-like picture made by the bench, brought to each depth code, "
         "against ImageMagick's `convert in.png <options> out.png` run in the same bench: "
         "`-monochrome` for 1, `-colors 16` for 4, `-colorspace gray -colors 16` for 40, "
         "`-colors 256` for 8, `-colorspace gray` for 80, each with convert's default "
         "dithering and with `+dither`; and pngquant (the same libimagequant 2.17) at 16 and 256 "
         "colours, with its default dithering and with `--nofs`. PSNR over R, G and B against the "
         "screenshot; for the "
         "grey codes against its Rec. 709 luma. Ours is the median of 3 conversions in memory "
         "(convert's time includes reading and writing files, so it is not shown). "
         "\"judged\" is how our rule saw the picture: only photo-like pictures are "
         "dithered. Made by `build/bin/tolvik_bench docs/benchmarks.md colour`.\n\n"
      << table
      << "\nThe viewer screenshot repeated over 7680 x 4320: " << QString::number(big4, 'f', 0)
      << " ms to 16 colours, " << QString::number(big8, 'f', 0)
      << " ms to 256 colours (median of 3).\n\n"
      << "Dithering lowers PSNR by design (it trades error per pixel for smooth tone seen "
         "from a distance), so dithered figures compare with convert's dithered column. The "
         "greys (80 and 40) are the Rec. 709 luma of the stored values, rounded; at 40 ours "
         "uses 16 evenly spaced levels where convert fits 16 levels to the picture. The times "
         "are from a 2-core machine; libimagequant's threads suffer most when it is busy.\n";
    return out;
}
