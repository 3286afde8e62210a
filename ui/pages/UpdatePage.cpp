#include "ui/pages/UpdatePage.h"

#include "ops/Update.h"
#include "ui/ImageList.h"
#include "ui/NoticeBox.h"
#include "ui/Prompter.h"
#include "ui/WaitCursor.h"
#include "ui/pages/PageFrame.h"
#include "ui/pages/PageHost.h"
#include "ui_UpdatePage.h"

TUpdatePage::TUpdatePage(PageHost& host, QWidget* parent)
    : QWidget(parent), m_host(host), m_ui(std::make_unique<Ui::UpdatePage>()) {
    QWidget* body = pages::BuildPageFrame(
        this, QStringLiteral("Software"), QStringLiteral("Software Update"),
        QStringLiteral(
            "Mit Hilfe dieser Funktionen können Sie ein Update der Firmware von Kelvora\r\ncompact "
            "durchführen. Ihr Gerät halten Sie damit immer auf dem neuesten Stand."),
        images::Firmware);
    m_ui->setupUi(body);
    pages::Connect(m_host, m_ui->StartFirmware_BTN, this, &TUpdatePage::StartFirmware_BTNClick);
    pages::Connect(m_host, m_ui->StartBIOS_BTN, this, &TUpdatePage::StartFirmware_BTNClick);
    pages::Connect(m_host, m_ui->OnlineFirmware_BTN, this, &TUpdatePage::OnlineFirmware_BTNClick);
    pages::Connect(m_host, m_ui->Reboot_BTN, this, &TUpdatePage::Reboot_BTNClick);
}

TUpdatePage::~TUpdatePage() = default;

void TUpdatePage::fill(TDeviceEntry&) {}

void TUpdatePage::StartFirmware_BTNClick() {
    const auto command = m_host.tryBeginCommand();
    if (!command)
        return;
    Prompter& prompter = m_host.prompter();
    const QString file = prompter.openFileName(
        this, {QString(), QString(), ops::kUpdateFileFilter, ops::kUpdateDefaultExtension});
    if (file.isEmpty())
        return;
    const ops::Result upload = WhileWaiting([&] {
        return ops::UploadUpdate(command->device, m_host.ftpLink(), file, pages::HostProgress(m_host));
    });
    ShowNotice(prompter, this, upload.notice);
}

void TUpdatePage::OnlineFirmware_BTNClick() {
    m_host.prompter().message(this, ops::kOnlineUpdateText, MsgIcon::Information);
}

void TUpdatePage::Reboot_BTNClick() {
    const auto command = m_host.tryBeginCommand();
    if (!command)
        return;
    const ops::Result restart = WhileWaiting([&] { return ops::RestartController(command->device); });
    ShowNotice(m_host.prompter(), this, restart.notice);
}
