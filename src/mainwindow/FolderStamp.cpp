#include "mainwindow/FolderStamp.h"

#include <QDir>
#include <QFileInfo>

bool FolderStamp::changed(const QString& folder) {
    const QFileInfo fi(folder);
    QDateTime t;
    qint64 n = 0;
    if (fi.isDir()) {
        t = fi.lastModified();
        n = QDir(folder).entryList(QDir::Files | QDir::Hidden | QDir::System).size();
    }
    const bool newer = t.isValid() && (!m_time.isValid() || t > m_time);
    const bool result = newer || n != m_count || (m_time.isValid() && !t.isValid());
    m_time = t;
    m_count = n;
    return result;
}
