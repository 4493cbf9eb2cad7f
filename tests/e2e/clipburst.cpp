// Offers a burst of different pictures on the CLIPBOARD, one after another, as a screenshot
// tool taken in quick succession would, and keeps serving the last one for a while.
//   clipburst OUTDIR COUNT GAP_MS [BIG_W BIG_H SETTLE_MS]
// Writes each offered picture to OUTDIR/burst-NNN.png first (and OUTDIR/big.png when a big
// picture goes first, SETTLE_MS before the burst), prints "ready" before the first offer
// and "done" after the last, and exits 3 s later.
#include <QBuffer>
#include <QClipboard>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QGuiApplication>
#include <QImage>
#include <QMimeData>
#include <QPainter>
#include <QThread>
#include <QTimer>

#include <cstdio>
#include <vector>

namespace {

// A flat picture, like a screen: a background and a few panels, all depending on seed.
QImage picture(int w, int h, int seed) {
    QImage img(w, h, QImage::Format_RGB32);
    img.fill(QColor::fromHsv((seed * 37) % 360, 90, 230));
    QPainter p(&img);
    for (int i = 0; i < 6; ++i) {
        const QColor c = QColor::fromHsv((seed * 53 + i * 61) % 360, 180, 120 + (i * 20) % 120);
        p.fillRect(QRect((i * w) / 7, (((seed + i) % 5) * h) / 6, w / 8, h / 5), c);
    }
    // The seed in binary along the top row: every picture differs from every other.
    for (int b = 0; b < 16; ++b)
        p.fillRect(QRect(b * 4, 0, 4, 4), ((seed >> b) & 1) ? Qt::black : Qt::white);
    return img;
}

QByteArray png(const QImage& img) {
    QByteArray out;
    QBuffer buf(&out);
    buf.open(QIODevice::WriteOnly);
    img.save(&buf, "PNG");
    return out;
}

void offer(const QByteArray& bytes) {
    auto* data = new QMimeData;
    data->setData(QStringLiteral("image/png"), bytes);
    QGuiApplication::clipboard()->setMimeData(data, QClipboard::Clipboard);
}

// Serves requests while waiting: an owner must answer while it holds the clipboard.
void serveFor(int ms) {
    QElapsedTimer t;
    t.start();
    while (t.elapsed() < ms) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        QThread::usleep(500);
    }
}

} // namespace

int main(int argc, char** argv) {
    QGuiApplication app(argc, argv);
    if (argc != 4 && argc != 7) {
        std::fprintf(stderr, "usage: clipburst OUTDIR COUNT GAP_MS [BIG_W BIG_H SETTLE_MS]\n");
        return 2;
    }
    const QString dir = QString::fromLocal8Bit(argv[1]);
    const int count = atoi(argv[2]);
    const int gap = atoi(argv[3]);
    QByteArray big;
    int settle = 0;
    if (argc == 7) {
        const QImage b = picture(atoi(argv[4]), atoi(argv[5]), 9999);
        big = png(b);
        b.save(dir + QStringLiteral("/big.png"));
        settle = atoi(argv[6]);
    }
    // Each burst its own pictures: the seeds follow from the folder's name.
    const int base = int(qHash(dir) % 500) * 100;
    std::vector<QByteArray> shots;
    for (int i = 0; i < count; ++i) {
        const QImage img = picture(320, 200, base + i + 1);
        img.save(dir + QStringLiteral("/burst-%1.png").arg(i + 1, 3, 10, QChar(u'0')));
        shots.push_back(png(img));
    }
    std::printf("ready\n");
    std::fflush(stdout);
    if (!big.isEmpty()) {
        offer(big);
        serveFor(settle);
    }
    for (const QByteArray& s : shots) {
        offer(s);
        serveFor(gap);
    }
    std::printf("done\n");
    std::fflush(stdout);
    serveFor(3000);
    return 0;
}
