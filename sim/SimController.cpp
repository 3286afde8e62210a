#include "sim/SimController.h"

#include "sim/CommandService.h"
#include "sim/DemoData.h"
#include "sim/FtpServer.h"

#include <QDir>
#include <QTimer>

#include <algorithm>

namespace sim {

SimController::SimController(ControllerConfig config, QObject* parent)
    : QObject(parent), m_config(std::move(config)) {}

SimController::~SimController() = default;

bool SimController::start(QString* error) {
    if (m_config.dataDir.isEmpty()) {
        m_tempDir = std::make_unique<QTemporaryDir>();
        if (!m_tempDir->isValid()) {
            if (error)
                *error = QStringLiteral("cannot create a temporary data folder");
            return false;
        }
        m_config.dataDir = m_tempDir->path();
    }
    QDir().mkpath(m_config.dataDir + QStringLiteral("/firmware"));
    if (m_config.demoData)
        writeDemoData(*this);
    m_command = std::make_unique<CommandService>(*this);
    if (!m_command->listen(error))
        return false;
    m_ftp = std::make_unique<FtpServer>(*this);
    return m_ftp->listen(error);
}

QString SimController::dataFile(const QString& name) const {
    return QDir(m_config.dataDir).filePath(name);
}

QByteArray SimController::searchReply() const {
    const QString text = QStringLiteral("%1 %2 %3 %4 %5 %6")
                             .arg(QString::number(m_config.serial, 16).toUpper(),
                                  m_config.dhcp ? QStringLiteral("1") : QStringLiteral("0"), m_config.ip,
                                  m_config.subnetMask, m_config.gateway, m_config.name);
    return text.toLatin1();
}

void SimController::handleDiscoveryRequest(const QByteArray& datagram) {
    // "<serial> 5 1" switches DHCP on; "<serial> 5 0 <ip> <mask> <gateway>" sets fixed addresses.
    logEvent(QStringLiteral("ipconfig ") + QString::fromLatin1(datagram));
    const QList<QByteArray> fields = datagram.split(' ');
    if (fields.size() < 3 || fields.at(1) != "5")
        return;
    if (fields.at(2) == "1") {
        m_config.dhcp = true;
        return;
    }
    if (fields.at(2) == "0") {
        m_config.dhcp = false;
        m_config.ip = fields.size() > 3 ? QString::fromLatin1(fields.at(3)) : QString();
        m_config.subnetMask = fields.size() > 4 ? QString::fromLatin1(fields.at(4)) : QString();
        m_config.gateway = fields.size() > 5 ? QString::fromLatin1(fields.at(5)) : QString();
    }
}

void SimController::restart() {
    if (m_restarting)
        return;
    m_restarting = true;
    logEvent(QStringLiteral("restart"));
    m_command->suspend();
    m_ftp->suspend();
    QTimer::singleShot(std::max(0, m_config.command.restartDowntimeMs), this, [this] {
        QString error;
        const bool back = m_command->resume(&error) && m_ftp->resume(&error);
        m_restarting = false;
        logEvent(back ? QStringLiteral("restarted") : QStringLiteral("restart failed: ") + error);
    });
}

void SimController::logEvent(const QString& line) {
    m_events.append(line);
    Q_EMIT eventLogged(line);
}

} // namespace sim
