#pragma once

// The page "Software": uploading firmware and BIOS update images and restarting the controller.

#include <QWidget>

#include <memory>

class PageHost;
struct TDeviceEntry;

namespace Ui {
class UpdatePage;
}

class TUpdatePage : public QWidget {
    Q_OBJECT
public:
    TUpdatePage(PageHost& host, QWidget* parent = nullptr);
    ~TUpdatePage() override;

    // Nothing on this page depends on the controller.
    void fill(TDeviceEntry& entry);

    // Both "Starten" buttons: choose an image and upload it.
    void StartFirmware_BTNClick();
    void OnlineFirmware_BTNClick();
    void Reboot_BTNClick();

private:
    PageHost& m_host;
    std::unique_ptr<Ui::UpdatePage> m_ui;
};
