#pragma once

// kelvora-sim as a process of its own on loopback, so that a benchmark measures the tool and not an
// event loop it shares with the simulated controllers. Stopped when the object goes.

#include "device/NetworkTargets.h"

#include <QProcess>
#include <QString>
#include <QStringList>

class SimulatorProcess {
public:
    // The simulator's data folders and its output go below workDir.
    explicit SimulatorProcess(const QString& workDir);
    ~SimulatorProcess();
    SimulatorProcess(const SimulatorProcess&) = delete;
    SimulatorProcess& operator=(const SimulatorProcess&) = delete;

    // `controllers` controllers from firstAddress on, on free ports, with their demo data; waits until
    // the search service is up (false when it is not within 10 s). It stops by itself after 10 minutes.
    // `extra` goes to kelvora-sim as it is (fault switches: "--ftp-slow", "1024:10").
    bool start(int controllers, const QString& firstAddress = QStringLiteral("127.0.0.2"),
               const QStringList& extra = {});
    void stop();

    // Where the tool must send to reach them.
    const NetworkTargets& targets() const { return m_targets; }
    QString logPath() const;

private:
    QString m_workDir;
    QProcess m_process;
    NetworkTargets m_targets;
};
