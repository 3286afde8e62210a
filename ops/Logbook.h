#pragma once

// Reading, exporting and deleting a controller's logbook. The read downloads "kelvora.log" into a
// local copy that the export works from later without contacting the controller. The logbook says who
// entered where and when, so the copy lives in the per-user data folder, readable by its owner only,
// and it is replaced, together with the count and position it was read with, only by a read that went
// through to the end: a failed read leaves the last good copy and what the export makes of it as they
// were.

#include "data/Logbook.h"
#include "data/Progress.h"
#include "ops/Outcome.h"

#include <QString>

struct TDeviceEntry;

namespace ops {

class FtpLink;

// The per-user data folder of the logbook copy (never a shared program folder), for the window and the
// command line alike; tests move it.
QString LogbookFolder();
void SetLogbookFolder(const QString& folder);
// LogbookFolder() + "kelvora.log".
QString LogbookCopyPath();

// The logbook as last read to the end: the local copy in `folder` holds it, read in this order.
struct KeptLogbook {
    bool valid = false;
    logbook::LogRing ring;
    QString folder = LogbookFolder();

    QString copyPath() const;
};

struct LogbookReadInput {
    // Where the copy is kept: a read for another controller at the same time needs another folder.
    QString folder = LogbookFolder();
    // With LogbookCounted once the controller reported a non-empty logbook, DownloadBegins once the FTP
    // connection stands, and the transfer.
    Progress progress;
};

// LoginFailed, FileAccessRefused, CommandFailed (no answer to the logbook request, or no entries),
// LocalFileFailed before the download (the copy's folder can't be written), FtpConnectFailed,
// TransferFailed; or, with the download done, Ok (see content.end) or LocalFileFailed (the records
// were read but the copy could not replace the kept one).
struct LogbookRead : Result {
    int count = 0;
    int position = 0;
    bool empty = false; // CommandFailed because the controller reported no entries (not: no answer)
    logbook::LogbookContent content;
    bool replaced = false; // the local copy and `kept` hold this read now
};

// The whole read on one controller: session, keep-alive, file access by firmware, the logbook
// request, the download, the 200 ms the controller wants before the session closes. `kept` changes
// only when the read went through to the end.
LogbookRead ReadLogbook(const TDeviceEntry& entry, FtpLink& ftp, KeptLogbook& kept,
                        const LogbookReadInput& input = {});

// Ok (see the export's end), or LocalFileFailed: the copy can't be read, or the chosen file can't be
// written (it is replaced only by a complete export).
struct LogbookExportResult : Result {
    bool copyRead = false;
    logbook::LogbookExport exported;
    bool written = false;
};
LogbookExportResult ExportLogbook(const KeptLogbook& kept, const QString& target);

// Command 107 alone: no file access, no keep-alive. Ok, LoginFailed or CommandFailed.
Result DeleteLogbook(const TDeviceEntry& entry);

// The delete that follows an export without a person watching: in one session the controller is asked
// for its logbook's count and position again, and the logbook is deleted only when they are still those
// of the read that was exported. An entry logged in between would otherwise be deleted unexported.
// Ok (deleted), LoginFailed, or CommandFailed: no answer to the logbook request (see changed), or the
// delete refused.
struct LogbookDeleteAfterRead : Result {
    LogbookDeleteAfterRead() : Result(Outcome::CommandFailed) {}

    bool changed = false; // the logbook moved on since the read: nothing was deleted
};
LogbookDeleteAfterRead DeleteLogbookIfUnchanged(const TDeviceEntry& entry, int count, int position);

} // namespace ops
