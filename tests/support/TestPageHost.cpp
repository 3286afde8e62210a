#include "support/TestPageHost.h"

TestPageHost::TestPageHost() : ftp(std::make_unique<ops::FtpLink>()) {
    progress.setRange(0, 100);
    QObject::connect(ftp.get(), &ops::FtpLink::progress, &progress, [this](qint64 bytes) {
        progress.setValue(static_cast<int>(std::min<qint64>(bytes, 100)));
    });
    QObject::connect(ftp.get(), &ops::FtpLink::requestDone, &progress, [this] { progress.setValue(0); });
}

CommandScope TestPageHost::beginCommand() {
    ++busyCount;
    ++commandsBegun;
    return CommandScope([this] { --busyCount; });
}
