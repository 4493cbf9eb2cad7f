// The drawing toolbar beside the main window: its placement, its menu item and flag, drawing
// on the view with the mouse, and a four-point shape taken as the range.
#include "commands/PopupMenus.h"
#include "imaging/DrawingSession.h"
#include "imaging/ImageView.h"
#include "mainwindow/DrawingToolbar.h"
#include "mainwindow/ToolbarPlacement.h"
#include "windowfixture.h"

#include <QAction>
#include <QClipboard>
#include <QComboBox>
#include <QGuiApplication>
#include <QInputMethodEvent>
#include <QLineEdit>
#include <QToolButton>
#include <QtTest>

using imaging::DrawTool;

namespace {
struct Window : WindowFixture {
    Window() {
        w->resize(700, 500);
        w->show();
        imaging::ImageModel m;
        QImage img(300, 200, QImage::Format_RGB32);
        img.fill(Qt::white);
        m.setImage(img);
        session().showPicture(m, QString());
        session().setScaleDisplay(false); // one picture pixel to one screen pixel
    }
    bool checked() const { return w->menus().item(Operation::ShowToolbar)->isChecked(); }
    void toggle() { w->operations().action(Operation::ShowToolbar)->trigger(); }
    // A drag on the view between two picture pixels.
    void drag(QPoint from, QPoint to) {
        QWidget* vp = view().viewport();
        const QPoint origin = view().imageRectInViewport().topLeft().toPoint();
        QTest::mousePress(vp, Qt::LeftButton, {}, origin + from);
        QTest::mouseMove(vp, origin + (from + to) / 2);
        QTest::mouseMove(vp, origin + to);
        QTest::mouseRelease(vp, Qt::LeftButton, {}, origin + to);
    }
};
} // namespace

class TestDrawingToolbar : public QObject {
    Q_OBJECT
private slots:
    void placement() {
        const QMargins frame(2, 19, 2, 2); // a title bar of 19 px
        const QSize bar(68, 400);
        const QRect screen(0, 0, 1280, 800);
        // Room on the left: the toolbar's frame goes beside the window's, title bars level.
        ToolbarPlacement p =
            placeDrawingToolbar(QRect(300, 40, 800, 600), false, frame, bar, screen);
        QCOMPARE(p.toolbar, QRect(232 - 4 + 2, 40 + 19, 68, 400));
        QCOMPARE(p.window, QRect(300, 40, 800, 600));
        QVERIFY(!p.restore);
        // Too little room: the window's left edge moves to the toolbar frame's right, its
        // right edge stays; a title bar above the screen comes down onto it.
        p = placeDrawingToolbar(QRect(20, -5, 800, 600), false, frame, bar, screen);
        QCOMPARE(p.toolbar, QRect(2, 19, 68, 400));
        QCOMPARE(p.window.left(), 72);
        QCOMPARE(p.window.right(), QRect(20, -5, 800, 600).right());
        QCOMPARE(p.window.top(), -5);
        // Maximised: restored, then made room for, the toolbar whole on the screen.
        p = placeDrawingToolbar(QRect(0, -19, 1280, 819), true, frame, bar, screen);
        QVERIFY(p.restore);
        QCOMPARE(p.toolbar, QRect(2, 19, 68, 400));
        QCOMPARE(p.window, QRect(75, -19, 1280 - 75, 819));
        // Low on a screen that starts elsewhere: lifted until its bottom is on it.
        const QRect second(1280, 100, 1024, 600);
        p = placeDrawingToolbar(QRect(1600, 500, 400, 300), false, frame, bar, second);
        QCOMPARE(p.toolbar, QRect(1600 - 72 + 2, 700 - 421 + 19, 68, 400));
        QVERIFY(second.contains(p.toolbar.marginsAdded(frame)));
    }

    void menuItemFollowsTheFlag() {
        Window win;
        QVERIFY(!win.w->toolbarShown() && !win.checked());
        win.toggle();
        QVERIFY(win.w->toolbarShown() && win.checked());
        DrawingToolbar* bar = win.w->drawingToolbar();
        QVERIFY(bar && bar->isVisible());
        QCOMPARE(bar->windowTitle(), QStringLiteral("ToolBar"));
        QVERIFY(bar->windowFlags().testFlag(Qt::Tool));
        for (QWidget* c : bar->findChildren<QWidget*>())
            if (qobject_cast<QToolButton*>(c) || qobject_cast<QComboBox*>(c))
                QVERIFY(!c->accessibleName().isEmpty());
        win.toggle(); // checked: the toolbar closes, and its closed signal hides it
        QVERIFY(!win.w->toolbarShown() && !win.checked() && !bar->isVisible());
        win.toggle();
        QVERIFY(bar->close()); // its frame's close button
        QVERIFY(!win.w->toolbarShown() && !win.checked());
        QCOMPARE(win.w->drawingSession()->tool(), DrawTool::Select);
    }

    void drawingOnTheView() {
        Window win;
        win.w->ShowToolbar(true);
        DrawingToolbar& bar = *win.w->drawingToolbar();
        bar.button(DrawTool::Rectangle)->click();
        QVERIFY(bar.button(DrawTool::Rectangle)->isChecked());
        const QImage before = win.picture().image();
        win.drag({40, 30}, {120, 90});
        QCOMPARE(win.session().viewState(), ViewState::Changed);
        QCOMPARE(win.picture().image().pixel(40, 60), QColor(Qt::red).rgb());
        QVERIFY(win.picture().range().isEmpty()); // a shape, not a range drag
        QCOMPARE(win.w->drawingSession()->currentPoints(),
                 (QList<QPoint>{{40, 30}, {120, 30}, {120, 90}, {40, 90}}));

        // Text: typed into a box over the view; Escape drops it, Return draws it.
        bar.button(DrawTool::Text)->click();
        const QImage boxed = win.picture().image();
        for (const auto& [key, drawn] :
             {std::pair{Qt::Key_Escape, false}, std::pair{Qt::Key_Return, true}}) {
            win.drag({150, 120}, {150, 120});
            QLineEdit* entry = win.view().textEntry();
            QVERIFY(entry);
            QInputMethodEvent typed; // as an input method hands over Japanese text
            typed.setCommitString(QStringLiteral("済"));
            QCoreApplication::sendEvent(entry, &typed);
            QCOMPARE(entry->text(), QStringLiteral("済"));
            QTest::keyClick(entry, key);
            QVERIFY(!win.view().textEntry());
            QCOMPARE(win.picture().image() != boxed, drawn);
        }
        win.session().undo(false);
        win.session().undo(false);
        QCOMPARE(win.picture().image(), before);

        // The stamp is shipped beside the program; a missing one disables its button.
        imaging::DrawingSession session(win.picture());
        DrawingToolbar missing(session, QStringLiteral("/nonexistent/Stamp.bmp"));
        QVERIFY(!missing.button(DrawTool::Stamp)->isEnabled());
        QVERIFY(bar.button(DrawTool::Stamp)->isEnabled());
    }

    void fourPointShapeAsRange() {
        Window win;
        win.w->ShowToolbar(true);
        imaging::DrawingSession& s = *win.w->drawingSession();
        auto draw = [&](DrawTool tool, QList<QPoint> points) {
            s.setTool(tool);
            s.press(points.takeFirst());
            for (const QPoint& p : points)
                s.move(p);
            s.release(points.last());
        };

        // Three points: no range.
        draw(DrawTool::Pen, {{10, 10}, {50, 20}, {30, 60}});
        QVERIFY(win.w->takeToolbarShape().isEmpty());

        // A rectangle is the range of one command, and drawing ends; trimming then keeps it.
        draw(DrawTool::Rectangle, {{200, 150}, {20, 30}});
        win.ws().edits.edit(Operation::Trim);
        QCOMPARE(win.picture().image().size(), QSize(181, 121));
        QVERIFY(win.w->drawingSession()->currentPoints().isEmpty());

        // Copied with the shape as its range: the picture keeps no range afterwards.
        draw(DrawTool::Rectangle, {{10, 10}, {40, 30}});
        win.ws().edits.copyPicture(false);
        QCOMPARE(QGuiApplication::clipboard()->image().size(), QSize(31, 21));
        QVERIFY(win.picture().range().isEmpty());

        // Emphasis of the shape changes only the shape, and leaves no range behind.
        draw(DrawTool::Rectangle, {{50, 50}, {60, 60}});
        win.ws().edits.edit(Operation::EmphasizeRelative);
        QVERIFY(win.picture().range().isEmpty());

        // A range dragged before wins over the shape.
        draw(DrawTool::Ellipse, {{5, 5}, {100, 80}});
        win.picture().setRange({1, 2, 30, 40});
        QVERIFY(win.w->takeToolbarShape().isEmpty());
        QCOMPARE(win.picture().range(), (imaging::Range{1, 2, 30, 40}));

        // With the toolbar hidden there is no current shape, so no range either.
        win.picture().clearRange();
        draw(DrawTool::Rectangle, {{5, 5}, {60, 50}});
        win.w->ShowToolbar(false);
        QVERIFY(win.w->takeToolbarShape().isEmpty());
    }
};

QTEST_MAIN(TestDrawingToolbar)
#include "tst_drawingtoolbar.moc"
