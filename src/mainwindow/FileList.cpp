#include "mainwindow/FileList.h"

#include "core/Twips.h"
#include "platform/FileSystem.h"

#include <QDir>
#include <QMouseEvent>
#include <QRegularExpression>
#include <QSignalBlocker>

#include <algorithm>

FileList::FileList(QWidget* parent) : QListWidget(parent) {
    setObjectName(QStringLiteral("File1"));
    setAccessibleName(QStringLiteral("ﾌｧｲﾙ一覧"));
    setSelectionMode(QAbstractItemView::SingleSelection);
    resize(twips::toPx(kDesignedWidthTwips), height());
    connect(this, &QListWidget::itemClicked, this, [this] {
        if (m_pressOnSelected)
            emit selectedItemClicked();
    });
}

void FileList::setPath(const QString& folder) {
    m_path = folder;
    rebuild();
}

void FileList::setPattern(const QString& pattern) {
    m_suffixes.clear();
    m_wildcards.clear();
    for (const QString& p : pattern.split(u';', Qt::SkipEmptyParts)) {
        const QString rest = p.mid(1);
        if (p.startsWith(u'*') && !rest.contains(u'*') && !rest.contains(u'?') &&
            !rest.contains(u'['))
            m_suffixes << rest;
        else
            m_wildcards << QRegularExpression(QRegularExpression::wildcardToRegularExpression(p),
                                              QRegularExpression::CaseInsensitiveOption);
    }
    rebuild();
}

void FileList::rebuild() {
    const QSignalBlocker block(this);
    clear();
    m_names.clear();
    m_shown.clear();
    reread();
}

namespace {
// Names in list order: without regard to case, then by case.
bool listedBefore(const QString& a, const QString& b) {
    const int c = QString::compare(a, b, Qt::CaseInsensitive);
    return c != 0 ? c < 0 : a < b;
}
// Beyond this many changes the list is built anew rather than edited in place.
constexpr qsizetype kEditLimit = 256;
} // namespace

QStringList FileList::namesOnDisk() const {
    // Unsorted and without a look at each file: a large folder costs one pass over its names.
    QStringList out = platform::visibleFileNames(m_path);
    out.removeIf([this](const QString& n) { return !matchesPattern(n); });
    return out;
}

bool FileList::matchesPattern(const QString& name) const {
    // "*.EXT" patterns are a suffix test; anything else goes through a wildcard match.
    for (const QString& suffix : m_suffixes)
        if (name.endsWith(suffix, Qt::CaseInsensitive))
            return true;
    for (const QRegularExpression& re : m_wildcards)
        if (re.match(name).hasMatch())
            return true;
    return false;
}

void FileList::reread() {
    const QString keep = selectedName();
    const QStringList names = m_path.isEmpty() ? QStringList() : namesOnDisk();
    const QSet<QString> onDisk(names.begin(), names.end());
    const QSignalBlocker block(this);
    QStringList added;
    for (const QString& n : names)
        if (!m_shown.contains(n))
            added << n;
    qsizetype gone = 0;
    for (const QString& n : std::as_const(m_names))
        gone += onDisk.contains(n) ? 0 : 1;
    if (added.isEmpty() && gone == 0)
        return;
    if (added.size() + gone > kEditLimit) {
        m_names = names;
        std::sort(m_names.begin(), m_names.end(), listedBefore);
        clear();
        addItems(m_names);
    } else {
        for (qsizetype i = m_names.size() - 1; i >= 0 && gone > 0; --i)
            if (!onDisk.contains(m_names[i])) {
                delete takeItem(int(i));
                m_names.removeAt(i);
                --gone;
            }
        for (const QString& n : std::as_const(added)) {
            const auto at = std::lower_bound(m_names.begin(), m_names.end(), n, listedBefore);
            const qsizetype row = at - m_names.begin();
            m_names.insert(row, n);
            insertItem(int(row), n);
        }
    }
    m_shown = onDisk;
    if (!keep.isEmpty() && selectedName() != keep) {
        const auto found = findItems(keep, Qt::MatchExactly);
        if (!found.isEmpty())
            setCurrentItem(found.first());
    }
}

QString FileList::selectedName() const {
    const QListWidgetItem* it = currentItem();
    return it && it->isSelected() ? it->text() : QString();
}

bool FileList::selectName(const QString& name) {
    for (int i = 0; i < count(); ++i) {
        if (item(i)->text().toLower() == name) {
            setCurrentRow(i);
            return true;
        }
    }
    return false;
}

void FileList::mousePressEvent(QMouseEvent* event) {
    // Decided before the press changes the selection.
    const QListWidgetItem* it = itemAt(event->position().toPoint());
    m_pressOnSelected = event->button() == Qt::LeftButton && it && it->isSelected();
    QListWidget::mousePressEvent(event);
}

void FileList::mouseReleaseEvent(QMouseEvent* event) {
    QListWidget::mouseReleaseEvent(event);
    if (event->button() == Qt::RightButton)
        emit rightReleased();
}
