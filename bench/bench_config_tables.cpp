// How long loading and saving a full configuration (16 modules, 1000 transponders) takes against the
// simulator on loopback. The simulator runs as a process of its own, so its work does not share this
// program's event loop; each operation is split into its phases: the session (login, keep-alive, file
// access), the transfer, reading or writing the records, and the controller's 200 ms pause before the
// session closes. Everything but the pause should stay well under 100 ms.

#include "data/DeviceEntry.h"
#include "device/NetworkTargets.h"
#include "device/ProgramFolder.h"
#include "ops/ConfigTables.h"
#include "ops/FileOperation.h"
#include "ops/FtpLink.h"
#include "ops/Login.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QProcess>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QTextStream>
#include <QThread>

#include <algorithm>
#include <vector>

namespace {

const QString kAddress = QStringLiteral("127.0.0.2");

quint16 freePort() {
    QTcpServer probe;
    probe.listen(QHostAddress(QStringLiteral("127.0.0.1")), 0);
    return probe.serverPort();
}

double median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

struct Phases {
    std::vector<double> session, transfer, records, pause, total;
    void report(QTextStream& out, const char* name) const {
        out << name << ": median " << median(total) << " ms = session " << median(session) << " + transfer "
            << median(transfer) << " + records " << median(records) << " + pause " << median(pause)
            << " ms (budget: pause + 100 ms)" << Qt::endl;
    }
    double overPause() const { return median(total) - median(pause); }
};

bool waitForListener(quint16 port) {
    for (int attempt = 0; attempt < 100; ++attempt) {
        QTcpSocket probe;
        probe.connectToHost(kAddress, port);
        if (probe.waitForConnected(100))
            return true;
        QThread::msleep(50);
    }
    return false;
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    QTextStream out(stdout);
    QTemporaryDir appDir;
    QTemporaryDir simDir;
    SetAppDir(appDir.path());

    NetworkTargets targets;
    targets.discoveryAddress = QHostAddress(QStringLiteral("127.0.0.1"));
    targets.discoveryPort = freePort();
    targets.commandPort = freePort();
    targets.ftpPort = freePort();
    SetTargets(targets);

    // Demo tables: 16 modules, 1000 transponders.
    QProcess simulator;
    simulator.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    simulator.start(QCoreApplication::applicationDirPath() + QStringLiteral("/../sim/kelvora-sim"),
                    {QStringLiteral("--discovery"), QStringLiteral("127.0.0.1:%1").arg(targets.discoveryPort),
                     QStringLiteral("--command-port"), QString::number(targets.commandPort),
                     QStringLiteral("--ftp-port"), QString::number(targets.ftpPort),
                     QStringLiteral("--data-dir"), simDir.path(), QStringLiteral("--lifetime"),
                     QStringLiteral("300")});
    if (!simulator.waitForStarted(5000) || !waitForListener(targets.ftpPort)) {
        out << "the simulator did not start" << Qt::endl;
        return 1;
    }

    TDeviceEntry entry;
    entry.IPAddress = kAddress;
    const ops::LoginResult login =
        ops::LoginDevice(entry.IPAddress, QStringLiteral("admin"), QStringLiteral("admin"));
    ops::StoreLogin(entry, login, QStringLiteral("admin"), QStringLiteral("admin"));
    ops::FtpLink link;

    const int rounds = argc > 1 ? QString::fromLocal8Bit(argv[1]).toInt() : 10;
    Phases loads, saves;
    for (int i = 0; i < rounds; ++i) {
        QElapsedTimer clock;
        clock.start();
        {
            ops::FileOperation operation(entry, link);
            operation.open();
            const double opened = clock.nsecsElapsed() / 1e6;
            ops::ClearTables(entry);
            if (ops::DownloadTables(operation) != ops::Outcome::Ok) {
                out << "load failed" << Qt::endl;
                return 1;
            }
            const double downloaded = clock.nsecsElapsed() / 1e6;
            ops::ReadTables(entry);
            const double read = clock.nsecsElapsed() / 1e6;
            operation.finish();
            const double total = clock.nsecsElapsed() / 1e6;
            loads.session.push_back(opened);
            loads.transfer.push_back(downloaded - opened);
            loads.records.push_back(read - downloaded);
            loads.pause.push_back(total - read);
            loads.total.push_back(total);
        }
        clock.restart();
        {
            ops::FileOperation operation(entry, link);
            operation.open();
            const double opened = clock.nsecsElapsed() / 1e6;
            if (ops::UploadTables(operation, entry) != ops::Outcome::Ok) {
                out << "save failed" << Qt::endl;
                return 1;
            }
            const double uploaded = clock.nsecsElapsed() / 1e6;
            operation.finish();
            const double total = clock.nsecsElapsed() / 1e6;
            saves.session.push_back(opened);
            saves.transfer.push_back(uploaded - opened); // writing the records is part of the upload
            saves.records.push_back(0);
            saves.pause.push_back(total - uploaded);
            saves.total.push_back(total);
        }
    }
    simulator.kill();
    simulator.waitForFinished(2000);

    out << "tables: " << entry.Modules.size() << " modules, " << entry.Transponders.size()
        << " transponders, " << rounds << " rounds" << Qt::endl;
    loads.report(out, "load");
    saves.report(out, "save");
    return loads.overPause() < 100 && saves.overPause() < 100 ? 0 : 2;
}
