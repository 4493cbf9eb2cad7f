#include "core/NoticeLog.h"

void NoticeLog::add(const QString& text) {
    // A CR alone separates lines inside the program's messages.
    QStringList lines = QString(text)
                            .replace(QStringLiteral("\r\n"), QStringLiteral("\n"))
                            .replace(u'\r', u'\n')
                            .split(u'\n');
    if (lines.size() > kLinesEach) {
        lines = lines.mid(0, kLinesEach);
        lines.back() += QStringLiteral(" …");
    }
    for (QString& l : lines)
        if (l.size() > kLineLength)
            l = l.left(kLineLength - 1) + QStringLiteral("…");
    m_newest << lines.join(u'\n');
    if (m_newest.size() > kShown)
        m_newest.removeFirst();
    ++m_total;
}

void NoticeLog::clear() {
    m_newest.clear();
    m_total = 0;
}

QString NoticeLog::text() const {
    QString out;
    if (m_total > m_newest.size())
        out =
            QStringLiteral("ほかに %1 件のお知らせがありました\n\n").arg(m_total - m_newest.size());
    return out + m_newest.join(QStringLiteral("\n\n"));
}
