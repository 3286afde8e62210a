#include "ui/pages/CheckListBox.h"

#include <QApplication>
#include <QResizeEvent>
#include <QStyle>
#include <QStyledItemDelegate>

namespace {

// Every row as high as a check box with some air; the plain item height would clip the box.
int rowHeight(const QWidget* list) {
    const int indicator = list->style()->pixelMetric(QStyle::PM_IndicatorHeight, nullptr, list);
    return qMax(list->fontMetrics().height(), indicator) + 6;
}

class RowDelegate : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;
    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override {
        QSize size = QStyledItemDelegate::sizeHint(option, index);
        size.setHeight(qMax(size.height(), rowHeight(option.widget)));
        return size;
    }
};

} // namespace

TCheckListBox::TCheckListBox(QWidget* parent) : QListWidget(parent) {
    setFlow(QListView::TopToBottom);
    setWrapping(true);
    setResizeMode(QListView::Adjust);
    setUniformItemSizes(true);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setItemDelegate(new RowDelegate(this));
    updateGrid();
}

void TCheckListBox::setColumns(int columns) {
    m_columns = qMax(1, columns);
    updateGrid();
}

void TCheckListBox::resizeEvent(QResizeEvent* event) {
    QListWidget::resizeEvent(event);
    updateGrid();
}

void TCheckListBox::updateGrid() {
    const QSize grid(qMax(1, viewport()->width() / m_columns), rowHeight(this));
    if (gridSize() != grid)
        setGridSize(grid);
}
