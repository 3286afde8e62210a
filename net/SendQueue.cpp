#include "net/SendQueue.h"

#if defined(Q_OS_LINUX)
#include <linux/sockios.h>
#include <sys/ioctl.h>
#include <sys/socket.h>
#elif defined(Q_OS_WIN)
#include <winsock2.h>
#else
#include <sys/socket.h>
#endif

namespace net {

qint64 UnsentBytes(qintptr descriptor) {
#if defined(Q_OS_LINUX)
    int queued = 0;
    if (descriptor < 0 || ::ioctl(static_cast<int>(descriptor), SIOCOUTQ, &queued) != 0)
        return -1;
    return queued;
#else
    Q_UNUSED(descriptor);
    return -1;
#endif
}

bool ShutdownSend(qintptr descriptor) {
    if (descriptor < 0)
        return false;
#if defined(Q_OS_WIN)
    return ::shutdown(static_cast<SOCKET>(descriptor), SD_SEND) == 0;
#else
    return ::shutdown(static_cast<int>(descriptor), SHUT_WR) == 0;
#endif
}

} // namespace net
