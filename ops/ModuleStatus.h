#pragma once

// Reading the live state of a controller's reader modules. A session of its own, without keep-alive:
// the status request is the only command.

#include "device/CommandSocket.h"
#include "ops/Outcome.h"

struct TDeviceEntry;

namespace ops {

struct ModuleStatusRead {
    Outcome outcome = Outcome::CommandFailed; // Ok, LoginFailed, or CommandFailed (no or a wrong reply)
    TModuleStatusBlock block{};               // the 16 records, valid with Ok
};

ModuleStatusRead ReadModuleStatus(const TDeviceEntry& entry);

} // namespace ops
