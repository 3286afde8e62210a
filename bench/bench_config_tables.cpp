// How long loading and saving a full configuration (16 modules, 1000 transponders) takes against the
// simulator on loopback. The operations include the controller's own 200 ms pause before the session
// closes; the transfer itself should add well under 100 ms.

#include "data/DeviceEntry.h"
#include "device/NetworkTargets.h"
#include "device/ProgramFolder.h"
#include "net/FtpClient.h"
#include "ops/ConfigTables.h"
#include "ops/FileOperation.h"
#include "ops/FtpLink.h"
#include "ops/Login.h"
#include "sim/SimController.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTcpServer>
#include <QTemporaryDir>
#include <QTextStream>

#include <algorithm>
#include <vector>

namespace {

quint16 freePort() {
    QTcpServer probe;
    probe.listen(QHostAddress(QStringLiteral("127.0.0.1")), 0);
    return probe.serverPort();
}

double median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    QTextStream out(stdout);
    QTemporaryDir appDir;
    SetAppDir(appDir.path());

    sim::ControllerConfig config; // demo tables: 16 modules, 1000 transponders
    config.commandPort = freePort();
    config.ftpPort = freePort();
    sim::SimController controller(config);
    QString error;
    if (!controller.start(&error)) {
        out << "simulator: " << error << Qt::endl;
        return 1;
    }
    NetworkTargets targets;
    targets.discoveryAddress = QHostAddress(QStringLiteral("127.0.0.1"));
    targets.commandPort = config.commandPort;
    targets.ftpPort = config.ftpPort;
    SetTargets(targets);

    TDeviceEntry entry;
    entry.IPAddress = config.address.toString();
    const ops::LoginResult login =
        ops::LoginDevice(entry.IPAddress, QStringLiteral("admin"), QStringLiteral("admin"));
    ops::StoreLogin(entry, login, QStringLiteral("admin"), QStringLiteral("admin"));
    ops::FtpLink link;
    TFtpClient& ftp = link.client();

    QElapsedTimer requestClock;
    requestClock.start();
    if (qEnvironmentVariableIsSet("BENCH_TRACE"))
        QObject::connect(&ftp, &TFtpClient::OnRequestDone, [&](int status) {
            out << "  request done " << status << " after " << requestClock.restart() << " ms" << Qt::endl;
        });
    const int rounds = argc > 1 ? QString::fromLocal8Bit(argv[1]).toInt() : 10;
    std::vector<double> loads, saves;
    for (int i = 0; i < rounds; ++i) {
        QElapsedTimer clock;
        clock.start();
        {
            ops::FileOperation session(entry, link);
            session.open();
            const qint64 opened = clock.elapsed();
            ops::ClearTables(entry);
            if (ops::DownloadTables(session) != ops::Outcome::Ok) {
                out << "load failed" << Qt::endl;
                return 1;
            }
            const qint64 downloaded = clock.elapsed();
            ops::ClearTables(entry);
            ops::ReadTables(entry);
            const qint64 read = clock.elapsed();
            session.finish();
            if (i == 0)
                out << "load phases: session " << opened << " ms, download " << downloaded - opened
                    << " ms, read " << read - downloaded << " ms, close " << clock.elapsed() - read << " ms"
                    << Qt::endl;
        }
        loads.push_back(clock.nsecsElapsed() / 1e6);
        clock.restart();
        {
            ops::FileOperation session(entry, link);
            session.open();
            if (ops::UploadTables(session, entry) != ops::Outcome::Ok) {
                out << "save failed" << Qt::endl;
                return 1;
            }
            session.finish();
        }
        saves.push_back(clock.nsecsElapsed() / 1e6);
    }
    out << "tables: " << entry.Modules.size() << " modules, " << entry.Transponders.size() << " transponders"
        << Qt::endl;
    out << "load: median " << median(loads) << " ms (200 ms pause included, budget 300 ms)" << Qt::endl;
    out << "save: median " << median(saves) << " ms (200 ms pause included, budget 300 ms)" << Qt::endl;
    return median(loads) < 300 && median(saves) < 300 ? 0 : 2;
}
