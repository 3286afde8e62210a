#include "ops/Logbook.h"

#include "data/DeviceEntry.h"
#include "ops/CommandSession.h"
#include "ops/FileOperation.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QStandardPaths>
#include <QTemporaryFile>

#include <filesystem>
#include <memory>
#include <system_error>

namespace ops {
namespace {

QString g_logbookFolder;

constexpr QFile::Permissions kOwnerOnly = QFile::ReadOwner | QFile::WriteOwner;

// The folder, created owner-only when it is not there yet.
bool prepareFolder(const QString& folder) {
    if (QFileInfo(folder).isDir())
        return true;
    if (!QDir().mkpath(folder))
        return false;
    QFile::setPermissions(folder, kOwnerOnly | QFile::ExeOwner);
    return true;
}

// Replaces `to` by `from` in one step, so that the kept copy is never missing or half written.
bool replaceFile(const QString& from, const QString& to) {
    std::error_code error;
    std::filesystem::rename(QFileInfo(from).filesystemAbsoluteFilePath(),
                            QFileInfo(to).filesystemAbsoluteFilePath(), error);
    return !error;
}

bool readWhole(const QString& path, QByteArray& bytes) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return false;
    bytes = file.readAll();
    return file.error() == QFileDevice::NoError;
}

} // namespace

QString LogbookFolder() {
    if (!g_logbookFolder.isEmpty())
        return g_logbookFolder;
    QString folder = QStandardPaths::writableLocation(QStandardPaths::AppLocalDataLocation);
    if (folder.isEmpty())
        folder = QDir::homePath() + QStringLiteral("/.kelvora-admin");
    return QDir::fromNativeSeparators(folder) + QLatin1Char('/');
}

void SetLogbookFolder(const QString& folder) {
    g_logbookFolder =
        folder.isEmpty() || folder.endsWith(QLatin1Char('/')) ? folder : folder + QLatin1Char('/');
}

QString LogbookCopyPath() {
    return LogbookFolder() + QStringLiteral("kelvora.log");
}

LogbookRead ReadLogbook(const TDeviceEntry& entry, FtpLink& ftp, KeptLogbook& kept,
                        const LogbookReadSteps& steps) {
    LogbookRead read;
    FileOperation operation(entry, ftp);
    read.outcome = operation.open(FileOperation::LoginRule::Require);
    if (read.outcome != Outcome::Ok)
        return read;

    TKLVSocket& socket = operation.session().socket();
    if (!socket.ReadLogInfo() || socket.LogCount == 0) {
        read.outcome = Outcome::CommandFailed;
        operation.finish();
        return read;
    }
    read.count = socket.LogCount;
    read.position = socket.LogPosition;
    if (steps.counted)
        steps.counted(read.count);

    // The download goes to a name of its own, created owner-only (the transfer keeps the permissions of
    // the file it replaces); it becomes "kelvora.log" only once its records were read to the end.
    std::unique_ptr<QTemporaryFile> download;
    if (prepareFolder(LogbookFolder())) {
        download = std::make_unique<QTemporaryFile>(LogbookFolder() + QStringLiteral("kelvora.log.XXXXXX"));
        if (download->open())
            download->close();
        else
            download.reset();
    }
    if (!download) {
        read.outcome = Outcome::LocalFileFailed;
        operation.finish();
        return read;
    }

    read.outcome = operation.connect();
    if (read.outcome != Outcome::Ok) {
        operation.finish();
        return read;
    }
    if (steps.connected)
        steps.connected();
    const QString downloadPath = download->fileName();
    const bool downloaded = operation.get(QStringLiteral("kelvora.log"), downloadPath);
    operation.quit();
    QByteArray bytes;
    if (!downloaded) {
        read.outcome = Outcome::TransferFailed;
    } else if (!readWhole(downloadPath, bytes)) {
        read.outcome = Outcome::LocalFileFailed;
    } else {
        const logbook::LogRing ring{read.count, read.position, FirmwareAtLeast(entry, 39)};
        read.content = logbook::ReadLogbookCopy(bytes, ring);
        if (logbook::ReadToTheEnd(read.content.end)) {
            QFile::setPermissions(downloadPath, kOwnerOnly);
            if (replaceFile(downloadPath, LogbookCopyPath())) {
                kept = {true, ring};
                read.replaced = true;
            } else {
                read.outcome = Outcome::LocalFileFailed;
            }
        }
    }
    operation.finish();
    return read;
}

LogbookExportResult ExportLogbook(const KeptLogbook& kept, const QString& target) {
    LogbookExportResult result;
    QByteArray bytes;
    if (!kept.valid || !readWhole(LogbookCopyPath(), bytes)) {
        result.outcome = Outcome::LocalFileFailed;
        return result;
    }
    result.copyRead = true;
    result.exported = logbook::ExportLogbookCopy(bytes, kept.ring);
    if (!logbook::ExportComplete(result.exported.end))
        return result;
    // Written beside the chosen file and renamed over it when complete: an existing file is replaced
    // only by a whole export.
    QSaveFile file(target);
    if (!file.open(QIODevice::WriteOnly) || file.write(result.exported.text) != result.exported.text.size() ||
        !file.commit()) {
        result.outcome = Outcome::LocalFileFailed;
        return result;
    }
    result.written = true;
    return result;
}

Outcome DeleteLogbook(const TDeviceEntry& entry) {
    CommandSession session(entry);
    if (!session.login())
        return Outcome::LoginFailed;
    return session.socket().DeleteLog() ? Outcome::Ok : Outcome::CommandFailed;
}

} // namespace ops
