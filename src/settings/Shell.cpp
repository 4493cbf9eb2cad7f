#include "settings/Shell.h"

#include <QDesktopServices>
#include <QFileInfo>
#include <QUrl>

namespace shell {

Opener& opener() {
    static Opener open = [](const QString& path) {
        return QDesktopServices::openUrl(QUrl::fromLocalFile(path));
    };
    return open;
}

bool W_ExpFd(const QString& sFld, bool bOpn) {
    if (sFld.isEmpty())
        return true;
    if (!bOpn && !QFileInfo(sFld).isDir())
        return true; // a missing folder is not shown, and that is no error
    return opener()(sFld);
}

} // namespace shell
