#include "device/DiscoveryTargets.h"

#include "device/NetworkTargets.h"

#include <QNetworkInterface>

QList<QHostAddress> DirectedBroadcasts(const QList<InterfaceAddress>& interfaces) {
    QList<QHostAddress> addresses;
    const QHostAddress limited(QHostAddress::Broadcast);
    for (const InterfaceAddress& entry : interfaces) {
        if (!entry.up || !entry.canBroadcast || entry.loopback ||
            entry.ip.protocol() != QAbstractSocket::IPv4Protocol ||
            entry.broadcast.protocol() != QAbstractSocket::IPv4Protocol || entry.broadcast == limited ||
            entry.broadcast.isLoopback() || addresses.contains(entry.broadcast))
            continue;
        addresses.append(entry.broadcast);
    }
    return addresses;
}

QList<InterfaceAddress> MachineInterfaces() {
    QList<InterfaceAddress> list;
    for (const QNetworkInterface& interface : QNetworkInterface::allInterfaces()) {
        const QNetworkInterface::InterfaceFlags flags = interface.flags();
        for (const QNetworkAddressEntry& entry : interface.addressEntries()) {
            InterfaceAddress address;
            address.up = flags.testFlag(QNetworkInterface::IsUp);
            address.canBroadcast = flags.testFlag(QNetworkInterface::CanBroadcast);
            address.loopback = flags.testFlag(QNetworkInterface::IsLoopBack);
            address.ip = entry.ip();
            address.broadcast = entry.broadcast();
            list.append(address);
        }
    }
    return list;
}

QList<QHostAddress> DiscoveryAddresses(const NetworkTargets& targets,
                                       const QList<InterfaceAddress>& interfaces) {
    if (targets.discoveryMoved || targets.discoveryAddress != QHostAddress(QHostAddress::Broadcast))
        return {targets.discoveryAddress};
    return QList<QHostAddress>{targets.discoveryAddress} + DirectedBroadcasts(interfaces);
}
