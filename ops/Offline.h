#pragma once

// Configurations without a controller: the two tables of a folder (a backup, or one prepared for a
// controller that is not there yet), edited like a controller's and written back into the folder as a
// pair, and sent to a controller through the restore's path.

#include "data/Progress.h"
#include "data/TableFiles.h"
#include "ops/Outcome.h"

#include <QString>

#include <optional>

struct TDeviceEntry;

namespace ops {

class FtpLink;

// The form in which a configuration stores the codes it is given: binary from firmware 1.39 on, text
// before.
enum class CodeForm { Binary, Text };

// What the records' codes say of their form: none when no record holds a code, or when both forms
// occur. Empty codes say nothing: a new transponder starts with an empty binary code on every controller.
std::optional<CodeForm> CodeFormOfRecords(const RecordList<TTransponderEntry>& transponders);

// "Binärcodes (ab Firmware 1.39)", "Textcodes (vor Firmware 1.39)"
QString CodeFormText(CodeForm form);
CodeForm CodeFormOf(const TDeviceEntry& entry);

// Makes the entry an offline configuration named `name`: an information block of firmware 1.39 (binary
// codes) or 1.31 (text codes) and the editor's limits of 16 modules and 1000 transponders, so that the
// editors, the limits and the statistics treat it as such a controller. The tables stay as they are.
void MakeOffline(TDeviceEntry& entry, const QString& name, CodeForm form);

// The caption of an offline configuration in the tree: its name and its code form.
QString OfflineCaption(const TDeviceEntry& entry);

// Reads the folder's two tables into the empty entry and remembers the folder: Ok, or LocalFileFailed
// with the backup check's warning (or a read error). The entry is not made offline yet: the caller
// decides the code form first, from the records when they say it.
Result ReadOfflineFolder(const QString& folder, TDeviceEntry& entry);

// Writes both tables into `folder` (the entry's own when empty) through the backup's replace; Ok also
// makes it the entry's folder and the entry no longer counts as changed. LocalFileFailed leaves the folder
// and the entry as they were.
Result SaveOffline(TDeviceEntry& entry, const QString& folder = QString());

// "Die Konfiguration wurde im Ordner … gespeichert."
QString OfflineSavedText(const QString& folder);

// Sends the offline configuration's tables, byte for byte, to the controller `target` through the
// restore: both files written into a private folder of the program folder, uploaded "module.dat" first,
// and the folder removed. The restore's outcomes and notices; LocalFileFailed when the files can't be
// written.
Result TransferOffline(const TDeviceEntry& offline, const TDeviceEntry& target, FtpLink& ftp,
                       const Progress& progress = {});

} // namespace ops
