#include "net/EventWait.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QTimer>

#include <algorithm>
#include <vector>

namespace net {
namespace {

struct ActiveWait {
    const std::function<bool()>* done;
    QEventLoop* loop;
};

thread_local std::vector<ActiveWait*> g_waits;

class WaitRegistration {
public:
    explicit WaitRegistration(ActiveWait* wait) : m_wait(wait) { g_waits.push_back(wait); }
    ~WaitRegistration() { g_waits.erase(std::remove(g_waits.begin(), g_waits.end(), m_wait), g_waits.end()); }
    WaitRegistration(const WaitRegistration&) = delete;
    WaitRegistration& operator=(const WaitRegistration&) = delete;

private:
    ActiveWait* m_wait;
};

} // namespace

bool waitUntil(const std::function<bool()>& done, int timeoutMs) {
    if (done())
        return true;
    if (timeoutMs <= 0 || QCoreApplication::instance() == nullptr) {
        QCoreApplication::processEvents();
        return done();
    }
    QEventLoop loop;
    QTimer deadline;
    deadline.setSingleShot(true);
    deadline.setTimerType(Qt::PreciseTimer);
    QObject::connect(&deadline, &QTimer::timeout, &loop, &QEventLoop::quit);
    ActiveWait wait{&done, &loop};
    WaitRegistration registration(&wait);
    deadline.start(timeoutMs);
    loop.exec();
    return done();
}

void wakeWaiters() {
    // Copy: a condition may run code that starts or ends another wait.
    const std::vector<ActiveWait*> waits = g_waits;
    for (ActiveWait* wait : waits) {
        if (std::find(g_waits.begin(), g_waits.end(), wait) != g_waits.end() && (*wait->done)())
            wait->loop->quit();
    }
}

void pause(int ms) {
    waitUntil([] { return false; }, ms);
}

int activeWaits() {
    return static_cast<int>(g_waits.size());
}

} // namespace net
