#include "ops/Update.h"

#include "device/Cp1252.h"
#include "ops/CommandSession.h"
#include "ops/FileOperation.h"

#include <QFileInfo>

namespace ops {

QString WithDefaultExtension(const QString& path) {
    const QFileInfo info(path);
    if (path.isEmpty() || info.exists() || !info.suffix().isEmpty())
        return path;
    return path + QLatin1Char('.') + kUpdateDefaultExtension;
}

bool UpdateFileNameSendable(const QString& fileName) {
    // The FTP client puts Latin-1 on the wire; the controller reads Windows-1252. The two agree on
    // every byte but 0x80..0x9F, so a name is sendable where both give the same bytes.
    return !fileName.isEmpty() && IsAnsiRepresentable(fileName) && ToAnsi(fileName) == fileName.toLatin1();
}

Outcome UploadUpdate(const TDeviceEntry& entry, FtpLink& ftp, const QString& localFile) {
    const QString hostFile = QFileInfo(localFile).fileName();
    if (!UpdateFileNameSendable(hostFile))
        return Outcome::LocalFileFailed;
    FileOperation operation(entry, ftp, FileOperation::Account::Update);
    if (operation.open() == Outcome::FileAccessRefused)
        return Outcome::FileAccessRefused;
    if (operation.connect() != Outcome::Ok)
        return Outcome::FtpConnectFailed;
    // The answer to "b:" is not evaluated: what counts is the folder below it. Without that change the
    // image would land in the login directory, perhaps over one of the tables.
    operation.cwd(QStringLiteral("b:"));
    const bool uploaded = operation.cwd(QStringLiteral("/firmware/")) && operation.put(localFile, hostFile);
    operation.quit();
    return uploaded ? Outcome::Ok : Outcome::TransferFailed;
}

Outcome RestartController(const TDeviceEntry& entry) {
    CommandSession session(entry);
    if (!session.login())
        return Outcome::LoginFailed;
    session.socket().RestartDevice();
    session.socket().Disconnect();
    return Outcome::Ok;
}

} // namespace ops
