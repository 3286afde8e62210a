#include "ops/ConfigTables.h"

#include "data/DeviceEntry.h"
#include "device/klvutils.h"
#include "net/FtpClient.h"

#include <QFile>

namespace ops {
namespace {

// The controller's FTP server expects the login again after Connect; its answers do not matter.
void relogin(TFtpClient& ftp) {
    ftp.User();
    ftp.Pass();
}

bool transfer(TFtpClient& ftp, bool download, const QString& localFile, const QString& hostFile) {
    ftp.SetLocalFileName(localFile);
    ftp.SetHostFileName(hostFile);
    ftp.SetHostDirName(QStringLiteral("/"));
    return download ? ftp.Get() : ftp.Put();
}

} // namespace

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

Outcome DownloadTables(TFtpClient& ftp, const QString& host) {
    ftp.SetHostName(host);
    if (!ftp.Connect())
        return Outcome::FtpConnectFailed;
    relogin(ftp);
    ftp.SetBinary(true);
    const bool ok = transfer(ftp, true, ModuleCopyPath(), QStringLiteral("module.dat")) &&
                    transfer(ftp, true, TransponderCopyPath(), QStringLiteral("trans.dat"));
    ftp.Quit();
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

Outcome UploadTables(TFtpClient& ftp, const TDeviceEntry& entry) {
    if (!WriteTableFile(ModuleCopyPath(), entry.Modules) ||
        !WriteTableFile(TransponderCopyPath(), entry.Transponders))
        return Outcome::LocalFileFailed;
    ftp.SetHostName(entry.IPAddress);
    if (!ftp.Connect())
        return Outcome::FtpConnectFailed;
    relogin(ftp);
    const bool ok = transfer(ftp, false, ModuleCopyPath(), QStringLiteral("module.dat")) &&
                    transfer(ftp, false, TransponderCopyPath(), QStringLiteral("trans.dat"));
    ftp.Quit();
    if (!ok)
        return Outcome::TransferFailed;
    QFile::remove(ModuleCopyPath());
    QFile::remove(TransponderCopyPath());
    return Outcome::Ok;
}

} // namespace ops
