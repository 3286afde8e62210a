#pragma once

// One found or manually added controller and everything the tool keeps about it: what its search reply
// said (serial number, addresses, name), and what the login and the tables added.

#include "data/Records.h"
#include "data/TableFiles.h"
#include "device/DeviceInfo.h"
#include "device/DeviceReply.h"

#include <QString>

#include <cstdint>
#include <memory>
#include <vector>

struct TDeviceEntry : TDeviceReply {
    bool LoggedIn = false;
    QString UserName; // at most 10 characters
    QString Password; // at most 10 characters
    // Records are allocated one by one so that tree nodes and editors can point at them while the
    // tables grow and shrink.
    RecordList<TTransponderEntry> Transponders;
    RecordList<TModuleEntry> Modules;
    // Set once both tables were read from the controller or from a backup folder (empty tables count),
    // cleared with the tables: whether there is a configuration to report on.
    bool TablesRead = false;
    bool InfoValid = false;
    TDeviceInfo Info{};
    // Set by every edit of the tables in the window, cleared by a successful load or save: discarding
    // the entry asks first while it is set.
    bool Changed = false;
    // A configuration without a controller: tables opened from a folder (or begun empty) and saved back
    // into it. Its information block names the code form and the editor's limits; no session is ever
    // opened for it, and a new search keeps it.
    bool Offline = false;
    QString Folder; // where "Speichern" writes both tables; empty until the first save of a new one
};

// The controller's capacities: from its information block when valid, else 16 and 1000.
inline int ModuleCapacity(const TDeviceEntry& entry) {
    return entry.InfoValid ? entry.Info.MaxModules() : 16;
}
inline int TransponderCapacity(const TDeviceEntry& entry) {
    return entry.InfoValid ? entry.Info.MaxTransponders() : 1000;
}

inline bool FirmwareAtLeast(const TDeviceEntry& entry, int n) {
    return FirmwareAtLeast(entry.InfoValid, entry.Info, n);
}

// The firmware's features (device/DeviceInfo.h) for the entry's information block.
inline bool RequiresFileAccess(const TDeviceEntry& entry) {
    return RequiresFileAccess(entry.InfoValid, entry.Info);
}
inline bool StoresBinaryCodes(const TDeviceEntry& entry) {
    return StoresBinaryCodes(entry.InfoValid, entry.Info);
}
inline bool KeepsLogbookInRingOrder(const TDeviceEntry& entry) {
    return KeepsLogbookInRingOrder(entry.InfoValid, entry.Info);
}
