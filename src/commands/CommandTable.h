#pragma once
// Dispatch of commands: popup menus, toolbar buttons, labels and keys all end in the
// actions of the operation registry; a command text finds its action there.
#include "commands/Operations.h"

#include <QString>

class QKeyEvent;
class spPic;

// The operations the commands run, as the main window offers them.
class CommandHost {
public:
    virtual ~CommandHost() = default;
    virtual bool textShown() const = 0;
    virtual void SaveToWorkFolder() = 0;
    virtual void EmptyWorkFolder() = 0;
    virtual void ExploreWorkFolder() = 0;
    virtual void SaveWindowSettings() = 0;
    virtual void PasteText() = 0;
    virtual void CopyText(bool minimize) = 0;
    virtual void EraseImage() = 0;
    virtual void ClearRange() = 0;
    virtual void setColourReduction(const QString& caption) = 0;
    // The picture edits, the colour depth by its caption, and the edit history.
    virtual void editPicture(Operation op) = 0;
    virtual void changeDepth(const QString& caption) = 0;
    virtual void undoEdit(bool redo) = 0;
    // The size of the range under a name, in the size dialog.
    virtual void registerRange() = 0;
    // The registered size of the range menu's item index becomes the range.
    virtual void selectRegisteredRange(int index) = 0;
    // The zoom menu's caption (" 50%" ... "1000%").
    virtual void zoomTo(const QString& caption) = 0;
    // The picture (or its range) to the clipboard, and a clipboard picture into the view.
    virtual void CopyImage(bool minimize) = 0;
    virtual void PasteImage() = 0;
    // Picture files and printing; setup is 0 for "印刷設定", which always shows the print
    // dialog, and 1 for "印刷", which uses the kept settings when they last worked.
    virtual void OpenImageFile() = 0;
    virtual void SaveImage(bool saveAs) = 0;
    virtual void PrintImage(int setup) = 0;
    // Shows the drawing toolbar while it is hidden, closes it while it is shown.
    virtual void toggleToolbar() = 0;
    // The sibling tools on the current file or the work folder, and the help page.
    virtual void openInMarlo() = 0;
    virtual void openInPirra() = 0;
    virtual void openHelp() = 0;
};

class CommandTable {
public:
    // Gives the registry's operations what the host does for them.
    CommandTable(spPic& menus, OperationRegistry& operations, CommandHost& host);

    // Shows popup 0, 1 or 2 at the pointer and runs what the user picks.
    void ShowMenu(int menuIndex);
    // Triggers the action whose command text equals caption exactly; others do nothing.
    void RunCommand(const QString& caption);

    void lbCom_Click(int index);
    // Triggers the action of the key's operation; the key is not consumed.
    void Form_KeyDown(const QKeyEvent& event);

private:
    spPic& m_menus;
    OperationRegistry& m_ops;
    CommandHost& m_host;
};
