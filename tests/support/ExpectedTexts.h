#pragma once

// The German texts the tests expect the tool to show, written out here once, as the administrator reads
// them (each \r a single carriage return). The tests compare against these copies, not against the
// product's own constants, so that a changed text in the product fails a test.

#include <QString>

namespace expected {

inline const QString kConnectionFailed = QStringLiteral(
    "Die Verbindung zu Kelvora compact kann nicht aufgebaut werden. Mögliche Fehlerursachen :\r\r"
    "- Benutzername oder Kennwort falsch\r- Kelvora compact nicht eingeschalten\r"
    "- Netzwerkleitung nicht angeschlossen\r- Ein zweites Programm hat bereits eine Verbindung aufgebaut.\r"
    "   Kelvora compact unterstützt maximal eine TCP/IP-Verbindung.");
inline const QString kRetry =
    QStringLiteral("Es ist ein Fehler aufgetreten. Bitte versuchen Sie den Vorgang erneut.");

// The configuration page.
inline const QString kLoadAccess =
    QStringLiteral("Die Konfiguration kann nicht geladen werden. Bitte versuchen Sie den Vorgang erneut.");
inline const QString kSaveAccess = QStringLiteral(
    "Die Konfiguration kann nicht gespeichert werden. Bitte versuchen Sie den Vorgang erneut.");
inline const QString kLoadFailed =
    QStringLiteral("Die Konfiguration Ihres Kelvora compact konnte nicht geladen werden.");
inline const QString kSaveFailed =
    QStringLiteral("Die Konfiguration Ihres Kelvora compact konnte nicht gespeichert werden.");
inline const QString kActivate = QStringLiteral(
    "Die Konfiguration wurde erfolgreich gespeichert. Soll die Konfiguration gleich aktiviert werden ?");
inline const QString kDone = QStringLiteral("Der Vorgang wurde erfolgreich durchgeführt.");
inline const QString kNotLoaded = QStringLiteral("Keine Konfiguration geladen");

// The logbook.
inline const QString kNoEntries = QStringLiteral("Es sind keine Einträge im Logbuch vorhanden.");

// Backup and restore.
inline const QString kBackupPrompt =
    QStringLiteral("Bitte wählen Sie den Ordner aus, in dem die Konfiguration gespeichert werden soll :");
inline const QString kRestorePrompt = QStringLiteral(
    "Bitte wählen Sie den Ordner aus, in dem Sie die Konfigurationsdateien gespeichert haben :");
inline const QString kBackupDone = QStringLiteral("Die Datensicherung wurde erfolgreich durchgeführt.");
inline const QString kBackupFailed =
    QStringLiteral("Die Datensicherung konnte nicht durchgeführt werden. Bitte versuchen Sie es erneut.");
inline const QString kRestoreDone = QStringLiteral(
    "Die Rücksicherung wurde erfolgreich durchgeführt. Bitte starten Sie Kelvora compact sofort neu.");
inline const QString kRestoreFailed =
    QStringLiteral("Die Rücksicherung konnte nicht durchgeführt werden. Bitte versuchen Sie es erneut.");
inline const QString kFilesMissing = QStringLiteral(
    "Es befinden sich keine bzw. unvollständige Kelvora compact Konfigurationsdateien in diesem Verzeichnis. "
    "Bitte wählen Sie ein anderes Verzeichnis aus.");

// The update.
inline const QString kUpdateAccess = QStringLiteral(
    "Das Software-Update kann nicht durchgeführt werden. Bitte versuchen Sie den Vorgang erneut.");
inline const QString kUpdateFtp = QStringLiteral("Die FTP-Verbindung kann nicht aufgebaut werden.");
inline const QString kUpdateDone =
    QStringLiteral("Das Update wurde erfolgreich durchgeführt. Bitte starten Sie Kelvora compact neu.");
inline const QString kUpdateFailed =
    QStringLiteral("Es ist ein Fehler aufgetreten. Bitte versuchen Sie das Update erneut.");

} // namespace expected
