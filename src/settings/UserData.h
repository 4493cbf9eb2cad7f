#pragma once
// Choice of the per-user data folder from "UserData.ini" (beside the executable or installed
// with the data), the program's self-registration in the tool-path store, and the folder
// helpers.
#include <QString>
#include <QStringList>

#include <functional>

class MessageSink;
class ToolPathStore;

struct UserDataEnv {
    QString exeFolder;      // folder of the executable, with or without trailing "/"
    QString programName;    // ProgramName
    QString executablePath; // path registered in the tool-path store
    ToolPathStore* toolStore = nullptr;
    MessageSink* messages = nullptr;
    // Special folder lookup (26 application data, 5 documents); specialFolder by default.
    std::function<QString(int)> specialFolder;
};

struct UserDataFolders {
    QString programDataFolder; // see installedFile: "apData/", ending with "/"
    QString userDataFolder;    // always ends with "/"
};

UserDataFolders chooseUserDataFolder(const UserDataEnv& env);

// A data file or folder (a folder's name ends with "/") beside the executable, as a build
// leaves it, else where an installation puts it (<exe>/../share/tolvik/), else beside the
// executable again, so a message names the place a user would look first.
QString installedFile(const QString& exeFolder, const QString& name);

// Special folder path without trailing separator, or empty: 26 = per-user application
// data, 5 = documents.
QString specialFolder(int nFlg);

// Creates each missing sub-folder of sPh (one level); false when one could not be made.
bool ensureSubfolders(const QString& sPh, const QStringList& Ary);

// Creates a folder with all its missing parents; failures are left to later use.
void createFolderPath(const QString& sFd);
