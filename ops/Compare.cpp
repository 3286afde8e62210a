#include "ops/Compare.h"

#include "data/DeviceEntry.h"
#include "ops/Backup.h"
#include "ops/Notices.h"

namespace ops {
namespace {

const QString kDryRunText = QStringLiteral("Probelauf: es wurde nichts geändert.");
const QString kNothingToDoText =
    QStringLiteral("Die Transponderliste ändert nichts an den Transpondern; es wurde nichts gespeichert.");
const QString kTakenOverText = QStringLiteral("Die Transponderliste wurde übernommen.");

Notice noticeOf(const QString& text, Notice::Kind kind, bool failed) {
    Notice notice;
    notice.text = text;
    notice.kind = kind;
    notice.failed = failed;
    return notice;
}

// Plans the import into the entry's tables; false (with the result filled) when the list is refused or
// only a plan was asked for.
bool planned(const TDeviceEntry& entry, const translist::ParsedList& list, const ListImportInput& input,
             ListImportResult& result) {
    result.plan = PlanImport(entry, list, input.options);
    if (!result.plan.ok()) {
        result.refused = true;
        result.outcome = Outcome::LocalFileFailed;
        result.notice = noticeOf(RefusalText(result.plan), Notice::Error, true);
        return false;
    }
    if (input.dryRun) {
        result.notice = noticeOf(PlanCounts(result.plan) + QStringLiteral(". ") + kDryRunText,
                                 Notice::Information, false);
        return false;
    }
    if (!result.plan.changesAnything()) {
        result.notice = noticeOf(kNothingToDoText, Notice::Information, false);
        return false;
    }
    return true;
}

} // namespace

void CopyIdentity(const TDeviceEntry& from, TDeviceEntry& to) {
    static_cast<TDeviceReply&>(to) = static_cast<const TDeviceReply&>(from);
    to.LoggedIn = from.LoggedIn;
    to.UserName = from.UserName;
    to.Password = from.Password;
    to.InfoValid = from.InfoValid;
    to.Info = from.Info;
}

void CopyTables(const TDeviceEntry& from, TDeviceEntry& to) {
    to.Modules.clear();
    to.Transponders.clear();
    for (const auto& module : from.Modules)
        to.Modules.push_back(std::make_unique<TModuleEntry>(*module));
    for (const auto& transponder : from.Transponders)
        to.Transponders.push_back(std::make_unique<TTransponderEntry>(*transponder));
}

ConfigurationLoad ReadCurrentTables(const TDeviceEntry& entry, FtpLink& ftp, TDeviceEntry& into,
                                    const TableCopies& copies) {
    CopyIdentity(entry, into);
    LoadInput input;
    input.copies = copies;
    return LoadConfiguration(into, ftp, input);
}

bool TablesOfList(const TDeviceEntry& base, const translist::ParsedList& list, TDeviceEntry& into,
                  QString* refusal) {
    CopyIdentity(base, into);
    CopyTables(base, into);
    ImportPlan plan = PlanImport(into, list, {true, {}});
    if (!plan.ok()) {
        *refusal = RefusalText(plan);
        return false;
    }
    ApplyImport(into, plan);
    return true;
}

ListImportResult ImportListToController(TDeviceEntry& entry, FtpLink& ftp, const translist::ParsedList& list,
                                        const ListImportInput& input) {
    ListImportResult result;
    LoadInput load;
    load.copies = input.copies;
    load.progress = input.progress;
    const ConfigurationLoad loaded = LoadConfiguration(entry, ftp, load);
    if (!loaded.ok()) {
        static_cast<Result&>(result) = loaded;
        return result;
    }
    if (!planned(entry, list, input, result))
        return result;

    TDeviceEntry before;
    CopyTables(entry, before);
    ApplyImport(entry, result.plan);
    SaveInput save;
    save.copies = input.copies;
    save.progress = input.progress;
    const bool activate = input.activate;
    save.activate = [activate] { return activate; };
    const ConfigurationSave saved = SaveConfiguration(entry, ftp, save);
    result.outcome = saved.outcome;
    if (saved.ok()) {
        result.saved = true;
        QString text = kTakenOverText + QLatin1Char(' ') + PlanCounts(result.plan) + QLatin1Char('.');
        if (saved.activated)
            text += QStringLiteral(" Die Konfiguration wurde aktiviert.");
        result.notice = noticeOf(text, Notice::Information, false);
        return result;
    }
    // A failed upload may have replaced one file already: the tables as they were go back.
    QString text = saved.notice.scriptText();
    CopyTables(before, entry);
    if (saved.outcome == Outcome::TransferFailed) {
        const ConfigurationSave again = SaveConfiguration(entry, ftp, {input.copies, {}, {}});
        result.restored = again.ok();
        text +=
            result.restored
                ? QStringLiteral(" Die vorherigen Tabellen wurden wieder gespeichert.")
                : QStringLiteral(" Die vorherigen Tabellen konnten nicht wieder gespeichert werden; bitte "
                                 "prüfen Sie die Konfiguration des Kelvora compact.");
    }
    entry.Changed = false;
    result.notice = noticeOf(text, Notice::Error, true);
    return result;
}

ListImportResult ImportListToFolder(const QString& folder, const translist::ParsedList& list,
                                    const ListImportInput& input) {
    ListImportResult result;
    TDeviceEntry entry;
    const Result read = ReadBackupTables(folder, entry);
    if (!read.ok()) {
        static_cast<Result&>(result) = read;
        return result;
    }
    if (!planned(entry, list, input, result))
        return result;
    ApplyImport(entry, result.plan);
    const QString target = FolderFile(folder, kTransponderFileName);
    if (!WriteTableFile(target, entry.Transponders)) {
        result.outcome = Outcome::LocalFileFailed;
        result.notice = noticeOf(TargetNotWrittenText(target), Notice::Error, true);
        return result;
    }
    result.saved = true;
    result.notice = noticeOf(kTakenOverText + QLatin1Char(' ') + PlanCounts(result.plan) + QLatin1Char('.'),
                             Notice::Information, false);
    return result;
}

} // namespace ops
