#include "ui/pages/OfflineCommands.h"

#include "data/DeviceEntry.h"
#include "data/TableDiff.h"
#include "ops/Backup.h"
#include "ops/Compare.h"
#include "ops/Configuration.h"
#include "ops/DeviceList.h"
#include "ops/Messages.h"
#include "ops/Offline.h"
#include "ui/NoticeBox.h"
#include "ui/Prompter.h"
#include "ui/dialogs/CompareDialog.h"
#include "ui/dialogs/OfflineDialog.h"
#include "ui/dialogs/TransferTargetDialog.h"
#include "ui/pages/PageHost.h"

#include <QDir>
#include <QFileInfo>

#include <vector>

const QString TOfflineCommands::kOpenCaption =
    QStringLiteral("Bitte wählen Sie den Ordner aus, in dem die Konfigurationsdateien gespeichert sind :");
const QString TOfflineCommands::kSaveCaption = ops::kBackupPrompt;
const QString TOfflineCommands::kNoTargetText = QStringLiteral(
    "Es ist kein angemeldetes Kelvora compact vorhanden. Bitte öffnen Sie zuerst den Eintrag des Kelvora "
    "compact, auf das die Konfiguration übertragen werden soll, und melden Sie sich an.");

namespace {

const QString kNewTitle = QStringLiteral("Neue Offline-Konfiguration");
const QString kNewHint =
    QStringLiteral("Eine Konfiguration für ein Kelvora compact, das noch nicht im Netzwerk ist.");
const QString kOpenTitle = QStringLiteral("Offline öffnen");
const QString kFormUnknownHint = QStringLiteral(
    "Die Transponder dieses Ordners verraten nicht, in welcher Form das Kelvora compact ihre Codes "
    "speichert. Bitte wählen Sie die Codeform.");
const QString kReplaceQuestion = QStringLiteral(
    "Im Ordner \"%1\" befindet sich bereits eine Kelvora compact Konfiguration. Soll sie ersetzt werden ?");
const QString kTransferredQuestion = QStringLiteral(
    "Die Konfiguration wurde erfolgreich übertragen. Soll die Konfiguration gleich aktiviert werden ?");

QString targetLabel(const TDeviceEntry& entry) {
    return entry.Name + QStringLiteral(" (") + entry.IPAddress + QLatin1Char(')');
}

QString folderName(const QString& folder) {
    const QString name = QFileInfo(QDir::cleanPath(QDir::fromNativeSeparators(folder))).fileName();
    return name.isEmpty() ? QDir::toNativeSeparators(folder) : name;
}

} // namespace

TOfflineCommands::TOfflineCommands(PageHost& host, QWidget* parent) : m_host(host), m_parent(parent) {}

std::unique_ptr<TDeviceEntry> TOfflineCommands::open() {
    const QString folder = m_host.prompter().existingDirectory(m_parent, kOpenCaption, QString());
    if (folder.isEmpty())
        return nullptr;
    auto entry = std::make_unique<TDeviceEntry>();
    const ops::Result read = ops::ReadOfflineFolder(folder, *entry);
    if (!read.ok()) {
        ShowNotice(m_host.prompter(), m_parent, read.notice);
        return nullptr;
    }
    QString name = folderName(folder);
    std::optional<ops::CodeForm> form = ops::CodeFormOfRecords(entry->Transponders);
    if (!form) {
        TOffline_Dlg dialog(kOpenTitle, kFormUnknownHint, name, ops::CodeForm::Binary, m_parent);
        if (m_host.prompter().runDialog(dialog) != QDialog::Accepted)
            return nullptr;
        name = dialog.name();
        form = dialog.form();
    }
    ops::MakeOffline(*entry, name, *form);
    return entry;
}

std::unique_ptr<TDeviceEntry> TOfflineCommands::create() {
    TOffline_Dlg dialog(kNewTitle, kNewHint, QStringLiteral("Neue Konfiguration"), ops::CodeForm::Binary,
                        m_parent);
    if (m_host.prompter().runDialog(dialog) != QDialog::Accepted)
        return nullptr;
    auto entry = std::make_unique<TDeviceEntry>();
    ops::MakeOffline(*entry, dialog.name(), dialog.form());
    // Nothing is in a folder yet: closing the program asks before the new configuration goes.
    entry->Changed = true;
    return entry;
}

bool TOfflineCommands::save(TDeviceEntry& entry) {
    QString folder = entry.Folder;
    if (folder.isEmpty()) {
        folder = m_host.prompter().existingDirectory(m_parent, kSaveCaption, QString());
        if (folder.isEmpty())
            return false;
        // A new configuration does not silently take the place of another one.
        if (ops::CheckBackupFolder(folder).state != ops::BackupFolderCheck::FilesMissing &&
            !m_host.prompter().question(m_parent, kReplaceQuestion.arg(QDir::toNativeSeparators(folder)),
                                        MsgIcon::Warning))
            return false;
    }
    const ops::Result saved = ops::SaveOffline(entry, folder);
    if (!saved.ok()) {
        ShowNotice(m_host.prompter(), m_parent, saved.notice);
        return false;
    }
    m_host.prompter().message(m_parent, ops::OfflineSavedText(folder), MsgIcon::Information);
    return true;
}

void TOfflineCommands::transfer(TDeviceEntry& entry) {
    std::vector<const TDeviceEntry*> targets;
    QStringList labels;
    for (const auto& candidate : m_host.deviceList().entries()) {
        if (candidate->LoggedIn) {
            targets.push_back(candidate.get());
            labels << targetLabel(*candidate);
        }
    }
    if (targets.empty()) {
        m_host.prompter().message(m_parent, kNoTargetText, MsgIcon::Warning);
        return;
    }
    TTransferTarget_Dlg choice(labels, m_parent);
    if (m_host.prompter().runDialog(choice) != QDialog::Accepted)
        return;
    const int index = choice.targetIndex();
    if (index < 0 || index >= static_cast<int>(targets.size()))
        return;
    const TDeviceEntry& target = *targets[static_cast<std::size_t>(index)];
    const Progress progress = pages::HostProgress(m_host);

    TDeviceEntry now;
    const ops::ConfigurationLoad read = ops::ReadCurrentTables(target, m_host.ftpLink(), now);
    if (!read.ok()) {
        ShowNotice(m_host.prompter(), m_parent, read.notice);
        return;
    }
    QString title = QStringLiteral("Was „Auf System übertragen“ auf %1 ändert:").arg(targetLabel(target));
    if (ops::CodeFormOf(entry) != ops::CodeFormOf(target))
        title +=
            QStringLiteral("\nAchtung: Die Offline-Konfiguration hat %1, das Kelvora compact erwartet %2. "
                           "Die Codes werden unverändert übertragen.")
                .arg(ops::CodeFormText(ops::CodeFormOf(entry)), ops::CodeFormText(ops::CodeFormOf(target)));
    TCompare_Dlg compare(title + QStringLiteral("\nSoll die Konfiguration übertragen werden?"),
                         tablediff::Compare(now, entry), TCompare_Dlg::ConfirmTransfer, m_parent);
    if (m_host.prompter().runDialog(compare) != QDialog::Accepted)
        return;

    const ops::Result sent = ops::TransferOffline(entry, target, m_host.ftpLink(), progress);
    if (!sent.ok()) {
        // The restore says nothing of a refused FTP connection; a transfer that did not happen must say so.
        if (sent.notice.empty())
            m_host.prompter().message(m_parent, ops::kRestoreFailedText, MsgIcon::Error);
        else
            ShowNotice(m_host.prompter(), m_parent, sent.notice);
        return;
    }
    if (!m_host.prompter().question(m_parent, kTransferredQuestion, MsgIcon::Information)) {
        // Without the activation the controller takes the tables over at its restart.
        m_host.prompter().message(m_parent, ops::kRestoreDoneText, MsgIcon::Information);
        return;
    }
    ShowNotice(m_host.prompter(), m_parent, ops::ActivateConfiguration(target, progress).notice);
}
