#pragma once

class QAbstractSocket;

namespace sim {

// Ends the connection with a reset instead of an orderly close: a zero linger time, then abort. The
// peer sees "connection reset", as when a controller is switched off in the middle of a transfer.
// False when the system refused the linger time (the connection is aborted all the same).
bool ResetConnection(QAbstractSocket& socket);

} // namespace sim
