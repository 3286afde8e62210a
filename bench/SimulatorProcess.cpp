#include "SimulatorProcess.h"

#include <QDir>
#include <QFile>
#include <QTcpServer>
#include <QThread>

namespace {

quint16 freePort() {
    QTcpServer probe;
    probe.listen(QHostAddress(QStringLiteral("127.0.0.1")), 0);
    return probe.serverPort();
}

} // namespace

SimulatorProcess::SimulatorProcess(const QString& workDir) : m_workDir(workDir) {}

SimulatorProcess::~SimulatorProcess() {
    stop();
}

QString SimulatorProcess::logPath() const {
    return QDir(m_workDir).filePath(QStringLiteral("sim.log"));
}

bool SimulatorProcess::start(int controllers, const QString& firstAddress, const QStringList& extra) {
    m_targets.discoveryAddress = QHostAddress(QStringLiteral("127.0.0.1"));
    m_targets.discoveryPort = freePort();
    m_targets.commandPort = freePort();
    m_targets.ftpPort = freePort();
    m_process.setStandardOutputFile(logPath());
    m_process.setStandardErrorFile(QDir(m_workDir).filePath(QStringLiteral("sim.err")));
    m_process.start(QStringLiteral(KELVORA_SIM_PATH),
                    QStringList{QStringLiteral("--controllers"), QString::number(controllers),
                                QStringLiteral("--first-address"), firstAddress,
                                QStringLiteral("--command-port"), QString::number(m_targets.commandPort),
                                QStringLiteral("--ftp-port"), QString::number(m_targets.ftpPort),
                                QStringLiteral("--discovery"),
                                QStringLiteral("127.0.0.1:%1").arg(m_targets.discoveryPort),
                                QStringLiteral("--data-dir"), QDir(m_workDir).filePath(QStringLiteral("sim")),
                                QStringLiteral("--lifetime"), QStringLiteral("600")} +
                        extra);
    for (int i = 0; i < 400; ++i) {
        QThread::msleep(25);
        QFile log(logPath());
        if (log.open(QIODevice::ReadOnly) && log.readAll().contains("search service on"))
            return true;
    }
    return false;
}

void SimulatorProcess::stop() {
    if (m_process.state() == QProcess::NotRunning)
        return;
    m_process.terminate();
    m_process.waitForFinished(5000);
}
