#include "capture/WorkFolder.h"

#include "core/NumRules.h"
#include "imaging/PictureFiles.h"
#include "platform/FileSystem.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <atomic>
#include <limits>

namespace {
std::atomic<int> g_tempSerial{0};
constexpr qint64 kMaxNumber = std::numeric_limits<qint64>::max() / 2;
} // namespace

WorkFolder::WorkFolder(QString folder) : m_folder(std::move(folder)) {
    while (m_folder.size() > 1 && m_folder.endsWith(u'/'))
        m_folder.chop(1);
}

QString WorkFolder::prefixProblem(const QString& prefix) {
    static const QString forbidden = QStringLiteral("\\/:*?\"<>|");
    // A name starting with "." is hidden: the list would never show it, numbering would count it.
    QString bad = prefix.startsWith(u'.') ? QStringLiteral("(先頭の .)") : QString();
    for (QChar c : prefix) {
        if ((forbidden.contains(c) || c.unicode() < 0x20) && !bad.contains(c))
            bad += c.unicode() < 0x20 ? QStringLiteral("(制御文字)") : QString(c);
    }
    if (prefix.contains(QStringLiteral("..")))
        bad += QStringLiteral(" ..");
    if (bad.isEmpty())
        return {};
    return QStringLiteral("ﾌﾟﾚﾌｨｯｸｽに使えない文字があります: ") + bad +
           QStringLiteral("\r\\ / : * ? \" < > | と .. はﾌｧｲﾙ名に使えません");
}

namespace {

// Temporary files are ".tolvik-PID-SERIAL.part": the process id tells whether their
// writer may still be at work.
const QString kTempStart = QStringLiteral(".tolvik-");
const QString kTempEnd = QStringLiteral(".part");

qint64 writerOfTemp(const QString& name) {
    if (!name.startsWith(kTempStart) || !name.endsWith(kTempEnd))
        return 0;
    const QString rest = name.mid(kTempStart.size());
    bool ok = false;
    const qint64 pid = rest.left(rest.indexOf(u'-')).toLongLong(&ok);
    return ok ? pid : 0;
}

} // namespace

void WorkFolder::ScanWorkFolder(const QString& prefix) {
    const std::lock_guard lock(m_mutex);
    scanLocked(prefix);
}

void WorkFolder::scanLocked(const QString& prefix) {
    QDir dir(m_folder);
    if (!dir.exists())
        QDir().mkpath(m_folder);
    qint64 highest = 0;
    const QStringList names =
        dir.entryList(QDir::Files | QDir::Hidden | QDir::System, QDir::NoSort);
    const qint64 self = QCoreApplication::applicationPid();
    for (const QString& n : names) {
        // What a store cut short by a crash or a kill left behind.
        if (const qint64 writer = writerOfTemp(n);
            writer && writer != self && !platform::processRunning(writer)) {
            QFile::remove(dir.filePath(n));
            continue;
        }
        // The prefix is matched literally and case-sensitively, as are the extensions.
        if (!n.startsWith(prefix) || n.size() < prefix.size() + 4)
            continue;
        if (!n.endsWith(QLatin1String(".bmp")) && !n.endsWith(QLatin1String(".txt")))
            continue;
        const QString middle = n.mid(prefix.size(), n.size() - prefix.size() - 4);
        const double value = numrules::leadingNumber(middle);
        if (value > double(highest))
            highest = std::min(numrules::toInteger(value), kMaxNumber);
    }
    m_next = highest + 1;
}

void WorkFolder::empty() {
    const std::lock_guard lock(m_mutex);
    QDir dir(m_folder);
    const qint64 self = QCoreApplication::applicationPid();
    for (const QString& n : dir.entryList(QDir::Files | QDir::Hidden | QDir::System)) {
        // Ours are all finished under the lock; another process's would fail half-way.
        if (const qint64 writer = writerOfTemp(n);
            writer && writer != self && platform::processRunning(writer))
            continue;
        QFile::remove(dir.filePath(n));
    }
}

QString WorkFolder::storedName(const QString& prefix, qint64 number, const QString& ext) const {
    return m_folder + u'/' + prefix + numrules::format000(number) + ext;
}

namespace {
// The cause of a failed write in words: the system's, else Qt's.
QString writeFailure(const QFile& f, int err) {
    if (err != 0)
        return platform::errorText(err);
    if (f.error() != QFileDevice::NoError)
        return f.errorString();
    return QStringLiteral("書き込めませんでした");
}
} // namespace

WorkFolder::Stored WorkFolder::store(const QString& prefix, const QString& ext,
                                     const std::function<bool(QIODevice&)>& write) {
    const std::lock_guard lock(m_mutex);
    Stored out;
    if (const QString why = prefixProblem(prefix); !why.isEmpty()) {
        out.error = why;
        return out;
    }
    if (!QDir().mkpath(m_folder)) {
        out.error = QStringLiteral("作業ﾌｫﾙﾀﾞを作れません: ") + m_folder;
        return out;
    }
    if (m_next < 1) // never scanned: continue after what is there
        scanLocked(prefix);
    // A name left by an earlier process with the same id is passed over, never reused.
    QFile f;
    QString temp;
    for (int tries = 0;; ++tries) {
        temp = m_folder + u'/' + kTempStart +
               QStringLiteral("%1-%2").arg(QCoreApplication::applicationPid()).arg(g_tempSerial++) +
               kTempEnd;
        f.setFileName(temp);
        platform::clearLastError();
        if (f.open(QIODevice::WriteOnly | QIODevice::NewOnly))
            break;
        if (!QFileInfo::exists(temp) || tries >= 1000) {
            out.error = writeFailure(f, platform::lastError());
            return out;
        }
    }
    platform::clearLastError();
    bool written = write(f) && f.flush();
    int err = written ? 0 : platform::lastError();
    QString syncError;
    // On the disk before it gets its name: a listed file is never empty after a power cut.
    if (written && !platform::syncFile(int(f.handle()), &syncError)) {
        written = false;
        out.error = syncError;
    }
    f.close();
    if (written && f.error() != QFileDevice::NoError) {
        written = false;
        err = platform::lastError();
    }
    if (!written) {
        if (out.error.isEmpty())
            out.error = writeFailure(f, err);
        QFile::remove(temp);
        return out;
    }
    // A taken name (another prefix scanned earlier, a file put in by hand) moves the
    // file on to the next free number instead of replacing it.
    qint64 n = std::max<qint64>(m_next, 0);
    for (int tries = 0; tries < 100000; ++tries, ++n) {
        const QString name = imaging::lowerExt(storedName(prefix, n, ext));
        bool taken = false;
        if (platform::renameNoReplace(temp, name, &taken, &out.error)) {
            platform::syncFolder(m_folder);
            m_next = n + 1;
            out.ok = true;
            out.path = name;
            out.error.clear();
            return out;
        }
        if (!taken)
            break;
    }
    if (out.error.isEmpty())
        out.error = QStringLiteral("空いている番号がありません");
    QFile::remove(temp);
    return out;
}
