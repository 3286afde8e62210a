#pragma once

// Page "Information": the selected controller's serial number and IP configuration, which is sent
// without a password, and the button that opens its web interface.

#include <QWidget>

#include <memory>

class PageHost;
struct TDeviceEntry;

namespace Ui {
class InformationPage;
}

class TInformationPage : public QWidget {
    Q_OBJECT
public:
    TInformationPage(PageHost& host, QWidget* parent = nullptr);
    ~TInformationPage() override;

    // The page fill when a device node is selected.
    void fill(TDeviceEntry& entry);

    void DHCP_CBClick();
    void Save_BTNClick();
    void StartWeb_BTNClick();

private:
    void enableAddressEdits(bool dhcp);

    std::unique_ptr<Ui::InformationPage> m_ui;
    PageHost& m_host;
};
