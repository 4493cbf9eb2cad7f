// The operation registry: one action per operation, reached alike from popup items, toolbar
// buttons and keys, and each one given its work by the window and the workspace.
#include "commands/KeyTable.h"
#include "commands/Operations.h"
#include "commands/PopupMenus.h"
#include "commands/Toolbar.h"
#include "windowfixture.h"

#include <QAction>
#include <QKeyEvent>
#include <QKeySequence>
#include <QMenu>
#include <QToolButton>
#include <QtTest>

namespace {
// The menus and the toolbar over a registry, and a record of the actions triggered.
struct Fixture {
    OperationRegistry ops;
    PopupMenus menus{ops};
    QWidget band;
    Toolbar toolbar{&band, ops};
    QObject watch;
    QList<QAction*> triggered;

    Fixture() {
        menus.canPasteImage = [] { return true; };
        for (Operation op : OperationRegistry::all()) {
            QAction* a = ops.action(op);
            QObject::connect(a, &QAction::triggered, &watch, [this, a] { triggered << a; });
        }
    }
    // What picking a popup item triggers.
    QList<QAction*> pick(QAction* item) {
        triggered.clear();
        menus.popup = [item](QMenu* m) {
            emit m->aboutToShow();
            item->trigger();
        };
        menus.showPopup(menus.item(Operation::Open)->parent() == item->parent() ? 0 : 1);
        return triggered;
    }
    QList<QAction*> press(QKeyCombination key) {
        triggered.clear();
        if (const auto op = keytable::operation(
                QKeyEvent(QEvent::KeyPress, int(key.key()), key.keyboardModifiers())))
            ops.action(*op)->trigger();
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
    void everyItemReachesItsOwnAction() {
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
            QVERIFY2(item, qPrintable(OperationRegistry::caption(op)));
            QCOMPARE(item->text(), OperationRegistry::menuText(op));
            QCOMPARE(f.pick(item), QList<QAction*>{a});
        }
        QCOMPARE(distinct.size(), int(OperationRegistry::all().size()));
        QCOMPARE(captioned, 32);
    }

    // The window and its workspace give every operation its work.
    void everyOperationIsImplemented() {
        WindowFixture win;
        for (Operation op : OperationRegistry::all())
            QVERIFY2(win.w->operations().isImplemented(op),
                     qPrintable(OperationRegistry::commandText(op)));
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
