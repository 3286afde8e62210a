#pragma once

// What the user is told when an operation has ended: the one text (and its weight) for each outcome,
// shared by the window's message boxes and the command line, so both say the same. An empty text means
// the window stays silent for that outcome.

#include "ops/Outcome.h"

#include <QString>

namespace ops {

struct LogbookRead;
struct LogbookExportResult;

struct Notice {
    enum Kind { Information, Warning, Error };
    QString text;
    Kind kind = Information;

    bool empty() const { return text.isEmpty(); }
};

Notice BackupNotice(Outcome outcome);
Notice RestoreNotice(Outcome outcome);
Notice UpdateNotice(Outcome outcome);
Notice RestartNotice(Outcome outcome);
// Only a failed login is reported; an unanswered status request leaves the list as it was.
Notice ModuleStatusNotice(Outcome outcome);

// Loading and saving the tables on the configuration page (after the file access was granted).
Notice TablesLoadNotice(Outcome outcome);
Notice TablesSaveNotice(Outcome outcome);

// The read of the logbook, by its outcome and, after a download, by where the reading ended. A failed
// FTP connection or download is not reported: the last good copy stays for the export.
Notice LogbookReadNotice(const LogbookRead& read);
Notice LogbookExportNotice(const LogbookExportResult& result, const QString& target);
Notice LogbookDeleteNotice(Outcome outcome);

// "12 Einträge im Logbuch"
QString LogbookCountText(int count);
// A file chosen for an export or an overview that could not be written.
QString TargetNotWrittenText(const QString& target);

} // namespace ops
