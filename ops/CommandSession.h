#pragma once

// The command session of one operation: created for a controller entry with the credentials stored at
// its login, and disconnected and freed when the holder goes out of scope, on every path.

#include "device/CommandSocket.h"

#include <QString>

#include <memory>

struct TDeviceEntry;

namespace ops {

class CommandSession {
public:
    // To the entry's IPAddress on the command port, with its stored UserName and Password.
    explicit CommandSession(const TDeviceEntry& entry);
    CommandSession(const QString& address, const QString& userName, const QString& password);
    ~CommandSession();
    CommandSession(const CommandSession&) = delete;
    CommandSession& operator=(const CommandSession&) = delete;

    bool login() { return m_socket->Login(); }
    // The controller wants a moment after the last command before the session goes away.
    void finish(int pauseMs = 200);

    TKLVSocket& socket() { return *m_socket; }

private:
    std::unique_ptr<TKLVSocket> m_socket;
};

} // namespace ops
