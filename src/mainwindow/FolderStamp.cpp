#include "mainwindow/FolderStamp.h"

#include <QFileInfo>

bool FolderStamp::changed(const QString& folder) {
    const QFileInfo fi(folder);
    const QDateTime t = fi.isDir() ? fi.lastModified() : QDateTime();
    const bool result = !m_seen || t != m_time;
    m_seen = true;
    m_time = t;
    return result;
}
