// log: read a controller's logbook, export it, and delete it on the controller once the export is safe.

#include "cli/Commands.h"
#include "cli/Site.h"
#include "data/DeviceEntry.h"
#include "ops/Logbook.h"
#include "ops/Notices.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace cli {
namespace {

struct LogTarget {
    QString folder; // one file per controller below it: <serial>-<name>/<date-time>.txt
    QString file;   // else this one file
    QString stamp;
};

QString targetFile(const Job& job, const TDeviceEntry& entry, const LogTarget& target) {
    if (!target.file.isEmpty())
        return target.file;
    const QString controllerFolder = QDir(target.folder).filePath(Site::FolderName(entry));
    if (!QDir().mkpath(controllerFolder)) {
        job.report(entry,
                   QStringLiteral("Der Ordner \"%1\" kann nicht angelegt werden.")
                       .arg(QDir::toNativeSeparators(controllerFolder)),
                   true);
        return QString();
    }
    const QString file = FreePath(controllerFolder, target.stamp, QStringLiteral(".txt"));
    if (file.isEmpty())
        job.report(entry, ops::TargetNotWrittenText(QDir(controllerFolder).filePath(target.stamp)), true);
    return file;
}

bool sameOnDisk(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) && file.readAll() == bytes && file.error() == QFileDevice::NoError;
}

// Deleting is for good: only when the file on disk holds every entry that was read, and the controller
// has logged nothing since.
bool deleteAfterExport(const Job& job, const TDeviceEntry& entry, const ops::LogbookRead& read,
                       const ops::LogbookExportResult& result, const QString& file) {
    const qsizetype entries = static_cast<qsizetype>(read.content.records.size());
    const bool whole = result.exported.end == logbook::LogEnd::Complete;
    if (!whole || result.exported.lines != entries) {
        job.report(
            entry,
            QStringLiteral("Das Logbuch wurde nicht gelöscht: Der Export enthält nur %1 von %2 Einträgen.")
                .arg(result.exported.lines)
                .arg(entries),
            true);
        return false;
    }
    if (!sameOnDisk(file, result.exported.text)) {
        job.report(
            entry,
            QStringLiteral("Das Logbuch wurde nicht gelöscht: Die Exportdatei \"%1\" ist nicht vollständig.")
                .arg(QDir::toNativeSeparators(file)),
            true);
        return false;
    }
    job.console().step(QStringLiteral("Löschen des Logbuchs von %1 ...").arg(Site::Label(entry)));
    const ops::LogbookDeleteAfterRead deleted =
        ops::DeleteLogbookIfUnchanged(entry, read.count, read.position);
    job.report(entry, deleted.notice);
    return deleted.ok();
}

bool exportOne(Job& job, TDeviceEntry& entry, const LogTarget& target, bool deleteAfter) {
    job.console().step(QStringLiteral("Logbuch von %1 ...").arg(Site::Label(entry)));
    ops::LogbookReadInput input;
    input.progress = [&job](const ProgressStep& step) {
        if (step.kind == ProgressStep::LogbookCounted)
            job.console().step(ops::LogbookCountText(static_cast<int>(step.value)));
    };
    // The copy is kept in the job's own folder: a read for another controller at the same time keeps its
    // own.
    input.folder = job.folder();
    ops::KeptLogbook kept;
    kept.folder = job.folder();
    const ops::LogbookRead read = ops::ReadLogbook(entry, job.ftp(), kept, input);
    // An empty logbook is nothing to export, nothing to delete and no failure.
    if (read.empty || !read.replaced) {
        job.report(entry, read.notice);
        return read.empty;
    }
    const QString file = targetFile(job, entry, target);
    if (file.isEmpty())
        return false;
    const ops::LogbookExportResult result = ops::ExportLogbook(kept, file);
    if (!result.written) {
        job.report(entry, result.notice);
        return false;
    }
    job.report(entry,
               result.notice.scriptText() + QStringLiteral(" Datei: ") + QDir::toNativeSeparators(file),
               false);
    return !deleteAfter || deleteAfterExport(job, entry, read, result, file);
}

} // namespace

int RunLog(Site& site, const Invocation& invocation) {
    const bool all = invocation.has(QStringLiteral("all"));
    if (!invocation.hasValue(QStringLiteral("export")) ||
        invocation.value(QStringLiteral("export")).isEmpty())
        return UsageError(site, invocation,
                          QStringLiteral("Verlangt wird --export DATEI oder --export DIR."));
    const QString path = invocation.value(QStringLiteral("export"));
    const QFileInfo info(path);
    LogTarget target;
    target.stamp = TimeStamp(QDateTime::currentDateTime());
    if (info.isDir())
        target.folder = path;
    else if (all && info.exists())
        return UsageError(site, invocation,
                          QStringLiteral("Mit --all muss --export ein Ordner sein: %1").arg(path));
    else if (all)
        target.folder = path; // created with the first export
    else
        target.file = path;
    const bool deleteAfter = invocation.has(QStringLiteral("delete-after"));
    return ForEachController(
        site, invocation, all ? QString() : invocation.operands.first(), QStringLiteral("exportiert"),
        [&](Job& job, TDeviceEntry& entry) { return exportOne(job, entry, target, deleteAfter); });
}

} // namespace cli
