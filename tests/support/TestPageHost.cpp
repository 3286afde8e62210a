#include "support/TestPageHost.h"

TestPageHost::TestPageHost() : ftp(std::make_unique<ops::FtpLink>()) {}

CommandScope TestPageHost::beginCommand() {
    ++busyCount;
    ++commandsBegun;
    return CommandScope([this] { --busyCount; });
}
