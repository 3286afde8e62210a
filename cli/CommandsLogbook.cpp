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

QString targetFile(const Site& site, const TDeviceEntry& entry, const LogTarget& target) {
    if (!target.file.isEmpty())
        return target.file;
    const QString controllerFolder = QDir(target.folder).filePath(Site::FolderName(entry));
    if (!QDir().mkpath(controllerFolder)) {
        site.report(entry,
                    QStringLiteral("Der Ordner \"%1\" kann nicht angelegt werden.")
                        .arg(QDir::toNativeSeparators(controllerFolder)),
                    true);
        return QString();
    }
    const QString file = FreePath(controllerFolder, target.stamp, QStringLiteral(".txt"));
    if (file.isEmpty())
        site.report(entry, ops::TargetNotWrittenText(QDir(controllerFolder).filePath(target.stamp)), true);
    return file;
}

bool sameOnDisk(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) && file.readAll() == bytes && file.error() == QFileDevice::NoError;
}

// Deleting is for good: only when the file on disk holds every entry that was read, and the controller
// has logged nothing since.
bool deleteAfterExport(const Site& site, const TDeviceEntry& entry, const ops::LogbookRead& read,
                       const ops::LogbookExportResult& result, const QString& file) {
    const qsizetype entries = static_cast<qsizetype>(read.content.records.size());
    const bool whole =
        result.exported.end == logbook::LogEnd::Complete || result.exported.end == logbook::LogEnd::ShortRead;
    if (!whole || result.exported.lines != entries) {
        site.report(
            entry,
            QStringLiteral("Das Logbuch wurde nicht gelöscht: Der Export enthält nur %1 von %2 Einträgen.")
                .arg(result.exported.lines)
                .arg(entries),
            true);
        return false;
    }
    if (!sameOnDisk(file, result.exported.text)) {
        site.report(
            entry,
            QStringLiteral("Das Logbuch wurde nicht gelöscht: Die Exportdatei \"%1\" ist nicht vollständig.")
                .arg(QDir::toNativeSeparators(file)),
            true);
        return false;
    }
    site.console().step(QStringLiteral("Löschen des Logbuchs von %1 ...").arg(Site::Label(entry)));
    const ops::LogbookDeleteAfterRead deleted =
        ops::DeleteLogbookIfUnchanged(entry, read.count, read.position);
    if (deleted.changed) {
        site.report(entry,
                    QStringLiteral("Das Logbuch wurde nicht gelöscht: Seit dem Lesen sind neue Einträge "
                                   "hinzugekommen. Der nächste Export enthält sie."),
                    true);
        return false;
    }
    site.report(entry, ops::LogbookDeleteNotice(deleted.outcome).text, deleted.outcome != ops::Outcome::Ok);
    return deleted.outcome == ops::Outcome::Ok;
}

bool exportOne(Site& site, TDeviceEntry& entry, const LogTarget& target, bool deleteAfter) {
    site.console().step(QStringLiteral("Logbuch von %1 ...").arg(Site::Label(entry)));
    ops::LogbookReadSteps steps;
    steps.counted = [&site](int count) { site.console().step(ops::LogbookCountText(count)); };
    ops::KeptLogbook kept;
    const ops::LogbookRead read = ops::ReadLogbook(entry, site.ftp(), kept, steps);
    const ops::Notice readNotice = ops::LogbookReadNotice(read);
    if (read.empty) {
        // Nothing to export and nothing to delete: an empty logbook is no failure.
        site.report(entry, readNotice.text, false);
        return true;
    }
    if (!read.replaced) {
        QString text = readNotice.text;
        if (read.outcome == ops::Outcome::Ok && read.content.end == logbook::LogEnd::TableViolation)
            text = logbook::TableViolationText(read.content.violation) +
                   QStringLiteral(" Das Logbuch wurde nicht exportiert.");
        else if (text.isEmpty())
            // The window stays silent here and keeps the last good copy; there is none to fall back on.
            text = QStringLiteral(
                "Das Logbuch konnte nicht vom Gerät übertragen werden. Bitte versuchen Sie den "
                "Vorgang erneut.");
        site.report(entry, text, true);
        return false;
    }
    const QString file = targetFile(site, entry, target);
    if (file.isEmpty())
        return false;
    const ops::LogbookExportResult result = ops::ExportLogbook(kept, file);
    const ops::Notice exportNotice = ops::LogbookExportNotice(result, file);
    if (!result.written) {
        site.report(entry, exportNotice.text, true);
        return false;
    }
    site.report(entry, exportNotice.text + QStringLiteral(" Datei: ") + QDir::toNativeSeparators(file),
                false);
    return !deleteAfter || deleteAfterExport(site, entry, read, result, file);
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
        [&](TDeviceEntry& entry) { return exportOne(site, entry, target, deleteAfter); });
}

} // namespace cli
