// report: the overviews of all transponders, from a backup folder or from a controller.

#include "cli/Commands.h"
#include "cli/Site.h"
#include "data/DeviceEntry.h"
#include "data/OverviewReport.h"
#include "ops/Backup.h"
#include "ops/Notices.h"
#include "ops/OverviewFile.h"

#include <QDir>
#include <QFileInfo>

namespace cli {
namespace {

struct Target {
    QString path;
    QByteArray (*build)(const TDeviceEntry&, const Progress&);
};

// Every overview asked for, written whole; the first failure is the message. Built from the tables as
// they are, an empty table included: the configuration was read, so there is nothing to load first.
bool writeReports(const QList<Target>& targets, const TDeviceEntry& entry, QString* failure,
                  QStringList* written) {
    for (const Target& target : targets) {
        if (!ops::SaveOverviewFile(target.path, target.build(entry, {}))) {
            *failure = ops::TargetNotWrittenText(target.path);
            return false;
        }
        *written << QDir::toNativeSeparators(target.path);
    }
    return true;
}

QString savedText(const QStringList& written) {
    return ops::kOverviewSavedText + QStringLiteral(" Datei: ") + written.join(QStringLiteral(", "));
}

// A backup folder as "backup" writes it: both tables must be there and whole, as for a restore.
int reportFromFolder(Site& site, const QString& folder, const QList<Target>& targets) {
    TDeviceEntry entry;
    const ops::Result read = ops::ReadBackupTables(folder, entry);
    if (!read.ok()) {
        site.console().error(read.notice.scriptText());
        return read.notice.exitStatus();
    }
    QString failure;
    QStringList written;
    if (!writeReports(targets, entry, &failure, &written)) {
        site.console().error(failure);
        return kExitFailed;
    }
    site.console().print(savedText(written));
    return kExitOk;
}

} // namespace

int RunReport(Site& site, const Invocation& invocation) {
    QList<Target> targets;
    if (invocation.hasValue(QStringLiteral("text")))
        targets.append({invocation.value(QStringLiteral("text")), &overview::TextOverviewFile});
    if (invocation.hasValue(QStringLiteral("csv")))
        targets.append({invocation.value(QStringLiteral("csv")), &overview::CsvOverviewFile});
    if (targets.isEmpty())
        return UsageError(site, invocation, QStringLiteral("Verlangt wird --text DATEI oder --csv DATEI."));
    for (const Target& target : targets) {
        if (target.path.isEmpty())
            return UsageError(site, invocation, QStringLiteral("Der Dateiname fehlt."));
    }
    if (targets.size() == 2 &&
        QFileInfo(targets[0].path).absoluteFilePath() == QFileInfo(targets[1].path).absoluteFilePath())
        return UsageError(site, invocation, QStringLiteral("--text und --csv nennen dieselbe Datei."));

    const QString source = invocation.operands.value(0);
    // An existing folder is a backup, whatever its name looks like; no controller is asked.
    if (QFileInfo(source).isDir())
        return reportFromFolder(site, source, targets);
    if (!IsHostText(source))
        return UsageError(
            site, invocation,
            QStringLiteral("Weder ein vorhandener Ordner noch ein gültiger HOST: %1").arg(source));
    return ForEachController(site, invocation, source, QString(), [&](Job& job, TDeviceEntry& entry) {
        job.console().step(QStringLiteral("Konfiguration von %1 laden ...").arg(Site::Label(entry)));
        QString failure;
        QString remark;
        QStringList written;
        bool done = LoadTables(job, entry, &failure, &remark);
        // A table cut within a record lacks what that record held: no report of it passes for whole.
        if (done && !remark.isEmpty()) {
            failure = remark + QStringLiteral(" Es wurde keine Übersicht geschrieben.");
            done = false;
        }
        done = done && writeReports(targets, entry, &failure, &written);
        job.report(entry, done ? savedText(written) : failure, !done);
        return done;
    });
}

} // namespace cli
