#pragma once
// Finding the other tools of the family: through the tool-path store, the search path, the
// installation layout (tools side by side, each in a folder named by its code) and, last, the
// user's own choice.
#include <QString>
#include <QStringList>

#include <functional>

class ToolPathStore;

namespace tools {

enum Index { Pirra = 0, Marlo, Selvic, Korund, Wispel, Namora, Brevin, Count };

struct ToolName {
    QString code;        // folder name, executable base name and store key
    QString displayName; // as the user sees it in titles
};
// Empty names for an index out of range.
ToolName toolCodeName(int index);

// The names the tool's executable may have on this platform, in the order they are tried.
QStringList executableNames(const QString& code);

struct FolderSearch {
    QString found;         // the executable, or empty
    QString programParent; // parent of the program's folder: where a dialog starts
};
// Looks beside the program's folder, then one and two levels below its grandparent.
FolderSearch findInstalledTool(const QString& code, const QStringList& executableNames,
                               const QString& programFolder);

// What the user is asked when the tool is nowhere to be found.
struct ToolQuestion {
    QString title;
    QString folder;
    QString filter;
};
// Returns the chosen file, or empty when the user cancelled.
using ToolChooser = std::function<QString(const ToolQuestion&)>;

// The tool's executable, or empty when it was not found and the user chose none. The user
// may choose any executable file, whatever its name. What is found anew is written to the
// store; a chooser left empty asks nobody.
QString findTool(int index, ToolPathStore& store, const ToolChooser& chooser,
                 const QString& programFolder);

} // namespace tools
