#include "platform/FileSystem.h"

#include <QAtomicInteger>
#include <QFile>
#include <QRandomGenerator>

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstdlib>
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

namespace {

const QString kNotRegularFile = QStringLiteral("通常のﾌｧｲﾙではありません");

bool writeAll(int fd, const QByteArray& bytes) {
    const char* p = bytes.constData();
    qint64 left = bytes.size();
    qint64 at = 0;
    while (left > 0) {
        const ssize_t n = ::pwrite(fd, p + at, size_t(std::min<qint64>(left, 1 << 30)), off_t(at));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0) {
            if (n == 0)
                errno = EIO;
            return false;
        }
        at += n;
        left -= n;
    }
    return true;
}

bool closeChecked(int fd) {
    // A close that fails after a write may mean the data did not reach the file.
    return ::close(fd) == 0 || errno == EINTR;
}

// A new hidden file beside the target, named as the work folder's temporary files are
// (".tolvik-PID-SERIAL.part"), so a scan there removes one left by a process that died.
int createBeside(const QByteArray& folder, QByteArray* temp) {
    static QAtomicInteger<quint32> serial;
    for (int attempt = 0; attempt < 100; ++attempt) {
        *temp = folder + "/.tolvik-" + QByteArray::number(qint64(::getpid())) + '-' +
                QByteArray::number(serial.fetchAndAddRelaxed(1)) +
                QByteArray::number(QRandomGenerator::global()->generate(), 36) + ".part";
        const int fd = ::open(temp->constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd >= 0 || errno != EEXIST)
            return fd;
    }
    return -1;
}

// Overwrites the file where it is: its inode, links, owner and mode stay.
bool writeInPlace(const QByteArray& target, const QByteArray& bytes, const struct stat& old,
                  int* err, bool* damaged) {
    const int fd = ::open(target.constData(), O_WRONLY | O_CLOEXEC);
    if (fd < 0) {
        *err = errno;
        return false;
    }
    // The room first: a disk too full for the new contents fails before a byte is touched.
    if (bytes.size() > old.st_size) {
        const int rc = ::posix_fallocate(fd, 0, off_t(bytes.size()));
        if (rc != 0 && rc != EOPNOTSUPP && rc != EINVAL) {
            ::close(fd);
            *err = rc;
            return false;
        }
    }
    if (!writeAll(fd, bytes) || ::ftruncate(fd, off_t(bytes.size())) != 0 || ::fsync(fd) != 0) {
        *err = errno;
        *damaged = true;
        ::close(fd);
        return false;
    }
    if (!closeChecked(fd)) {
        *err = errno;
        *damaged = true;
        return false;
    }
    return true;
}

} // namespace

bool writeFileWhole(const QString& path, const QByteArray& bytes, QString* error, bool* damaged) {
    bool lost = false;
    if (damaged)
        *damaged = false;
    int err = 0;
    const auto fail = [&] {
        if (error)
            *error = errorText(err);
        return false;
    };
    QByteArray target = QFile::encodeName(path);
    struct stat old {};
    const bool exists = ::stat(target.constData(), &old) == 0;
    if (!exists && errno != ENOENT) {
        err = errno;
        return fail();
    }
    if (exists) {
        if (S_ISDIR(old.st_mode)) {
            err = EISDIR;
            return fail();
        }
        if (!S_ISREG(old.st_mode)) {
            if (error)
                *error = kNotRegularFile;
            return false;
        }
        // A link stays a link: its target gets the new contents.
        if (char* real = ::realpath(target.constData(), nullptr)) {
            target = real;
            std::free(real);
        }
    }
    const auto inPlaceWrite = [&] {
        if (writeInPlace(target, bytes, old, &err, &lost))
            return true;
        if (damaged)
            *damaged = lost;
        return fail();
    };
    // Renaming over one name of several would part it from the others.
    if (exists && old.st_nlink > 1)
        return inPlaceWrite();

    const qsizetype slash = target.lastIndexOf('/');
    const QByteArray folder = slash < 0    ? QByteArray(".")
                              : slash == 0 ? QByteArray("/")
                                           : target.left(slash);
    QByteArray temp;
    const int fd = createBeside(folder, &temp);
    if (fd < 0) {
        err = errno;
        // A folder that takes no new files may still let its files be written.
        if (exists && (err == EACCES || err == EPERM))
            return inPlaceWrite();
        return fail();
    }
    const auto dropTemp = [&] {
        err = errno;
        ::close(fd);
        ::unlink(temp.constData());
        return fail();
    };
    if (exists) {
        if ((old.st_uid != ::geteuid() || old.st_gid != ::getegid()) &&
            ::fchown(fd, old.st_uid, old.st_gid) != 0) {
            // The replacement would change hands: the old file is written instead.
            ::close(fd);
            ::unlink(temp.constData());
            return inPlaceWrite();
        }
        if (::fchmod(fd, old.st_mode & 07777) != 0)
            return dropTemp();
    }
    if (!writeAll(fd, bytes) || ::fsync(fd) != 0)
        return dropTemp();
    if (!closeChecked(fd)) {
        err = errno;
        ::unlink(temp.constData());
        return fail();
    }
    if (::rename(temp.constData(), target.constData()) != 0) {
        err = errno;
        ::unlink(temp.constData());
        return fail();
    }
    syncFolder(QFile::decodeName(folder));
    return true;
}

bool openRegularFile(QFile& file, const QString& path, QString* error) {
    // Without O_NONBLOCK, opening a FIFO waits for a writer that may never come.
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        if (error)
            *error = errorText(errno);
        return false;
    }
    struct stat st {};
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        const int err = errno;
        ::close(fd);
        if (error)
            *error = S_ISDIR(st.st_mode) ? errorText(EISDIR)
                     : st.st_mode != 0   ? kNotRegularFile
                                         : errorText(err);
        return false;
    }
    ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK);
    file.setFileName(path);
    if (!file.open(fd, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle)) {
        ::close(fd);
        if (error)
            *error = file.errorString();
        return false;
    }
    return true;
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
