#include "commands/KeyTable.h"

#include <QKeyEvent>
#include <QTest>
#include <QWidget>

#include <optional>

using keytable::modifierMask;
using keytable::operation;

Q_DECLARE_METATYPE(std::optional<Operation>)

namespace QTest {
template <> char* toString(const std::optional<Operation>& op) {
    return qstrdup(op ? QByteArray("Operation ").append(QByteArray::number(int(*op))).constData()
                      : "nothing");
}
} // namespace QTest

namespace {
constexpr Qt::KeyboardModifiers kCtrl{Qt::ControlModifier};
constexpr Qt::KeyboardModifiers kShift{Qt::ShiftModifier};
constexpr Qt::KeyboardModifiers kAlt{Qt::AltModifier};
constexpr Qt::KeyboardModifiers kNone{};

// Keeps the last key press, as the main window sees it before its children.
class KeySink : public QWidget {
public:
    int lastKey = 0;
    std::optional<Operation> last;

protected:
    void keyPressEvent(QKeyEvent* e) override {
        lastKey = e->key();
        last = operation(*e);
    }
};
} // namespace

class TestKeyTable : public QObject {
    Q_OBJECT
private slots:
    void table_data();
    void table();
    void modifierMask_data();
    void modifierMask();
    void lowerAndUpperCaseLettersAreOneKey();
    void keyEventsFromTheWindowSystem();
};

void TestKeyTable::table_data() {
    using C = std::optional<Operation>;
    QTest::addColumn<int>("key");
    QTest::addColumn<Qt::KeyboardModifiers>("mods");
    QTest::addColumn<C>("expected");

    QTest::newRow("F8") << int(Qt::Key_F8) << kNone << C(Operation::Overwrite);
    QTest::newRow("Ctrl+O") << int(Qt::Key_O) << kCtrl << C(Operation::Open);
    QTest::newRow("Ctrl+S") << int(Qt::Key_S) << kCtrl << C(Operation::Overwrite);
    QTest::newRow("Ctrl+V") << int(Qt::Key_V) << kCtrl << C(Operation::PasteImage);
    QTest::newRow("Ctrl+C") << int(Qt::Key_C) << kCtrl << C(Operation::CopyImage);
    QTest::newRow("Ctrl+T") << int(Qt::Key_T) << kCtrl << C(Operation::Trim);
    QTest::newRow("Ctrl+W") << int(Qt::Key_W) << kCtrl << C(Operation::SaveToWorkFolder);
    QTest::newRow("Ctrl+P") << int(Qt::Key_P) << kCtrl << C(Operation::Print);
    QTest::newRow("Ctrl+E") << int(Qt::Key_E) << kCtrl << C(Operation::ExploreWorkFolder);
    QTest::newRow("Ctrl+A") << int(Qt::Key_A) << kCtrl << C(Operation::OpenInPirra);
    QTest::newRow("Ctrl+R") << int(Qt::Key_R) << kCtrl << C(Operation::RotateRight90);
    QTest::newRow("Ctrl+L") << int(Qt::Key_L) << kCtrl << C(Operation::RotateLeft90);

    // The mask must be exact: extra Shift or Alt turns a key off.
    QTest::newRow("Ctrl+Shift+S") << int(Qt::Key_S) << (kCtrl | kShift) << C();
    QTest::newRow("Ctrl+Alt+S") << int(Qt::Key_S) << (kCtrl | kAlt) << C();
    QTest::newRow("Alt+F8") << int(Qt::Key_F8) << kAlt << C();
    QTest::newRow("Shift+F8") << int(Qt::Key_F8) << kShift << C();
    QTest::newRow("Ctrl+F8") << int(Qt::Key_F8) << kCtrl << C();
    QTest::newRow("S alone") << int(Qt::Key_S) << kNone << C();
    QTest::newRow("Alt+O") << int(Qt::Key_O) << kAlt << C();

    // Keys that only the toolbar tooltips mention.
    QTest::newRow("Ctrl+X") << int(Qt::Key_X) << kCtrl << C();
    QTest::newRow("Ctrl+Y") << int(Qt::Key_Y) << kCtrl << C();
    QTest::newRow("Ctrl alone") << int(Qt::Key_Control) << kCtrl << C();

    // Flags outside the mask change nothing.
    QTest::newRow("keypad F8") << int(Qt::Key_F8) << Qt::KeyboardModifiers(Qt::KeypadModifier)
                               << C(Operation::Overwrite);
    QTest::newRow("Ctrl+Meta+S") << int(Qt::Key_S) << (kCtrl | Qt::MetaModifier)
                                 << C(Operation::Overwrite);
    QTest::newRow("Meta+S") << int(Qt::Key_S) << Qt::KeyboardModifiers(Qt::MetaModifier) << C();
}

void TestKeyTable::table() {
    QFETCH(int, key);
    QFETCH(Qt::KeyboardModifiers, mods);
    QFETCH(std::optional<Operation>, expected);
    QCOMPARE(operation(key, mods), expected);
}

void TestKeyTable::modifierMask_data() {
    QTest::addColumn<Qt::KeyboardModifiers>("mods");
    QTest::addColumn<int>("mask");
    QTest::newRow("none") << kNone << 0;
    QTest::newRow("Shift") << kShift << 1;
    QTest::newRow("Ctrl") << kCtrl << 2;
    QTest::newRow("Alt") << kAlt << 4;
    QTest::newRow("Ctrl+Shift") << (kCtrl | kShift) << 3;
    QTest::newRow("all three") << (kCtrl | kShift | kAlt) << 7;
    QTest::newRow("keypad and Meta ignored")
        << (kCtrl | Qt::KeypadModifier | Qt::MetaModifier | Qt::GroupSwitchModifier) << 2;
}

void TestKeyTable::modifierMask() {
    QFETCH(Qt::KeyboardModifiers, mods);
    QFETCH(int, mask);
    QCOMPARE(keytable::modifierMask(mods), mask);
}

void TestKeyTable::lowerAndUpperCaseLettersAreOneKey() {
    for (char c : {'o', 's', 'v', 'c', 't', 'w', 'p', 'e', 'a', 'r', 'l'}) {
        const int upper = c - 'a' + 'A';
        QVERIFY(operation(upper, kCtrl).has_value());
        QCOMPARE(operation(c, kCtrl), operation(upper, kCtrl));
    }
    QCOMPARE(operation('x', kCtrl), std::optional<Operation>());
}

void TestKeyTable::keyEventsFromTheWindowSystem() {
    // The modifiers go down first, so the last press is the key itself.
    KeySink w;
    const auto press = [&w](auto key, Qt::KeyboardModifiers mods = {}) {
        w.lastKey = 0;
        w.last = Operation::Print; // overwritten by every press
        QTest::keyClick(&w, key, mods);
        return w.last;
    };
    QCOMPARE(press('o', kCtrl), std::optional(Operation::Open));
    QCOMPARE(w.lastKey, int(Qt::Key_O));
    QCOMPARE(press('O', kCtrl), std::optional(Operation::Open));
    QCOMPARE(w.lastKey, int(Qt::Key_O));
    QCOMPARE(press('S', kCtrl | kShift), std::optional<Operation>());
    QCOMPARE(w.lastKey, int(Qt::Key_S));
    QCOMPARE(press(Qt::Key_F8), std::optional(Operation::Overwrite));
    QCOMPARE(press(Qt::Key_F8, kShift), std::optional<Operation>());
    QCOMPARE(w.lastKey, int(Qt::Key_F8));
}

QTEST_MAIN(TestKeyTable)
#include "tst_keytable.moc"
