#pragma once

// The 20-byte device-information block a controller sends after login.

#include "device/ByteOrder.h"

#include <cstddef>
#include <cstdint>

#pragma pack(push, 1)
struct TDeviceInfo {
    std::uint8_t FirmwareMajor;
    std::uint8_t FirmwareMinor;
    std::uint8_t BiosAMinor;
    std::uint8_t BiosAMajor;
    std::uint8_t BiosBMinor;
    std::uint8_t BiosBMajor;
    std::uint8_t SerialLE[4];
    std::uint8_t Language;
    std::uint8_t Version;
    std::uint8_t OperatingMode;
    std::uint8_t MaxModulesLE[2];
    std::uint8_t MaxTranspondersLE[2];
    std::uint8_t MaxLogEntriesLE[2];
    std::uint8_t HardwareRevision;

    std::uint32_t Serial() const { return GetLE32(SerialLE); }
    std::uint16_t MaxModules() const { return GetLE16(MaxModulesLE); }
    std::uint16_t MaxTransponders() const { return GetLE16(MaxTranspondersLE); }
    std::uint16_t MaxLogEntries() const { return GetLE16(MaxLogEntriesLE); }
    void setSerial(std::uint32_t v) { SetLE32(SerialLE, v); }
    void setMaxModules(std::uint16_t v) { SetLE16(MaxModulesLE, v); }
    void setMaxTransponders(std::uint16_t v) { SetLE16(MaxTranspondersLE, v); }
    void setMaxLogEntries(std::uint16_t v) { SetLE16(MaxLogEntriesLE, v); }
};
#pragma pack(pop)

static_assert(sizeof(TDeviceInfo) == 20);
static_assert(offsetof(TDeviceInfo, SerialLE) == 6);
static_assert(offsetof(TDeviceInfo, Language) == 10);
static_assert(offsetof(TDeviceInfo, MaxModulesLE) == 13);
static_assert(offsetof(TDeviceInfo, MaxTranspondersLE) == 15);
static_assert(offsetof(TDeviceInfo, MaxLogEntriesLE) == 17);
static_assert(offsetof(TDeviceInfo, HardwareRevision) == 19);

// Feature test of the firmware: the block is valid, major >= 1 and minor >= n, each byte compared by
// itself (a 2.05 firmware fails n = 32 — the controller's feature flags follow the minor number).
inline bool FirmwareAtLeast(bool infoValid, const TDeviceInfo& info, int n) {
    return infoValid && info.FirmwareMajor >= 1 && info.FirmwareMinor >= n;
}

// The features by the firmware that brought them. From x.32 on the controller wants a file-access
// request before FTP may touch its files; x.39 stores transponder codes in binary form, keeps its
// logbook as a ring (oldest entry at LogPosition - LogCount) and reports its hardware revision and
// logbook size in the information block.
inline bool RequiresFileAccess(bool infoValid, const TDeviceInfo& info) {
    return FirmwareAtLeast(infoValid, info, 32);
}
inline bool StoresBinaryCodes(bool infoValid, const TDeviceInfo& info) {
    return FirmwareAtLeast(infoValid, info, 39);
}
inline bool KeepsLogbookInRingOrder(bool infoValid, const TDeviceInfo& info) {
    return FirmwareAtLeast(infoValid, info, 39);
}
inline bool ReportsHardwareAndLogSize(bool infoValid, const TDeviceInfo& info) {
    return FirmwareAtLeast(infoValid, info, 39);
}
