#include "sim/StopSignals.h"

#include <QCoreApplication>
#include <QMetaObject>

#include <windows.h>

namespace sim {
namespace {

// Runs on a thread of the system's: the quit is queued to the application's thread.
BOOL WINAPI onConsoleEvent(DWORD event) {
    switch (event) {
    case CTRL_C_EVENT:
    case CTRL_BREAK_EVENT:
    case CTRL_CLOSE_EVENT:
        if (QCoreApplication* app = QCoreApplication::instance())
            QMetaObject::invokeMethod(app, &QCoreApplication::quit, Qt::QueuedConnection);
        return TRUE;
    default:
        return FALSE;
    }
}

} // namespace

void QuitOnTerminationRequest(QCoreApplication&) {
    ::SetConsoleCtrlHandler(onConsoleEvent, TRUE);
}

} // namespace sim
