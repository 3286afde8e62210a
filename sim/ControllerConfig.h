#pragma once

// Everything that makes one simulated controller: where it listens, what it reports about itself and
// which faults it shows. The device side encodes its replies on its own, so the layouts here are
// written out from the controller's point of view and never borrowed from the tool's packet code.

#include "sim/CommandOptions.h"
#include "sim/FtpOptions.h"

#include <QHostAddress>
#include <QString>

#include <array>
#include <cstdint>

namespace sim {

struct ControllerConfig {
    QHostAddress address{QStringLiteral("127.0.0.2")}; // where its TCP and FTP services listen
    std::uint32_t serial = 0x12AB3;
    bool dhcp = false;
    QString ip = QStringLiteral("127.0.0.2"); // what the search reply reports
    QString subnetMask = QStringLiteral("255.255.255.0");
    QString gateway = QStringLiteral("127.0.0.1");
    QString name = QStringLiteral("Kelvora compact");
    std::uint16_t commandPort = 1010;
    std::uint16_t ftpPort = 21;
    QString dataDir;      // module.dat, trans.dat, kelvora.log, firmware/; a temporary folder when empty
    bool demoData = true; // fill an empty data folder with demo tables and logbook
    // Records of the demo module table: 16, or up to 20 with readers still being set up (the last one
    // new, at address 0).
    int demoModules = 16;
    CommandOptions command;
    FtpOptions ftp;
};

} // namespace sim
