#pragma once
// The preset rows of the size dialog drawn as columns: the name to the left, the numbers
// right-aligned, the sign between them centred, each column as wide as its widest text in
// the list. The rows line up in any font, fixed pitch or not; the item texts stay as they are.
#include <QRect>
#include <QStyledItemDelegate>

#include <vector>

class QListWidget;

namespace sizes {

class PresetColumns : public QStyledItemDelegate {
    Q_OBJECT
public:
    explicit PresetColumns(QListWidget* list);

    struct Field {
        QString text;
        QRect column; // relative to the text's left edge in the row; the row's height
        Qt::Alignment align;
    };
    // The fields of one row's text and the columns they are drawn in, for the list's current
    // rows and font.
    std::vector<Field> fields(const QString& text, int rowHeight) const;

    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override;
    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override;

private:
    std::vector<int> columnWidths() const;

    QListWidget* m_list;
};

} // namespace sizes
