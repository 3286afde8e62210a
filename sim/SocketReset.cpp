#include "sim/SocketReset.h"

#include <QAbstractSocket>

#ifdef Q_OS_WIN
#include <winsock2.h>
#else
#include <sys/socket.h>
#endif

namespace sim {

bool ResetConnection(QAbstractSocket& socket) {
    const linger option{1, 0};
#ifdef Q_OS_WIN
    const bool set = ::setsockopt(static_cast<SOCKET>(socket.socketDescriptor()), SOL_SOCKET, SO_LINGER,
                                  reinterpret_cast<const char*>(&option), sizeof(option)) == 0;
#else
    const bool set = ::setsockopt(static_cast<int>(socket.socketDescriptor()), SOL_SOCKET, SO_LINGER, &option,
                                  sizeof(option)) == 0;
#endif
    socket.abort();
    return set;
}

} // namespace sim
