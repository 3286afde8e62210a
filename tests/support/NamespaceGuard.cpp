#include "support/NamespaceGuard.h"

#include <QHostAddress>
#include <QNetworkInterface>
#include <QProcessEnvironment>

#include <sys/stat.h>

QString WireNamespaceRefusal(const QString& netns) {
    if (netns.isEmpty() || netns.contains(QLatin1Char('/')))
        return QStringLiteral("no network namespace named");
    struct stat own {};
    struct stat named {};
    const QByteArray path = QByteArrayLiteral("/run/netns/") + netns.toLocal8Bit();
    if (::stat("/proc/self/ns/net", &own) != 0 || ::stat(path.constData(), &named) != 0 ||
        own.st_ino != named.st_ino || own.st_dev != named.st_dev)
        return QStringLiteral("not inside the network namespace ") + netns;
    // The wire test's links: 10.97.0.0/24 to 10.99.0.0/24.
    const QHostAddress wire(QStringLiteral("10.96.0.0"));
    for (const QNetworkInterface& interface : QNetworkInterface::allInterfaces()) {
        for (const QNetworkAddressEntry& entry : interface.addressEntries()) {
            const QHostAddress address = entry.ip();
            if (address.isLoopback() || address.isLinkLocal())
                continue;
            if (address.protocol() != QAbstractSocket::IPv4Protocol || !address.isInSubnet(wire, 14))
                return QStringLiteral("interface %1 has the address %2")
                    .arg(interface.name(), address.toString());
        }
    }
    for (const QString& variable : QProcessEnvironment::systemEnvironment().keys()) {
        if (variable.startsWith(QLatin1String("KELVORA_")))
            return QStringLiteral("%1 is set").arg(variable);
    }
    return QString();
}
