#pragma once

// Backup and restore of a controller's whole configuration: its two table files, moved unchanged
// between the controller's FTP login directory and a folder the user chose. The operations open and
// close their own file-operation frame; their results carry what the user is told.

#include "data/Progress.h"
#include "ops/ConfigTables.h"
#include "ops/Outcome.h"

#include <QString>

struct TDeviceEntry;

namespace ops {

class FtpLink;

inline const QString kBackupPrompt =
    QStringLiteral("Bitte wählen Sie den Ordner aus, in dem die Konfiguration gespeichert werden soll :");
inline const QString kRestorePrompt = QStringLiteral(
    "Bitte wählen Sie den Ordner aus, in dem Sie die Konfigurationsdateien gespeichert haben :");
inline const QString kBackupDoneText = QStringLiteral("Die Datensicherung wurde erfolgreich durchgeführt.");
inline const QString kBackupFailedText =
    QStringLiteral("Die Datensicherung konnte nicht durchgeführt werden. Bitte versuchen Sie es erneut.");
inline const QString kRestoreDoneText = QStringLiteral(
    "Die Rücksicherung wurde erfolgreich durchgeführt. Bitte starten Sie Kelvora compact sofort neu.");
inline const QString kRestoreFailedText =
    QStringLiteral("Die Rücksicherung konnte nicht durchgeführt werden. Bitte versuchen Sie es erneut.");
inline const QString kBackupFilesMissingText = QStringLiteral(
    "Es befinden sich keine bzw. unvollständige Kelvora compact Konfigurationsdateien in diesem "
    "Verzeichnis. Bitte wählen Sie ein anderes Verzeichnis aus.");

// The file's path in the folder with exactly one separator between them, whether the folder is a
// drive root, ends with a separator or not.
QString FolderFile(const QString& folder, const QString& fileName);

// Downloads "module.dat" and "trans.dat" into the folder. Both arrive under temporary names beside
// their targets and replace the earlier pair only once both are complete: a failed or stalled
// transfer leaves the folder as it was. Ok, FileAccessRefused, FtpConnectFailed, TransferFailed, or
// LocalFileFailed when the completed pair could not be put in place. A pair that arrived whole but holds
// a table that is no whole number of records stays as received, and the notice is a warning naming the
// file (a failure for a script): a restore from that folder would refuse it.
Result BackupConfiguration(const TDeviceEntry& entry, FtpLink& ftp, const QString& folder,
                           const Progress& progress = {});

// What a folder offers for a restore, checked before any connection is made.
struct BackupFolderCheck {
    enum State {
        Complete,
        FilesMissing, // "trans.dat" or "module.dat" is not there (tested in this order)
        WrongSize,    // a file is not a whole number of its records: swapped, cut off or foreign
    };
    State state = FilesMissing;
    QString fileName; // the file that failed the check
    qint64 size = 0;
    int recordSize = 0;
};
BackupFolderCheck CheckBackupFolder(const QString& folder);

// The message for a folder whose check did not come out Complete.
QString BackupFolderRefusal(const BackupFolderCheck& check);
// "The file ... is no whole number of records": the part both a refusal and a warning say.
QString DamagedTableText(const QString& fileName, qint64 size, int recordSize);

// The check as both front ends make it before anything is sent: Ok, or LocalFileFailed with the refusal
// as a warning.
Result CheckRestoreFolder(const QString& folder);

// Uploads "module.dat" then "trans.dat" from a folder that passed the check (LocalFileFailed without a
// connection otherwise). Ok, FileAccessRefused, FtpConnectFailed or TransferFailed. The controller
// takes the files over at its next restart.
Result RestoreConfiguration(const TDeviceEntry& entry, FtpLink& ftp, const QString& folder,
                            const Progress& progress = {});

// Reads a backup folder's two tables into the entry's (appended in file order), without a controller:
// Ok, or LocalFileFailed when the folder fails the check (a warning) or a file can't be read.
Result ReadBackupTables(const QString& folder, TDeviceEntry& entry);

// Writes the entry's two tables into the folder as "module.dat" and "trans.dat", record by record in
// list order, through the same replace as a backup: both are written beside their targets first and
// replace the earlier pair together, or the folder stays as it was. Ok, or LocalFileFailed with an
// error naming the folder.
Result WriteBackupTables(const QString& folder, const TDeviceEntry& entry);

} // namespace ops
