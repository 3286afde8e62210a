#include "ops/FileSession.h"

#include "data/DeviceEntry.h"
#include "net/EventWait.h"

namespace ops {

FileSession::FileSession(const TDeviceEntry& entry) : m_entry(entry), m_session(entry) {}

Outcome FileSession::open() {
    m_session.login();
    m_session->StartKeepAlive();
    if (FirmwareAtLeast(m_entry, 32) && !m_session->RequestFileAccess())
        return Outcome::FileAccessRefused;
    return Outcome::Ok;
}

void FileSession::finish(int pauseMs) {
    net::pause(pauseMs);
    m_session->Disconnect();
}

} // namespace ops
