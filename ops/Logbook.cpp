#include "ops/Logbook.h"

#include "data/DeviceEntry.h"
#include "ops/CommandSession.h"
#include "ops/FileOperation.h"
#include "ops/Notices.h"

#include "net/SafeFile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QScopeGuard>
#include <QStandardPaths>
#include <QTemporaryFile>

#include <filesystem>
#include <memory>
#include <system_error>

namespace ops {
namespace {

QString g_logbookFolder;

const QString kCopyName = QStringLiteral("kelvora.log");

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
    return LogbookFolder() + kCopyName;
}

QString KeptLogbook::copyPath() const {
    return QDir(folder).filePath(kCopyName);
}

namespace {

void readLogbook(const TDeviceEntry& entry, FtpLink& ftp, KeptLogbook& kept, const LogbookReadInput& input,
                 LogbookRead& read) {
    FileOperation operation(entry, ftp, FileOperation::Account::Configured, input.progress);
    read.outcome = operation.open(FileOperation::LoginRule::Require);
    if (read.outcome != Outcome::Ok)
        return;

    TKLVSocket& socket = operation.session().socket();
    const bool answered = socket.ReadLogInfo();
    if (!answered || socket.LogCount == 0) {
        read.outcome = Outcome::CommandFailed;
        read.empty = answered;
        operation.finish();
        return;
    }
    read.count = socket.LogCount;
    read.position = socket.LogPosition;
    Report(input.progress, ProgressStep::LogbookCounted, read.count);

    // The download goes to a name of its own, created owner-only (the transfer keeps the permissions of
    // the file it replaces); it becomes "kelvora.log" only once its records were read to the end. The
    // name is reserved and the file let go at once: on Windows the download could not replace a file
    // that a QTemporaryFile still holds open.
    QString downloadPath;
    if (prepareFolder(input.folder)) {
        QTemporaryFile reserved(QDir(input.folder).filePath(kCopyName + QStringLiteral(".XXXXXX")));
        reserved.setAutoRemove(false);
        if (reserved.open())
            downloadPath = reserved.fileName();
    }
    // Gone on every way out: renamed to the copy, or removed here.
    const auto removeDownload = qScopeGuard([&downloadPath] {
        if (!downloadPath.isEmpty())
            QFile::remove(downloadPath);
    });
    if (downloadPath.isEmpty()) {
        read.outcome = Outcome::LocalFileFailed;
        operation.finish();
        return;
    }

    read.outcome = operation.connect();
    if (read.outcome != Outcome::Ok) {
        operation.finish();
        return;
    }
    Report(input.progress, ProgressStep::DownloadBegins);
    const bool downloaded = operation.get(kCopyName, downloadPath);
    operation.quit();
    QByteArray bytes;
    if (!downloaded) {
        read.outcome = Outcome::TransferFailed;
    } else if (!readWhole(downloadPath, bytes)) {
        read.outcome = Outcome::LocalFileFailed;
    } else {
        const logbook::LogRing ring{read.count, read.position, KeepsLogbookInRingOrder(entry)};
        read.content = logbook::ReadLogbookCopy(bytes, ring);
        if (logbook::ReadToTheEnd(read.content.end)) {
            QFile::setPermissions(downloadPath, kOwnerOnly);
            const KeptLogbook replacement{true, ring, input.folder};
            if (replaceFile(downloadPath, replacement.copyPath())) {
                kept = replacement;
                read.replaced = true;
            } else {
                read.outcome = Outcome::LocalFileFailed;
            }
        }
    }
    operation.finish();
}

void exportLogbook(const KeptLogbook& kept, const QString& target, LogbookExportResult& result) {
    QByteArray bytes;
    if (!kept.valid || !readWhole(kept.copyPath(), bytes)) {
        result.outcome = Outcome::LocalFileFailed;
        return;
    }
    result.copyRead = true;
    result.exported = logbook::ExportLogbookCopy(bytes, kept.ring);
    if (!logbook::ExportComplete(result.exported.end))
        return;
    // An existing file is replaced only by a whole export.
    if (!net::WriteFileSafely(target, result.exported.text)) {
        result.outcome = Outcome::LocalFileFailed;
        return;
    }
    result.written = true;
}

void deleteIfUnchanged(const TDeviceEntry& entry, int count, int position, LogbookDeleteAfterRead& result) {
    CommandSession session(entry);
    if (!session.login()) {
        result.outcome = Outcome::LoginFailed;
        return;
    }
    TKLVSocket& socket = session.socket();
    if (!socket.ReadLogInfo())
        return;
    if (socket.LogCount != count || socket.LogPosition != position) {
        result.changed = true;
        return;
    }
    result.outcome = socket.DeleteLog() ? Outcome::Ok : Outcome::CommandFailed;
}

} // namespace

LogbookRead ReadLogbook(const TDeviceEntry& entry, FtpLink& ftp, KeptLogbook& kept,
                        const LogbookReadInput& input) {
    LogbookRead read;
    readLogbook(entry, ftp, kept, input, read);
    read.notice = LogbookReadNotice(read, input.folder);
    return read;
}

LogbookExportResult ExportLogbook(const KeptLogbook& kept, const QString& target) {
    LogbookExportResult result;
    exportLogbook(kept, target, result);
    result.notice = LogbookExportNotice(result, kept.copyPath(), target);
    return result;
}

Result DeleteLogbook(const TDeviceEntry& entry) {
    Result result;
    CommandSession session(entry);
    if (!session.login())
        result.outcome = Outcome::LoginFailed;
    else if (!session.socket().DeleteLog())
        result.outcome = Outcome::CommandFailed;
    result.notice = LogbookDeleteNotice(result.outcome);
    return result;
}

LogbookDeleteAfterRead DeleteLogbookIfUnchanged(const TDeviceEntry& entry, int count, int position) {
    LogbookDeleteAfterRead result;
    deleteIfUnchanged(entry, count, position, result);
    result.notice = LogbookDeleteAfterReadNotice(result.outcome, result.changed);
    return result;
}

} // namespace ops
