#pragma once

#include <QApplication>

#include <utility>

// The hourglass while a command waits for a controller; the normal cursor comes back on every path.
class WaitCursor {
public:
    WaitCursor() { QApplication::setOverrideCursor(Qt::WaitCursor); }
    ~WaitCursor() { QApplication::restoreOverrideCursor(); }
    WaitCursor(const WaitCursor&) = delete;
    WaitCursor& operator=(const WaitCursor&) = delete;
};

// Runs the call under the hourglass and hands back what it returns.
template <typename Call> auto WhileWaiting(Call&& call) {
    const WaitCursor hourglass;
    return std::forward<Call>(call)();
}
