#include "ops/ModuleStatus.h"

#include "ops/CommandSession.h"

namespace ops {

ModuleStatusRead ReadModuleStatus(const TDeviceEntry& entry) {
    ModuleStatusRead read;
    CommandSession session(entry);
    if (!session.login()) {
        read.outcome = Outcome::LoginFailed;
        return read;
    }
    if (!session.socket().ReadModuleStatus())
        return read;
    read.outcome = Outcome::Ok;
    read.block = session.socket().ModuleStatus;
    return read;
}

} // namespace ops
