// The popup menus: their items, the choices they report, typed, and their marks.
#include "commands/PopupMenus.h"

#include <QAction>
#include <QMenu>
#include <QSignalSpy>
#include <QtTest>

namespace {
struct Fixture {
    OperationRegistry ops;
    PopupMenus menus{ops};
    QAction* pick = nullptr; // what the "user" picks; none = dismissed
    QList<QMenu*> opened;
    QStringList ran;
    Fixture() {
        menus.popup = [this](QMenu* m) {
            opened << m;
            emit m->aboutToShow();
            if (pick)
                pick->trigger();
        };
        for (Operation op : OperationRegistry::all())
            ops.implement(op, [this, op] { ran << OperationRegistry::commandText(op); });
    }
    void choose(int menu, QAction* item) {
        pick = item;
        menus.showPopup(menu);
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
        OperationRegistry ops;
        PopupMenus m(ops);
        QCOMPARE(texts(m.popups[0]),
                 (QStringList{"開く(&O)\tCtrl+O", "上書保存(&S)\tF8", "名前を付けて保存",
                              "現在のﾌｧｲﾙをMarloで開く", "-", "印刷設定", "印刷(&P)\tCtrl+P", "-",
                              "作業ﾌｫﾙﾀﾞに保存\tCtrl+W", "作業ﾌｫﾙﾀﾞをｴｸｽﾌﾟﾛｰﾗｰで開く\tCtrl+E",
                              "作業ﾌｫﾙﾀﾞを Pirraで開く\tCtrl+A", "-", "作業ﾌｫﾙﾀﾞを空にする", "-",
                              "終了(&X)"}));
        QVERIFY(m.item(Operation::Open)->shortcut().isEmpty()); // labels only: keys are filtered
        QCOMPARE(texts(m.popups[1]),
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
        QCOMPARE(m.depthItems[0]->text(), QStringLiteral("16色(4bit)"));
        QCOMPARE(m.depthItems[6]->text(), QStringLiteral("32bit"));
        QCOMPARE(m.zoomItems[0]->text(), QStringLiteral(" 50%"));
        QCOMPARE(m.zoomItems[11]->text(), QStringLiteral("1000%"));
        QVERIFY(m.item(Operation::ShowToolbar)->isCheckable());
        QVERIFY(!m.item(Operation::ShowToolbar)->isChecked());
        // Registered ranges: item 0 exists, captioned "?", hidden, and so is the separator.
        QCOMPARE(m.rangeItems.size(), size_t(1));
        QVERIFY(!m.rangeItems[0]->isVisible());
        QVERIFY(!m.rangeSeparator()->isVisible());
        QCOMPARE(m.settingsMenus[0]->title(), QStringLiteral("ｷｬﾌﾟﾁｬ後の減色"));
        QCOMPARE(texts(m.settingsMenus[0]), (QStringList{"減色しない", "16色(4bit)", "ｸﾞﾚｰ(4bit)",
                                                         "256色(8bit)", "ｸﾞﾚｰ(8bit)", "16bit"}));
        QCOMPARE(texts(m.settingsMenus[2]),
                 (QStringList{"ﾃｷｽﾄ・画像のｺﾋﾟｰも取込む", "ｷｬﾌﾟﾁｬ以外は取込まない"}));
    }

    void rangeItems() {
        OperationRegistry ops;
        PopupMenus m(ops);
        m.setRangeItems({"VGA(640 * 480)", "A4(21 * 29.7 cm)"});
        QCOMPARE(m.rangeItems.size(), size_t(2));
        QVERIFY(m.rangeItems[1]->isVisible());
        QVERIFY(m.rangeSeparator()->isVisible());
        // Items come before the separator and "範囲の登録".
        const QList<QAction*> order = m.rangeMenu()->actions();
        QVERIFY(order.indexOf(m.rangeItems[1]) < order.indexOf(m.rangeSeparator()));
        m.setRangeItems({});
        QVERIFY(!m.rangeItems[0]->isVisible());
        QVERIFY(!m.rangeItems[1]->isVisible());
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

    // A picked item runs its operation; the choices report what they are.
    void pickedItemsRun() {
        Fixture f;
        f.choose(0, f.menus.item(Operation::SaveToWorkFolder));
        f.choose(0, f.menus.item(Operation::Exit));
        f.choose(1, f.menus.item(Operation::EraseImage));
        QCOMPARE(f.ran, (QStringList{"作業ﾌｫﾙﾀﾞに保存", "終了", "画像の消去"}));
        QSignalSpy depth(&f.menus, &PopupMenus::depthChosen);
        QSignalSpy zoom(&f.menus, &PopupMenus::zoomChosen);
        QSignalSpy range(&f.menus, &PopupMenus::rangeChosen);
        f.choose(1, f.menus.depthItems[3]);
        f.choose(1, f.menus.zoomItems[0]);
        f.menus.setRangeItems({QStringLiteral("A(1 * 2 px)"), QStringLiteral("B(3 * 4 px)")});
        f.choose(1, f.menus.rangeItems[1]);
        QCOMPARE(depth.takeFirst().at(0).toInt(), 80); // "ｸﾞﾚｰ(8bit)"
        QCOMPARE(zoom.takeFirst().at(0).toDouble(), 0.5);
        QCOMPARE(range.takeFirst().at(0).toInt(), 1);
        QCOMPARE(zoomFactorOfCaption(QStringLiteral("1000%")), 10.0);
        QCOMPARE(zoomFactorOfCaption(QStringLiteral("ｽﾞｰﾑ")), 1.0);
    }

    void dismissedRunsNothing() {
        Fixture f;
        f.choose(0, nullptr);
        f.choose(1, f.menus.rangeMenu()->menuAction());         // a submenu's own item runs nothing
        f.choose(5, f.menus.item(Operation::SaveToWorkFolder)); // no such popup
        QVERIFY(f.ran.isEmpty());
        QCOMPARE(f.opened.size(), 2);
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
        OperationRegistry ops;
        PopupMenus m(ops);
        using O = Operation;
        const QList<QAction*> submenus = [&] {
            QList<QAction*> out;
            for (QAction* a : m.popups[1]->actions())
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
        QSignalSpy chosen(&f.menus, &PopupMenus::reductionChosen);
        QVERIFY(f.menus.reductionItems[0]->isChecked()); // as designed
        f.choose(2, f.menus.reductionItems[5]);
        QCOMPARE(chosen.takeFirst().at(0).toInt(), 16);
        for (size_t i = 0; i < f.menus.reductionItems.size(); ++i)
            QCOMPARE(f.menus.reductionItems[i]->isChecked(), i == 5);
        f.choose(2, f.menus.reductionItems[5]); // the checked item again: it stays checked
        QVERIFY(f.menus.reductionItems[5]->isChecked());
        QVERIFY(f.ran.isEmpty());
        f.menus.showReduction(40);
        QVERIFY(f.menus.reductionItems[2]->isChecked());
        f.menus.showReduction(24); // not offered: nothing checked
        for (QAction* a : f.menus.reductionItems)
            QVERIFY(!a->isChecked());
    }

    void pointerAndCopyOptionsActAtOnce() {
        Fixture f;
        QSignalSpy pointer(&f.menus, &PopupMenus::pointerOptionChosen);
        QSignalSpy copy(&f.menus, &PopupMenus::copyOptionChosen);
        f.choose(2, f.menus.pointerItems[1]);
        QCOMPARE(pointer.takeFirst().at(0).toBool(), false);
        QVERIFY(!f.menus.pointerItems[0]->isChecked());
        QVERIFY(f.menus.pointerItems[1]->isChecked());
        f.choose(2, f.menus.copyItems[1]);
        f.choose(2, f.menus.copyItems[1]); // again: stays as it is
        QVERIFY(f.menus.copyItems[1]->isChecked() && !f.menus.copyItems[0]->isChecked());
        f.choose(2, f.menus.copyItems[0]);
        QCOMPARE(copy.size(), 3);
        QCOMPARE(copy.last().at(0).toBool(), true);
        QVERIFY(f.menus.copyItems[0]->isChecked() && !f.menus.copyItems[1]->isChecked());
        QVERIFY(f.ran.isEmpty());
    }

    void checkMarksFollowOnlyTheirOperations() {
        Fixture f;
        f.choose(1, f.menus.item(Operation::ShowToolbar));
        QVERIFY(!f.menus.item(Operation::ShowToolbar)->isChecked());
        QCOMPARE(f.ran, QStringList{"ﾂｰﾙﾊﾞｰを表示"});
        f.choose(1, f.menus.depthItems[2]);
        QVERIFY(!f.menus.depthItems[2]->isChecked());
    }

    void dispatchLog() {
        OperationRegistry ops;
        PopupMenus menus(ops);
        menus.popup = [&](QMenu* m) { menus.depthItems[5]->trigger(), (void)m; };
        ops.implement(Operation::SaveToWorkFolder, [] {});
        QVERIFY(!lcCommands().isDebugEnabled()); // quiet unless asked for
        QLoggingCategory::setFilterRules(QStringLiteral("tolvik.commands.debug=true"));
        QTest::ignoreMessage(QtDebugMsg, "command 作業ﾌｫﾙﾀﾞに保存 ran");
        QTest::ignoreMessage(QtDebugMsg, "command ﾂｰﾙﾊﾞｰを表示 has no operation");
        QTest::ignoreMessage(QtDebugMsg, "key Ctrl+V has no operation");
        QTest::ignoreMessage(QtDebugMsg, "command 24bit ran");
        ops.action(Operation::SaveToWorkFolder)->trigger();
        ops.action(Operation::ShowToolbar)->trigger();
        ops.action(Operation::PasteImage)->trigger();
        menus.showPopup(1);
        QLoggingCategory::setFilterRules(QString());
    }
};

QTEST_MAIN(TestCommands)
#include "tst_commands.moc"
