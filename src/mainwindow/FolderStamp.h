#pragma once
// Last seen modification time and file count of a folder, compared at each tick.
#include <QDateTime>
#include <QString>

class FolderStamp {
public:
    // True when the folder is newer than last seen or holds another number of files;
    // the stamp then takes the new values. An unreadable folder reads as zeros.
    bool changed(const QString& folder);

private:
    QDateTime m_time;
    qint64 m_count = 0;
};
