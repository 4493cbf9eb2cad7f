#include "commands/CommandTable.h"

#include "commands/KeyTable.h"
#include "commands/Toolbar.h"
#include "commands/spPic.h"

#include <QAction>

#include <vector>

Q_LOGGING_CATEGORY(lcCommands, "tolvik.commands", QtWarningMsg)

namespace {
void logDispatch(const QString& command, bool ran) {
    qCDebug(lcCommands).noquote() << "command" << command << (ran ? "ran" : "has no operation");
}
} // namespace

CommandTable::CommandTable(spPic& menus, CommandHost& host) : m_menus(menus), m_host(host) {
    // Operations join this table as they are built; a caption without an entry does nothing.
    add(QStringLiteral("作業ﾌｫﾙﾀﾞに保存"), [this] { m_host.SaveToWorkFolder(); });
    add(QStringLiteral("作業ﾌｫﾙﾀﾞを空にする"), [this] { m_host.EmptyWorkFolder(); });
    add(QStringLiteral("作業ﾌｫﾙﾀﾞをｴｸｽﾌﾟﾛｰﾗｰで開く"), [this] { m_host.ExploreWorkFolder(); });
    add(QStringLiteral("終了"), [this] { m_host.SaveWindowSettings(); });
    add(QStringLiteral("ｸﾘｯﾌﾟﾎﾞｰﾄﾞから貼付"), [this] {
        if (m_host.textShown())
            m_host.PasteText();
    });
    add(QStringLiteral("ｸﾘｯﾌﾟﾎﾞｰﾄﾞへｺﾋﾟｰ"), [this] {
        if (m_host.textShown())
            m_host.CopyText(false);
    });
    add(QStringLiteral("ｸﾘｯﾌﾟﾎﾞｰﾄﾞへｺﾋﾟｰ・最小化"), [this] {
        if (m_host.textShown())
            m_host.CopyText(true);
    });
    add(QStringLiteral("範囲のｸﾘｱ"), [this] { m_host.ClearRange(); });
    add(QStringLiteral("画像の消去"), [this] { m_host.EraseImage(); });
}

void CommandTable::add(const QString& caption, std::function<void()> run) {
    m_table.insert(caption, std::move(run));
}

QString CommandTable::commandText(const QString& group, const QString& caption) {
    if (group == u"Edt" || group == u"Rng")
        return caption;
    const qsizetype p = caption.indexOf(u'(');
    return p >= 0 ? caption.left(p) : caption;
}

void CommandTable::ShowMenu(int menuIndex) {
    if (menuIndex < 0 || menuIndex > 2)
        return;
    m_menus.sCap.clear();
    // Check marks that follow the picture are not the user's to flip by clicking.
    std::vector<std::pair<QAction*, bool>> marks{{m_menus.mnEdt[7], m_menus.mnEdt[7]->isChecked()}};
    for (QAction* a : m_menus.mnColr)
        if (a)
            marks.emplace_back(a, a->isChecked());
    m_menus.popup(m_menus.mnJb[size_t(menuIndex)]);
    for (const auto& [a, checked] : marks)
        a->setChecked(checked);

    const QString cap = m_menus.sCap;
    const QString grp = m_menus.sGrp;
    if (cap.isEmpty())
        return;
    if (grp == u"UsHn" || grp == u"Color" || grp == u"Zoom") {
        logDispatch(cap, false); // their operations run here once they exist
        return;
    }
    if (grp == u"CptC") {
        QString choice = cap;
        m_menus.SetCptC(choice);
        m_host.setColourReduction(choice);
        logDispatch(cap, true);
        return;
    }
    RunCommand(commandText(grp, cap));
}

void CommandTable::RunCommand(const QString& caption) {
    const auto it = m_table.constFind(caption);
    const bool found = it != m_table.constEnd();
    logDispatch(caption, found);
    if (found)
        it.value()();
}

void CommandTable::lbCom_Click(int index) {
    if (index >= 0 && index <= 2)
        ShowMenu(index);
}

void CommandTable::imBtn_Click(int index) {
    RunCommand(Toolbar::commandText(index));
}

void CommandTable::Form_KeyDown(const QKeyEvent& event) {
    const std::optional<KeyCommand> key = keytable::keyCommand(event);
    if (!key)
        return;
    // Keys run their operations directly, whatever the menus' enabled flags say; the
    // others join as their operations are built.
    bool ran = true;
    switch (*key) {
    case KeyCommand::SaveToWorkFolder:
        m_host.SaveToWorkFolder();
        break;
    case KeyCommand::ExploreWorkFolder:
        m_host.ExploreWorkFolder();
        break;
    default:
        ran = false;
        break;
    }
    logDispatch(QStringLiteral("key %1").arg(int(*key)), ran);
}
