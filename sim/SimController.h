#pragma once

#include "sim/ControllerConfig.h"

#include <QObject>
#include <QStringList>
#include <QTemporaryDir>

#include <memory>

namespace sim {

class CommandService;
class FtpServer;

// One simulated Kelvora compact: its identity, its data folder and its TCP and FTP services. The UDP
// search is answered for all controllers of a process by one DiscoveryService.
class SimController : public QObject {
    Q_OBJECT
public:
    explicit SimController(ControllerConfig config, QObject* parent = nullptr);
    ~SimController() override;

    // Prepares the data folder and starts listening; false with a reason when a service can't.
    bool start(QString* error = nullptr);

    ControllerConfig& config() { return m_config; }
    const ControllerConfig& config() const { return m_config; }
    QString dataDir() const { return m_config.dataDir; }
    QString dataFile(const QString& name) const;

    CommandService* commandService() const { return m_command.get(); }
    FtpServer* ftpServer() const { return m_ftp.get(); }

    // The text this controller answers a search with.
    QByteArray searchReply() const;
    // A request of the discovery protocol addressed to this controller (its serial matched).
    void handleDiscoveryRequest(const QByteArray& datagram);

    // The restart command: the connections end, the services are gone for restartDowntimeMs, then the
    // controller is back ("restart" and "restarted" in the events).
    void restart();
    bool restarting() const { return m_restarting; }

    // What happened, one line per event, for tests and the demo's console ("ipconfig 12AB3 5 1", ...).
    const QStringList& events() const { return m_events; }
    void logEvent(const QString& line);

Q_SIGNALS:
    void eventLogged(const QString& line);

private:
    ControllerConfig m_config;
    std::unique_ptr<QTemporaryDir> m_tempDir;
    std::unique_ptr<CommandService> m_command;
    std::unique_ptr<FtpServer> m_ftp;
    QStringList m_events;
    bool m_restarting = false;
};

} // namespace sim
