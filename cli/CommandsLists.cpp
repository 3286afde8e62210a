// transponders export/import and diff: transponder lists and the differences between configurations.

#include "cli/Commands.h"
#include "cli/Site.h"
#include "data/DeviceEntry.h"
#include "data/TableDiff.h"
#include "data/TransponderList.h"
#include "ops/Backup.h"
#include "ops/Compare.h"
#include "ops/Notices.h"
#include "ops/OverviewFile.h"

#include <QDir>
#include <QFileInfo>

#include <algorithm>
#include <memory>

namespace cli {
namespace {

const QString kRemoveMissing = QStringLiteral("remove-missing");
const QString kDryRun = QStringLiteral("dry-run");
const QString kActivate = QStringLiteral("activate");

bool writeList(const Console& console, const TDeviceEntry& entry, const QString& file) {
    if (!ops::SaveOverviewFile(file, translist::ListFile(entry))) {
        console.error(ops::TargetNotWrittenText(file));
        return false;
    }
    console.print(QStringLiteral("Die Transponderliste wurde gespeichert (%1 Transponder). Datei: %2")
                      .arg(entry.Transponders.size())
                      .arg(QDir::toNativeSeparators(file)));
    return true;
}

void printPlan(const Console& console, const ops::ListImportResult& result) {
    if (result.refused)
        return;
    const QStringList lines = ops::PlanLines(result.plan);
    // The counts stand in the notice; the entries follow it.
    for (qsizetype i = 1; i < lines.size(); ++i)
        console.print(lines[i]);
}

int runExport(Site& site, const Invocation& invocation) {
    const QString source = invocation.operands.value(1);
    const QString file = invocation.operands.value(2);
    if (QFileInfo(source).isDir()) {
        TDeviceEntry entry;
        const ops::Result read = ops::ReadBackupTables(source, entry);
        if (!read.ok()) {
            site.console().error(read.notice.scriptText());
            return kExitFailed;
        }
        return writeList(site.console(), entry, file) ? kExitOk : kExitFailed;
    }
    return ForEachController(site, invocation, source, QString(), [&](Job& job, TDeviceEntry& entry) {
        job.console().step(QStringLiteral("Konfiguration von %1 laden ...").arg(Site::Label(entry)));
        QString failure;
        if (!LoadTables(job, entry, &failure)) {
            job.report(entry, failure, true);
            return false;
        }
        return writeList(job.console(), entry, file);
    });
}

int runImport(Site& site, const Invocation& invocation) {
    const QString target = invocation.operands.value(1);
    const QString file = invocation.operands.value(2);
    ops::ListImportInput input;
    input.options.removeMissing = invocation.has(kRemoveMissing);
    input.dryRun = invocation.has(kDryRun);
    input.activate = invocation.has(kActivate);
    if (input.dryRun && input.activate)
        return UsageError(site, invocation,
                          QStringLiteral("--dry-run und --activate schließen einander aus."));
    // The file is read before anything is sent; its rows are checked against the tables once loaded.
    translist::ParsedList list;
    const auto readFile = [&] {
        list = translist::ReadListFile(file);
        if (!list.ok())
            site.console().error(ops::RefusalText(ops::PlanImport(TDeviceEntry(), list)));
        return list.ok();
    };
    if (QFileInfo(target).isDir()) {
        if (input.activate)
            return UsageError(site, invocation, QStringLiteral("--activate gilt nur für ein Gerät."));
        if (!readFile())
            return kExitFailed;
        const ops::ListImportResult result = ops::ImportListToFolder(target, list, input);
        if (result.notice.failed) {
            site.console().error(result.notice.scriptText());
            return kExitFailed;
        }
        site.console().print(result.notice.scriptText());
        printPlan(site.console(), result);
        return kExitOk;
    }
    return ForEachController(
        site, invocation, target, QString(),
        [&](Job& job, TDeviceEntry& entry) {
            job.console().step(
                QStringLiteral("Transponderliste in %1 übernehmen ...").arg(Site::Label(entry)));
            const ops::ListImportResult result = ops::ImportListToController(entry, job.ftp(), list, input);
            job.report(entry, result.notice);
            printPlan(job.console(), result);
            return !result.notice.failed;
        },
        readFile);
}

// One side of a comparison: the tables it names, or the list that is read against the other side.
struct Side {
    QString operand;
    bool isList = false;
    translist::ParsedList list;
    TDeviceEntry* entry = nullptr;
    std::unique_ptr<TDeviceEntry> own;
};

// Reads a backup folder or a controller's tables; false with the message shown.
bool loadSide(Site& site, Side& side) {
    if (QFileInfo(side.operand).isDir()) {
        side.own = std::make_unique<TDeviceEntry>();
        const ops::Result read = ops::ReadBackupTables(side.operand, *side.own);
        if (!read.ok())
            site.console().error(read.notice.scriptText());
        side.entry = side.own.get();
        return read.ok();
    }
    side.entry = site.resolve(side.operand);
    if (!side.entry || !site.login(site.job(), *side.entry))
        return false;
    site.console().step(QStringLiteral("Konfiguration von %1 laden ...").arg(Site::Label(*side.entry)));
    QString failure;
    const bool loaded = LoadTables(site.job(), *side.entry, &failure);
    site.job().endController();
    if (!loaded) {
        site.job().report(*side.entry, failure, true);
        return false;
    }
    return true;
}

// The list's configuration over the other side's tables.
bool listSide(Site& site, Side& side, const TDeviceEntry& other) {
    side.own = std::make_unique<TDeviceEntry>();
    const translist::ParsedList list = translist::ReadListFile(side.operand);
    QString refusal;
    if (!list.ok())
        refusal = ops::RefusalText(ops::PlanImport(TDeviceEntry(), list));
    if (!refusal.isEmpty() || !ops::TablesOfList(other, list, *side.own, &refusal)) {
        site.console().error(refusal);
        return false;
    }
    side.entry = side.own.get();
    return true;
}

} // namespace

int RunTransponders(Site& site, const Invocation& invocation) {
    const QString action = invocation.operands.value(0);
    if (action == QStringLiteral("export")) {
        for (const QString& flag : {kRemoveMissing, kDryRun, kActivate}) {
            if (invocation.has(flag))
                return UsageError(site, invocation,
                                  QStringLiteral("--%1 gilt nur für \"import\".").arg(flag));
        }
        return runExport(site, invocation);
    }
    if (action == QStringLiteral("import"))
        return runImport(site, invocation);
    return UsageError(site, invocation,
                      QStringLiteral("Erwartet wird \"export\" oder \"import\": %1").arg(action));
}

int RunDiff(Site& site, const Invocation& invocation) {
    Side sides[2];
    for (int i = 0; i < 2; ++i) {
        Side& side = sides[i];
        side.operand = invocation.operands.value(i);
        const QFileInfo info(side.operand);
        side.isList = info.exists() && !info.isDir();
        if (!info.exists() && !IsHostText(side.operand))
            return UsageError(
                site, invocation,
                QStringLiteral("Weder ein Ordner, eine Datei noch ein gültiger HOST: %1").arg(side.operand));
    }
    if (sides[0].isList && sides[1].isList)
        return UsageError(site, invocation,
                          QStringLiteral("Eine Seite muss ein Gerät oder ein Sicherungsordner sein: eine "
                                         "Transponderliste wird mit dessen Modulen gelesen."));
    const bool hosts = std::any_of(std::begin(sides), std::end(sides), [](const Side& side) {
        return !side.isList && !QFileInfo(side.operand).isDir();
    });
    if (hosts && !LoadCredentials(site, invocation))
        return kExitUsage;
    // Nothing could be compared: no answer "equal" or "different".
    for (Side& side : sides) {
        if (!side.isList && !loadSide(site, side))
            return kExitUsage;
    }
    for (int i = 0; i < 2; ++i) {
        if (sides[i].isList && !listSide(site, sides[i], *sides[1 - i].entry))
            return kExitUsage;
    }
    const tablediff::Diff diff = tablediff::Compare(*sides[0].entry, *sides[1].entry);
    if (invocation.has(QStringLiteral("json"))) {
        site.console().print(QString::fromUtf8(tablediff::Json(diff)).trimmed());
    } else {
        for (const QString& line : tablediff::Lines(diff))
            site.console().print(line);
    }
    return diff.empty() ? kExitOk : kExitFailed;
}

} // namespace cli
