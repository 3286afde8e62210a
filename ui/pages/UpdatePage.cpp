#include "ui/pages/UpdatePage.h"

#include "ops/Messages.h"
#include "ops/Update.h"
#include "ui/ErrorHandler.h"
#include "ui/ImageList.h"
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
    const auto guarded = [this](void (TUpdatePage::*handler)()) {
        return
            [this, handler] { RunGuarded(m_host.prompter(), this, [this, handler] { (this->*handler)(); }); };
    };
    connect(m_ui->StartFirmware_BTN, &QPushButton::clicked, this,
            guarded(&TUpdatePage::StartFirmware_BTNClick));
    connect(m_ui->StartBIOS_BTN, &QPushButton::clicked, this, guarded(&TUpdatePage::StartFirmware_BTNClick));
    connect(m_ui->OnlineFirmware_BTN, &QPushButton::clicked, this,
            guarded(&TUpdatePage::OnlineFirmware_BTNClick));
    connect(m_ui->Reboot_BTN, &QPushButton::clicked, this, guarded(&TUpdatePage::Reboot_BTNClick));
}

TUpdatePage::~TUpdatePage() = default;

void TUpdatePage::fill(TDeviceEntry&) {}

void TUpdatePage::StartFirmware_BTNClick() {
    TDeviceEntry* device = m_host.currentDevice();
    if (!device || m_host.busy())
        return;
    const CommandScope command = m_host.beginCommand();
    Prompter& prompter = m_host.prompter();
    QString file = prompter.openFileName(this, QString(), QString(), ops::kUpdateFileFilter);
    if (file.isEmpty())
        return;
    file = ops::WithDefaultExtension(file);
    ops::Outcome outcome;
    {
        WaitCursor hourglass;
        outcome = ops::UploadUpdate(*device, m_host.ftpLink(), file);
    }
    switch (outcome) {
    case ops::Outcome::Ok:
        prompter.message(this, ops::kUpdateDoneText, MsgIcon::Information);
        return;
    case ops::Outcome::FileAccessRefused:
        prompter.message(this, ops::kUpdateAccessRefusedText, MsgIcon::Information);
        return;
    case ops::Outcome::FtpConnectFailed:
        prompter.message(this, ops::kUpdateFtpFailedText, MsgIcon::Error);
        return;
    case ops::Outcome::TransferFailed:
    case ops::Outcome::LocalFileFailed:
    case ops::Outcome::LoginFailed:
    case ops::Outcome::CommandFailed:
        prompter.message(this, ops::kUpdateFailedText, MsgIcon::Information);
        return;
    }
}

void TUpdatePage::OnlineFirmware_BTNClick() {
    m_host.prompter().message(this, ops::kOnlineUpdateText, MsgIcon::Information);
}

void TUpdatePage::Reboot_BTNClick() {
    TDeviceEntry* device = m_host.currentDevice();
    if (!device || m_host.busy())
        return;
    const CommandScope command = m_host.beginCommand();
    ops::Outcome outcome;
    {
        WaitCursor hourglass;
        outcome = ops::RestartController(*device);
    }
    switch (outcome) {
    case ops::Outcome::Ok:
        m_host.prompter().message(this, ops::kRestartingText, MsgIcon::Information);
        return;
    case ops::Outcome::LoginFailed:
    case ops::Outcome::FileAccessRefused:
    case ops::Outcome::FtpConnectFailed:
    case ops::Outcome::TransferFailed:
    case ops::Outcome::LocalFileFailed:
    case ops::Outcome::CommandFailed:
        m_host.prompter().message(this, ops::kConnectionFailedText, MsgIcon::Error);
        return;
    }
}
