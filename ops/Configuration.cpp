#include "ops/Configuration.h"

#include "data/DeviceEntry.h"
#include "ops/CommandSession.h"
#include "ops/FileOperation.h"
#include "ops/Notices.h"

#include <QStringList>

namespace ops {
namespace {

// A trailing partial record is not part of the table; the user hears of it rather than lose it silently.
QString remarkOn(const TablesRead& read) {
    QStringList notes;
    if (read.modules.extraBytes > 0)
        notes << QStringLiteral("\"module.dat\" enthielt %1 überzählige Bytes, die nicht gelesen wurden.")
                     .arg(read.modules.extraBytes);
    if (read.transponders.extraBytes > 0)
        notes << QStringLiteral("\"trans.dat\" enthielt %1 überzählige Bytes, die nicht gelesen wurden.")
                     .arg(read.transponders.extraBytes);
    return notes.join(QLatin1Char(' '));
}

} // namespace

ConfigurationLoad LoadConfiguration(TDeviceEntry& entry, FtpLink& ftp, const LoadInput& input) {
    ConfigurationLoad load;
    FileOperation operation(entry, ftp, FileOperation::Account::Configured, input.progress);
    load.outcome = operation.open();
    if (load.outcome == Outcome::Ok) {
        if (input.clearing)
            input.clearing(entry);
        ClearTables(entry);
        load.outcome = DownloadTables(operation, input.copies);
        if (load.outcome == Outcome::Ok) {
            load.read = ReadTables(entry, input.copies);
            load.remark = remarkOn(load.read);
        }
        operation.finish();
    }
    load.notice = ConfigurationLoadNotice(load.outcome);
    return load;
}

ConfigurationSave SaveConfiguration(TDeviceEntry& entry, FtpLink& ftp, const SaveInput& input) {
    ConfigurationSave save;
    FileOperation operation(entry, ftp, FileOperation::Account::Configured, input.progress);
    save.outcome = operation.open();
    if (save.outcome == Outcome::Ok)
        save.outcome = UploadTables(operation, entry, input.copies);
    // A failed save closes the session at once: there is nothing left to activate.
    if (save.outcome == Outcome::Ok) {
        // The controller holds the edits now; leaving the entry no longer asks about them.
        entry.Changed = false;
        if (input.activate && input.activate()) {
            ActivateTables(operation.session().socket(), input.progress);
            save.activated = true;
        }
        operation.finish();
    }
    save.notice = ConfigurationSaveNotice(save.outcome);
    return save;
}

Result ActivateConfiguration(const TDeviceEntry& entry, const Progress& progress) {
    Result result;
    CommandSession session(entry);
    if (!session.login()) {
        result.outcome = Outcome::LoginFailed;
    } else {
        // As within a save: the second phase rebuilds the controller's tables and takes its time.
        session.socket().StartKeepAlive();
        ActivateTables(session.socket(), progress);
        session.finish();
    }
    result.notice = ActivationNotice(result.outcome);
    return result;
}

} // namespace ops
