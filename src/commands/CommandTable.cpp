#include "commands/CommandTable.h"

#include "commands/KeyTable.h"
#include "commands/spPic.h"
#include "core/NumRules.h"

#include <QAction>

#include <vector>

CommandTable::CommandTable(spPic& menus, OperationRegistry& operations, CommandHost& host)
    : m_menus(menus), m_ops(operations), m_host(host) {
    using O = Operation;
    m_ops.implement(O::SaveToWorkFolder, [this] { m_host.SaveToWorkFolder(); });
    m_ops.implement(O::EmptyWorkFolder, [this] { m_host.EmptyWorkFolder(); });
    m_ops.implement(O::ExploreWorkFolder, [this] { m_host.ExploreWorkFolder(); });
    m_ops.implement(O::Exit, [this] { m_host.SaveWindowSettings(); });
    // The picture variants join these once they are built.
    // The clipboard commands act on the text while a text is shown, else on the picture.
    m_ops.implement(O::Paste, [this] {
        if (m_host.textShown())
            m_host.PasteText();
        else
            m_host.PasteImage();
    });
    m_ops.implement(O::Copy, [this] {
        if (m_host.textShown())
            m_host.CopyText(false);
        else
            m_host.CopyImage(false);
    });
    m_ops.implement(O::CopyAndMinimize, [this] {
        if (m_host.textShown())
            m_host.CopyText(true);
        else
            m_host.CopyImage(true);
    });
    m_ops.implement(O::Open, [this] { m_host.OpenImageFile(); });
    m_ops.implement(O::Overwrite, [this] { m_host.SaveImage(false); });
    m_ops.implement(O::SaveAs, [this] { m_host.SaveImage(true); });
    m_ops.implement(O::PrintSetup, [this] { m_host.PrintImage(0); });
    m_ops.implement(O::Print, [this] { m_host.PrintImage(1); });
    m_ops.implement(O::CopyImage, [this] { m_host.CopyImage(false); });
    m_ops.implement(O::PasteImage, [this] { m_host.PasteImage(); });
    m_ops.implement(O::ClearRange, [this] { m_host.ClearRange(); });
    m_ops.implement(O::EraseImage, [this] { m_host.EraseImage(); });
    for (O op : {O::Trim, O::EmphasizeRelative, O::EmphasizeMarker, O::ShrinkToWidth,
                 O::ShrinkToHeight, O::ShrinkUnevenly, O::FoldVertical, O::FoldHorizontal,
                 O::MirrorHorizontal, O::MirrorVertical, O::RotateRight90, O::RotateRight180,
                 O::RotateLeft90, O::RotateLeft180})
        m_ops.implement(op, [this, op] { m_host.editPicture(op); });
    m_ops.implement(O::RegisterRange, [this] { m_host.registerRange(); });
    m_ops.implement(O::ShowToolbar, [this] { m_host.toggleToolbar(); });
    m_ops.implement(O::OpenInMarlo, [this] { m_host.openInMarlo(); });
    m_ops.implement(O::OpenInPirra, [this] { m_host.openInPirra(); });
    m_ops.implement(O::Undo, [this] { m_host.undoEdit(false); });
    m_ops.implement(O::Redo, [this] { m_host.undoEdit(true); });
}

void CommandTable::ShowMenu(int menuIndex) {
    if (menuIndex < 0 || menuIndex > 2)
        return;
    m_menus.sCap.clear();
    // Check marks that follow the picture and the toolbar are not the user's to flip by clicking.
    QAction* toolbar = m_menus.item(Operation::ShowToolbar);
    std::vector<std::pair<QAction*, bool>> marks{{toolbar, toolbar->isChecked()}};
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
    if (grp == u"Color") {
        m_host.changeDepth(cap);
        logCommand(cap, true);
        return;
    }
    if (grp == u"UsHn") {
        // "RG:" and the item's index.
        m_host.selectRegisteredRange(int(numrules::leadingNumber(cap.mid(3))));
        logCommand(cap, true);
        return;
    }
    if (grp == u"Zoom") {
        m_host.zoomTo(cap);
        logCommand(cap, true);
        return;
    }
    if (grp == u"CptC") {
        QString choice = cap;
        m_menus.SetCptC(choice);
        m_host.setColourReduction(choice);
        logCommand(cap, true);
        return;
    }
    RunCommand(OperationRegistry::commandText(grp, cap));
}

void CommandTable::RunCommand(const QString& caption) {
    if (QAction* a = m_ops.find(caption))
        a->trigger(); // the registry logs what ran
    else
        logCommand(caption, false);
}

void CommandTable::lbCom_Click(int index) {
    if (index >= 0 && index <= 2)
        ShowMenu(index);
    else if (index == 3)
        m_host.openHelp();
}

void CommandTable::Form_KeyDown(const QKeyEvent& event) {
    if (const std::optional<Operation> op = keytable::operation(event))
        m_ops.action(*op)->trigger();
}
