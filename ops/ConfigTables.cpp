#include "ops/ConfigTables.h"

#include "data/DeviceEntry.h"
#include "device/ProgramFolder.h"
#include "ops/FileOperation.h"

#include <QFile>

namespace ops {

QString ModuleCopyPath() {
    return AppDir() + QStringLiteral("module_cfg.dat");
}

QString TransponderCopyPath() {
    return AppDir() + QStringLiteral("trans_cfg.dat");
}

void ClearTables(TDeviceEntry& entry) {
    while (!entry.Modules.empty())
        entry.Modules.pop_back();
    while (!entry.Transponders.empty())
        entry.Transponders.pop_back();
}

Outcome DownloadTables(FileOperation& operation) {
    if (operation.connect() != Outcome::Ok)
        return Outcome::FtpConnectFailed;
    const bool ok = operation.get(QStringLiteral("module.dat"), ModuleCopyPath()) &&
                    operation.get(QStringLiteral("trans.dat"), TransponderCopyPath());
    operation.quit();
    return ok ? Outcome::Ok : Outcome::TransferFailed;
}

TablesRead ReadTables(TDeviceEntry& entry) {
    TablesRead read;
    ReadTableFile(ModuleCopyPath(), entry.Modules, &read.modules);
    QFile::remove(ModuleCopyPath());
    ReadTableFile(TransponderCopyPath(), entry.Transponders, &read.transponders);
    QFile::remove(TransponderCopyPath());
    return read;
}

Outcome UploadTables(FileOperation& operation, const TDeviceEntry& entry) {
    if (!WriteTableFile(ModuleCopyPath(), entry.Modules) ||
        !WriteTableFile(TransponderCopyPath(), entry.Transponders))
        return Outcome::LocalFileFailed;
    if (operation.connect() != Outcome::Ok)
        return Outcome::FtpConnectFailed;
    const bool ok = operation.put(ModuleCopyPath(), QStringLiteral("module.dat")) &&
                    operation.put(TransponderCopyPath(), QStringLiteral("trans.dat"));
    operation.quit();
    if (!ok)
        return Outcome::TransferFailed;
    QFile::remove(ModuleCopyPath());
    QFile::remove(TransponderCopyPath());
    return Outcome::Ok;
}

void ActivateTables(FileOperation& operation) {
    operation.session().socket().ActivateConfig(0);
    operation.session().socket().ActivateConfig(1);
}

} // namespace ops
