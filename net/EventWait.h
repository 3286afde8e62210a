#pragma once

#include <functional>

namespace net {

// The one way this program waits for a controller: the Qt event loop runs (sockets, timers, paints and
// clicks are all delivered) until `done` holds or `timeoutMs` milliseconds have passed. The CPU stays
// idle meanwhile; whoever may have made a condition true calls wakeWaiters() so the wait ends at once
// instead of at its deadline. Returns done() as it stands when the wait ends.
bool waitUntil(const std::function<bool()>& done, int timeoutMs);

// Lets every running wait test its condition again and end if it now holds.
void wakeWaiters();

// Plain pause that keeps the window alive (the device sometimes wants a breather between commands).
void pause(int ms);

// Number of waits currently running on this thread (nested waits count each).
int activeWaits();

} // namespace net
