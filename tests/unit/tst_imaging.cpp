// Bitmap files at every depth code, picture info, resolution and the view's display modes.
#include "imaging/BmpWriter.h"
#include "imaging/DepthCode.h"
#include "imaging/ImageModel.h"
#include "imaging/ImageView.h"

#include <QBuffer>
#include <QImageReader>
#include <QScrollBar>
#include <QTemporaryDir>
#include <QTransform>
#include <QtEndian>
#include <QtTest>

namespace {
bool writeBmp(const imaging::ImageModel& m, const QString& path) {
    QFile f(path);
    return f.open(QIODevice::WriteOnly) && m.saveBmp(f);
}
QImage pattern(int w, int h) {
    QImage img(w, h, QImage::Format_RGB32);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            img.setPixel(x, y, qRgb((x * 37) & 255, (y * 53) & 255, ((x ^ y) * 11) & 255));
    return img;
}
quint16 bitsInHeader(const QByteArray& bmp) {
    return qFromLittleEndian<quint16>(bmp.constData() + 28);
}
} // namespace

class TestImaging : public QObject {
    Q_OBJECT
private slots:
    void roundTrip_data() {
        QTest::addColumn<int>("code");
        QTest::addColumn<int>("bits");
        QTest::addColumn<QImage>("src");
        // Odd width: every row needs padding, and 4-bit rows end in half a byte.
        for (int code : {1, 4, 40, 8, 80, 16, 24, 32})
            QTest::newRow(qPrintable(QString::number(code)))
                << code << imaging::bitsOfDepthCode(code) << pattern(37, 23);
        // Few colours, all of them grey: still 256 colours, or 16, when read back.
        QImage few(37, 23, QImage::Format_RGB32);
        few.fill(qRgb(40, 40, 40));
        few.setPixel(3, 3, qRgb(200, 200, 200));
        QTest::newRow("8, two greys") << 8 << 8 << few;
        QTest::newRow("4, two greys") << 4 << 4 << few;
    }
    void roundTrip() {
        QFETCH(int, code);
        QFETCH(int, bits);
        QFETCH(QImage, src);
        imaging::ImageModel m;
        m.setImage(src);
        QVERIFY(m.convertDepth(code));
        QCOMPARE(m.depthCode(), code);

        QTemporaryDir tmp;
        const QString path = tmp.filePath("x.bmp");
        QVERIFY(writeBmp(m, path));
        QFile f(path);
        QVERIFY(f.open(QIODevice::ReadOnly));
        const QByteArray bytes = f.readAll();
        QCOMPARE(bitsInHeader(bytes), quint16(bits));

        imaging::ImageModel back;
        QVERIFY(back.load(path));
        QCOMPARE(back.image().size(), src.size());
        QCOMPARE(back.depthCode(), code);
        const QImage expected = m.image().convertToFormat(QImage::Format_RGB32);
        const QImage got = back.image().convertToFormat(QImage::Format_RGB32);
        // 5- and 6-bit channels may widen back to 8 bits by another rounding.
        const int tolerance = code == 16 ? 8 : 0;
        for (int y = 0; y < src.height(); ++y)
            for (int x = 0; x < src.width(); ++x) {
                const QRgb a = got.pixel(x, y), b = expected.pixel(x, y);
                QVERIFY2(qAbs(qRed(a) - qRed(b)) <= tolerance &&
                             qAbs(qGreen(a) - qGreen(b)) <= tolerance &&
                             qAbs(qBlue(a) - qBlue(b)) <= tolerance,
                         qPrintable(QStringLiteral("pixel %1,%2").arg(x).arg(y)));
            }
        if (code == 32 || code == 24)
            QCOMPARE(got, src); // lossless depths keep every pixel of the source
    }

    // Captures keep code 24 in the 32-bit form: the file is the one the 24-bit form gives,
    // whatever padding the width needs.
    void twentyFourBitsFromThe32BitForm() {
        for (int w = 1; w <= 5; ++w) {
            imaging::ImageModel held, converted;
            held.setImage(pattern(w, 3), 24);
            converted.setImage(pattern(w, 3));
            QVERIFY(converted.convertDepth(24));
            QBuffer a, b;
            a.open(QIODevice::WriteOnly);
            b.open(QIODevice::WriteOnly);
            QVERIFY(held.saveBmp(a) && converted.saveBmp(b));
            QCOMPARE(a.data(), b.data());
            QCOMPARE(bitsInHeader(a.data()), quint16(24));
            imaging::ImageModel back;
            QVERIFY(back.loadFromData(a.data(), "bmp"));
            QCOMPARE(back.image().convertToFormat(QImage::Format_RGB32), pattern(w, 3));
        }
    }

    void resolutionIsWritten() {
        imaging::ImageModel m;
        m.setImage(pattern(4, 4));
        m.resolutionX = 96;
        m.resolutionY = 96;
        m.applyResolution();
        QBuffer buf;
        buf.open(QIODevice::WriteOnly);
        QVERIFY(m.saveBmp(buf));
        QCOMPARE(qFromLittleEndian<quint32>(buf.data().constData() + 38), 3780u); // 96 dpi
        QTemporaryDir tmp;
        QVERIFY(writeBmp(m, tmp.filePath("r.bmp")));
        imaging::ImageModel back;
        QVERIFY(back.load(tmp.filePath("r.bmp")));
        QCOMPARE(back.resolutionX, 96);
    }

    void refusesWhatItCannotDo() {
        imaging::ImageModel m;
        QCOMPARE(m.handle(), 0u);
        QTemporaryDir tmp;
        QVERIFY(!m.load(tmp.filePath("missing.bmp")));
        m.setImage(pattern(2, 2));
        QVERIFY(m.handle() != 0);
        QVERIFY(!m.convertDepth(12));
        QFile broken(tmp.filePath("broken.bmp"));
        QVERIFY(broken.open(QIODevice::WriteOnly));
        broken.write("BM not really");
        broken.close();
        const quint64 before = m.handle();
        QVERIFY(!m.load(tmp.filePath("broken.bmp")));
        QCOMPARE(m.handle(), before); // a failed load keeps the picture
    }

    void eightKScreenshotLoads() {
        imaging::raiseImageAllocationLimit();
        QImage big(7680, 4320, QImage::Format_RGB32);
        big.fill(qRgb(10, 20, 30));
        big.setPixel(7679, 4319, qRgb(1, 2, 3));
        QTemporaryDir tmp;
        imaging::ImageModel m;
        m.setImage(std::move(big));
        QVERIFY(writeBmp(m, tmp.filePath("8k.bmp")));
        imaging::ImageModel back;
        QVERIFY(back.load(tmp.filePath("8k.bmp")));
        QCOMPARE(back.image().size(), QSize(7680, 4320));
        QCOMPARE(back.image().pixel(7679, 4319), qRgb(1, 2, 3));
    }

    // A small picture fitted to the view keeps sharp pixels; a large one scrolls a tenth of
    // the view a wheel notch, not three pixels.
    void fitKeepsPixelsSharpAndTheWheelMovesFar() {
        imaging::PictureDocument doc;
        imaging::ImageView v(doc);
        v.resize(200, 200);
        v.show();
        QImage checker(2, 2, QImage::Format_RGB32);
        checker.setPixel(0, 0, qRgb(0, 0, 0));
        checker.setPixel(1, 0, qRgb(255, 255, 255));
        checker.setPixel(0, 1, qRgb(255, 255, 255));
        checker.setPixel(1, 1, qRgb(0, 0, 0));
        imaging::ImageModel m;
        m.setImage(checker);
        doc.replace(m);
        QVERIFY(v.display(imaging::ImageView::Fit));
        const QImage shown = v.viewport()->grab().toImage().convertToFormat(QImage::Format_RGB32);
        const QRect r = v.imageRectInViewport().toRect();
        for (int y = r.top() + 2; y < r.bottom() - 2; y += 7)
            for (int x = r.left() + 2; x < r.right() - 2; x += 7) {
                const QRgb c = shown.pixel(x, y);
                QVERIFY2(c == qRgb(0, 0, 0) || c == qRgb(255, 255, 255),
                         qPrintable(QStringLiteral("%1,%2").arg(x).arg(y)));
            }
        m.setImage(pattern(2000, 2000));
        doc.replace(m);
        v.display(imaging::ImageView::Zoom);
        QVERIFY(v.verticalScrollBar()->singleStep() >= v.viewport()->height() / 30);
        QVERIFY(v.verticalScrollBar()->singleStep() > 3);
    }

    void viewModesAndRange() {
        imaging::PictureDocument doc;
        imaging::ImageView v(doc);
        v.resize(220, 120);
        v.show();
        QVERIFY(!v.display(1)); // nothing to show yet
        imaging::ImageModel m;
        m.setImage(pattern(400, 200));
        doc.replace(m);
        QVERIFY(v.display(imaging::ImageView::Fit));
        const QRectF fit = v.imageRectInViewport();
        QVERIFY(fit.width() <= v.viewport()->width() + 0.5);
        QVERIFY(fit.height() <= v.viewport()->height() + 0.5);
        QCOMPARE(fit.width() / fit.height(), 2.0);
        v.setZoom(2.0);
        QVERIFY(v.display(imaging::ImageView::Zoom));
        QCOMPARE(v.imageRectInViewport().size(), QSizeF(800, 400));
        QVERIFY(!v.display(imaging::ImageView::Clear));
        QVERIFY(v.imageRectInViewport().isEmpty());

        // A drag marks a range in picture pixels, limited to the picture.
        v.setZoom(1.0);
        v.display(imaging::ImageView::Zoom);
        QSignalSpy changed(&v, &imaging::ImageView::rangeChanged);
        QTest::mousePress(v.viewport(), Qt::LeftButton, {}, QPoint(10, 20));
        QTest::mouseMove(v.viewport(), QPoint(60, 70));
        QTest::mouseRelease(v.viewport(), Qt::LeftButton, {}, QPoint(60, 70));
        QCOMPARE(doc.range(), (imaging::Range{10, 20, 60, 70}));
        QVERIFY(changed.count() >= 1);
    }

    // Undo gives back the exact pixels and depth code; a new picture starts a new history;
    // a failed edit changes nothing.
    void documentHistory() {
        imaging::PictureDocument doc;
        QSignalSpy changed(&doc, &imaging::PictureDocument::changed);
        imaging::ImageModel m;
        m.setImage(pattern(40, 20));
        doc.replace(m);
        const QImage original = doc.image();
        QVERIFY(imaging::EditOutcome::Done ==
                doc.edit(QStringLiteral("grey"),
                         [](imaging::ImageModel& p) { return p.convertDepth(80); }));
        QCOMPARE(doc.depthCode(), 80);
        QCOMPARE(doc.edit(QStringLiteral("nothing"),
                          [](imaging::ImageModel& p) {
                              p.setImage(QImage(1, 1, QImage::Format_RGB32));
                              return false;
                          }),
                 imaging::EditOutcome::NothingToDo);
        QCOMPARE(doc.edit(QStringLiteral("fails"),
                          [](imaging::ImageModel& p) -> bool {
                              p.setImage(QImage(1, 1, QImage::Format_RGB32));
                              throw std::bad_alloc();
                          }),
                 imaging::EditOutcome::Failed);
        QCOMPARE(doc.image().size(), QSize(40, 20));
        QCOMPARE(doc.history().count(), 1);
        doc.history().undo();
        QCOMPARE(doc.depthCode(), 32);
        QCOMPARE(doc.image(), original);
        doc.history().redo();
        QCOMPARE(doc.depthCode(), 80);
        QVERIFY(changed.count() >= 4);
        doc.replace(m);
        QCOMPARE(doc.history().count(), 0);
    }

    // Background edits apply in the order asked for, behind any running one; a new picture
    // makes a running edit's result stale and drops the queued ones.
    void backgroundEdits() {
        using imaging::EditOutcome;
        imaging::PictureDocument doc;
        imaging::ImageModel m;
        m.setImage(pattern(40, 20));
        doc.replace(m);
        doc.setBackgroundThreshold(0);
        QVERIFY(doc.editsInBackground());
        std::vector<EditOutcome> outcomes;
        auto record = [&](EditOutcome o) { outcomes.push_back(o); };
        auto turn = [](imaging::ImageModel& p) {
            p.setImage(p.image().transformed(QTransform().rotate(90)));
            return true;
        };
        auto grey = [](imaging::ImageModel& p) { return p.convertDepth(80); };
        doc.whenIdle([&] { doc.editInBackground(QStringLiteral("turn"), turn, record); });
        QVERIFY(doc.editing());
        doc.whenIdle([&] { doc.editInBackground(QStringLiteral("grey"), grey, record); });
        QCOMPARE(doc.image().size(), QSize(40, 20)); // nothing applied yet
        QTRY_COMPARE(outcomes.size(), size_t(2));
        QCOMPARE(outcomes, (std::vector<EditOutcome>{EditOutcome::Done, EditOutcome::Done}));
        QCOMPARE(doc.image().size(), QSize(20, 40));
        QCOMPARE(doc.depthCode(), 80);
        QCOMPARE(doc.history().count(), 2);

        doc.whenIdle([&] { doc.editInBackground(QStringLiteral("turn"), turn, record); });
        bool queuedRan = false;
        doc.whenIdle([&] { queuedRan = true; });
        doc.replace(m);
        QTRY_COMPARE(outcomes.size(), size_t(3));
        QCOMPARE(outcomes.back(), EditOutcome::Superseded);
        QVERIFY(!queuedRan);
        QCOMPARE(doc.image(), m.image());
        QCOMPARE(doc.history().count(), 0);
    }

    void historyKeepsItsBoundDroppingTheOldest() {
        imaging::PictureDocument doc;
        imaging::ImageModel m;
        m.setImage(pattern(100, 100)); // 40 000 bytes a step
        doc.replace(m);
        doc.setHistoryLimit(100000);
        for (int i = 0; i < 5; ++i)
            QVERIFY(imaging::EditOutcome::Done ==
                    doc.edit(QStringLiteral("step %1").arg(i), [i](imaging::ImageModel& p) {
                        QImage img = p.image().copy();
                        img.setPixel(0, 0, qRgb(i, i, i));
                        p.setImage(img);
                        return true;
                    }));
        QCOMPARE(doc.history().count(), 2);
        QVERIFY(doc.historyBytes() <= 100000);
        QCOMPARE(doc.history().text(0), QStringLiteral("step 3"));
        doc.history().undo();
        doc.history().undo();
        QCOMPARE(doc.image().pixel(0, 0), qRgb(2, 2, 2)); // as before step 3
        QVERIFY(!doc.history().canUndo());
    }
};

QTEST_MAIN(TestImaging)
#include "tst_imaging.moc"
