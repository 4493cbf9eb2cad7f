#pragma once
// The text of the notice box: failures pile up while it is open, so it keeps the newest
// few, each cut to a few lines, and counts the rest, and never grows past the screen.
#include <QStringList>

class NoticeLog {
public:
    static constexpr int kShown = 4;
    static constexpr int kLinesEach = 4;
    static constexpr int kLineLength = 160;

    void add(const QString& text);
    void clear();
    int total() const { return m_total; }
    // Lines separated by "\n", newest last.
    QString text() const;

private:
    QStringList m_newest;
    int m_total = 0;
};
