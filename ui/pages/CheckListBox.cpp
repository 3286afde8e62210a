#include "ui/pages/CheckListBox.h"

#include <QFontMetrics>
#include <QResizeEvent>

TCheckListBox::TCheckListBox(QWidget* parent) : QListWidget(parent) {
    setFlow(QListView::TopToBottom);
    setWrapping(true);
    setResizeMode(QListView::Adjust);
    setUniformItemSizes(true);
    setSelectionMode(QAbstractItemView::SingleSelection);
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
    const int width = qMax(1, viewport()->width() / m_columns);
    const int height = fontMetrics().height() + 6;
    if (gridSize() != QSize(width, height))
        setGridSize(QSize(width, height));
}
