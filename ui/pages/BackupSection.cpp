#include "ui/pages/BackupSection.h"

#include "ops/Backup.h"
#include "ops/Notices.h"
#include "ui/ErrorHandler.h"
#include "ui/NoticeBox.h"
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
    ShowNotice(prompter, this, ops::BackupNotice(outcome));
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
    ShowNotice(prompter, this, ops::RestoreNotice(outcome));
}
