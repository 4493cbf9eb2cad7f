#include "settings/UserData.h"

#include "core/Messages.h"
#include "settings/ToolPathStore.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>

namespace {

QString withSlash(QString p) {
    if (!p.endsWith(u'/'))
        p += u'/';
    return p;
}

bool folderExists(const QString& p) {
    QFileInfo fi(p);
    return fi.exists() && fi.isDir();
}

// Where `cmake --install` puts the data, relative to bin/ so any prefix works.
constexpr auto kInstalledDataFolder = "../share/tolvik/";

} // namespace

QString installedFile(const QString& exeFolder, const QString& name) {
    const QString e = withSlash(exeFolder);
    if (QFileInfo::exists(e + name))
        return e + name;
    const QString installed = QDir::cleanPath(e + QLatin1String(kInstalledDataFolder) + name) +
                              (name.endsWith(u'/') ? QStringLiteral("/") : QString());
    return QFileInfo::exists(installed) ? installed : e + name;
}

QString specialFolder(int nFlg) {
    QString p;
    if (nFlg == 26)
        p = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation);
    else if (nFlg == 5)
        p = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    while (p.size() > 1 && p.endsWith(u'/'))
        p.chop(1);
    return p;
}

bool ensureSubfolders(const QString& sPh, const QStringList& Ary) {
    bool ok = true;
    for (const QString& name : Ary) {
        const QString p = sPh + name;
        if (!folderExists(p) && !QDir().mkdir(p))
            ok = false;
    }
    return ok;
}

void createFolderPath(const QString& sFd) {
    if (folderExists(sFd))
        return;
    const QString p = withSlash(sFd);
    // Walk every separator after the first, so the root itself is never created.
    for (qsizetype i = p.indexOf(u'/', 1); i > 0; i = p.indexOf(u'/', i + 1)) {
        const QString prefix = p.left(i);
        if (prefix.isEmpty())
            continue;
        if (!folderExists(prefix))
            QDir().mkdir(prefix);
    }
}

UserDataFolders chooseUserDataFolder(const UserDataEnv& env) {
    UserDataFolders out;
    const QString e = withSlash(env.exeFolder);
    out.programDataFolder = installedFile(e, QStringLiteral("apData/"));

    auto special = env.specialFolder ? env.specialFolder : specialFolder;
    const QString sub = QStringLiteral("/Quellen/") + env.programName + u'/';
    const QString d = special(26) + sub;

    QString setting = QStringLiteral("%applicaion data%");
    const QString i = installedFile(e, QStringLiteral("UserData.ini"));
    auto tell = [&](const QString& text) {
        if (env.messages)
            env.messages->ask(text);
    };
    QFile ini(i);
    if (ini.exists()) {
        if (ini.open(QIODevice::ReadOnly)) {
            const QByteArray bytes = ini.readAll();
            if (bytes.isEmpty() || bytes.startsWith('\n') || bytes.startsWith("\r\n"))
                tell(QStringLiteral(" ﾕｰｻﾞｰﾃﾞｰﾀｰﾌｫﾙﾀﾞが定義されていません\r") + d +
                     QStringLiteral(" を使用します"));
            else
                setting = QString::fromLocal8Bit(bytes);
        }
    } else {
        tell(i + QStringLiteral(" が見つかりません\rﾕｰｻﾞｰﾃﾞｰﾀｰﾌｫﾙﾀﾞは　") + d +
             QStringLiteral(" を使用します"));
    }

    // Keywords are matched in lower case; a folder keeps its own spelling, since
    // folder names on this system are case-sensitive.
    const QString key = setting.toLower();
    if (key == u"%app%") {
        out.userDataFolder = e + QStringLiteral("usData/");
    } else if (key == u"%usr%" || key == u"%applicaion data%") {
        out.userDataFolder = d;
    } else if (key == u"%doc" || key == u"%my document%") {
        out.userDataFolder = special(5) + sub;
    } else if (key.startsWith(u'%')) {
        out.userDataFolder = d;
    } else {
        // A relative folder belongs to the installation, not to wherever the program was
        // started from.
        const QString folder = QDir::isRelativePath(setting)
                                   ? QDir::cleanPath(QFileInfo(i).absolutePath() + u'/' + setting)
                                   : setting;
        if (folderExists(folder)) {
            out.userDataFolder = withSlash(folder);
        } else {
            tell(QStringLiteral("ﾌｫﾙﾀﾞ ") + folder +
                 QStringLiteral(" が見つかりません\rﾕｰｻﾞｰﾃﾞｰﾀｰﾌｫﾙﾀﾞは　") + d +
                 QStringLiteral(" を使用します"));
            out.userDataFolder = d;
        }
    }

    // Only now is anything created or registered: the choice above must see the disk as the
    // user left it, never what an earlier start made, so a missing folder is told every time.
    if (!folderExists(out.userDataFolder))
        createFolderPath(out.userDataFolder);
    if (env.toolStore) {
        const QString self =
            env.executablePath.isEmpty() ? e + env.programName : env.executablePath;
        if (env.toolStore->read(env.programName).toLower() != self.toLower())
            env.toolStore->write(env.programName, self);
    }
    return out;
}
