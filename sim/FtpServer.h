#pragma once

#include <QObject>
#include <QString>
#include <QTcpServer>

#include <memory>
#include <vector>

namespace sim {

class FtpSession;
class SimController;

// The controller's FTP server: RFC 959 on the controller's address and FTP port, serving its data folder.
// Every connection gets its own FtpSession.
class FtpServer : public QObject {
    Q_OBJECT
public:
    explicit FtpServer(SimController& controller, QObject* parent = nullptr);
    ~FtpServer() override;

    bool listen(QString* error);
    quint16 port() const { return m_server.serverPort(); }
    int sessionCount() const { return static_cast<int>(m_sessions.size()); }
    // A restarting device: every session ends and new connections are refused until resume().
    void suspend();
    bool resume(QString* error = nullptr);

private:
    void onNewConnection();
    void sweep();

    SimController& m_controller;
    QTcpServer m_server;
    std::vector<std::unique_ptr<FtpSession>> m_sessions;
};

} // namespace sim
