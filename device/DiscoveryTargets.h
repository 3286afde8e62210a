#pragma once

// Where the search and the IP configuration go. The product sends to 255.255.255.255, which leaves only
// through the interface of the default route, and also to the directed broadcast address of every other
// IPv4 interface that is up and can broadcast, so that a workstation with two network cards reaches the
// controllers behind both. With the discovery target moved (KELVORA_DISCOVERY_TARGET, tests, the demo)
// only that target is used.

#include <QHostAddress>
#include <QList>

struct NetworkTargets;

// One IPv4 address of an interface as the system reports it.
struct InterfaceAddress {
    bool up = false;
    bool canBroadcast = false;
    bool loopback = false;
    QHostAddress ip;
    QHostAddress broadcast; // null when the address has none (point to point)
};

// The directed broadcast addresses of the IPv4 interfaces that are up and can broadcast, each once, in
// the order given; never 255.255.255.255 (it goes out anyway) nor a loopback interface's.
QList<QHostAddress> DirectedBroadcasts(const QList<InterfaceAddress>& interfaces);

// This machine's interfaces (no socket is opened to find them).
QList<InterfaceAddress> MachineInterfaces();

// The addresses the search and the IP configuration go to, all on targets.discoveryPort: the moved
// target alone; else 255.255.255.255 first, then DirectedBroadcasts(interfaces).
QList<QHostAddress> DiscoveryAddresses(const NetworkTargets& targets,
                                       const QList<InterfaceAddress>& interfaces);
