#include "platform/FileSystem.h"

#include <QFile>

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace platform {

QString errorText(int err) {
    return QString::fromLocal8Bit(std::strerror(err));
}

int lastError() {
    return errno;
}

void clearLastError() {
    errno = 0;
}

bool syncFile(int fd, QString* error) {
    int rc;
    do
        rc = ::fsync(fd);
    while (rc != 0 && errno == EINTR);
    if (rc == 0)
        return true;
    if (error)
        *error = errorText(errno);
    return false;
}

void syncFolder(const QString& folder) {
    const int fd = ::open(QFile::encodeName(folder).constData(), O_RDONLY | O_DIRECTORY);
    if (fd < 0)
        return;
    ::fsync(fd);
    ::close(fd);
}

bool renameNoReplace(const QString& from, const QString& to, bool* taken, QString* error) {
    const QByteArray f = QFile::encodeName(from), t = QFile::encodeName(to);
    *taken = false;
    if (::renameat2(AT_FDCWD, f.constData(), AT_FDCWD, t.constData(), RENAME_NOREPLACE) == 0)
        return true;
    int err = errno;
    if (err == EINVAL || err == ENOSYS) {
        // A file system without the flag: a hard link fails on a taken name just the same.
        if (::link(f.constData(), t.constData()) == 0) {
            ::unlink(f.constData());
            return true;
        }
        err = errno;
    }
    *taken = err == EEXIST;
    if (error)
        *error = errorText(err);
    return false;
}

QStringList visibleFileNames(const QString& folder) {
    QStringList out;
    DIR* d = ::opendir(QFile::encodeName(folder).constData());
    if (!d)
        return out;
    const int fd = ::dirfd(d);
    while (const dirent* e = ::readdir(d)) {
        if (e->d_name[0] == '.')
            continue;
        bool file = e->d_type == DT_REG;
        // Links and file systems that do not tell the type are looked at.
        if (e->d_type == DT_UNKNOWN || e->d_type == DT_LNK) {
            struct stat st {};
            file = ::fstatat(fd, e->d_name, &st, 0) == 0 && S_ISREG(st.st_mode);
        }
        if (file)
            out << QFile::decodeName(e->d_name);
    }
    ::closedir(d);
    return out;
}

bool processRunning(qint64 pid) {
    if (pid <= 0)
        return false;
    return ::kill(pid_t(pid), 0) == 0 || errno == EPERM;
}

} // namespace platform

#include <sys/resource.h>
#include <sys/syscall.h>

namespace platform {

void lowerCurrentThreadPriority() {
#ifdef SYS_gettid
    // On Linux a nice value belongs to one thread.
    ::setpriority(PRIO_PROCESS, id_t(::syscall(SYS_gettid)), 5);
#endif
}

} // namespace platform
