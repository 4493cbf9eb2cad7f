#pragma once
// Opening documents and folders through the desktop, and starting other programs.
#include <QString>
#include <QStringList>
#include <QUrl>

#include <functional>

namespace shell {

// Hands a local path to the desktop (file manager, default application); false when nothing
// took it. Tests replace it.
using Opener = std::function<bool(const QString& path)>;
Opener& opener();

// Shows a folder in the file manager; nothing for an empty path or a folder that does not
// exist, which is no error. False when the desktop refused it.
bool openFolder(const QString& folder);

// Starts program on its own, each argument passed as it is (no command line to split); false
// when it could not be started. Tests replace it.
using Starter = std::function<bool(const QString& program, const QStringList& arguments)>;
Starter& starter();

// Shows an address in the desktop's browser; false when nothing took it. Tests replace it.
using UrlOpener = std::function<bool(const QUrl& address)>;
UrlOpener& urlOpener();

// A help page's address under base: the name in lower case, ".htm" added when it has no ".".
QUrl helpAddress(const QUrl& base, const QString& page);

} // namespace shell
