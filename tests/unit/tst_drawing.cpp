// Drawing on the headless model: every tool's pixels stay within its bounds, the figures land
// where they are drawn, palette pictures keep their form, and a drawing session commits each
// shape as one step of the history and reports the current shape's points. Text shows while it
// is typed exactly as the picture then takes it.
#include "imaging/DrawingSession.h"
#include "imaging/ImageView.h"

#include <QInputMethodEvent>
#include <QLineEdit>
#include <QPainter>
#include <QtTest>

using namespace imaging;

namespace {
// Every pixel differs from its neighbours, so a stray write always shows.
QImage patterned(int w, int h) {
    QImage img(w, h, QImage::Format_RGB32);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            img.setPixel(x, y, qRgb((x * 37) & 255, (y * 53) & 255, ((x + y) * 11) & 255));
    return img;
}
ImageModel modelOf(const QImage& img) {
    ImageModel m;
    m.setImage(img);
    return m;
}
Shape shape(DrawTool tool, QList<QPoint> points, QColor colour = Qt::red, int width = 3) {
    Shape s;
    s.tool = tool;
    s.points = std::move(points);
    s.colour = colour;
    s.width = width;
    return s;
}
// Pixels that differ between two pictures of one size, as a list of points.
QList<QPoint> changed(const QImage& a, const QImage& b) {
    QList<QPoint> out;
    for (int y = 0; y < a.height(); ++y)
        for (int x = 0; x < a.width(); ++x)
            if (a.pixel(x, y) != b.pixel(x, y))
                out << QPoint(x, y);
    return out;
}
QRect boundsOf(const QList<QPoint>& points) {
    QRect r;
    for (const QPoint& q : points)
        r |= QRect(q, q);
    return r;
}
QImage shown(const ImageView& view) {
    return view.viewport()->grab().toImage().convertToFormat(QImage::Format_RGB32);
}
} // namespace

class TestDrawing : public QObject {
    Q_OBJECT
private slots:
    void everyToolStaysInItsBounds() {
        QImage stamp(9, 7, QImage::Format_ARGB32);
        stamp.fill(qRgb(0, 0, 255));
        QList<Shape> shapes{
            shape(DrawTool::Pen, {{10, 10}, {30, 14}, {22, 40}}),
            shape(DrawTool::Line, {{5, 50}, {55, 8}}, Qt::blue, 5),
            shape(DrawTool::Arrow, {{8, 8}, {50, 45}}, Qt::green, 4),
            shape(DrawTool::Rectangle, {{40, 30}, {12, 6}}),
            shape(DrawTool::Ellipse, {{6, 6}, {54, 40}}, Qt::black, 8),
            shape(DrawTool::Highlighter, {{4, 20}, {50, 22}}),
            shape(DrawTool::Text, {{6, 12}}),
            shape(DrawTool::Number, {{30, 30}}),
            shape(DrawTool::Stamp, {{30, 30}}),
        };
        shapes[6].text = QStringLiteral("済みWg");
        shapes[6].fontSize = 18;
        shapes[7].number = 7;
        shapes[8].stamp = stamp;
        const QImage base = patterned(64, 56);
        for (const Shape& s : shapes) {
            const QString tool = drawToolText(s.tool);
            // Painted with nothing to clip it, nothing may fall outside the bounds.
            QImage free = base;
            {
                QPainter p(&free);
                paintShape(p, s);
            }
            const QList<QPoint> painted = changed(base, free);
            QVERIFY2(!painted.isEmpty(), qPrintable(tool));
            for (const QPoint& q : painted)
                QVERIFY2(shapeBounds(s).contains(q), qPrintable(tool));

            ImageModel m = modelOf(base);
            QVERIFY2(drawShape(m, s), qPrintable(tool));
            QCOMPARE(m.image(), free);
            QCOMPARE(m.depthCode(), 32);
        }
    }

    void figuresLandWhereDrawn() {
        const QImage white = [] {
            QImage img(40, 30, QImage::Format_RGB32);
            img.fill(Qt::white);
            return img;
        }();
        // A one-pixel rectangle covers exactly its outline, whichever corner the drag began at.
        ImageModel m = modelOf(white);
        QVERIFY(drawShape(m, shape(DrawTool::Rectangle, {{20, 15}, {5, 5}}, Qt::red, 1)));
        for (int y = 0; y < 30; ++y)
            for (int x = 0; x < 40; ++x) {
                const bool outline = ((x == 5 || x == 20) && y >= 5 && y <= 15) ||
                                     ((y == 5 || y == 15) && x >= 5 && x <= 20);
                QCOMPARE(m.image().pixel(x, y), outline ? qRgb(255, 0, 0) : qRgb(255, 255, 255));
            }

        // The highlighter multiplies with yellow: white turns yellow, black stays black.
        QImage half = white;
        QPainter(&half).fillRect(0, 0, 20, 30, Qt::black);
        m = modelOf(half);
        QVERIFY(drawShape(m, shape(DrawTool::Highlighter, {{2, 15}, {37, 15}})));
        QCOMPARE(m.image().pixel(10, 15), qRgb(0, 0, 0));
        QCOMPARE(m.image().pixel(30, 15), qRgb(255, 255, 0));
        QCOMPARE(m.image().pixel(30, 2), qRgb(255, 255, 255));

        // A marker is a filled circle of the colour around its number.
        m = modelOf(white);
        QVERIFY(drawShape(m, shape(DrawTool::Number, {{20, 15}}, Qt::blue, 1)));
        QCOMPARE(m.image().pixel(20 - 10, 15), qRgb(0, 0, 255));
        QCOMPARE(m.image().pixel(20, 15 + 10), qRgb(0, 0, 255));

        // Nothing to draw leaves the picture as it was.
        m = modelOf(white);
        QVERIFY(!drawShape(m, shape(DrawTool::Text, {{3, 3}})));
        QVERIFY(!drawShape(m, shape(DrawTool::Stamp, {{3, 3}})));
        QVERIFY(!drawShape(m, shape(DrawTool::Line, {{100, 100}, {120, 130}})));
        QCOMPARE(m.image(), white);
    }

    void pixelateAveragesBlocks() {
        const QImage base = patterned(30, 24);
        ImageModel m = modelOf(base);
        const QRect area(QPoint(4, 3), QPoint(17, 13)); // blocks of 3 from its corner
        QVERIFY(drawShape(
            m, shape(DrawTool::Pixelate, {area.bottomRight(), area.topLeft()}, Qt::red, 1)));
        for (const QPoint& q : changed(base, m.image()))
            QVERIFY(area.contains(q));
        for (int by = area.top(); by <= area.bottom(); by += 3)
            for (int bx = area.left(); bx <= area.right(); bx += 3) {
                const QRect block = QRect(bx, by, 3, 3).intersected(area);
                int red = 0;
                for (int y = block.top(); y <= block.bottom(); ++y)
                    for (int x = block.left(); x <= block.right(); ++x) {
                        red += qRed(base.pixel(x, y));
                        QCOMPARE(m.image().pixel(x, y), m.image().pixel(bx, by));
                    }
                const int n = block.width() * block.height();
                QCOMPARE(qRed(m.image().pixel(bx, by)), (red + n / 2) / n);
            }
    }

    // A palette picture keeps its form and every colour outside the shape; with room in the
    // palette the drawn colour is exact.
    void paletteKeepsItsForm() {
        QImage img(24, 20, QImage::Format_Indexed8);
        img.setColorTable({qRgb(255, 255, 255), qRgb(0, 0, 0), qRgb(255, 0, 0), qRgb(0, 0, 255)});
        for (int y = 0; y < 20; ++y)
            for (int x = 0; x < 24; ++x)
                img.setPixel(x, y, uint((x / 3 + y) % 2));
        ImageModel m;
        m.setImage(img, 4);
        QVERIFY(drawShape(m, shape(DrawTool::Line, {{2, 10}, {21, 10}}, QColor(250, 10, 10), 1)));
        QCOMPARE(m.depthCode(), 4);
        QCOMPARE(m.image().format(), QImage::Format_Indexed8);
        QCOMPARE(m.image().pixel(12, 10), qRgb(250, 10, 10));
        for (int x = 0; x < 24; ++x)
            QCOMPARE(m.image().pixel(x, 3), img.pixel(x, 3));
    }

    // While it is typed, the text covers exactly the pixels it then gets and leaves the rest of
    // the picture as it is, at any zoom.
    void typedTextShowsAsDrawn() {
        PictureDocument doc;
        doc.replace(modelOf(patterned(120, 80)));
        DrawingSession session(doc);
        session.setTool(DrawTool::Text);
        session.colour = Qt::blue;
        session.fontSize = 18;
        ImageView view(doc);
        view.setDrawing(&session);
        view.resize(320, 240);
        view.show();
        for (const int zoom : {1, 2}) {
            view.setZoom(zoom);
            QVERIFY(view.display(ImageView::Zoom));
            const QImage plain = shown(view);
            QTest::mouseClick(view.viewport(), Qt::LeftButton, {}, QPoint(14, 20) * zoom);
            QLineEdit* entry = view.textEntry();
            QVERIFY(entry);
            QInputMethodEvent typed;
            typed.setCommitString(QStringLiteral("済みWg"));
            QCoreApplication::sendEvent(entry, &typed);
            const QList<QPoint> preview = changed(plain, shown(view));
            QTest::keyClick(entry, Qt::Key_Return);
            QVERIFY(!view.textEntry());
            const QImage drawnView = shown(view);
            const QList<QPoint> drawn = changed(plain, drawnView);
            QVERIFY(!drawn.isEmpty());
            QCOMPARE(boundsOf(preview), boundsOf(drawn));
            const QSet<QPoint> glyphs(drawn.cbegin(), drawn.cend());
            for (const QPoint& q : preview)
                QVERIFY2(
                    glyphs.contains(q),
                    qPrintable(QStringLiteral("%1,%2 at zoom %3").arg(q.x()).arg(q.y()).arg(zoom)));
            doc.history().undo();
        }
    }

    void sessionCommitsShapesAsSteps() {
        PictureDocument doc;
        ImageModel start = modelOf(patterned(60, 40));
        doc.replace(start);
        DrawingSession session(doc);
        QSignalSpy drawn(&session, &DrawingSession::drawn);

        session.press({5, 5}); // no tool: nothing happens
        QVERIFY(!session.inProgress());

        session.setTool(DrawTool::Rectangle);
        session.press({30, 25});
        session.move({40, 10});
        session.release({10, 8}); // the release decides the second corner
        QCOMPARE(drawn.size(), 1);
        QCOMPARE(doc.history().count(), 1);
        QCOMPARE(session.currentPoints(), (QList<QPoint>{{10, 8}, {30, 8}, {30, 25}, {10, 25}}));

        // A press and release on one pixel draws no figure; Escape (cancel) drops a drag.
        session.press({3, 3});
        session.release({3, 3});
        session.press({3, 3});
        session.move({20, 20});
        session.cancel();
        session.release({20, 20});
        QCOMPARE(doc.history().count(), 1);

        session.setTool(DrawTool::Line);
        session.press({70, -4}); // outside: limited to the picture
        session.release({2, 2});
        QCOMPARE(session.currentPoints(), (QList<QPoint>{{59, 0}, {2, 2}}));

        // Markers count on from 1 until drawing ends.
        session.setTool(DrawTool::Number);
        session.press({15, 15});
        session.press({45, 20});
        ImageModel expected = modelOf(doc.image());
        doc.history().undo();
        doc.history().undo();
        Shape first = shape(DrawTool::Number, {{15, 15}});
        first.number = 1;
        Shape second = shape(DrawTool::Number, {{45, 20}});
        second.number = 2;
        ImageModel again = modelOf(doc.image());
        QVERIFY(drawShape(again, first) && drawShape(again, second));
        QCOMPARE(again.image(), expected.image());

        // Undone to the start, the picture is exactly as it was and no shape is current.
        while (doc.history().canUndo())
            doc.history().undo();
        QCOMPARE(doc.image(), start.image());
        QVERIFY(session.currentPoints().isEmpty());

        session.setTool(DrawTool::Ellipse);
        session.press({1, 1});
        session.release({8, 9});
        QCOMPARE(session.currentPoints().size(), 4);
        session.endDrawing();
        QVERIFY(session.currentPoints().isEmpty());
    }
};

QTEST_MAIN(TestDrawing)
#include "tst_drawing.moc"
