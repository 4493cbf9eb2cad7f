#include "capture/WorkFolder.h"

#include "app/NumRules.h"

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

void WorkFolder::ScanWorkFolder(const QString& prefix) {
    QDir dir(m_folder);
    if (!dir.exists())
        QDir().mkpath(m_folder);
    qint64 highest = 0;
    const QStringList names =
        dir.entryList(QDir::Files | QDir::Hidden | QDir::System, QDir::NoSort);
    for (const QString& n : names) {
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

QString WorkFolder::storedName(const QString& prefix, qint64 number, const QString& ext) const {
    return m_folder + u'/' + prefix + numrules::format000(number) + ext;
}

WorkFolder::Stored WorkFolder::store(const QString& prefix, const QString& ext,
                                     const std::function<bool(QIODevice&)>& write) {
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
        ScanWorkFolder(prefix);
    const QString temp = m_folder + QStringLiteral("/.tolvik-%1-%2.part")
                                        .arg(QCoreApplication::applicationPid())
                                        .arg(g_tempSerial++);
    QFile f(temp);
    if (!f.open(QIODevice::WriteOnly | QIODevice::NewOnly)) {
        out.error = f.errorString();
        return out;
    }
    const bool written = write(f) && f.flush();
    f.close();
    if (!written || f.error() != QFileDevice::NoError) {
        out.error = f.errorString();
        QFile::remove(temp);
        return out;
    }
    // A taken name (another prefix scanned earlier, a file put in by hand) moves the
    // file on to the next free number instead of replacing it.
    qint64 n = std::max<qint64>(m_next, 0);
    for (int tries = 0; tries < 100000; ++tries, ++n) {
        QString name = storedName(prefix, n, ext);
        LowerExt(name);
        if (QFileInfo::exists(name))
            continue;
        QFile moving(temp);
        if (moving.rename(name)) {
            m_next = n + 1;
            out.ok = true;
            out.path = name;
            return out;
        }
        if (!QFileInfo::exists(name)) {
            out.error = moving.errorString();
            break;
        }
    }
    if (out.error.isEmpty())
        out.error = QStringLiteral("空いている番号がありません");
    QFile::remove(temp);
    return out;
}

void LowerExt(QString& path) {
    const qsizetype p = path.lastIndexOf(u'.');
    if (p < 0)
        return;
    path = path.left(p + 1) + path.mid(p + 1).toLower();
}
