#pragma once
// The folder watch's fallback: the folder's modification time, compared at each tick. It
// costs one look at the folder itself, never a listing, however many files it holds; the
// file-system watcher tells of changes as they happen.
#include <QDateTime>
#include <QString>

class FolderStamp {
public:
    // True when the folder's time differs from last seen (or it appeared or went); the
    // stamp then takes the new value.
    bool changed(const QString& folder);

private:
    QDateTime m_time;
    bool m_seen = false;
};
