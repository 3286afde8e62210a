#include "ui/pages/BackupSection.h"

#include "ops/Backup.h"
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
    pages::Connect(m_host, m_ui->StartBackup_BTN, this, &TBackupSection::StartBackup_BTNClick);
    pages::Connect(m_host, m_ui->Restore_BTN, this, &TBackupSection::Restore_BTNClick);
}

TBackupSection::~TBackupSection() = default;

void TBackupSection::StartBackup_BTNClick() {
    const auto command = m_host.tryBeginCommand();
    if (!command)
        return;
    Prompter& prompter = m_host.prompter();
    const QString folder = prompter.existingDirectory(this, ops::kBackupPrompt, startFolder());
    if (folder.isEmpty())
        return;
    const ops::Result backup = WhileWaiting([&] {
        return ops::BackupConfiguration(command->device, m_host.ftpLink(), folder,
                                        pages::HostProgress(m_host));
    });
    ShowNotice(prompter, this, backup.notice);
}

void TBackupSection::Restore_BTNClick() {
    const auto command = m_host.tryBeginCommand();
    if (!command)
        return;
    Prompter& prompter = m_host.prompter();
    const QString folder = prompter.existingDirectory(this, ops::kRestorePrompt, startFolder());
    if (folder.isEmpty())
        return;
    const ops::Result check = ops::CheckRestoreFolder(folder);
    if (!check.ok()) {
        ShowNotice(prompter, this, check.notice);
        return;
    }
    const ops::Result restore = WhileWaiting([&] {
        return ops::RestoreConfiguration(command->device, m_host.ftpLink(), folder,
                                         pages::HostProgress(m_host));
    });
    ShowNotice(prompter, this, restore.notice);
}
