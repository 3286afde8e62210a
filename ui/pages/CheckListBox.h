#pragma once

// A list of check boxes laid out in a fixed number of columns, filled top to bottom and then column by
// column, like the classic check list of the restriction pages.

#include <QListWidget>

class TCheckListBox : public QListWidget {
    Q_OBJECT
public:
    explicit TCheckListBox(QWidget* parent = nullptr);

    int columns() const { return m_columns; }
    void setColumns(int columns);

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    void updateGrid();

    int m_columns = 3;
};
