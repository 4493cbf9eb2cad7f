// The popup menus, the command table and the routing of a picked item.
#include "commandhost.h"
#include "commands/CommandTable.h"
#include "commands/spPic.h"

#include <QAction>
#include <QKeyEvent>
#include <QMenu>
#include <QtTest>

namespace {
using Host = RecordingCommandHost;

struct Fixture {
    OperationRegistry ops;
    spPic menus;
    Host host;
    CommandTable table{menus, ops, host};
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

// The popup's items as the user reads them; submenus by title, separators as "-".
QStringList texts(const QMenu* menu) {
    QStringList out;
    for (const QAction* a : menu->actions())
        out << (a->isSeparator() ? QStringLiteral("-") : a->text());
    return out;
}
} // namespace

class TestCommands : public QObject {
    Q_OBJECT
private slots:
    void menuTree() {
        spPic m;
        QCOMPARE(texts(m.mnJb[0]),
                 (QStringList{"開く(&O)\tCtrl+O", "上書保存(&S)\tF8", "名前を付けて保存",
                              "現在のﾌｧｲﾙをMarloで開く", "-", "印刷設定", "印刷(&P)\tCtrl+P", "-",
                              "作業ﾌｫﾙﾀﾞに保存\tCtrl+W", "作業ﾌｫﾙﾀﾞをｴｸｽﾌﾟﾛｰﾗｰで開く\tCtrl+E",
                              "作業ﾌｫﾙﾀﾞを Pirraで開く\tCtrl+A", "-", "作業ﾌｫﾙﾀﾞを空にする", "-",
                              "終了(&X)"}));
        QVERIFY(m.item(Operation::Open)->shortcut().isEmpty()); // labels only: keys are filtered
        QCOMPARE(texts(m.mnJb[1]),
                 (QStringList{"ｸﾘｯﾌﾟﾎﾞｰﾄﾞへｺﾋﾟｰ\tCtrl+C", "ｸﾘｯﾌﾟﾎﾞｰﾄﾞへｺﾋﾟｰ・最小化", "-",
                              "ｸﾘｯﾌﾟﾎﾞｰﾄﾞから貼付\tCtrl+V", "-", "範囲", "ﾄﾘﾐﾝｸﾞ\tCtrl+T", "ﾘｻｲｽﾞ",
                              "綴じ込み", "回転", "-", "色数", "ﾂｰﾙﾊﾞｰを表示", "-", "ｽﾞｰﾑ", "-",
                              "画像の消去"}));
        QCOMPARE(texts(m.rangeMenu()), (QStringList{"?", "-", "範囲の登録", "範囲のｸﾘｱ", "-",
                                                    "強調(相対)", "強調(ﾏｰｶｰ)"}));
        const auto* rotate = qobject_cast<QMenu*>(m.item(Operation::RotateRight90)->parent());
        QVERIFY(rotate);
        QCOMPARE(texts(rotate), (QStringList{"左右反転", "上下反転", "-", "右90度\tCtrl+R",
                                             "右180度", "左90度\tCtrl+L", "左180度"}));
        QCOMPARE(spPic::caption(m.mnColr[1]), QStringLiteral("16色(4bit)"));
        QCOMPARE(spPic::caption(m.mnZoom[0]), QStringLiteral(" 50%"));
        QCOMPARE(spPic::caption(m.mnZoom[11]), QStringLiteral("1000%"));
        QVERIFY(m.item(Operation::ShowToolbar)->isCheckable());
        QVERIFY(!m.item(Operation::ShowToolbar)->isChecked());
        // Registered ranges: item 0 exists, captioned "?", hidden, and so is the separator.
        QCOMPARE(m.mnUsHn.size(), size_t(1));
        QVERIFY(!m.mnUsHn[0]->isVisible());
        QVERIFY(!m.rangeSeparator()->isVisible());
        QCOMPARE(m.mnUsr[0]->title(), QStringLiteral("ｷｬﾌﾟﾁｬ後の減色"));
        QCOMPARE(texts(m.mnUsr[2]),
                 (QStringList{"ﾃｷｽﾄ・画像のｺﾋﾟｰも取込む", "ｷｬﾌﾟﾁｬ以外は取込まない"}));
    }

    void rangeItems() {
        spPic m;
        m.setRangeItems({"VGA(640 * 480)", "A4(21 * 29.7 cm)"});
        QCOMPARE(m.mnUsHn.size(), size_t(2));
        QVERIFY(m.mnUsHn[1]->isVisible());
        QVERIFY(m.rangeSeparator()->isVisible());
        // Items come before the separator and "範囲の登録".
        const QList<QAction*> order = m.rangeMenu()->actions();
        QVERIFY(order.indexOf(m.mnUsHn[1]) < order.indexOf(m.rangeSeparator()));
        m.setRangeItems({});
        QVERIFY(!m.mnUsHn[0]->isVisible());
        QVERIFY(!m.mnUsHn[1]->isVisible());
        QVERIFY(!m.rangeSeparator()->isVisible());
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
        QCOMPARE(OperationRegistry::commandText(group, caption), command);
    }

    void pickedItemsRun() {
        Fixture f;
        f.choose(0, f.menus.item(Operation::SaveToWorkFolder));
        f.choose(0, f.menus.item(Operation::ExploreWorkFolder));
        f.choose(0, f.menus.item(Operation::EmptyWorkFolder));
        f.choose(0, f.menus.item(Operation::Exit)); // "終了(&X)" reaches "終了"
        f.choose(1, f.menus.item(Operation::EraseImage));
        f.choose(1, f.menus.item(Operation::ClearRange));
        QCOMPARE(f.host.calls,
                 (QStringList{"SaveToWorkFolder", "ExploreWorkFolder", "EmptyWorkFolder",
                              "SaveWindowSettings", "EraseImage", "ClearRange"}));
    }

    void registeredRangeItemsReportTheirIndex() {
        Fixture f;
        f.menus.setRangeItems({QStringLiteral("A(1 * 2 px)"), QStringLiteral("B(3 * 4 px)")});
        f.choose(1, f.menus.mnUsHn[1]);
        QCOMPARE(f.host.calls, QStringList{"range 1"});
    }

    void dismissedOrUnknownRunsNothing() {
        Fixture f;
        QAction* save = f.menus.item(Operation::SaveToWorkFolder);
        f.choose(0, save);
        f.host.calls.clear();
        f.choose(0, nullptr); // dismissed after a popup that ran a command
        f.choose(1, f.menus.rangeMenu()->menuAction()); // a submenu's own item records nothing
        f.choose(5, save);                              // no such popup
        QVERIFY(f.host.calls.isEmpty());
    }

    void textShownRoutes() {
        Fixture f;
        f.table.RunCommand(QStringLiteral("ｸﾘｯﾌﾟﾎﾞｰﾄﾞから貼付"));
        f.table.RunCommand(QStringLiteral("ｸﾘｯﾌﾟﾎﾞｰﾄﾞへｺﾋﾟｰ"));
        QCOMPARE(f.host.calls, (QStringList{"PasteImage", "CopyImage(0)"}));
        f.host.calls.clear();
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
        QVERIFY(!f.menus.item(Operation::Paste)->isEnabled());
        picture = true;
        f.choose(1, nullptr);
        QVERIFY(f.menus.item(Operation::Paste)->isEnabled());
    }

    void viewStateFlags() {
        spPic m;
        using O = Operation;
        const QList<QAction*> submenus = [&] {
            QList<QAction*> out;
            for (QAction* a : m.mnJb[1]->actions())
                if (a->menu())
                    out << a;
            return out;
        }();
        QCOMPARE(submenus.size(), 6);
        struct Row {
            ViewState state;
            bool save, picture, copy;
        };
        for (const Row r :
             {Row{ViewState::Text, false, false, true}, Row{ViewState::Empty, false, false, false},
              Row{ViewState::Stored, false, true, true},
              Row{ViewState::Changed, true, true, true}}) {
            m.applyViewState(r.state);
            QCOMPARE(m.item(O::Overwrite)->isEnabled(), r.save);
            for (O op : {O::SaveAs, O::OpenInMarlo, O::PrintSetup, O::Print, O::SaveToWorkFolder,
                         O::Trim, O::ShowToolbar})
                QCOMPARE(m.item(op)->isEnabled(), r.picture);
            for (QAction* a : submenus)
                QCOMPARE(a->isEnabled(), r.picture);
            QCOMPARE(m.item(O::Copy)->isEnabled(), r.copy);
            QCOMPARE(m.item(O::CopyAndMinimize)->isEnabled(), r.copy);
            for (O op : {O::Open, O::ExploreWorkFolder, O::EmptyWorkFolder, O::Exit, O::Paste,
                         O::EraseImage, O::ClearRange, O::RotateRight90})
                QVERIFY(m.item(op)->isEnabled());
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
        f.choose(1, f.menus.item(Operation::ShowToolbar));
        QVERIFY(!f.menus.item(Operation::ShowToolbar)->isChecked());
        QCOMPARE(f.host.calls, QStringList{"toggleToolbar"});
        f.choose(1, f.menus.mnColr[3]);
        QVERIFY(!f.menus.mnColr[3]->isChecked());
    }

    void labels() {
        Fixture f;
        f.table.lbCom_Click(2);
        f.table.lbCom_Click(3); // help: not a popup
        QCOMPARE(f.opened, (QList<QMenu*>{f.menus.mnJb[2]}));
        QCOMPARE(f.host.calls, QStringList{"openHelp"});
    }

    void dispatchLog() {
        Fixture f;
        QVERIFY(!lcCommands().isDebugEnabled()); // quiet unless asked for
        QLoggingCategory::setFilterRules(QStringLiteral("tolvik.commands.debug=true"));
        QTest::ignoreMessage(QtDebugMsg, "command 作業ﾌｫﾙﾀﾞに保存 ran");
        QTest::ignoreMessage(QtDebugMsg, "command ﾂｰﾙﾊﾞｰを表示 ran");
        QTest::ignoreMessage(QtDebugMsg, "key Ctrl+V ran");
        QTest::ignoreMessage(QtDebugMsg, "command 強調 has no operation");
        f.table.RunCommand(QStringLiteral("作業ﾌｫﾙﾀﾞに保存"));
        f.ops.action(Operation::ShowToolbar)->trigger();
        f.table.Form_KeyDown(QKeyEvent(QEvent::KeyPress, Qt::Key_V, Qt::ControlModifier));
        f.table.RunCommand(QStringLiteral("強調"));
        QLoggingCategory::setFilterRules(QString());
        QCOMPARE(f.host.calls, (QStringList{"SaveToWorkFolder", "toggleToolbar", "PasteImage"}));
    }
};

QTEST_MAIN(TestCommands)
#include "tst_commands.moc"
