#pragma once

// What a connected TCP socket still holds of the bytes handed to it: sent but not yet acknowledged by
// the peer, or not sent at all. Lets an upload see the peer's pace after the last byte left the program.

#include <QtGlobal>

namespace net {

// Bytes in the socket's send queue; -1 where the system cannot tell (or the descriptor is not open).
qint64 UnsentBytes(qintptr descriptor);

// Ends the sending direction (the peer reads the end of the stream) and keeps the socket open.
bool ShutdownSend(qintptr descriptor);

} // namespace net
