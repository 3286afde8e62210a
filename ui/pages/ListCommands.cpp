#include "ui/pages/ListCommands.h"

#include "data/DeviceEntry.h"
#include "data/TableDiff.h"
#include "data/TransponderList.h"
#include "ops/Backup.h"
#include "ops/Compare.h"
#include "ops/DeviceList.h"
#include "ops/OverviewFile.h"
#include "ui/NoticeBox.h"
#include "ui/Prompter.h"
#include "ui/SaveTarget.h"
#include "ui/dialogs/CompareDialog.h"
#include "ui/dialogs/CompareSourceDialog.h"
#include "ui/dialogs/ImportPlanDialog.h"
#include "ui/pages/PageHost.h"

#include <QDir>

#include <vector>

const QString TListCommands::kListFilter = QStringLiteral("Transponderliste *.CSV (*.CSV *.csv *.TXT *.txt)");

namespace {

const QString kImportCaption = QStringLiteral("Transponder importieren");
const QString kExportCaption = QStringLiteral("Transponder exportieren");
const QString kBackupCaption = QStringLiteral("Bitte wählen Sie den Ordner der Sicherung aus :");
const QString kListSavedText = QStringLiteral("Die Transponderliste wurde erfolgreich abgespeichert.");

QString quoted(const QString& path) {
    return QStringLiteral("„") + QDir::toNativeSeparators(path) + QStringLiteral("“");
}

QString labelOf(const TDeviceEntry& entry) {
    if (entry.Offline)
        return entry.Name + QStringLiteral(" (offline)");
    return entry.Name.isEmpty() ? entry.IPAddress
                                : entry.Name + QStringLiteral(" (") + entry.IPAddress + QLatin1Char(')');
}

bool loaded(const TDeviceEntry& entry) {
    return !entry.Modules.empty() || !entry.Transponders.empty();
}

} // namespace

TListCommands::TListCommands(PageHost& host, QWidget* parent, const TDefaultRestrictions* defaults)
    : m_host(host), m_parent(parent), m_defaults(defaults) {}

bool TListCommands::importList(TDeviceEntry& entry) {
    const QString file = m_host.prompter().openFileName(
        m_parent, {kImportCaption, QString(), kListFilter, QStringLiteral("CSV")});
    if (file.isEmpty())
        return false;
    const translist::ParsedList list = translist::ReadListFile(file);
    ops::ImportOptions options;
    if (m_defaults)
        options.defaults = *m_defaults;
    const auto planFor = [&entry, &list, options](bool removeMissing) {
        ops::ImportOptions asked = options;
        asked.removeMissing = removeMissing;
        return ops::PlanImport(entry, list, asked);
    };
    const ops::ImportPlan first = planFor(false);
    if (!first.ok()) {
        m_host.prompter().message(m_parent, ops::RefusalText(first), MsgIcon::Error);
        return false;
    }
    TImportPlan_Dlg dialog(file, planFor, m_parent);
    if (m_host.prompter().runDialog(dialog) != QDialog::Accepted)
        return false;
    ops::ImportPlan& plan = dialog.plan();
    if (!plan.ok() || !plan.changesAnything())
        return false;
    const QString counts = ops::PlanCounts(plan);
    // The tree and the editors let go of the records before they are replaced.
    m_host.tablesCleared(entry);
    ops::ApplyImport(entry, plan);
    m_host.tablesLoaded(entry);
    m_host.showStatus(QStringLiteral("Transponderliste übernommen (%1). Gespeichert wird mit „Konfiguration "
                                     "speichern“.")
                          .arg(counts));
    return true;
}

void TListCommands::exportList(const TDeviceEntry& entry) {
    const QString target = m_host.prompter().saveFileName(
        m_parent, {kExportCaption, QString(), kListFilter, QStringLiteral("CSV")});
    if (target.isEmpty())
        return;
    if (!ops::SaveOverviewFile(target, translist::ListFile(entry))) {
        m_host.prompter().message(m_parent, FileNotWrittenText(target), MsgIcon::Error);
        return;
    }
    m_host.prompter().message(m_parent, kListSavedText, MsgIcon::Information);
}

void TListCommands::compare(TDeviceEntry& entry) {
    std::vector<const TDeviceEntry*> others;
    QStringList labels;
    for (const auto& candidate : m_host.deviceList().entries()) {
        if (candidate.get() != &entry && loaded(*candidate)) {
            others.push_back(candidate.get());
            labels << labelOf(*candidate);
        }
    }
    TCompareSource_Dlg source(labels, m_parent);
    source.offerNow(!entry.Offline);
    if (m_host.prompter().runDialog(source) != QDialog::Accepted)
        return;
    TDeviceEntry other;
    QString from;
    switch (source.source()) {
    case TCompareSource_Dlg::Now: {
        if (entry.Offline)
            return;
        const ops::ConfigurationLoad now = ops::ReadCurrentTables(entry, m_host.ftpLink(), other);
        if (!now.ok()) {
            ShowNotice(m_host.prompter(), m_parent, now.notice);
            return;
        }
        from = QStringLiteral("dem, was jetzt auf dem Kelvora compact gespeichert ist,");
        break;
    }
    case TCompareSource_Dlg::Backup: {
        const QString folder = m_host.prompter().existingDirectory(m_parent, kBackupCaption, QString());
        if (folder.isEmpty())
            return;
        const ops::Result read = ops::ReadBackupTables(folder, other);
        if (!read.ok()) {
            ShowNotice(m_host.prompter(), m_parent, read.notice);
            return;
        }
        from = QStringLiteral("der Sicherung ") + quoted(folder);
        break;
    }
    case TCompareSource_Dlg::List: {
        const QString file = m_host.prompter().openFileName(
            m_parent, {kImportCaption, QString(), kListFilter, QStringLiteral("CSV")});
        if (file.isEmpty())
            return;
        QString refusal;
        if (!ops::TablesOfList(entry, translist::ReadListFile(file), other, &refusal)) {
            m_host.prompter().message(m_parent, refusal, MsgIcon::Error);
            return;
        }
        from = QStringLiteral("der Transponderliste ") + quoted(file);
        break;
    }
    case TCompareSource_Dlg::Other: {
        const int index = source.otherIndex();
        if (index < 0 || index >= static_cast<int>(others.size()))
            return;
        ops::CopyTables(*others[static_cast<std::size_t>(index)], other);
        from = QStringLiteral("den geladenen Tabellen von ") + labels[index];
        break;
    }
    }
    TCompare_Dlg dialog(
        QStringLiteral("Unterschiede von %1 zu den geladenen Tabellen von %2:").arg(from, labelOf(entry)),
        tablediff::Compare(other, entry), TCompare_Dlg::View, m_parent);
    m_host.prompter().runDialog(dialog);
}

bool TListCommands::confirmSave(TDeviceEntry& entry) {
    TDeviceEntry now;
    QString title;
    if (entry.Offline) {
        // What the folder holds now; a folder without a pair yet gets both tables whole.
        if (entry.Folder.isEmpty() ||
            ops::CheckBackupFolder(entry.Folder).state == ops::BackupFolderCheck::FilesMissing)
            return true;
        const ops::Result read = ops::ReadBackupTables(entry.Folder, now);
        if (!read.ok()) {
            ShowNotice(m_host.prompter(), m_parent, read.notice);
            return false;
        }
        title = QStringLiteral("Was „Speichern“ im Ordner %1 ändert:").arg(quoted(entry.Folder));
    } else {
        const ops::ConfigurationLoad read = ops::ReadCurrentTables(entry, m_host.ftpLink(), now);
        if (!read.ok()) {
            ShowNotice(m_host.prompter(), m_parent, read.notice);
            return false;
        }
        title = QStringLiteral("Was „Konfiguration speichern“ auf %1 ändert:").arg(labelOf(entry));
    }
    TCompare_Dlg dialog(title, tablediff::Compare(now, entry), TCompare_Dlg::ConfirmSave, m_parent);
    return m_host.prompter().runDialog(dialog) == QDialog::Accepted;
}
