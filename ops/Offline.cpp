#include "ops/Offline.h"

#include "data/DeviceEntry.h"
#include "device/ProgramFolder.h"
#include "ops/Backup.h"

#include <QDir>
#include <QFileInfo>
#include <QTemporaryDir>

#include <algorithm>

namespace ops {
namespace {

constexpr std::uint8_t kBinaryMarker = 0xFF;
constexpr std::uint8_t kBinaryFirmwareMinor = 39;
constexpr std::uint8_t kTextFirmwareMinor = 31;
constexpr std::uint16_t kOfflineModules = 16;
constexpr std::uint16_t kOfflineTransponders = 1000;

std::optional<CodeForm> formOf(const TTransponderEntry& transponder) {
    const std::uint8_t* code = transponder.Code;
    if (code[kTextCodeLength] == kBinaryMarker) {
        const bool empty = std::all_of(code, code + kTextCodeLength, [](std::uint8_t b) { return b == 0; });
        return empty ? std::nullopt : std::optional(CodeForm::Binary);
    }
    return code[0] == 0 ? std::nullopt : std::optional(CodeForm::Text);
}

} // namespace

std::optional<CodeForm> CodeFormOfRecords(const RecordList<TTransponderEntry>& transponders) {
    std::optional<CodeForm> found;
    for (const auto& transponder : transponders) {
        const std::optional<CodeForm> form = formOf(*transponder);
        if (!form)
            continue;
        if (found && *found != *form)
            return std::nullopt;
        found = form;
    }
    return found;
}

QString CodeFormText(CodeForm form) {
    return form == CodeForm::Binary ? QStringLiteral("Binärcodes (ab Firmware 1.39)")
                                    : QStringLiteral("Textcodes (vor Firmware 1.39)");
}

CodeForm CodeFormOf(const TDeviceEntry& entry) {
    return StoresBinaryCodes(entry) ? CodeForm::Binary : CodeForm::Text;
}

void MakeOffline(TDeviceEntry& entry, const QString& name, CodeForm form) {
    entry.Offline = true;
    entry.Name = name;
    entry.LoggedIn = false;
    entry.InfoValid = true;
    entry.Info = TDeviceInfo{};
    entry.Info.FirmwareMajor = 1;
    entry.Info.FirmwareMinor = form == CodeForm::Binary ? kBinaryFirmwareMinor : kTextFirmwareMinor;
    entry.Info.setMaxModules(kOfflineModules);
    entry.Info.setMaxTransponders(kOfflineTransponders);
}

QString OfflineCaption(const TDeviceEntry& entry) {
    return QStringLiteral("%1 (offline, %2)")
        .arg(entry.Name, CodeFormOf(entry) == CodeForm::Binary ? QStringLiteral("Binärcodes")
                                                               : QStringLiteral("Textcodes"));
}

Result ReadOfflineFolder(const QString& folder, TDeviceEntry& entry) {
    Result result = ReadBackupTables(folder, entry);
    if (result.ok())
        entry.Folder = folder;
    else
        ClearTables(entry);
    return result;
}

Result SaveOffline(TDeviceEntry& entry, const QString& folder) {
    const QString target = folder.isEmpty() ? entry.Folder : folder;
    Result result = WriteBackupTables(target, entry);
    if (result.ok()) {
        entry.Folder = target;
        entry.Changed = false;
    }
    return result;
}

QString OfflineSavedText(const QString& folder) {
    return QStringLiteral("Die Konfiguration wurde im Ordner \"%1\" gespeichert.")
        .arg(QDir::toNativeSeparators(folder));
}

Result TransferOffline(const TDeviceEntry& offline, const TDeviceEntry& target, FtpLink& ftp,
                       const Progress& progress) {
    // The restore sends what a folder holds: the tables as they are now, edits included, go into one of
    // the program's own.
    QTemporaryDir files(QDir(AppDir()).filePath(QStringLiteral("transfer-XXXXXX")));
    if (!files.isValid() || !WriteTableFile(FolderFile(files.path(), kModuleFileName), offline.Modules) ||
        !WriteTableFile(FolderFile(files.path(), kTransponderFileName), offline.Transponders)) {
        Result result(Outcome::LocalFileFailed);
        result.notice = {
            QStringLiteral("Die Konfiguration kann nicht für die Übertragung vorbereitet werden: "
                           "im Ordner \"%1\" kann nicht geschrieben werden.")
                .arg(QDir::toNativeSeparators(AppDir())),
            Notice::Error, QString(), true};
        return result;
    }
    return RestoreConfiguration(target, ftp, files.path(), progress);
}

} // namespace ops
