#pragma once

// Reading, exporting and deleting a controller's logbook. The read downloads "kelvora.log" into a
// local copy that the export works from later without contacting the controller. The logbook says who
// entered where and when, so the copy lives in the per-user data folder, readable by its owner only,
// and it is replaced, together with the count and position it was read with, only by a read that went
// through to the end: a failed read leaves the last good copy and what the export makes of it as they
// were.

#include "data/Logbook.h"
#include "ops/Outcome.h"

#include <QString>

#include <functional>

struct TDeviceEntry;

namespace ops {

class FtpLink;

// The per-user data folder of the logbook copy (never a shared program folder); tests move it.
QString LogbookFolder();
void SetLogbookFolder(const QString& folder);
// LogbookFolder() + "kelvora.log".
QString LogbookCopyPath();

// The logbook as last read to the end: the local copy holds it, read in this order.
struct KeptLogbook {
    bool valid = false;
    logbook::LogRing ring;
};

// Reported while the read runs, so the page can show them at once.
struct LogbookReadSteps {
    std::function<void(int count)> counted; // the controller reported a non-empty logbook
    std::function<void()> connected;        // the FTP connection stands, the download begins
};

struct LogbookRead {
    // LoginFailed, FileAccessRefused, CommandFailed (no answer to the logbook request, or no entries),
    // LocalFileFailed before the download (the copy's folder can't be written), FtpConnectFailed,
    // TransferFailed; or, with the download done, Ok (see content.end) or LocalFileFailed (the records
    // were read but the copy could not replace the kept one).
    Outcome outcome = Outcome::Ok;
    int count = 0;
    int position = 0;
    logbook::LogbookContent content;
    bool replaced = false; // the local copy and `kept` hold this read now
};

// The whole read on one controller: session, keep-alive, file access by firmware, the logbook
// request, the download, the 200 ms the controller wants before the session closes. `kept` changes
// only when the read went through to the end.
LogbookRead ReadLogbook(const TDeviceEntry& entry, FtpLink& ftp, KeptLogbook& kept,
                        const LogbookReadSteps& steps = {});

struct LogbookExportResult {
    // Ok (see the export's end), or LocalFileFailed: the copy can't be read, or the chosen file can't
    // be written (it is replaced only by a complete export).
    Outcome outcome = Outcome::Ok;
    bool copyRead = false;
    logbook::LogbookExport exported;
    bool written = false;
};
LogbookExportResult ExportLogbook(const KeptLogbook& kept, const QString& target);

// Command 107 alone: no file access, no keep-alive. Ok, LoginFailed or CommandFailed.
Outcome DeleteLogbook(const TDeviceEntry& entry);

} // namespace ops
