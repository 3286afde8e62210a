#include "ops/Update.h"

#include "device/Cp1252.h"
#include "ops/CommandSession.h"
#include "ops/FileOperation.h"
#include "ops/Notices.h"

#include <QFileInfo>

namespace ops {

bool UpdateFileNameSendable(const QString& fileName) {
    // The FTP client puts Latin-1 on the wire; the controller reads Windows-1252. The two agree on
    // every byte but 0x80..0x9F, so a name is sendable where both give the same bytes.
    return !fileName.isEmpty() && IsAnsiRepresentable(fileName) && ToAnsi(fileName) == fileName.toLatin1();
}

namespace {

Outcome upload(const TDeviceEntry& entry, FtpLink& ftp, const QString& localFile, const Progress& progress) {
    const QString hostFile = QFileInfo(localFile).fileName();
    if (!UpdateFileNameSendable(hostFile))
        return Outcome::LocalFileFailed;
    FileOperation operation(entry, ftp, FileOperation::Account::Update, progress);
    if (const Outcome opened = operation.openAndConnect(); opened != Outcome::Ok)
        return opened;
    // The answer to "b:" is not evaluated: what counts is the folder below it. Without that change the
    // image would land in the login directory, perhaps over one of the tables.
    operation.cwd(QStringLiteral("b:"));
    const bool uploaded = operation.cwd(QStringLiteral("/firmware/")) && operation.put(localFile, hostFile);
    operation.quit();
    return uploaded ? Outcome::Ok : Outcome::TransferFailed;
}

} // namespace

Result UploadUpdate(const TDeviceEntry& entry, FtpLink& ftp, const QString& localFile,
                    const Progress& progress) {
    return Worded(upload(entry, ftp, localFile, progress), UpdateNotice);
}

Result RestartController(const TDeviceEntry& entry) {
    Result result;
    CommandSession session(entry);
    if (session.login()) {
        session.socket().RestartDevice();
        session.socket().Disconnect();
    } else {
        result.outcome = Outcome::LoginFailed;
    }
    result.notice = RestartNotice(result.outcome);
    return result;
}

} // namespace ops
