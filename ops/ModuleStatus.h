#pragma once

// Reading the live state of a controller's reader modules. A session of its own, without keep-alive:
// the status request is the only command.

#include "device/CommandSocket.h"
#include "ops/Outcome.h"

struct TDeviceEntry;

namespace ops {

// Ok, LoginFailed, or CommandFailed (no or a wrong reply).
struct ModuleStatusRead : Result {
    ModuleStatusRead() : Result(Outcome::CommandFailed) {}

    TModuleStatusBlock block{}; // the 16 records, valid with Ok
};

ModuleStatusRead ReadModuleStatus(const TDeviceEntry& entry);

} // namespace ops
