#include "ui/pages/BackupSection.h"

#include "ops/Backup.h"
#include "ops/Messages.h"
#include "ui/ErrorHandler.h"
#include "ui/Prompter.h"
#include "ui/WaitCursor.h"
#include "ui/pages/PageHost.h"
#include "ui_BackupSection.h"

#include <QStandardPaths>

namespace {

// Both folder dialogs start at the desktop.
QString startFolder() {
    return QStandardPaths::writableLocation(QStandardPaths::DesktopLocation);
}

} // namespace

TBackupSection::TBackupSection(PageHost& host, QWidget* parent)
    : QWidget(parent), m_host(host), m_ui(std::make_unique<Ui::BackupSection>()) {
    m_ui->setupUi(this);
    connect(m_ui->StartBackup_BTN, &QPushButton::clicked, this,
            [this] { RunGuarded(m_host.prompter(), this, [this] { StartBackup_BTNClick(); }); });
    connect(m_ui->Restore_BTN, &QPushButton::clicked, this,
            [this] { RunGuarded(m_host.prompter(), this, [this] { Restore_BTNClick(); }); });
}

TBackupSection::~TBackupSection() = default;

void TBackupSection::StartBackup_BTNClick() {
    TDeviceEntry* device = m_host.currentDevice();
    if (!device || m_host.busy())
        return;
    const CommandScope command = m_host.beginCommand();
    Prompter& prompter = m_host.prompter();
    const QString folder = prompter.existingDirectory(this, ops::kBackupPrompt, startFolder());
    if (folder.isEmpty())
        return;
    ops::Outcome outcome;
    {
        WaitCursor hourglass;
        outcome = ops::BackupConfiguration(*device, m_host.ftpLink(), folder);
    }
    switch (outcome) {
    case ops::Outcome::Ok:
        prompter.message(this, ops::kBackupDoneText, MsgIcon::Information);
        return;
    case ops::Outcome::FileAccessRefused:
        prompter.message(this, ops::kLoadAccessRefusedText, MsgIcon::Information);
        return;
    case ops::Outcome::FtpConnectFailed:
        return; // the controller's FTP server did not take the connection: nothing to report
    case ops::Outcome::TransferFailed:
    case ops::Outcome::LocalFileFailed:
    case ops::Outcome::LoginFailed:
    case ops::Outcome::CommandFailed:
        prompter.message(this, ops::kBackupFailedText, MsgIcon::Error);
        return;
    }
}

void TBackupSection::Restore_BTNClick() {
    TDeviceEntry* device = m_host.currentDevice();
    if (!device || m_host.busy())
        return;
    const CommandScope command = m_host.beginCommand();
    Prompter& prompter = m_host.prompter();
    const QString folder = prompter.existingDirectory(this, ops::kRestorePrompt, startFolder());
    if (folder.isEmpty())
        return;
    const ops::BackupFolderCheck check = ops::CheckBackupFolder(folder);
    if (check.state != ops::BackupFolderCheck::Complete) {
        prompter.message(this, ops::BackupFolderRefusal(check), MsgIcon::Warning);
        return;
    }
    ops::Outcome outcome;
    {
        WaitCursor hourglass;
        outcome = ops::RestoreConfiguration(*device, m_host.ftpLink(), folder);
    }
    switch (outcome) {
    case ops::Outcome::Ok:
        prompter.message(this, ops::kRestoreDoneText, MsgIcon::Information);
        return;
    case ops::Outcome::FileAccessRefused:
        prompter.message(this, ops::kSaveAccessRefusedText, MsgIcon::Information);
        return;
    case ops::Outcome::FtpConnectFailed:
        return; // as with the backup: no message
    case ops::Outcome::TransferFailed:
    case ops::Outcome::LocalFileFailed:
    case ops::Outcome::LoginFailed:
    case ops::Outcome::CommandFailed:
        prompter.message(this, ops::kRestoreFailedText, MsgIcon::Error);
        return;
    }
}
