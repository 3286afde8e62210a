// backup, restore, update: the commands that move the controller's files.

#include "cli/Commands.h"
#include "cli/Site.h"
#include "data/DeviceEntry.h"
#include "ops/Backup.h"
#include "ops/Update.h"

#include <QDir>
#include <QFileInfo>

namespace cli {
namespace {

bool backupOne(Job& job, TDeviceEntry& entry, const QString& root, const QString& stamp) {
    const QString controllerFolder = QDir(root).filePath(Site::FolderName(entry));
    const QString folder = QDir().mkpath(controllerFolder) ? FreePath(controllerFolder, stamp) : QString();
    if (folder.isEmpty() || !QDir().mkpath(folder)) {
        job.report(entry,
                   QStringLiteral("Der Ordner \"%1\" kann nicht angelegt werden.")
                       .arg(QDir::toNativeSeparators(folder.isEmpty() ? controllerFolder : folder)),
                   true);
        return false;
    }
    job.console().step(QStringLiteral("Sicherung von %1 ...").arg(Site::Label(entry)));
    const ops::Result backup = ops::BackupConfiguration(entry, job.ftp(), folder);
    if (!backup.ok()) {
        // A failed backup leaves nothing in the folder: no empty time stamp either.
        QDir().rmdir(folder);
        QDir().rmdir(controllerFolder);
        job.report(entry, backup.notice);
        return false;
    }
    // A table that is no whole number of records stays as received, and the script hears of it.
    job.report(entry,
               backup.notice.scriptText() + QStringLiteral(" Ordner: ") + QDir::toNativeSeparators(folder),
               backup.notice.failed);
    return !backup.notice.failed;
}

} // namespace

int RunBackup(Site& site, const Invocation& invocation) {
    const bool all = invocation.has(QStringLiteral("all"));
    const QString root = invocation.operands.last();
    if (QFileInfo(root).exists() && !QFileInfo(root).isDir())
        return UsageError(site, invocation, QStringLiteral("\"%1\" ist kein Ordner.").arg(root));
    const QString stamp = TimeStamp(QDateTime::currentDateTime());
    return ForEachController(
        site, invocation, all ? QString() : invocation.operands.first(), QStringLiteral("gesichert"),
        [&](Job& job, TDeviceEntry& entry) { return backupOne(job, entry, root, stamp); });
}

int RunRestore(Site& site, const Invocation& invocation) {
    const QString folder = invocation.operands.value(1);
    // Checked before any connection is made, as in the window.
    const auto folderComplete = [&] {
        const ops::Result check = ops::CheckRestoreFolder(folder);
        if (!check.ok())
            site.console().error(check.notice.scriptText());
        return check.ok();
    };
    const auto restore = [&](Job& job, TDeviceEntry& entry) {
        job.console().step(QStringLiteral("Rücksicherung auf %1 ...").arg(Site::Label(entry)));
        const ops::Result restored = ops::RestoreConfiguration(entry, job.ftp(), folder);
        job.report(entry, restored.notice);
        return restored.ok();
    };
    return ForEachController(site, invocation, invocation.operands.value(0), QString(), restore,
                             folderComplete);
}

int RunUpdate(Site& site, const Invocation& invocation) {
    const QString file = invocation.operands.value(1);
    const auto fileThere = [&] {
        if (!QFileInfo(file).isFile())
            site.console().error(
                QStringLiteral("Die Datei \"%1\" ist nicht vorhanden.").arg(QDir::toNativeSeparators(file)));
        return QFileInfo(file).isFile();
    };
    const auto upload = [&](Job& job, TDeviceEntry& entry) {
        job.console().step(QStringLiteral("Update von %1 ...").arg(Site::Label(entry)));
        const ops::Result uploaded = ops::UploadUpdate(entry, job.ftp(), file);
        job.report(entry, uploaded.notice);
        return uploaded.ok();
    };
    return ForEachController(site, invocation, invocation.operands.value(0), QString(), upload, fileThere);
}

} // namespace cli
