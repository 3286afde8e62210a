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
const QString kDoneText = QStringLiteral("Der Vorgang wurde erfolgreich durchgeführt.");
const QString kStatusNotReportedText =
    QStringLiteral("Kelvora compact hat den Status der Lesemodule nicht gemeldet.");

const QString kNoEntriesText = QStringLiteral("Es sind keine Einträge im Logbuch vorhanden.");
const QString kSeekErrorText = QStringLiteral("Error seeking in logfile.");
const QString kNotTransferredText = QStringLiteral(
    "Das Logbuch konnte nicht vom Gerät übertragen werden. Bitte versuchen Sie den Vorgang erneut.");
const QString kExportDoneText = QStringLiteral("Der Export wurde erfolgreich durchgeführt.");
const QString kDeletedText = QStringLiteral("Das Logbuch wurde erfolgreich gelöscht.");
const QString kDeleteFailedText =
    QStringLiteral("Das Logbuch konnte nicht gelöscht werden. Bitte versuchen Sie den Vorgang erneut.");
const QString kLoggedMeanwhileText =
    QStringLiteral("Das Logbuch wurde nicht gelöscht: Seit dem Lesen sind neue Einträge hinzugekommen. Der "
                   "nächste Export enthält sie.");

QString copyNotSavedText(const QString& folder) {
    return QStringLiteral("Die Kopie des Logbuchs kann im Ordner \"%1\" nicht gespeichert werden.")
        .arg(QDir::toNativeSeparators(folder));
}

QString copyNotReadText(const QString& copyPath) {
    return QStringLiteral("Die Kopie des Logbuchs in \"%1\" kann nicht gelesen werden. Bitte lesen Sie das "
                          "Logbuch erneut ein.")
        .arg(QDir::toNativeSeparators(copyPath));
}

Notice worded(const QString& text, Notice::Kind kind, const QString& script = QString()) {
    Notice made;
    made.text = text;
    made.kind = kind;
    made.script = script;
    return made;
}

Notice info(const QString& text) {
    return worded(text, Notice::Information);
}

Notice warning(const QString& text) {
    return worded(text, Notice::Warning);
}

Notice error(const QString& text) {
    return worded(text, Notice::Error);
}

// Nothing in the window; a script is told `script`.
Notice silent(const QString& script) {
    return worded(QString(), Notice::Information, script);
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

Notice wordingOf(Outcome outcome, const Wording& wording) {
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

Notice pick(Outcome outcome, const Wording& wording) {
    Notice notice = wordingOf(outcome, wording);
    notice.failed = outcome != Outcome::Ok;
    return notice;
}

// Where reading or exporting a copy of the logbook ended, when that is worth a message.
std::optional<Notice> endNotice(logbook::LogEnd end, const logbook::TableViolation& violation,
                                const QString& afterViolation) {
    switch (end) {
    case logbook::LogEnd::SeekError:
    case logbook::LogEnd::ShortRead:
        // A copy cut off within a record holds no more than one that ends before it: both fail alike.
        return error(kSeekErrorText);
    case logbook::LogEnd::TableViolation:
        return error(logbook::TableViolationText(violation) + afterViolation);
    case logbook::LogEnd::Complete:
    case logbook::LogEnd::Stopped:
        break;
    }
    return std::nullopt;
}

} // namespace

Notice LoginNotice(Outcome outcome) {
    return pick(outcome, {.ok = Notice{}, .failed = error(kConnectionFailedText)});
}

Notice DeviceNameNotice(Outcome outcome) {
    // A refused or unanswered name request means firmware without naming.
    return pick(outcome, {.ok = info(kNameSavedText),
                          .failed = info(kNameNotSupportedText),
                          .loginFailed = error(kConnectionFailedText)});
}

Notice BackupNotice(Outcome outcome) {
    // The window says nothing when the controller's FTP server does not take the connection.
    return pick(outcome, {.ok = info(kBackupDoneText),
                          .failed = error(kBackupFailedText),
                          .accessRefused = info(kLoadAccessRefusedText),
                          .ftpRefused = silent(kUpdateFtpFailedText)});
}

Notice RestoreNotice(Outcome outcome) {
    return pick(outcome, {.ok = info(kRestoreDoneText),
                          .failed = error(kRestoreFailedText),
                          .accessRefused = info(kSaveAccessRefusedText),
                          .ftpRefused = silent(kUpdateFtpFailedText)});
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
    return pick(outcome, {.ok = Notice{},
                          .failed = silent(kStatusNotReportedText),
                          .loginFailed = error(kConnectionFailedText)});
}

Notice ConfigurationLoadNotice(Outcome outcome) {
    return pick(outcome, {.ok = Notice{},
                          .failed = error(kLoadFailedText),
                          .accessRefused = info(kLoadAccessRefusedText),
                          .ftpRefused = warning(kRetryText)});
}

Notice ConfigurationSaveNotice(Outcome outcome) {
    return pick(outcome, {.ok = info(kDoneText),
                          .failed = error(kSaveFailedText),
                          .accessRefused = info(kSaveAccessRefusedText),
                          .ftpRefused = warning(kRetryText)});
}

Notice ActivationNotice(Outcome outcome) {
    return pick(outcome, {.ok = info(kDoneText), .failed = error(kConnectionFailedText)});
}

Notice LogbookReadNotice(const LogbookRead& read, const QString& folder) {
    Notice notice;
    if (read.outcome == Outcome::LocalFileFailed) {
        notice = error(copyNotSavedText(folder));
    } else if (read.outcome != Outcome::Ok) {
        notice = wordingOf(read.outcome, {.ok = Notice{},
                                          .failed = Notice{},
                                          .loginFailed = error(kConnectionFailedText),
                                          .accessRefused = info(kLoadAccessRefusedText),
                                          .commandFailed = info(kNoEntriesText)});
    } else {
        notice = endNotice(read.content.end, read.content.violation,
                           QStringLiteral(" Die Einträge davor werden angezeigt."))
                     .value_or(Notice{});
        if (read.content.end == logbook::LogEnd::TableViolation)
            notice.script = logbook::TableViolationText(read.content.violation) +
                            QStringLiteral(" Das Logbuch wurde nicht exportiert.");
    }
    // An empty logbook is nothing to export and no failure; any other read that did not replace the copy
    // leaves a script nothing to export.
    notice.failed = !read.replaced && !read.empty;
    if (notice.failed && notice.scriptText().isEmpty())
        notice.script = kNotTransferredText;
    return notice;
}

Notice LogbookExportNotice(const LogbookExportResult& result, const QString& copyPath,
                           const QString& target) {
    Notice notice;
    if (result.outcome == Outcome::LocalFileFailed)
        notice = error(result.copyRead ? TargetNotWrittenText(target) : copyNotReadText(copyPath));
    else if (result.outcome == Outcome::Ok)
        notice = endNotice(result.exported.end, result.exported.violation,
                           QStringLiteral(" Der Export wurde nicht durchgeführt."))
                     .value_or(info(kExportDoneText));
    // The export does not talk to the controller: no other outcome has words.
    notice.failed = !result.written;
    return notice;
}

Notice LogbookDeleteNotice(Outcome outcome) {
    return pick(outcome, {.ok = info(kDeletedText),
                          .failed = error(kDeleteFailedText),
                          .loginFailed = error(kConnectionFailedText)});
}

Notice LogbookDeleteAfterReadNotice(Outcome outcome, bool changed) {
    if (changed) {
        Notice notice = error(kLoggedMeanwhileText);
        notice.failed = true;
        return notice;
    }
    return LogbookDeleteNotice(outcome);
}

QString LogbookCountText(int count) {
    return QStringLiteral("%1 Einträge im Logbuch").arg(count);
}

QString TargetNotWrittenText(const QString& target) {
    return QStringLiteral("Die Datei \"%1\" kann nicht geschrieben werden.")
        .arg(QDir::toNativeSeparators(target));
}

} // namespace ops
