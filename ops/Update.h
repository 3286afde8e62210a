#pragma once

// Placing an update image on a controller and restarting it. The controller installs what it finds in
// its "/firmware/" folder when it starts; the tool only uploads and triggers the restart.

#include "data/Progress.h"
#include "ops/Outcome.h"

#include <QString>

struct TDeviceEntry;

namespace ops {

class FtpLink;

// The open dialog of both "Starten" buttons.
inline const QString kUpdateFileFilter = QStringLiteral("Kelvora compact BIOS *.HEX (*.HEX)");
inline const QString kUpdateDefaultExtension = QStringLiteral("KLV");

inline const QString kUpdateAccessRefusedText = QStringLiteral(
    "Das Software-Update kann nicht durchgeführt werden. Bitte versuchen Sie den Vorgang erneut.");
inline const QString kUpdateFtpFailedText = QStringLiteral("Die FTP-Verbindung kann nicht aufgebaut werden.");
inline const QString kUpdateDoneText =
    QStringLiteral("Das Update wurde erfolgreich durchgeführt. Bitte starten Sie Kelvora compact neu.");
inline const QString kUpdateFailedText =
    QStringLiteral("Es ist ein Fehler aufgetreten. Bitte versuchen Sie das Update erneut.");
inline const QString kOnlineUpdateText =
    QStringLiteral("Diese Funktion ist leider noch nicht implementiert.");
inline const QString kRestartingText = QStringLiteral(
    "Das Kelvora compact startet gerade neu. Bitte klicken Sie in ein paar Sekunden auf \"Aktualisieren\".");

// A name typed without an extension gets the dialog's default one, as the workstation's open dialog
// does; a name with an extension, or a file that exists as typed, stays as it is.
QString WithDefaultExtension(const QString& path);

// True when the controller gets the file name's own bytes: every character has a Windows-1252 byte
// (anything else would arrive as '?', a different file or none at all).
bool UpdateFileNameSendable(const QString& fileName);
// Why such a file is not sent.
QString UpdateFileNameRefusal(const QString& fileName);

// Uploads the file under its own name into "/firmware/" (reached from the drive "b:") with the update
// account; the configured account is back afterwards on every path. Ok; FileAccessRefused;
// FtpConnectFailed; TransferFailed when the folder change or the upload failed; LocalFileFailed,
// before any connection, when the file's name cannot be sent as it is (with UpdateFileNameRefusal).
Result UploadUpdate(const TDeviceEntry& entry, FtpLink& ftp, const QString& localFile,
                    const Progress& progress = {});

// Logs in and sends the restart command, which the controller does not answer, and disconnects at
// once: Ok or LoginFailed.
Result RestartController(const TDeviceEntry& entry);

} // namespace ops
