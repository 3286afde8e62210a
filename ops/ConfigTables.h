#pragma once

// Moving a controller's module and transponder tables: download into local working copies and read
// them into the entry, write them from the entry and upload them, activate them. Each step reports an
// outcome; the window decides what the user sees.

#include "data/TableFiles.h"
#include "ops/Outcome.h"

#include <QString>

struct TDeviceEntry;

namespace ops {

class FileOperation;

// The local working copies in the program folder.
QString ModuleCopyPath();
QString TransponderCopyPath();

// Frees every record of both tables, the last first.
void ClearTables(TDeviceEntry& entry);

// Connect, then "module.dat" and "trans.dat" into the working copies, and Quit whatever happened:
// Ok, FtpConnectFailed or TransferFailed.
Outcome DownloadTables(FileOperation& operation);

struct TablesRead {
    TableFileInfo modules;
    TableFileInfo transponders;
};

// Reads both working copies into the entry's tables (appended in file order) and deletes them.
TablesRead ReadTables(TDeviceEntry& entry);

// Writes both working copies from the entry's tables in list order, uploads them as "module.dat" and
// "trans.dat" and Quits whatever happened; the copies are deleted only after success. Ok,
// LocalFileFailed, FtpConnectFailed or TransferFailed.
Outcome UploadTables(FileOperation& operation, const TDeviceEntry& entry);

// Switches the controller to the uploaded tables: phase 0 prepares, phase 1 activates. The controller's
// answers are not evaluated.
void ActivateTables(FileOperation& operation);

} // namespace ops
