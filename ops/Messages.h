#pragma once

// Message texts of the login and device-name flow. Each \r is a single carriage return, as the
// controller's users know these texts.

#include <QString>

namespace ops {

// Every operation shows this when its command session cannot log in.
inline const QString kConnectionFailedText = QStringLiteral(
    "Die Verbindung zu Kelvora compact kann nicht aufgebaut werden. Mögliche Fehlerursachen :\r\r"
    "- Benutzername oder Kennwort falsch\r"
    "- Kelvora compact nicht eingeschalten\r"
    "- Netzwerkleitung nicht angeschlossen\r"
    "- Ein zweites Programm hat bereits eine Verbindung aufgebaut.\r"
    "   Kelvora compact unterstützt maximal eine TCP/IP-Verbindung.");

inline const QString kNameSavedText = QStringLiteral(
    "Der Name wurde erfolgreich gespeichert. Bitte beachten Sie das die Änderung erst nach einem "
    "Neustart von Kelvora compact wirksam wird.");

// A refused or unanswered name request means firmware without naming.
inline const QString kNameNotSupportedText =
    QStringLiteral("Diese Funktion wird von der aktuellen Firmware Ihres Kelvora compact nicht unterstützt. "
                   "Bitte installieren Sie das neueste Update von unserer Internetseite.");

// Asked after a save, with the session still open.
inline const QString kActivateQuestion = QStringLiteral(
    "Die Konfiguration wurde erfolgreich gespeichert. Soll die Konfiguration gleich aktiviert werden ?");

// File access refused before the configuration or the logbook leaves the controller (load, logbook,
// backup) or before the configuration reaches it (save, restore).
inline const QString kLoadAccessRefusedText =
    QStringLiteral("Die Konfiguration kann nicht geladen werden. Bitte versuchen Sie den Vorgang erneut.");
inline const QString kSaveAccessRefusedText = QStringLiteral(
    "Die Konfiguration kann nicht gespeichert werden. Bitte versuchen Sie den Vorgang erneut.");

} // namespace ops
