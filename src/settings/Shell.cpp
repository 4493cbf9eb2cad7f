#include "settings/Shell.h"

#include <QDesktopServices>
#include <QFileInfo>
#include <QProcess>
#include <QUrl>

namespace shell {

Opener& opener() {
    static Opener open = [](const QString& path) {
        return QDesktopServices::openUrl(QUrl::fromLocalFile(path));
    };
    return open;
}

bool openFolder(const QString& folder) {
    if (folder.isEmpty() || !QFileInfo(folder).isDir())
        return true;
    return opener()(folder);
}

Starter& starter() {
    static Starter start = [](const QString& program, const QStringList& arguments) {
        return QProcess::startDetached(program, arguments);
    };
    return start;
}

UrlOpener& urlOpener() {
    static UrlOpener open = [](const QUrl& address) { return QDesktopServices::openUrl(address); };
    return open;
}

QUrl helpAddress(const QUrl& base, const QString& page) {
    QString name = page.toLower();
    if (!name.contains(u'.'))
        name += QStringLiteral(".htm");
    // Added to the path, so a name is never read as a scheme or an anchor.
    QUrl address = base;
    QString path = base.path();
    if (!path.endsWith(u'/'))
        path += u'/';
    address.setPath(path + name);
    return address;
}

} // namespace shell
