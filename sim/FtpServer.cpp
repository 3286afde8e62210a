#include "sim/FtpServer.h"

#include "sim/FtpSession.h"
#include "sim/SimController.h"

#include <QTimer>

#include <algorithm>

namespace sim {

FtpServer::FtpServer(SimController& controller, QObject* parent) : QObject(parent), m_controller(controller) {
    connect(&m_server, &QTcpServer::newConnection, this, &FtpServer::onNewConnection);
}

FtpServer::~FtpServer() = default;

bool FtpServer::listen(QString* error) {
    ControllerConfig& config = m_controller.config();
    if (!m_server.listen(config.address, config.ftpPort)) {
        if (error)
            *error = QStringLiteral("FTP %1:%2: %3")
                         .arg(config.address.toString())
                         .arg(config.ftpPort)
                         .arg(m_server.errorString());
        return false;
    }
    m_controller.config().ftpPort = m_server.serverPort();
    return true;
}

void FtpServer::suspend() {
    m_server.close();
    m_sessions.clear();
}

bool FtpServer::resume(QString* error) {
    return m_server.isListening() || listen(error);
}

void FtpServer::onNewConnection() {
    while (QTcpSocket* socket = m_server.nextPendingConnection()) {
        auto session = std::make_unique<FtpSession>(m_controller, socket);
        // A session ends inside its own socket's signal; it is removed once that has returned.
        connect(session.get(), &FtpSession::ended, this,
                [this] { QTimer::singleShot(0, this, &FtpServer::sweep); });
        m_sessions.push_back(std::move(session));
    }
}

void FtpServer::sweep() {
    m_sessions.erase(
        std::remove_if(m_sessions.begin(), m_sessions.end(),
                       [](const std::unique_ptr<FtpSession>& session) { return session->isEnded(); }),
        m_sessions.end());
}

} // namespace sim
