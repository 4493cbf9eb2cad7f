#include "sizes/PresetColumns.h"

#include <QApplication>
#include <QListWidget>
#include <QPainter>
#include <QStyle>

#include <algorithm>

namespace sizes {

namespace {
QStringList split(const QString& text) {
    return text.split(u' ', Qt::SkipEmptyParts);
}

Qt::Alignment alignment(qsizetype column) {
    // Name, width, sign, height.
    if (column == 0)
        return Qt::AlignLeft;
    return column == 2 ? Qt::AlignHCenter : Qt::AlignRight;
}
} // namespace

PresetColumns::PresetColumns(QListWidget* list) : QStyledItemDelegate(list), m_list(list) {}

std::vector<int> PresetColumns::columnWidths() const {
    const QFontMetrics metrics(m_list->font());
    std::vector<int> widths;
    for (int row = 0; row < m_list->count(); ++row) {
        const QStringList parts = split(m_list->item(row)->text());
        if (widths.size() < size_t(parts.size()))
            widths.resize(size_t(parts.size()), 0);
        for (qsizetype c = 0; c < parts.size(); ++c)
            widths[size_t(c)] = std::max(widths[size_t(c)], metrics.horizontalAdvance(parts[c]));
    }
    return widths;
}

std::vector<PresetColumns::Field> PresetColumns::fields(const QString& text, int rowHeight) const {
    const std::vector<int> widths = columnWidths();
    const int gap = QFontMetrics(m_list->font()).horizontalAdvance(u' ');
    std::vector<Field> out;
    int left = 0;
    const QStringList parts = split(text);
    for (qsizetype c = 0; c < parts.size(); ++c) {
        const int width = size_t(c) < widths.size() ? widths[size_t(c)] : 0;
        out.push_back({parts[c], QRect(left, 0, width, rowHeight), alignment(c)});
        left += width + gap;
    }
    return out;
}

void PresetColumns::paint(QPainter* painter, const QStyleOptionViewItem& option,
                          const QModelIndex& index) const {
    QStyleOptionViewItem opt = option;
    initStyleOption(&opt, index);
    const QString text = opt.text;
    opt.text.clear(); // the style draws the row, the columns come after
    const QWidget* widget = opt.widget;
    QStyle* style = widget ? widget->style() : QApplication::style();
    style->drawControl(QStyle::CE_ItemViewItem, &opt, painter, widget);

    const QRect textArea = style->subElementRect(QStyle::SE_ItemViewItemText, &opt, widget);
    const bool selected = opt.state.testFlag(QStyle::State_Selected);
    painter->save();
    painter->setFont(opt.font);
    painter->setPen(opt.palette.color(
        opt.state.testFlag(QStyle::State_Enabled) ? QPalette::Normal : QPalette::Disabled,
        selected ? QPalette::HighlightedText : QPalette::Text));
    for (const Field& f : fields(text, textArea.height()))
        painter->drawText(f.column.translated(textArea.topLeft()), int(f.align | Qt::AlignVCenter),
                          f.text);
    painter->restore();
}

QSize PresetColumns::sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const {
    QSize size = QStyledItemDelegate::sizeHint(option, index);
    const std::vector<Field> row = fields(index.data().toString(), size.height());
    if (!row.empty())
        size.setWidth(std::max(size.width(), row.back().column.right() + 1));
    return size;
}

} // namespace sizes
