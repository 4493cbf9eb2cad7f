#pragma once
// File-system services the storing routine needs beyond Qt: durable writes, renames that
// never replace, and whether a process still runs.
#include <QString>
#include <QStringList>

namespace platform {

// Flushes a written file to the disk; false with the cause in words.
bool syncFile(int fd, QString* error);
// Makes the names just created in a folder survive a power cut.
void syncFolder(const QString& folder);
// Renames from to to unless to exists. taken tells that to existed.
bool renameNoReplace(const QString& from, const QString& to, bool* taken, QString* error);
// Names of the files in a folder that are not hidden, unsorted, in one pass over the folder
// without a look at each file; empty when it cannot be read.
QStringList visibleFileNames(const QString& folder);
// Whether a process with this id runs now.
bool processRunning(qint64 pid);
// The system's words for an error number.
QString errorText(int err);
// The error number of the calling thread's last failed system call, and setting it.
int lastError();
void clearLastError();

} // namespace platform

namespace platform {

// Lets the calling thread yield to the others under load: the storing thread must never
// keep the clipboard reader from answering an owner in time.
void lowerCurrentThreadPriority();

} // namespace platform
