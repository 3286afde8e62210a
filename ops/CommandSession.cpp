#include "ops/CommandSession.h"

#include "data/DeviceEntry.h"
#include "device/NetworkTargets.h"
#include "net/EventWait.h"

namespace ops {
namespace {

// The session this thread's operations may go on with; a thread's sessions never cross to another.
thread_local KeptSession* t_offered = nullptr;

} // namespace

CommandSession::CommandSession(const TDeviceEntry& entry)
    : CommandSession(entry.IPAddress, entry.UserName, entry.Password) {}

CommandSession::CommandSession(const QString& address, const QString& userName, const QString& password) {
    if (t_offered && !t_offered->m_lent && t_offered->m_address == address) {
        if (t_offered->serves(address, userName, password)) {
            m_kept = t_offered;
            m_kept->m_lent = true;
            m_socket = &m_kept->m_session.socket();
            return;
        }
        // Other credentials: the kept connection goes first, as every session before a new one does.
        t_offered->m_session.m_socket->Disconnect();
    }
    open(address, userName, password);
}

CommandSession::CommandSession(OwnConnection, const QString& address, const QString& userName,
                               const QString& password) {
    open(address, userName, password);
}

void CommandSession::open(const QString& address, const QString& userName, const QString& password) {
    m_own = std::make_unique<TKLVSocket>();
    m_socket = m_own.get();
    m_socket->Addr = address;
    m_socket->Port = QString::number(Targets().commandPort);
    m_socket->LoginName = userName;
    m_socket->LoginPassword = password;
}

bool CommandSession::login() {
    if (m_kept)
        return true;
    return m_socket->Login();
}

void CommandSession::finish(int pauseMs) {
    net::pause(pauseMs);
    m_socket->Disconnect();
}

CommandSession::~CommandSession() {
    if (m_kept) {
        m_kept->m_lent = false;
        return;
    }
    try {
        m_socket->Disconnect();
    } catch (...) {
        // The session is being freed anyway; a failing close must not end the program.
    }
}

KeptSession::KeptSession(const QString& address, const QString& userName, const QString& password)
    : m_address(address), m_userName(userName), m_password(password),
      m_session(CommandSession::OwnConnection{}, address, userName, password) {}

KeptSession::~KeptSession() {
    if (t_offered == this)
        t_offered = nullptr;
}

void KeptSession::offer() {
    t_offered = this;
}

bool KeptSession::serves(const QString& address, const QString& userName, const QString& password) const {
    // One borrower at a time, on a connection that still stands and was made with the very credentials
    // the borrower would send. A refused command leaves ErrorFlag set, but the next one clears it.
    return !m_lent && m_session.m_socket->isConnected() && m_session.m_socket->LoggedInFlag &&
           address == m_address && userName == m_userName && password == m_password;
}

} // namespace ops
