#include "settings/SiblingTools.h"

#include "settings/ToolPathStore.h"

#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

#include <array>

namespace tools {

namespace {
struct Entry {
    const char16_t* code;
    const char16_t* displayName;
};
constexpr std::array<Entry, Count> kTools{{
    {u"Pirra", u"画像"},
    {u"Marlo", u"画像L"},
    {u"Selvic", u"ｸﾞﾗﾌ"},
    {u"Korund", u"ﾁｬｰﾄ"},
    {u"Wispel", u"FTP"},
    {u"Namora", u"宛名"},
    {u"Brevin", u"文書ﾃﾞｰﾀｰﾍﾞｰｽ"},
}};

bool isExecutableFile(const QString& path) {
    const QFileInfo fi(path);
    return fi.isFile() && fi.isExecutable();
}

// The tool's executable in folder, or empty.
QString executableIn(const QString& folder, const QStringList& names) {
    const QDir dir(folder);
    for (const QString& name : names)
        if (const QString path = dir.filePath(name); isExecutableFile(path))
            return path;
    return {};
}

// Sub-folders in the order the file system lists them; none when the folder cannot be read.
QStringList subfolders(const QString& folder) {
    if (folder.isEmpty())
        return {};
    return QDir(folder).entryList(QDir::Dirs | QDir::NoDotAndDotDot, QDir::Unsorted);
}

QString comparable(const QString& path) {
    return QDir::cleanPath(QDir(path).absolutePath()).toLower();
}

QString parentOf(const QString& folder) {
    QDir d(folder);
    return d.cdUp() ? d.absolutePath() : QString();
}
} // namespace

ToolName toolCodeName(int index) {
    if (index < 0 || index >= Count)
        return {};
    const Entry& e = kTools[size_t(index)];
    return {QString::fromUtf16(e.code), QString::fromUtf16(e.displayName)};
}

QStringList executableNames(const QString& code) {
    QStringList names{code.toLower(), code};
    names.removeDuplicates();
    return names;
}

FolderSearch findInstalledTool(const QString& code, const QStringList& executableNames,
                               const QString& programFolder) {
    const QString n = code.toLower();
    FolderSearch out;
    const QString p = parentOf(programFolder);
    out.programParent = p;
    if (p.isEmpty())
        return out;
    // The first folder named like the tool ends the search, whether it holds the tool or not.
    for (const QString& s : subfolders(p))
        if (s.toLower() == n) {
            out.found = executableIn(QDir(p).filePath(s), executableNames);
            return out;
        }

    const QString g = parentOf(p);
    const QString pKey = comparable(p);
    for (const QString& s : subfolders(g)) {
        const QString sPath = QDir(g).filePath(s);
        if (comparable(sPath) == pKey)
            continue; // already searched above
        if (s.toLower() == n) {
            out.found = executableIn(sPath, executableNames);
            return out;
        }
        for (const QString& t : subfolders(sPath)) {
            const QString tPath = QDir(sPath).filePath(t);
            if (t.toLower() == n && comparable(tPath) != pKey) {
                out.found = executableIn(tPath, executableNames);
                return out;
            }
        }
    }
    return out;
}

QString findTool(int index, ToolPathStore& store, const ToolChooser& chooser,
                 const QString& programFolder) {
    const ToolName tool = toolCodeName(index);
    if (tool.code.isEmpty())
        return {};
    if (const QString stored = store.read(tool.code); isExecutableFile(stored))
        return stored;

    const QStringList names = executableNames(tool.code);
    QString found;
    for (const QString& name : names) {
        found = QStandardPaths::findExecutable(name);
        if (!found.isEmpty())
            break;
    }
    const FolderSearch search =
        found.isEmpty() ? findInstalledTool(tool.code, names, programFolder) : FolderSearch{};
    if (found.isEmpty())
        found = search.found;
    if (found.isEmpty() && chooser) {
        const QString chosen = chooser({tool.displayName + QStringLiteral(" 実行ﾌｧｲﾙの指定"),
                                        search.programParent, QStringLiteral("実行ﾌｧｲﾙ (*)")});
        // The user's own choice is taken under any name ("Marlo.AppImage", a wrapper script):
        // the name is looked for only where nobody chose.
        if (isExecutableFile(chosen))
            found = QFileInfo(chosen).absoluteFilePath();
    }
    if (found.isEmpty() || !isExecutableFile(found))
        return {};
    store.write(tool.code, found);
    return found;
}

} // namespace tools
