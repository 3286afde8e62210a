#pragma once

// The configurations the tables of a controller are compared with, and the import of a transponder list
// into a controller or a backup folder, on the operations of Configuration.h and Backup.h: the same load,
// save and activation as the window's buttons.

#include "data/Progress.h"
#include "data/TableDiff.h"
#include "data/TransponderList.h"
#include "ops/ConfigTables.h"
#include "ops/Configuration.h"
#include "ops/ListImport.h"
#include "ops/Outcome.h"

#include <QString>

struct TDeviceEntry;

namespace ops {

class FtpLink;

// The controller's identity, address, credentials and information block, without its tables.
void CopyIdentity(const TDeviceEntry& from, TDeviceEntry& to);
// Both tables record by record.
void CopyTables(const TDeviceEntry& from, TDeviceEntry& to);

// What the controller holds now, read fresh into `into` (given the controller's identity first); the
// entry itself and its tables stay as they are. The load's outcome and notice.
ConfigurationLoad ReadCurrentTables(const TDeviceEntry& entry, FtpLink& ftp, TDeviceEntry& into,
                                    const TableCopies& copies = {});

// The configuration a list describes for the controller whose tables `base` holds: its modules, and
// the transponders as an import with removal leaves them. False with the refusal when the list can't
// be read into them.
bool TablesOfList(const TDeviceEntry& base, const translist::ParsedList& list, TDeviceEntry& into,
                  QString* refusal);

struct ListImportInput {
    ImportOptions options;
    bool activate = false;
    bool dryRun = false; // the plan only: nothing is written or sent
    TableCopies copies;
    Progress progress;
};

struct ListImportResult : Result {
    ImportPlan plan;
    bool refused = false;  // the list was refused: nothing changed
    bool saved = false;    // the new tables are on the controller or in the folder
    bool restored = false; // a failed save was followed by the old tables, which are back
};

// Loads the controller's tables, plans the import and (unless a dry run or refused) saves them, and on
// request activates them. A failed save sends the tables as they were loaded once more, so that the
// controller keeps them. The result's notice says what happened.
ListImportResult ImportListToController(TDeviceEntry& entry, FtpLink& ftp, const translist::ParsedList& list,
                                        const ListImportInput& input);
// The same for a backup folder: its "trans.dat" is replaced only by a whole table.
ListImportResult ImportListToFolder(const QString& folder, const translist::ParsedList& list,
                                    const ListImportInput& input);

} // namespace ops
