#include "ops/Notices.h"

#include "ops/Backup.h"
#include "ops/Logbook.h"
#include "ops/Messages.h"
#include "ops/Update.h"

#include <QDir>

namespace ops {
namespace {

const QString kRetryText =
    QStringLiteral("Es ist ein Fehler aufgetreten. Bitte versuchen Sie den Vorgang erneut.");
const QString kLoadFailedText =
    QStringLiteral("Die Konfiguration Ihres Kelvora compact konnte nicht geladen werden.");
const QString kSaveFailedText =
    QStringLiteral("Die Konfiguration Ihres Kelvora compact konnte nicht gespeichert werden.");

const QString kNoEntriesText = QStringLiteral("Es sind keine Einträge im Logbuch vorhanden.");
const QString kSeekErrorText = QStringLiteral("Error seeking in logfile.");
const QString kExportDoneText = QStringLiteral("Der Export wurde erfolgreich durchgeführt.");
const QString kDeletedText = QStringLiteral("Das Logbuch wurde erfolgreich gelöscht.");
const QString kDeleteFailedText =
    QStringLiteral("Das Logbuch konnte nicht gelöscht werden. Bitte versuchen Sie den Vorgang erneut.");

QString copyNotSavedText() {
    return QStringLiteral("Die Kopie des Logbuchs kann im Ordner \"%1\" nicht gespeichert werden.")
        .arg(QDir::toNativeSeparators(LogbookFolder()));
}

QString copyNotReadText() {
    return QStringLiteral("Die Kopie des Logbuchs in \"%1\" kann nicht gelesen werden. Bitte lesen Sie das "
                          "Logbuch erneut ein.")
        .arg(QDir::toNativeSeparators(LogbookCopyPath()));
}

Notice info(const QString& text) {
    return {text, Notice::Information};
}

Notice error(const QString& text) {
    return {text, Notice::Error};
}

} // namespace

Notice BackupNotice(Outcome outcome) {
    switch (outcome) {
    case Outcome::Ok:
        return info(kBackupDoneText);
    case Outcome::FileAccessRefused:
        return info(kLoadAccessRefusedText);
    case Outcome::FtpConnectFailed:
        return {}; // the controller's FTP server did not take the connection: nothing to report
    case Outcome::TransferFailed:
    case Outcome::LocalFileFailed:
    case Outcome::LoginFailed:
    case Outcome::CommandFailed:
        break;
    }
    return error(kBackupFailedText);
}

Notice RestoreNotice(Outcome outcome) {
    switch (outcome) {
    case Outcome::Ok:
        return info(kRestoreDoneText);
    case Outcome::FileAccessRefused:
        return info(kSaveAccessRefusedText);
    case Outcome::FtpConnectFailed:
        return {}; // as with the backup: no message
    case Outcome::TransferFailed:
    case Outcome::LocalFileFailed:
    case Outcome::LoginFailed:
    case Outcome::CommandFailed:
        break;
    }
    return error(kRestoreFailedText);
}

Notice UpdateNotice(Outcome outcome) {
    switch (outcome) {
    case Outcome::Ok:
        return info(kUpdateDoneText);
    case Outcome::FileAccessRefused:
        return info(kUpdateAccessRefusedText);
    case Outcome::FtpConnectFailed:
        return error(kUpdateFtpFailedText);
    case Outcome::TransferFailed:
    case Outcome::LocalFileFailed:
    case Outcome::LoginFailed:
    case Outcome::CommandFailed:
        break;
    }
    return info(kUpdateFailedText);
}

Notice RestartNotice(Outcome outcome) {
    return outcome == Outcome::Ok ? info(kRestartingText) : error(kConnectionFailedText);
}

Notice ModuleStatusNotice(Outcome outcome) {
    return outcome == Outcome::LoginFailed ? error(kConnectionFailedText) : Notice{};
}

Notice TablesLoadNotice(Outcome outcome) {
    switch (outcome) {
    case Outcome::Ok:
        return {};
    case Outcome::FtpConnectFailed:
        return {kRetryText, Notice::Warning};
    case Outcome::TransferFailed:
    case Outcome::LoginFailed:
    case Outcome::FileAccessRefused:
    case Outcome::LocalFileFailed:
    case Outcome::CommandFailed:
        break;
    }
    return error(kLoadFailedText);
}

Notice TablesSaveNotice(Outcome outcome) {
    switch (outcome) {
    case Outcome::Ok:
        return {};
    case Outcome::FtpConnectFailed:
        return {kRetryText, Notice::Warning};
    case Outcome::TransferFailed:
    case Outcome::LocalFileFailed:
    case Outcome::LoginFailed:
    case Outcome::FileAccessRefused:
    case Outcome::CommandFailed:
        break;
    }
    return error(kSaveFailedText);
}

Notice LogbookReadNotice(const LogbookRead& read) {
    switch (read.outcome) {
    case Outcome::LoginFailed:
        return error(kConnectionFailedText);
    case Outcome::FileAccessRefused:
        return info(kLoadAccessRefusedText);
    case Outcome::CommandFailed:
        return info(kNoEntriesText);
    case Outcome::FtpConnectFailed:
    case Outcome::TransferFailed:
        return {};
    case Outcome::LocalFileFailed:
        return error(copyNotSavedText());
    case Outcome::Ok:
        break;
    }
    switch (read.content.end) {
    case logbook::LogEnd::SeekError:
        return error(kSeekErrorText);
    case logbook::LogEnd::TableViolation:
        return error(logbook::TableViolationText(read.content.violation) +
                     QStringLiteral(" Die Einträge davor werden angezeigt."));
    case logbook::LogEnd::Complete:
    case logbook::LogEnd::ShortRead:
    case logbook::LogEnd::Stopped:
        break;
    }
    return {};
}

Notice LogbookExportNotice(const LogbookExportResult& result, const QString& target) {
    switch (result.outcome) {
    case Outcome::Ok:
        break;
    case Outcome::LocalFileFailed:
        return error(result.copyRead ? TargetNotWrittenText(target) : copyNotReadText());
    case Outcome::LoginFailed:
    case Outcome::FileAccessRefused:
    case Outcome::FtpConnectFailed:
    case Outcome::TransferFailed:
    case Outcome::CommandFailed:
        return {}; // the export does not talk to the controller
    }
    switch (result.exported.end) {
    case logbook::LogEnd::SeekError:
        return error(kSeekErrorText);
    case logbook::LogEnd::TableViolation:
        return error(logbook::TableViolationText(result.exported.violation) +
                     QStringLiteral(" Der Export wurde nicht durchgeführt."));
    case logbook::LogEnd::Complete:
    case logbook::LogEnd::ShortRead:
    case logbook::LogEnd::Stopped:
        break;
    }
    return info(kExportDoneText);
}

Notice LogbookDeleteNotice(Outcome outcome) {
    switch (outcome) {
    case Outcome::Ok:
        return info(kDeletedText);
    case Outcome::LoginFailed:
        return error(kConnectionFailedText);
    case Outcome::CommandFailed:
    case Outcome::FileAccessRefused:
    case Outcome::FtpConnectFailed:
    case Outcome::TransferFailed:
    case Outcome::LocalFileFailed:
        break;
    }
    return error(kDeleteFailedText);
}

QString LogbookCountText(int count) {
    return QStringLiteral("%1 Einträge im Logbuch").arg(count);
}

QString TargetNotWrittenText(const QString& target) {
    return QStringLiteral("Die Datei \"%1\" kann nicht geschrieben werden.")
        .arg(QDir::toNativeSeparators(target));
}

} // namespace ops
