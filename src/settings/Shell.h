#pragma once
// Opening documents and folders through the desktop.
#include <QString>

#include <functional>

namespace shell {

// Hands a local path to the desktop (file manager, default application); false when nothing
// took it. Tests replace it.
using Opener = std::function<bool(const QString& path)>;
Opener& opener();

// Opens sFld (bOpn true) or shows the folder sFld in the file manager (bOpn false, only when
// that folder exists). Nothing for an empty path. False when the desktop refused it.
bool W_ExpFd(const QString& sFld, bool bOpn);

} // namespace shell
