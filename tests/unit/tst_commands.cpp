// The popup menus, the command table and the routing of a picked item.
#include "commands/CommandTable.h"
#include "commands/spPic.h"

#include <QAction>
#include <QMenu>
#include <QtTest>

namespace {
struct Host : CommandHost {
    QStringList calls;
    bool text = false;
    QString reduction = QStringLiteral("減色しない");
    bool textShown() const override { return text; }
    void SaveToWorkFolder() override { calls << "SaveToWorkFolder"; }
    void EmptyWorkFolder() override { calls << "EmptyWorkFolder"; }
    void ExploreWorkFolder() override { calls << "ExploreWorkFolder"; }
    void SaveWindowSettings() override { calls << "SaveWindowSettings"; }
    void PasteText() override { calls << "PasteText"; }
    void CopyText(bool m) override { calls << QStringLiteral("CopyText(%1)").arg(m); }
    void EraseImage() override { calls << "EraseImage"; }
    void ClearRange() override { calls << "ClearRange"; }
    void setColourReduction(const QString& c) override { reduction = c; }
};

struct Fixture {
    spPic menus;
    Host host;
    CommandTable table{menus, host};
    QAction* pick = nullptr; // what the "user" picks; none = dismissed
    QList<QMenu*> opened;
    Fixture() {
        menus.popup = [this](QMenu* m) {
            opened << m;
            emit m->aboutToShow();
            if (pick)
                pick->trigger();
        };
    }
    void choose(int menu, QAction* item) {
        pick = item;
        table.ShowMenu(menu);
        pick = nullptr;
    }
};

QStringList captions(const std::vector<QAction*>& items) {
    QStringList out;
    for (QAction* a : items)
        out << (a ? spPic::caption(a) : QStringLiteral("<none>"));
    return out;
}
} // namespace

class TestCommands : public QObject {
    Q_OBJECT
private slots:
    void menuTree() {
        spPic m;
        QCOMPARE(captions(m.mnFile),
                 (QStringList{
                     "開く(&O)", "上書保存(&S)", "名前を付けて保存", "現在のﾌｧｲﾙをMarloで開く", "-",
                     "印刷設定", "印刷(&P)", "-", "作業ﾌｫﾙﾀﾞに保存", "作業ﾌｫﾙﾀﾞをｴｸｽﾌﾟﾛｰﾗｰで開く",
                     "作業ﾌｫﾙﾀﾞを Pirraで開く", "-", "作業ﾌｫﾙﾀﾞを空にする", "-", "終了(&X)"}));
        QVERIFY(m.mnFile[4]->isSeparator());
        QCOMPARE(m.mnFile[0]->text(), QStringLiteral("開く(&O)\tCtrl+O"));
        QCOMPARE(m.mnFile[1]->text(), QStringLiteral("上書保存(&S)\tF8"));
        QCOMPARE(m.mnFile[10]->text(), QStringLiteral("作業ﾌｫﾙﾀﾞを Pirraで開く\tCtrl+A"));
        QVERIFY(m.mnFile[0]->shortcut().isEmpty()); // labels only: keys go through the key table
        QCOMPARE(captions(m.mnEdt),
                 (QStringList{"範囲", "ﾄﾘﾐﾝｸﾞ", "ﾘｻｲｽﾞ", "綴じ込み", "回転", "-", "色数",
                              "ﾂｰﾙﾊﾞｰを表示", "-", "ｽﾞｰﾑ", "-", "画像の消去"}));
        QCOMPARE(captions(m.mnRng),
                 (QStringList{"-", "範囲の登録", "範囲のｸﾘｱ", "-", "強調(相対)", "強調(ﾏｰｶｰ)"}));
        QCOMPARE(captions(m.mnColr),
                 (QStringList{"<none>", "16色(4bit)", "ｸﾞﾚｰ(4bit)", "256色(8bit)", "ｸﾞﾚｰ(8bit)",
                              "16bit", "24bit", "32bit"}));
        QCOMPARE(spPic::caption(m.mnZoom[0]), QStringLiteral(" 50%"));
        QCOMPARE(spPic::caption(m.mnZoom[11]), QStringLiteral("1000%"));
        QCOMPARE(m.mnRotate[3]->text(), QStringLiteral("右90度\tCtrl+R"));
        QVERIFY(m.mnEdt[7]->isCheckable());
        QVERIFY(!m.mnEdt[7]->isChecked());
        // Registered ranges: item 0 exists, captioned "?", hidden, and so is the separator.
        QCOMPARE(m.mnUsHn.size(), size_t(1));
        QCOMPARE(m.mnUsHn[0]->text(), QStringLiteral("?"));
        QVERIFY(!m.mnUsHn[0]->isVisible());
        QVERIFY(!m.mnRng[0]->isVisible());
        QCOMPARE(m.mnUsr[0]->title(), QStringLiteral("ｷｬﾌﾟﾁｬ後の減色"));
        QCOMPARE(captions(m.mnCpyE),
                 (QStringList{"ﾃｷｽﾄ・画像のｺﾋﾟｰも取込む", "ｷｬﾌﾟﾁｬ以外は取込まない"}));
    }

    void rangeItems() {
        spPic m;
        m.setRangeItems({"VGA(640 * 480)", "A4(21 * 29.7 cm)"});
        QCOMPARE(m.mnUsHn.size(), size_t(2));
        QVERIFY(m.mnUsHn[1]->isVisible());
        QVERIFY(m.mnRng[0]->isVisible());
        // Items come before the separator and "範囲の登録".
        const QList<QAction*> order = m.mnEdt[0]->menu()->actions();
        QVERIFY(order.indexOf(m.mnUsHn[1]) < order.indexOf(m.mnRng[0]));
        m.setRangeItems({});
        QVERIFY(!m.mnUsHn[0]->isVisible());
        QVERIFY(!m.mnUsHn[1]->isVisible());
        QVERIFY(!m.mnRng[0]->isVisible());
    }

    void commandTextRule_data() {
        QTest::addColumn<QString>("group");
        QTest::addColumn<QString>("caption");
        QTest::addColumn<QString>("command");
        QTest::newRow("file cut") << "File"
                                  << "開く(&O)"
                                  << "開く";
        QTest::newRow("exit cut") << "File"
                                  << "終了(&X)"
                                  << "終了";
        QTest::newRow("edt whole") << "Edt"
                                   << "強調(ﾏｰｶｰ)"
                                   << "強調(ﾏｰｶｰ)";
        QTest::newRow("rng whole") << "Rng"
                                   << "強調(相対)"
                                   << "強調(相対)";
        QTest::newRow("no paren") << "Clp"
                                  << "ｸﾘｯﾌﾟﾎﾞｰﾄﾞへｺﾋﾟｰ"
                                  << "ｸﾘｯﾌﾟﾎﾞｰﾄﾞへｺﾋﾟｰ";
        QTest::newRow("first paren") << "Rotate"
                                     << "a(b)(c)"
                                     << "a";
    }
    void commandTextRule() {
        QFETCH(QString, group);
        QFETCH(QString, caption);
        QFETCH(QString, command);
        QCOMPARE(CommandTable::commandText(group, caption), command);
    }

    void pickedItemsRun() {
        Fixture f;
        f.choose(0, f.menus.mnFile[8]);
        f.choose(0, f.menus.mnFile[9]);
        f.choose(0, f.menus.mnFile[12]);
        f.choose(0, f.menus.mnFile[14]); // "終了(&X)" reaches "終了"
        f.choose(1, f.menus.mnEdt[11]);
        f.choose(1, f.menus.mnRng[2]);
        QCOMPARE(f.host.calls,
                 (QStringList{"SaveToWorkFolder", "ExploreWorkFolder", "EmptyWorkFolder",
                              "SaveWindowSettings", "EraseImage", "ClearRange"}));
    }

    void dismissedOrUnknownRunsNothing() {
        Fixture f;
        f.choose(0, f.menus.mnFile[8]);
        f.host.calls.clear();
        f.choose(0, nullptr);          // dismissed after a popup that ran a command
        f.choose(1, f.menus.mnEdt[0]); // a submenu's own item records nothing
        f.choose(1, f.menus.mnRng[5]); // "強調(ﾏｰｶｰ)": not built yet, and never cut to "強調"
        f.choose(5, f.menus.mnFile[8]); // no such popup
        f.table.RunCommand(QStringLiteral("作業ﾌｫﾙﾀﾞに保存 "));
        f.table.RunCommand(QStringLiteral("ｻｸｷﾞｮｳ"));
        QVERIFY(f.host.calls.isEmpty());
        QVERIFY(!f.table.hasCommand(QStringLiteral("強調")));
    }

    void textShownRoutes() {
        Fixture f;
        f.table.RunCommand(QStringLiteral("ｸﾘｯﾌﾟﾎﾞｰﾄﾞから貼付"));
        f.table.RunCommand(QStringLiteral("ｸﾘｯﾌﾟﾎﾞｰﾄﾞへｺﾋﾟｰ"));
        QVERIFY(f.host.calls.isEmpty()); // the picture variants are not the text commands
        f.host.text = true;
        f.table.RunCommand(QStringLiteral("ｸﾘｯﾌﾟﾎﾞｰﾄﾞから貼付"));
        f.table.RunCommand(QStringLiteral("ｸﾘｯﾌﾟﾎﾞｰﾄﾞへｺﾋﾟｰ"));
        f.table.RunCommand(QStringLiteral("ｸﾘｯﾌﾟﾎﾞｰﾄﾞへｺﾋﾟｰ・最小化"));
        QCOMPARE(f.host.calls, (QStringList{"PasteText", "CopyText(0)", "CopyText(1)"}));
    }

    void pasteItemFollowsClipboard() {
        Fixture f;
        bool picture = false;
        f.menus.canPasteImage = [&] { return picture; };
        f.choose(1, nullptr);
        QVERIFY(!f.menus.mnClp[3]->isEnabled());
        picture = true;
        f.choose(1, nullptr);
        QVERIFY(f.menus.mnClp[3]->isEnabled());
    }

    void viewStateFlags() {
        spPic m;
        struct Row {
            int state;
            bool save, picture, copy;
        };
        for (const Row r : {Row{-1, false, false, true}, Row{0, false, false, false},
                            Row{1, false, true, true}, Row{2, true, true, true}}) {
            m.applyViewState(r.state);
            QCOMPARE(m.mnFile[1]->isEnabled(), r.save);
            for (int i : {2, 3, 5, 6, 8})
                QCOMPARE(m.mnFile[size_t(i)]->isEnabled(), r.picture);
            for (int i : {0, 1, 2, 3, 4, 6, 7, 9})
                QCOMPARE(m.mnEdt[size_t(i)]->isEnabled(), r.picture);
            QCOMPARE(m.mnClp[0]->isEnabled(), r.copy);
            QCOMPARE(m.mnClp[1]->isEnabled(), r.copy);
            QVERIFY(m.mnFile[0]->isEnabled()); // never touched
            QVERIFY(m.mnEdt[11]->isEnabled());
        }
    }

    void colourReductionChoice() {
        Fixture f;
        QVERIFY(f.menus.mnCptC[0]->isChecked()); // as designed
        f.choose(2, f.menus.mnCptC[5]);
        QCOMPARE(f.host.reduction, QStringLiteral("16bit"));
        for (size_t i = 0; i < f.menus.mnCptC.size(); ++i)
            QCOMPARE(f.menus.mnCptC[i]->isChecked(), i == 5);
        f.choose(2, f.menus.mnCptC[5]); // the checked item again: nothing changes
        QVERIFY(f.menus.mnCptC[5]->isChecked());
        QCOMPARE(f.host.reduction, QStringLiteral("16bit"));
        QVERIFY(f.host.calls.isEmpty());

        QString empty;
        f.menus.SetCptC(empty);
        QCOMPARE(empty, QStringLiteral("減色しない"));
        QVERIFY(f.menus.mnCptC[0]->isChecked());
        QString unknown = QStringLiteral("64色");
        f.menus.SetCptC(unknown);
        for (QAction* a : f.menus.mnCptC)
            QVERIFY(!a->isChecked());
    }

    void pointerAndCopyOptionsActAtOnce() {
        Fixture f;
        bool pointer = true, copy = true;
        f.menus.onPointerOption = [&](bool on) { pointer = on; };
        f.menus.onCopyOption = [&](bool on) { copy = on; };
        f.choose(2, f.menus.mnMpnt[1]);
        QVERIFY(!pointer);
        QVERIFY(!f.menus.mnMpnt[0]->isChecked());
        QVERIFY(f.menus.mnMpnt[1]->isChecked());
        f.choose(2, f.menus.mnCpyE[1]);
        QVERIFY(!copy);
        QVERIFY(f.menus.mnCpyE[1]->isChecked());
        f.choose(2, f.menus.mnCpyE[1]); // again: stays as it is
        QVERIFY(!copy);
        QVERIFY(f.menus.mnCpyE[1]->isChecked());
        QVERIFY(!f.menus.mnCpyE[0]->isChecked());
        f.choose(2, f.menus.mnCpyE[0]);
        QVERIFY(copy);
        QVERIFY(f.menus.mnCpyE[0]->isChecked() && !f.menus.mnCpyE[1]->isChecked());
        QVERIFY(f.host.calls.isEmpty()); // sCap stays empty: no command runs
    }

    void checkMarksFollowOnlyTheirOperations() {
        Fixture f;
        f.choose(1, f.menus.mnEdt[7]);
        QVERIFY(!f.menus.mnEdt[7]->isChecked());
        f.choose(1, f.menus.mnColr[3]);
        QVERIFY(!f.menus.mnColr[3]->isChecked());
    }

    void labels() {
        Fixture f;
        f.table.lbCom_Click(2);
        f.table.lbCom_Click(3); // help: not a popup
        QCOMPARE(f.opened, (QList<QMenu*>{f.menus.mnJb[2]}));
    }

    void dispatchLog() {
        Fixture f;
        QVERIFY(!lcCommands().isDebugEnabled()); // quiet unless asked for
        QLoggingCategory::setFilterRules(QStringLiteral("tolvik.commands.debug=true"));
        QTest::ignoreMessage(QtDebugMsg, "command 作業ﾌｫﾙﾀﾞに保存 ran");
        QTest::ignoreMessage(QtDebugMsg, "command ﾄﾘﾐﾝｸﾞ has no operation");
        f.table.imBtn_Click(2);
        f.table.imBtn_Click(5);
        QLoggingCategory::setFilterRules(QString());
        QCOMPARE(f.host.calls, QStringList{"SaveToWorkFolder"});
    }
};

QTEST_MAIN(TestCommands)
#include "tst_commands.moc"
