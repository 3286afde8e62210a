#include "ops/Update.h"

#include "device/Cp1252.h"
#include "ops/CommandSession.h"
#include "ops/FileOperation.h"
#include "ops/Notices.h"

#include <QFileInfo>

namespace ops {

QString WithDefaultExtension(const QString& path) {
    const QFileInfo info(path);
    if (path.isEmpty() || info.exists() || !info.suffix().isEmpty())
        return path;
    return path + QLatin1Char('.') + kUpdateDefaultExtension;
}

bool UpdateFileNameSendable(const QString& fileName) {
    return !fileName.isEmpty() && IsAnsiRepresentable(fileName);
}

QString UpdateFileNameRefusal(const QString& fileName) {
    return QStringLiteral("Der Dateiname \"%1\" enthält Zeichen, die Kelvora compact nicht speichern kann. "
                          "Bitte benennen Sie die Datei um (Buchstaben, Ziffern, Umlaute) und versuchen Sie "
                          "es erneut.")
        .arg(fileName);
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
    Result result = Worded(upload(entry, ftp, localFile, progress), UpdateNotice);
    if (result.outcome == Outcome::LocalFileFailed) {
        result.notice.text = UpdateFileNameRefusal(QFileInfo(localFile).fileName());
        result.notice.kind = Notice::Warning;
    }
    return result;
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
