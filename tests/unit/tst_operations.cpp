// The operation registry: one action per operation, reached alike from command texts,
// popup items, toolbar buttons and keys.
#include "commandhost.h"
#include "commands/CommandTable.h"
#include "commands/Operations.h"
#include "commands/Toolbar.h"
#include "commands/spPic.h"

#include <QAction>
#include <QKeyEvent>
#include <QKeySequence>
#include <QMenu>
#include <QToolButton>
#include <QtTest>

namespace {
using Host = RecordingCommandHost;

// Everything wired as in the main window, and a record of the actions triggered.
struct Fixture {
    OperationRegistry ops;
    spPic menus;
    Host host;
    CommandTable table{menus, ops, host};
    QWidget band;
    Toolbar toolbar{&band, ops};
    QObject watch;
    QList<QAction*> triggered;

    Fixture() {
        host.text = true;
        menus.canPasteImage = [] { return true; };
        for (Operation op : OperationRegistry::all()) {
            QAction* a = ops.action(op);
            QObject::connect(a, &QAction::triggered, &watch, [this, a] { triggered << a; });
        }
    }
    // What picking a popup item triggers, through the group and caption it reports.
    QList<QAction*> pick(QAction* item) {
        triggered.clear();
        menus.popup = [item](QMenu* m) {
            emit m->aboutToShow();
            item->trigger();
        };
        table.ShowMenu(menus.item(Operation::Open)->parent() == item->parent() ? 0 : 1);
        return triggered;
    }
    QList<QAction*> run(const QString& text) {
        triggered.clear();
        table.RunCommand(text);
        return triggered;
    }
    QList<QAction*> press(QKeyCombination key) {
        triggered.clear();
        table.Form_KeyDown(QKeyEvent(QEvent::KeyPress, int(key.key()), key.keyboardModifiers()));
        return triggered;
    }
    QList<QAction*> click(int button) {
        triggered.clear();
        QTest::mouseClick(toolbar.button(button), Qt::LeftButton);
        return triggered;
    }
};
} // namespace

class TestOperations : public QObject {
    Q_OBJECT
private slots:
    void everyCaptionReachesItsOwnAction() {
        Fixture f;
        QSet<QAction*> distinct;
        int captioned = 0;
        for (Operation op : OperationRegistry::all()) {
            QAction* a = f.ops.action(op);
            distinct << a;
            QCOMPARE(OperationRegistry::operationOf(a), std::optional(op));
            QAction* item = f.menus.item(op);
            if (OperationRegistry::caption(op).isEmpty()) {
                QVERIFY(!item); // shown by no menu
                continue;
            }
            ++captioned;
            const QString text = OperationRegistry::commandText(op);
            QVERIFY2(f.ops.find(text) == a, qPrintable(text));
            QCOMPARE(f.run(text), QList<QAction*>{a});
            QVERIFY2(item, qPrintable(text));
            QCOMPARE(item->text(), OperationRegistry::menuText(op));
            QCOMPARE(f.pick(item), QList<QAction*>{a});
        }
        QCOMPARE(distinct.size(), int(OperationRegistry::all().size()));
        QCOMPARE(captioned, 32);
    }

    void nearMissesReachNothing() {
        Fixture f;
        for (const char* text : {"開く(&O)", "終了(&X)", "開く ", " 開く", "強調", "範囲",
                                 "作業ﾌｫﾙﾀﾞに保存 ", "ｻｸｷﾞｮｳ", "", "16bit", "Ctrl+V"}) {
            QVERIFY2(!f.ops.find(QString::fromUtf8(text)), text);
            QVERIFY2(f.run(QString::fromUtf8(text)).isEmpty(), text);
        }
        QVERIFY(f.host.calls.isEmpty());
    }

    void onlyImplementedOperationsRun() {
        Fixture f;
        for (Operation op : OperationRegistry::all())
            f.ops.action(op)->trigger();
        // With a text shown the clipboard commands take the text; the keys the picture.
        QStringList expected{
            "OpenImageFile", "SaveImage(0)",    "SaveImage(1)",       "openInMarlo",
            "PrintImage(0)", "PrintImage(1)",   "SaveToWorkFolder",   "ExploreWorkFolder",
            "openInPirra",   "EmptyWorkFolder", "SaveWindowSettings", "CopyText(0)",
            "CopyText(1)",   "PasteText",       "CopyImage(0)",       "PasteImage"};
        using O = Operation;
        expected << QStringLiteral("edit %1").arg(int(O::Trim)) << "toggleToolbar"
                 << "EraseImage"
                 << "registerRange"
                 << "ClearRange";
        for (int op = int(O::EmphasizeRelative); op <= int(O::RotateLeft180); ++op)
            expected << QStringLiteral("edit %1").arg(op);
        expected << "undo"
                 << "redo";
        QCOMPARE(f.host.calls, expected);
    }

    void toolbarAndKeysTriggerTheMenusActions() {
        Fixture f;
        f.band.show();
        QVERIFY(QTest::qWaitForWindowExposed(&f.band));
        for (int i = 0; i < Toolbar::kCount; ++i) {
            const QList<QAction*> fromMenu = f.pick(f.menus.item(*Toolbar::operation(i)));
            QCOMPARE(fromMenu.size(), 1);
            QCOMPARE(f.click(i), fromMenu);
        }
        // The key of every label runs that item's action, but for the clipboard items: their
        // keys run the picture operations, which no menu shows.
        int labelled = 0;
        for (Operation op : OperationRegistry::all()) {
            const QString label = OperationRegistry::label(op);
            if (label.isEmpty())
                continue;
            ++labelled;
            const QList<QAction*> pressed = f.press(QKeySequence::fromString(label)[0]);
            QCOMPARE(pressed.size(), 1);
            if (op == Operation::Copy || op == Operation::Paste) {
                QVERIFY(!f.menus.item(*OperationRegistry::operationOf(pressed[0])));
                continue;
            }
            QCOMPARE(pressed, f.pick(f.menus.item(op)));
        }
        QCOMPARE(labelled, 11);
        QCOMPARE(f.press(Qt::CTRL | Qt::Key_S), f.pick(f.menus.item(Operation::Overwrite)));
        QVERIFY(
            f.press(QKeyCombination(Qt::ControlModifier | Qt::ShiftModifier, Qt::Key_W)).isEmpty());
    }
};

QTEST_MAIN(TestOperations)
#include "tst_operations.moc"
