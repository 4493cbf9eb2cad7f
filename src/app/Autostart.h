#pragma once
// Start at login: the XDG autostart entry `tolvik --autostart on|off` writes and removes.
#include <QString>

namespace autostart {

// $XDG_CONFIG_HOME/autostart/<program>.desktop, ~/.config/autostart/ when the variable is unset.
QString entryPath(const QString& programName);

// The entry that starts `executable` at login.
QByteArray entryText(const QString& executable);

// Writes (on) or removes (off) the entry; returns what the user is told, and false with the
// reason when the file could not be written or removed.
bool set(bool on, const QString& programName, const QString& executable, QString* answer);

} // namespace autostart
