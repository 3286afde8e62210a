#pragma once

// The controllers the tool knows: found by the search or entered by hand, in the order found. The list
// owns its entries and, through them, their tables; a new search or a manual entry discards them all.
// It also owns the one discovery object, which sends the search and the IP configuration.

#include "data/DeviceEntry.h"

#include <QHostAddress>
#include <QList>
#include <QString>

#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

class TIPCInfo;

namespace ops {

// A search that nobody answered.
inline const QString kNoDevicesFoundText = QStringLiteral("Es wurden keine Kelvora compact gefunden.");
// The replies of the last search that could not be read, when there were any; else empty.
QString IgnoredRepliesText(int ignored);

class DeviceList {
public:
    using Entries = std::vector<std::unique_ptr<TDeviceEntry>>;

    DeviceList();
    ~DeviceList();
    DeviceList(const DeviceList&) = delete;
    DeviceList& operator=(const DeviceList&) = delete;

    // Creates the discovery socket. Throws std::runtime_error with the socket's English text; the list
    // stays usable for manual entries, and a search without the socket finds nothing.
    void createDiscovery();
    bool hasDiscovery() const { return m_discovery != nullptr; }

    // Frees every entry with its tables.
    void clear();

    // Searches the network and appends one entry per controller, in arrival order, calling added for
    // each as soon as it exists. A controller heard more than once (through two interfaces, or asked
    // directly as well) is listed once, by its serial number. `alsoAsk`: controllers asked directly at
    // their address besides the broadcast. True when any entry was made. A reply whose serial number is
    // not hexadecimal is skipped (anything may answer on that port) and counted in ignoredReplies().
    bool search(const std::function<void(TDeviceEntry&)>& added, const QList<QHostAddress>& alsoAsk = {});
    int ignoredReplies() const { return m_ignoredReplies; }

    // A controller the search cannot reach: serial number (hexadecimal text) and address as typed.
    // Throws EConvertError for a serial number that is not hexadecimal; nothing is added then.
    TDeviceEntry& addManual(const QString& serialHex, const QString& address);

    // Broadcasts the entry's new IP configuration (twice, 50 ms apart). Throws std::runtime_error
    // "Error sending broadcast". Nothing happens without the discovery socket.
    void sendIPConfig(const TDeviceEntry& entry, bool dhcp, const QString& ipAddress,
                      const QString& subnetMask, const QString& gateway);

    const Entries& entries() const { return m_entries; }
    std::size_t size() const { return m_entries.size(); }
    bool empty() const { return m_entries.empty(); }
    TDeviceEntry& at(std::size_t i) const { return *m_entries.at(i); }
    // True when the entry is one of this list's (entries of an earlier search are gone).
    bool contains(const TDeviceEntry* entry) const;

    // The discovery object's timings (tests shorten them).
    TIPCInfo* discovery() const { return m_discovery.get(); }

private:
    int m_ignoredReplies = 0;
    Entries m_entries;
    std::unique_ptr<TIPCInfo> m_discovery;
};

} // namespace ops
