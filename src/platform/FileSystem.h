#pragma once
// File-system services beyond Qt: durable writes, replacing a file whole, renames that never
// replace, and whether a process still runs.
#include <QString>
#include <QStringList>

class QFile;

namespace platform {

// Flushes a written file to the disk; false with the cause in words.
bool syncFile(int fd, QString* error);
// Makes the names just created in a folder survive a power cut.
void syncFolder(const QString& folder);
// Writes bytes as the file path names (a link: its target), replacing an existing file whole
// or not at all where that can be done: the bytes go to a hidden file beside it, reach the
// disk and are renamed over it with the old file's owner and mode, so a full disk or any
// other failure leaves the old contents. A file with other hard links, one whose owner the
// replacement could not be given, or one in a folder that takes no new files is written in
// place instead, once the room for the new contents is claimed. False with the cause in
// words; *damaged tells that a write in place failed part way, so the old contents are lost.
bool writeFileWhole(const QString& path, const QByteArray& bytes, QString* error,
                    bool* damaged = nullptr);
// Opens path for reading when it is a regular file (links followed); a FIFO or a device is
// refused without waiting for a writer or reading endless bytes. False with the cause in
// words.
bool openRegularFile(QFile& file, const QString& path, QString* error);
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
