#pragma once

// The command session of one operation: created for a controller entry with the credentials stored at
// its login, and disconnected and freed when the holder goes out of scope, on every path. A session
// belongs to the thread that made it: its socket and timers live there, and only that thread may use,
// close or free it.

#include "device/CommandSocket.h"

#include <QString>

#include <memory>

struct TDeviceEntry;

namespace ops {

class KeptSession;

class CommandSession {
public:
    // To the entry's IPAddress on the command port, with its stored UserName and Password.
    explicit CommandSession(const TDeviceEntry& entry);
    CommandSession(const QString& address, const QString& userName, const QString& password);
    ~CommandSession();
    CommandSession(const CommandSession&) = delete;
    CommandSession& operator=(const CommandSession&) = delete;

    // Connects and logs in; on the connection of a kept session (below) nothing is sent: that login
    // stands.
    bool login();
    // The controller wants a moment after the last command before the session goes away.
    void finish(int pauseMs = 200);

    TKLVSocket& socket() { return *m_socket; }

private:
    friend class KeptSession;
    struct OwnConnection {};
    // A connection of its own whatever is offered.
    CommandSession(OwnConnection, const QString& address, const QString& userName, const QString& password);
    void open(const QString& address, const QString& userName, const QString& password);

    std::unique_ptr<TKLVSocket> m_own;
    TKLVSocket* m_socket = nullptr;
    KeptSession* m_kept = nullptr; // whose connection this session goes on with
};

// A logged-in session that stays open for the operations that follow on the same controller: a
// controller takes one connection at a time and may still be busy closing the last one when the next
// arrives. While it is offered, a CommandSession made on this thread for the same address and the same
// credentials goes on over its connection instead of opening another, and leaves it open when it goes;
// its finish() closes the connection as always, and the sessions after that open their own again. The
// window makes none: each of its commands has a session of its own.
class KeptSession {
public:
    KeptSession(const QString& address, const QString& userName, const QString& password);
    ~KeptSession();
    KeptSession(const KeptSession&) = delete;
    KeptSession& operator=(const KeptSession&) = delete;

    CommandSession& session() { return m_session; }
    // From now on, until it goes, this thread's sessions for the same controller take it over.
    void offer();

private:
    friend class CommandSession;
    bool serves(const QString& address, const QString& userName, const QString& password) const;

    QString m_address;
    QString m_userName;
    QString m_password;
    CommandSession m_session;
    bool m_lent = false;
};

} // namespace ops
