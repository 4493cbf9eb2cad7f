#pragma once
// The work folder and the numbering of everything stored in it: prefix + number
// ("000" format) + ".bmp" or ".txt".
#include <QIODevice>
#include <QString>

#include <atomic>
#include <functional>
#include <mutex>

class WorkFolder {
public:
    explicit WorkFolder(QString folder);

    const QString& path() const { return m_folder; }

    // Serial of the next stored file. Not limited to 16 bits: numbers past 32767 go on.
    qint64 nextNumber() const { return m_next; }
    void setNextNumber(qint64 n) { m_next = n; }

    // Empty when the prefix can be used in a file name; otherwise the reason to show.
    static QString prefixProblem(const QString& prefix);

    // Highest number in use for this prefix plus one (1 in an empty folder). Also removes
    // the temporary files of stores whose process no longer runs.
    void ScanWorkFolder(const QString& prefix);

    // folder + "/" + prefix + number in "000" format + ext.
    QString storedName(const QString& prefix, qint64 number, const QString& ext) const;
    QString storedName(const QString& prefix, const QString& ext) const {
        return storedName(prefix, m_next, ext);
    }

    struct Stored {
        bool ok = false;
        QString path;
        QString error;
    };
    // Stores one file under the next free number: the content is written to a temporary
    // name in the folder, flushed to the disk and renamed, so the file appears whole or not
    // at all, and a taken name is never replaced. On success the next number passes the
    // stored one; a failure names its cause. Safe to call from the storing thread while
    // the user-interface thread reads the next number.
    Stored store(const QString& prefix, const QString& ext,
                 const std::function<bool(QIODevice&)>& write);

    // Removes the folder's files, hidden ones included; sub-folders stay, and so does the
    // temporary file of a store that another running process has under way. Files that
    // cannot be removed stay. Waits for a store of this process under way to end.
    void empty();

private:
    void scanLocked(const QString& prefix);

    QString m_folder;
    std::atomic<qint64> m_next{0};
    std::mutex m_mutex;
};
