#include "ops/ConfigTables.h"

#include "data/DeviceEntry.h"
#include "device/CommandSocket.h"
#include "ops/FileOperation.h"

#include <QDir>
#include <QFile>

namespace ops {

QString TableCopies::modules() const {
    return QDir(folder).filePath(QStringLiteral("module_cfg.dat"));
}

QString TableCopies::transponders() const {
    return QDir(folder).filePath(QStringLiteral("trans_cfg.dat"));
}

QString ModuleCopyPath() {
    return TableCopies{}.modules();
}

QString TransponderCopyPath() {
    return TableCopies{}.transponders();
}

void ClearTables(TDeviceEntry& entry) {
    while (!entry.Modules.empty())
        entry.Modules.pop_back();
    while (!entry.Transponders.empty())
        entry.Transponders.pop_back();
    entry.Changed = false;
    entry.TablesRead = false;
}

Outcome DownloadTables(FileOperation& operation, const TableCopies& copies) {
    if (operation.connect() != Outcome::Ok)
        return Outcome::FtpConnectFailed;
    const bool ok = operation.get(kModuleFileName, copies.modules()) &&
                    operation.get(kTransponderFileName, copies.transponders());
    operation.quit();
    return ok ? Outcome::Ok : Outcome::TransferFailed;
}

TablesRead ReadTables(TDeviceEntry& entry, const TableCopies& copies) {
    TablesRead read;
    const bool modules = ReadTableFile(copies.modules(), entry.Modules, &read.modules);
    QFile::remove(copies.modules());
    const bool transponders = ReadTableFile(copies.transponders(), entry.Transponders, &read.transponders);
    QFile::remove(copies.transponders());
    entry.TablesRead = modules && transponders;
    return read;
}

Outcome UploadTables(FileOperation& operation, const TDeviceEntry& entry, const TableCopies& copies) {
    if (!WriteTableFile(copies.modules(), entry.Modules) ||
        !WriteTableFile(copies.transponders(), entry.Transponders))
        return Outcome::LocalFileFailed;
    if (operation.connect() != Outcome::Ok)
        return Outcome::FtpConnectFailed;
    const bool ok = operation.put(copies.modules(), kModuleFileName) &&
                    operation.put(copies.transponders(), kTransponderFileName);
    operation.quit();
    if (!ok)
        return Outcome::TransferFailed;
    QFile::remove(copies.modules());
    QFile::remove(copies.transponders());
    return Outcome::Ok;
}

void ActivateTables(TKLVSocket& socket, const Progress& progress) {
    Report(progress, ProgressStep::ActivationBegins);
    socket.ActivateConfig(0);
    socket.ActivateConfig(1);
    Report(progress, ProgressStep::ActivationEnded);
}

} // namespace ops
