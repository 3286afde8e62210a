#pragma once

// The steps of the configuration operations (Configuration.h): the download of both tables into local
// working copies and their reading into the entry, their writing from the entry and their upload, the
// activation. The front ends call the whole operations; the steps are theirs and the benchmarks'.

#include "data/Progress.h"
#include "data/TableFiles.h"
#include "device/ProgramFolder.h"
#include "ops/Outcome.h"

#include <QString>

class TKLVSocket;
struct TDeviceEntry;

namespace ops {

class FileOperation;

// The controller's two table files, named relative to its FTP login directory.
inline const QString kModuleFileName = QStringLiteral("module.dat");
inline const QString kTransponderFileName = QStringLiteral("trans.dat");

// Where one operation keeps its working copies "module_cfg.dat" and "trans_cfg.dat": the program folder
// unless it is told otherwise. Two operations that run at the same time need two folders.
struct TableCopies {
    QString folder = AppDir();

    QString modules() const;
    QString transponders() const;
};

// The working copies in the program folder.
QString ModuleCopyPath();
QString TransponderCopyPath();

// Frees every record of both tables, the last first; the edits go with them, and the entry has no tables
// read any more.
void ClearTables(TDeviceEntry& entry);

// Connect, then "module.dat" and "trans.dat" into the working copies, and Quit whatever happened:
// Ok, FtpConnectFailed or TransferFailed.
Outcome DownloadTables(FileOperation& operation, const TableCopies& copies = {});

struct TablesRead {
    TableFileInfo modules;
    TableFileInfo transponders;
};

// Reads both working copies into the entry's tables (appended in file order) and deletes them; the entry
// counts as having its tables read when both copies could be read.
TablesRead ReadTables(TDeviceEntry& entry, const TableCopies& copies = {});

// Writes both working copies from the entry's tables in list order, uploads them as "module.dat" and
// "trans.dat" and Quits whatever happened; the copies are deleted only after success. Ok,
// LocalFileFailed, FtpConnectFailed or TransferFailed.
Outcome UploadTables(FileOperation& operation, const TDeviceEntry& entry, const TableCopies& copies = {});

// Switches the controller to the uploaded tables over the session: phase 0 prepares, phase 1 activates.
// The controller's answers are not evaluated.
void ActivateTables(TKLVSocket& socket, const Progress& progress = {});

} // namespace ops
