#pragma once

// What the user is told when an operation has ended: for each outcome the window's text and icon and what
// a script needs, the same words for both front ends. The operations put these into their results; an
// empty text means the window stays silent for that outcome.

#include "ops/Outcome.h"

#include <QString>

namespace ops {

struct LogbookRead;
struct LogbookExportResult;

// Only a failed login is reported.
Notice LoginNotice(Outcome outcome);
Notice DeviceNameNotice(Outcome outcome);
Notice BackupNotice(Outcome outcome);
Notice RestoreNotice(Outcome outcome);
Notice UpdateNotice(Outcome outcome);
Notice RestartNotice(Outcome outcome);
// Only a failed login is reported in the window; an unanswered status request leaves the list as it was.
Notice ModuleStatusNotice(Outcome outcome);

// The configuration page's load (nothing is said when it goes through), save and activation.
Notice ConfigurationLoadNotice(Outcome outcome);
Notice ConfigurationSaveNotice(Outcome outcome);
Notice ActivationNotice(Outcome outcome);

// The read of the logbook into `folder`, by its outcome and, after a download, by where the reading
// ended. The window says nothing of a failed FTP connection or download: the last good copy stays for
// the export.
Notice LogbookReadNotice(const LogbookRead& read, const QString& folder);
// The export of the copy at copyPath into target.
Notice LogbookExportNotice(const LogbookExportResult& result, const QString& copyPath, const QString& target);
Notice LogbookDeleteNotice(Outcome outcome);
// The delete after an export: `changed` when the logbook moved on since the read.
Notice LogbookDeleteAfterReadNotice(Outcome outcome, bool changed);

// The result of an outcome with the notice `wording` gives it.
inline Result Worded(Outcome outcome, Notice (*wording)(Outcome)) {
    Result result(outcome);
    result.notice = wording(outcome);
    return result;
}

// "12 Einträge im Logbuch"
QString LogbookCountText(int count);
// A file chosen for an export or an overview that could not be written.
QString TargetNotWrittenText(const QString& target);

} // namespace ops
