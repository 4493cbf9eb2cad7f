// The size dialog driven through its own controls.
#include "sizes/PresetColumns.h"
#include "sizes/SizeDialog.h"
#include "sizes/SizeList.h"
#include "testsupport.h"

#include <QApplication>
#include <QCheckBox>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QTimer>
#include <QToolButton>
#include <QtTest>

using sizes::SizeDialog;

namespace {

template <class T> T* control(const QWidget& dialog, const QString& name) {
    T* w = dialog.findChild<T*>(name);
    if (!w)
        qFatal("no control %s", qPrintable(name));
    return w;
}

// The enabled state of "↑", "↓", "削除", "←修正", "←追加" as five digits.
QString buttonStates(const QWidget& d) {
    QString s;
    for (int b = 0; b < 5; ++b)
        s += control<QPushButton>(d, QStringLiteral("cmLst%1").arg(b))->isEnabled() ? u'1' : u'0';
    return s;
}

QLineEdit* box(const QWidget& d, const QString& name) {
    return control<QLineEdit>(d, name);
}

void clickRow(const QWidget& d, int row) {
    auto* list = control<QListWidget>(d, QStringLiteral("lsHani"));
    list->setCurrentRow(row);
    emit list->itemClicked(list->item(row));
}

void press(const QWidget& d, int button) {
    control<QPushButton>(d, QStringLiteral("cmLst%1").arg(button))->click();
}

} // namespace

class TestSizeDialog : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() {
        sizes::setWorkAreaSource([] { return QRect(0, 0, 1920, 1040); });
    }
    void cleanupTestCase() { sizes::setWorkAreaSource({}); }

    void openingShowsTheSelectionAsTemporaryCentredOverTheParent() {
        QWidget main;
        main.setGeometry(100, 200, 1000, 800);
        RecordingMessages messages;
        SizeDialog d(QString(), 640, 480, messages, &main);
        QCOMPARE(d.windowTitle(), u"選択･切取ｻｲｽﾞの登録"_qs);
        QCOMPARE(d.geometry().center(), main.frameGeometry().center());
        auto* list = control<QListWidget>(d, QStringLiteral("lsHani"));
        QCOMPARE(list->count(), 1);
        QCOMPARE(list->item(0)->text(), u"Temporary(640*480 px)"_qs);
        QCOMPARE(list->currentRow(), 0);
        QCOMPARE(buttonStates(d), u"00110"_qs);
        QCOMPARE(control<QLabel>(d, QStringLiteral("lbCap"))->text(), u"640 x 480px"_qs);
        auto* pixels = control<QListWidget>(d, QStringLiteral("lsSize0"));
        QCOMPARE(pixels->count(), 7);
        QCOMPARE(pixels->item(6)->text(), u"ｽｸﾘｰﾝ 1,920 * 1,040"_qs);
        QCOMPARE(control<QListWidget>(d, QStringLiteral("lsSize1"))->count(), 7);
        for (QWidget* w : d.findChildren<QWidget*>(QString(), Qt::FindDirectChildrenOnly))
            QVERIFY2(!w->accessibleName().isEmpty(), qPrintable(w->objectName()));
    }

    void editHandsBackTheListOnlyWhenChanged() {
        RecordingMessages messages;
        auto closeWhenShown = [] {
            QTimer::singleShot(0, [] {
                auto* d = qobject_cast<SizeDialog*>(QApplication::activeModalWidget());
                QVERIFY(d);
                control<QPushButton>(*d, QStringLiteral("cmClose"))->click();
            });
        };
        closeWhenShown();
        QCOMPARE(SizeDialog::edit(nullptr, QString(), 640, 480, messages).value_or(QString()),
                 u"Temporary,640,480,px:"_qs);
        closeWhenShown();
        QVERIFY(!SizeDialog::edit(nullptr, u"Temporary,1,1,px"_qs, 640, 480, messages));
    }

    void listButtonsEditTheListAndFollowTheSelection() {
        RecordingMessages messages;
        SizeDialog d(u"Temporary,1,1,px:A,2,3,px:B,21,29.7,cm"_qs, 640, 480, messages);
        clickRow(d, 2);
        QCOMPARE(box(d, QStringLiteral("txCap"))->text(), u"B"_qs);
        QVERIFY(control<QRadioButton>(d, QStringLiteral("opSize1"))->isChecked());
        QCOMPARE(box(d, QStringLiteral("txSizeY1"))->text(), u"29.7"_qs);
        QCOMPARE(control<QLabel>(d, QStringLiteral("lbCap"))->text(), u"21 x 29.7cm"_qs);
        QCOMPARE(buttonStates(d), u"10100"_qs);

        box(d, QStringLiteral("txCap"))->setText(QStringLiteral("a")); // taken in any case
        QCOMPARE(buttonStates(d), u"10110"_qs);
        box(d, QStringLiteral("txCap"))->setText(QStringLiteral("New"));
        QCOMPARE(buttonStates(d), u"10111"_qs);
        press(d, SizeDialog::Add);
        QCOMPARE(d.list(), u"Temporary,1,1,px:A,2,3,px:New,21,29.7,cm:B,21,29.7,cm"_qs);
        QCOMPARE(control<QListWidget>(d, QStringLiteral("lsHani"))->currentRow(), 2);
        QCOMPARE(buttonStates(d), u"00000"_qs);

        clickRow(d, 2);
        press(d, SizeDialog::MoveUp);
        QCOMPARE(d.list(), u"Temporary,1,1,px:New,21,29.7,cm:A,2,3,px:B,21,29.7,cm"_qs);
        clickRow(d, 3);
        QCOMPARE(buttonStates(d), u"10100"_qs); // the last row cannot move down
        press(d, SizeDialog::Delete);
        QCOMPARE(d.list(), u"Temporary,1,1,px:New,21,29.7,cm:A,2,3,px"_qs);
        QCOMPARE(control<QListWidget>(d, QStringLiteral("lsHani"))->currentRow(), -1);

        box(d, QStringLiteral("txCap"))->setText(QStringLiteral("Top"));
        press(d, SizeDialog::Add); // no row selected: the new entry goes first
        QVERIFY(d.list().startsWith(u"Top,"));
    }

    void heldTemporaryIsOfferedForOverwriting() {
        RecordingMessages messages;
        SizeDialog d(u"A4,21,29.7,cm:Temporary,5,5,px"_qs, 800, 600, messages);
        QCOMPARE(control<QListWidget>(d, QStringLiteral("lsHani"))->currentRow(), 1);
        QCOMPARE(box(d, QStringLiteral("txSizeX0"))->text(), u"800"_qs);
        press(d, SizeDialog::Replace);
        QCOMPARE(d.list(), u"A4,21,29.7,cm:Temporary,800,600,px"_qs);
    }

    void centimetresAreConvertedAt96DotsPerInch() {
        // The size is kept in centimetres; the picture's own resolution (72 dpi, say) is
        // not consulted when it is turned into pixels.
        RecordingMessages messages;
        SizeDialog d(QString(), 640, 480, messages);
        box(d, QStringLiteral("txSizeX1"))->setText(QStringLiteral("10"));
        box(d, QStringLiteral("txSizeY1"))->setText(QStringLiteral("5"));
        QTest::keyClick(box(d, QStringLiteral("txSizeY1")), Qt::Key_Return);
        QCOMPARE(control<QLabel>(d, QStringLiteral("lbCap"))->text(), u"10 x 5 cm"_qs);
        box(d, QStringLiteral("txCap"))->setText(QStringLiteral("Card"));
        press(d, SizeDialog::Add);
        QCOMPARE(d.list(), u"Card,10,5,cm:Temporary,640,480,px"_qs);
        const sizes::SizeEntry card = sizes::ParseEntry(sizes::listEntries(d.list()).first());
        QCOMPARE(qRound(sizes::entryPixelWidth(card) * 100), 37795);
        QCOMPARE(qRound(sizes::entryPixelHeight(card) * 100), 18898);
        QVERIFY(qRound(sizes::entryPixelWidth(card)) != qRound(10 / 2.54 * 72));
    }

    void separatorsAreRefusedWithAMark() {
        RecordingMessages messages;
        SizeDialog d(QString(), 640, 480, messages);
        const QString before = d.list();
        auto* nameMark = control<QLabel>(d, QStringLiteral("txCapMark"));
        box(d, QStringLiteral("txCap"))->setText(QStringLiteral("A:B"));
        QVERIFY(!nameMark->isHidden());
        QCOMPARE(buttonStates(d), u"00100"_qs);
        press(d, SizeDialog::Replace);
        QCOMPARE(d.list(), before);

        box(d, QStringLiteral("txCap"))->setText(QStringLiteral("AB"));
        QVERIFY(nameMark->isHidden());
        QCOMPARE(buttonStates(d), u"00111"_qs);
        box(d, QStringLiteral("txSizeX0"))->setText(QStringLiteral("1,024"));
        QVERIFY(!control<QLabel>(d, QStringLiteral("txSizeX0Mark"))->isHidden());
        QCOMPARE(buttonStates(d), u"00100"_qs);
        press(d, SizeDialog::Add);
        QCOMPARE(d.list(), before);
    }

    void presetsApplyPercentageAndSwap() {
        RecordingMessages messages;
        SizeDialog d(QString(), 640, 480, messages);
        auto* percent = box(d, QStringLiteral("txPsnt0"));
        percent->setText(QStringLiteral("150"));
        QCOMPARE(percent->palette().color(QPalette::Text), QColor(Qt::red));
        control<QListWidget>(d, QStringLiteral("lsSize0"))->setCurrentRow(1);
        QCOMPARE(box(d, QStringLiteral("txSizeX0"))->text(), u"640"_qs); // unchanged

        percent->setText(QStringLiteral("50"));
        QCOMPARE(percent->palette().color(QPalette::Text), QColor(Qt::black));
        control<QCheckBox>(d, QStringLiteral("chXY0"))->click();
        QCOMPARE(box(d, QStringLiteral("txCap"))->text(), u"VGA 50%"_qs);
        QCOMPARE(box(d, QStringLiteral("txSizeX0"))->text(), u"240"_qs);
        QCOMPARE(box(d, QStringLiteral("txSizeY0"))->text(), u"320"_qs);
        QCOMPARE(control<QLabel>(d, QStringLiteral("lbCap"))->text(), u"240 x 320 px"_qs);

        control<QListWidget>(d, QStringLiteral("lsSize1"))->setCurrentRow(6);
        QVERIFY(control<QRadioButton>(d, QStringLiteral("opSize1"))->isChecked());
        QCOMPARE(box(d, QStringLiteral("txCap"))->text(), u"L判 100%"_qs);
        QCOMPARE(box(d, QStringLiteral("txSizeX1"))->text(), u"8.9"_qs);
        QCOMPARE(box(d, QStringLiteral("txSizeY1"))->text(), u"12.7"_qs);
    }

    void presetColumnsLineUpInAnyFont() {
        RecordingMessages messages;
        SizeDialog d(QString(), 640, 480, messages);
        for (const char* name : {"lsSize0", "lsSize1"}) {
            auto* list = control<QListWidget>(d, QString::fromLatin1(name));
            auto* columns = qobject_cast<sizes::PresetColumns*>(list->itemDelegate());
            QVERIFY(columns);
            const QFontMetrics metrics(list->font());
            std::vector<QRect> first;
            for (int row = 0; row < list->count(); ++row) {
                const QString text = list->item(row)->text();
                const std::vector<sizes::PresetColumns::Field> fields = columns->fields(text, 16);
                QCOMPARE(fields.size(), size_t(4)); // name, width, sign, height
                QStringList shown;
                for (size_t c = 0; c < fields.size(); ++c) {
                    shown << fields[c].text;
                    // Each text has room in its column, and the columns do not overlap.
                    QVERIFY2(metrics.horizontalAdvance(fields[c].text) <= fields[c].column.width(),
                             qPrintable(text));
                    if (c > 0)
                        QVERIFY(fields[c].column.left() > fields[c - 1].column.right());
                }
                QCOMPARE(shown.join(u' '), text.simplified());
                // The numbers end at the same place on every row.
                QCOMPARE(fields[1].align, Qt::Alignment(Qt::AlignRight));
                QCOMPARE(fields[3].align, Qt::Alignment(Qt::AlignRight));
                if (first.empty())
                    for (const auto& f : fields)
                        first.push_back(f.column);
                for (size_t c = 0; c < fields.size(); ++c)
                    QCOMPARE(fields[c].column, first[c]);
            }
        }
    }

    void calculatorIsLookedUpOnThePath() {
        QTemporaryDir bin;
        const QByteArray path = qgetenv("PATH");
        qputenv("PATH", QFile::encodeName(bin.path()));
        RecordingMessages messages;
        SizeDialog d(QString(), 640, 480, messages);
        control<QToolButton>(d, QStringLiteral("ssCom"))->click();
        QCOMPARE(messages.notices.size(), 1);
        QVERIFY(control<QPushButton>(d, QStringLiteral("cmClose"))->isEnabled());

        QFile fake(bin.filePath(QStringLiteral("kcalc")));
        QVERIFY(fake.open(QIODevice::WriteOnly));
        fake.setPermissions(fake.permissions() | QFileDevice::ExeOwner);
        fake.close();
        QCOMPARE(SizeDialog::calculatorProgram(), fake.fileName());
        qputenv("PATH", path);
    }
};

QTEST_MAIN(TestSizeDialog)
#include "tst_sizedialog.moc"
