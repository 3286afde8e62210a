#pragma once

// Page "Allgemein": the device information read at the login, the device name, and the sections of
// the operations on the controller as a whole (backup and restore).

#include <QWidget>

#include <memory>

class PageHost;
struct TDeviceEntry;

namespace Ui {
class GeneralPage;
}

class TGeneralPage : public QWidget {
    Q_OBJECT
public:
    TGeneralPage(PageHost& host, QWidget* parent = nullptr);
    ~TGeneralPage() override;

    // The page fill when an "Allgemeines" node is selected.
    void fill(TDeviceEntry& entry);
    // A further section below the device name (it becomes the page's child).
    void addSection(QWidget* section);

    void DeviceName_EDChange();
    void SetName_BTNClick();

private:
    std::unique_ptr<Ui::GeneralPage> m_ui;
    PageHost& m_host;
};
