#pragma once

class QCoreApplication;

namespace sim {

// Quits the application's event loop on the system's termination request (SIGTERM and SIGINT, or on
// Windows the console's Ctrl+C, Ctrl+Break and close), so that temporary data folders are removed.
void QuitOnTerminationRequest(QCoreApplication& app);

} // namespace sim
