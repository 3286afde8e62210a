#include "ops/CommandSession.h"

#include "data/DeviceEntry.h"
#include "device/NetworkTargets.h"
#include "net/EventWait.h"

namespace ops {

CommandSession::CommandSession(const TDeviceEntry& entry)
    : CommandSession(entry.IPAddress, entry.UserName, entry.Password) {}

CommandSession::CommandSession(const QString& address, const QString& userName, const QString& password)
    : m_socket(std::make_unique<TKLVSocket>()) {
    m_socket->Addr = address;
    m_socket->Port = QString::number(Targets().commandPort);
    m_socket->LoginName = userName;
    m_socket->LoginPassword = password;
}

void CommandSession::finish(int pauseMs) {
    net::pause(pauseMs);
    m_socket->Disconnect();
}

CommandSession::~CommandSession() {
    try {
        m_socket->Disconnect();
    } catch (...) {
        // The session is being freed anyway; a failing close must not end the program.
    }
}

} // namespace ops
