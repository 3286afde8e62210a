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

QString IgnoredRepliesText(int ignored) {
    if (ignored <= 0)
        return QString();
    if (ignored == 1)
        return QStringLiteral("Eine unlesbare Antwort auf die Suche wurde ignoriert.");
    return QStringLiteral("%1 unlesbare Antworten auf die Suche wurden ignoriert.").arg(ignored);
}

bool DeviceList::search(const std::function<void(TDeviceEntry&)>& added, const QList<QHostAddress>& alsoAsk) {
    m_ignoredReplies = 0;
    QStringList replies;
    if (!m_discovery || !m_discovery->FindDevices(replies, alsoAsk))
        return false;
    bool made = false;
    for (const QString& reply : replies) {
        auto entry = std::make_unique<TDeviceEntry>();
        try {
            static_cast<TDeviceReply&>(*entry) = TIPCInfo::ParseDeviceReply(reply);
        } catch (const EConvertError&) {
            ++m_ignoredReplies;
            continue;
        }
        const std::int32_t serial = entry->Serial;
        if (std::any_of(m_entries.begin(), m_entries.end(),
                        [serial](const std::unique_ptr<TDeviceEntry>& e) { return e->Serial == serial; }))
            continue;
        m_entries.push_back(std::move(entry));
        made = true;
        if (added)
            added(*m_entries.back());
    }
    return made;
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
