#include "ops/ModuleStatus.h"

#include "ops/CommandSession.h"
#include "ops/Notices.h"

namespace ops {

ModuleStatusRead ReadModuleStatus(const TDeviceEntry& entry) {
    ModuleStatusRead read;
    CommandSession session(entry);
    if (!session.login()) {
        read.outcome = Outcome::LoginFailed;
    } else if (session.socket().ReadModuleStatus()) {
        read.outcome = Outcome::Ok;
        read.block = session.socket().ModuleStatus;
    }
    read.notice = ModuleStatusNotice(read.outcome);
    return read;
}

} // namespace ops
