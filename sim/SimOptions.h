#pragma once

#include "sim/ControllerConfig.h"

#include <QHostAddress>
#include <QStringList>

#include <vector>

namespace sim {

struct SimSetup {
    QHostAddress discoveryAddress{QStringLiteral("127.0.0.1")};
    quint16 discoveryPort = 8001;
    int repliesPerSearch = 1;
    int lifetimeSeconds = 0; // 0: until terminated
    std::vector<ControllerConfig> controllers;
};

// Reads kelvora-sim's command line; false with a reason (or the help text) on a bad option.
bool parseSimOptions(const QStringList& arguments, SimSetup& setup, QString* error);

} // namespace sim
