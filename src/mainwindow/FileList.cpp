#include "mainwindow/FileList.h"

#include "app/Twips.h"

#include <QDir>
#include <QMouseEvent>
#include <QSignalBlocker>

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
    reread();
}

void FileList::setPattern(const QString& pattern) {
    m_filters = pattern.split(u';', Qt::SkipEmptyParts);
    reread();
}

void FileList::reread() {
    const QString keep = selectedName();
    QDir dir(m_path);
    dir.setNameFilters(m_filters);
    const QStringList names = dir.entryList(QDir::Files, QDir::Name | QDir::IgnoreCase);
    const QSignalBlocker block(this);
    clear();
    addItems(names);
    if (!keep.isEmpty()) {
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
