#pragma once

// The page "Logbuch": reads a controller's logbook into a list, sorts it by any column, exports the
// last read logbook as a semicolon-separated text file and deletes the logbook on the controller.

#include "ops/Logbook.h"

#include <QWidget>

#include <memory>
#include <vector>

class PageHost;
struct TDeviceEntry;

namespace Ui {
class LogbookPage;
} // namespace Ui

class TLogbookPage : public QWidget {
    Q_OBJECT
public:
    TLogbookPage(PageHost& host, QWidget* parent = nullptr);
    ~TLogbookPage() override;

    // Shown for a "Logbuch" node: the list is emptied and "Export" waits for the next successful read;
    // the status line keeps its text.
    void fill(TDeviceEntry& entry);

    void Einlesen_BTNClick();
    void Export_BTNClick();
    void Delete_BTNClick();
    // Every click sorts again in the column's one direction.
    void Logbuch_LVColumnClick(int column);

    // The logbook as last read to the end: what "Export" writes.
    const ops::KeptLogbook& keptLogbook() const { return m_kept; }

private:
    void addRows(const std::vector<TLogRecord>& records);

    PageHost& m_host;
    std::unique_ptr<Ui::LogbookPage> m_ui;
    ops::KeptLogbook m_kept;
};
