#pragma once

// Where the tool's datagrams and connections go. The product's values are fixed; tests and the demo
// move them onto loopback through the environment (KELVORA_DISCOVERY_TARGET=host:port,
// KELVORA_COMMAND_PORT, KELVORA_FTP_PORT), read once at start. A variable that is set but malformed is an
// error the program stops on: falling back to the product's value would broadcast into the real network
// from a test or demo that meant to stay on loopback.

#include <QHostAddress>
#include <QString>

struct NetworkTargets {
    QHostAddress discoveryAddress{QHostAddress::Broadcast};
    quint16 discoveryPort = 8001;
    quint16 commandPort = 1010;
    quint16 ftpPort = 21;
    // KELVORA_DISCOVERY_TARGET is set (also to 255.255.255.255): the search goes there and nowhere else.
    bool discoveryMoved = false;

    // The defaults with whatever the environment overrides. When a variable is set but malformed,
    // *error gets a German text naming it; the search then goes nowhere (no address), never to the
    // broadcast address. An empty variable counts as not set.
    static NetworkTargets fromEnvironment(QString* error = nullptr);
};

// "a.b.c.d:port" with a dotted IPv4 address and a port from 1 to 65535; an empty text on success,
// otherwise why the text is not one (German, for the user).
QString ParseDiscoveryTarget(const QString& text, QHostAddress* address, quint16* port);
// A port from 1 to 65535 in decimal; an empty text on success, otherwise why not.
QString ParsePort(const QString& text, quint16* port);

// The targets in force for this process (fromEnvironment() until set).
const NetworkTargets& Targets();
void SetTargets(const NetworkTargets& targets);
