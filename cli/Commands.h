#pragma once

// The subcommands of kelvora-cli, each on the operations of the window. Each returns an exit code
// (Console.h) and shows its own messages.

#include "cli/Arguments.h"
#include "cli/Console.h"

#include <QDateTime>
#include <QString>
#include <QStringList>

#include <functional>

struct TDeviceEntry;

namespace cli {

class Job;
class Site;

// What a command does on one controller after its login; false when it failed there (its messages are
// shown through the job).
using Operation = std::function<bool(Job&, TDeviceEntry&)>;

int RunFind(Site& site, const Invocation& invocation);
int RunIpConfig(Site& site, const Invocation& invocation);
int RunInfo(Site& site, const Invocation& invocation);
int RunStatus(Site& site, const Invocation& invocation);
int RunRestart(Site& site, const Invocation& invocation);
int RunBackup(Site& site, const Invocation& invocation);
int RunRestore(Site& site, const Invocation& invocation);
int RunUpdate(Site& site, const Invocation& invocation);
int RunLog(Site& site, const Invocation& invocation);
int RunReport(Site& site, const Invocation& invocation);
int RunTransponders(Site& site, const Invocation& invocation);
int RunDiff(Site& site, const Invocation& invocation);

// The controllers an operation runs on: the one HOST names, or with --all every controller the search
// finds. Checks HOST, --jobs and the credentials (kExitUsage before anything is sent), then runs
// `operation` on each controller after its login, goes on past failures and, for --all, ends with a
// summary naming every failure. With --all up to --jobs controllers (8) are worked on at once, each on
// a thread of its own (Fleet.h); the messages and the summary come in the order of the serial numbers
// whichever finishes first. kExitOk when every one succeeded.
// `before` runs once the command line has passed, before anything is sent (the checks of local files);
// false ends the command with kExitFailed.
int ForEachController(Site& site, const Invocation& invocation, const QString& host, const QString& doneWord,
                      const Operation& operation, const std::function<bool()>& before = {});

// The reason and the subcommand's usage on standard error; kExitUsage.
int UsageError(const Site& site, const Invocation& invocation, const QString& reason);
// The credentials the invocation names (the file of --credentials, else the environment); false with
// the message shown. A command that logs in calls it before anything is sent.
bool LoadCredentials(Site& site, const Invocation& invocation);
// The window's "Konfiguration laden" into the entry: file access by firmware, both tables. False with
// what a script is told in *failure.
bool LoadTables(Job& job, TDeviceEntry& entry, QString* failure, QString* remark = nullptr);

// The time stamp of a run's folders and files: "2024-05-01_02-00-00", the workstation's local time.
QString TimeStamp(const QDateTime& when);
// A folder or file name below `parent` that is not taken yet: base, else base-2, base-3, ... (empty
// when even base-1000 is taken).
QString FreePath(const QString& parent, const QString& base, const QString& suffix = QString());

} // namespace cli
