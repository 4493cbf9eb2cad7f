#pragma once
// The operations of the main window, one action each. The popup menus, the toolbar, the keys
// and the command texts all reach an operation through its action here; an operation is
// registered once, in the table in Operations.cpp.
#include "commands/ViewState.h"

#include <QHash>
#include <QKeyCombination>
#include <QLoggingCategory>
#include <QObject>
#include <QString>

#include <functional>
#include <optional>
#include <vector>

class QAction;

// Every dispatched command and whether an operation ran; off unless enabled, e.g. by
// QT_LOGGING_RULES="tolvik.commands.debug=true".
Q_DECLARE_LOGGING_CATEGORY(lcCommands)

enum class Operation {
    Open,
    Overwrite,
    SaveAs,
    OpenInMarlo,
    PrintSetup,
    Print,
    SaveToWorkFolder,
    ExploreWorkFolder,
    OpenInPirra,
    EmptyWorkFolder,
    Exit,
    Copy,            // the text view's selection while a text is shown
    CopyAndMinimize, // the same, then capture wait
    Paste,           // into the text view while a text is shown
    CopyImage,       // the picture, also while a text is shown (keys only)
    PasteImage,      // the picture, also while a text is shown (keys only)
    Trim,
    ShowToolbar,
    EraseImage,
    RegisterRange,
    ClearRange,
    EmphasizeRelative,
    EmphasizeMarker,
    ShrinkToWidth,
    ShrinkToHeight,
    ShrinkUnevenly,
    FoldVertical,
    FoldHorizontal,
    MirrorHorizontal,
    MirrorVertical,
    RotateRight90,
    RotateRight180,
    RotateLeft90,
    RotateLeft180,
    Undo, // keys only: the edit history of the picture
    Redo,
};

// When the menu item of an operation is enabled. The actions themselves stay enabled: a key
// or a toolbar button runs its operation whatever the menus allow.
enum class Enabling {
    Always,
    Content,          // a text or a picture is shown
    Picture,          // a picture is shown
    Changed,          // the shown picture was changed
    ClipboardPicture, // the clipboard holds a picture when the popup opens
};

// Logs one dispatched command text and whether an operation ran.
void logCommand(const QString& command, bool ran);

class OperationRegistry : public QObject {
    Q_OBJECT
public:
    explicit OperationRegistry(QObject* parent = nullptr);
    ~OperationRegistry() override;

    static const std::vector<Operation>& all();
    // The group a popup reports for the operation's item, and its caption as designed;
    // both are empty for an operation no menu shows.
    static QString group(Operation op);
    static QString caption(Operation op);
    // The shortcut label shown beside the caption; a label only, the keys are keys(op).
    static QString label(Operation op);
    static QString menuText(Operation op);
    // The name the command log gives the operation: the caption cut before the first "("
    // except for the groups "Edt" and "Rng".
    static QString commandText(Operation op);
    static QString commandText(const QString& group, const QString& caption);
    static Enabling enabling(Operation op);
    static bool enabledIn(Enabling rule, ViewState state);
    static QString iconPath(Operation op); // empty where the toolbar has no picture
    static std::vector<QKeyCombination> keys(Operation op);
    static std::optional<Operation> operationOf(const QAction* action);

    QAction* action(Operation op) const;
    // What the operation does; an operation without one only logs that nothing ran.
    void implement(Operation op, std::function<void()> run);
    bool isImplemented(Operation op) const { return bool(m_run[size_t(op)]); }

private:
    void run(Operation op);

    std::vector<QAction*> m_actions;
    std::vector<std::function<void()>> m_run;
};
