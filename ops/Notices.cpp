#include "ops/Notices.h"

#include "ops/Backup.h"
#include "ops/Logbook.h"
#include "ops/Messages.h"
#include "ops/Update.h"

#include <QDir>

#include <optional>

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

// What one operation says for each of its outcomes; an outcome without words of its own gets `failed`.
struct Wording {
    Notice ok = {};
    Notice failed = {};
    std::optional<Notice> loginFailed = std::nullopt;
    std::optional<Notice> accessRefused = std::nullopt;
    std::optional<Notice> ftpRefused = std::nullopt;
    std::optional<Notice> commandFailed = std::nullopt;
};

Notice pick(Outcome outcome, const Wording& wording) {
    switch (outcome) {
    case Outcome::Ok:
        return wording.ok;
    case Outcome::LoginFailed:
        return wording.loginFailed.value_or(wording.failed);
    case Outcome::FileAccessRefused:
        return wording.accessRefused.value_or(wording.failed);
    case Outcome::FtpConnectFailed:
        return wording.ftpRefused.value_or(wording.failed);
    case Outcome::CommandFailed:
        return wording.commandFailed.value_or(wording.failed);
    case Outcome::TransferFailed:
    case Outcome::LocalFileFailed:
        break;
    }
    return wording.failed;
}

// Where reading or exporting a copy of the logbook ended, when that is worth a message.
std::optional<Notice> endNotice(logbook::LogEnd end, const logbook::TableViolation& violation,
                                const QString& afterViolation) {
    switch (end) {
    case logbook::LogEnd::SeekError:
        return error(kSeekErrorText);
    case logbook::LogEnd::TableViolation:
        return error(logbook::TableViolationText(violation) + afterViolation);
    case logbook::LogEnd::Complete:
    case logbook::LogEnd::ShortRead:
    case logbook::LogEnd::Stopped:
        break;
    }
    return std::nullopt;
}

} // namespace

Notice BackupNotice(Outcome outcome) {
    // A connection the controller's FTP server did not take is not reported.
    return pick(outcome, {.ok = info(kBackupDoneText),
                          .failed = error(kBackupFailedText),
                          .accessRefused = info(kLoadAccessRefusedText),
                          .ftpRefused = Notice{}});
}

Notice RestoreNotice(Outcome outcome) {
    return pick(outcome, {.ok = info(kRestoreDoneText),
                          .failed = error(kRestoreFailedText),
                          .accessRefused = info(kSaveAccessRefusedText),
                          .ftpRefused = Notice{}});
}

Notice UpdateNotice(Outcome outcome) {
    return pick(outcome, {.ok = info(kUpdateDoneText),
                          .failed = info(kUpdateFailedText),
                          .accessRefused = info(kUpdateAccessRefusedText),
                          .ftpRefused = error(kUpdateFtpFailedText)});
}

Notice RestartNotice(Outcome outcome) {
    return pick(outcome, {.ok = info(kRestartingText), .failed = error(kConnectionFailedText)});
}

Notice ModuleStatusNotice(Outcome outcome) {
    return pick(outcome, {.ok = Notice{}, .failed = Notice{}, .loginFailed = error(kConnectionFailedText)});
}

Notice TablesLoadNotice(Outcome outcome) {
    return pick(outcome, {.ok = Notice{},
                          .failed = error(kLoadFailedText),
                          .ftpRefused = Notice{kRetryText, Notice::Warning}});
}

Notice TablesSaveNotice(Outcome outcome) {
    return pick(outcome, {.ok = Notice{},
                          .failed = error(kSaveFailedText),
                          .ftpRefused = Notice{kRetryText, Notice::Warning}});
}

Notice LogbookReadNotice(const LogbookRead& read) {
    // A failed FTP connection or download is not reported: the last good copy stays for the export.
    if (read.outcome == Outcome::LocalFileFailed)
        return error(copyNotSavedText());
    if (read.outcome != Outcome::Ok)
        return pick(read.outcome, {.ok = Notice{},
                                   .failed = Notice{},
                                   .loginFailed = error(kConnectionFailedText),
                                   .accessRefused = info(kLoadAccessRefusedText),
                                   .commandFailed = info(kNoEntriesText)});
    return endNotice(read.content.end, read.content.violation,
                     QStringLiteral(" Die Einträge davor werden angezeigt."))
        .value_or(Notice{});
}

Notice LogbookExportNotice(const LogbookExportResult& result, const QString& target) {
    if (result.outcome == Outcome::LocalFileFailed)
        return error(result.copyRead ? TargetNotWrittenText(target) : copyNotReadText());
    if (result.outcome != Outcome::Ok)
        return {}; // the export does not talk to the controller
    return endNotice(result.exported.end, result.exported.violation,
                     QStringLiteral(" Der Export wurde nicht durchgeführt."))
        .value_or(info(kExportDoneText));
}

Notice LogbookDeleteNotice(Outcome outcome) {
    return pick(outcome, {.ok = info(kDeletedText),
                          .failed = error(kDeleteFailedText),
                          .loginFailed = error(kConnectionFailedText)});
}

QString LogbookCountText(int count) {
    return QStringLiteral("%1 Einträge im Logbuch").arg(count);
}

QString TargetNotWrittenText(const QString& target) {
    return QStringLiteral("Die Datei \"%1\" kann nicht geschrieben werden.")
        .arg(QDir::toNativeSeparators(target));
}

} // namespace ops
