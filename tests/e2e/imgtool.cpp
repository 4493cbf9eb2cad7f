// Test pictures for the end-to-end runs.
//   imgtool make W H OUT.png [SEED]  a picture whose every pixel is known and varies
//   imgtool solid W H RRGGBB OUT.png  a picture of one colour
//   imgtool grab WINDOW OUT.png       what an X window shows now
//   imgtool count FILE RRGGBB         how many pixels have exactly that colour
//   imgtool edit IN OUT OP...         IN after the edits OP (see edit below)
//   imgtool diff A B                 "same", "diff X1 Y1 X2 Y2 COUNT" (inclusive bounding box
//                                    of the differing pixels) or "size WxH WxH"
// Only colour is compared: a stored bitmap has no alpha channel. Exit 2 on bad use or files.
#include <QGuiApplication>
#include <QImage>
#include <QPixmap>
#include <QScreen>
#include <QString>
#include <QTransform>

#include <algorithm>
#include <cstdio>
#include <cstdlib>

namespace {

int make(int w, int h, const char* out, int seed) {
    if (w <= 0 || h <= 0)
        return 2;
    QImage img(w, h, QImage::Format_RGB32);
    for (int y = 0; y < h; ++y) {
        auto* row = reinterpret_cast<QRgb*>(img.scanLine(y));
        for (int x = 0; x < w; ++x)
            row[x] = qRgb((x + 3 * seed) & 255, (2 * y + 5 * seed) & 255,
                          (((x * y) >> 3) + 29 * seed) & 255);
    }
    if (!img.save(QString::fromLocal8Bit(out), "PNG")) {
        std::fprintf(stderr, "imgtool: cannot write %s\n", out);
        return 2;
    }
    return 0;
}

QImage load(const char* path) {
    QImage img(QString::fromLocal8Bit(path));
    if (img.isNull())
        std::fprintf(stderr, "imgtool: cannot read %s\n", path);
    return img.convertToFormat(QImage::Format_RGB32);
}

int diff(const char* a, const char* b) {
    const QImage ia = load(a), ib = load(b);
    if (ia.isNull() || ib.isNull())
        return 2;
    if (ia.size() != ib.size()) {
        std::printf("size %dx%d %dx%d\n", ia.width(), ia.height(), ib.width(), ib.height());
        return 0;
    }
    int x1 = ia.width(), y1 = ia.height(), x2 = -1, y2 = -1;
    long count = 0;
    for (int y = 0; y < ia.height(); ++y) {
        const auto* ra = reinterpret_cast<const QRgb*>(ia.constScanLine(y));
        const auto* rb = reinterpret_cast<const QRgb*>(ib.constScanLine(y));
        for (int x = 0; x < ia.width(); ++x) {
            if ((ra[x] & 0xffffff) == (rb[x] & 0xffffff))
                continue;
            ++count;
            x1 = std::min(x1, x);
            y1 = std::min(y1, y);
            x2 = std::max(x2, x);
            y2 = std::max(y2, y);
        }
    }
    if (count == 0)
        std::printf("same\n");
    else
        std::printf("diff %d %d %d %d %ld\n", x1, y1, x2, y2, count);
    return 0;
}

QRgb colour(const char* hex) {
    return 0xff000000u | QString::fromLatin1(hex).toUInt(nullptr, 16);
}

// The expected outcome of edits, made the plain way: crop X1 Y1 X2 Y2 keeps the inclusive
// rectangle, foldrows Y1 Y2 drops rows Y1..Y2, foldcols X1 X2 columns X1..X2, turn90 turns
// a quarter clockwise.
int edit(int argc, char** argv) {
    QImage img = load(argv[2]);
    if (img.isNull())
        return 2;
    for (int i = 4; i < argc;) {
        const QByteArray op = argv[i];
        auto arg = [&](int k) { return i + k < argc ? atoi(argv[i + k]) : -1; };
        if (op == "crop") {
            img = img.copy(QRect(QPoint(arg(1), arg(2)), QPoint(arg(3), arg(4))));
            i += 5;
        } else if (op == "foldrows" || op == "foldcols") {
            const bool rows = op == "foldrows";
            const int a = arg(1), b = arg(2), n = b - a + 1;
            QImage out(rows ? img.width() : img.width() - n, rows ? img.height() - n : img.height(),
                       img.format());
            for (int y = 0; y < out.height(); ++y)
                for (int x = 0; x < out.width(); ++x)
                    out.setPixel(
                        x, y, img.pixel(!rows && x >= a ? x + n : x, rows && y >= a ? y + n : y));
            img = out;
            i += 3;
        } else if (op == "turn90") {
            img = img.transformed(QTransform().rotate(90));
            i += 1;
        } else {
            std::fprintf(stderr, "imgtool: unknown edit %s\n", op.constData());
            return 2;
        }
    }
    return img.save(QString::fromLocal8Bit(argv[3]), "PNG") ? 0 : 2;
}

int solid(int w, int h, const char* hex, const char* out) {
    QImage img(w, h, QImage::Format_RGB32);
    img.fill(colour(hex));
    return img.save(QString::fromLocal8Bit(out), "PNG") ? 0 : 2;
}

int count(const char* path, const char* hex) {
    const QImage img = load(path);
    if (img.isNull())
        return 2;
    const QRgb want = colour(hex) & 0xffffff;
    long n = 0;
    for (int y = 0; y < img.height(); ++y) {
        const auto* row = reinterpret_cast<const QRgb*>(img.constScanLine(y));
        for (int x = 0; x < img.width(); ++x)
            n += (row[x] & 0xffffff) == want;
    }
    std::printf("%ld\n", n);
    return 0;
}

int grab(int argc, char** argv) {
    QGuiApplication app(argc, argv);
    const WId win = WId(QString::fromLatin1(argv[2]).toULongLong(nullptr, 0));
    const QPixmap shot = QGuiApplication::primaryScreen()->grabWindow(win);
    return !shot.isNull() && shot.save(QString::fromLocal8Bit(argv[3]), "PNG") ? 0 : 2;
}

} // namespace

int main(int argc, char** argv) {
    const QString cmd = argc > 1 ? QString::fromLatin1(argv[1]) : QString();
    if (cmd == QLatin1String("solid") && argc == 6)
        return solid(atoi(argv[2]), atoi(argv[3]), argv[4], argv[5]);
    if (cmd == QLatin1String("count") && argc == 4)
        return count(argv[2], argv[3]);
    if (cmd == QLatin1String("grab") && argc == 4)
        return grab(argc, argv);
    if (cmd == QLatin1String("make") && (argc == 5 || argc == 6))
        return make(atoi(argv[2]), atoi(argv[3]), argv[4], argc == 6 ? atoi(argv[5]) : 0);
    if (cmd == QLatin1String("edit") && argc >= 4)
        return edit(argc, argv);
    if (cmd == QLatin1String("diff") && argc == 4)
        return diff(argv[2], argv[3]);
    std::fprintf(stderr, "usage: imgtool make W H OUT.png [SEED] | solid W H RRGGBB OUT.png | "
                         "grab WINDOW OUT.png | count FILE RRGGBB | diff A B\n");
    return 2;
}
