// Where the search and the IP configuration go: the limited broadcast and the directed broadcast of every
// interface that may carry one, or the moved target alone. Pure: no socket is opened here.

#include "device/DiscoveryTargets.h"
#include "device/NetworkTargets.h"

#include <QtTest>

namespace {

using Interfaces = QList<InterfaceAddress>;

// "up broadcast 192.168.0.7/192.168.0.255": flags, then the address and its broadcast ("-": none).
InterfaceAddress card(const QString& text) {
    const QStringList words = text.split(QLatin1Char(' '));
    InterfaceAddress entry;
    entry.up = words.contains(QStringLiteral("up"));
    entry.canBroadcast = words.contains(QStringLiteral("broadcast"));
    entry.loopback = words.contains(QStringLiteral("loopback"));
    const QStringList addresses = words.last().split(QLatin1Char('/'));
    entry.ip = QHostAddress(addresses.value(0));
    if (addresses.value(1) != QStringLiteral("-"))
        entry.broadcast = QHostAddress(addresses.value(1));
    return entry;
}

} // namespace

class tst_DiscoveryTargets : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void addresses_data();
    void addresses();
    void thisMachine();
};

void tst_DiscoveryTargets::addresses_data() {
    QTest::addColumn<QStringList>("interfaces");
    QTest::addColumn<QString>("moved"); // KELVORA_DISCOVERY_TARGET's address; empty: not set
    QTest::addColumn<QStringList>("sent");

    // Addresses as text only: the targets are worked out from made-up interface lists, no socket is opened.
    const QString limited = QStringLiteral("255.255.255.255");
    QTest::newRow("two cards") << QStringList({QStringLiteral("up broadcast 192.168.0.7/192.168.0.255"),
                                               QStringLiteral("up broadcast 10.1.2.3/10.1.255.255")})
                               << QString()
                               << QStringList({limited, QStringLiteral("192.168.0.255"),
                                               QStringLiteral("10.1.255.255")});
    QTest::newRow("loopback, a card that is down, a point-to-point link")
        << QStringList({QStringLiteral("up loopback 127.0.0.1/-"),
                        QStringLiteral("broadcast 192.168.5.2/192.168.5.255"),
                        QStringLiteral("up 10.8.0.2/-"),
                        QStringLiteral("up broadcast 172.16.0.9/172.16.255.255")})
        << QString() << QStringList({limited, QStringLiteral("172.16.255.255")});
    QTest::newRow("two addresses of one subnet, an IPv6 address")
        << QStringList({QStringLiteral("up broadcast 192.168.0.7/192.168.0.255"),
                        QStringLiteral("up broadcast 192.168.0.8/192.168.0.255"),
                        QStringLiteral("up broadcast fe80::1/-")})
        << QString() << QStringList({limited, QStringLiteral("192.168.0.255")});
    QTest::newRow("a subnet whose broadcast is the limited one")
        << QStringList({QStringLiteral("up broadcast 10.0.0.1/255.255.255.255")}) << QString()
        << QStringList({limited});
    QTest::newRow("no interface") << QStringList() << QString() << QStringList({limited});
    QTest::newRow("moved to loopback")
        << QStringList({QStringLiteral("up broadcast 192.168.0.7/192.168.0.255")})
        << QStringLiteral("127.0.0.1") << QStringList({QStringLiteral("127.0.0.1")});
    QTest::newRow("moved to the limited broadcast")
        << QStringList({QStringLiteral("up broadcast 192.168.0.7/192.168.0.255")}) << limited
        << QStringList({limited});
}

void tst_DiscoveryTargets::addresses() {
    QFETCH(QStringList, interfaces);
    QFETCH(QString, moved);
    QFETCH(QStringList, sent);
    Interfaces list;
    for (const QString& text : interfaces)
        list.append(card(text));
    NetworkTargets targets;
    if (!moved.isEmpty()) {
        targets.discoveryAddress = QHostAddress(moved);
        targets.discoveryMoved = true;
    }

    QStringList seen;
    for (const QHostAddress& address : DiscoveryAddresses(targets, list))
        seen << address.toString();
    QCOMPARE(seen, sent);
}

// Whatever this machine has (the tests run in a network namespace with only loopback up; elsewhere there
// may be cards): the limited broadcast first, then IPv4 broadcasts only, none of loopback.
void tst_DiscoveryTargets::thisMachine() {
    const QList<QHostAddress> addresses = DiscoveryAddresses(NetworkTargets(), MachineInterfaces());
    QCOMPARE(addresses.value(0), QHostAddress(QHostAddress::Broadcast));
    for (const QHostAddress& address : addresses.mid(1)) {
        QCOMPARE(address.protocol(), QAbstractSocket::IPv4Protocol);
        QVERIFY(!address.isLoopback());
        QVERIFY(address != QHostAddress(QHostAddress::Broadcast));
    }
}

QTEST_GUILESS_MAIN(tst_DiscoveryTargets)
#include "tst_DiscoveryTargets.moc"
