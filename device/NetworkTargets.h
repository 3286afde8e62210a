#pragma once

// Where the tool's datagrams and connections go. The product's values are fixed; tests and the demo
// move them onto loopback through the environment (KELVORA_DISCOVERY_TARGET=host:port,
// KELVORA_COMMAND_PORT, KELVORA_FTP_PORT), read once at start.

#include <QHostAddress>

struct NetworkTargets {
    QHostAddress discoveryAddress{QHostAddress::Broadcast};
    quint16 discoveryPort = 8001;
    quint16 commandPort = 1010;
    quint16 ftpPort = 21;

    // The defaults with whatever the environment overrides; malformed values are ignored.
    static NetworkTargets fromEnvironment();
};

// The targets in force for this process (fromEnvironment() until set).
const NetworkTargets& Targets();
void SetTargets(const NetworkTargets& targets);
