#pragma once
// Process-wide state and the entry and exit routines.
#include <QString>
#include <QUrl>

class QApplication;
struct CommandLine;

namespace Sys {

struct Globals {
    QString ProgramName;
    QString UserDataFolder;    // ends with "/"
    QString ProgramDataFolder; // "apData/" beside the executable or installed (installedFile)
};
Globals& globals();

// The executable's base name without extension, less a trailing "_dv" (any case).
QString programNameFrom(const QString& executablePath);

bool FileExists(const QString& path);

// The program data folder (help pages, the stamp), ending with "/": beside the executable
// before the globals are set.
QString programDataFolder();
// Where the help pages are: the program data folder's address.
QUrl helpBaseAddress();

// Hands the command line over to a running instance, or prepares the globals and the data
// folders, shows the main window (minimised in capture wait when a capture is asked for) and
// runs the event loop; returns the process exit code.
int Main(QApplication& app, const CommandLine& command);

// Closes every window and ends the event loop; the exit routine ends here.
void ShutDown();
bool shuttingDown();

} // namespace Sys
