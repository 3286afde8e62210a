#pragma once

// Loading, saving and activating a controller's module and transponder tables, each a whole operation
// with a session of its own: logged in with the stored credentials, kept alive while FTP moves the two
// files through local working copies, granted file access where the firmware asks for it, and closed
// after the pause the controller wants. The result carries the outcome and what the user is told.

#include "data/Progress.h"
#include "device/ProgramFolder.h"
#include "ops/ConfigTables.h"
#include "ops/Outcome.h"

#include <QString>

#include <functional>

struct TDeviceEntry;

namespace ops {

class FtpLink;

struct LoadInput {
    TableCopies copies;
    // Called once the controller has granted file access, just before the entry's tables are freed:
    // whatever points at their records (tree nodes, editors) lets go of them here.
    std::function<void(TDeviceEntry&)> clearing;
    Progress progress;
};

struct ConfigurationLoad : Result {
    TablesRead read; // with Ok: the records and the bytes past the last whole record of each file
    // With Ok, when a file ended in a partial record: what was left out, for a status line.
    QString remark;

    // FileAccessRefused stops before anything changed; every other outcome emptied the tables first.
    bool tablesCleared() const { return outcome != Outcome::FileAccessRefused; }
};

// Ok; FileAccessRefused (the tables stay as they were); FtpConnectFailed or TransferFailed (the tables are
// empty; a working copy downloaded before the failure stays). The tables are cleared once, after the
// file access, and filled in file order; the working copies go once read.
ConfigurationLoad LoadConfiguration(TDeviceEntry& entry, FtpLink& ftp, const LoadInput& input = {});

struct SaveInput {
    TableCopies copies;
    // Asked once both files are on the controller, with the session still open: true activates them at
    // once over it. Unset: the tables are not activated.
    std::function<bool()> activate;
    Progress progress;
};

struct ConfigurationSave : Result {
    bool activated = false;
};

// Ok (the entry no longer counts as changed); FileAccessRefused (nothing sent); LocalFileFailed (the
// working copies can't be written), FtpConnectFailed or TransferFailed (the working copies stay; no
// activation is offered).
ConfigurationSave SaveConfiguration(TDeviceEntry& entry, FtpLink& ftp, const SaveInput& input = {});

// Switches the controller to the tables uploaded last, in a session of its own: Ok or LoginFailed. The
// controller's answers to the two phases are not evaluated.
Result ActivateConfiguration(const TDeviceEntry& entry, const Progress& progress = {});

} // namespace ops
