#include "ops/DeviceList.h"

#include "device/Conversions.h"
#include "device/Discovery.h"

#include <algorithm>

namespace ops {

DeviceList::DeviceList() = default;
DeviceList::~DeviceList() = default;

void DeviceList::createDiscovery() {
    m_discovery = std::make_unique<TIPCInfo>();
}

void DeviceList::clear() {
    m_entries.clear();
}

bool DeviceList::search(const std::function<void(TDeviceEntry&)>& added, const QList<QHostAddress>& alsoAsk) {
    QStringList replies;
    if (!m_discovery || !m_discovery->FindDevices(replies, alsoAsk))
        return false;
    for (const QString& reply : replies) {
        auto entry = std::make_unique<TDeviceEntry>();
        static_cast<TDeviceReply&>(*entry) = TIPCInfo::ParseDeviceReply(reply);
        const std::int32_t serial = entry->Serial;
        if (std::any_of(m_entries.begin(), m_entries.end(),
                        [serial](const std::unique_ptr<TDeviceEntry>& e) { return e->Serial == serial; }))
            continue;
        m_entries.push_back(std::move(entry));
        if (added)
            added(*m_entries.back());
    }
    return true;
}

TDeviceEntry& DeviceList::addManual(const QString& serialHex, const QString& address) {
    auto entry = std::make_unique<TDeviceEntry>();
    entry->Serial = HexStrToInt(serialHex);
    entry->DHCP = false;
    entry->IPAddress = address.left(15);
    entry->SubnetMask = QStringLiteral("255.255.255.255");
    entry->Gateway = QStringLiteral("0.0.0.0");
    entry->Name = QStringLiteral("Manuell");
    entry->LoggedIn = false;
    m_entries.push_back(std::move(entry));
    return *m_entries.back();
}

void DeviceList::sendIPConfig(const TDeviceEntry& entry, bool dhcp, const QString& ipAddress,
                              const QString& subnetMask, const QString& gateway) {
    if (m_discovery)
        m_discovery->SendIPConfig(entry.Serial, dhcp, ipAddress, subnetMask, gateway);
}

bool DeviceList::contains(const TDeviceEntry* entry) const {
    return std::any_of(m_entries.begin(), m_entries.end(),
                       [entry](const std::unique_ptr<TDeviceEntry>& e) { return e.get() == entry; });
}

} // namespace ops
