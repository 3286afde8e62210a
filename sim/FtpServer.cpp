#include "sim/FtpServer.h"

#include "sim/SimController.h"

namespace sim {

FtpServer::FtpServer(SimController& controller, QObject* parent) : QObject(parent), m_controller(controller) {}

bool FtpServer::listen(QString*) {
    return true;
}

} // namespace sim
