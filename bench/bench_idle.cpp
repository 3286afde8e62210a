// bench_idle: each operation's time set against the waits it is obliged to make, the CPU the tool takes
// while it waits for a silent controller and for a stalled FTP transfer, and the window's resident
// memory at idle, with 100 controllers found and with 10 000 transponders loaded.
//
//   bench_idle [rounds]
//       on loopback, against kelvora-sim as a process of its own (targets moved by SetTargets)
//   bench_idle --wire --netns <name> --sim-data <folder> [rounds]
//       on the wire test's veth with the product's own targets: started by
//       tests/wire/run-wire-test.sh <kelvora-sim> <bench_idle> bench, only inside its namespace
//
// Targets: the CPU of a wait stays under 1 % of a core; the resident memory stays under 60 MiB.

#include "data/DeviceEntry.h"
#include "device/CommandSocket.h"
#include "device/Discovery.h"
#include "device/NetworkTargets.h"
#include "device/ProgramFolder.h"
#include "net/EventWait.h"
#include "ops/Backup.h"
#include "ops/ConfigTables.h"
#include "ops/Configuration.h"
#include "ops/FileOperation.h"
#include "ops/FtpLink.h"
#include "ops/Logbook.h"
#include "ops/Login.h"
#include "ops/ModuleStatus.h"
#include "ops/Update.h"
#include "support/NamespaceGuard.h"
#include "support/ScriptedPrompter.h"
#include "support/SiteFixture.h"
#include "support/WidgetLookup.h"
#include "ui/MainWindow.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QPushButton>
#include <QTcpServer>
#include <QTemporaryDir>
#include <QTextStream>
#include <QThread>

#include <sys/resource.h>

#include <algorithm>
#include <functional>
#include <memory>
#include <vector>

namespace {

QTextStream out(stdout);

quint16 freePort() {
    QTcpServer probe;
    probe.listen(QHostAddress(QStringLiteral("127.0.0.1")), 0);
    return probe.serverPort();
}

double median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values.empty() ? -1.0 : values[values.size() / 2];
}

double cpuMs() {
    rusage usage{};
    ::getrusage(RUSAGE_SELF, &usage);
    return (usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) * 1000.0 +
           (usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1000.0;
}

double residentMiB() {
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray& line : status.readAll().split('\n')) {
        if (line.startsWith("VmRSS:"))
            return line.mid(6).trimmed().split(' ').value(0).toDouble() / 1024.0;
    }
    return -1;
}

// kelvora-sim as a process of its own on loopback; stops with the object (and by itself at the latest).
class Simulator {
public:
    Simulator(const QString& dataDir, const QStringList& extra) {
        commandPort = freePort();
        ftpPort = freePort();
        discoveryPort = freePort();
        m_log = dataDir + QStringLiteral(".log");
        m_process.setStandardOutputFile(m_log);
        m_process.setStandardErrorFile(m_log + QStringLiteral(".err"));
        m_process.start(
            QStringLiteral(KELVORA_SIM_PATH),
            QStringList{QStringLiteral("--first-address"), QStringLiteral("127.0.0.2"),
                        QStringLiteral("--command-port"), QString::number(commandPort),
                        QStringLiteral("--ftp-port"), QString::number(ftpPort), QStringLiteral("--discovery"),
                        QStringLiteral("127.0.0.1:%1").arg(discoveryPort), QStringLiteral("--data-dir"),
                        dataDir, QStringLiteral("--lifetime"), QStringLiteral("600")} +
                extra);
        for (int i = 0; i < 400 && !ready; ++i) {
            QThread::msleep(25);
            QFile log(m_log);
            ready = log.open(QIODevice::ReadOnly) && log.readAll().contains("search service on");
        }
        NetworkTargets targets;
        targets.discoveryAddress = QHostAddress(QStringLiteral("127.0.0.1"));
        targets.discoveryPort = discoveryPort;
        targets.commandPort = commandPort;
        targets.ftpPort = ftpPort;
        SetTargets(targets);
    }
    ~Simulator() {
        m_process.terminate();
        m_process.waitForFinished(5000);
    }
    bool ready = false;
    quint16 commandPort = 0;
    quint16 ftpPort = 0;
    quint16 discoveryPort = 0;

private:
    QProcess m_process;
    QString m_log;
};

struct Timing {
    const char* name;
    double mandatedMs; // pauses and waits the operation is obliged to make even against a quick controller
    std::function<bool()> step;
};

// Each operation `rounds` times against a logged-in controller: median, mandated waits, the rest.
bool timeOperations(const QString& address, int rounds, const QString& work) {
    TDeviceEntry entry;
    entry.IPAddress = address;
    const QString user = QStringLiteral("admin");
    ops::StoreLogin(entry, ops::LoginDevice(address, user, user), user, user);
    if (!entry.LoggedIn) {
        out << "login to " << address << " failed" << Qt::endl;
        return false;
    }
    ops::FtpLink link;
    ops::KeptLogbook kept;
    const QString folder = work + QStringLiteral("/Sicherung");
    QDir().mkpath(folder);
    const QString image = work + QStringLiteral("/kc_update.klv");
    {
        QFile file(image);
        file.open(QIODevice::WriteOnly);
        file.write(QByteArray(64 * 1024, '\x5A'));
    }
    const std::vector<Timing> timings = {
        {"search (replies, then 4 empty polls)", 4 * 100.0,
         [] {
             TIPCInfo search;
             QStringList replies;
             return search.FindDevices(replies);
         }},
        {"IP configuration (2 datagrams)", 2 * 50.0,
         [&] {
             // Serial 0: every controller hears the datagrams, none takes them.
             TIPCInfo info;
             info.SendIPConfig(0, false, entry.IPAddress, QStringLiteral("255.255.255.0"),
                               address.left(address.lastIndexOf(QLatin1Char('.'))) + QStringLiteral(".1"));
             return true;
         }},
        {"login and device information", 0, [&] { return ops::LoginDevice(address, user, user).infoValid; }},
        {"load configuration", 200, [&] { return ops::LoadConfiguration(entry, link).ok(); }},
        {"save configuration", 200, [&] { return ops::SaveConfiguration(entry, link).ok(); }},
        {"activate (phases 0 and 1)", 0,
         [&] {
             ops::FileOperation operation(entry, link);
             if (operation.open() != ops::Outcome::Ok)
                 return false;
             ops::ActivateTables(operation.session().socket());
             operation.finish(0);
             return true;
         }},
        {"logbook read", 200,
         [&] { return ops::ReadLogbook(entry, link, kept).outcome == ops::Outcome::Ok; }},
        {"backup", 0, [&] { return ops::BackupConfiguration(entry, link, folder).ok(); }},
        {"restore", 0, [&] { return ops::RestoreConfiguration(entry, link, folder).ok(); }},
        {"update upload (64 KiB)", 0, [&] { return ops::UploadUpdate(entry, link, image).ok(); }},
        {"module status", 0, [&] { return ops::ReadModuleStatus(entry).outcome == ops::Outcome::Ok; }},
    };
    out << qSetFieldWidth(40) << Qt::left << "operation" << qSetFieldWidth(0)
        << "median ms  mandated ms  rest ms" << Qt::endl;
    for (const Timing& timing : timings) {
        std::vector<double> times;
        for (int i = 0; i < rounds; ++i) {
            // A moment for the controller to see the last connection close, as between two clicks.
            net::pause(100);
            QElapsedTimer clock;
            clock.start();
            if (!timing.step()) {
                out << timing.name << ": failed" << Qt::endl;
                return false;
            }
            times.push_back(static_cast<double>(clock.nsecsElapsed()) / 1e6);
        }
        const double m = median(times);
        out << qSetFieldWidth(40) << Qt::left << timing.name << qSetFieldWidth(9) << Qt::right
            << QString::number(m, 'f', 1) << qSetFieldWidth(13) << QString::number(timing.mandatedMs, 'f', 0)
            << qSetFieldWidth(9) << QString::number(m - timing.mandatedMs, 'f', 1) << qSetFieldWidth(0)
            << Qt::left << Qt::endl;
    }
    return true;
}

// CPU of this process over a wait that the controller makes long.
void cpuOfWait(const char* what, const std::function<void()>& wait) {
    const double cpuBefore = cpuMs();
    QElapsedTimer clock;
    clock.start();
    wait();
    const double wall = static_cast<double>(clock.elapsed());
    const double cpu = cpuMs() - cpuBefore;
    out << what << ": " << QString::number(cpu, 'f', 1) << " ms CPU in " << QString::number(wall, 'f', 0)
        << " ms = " << QString::number(100.0 * cpu / wall, 'f', 2) << " % of a core (target < 1 %)"
        << Qt::endl;
}

bool loopbackFigures(int rounds, const QString& work) {
    {
        Simulator sim(work + QStringLiteral("/ops"), {QStringLiteral("--controllers"), QStringLiteral("1")});
        if (!sim.ready)
            return false;
        out << "== operations on loopback, " << rounds << " rounds" << Qt::endl;
        if (!timeOperations(QStringLiteral("127.0.0.2"), rounds, work))
            return false;
    }
    {
        Simulator sim(work + QStringLiteral("/silent"),
                      {QStringLiteral("--controllers"), QStringLiteral("1"), QStringLiteral("--unanswered"),
                       QStringLiteral("0,1,2,4,100,106,107,108")});
        TDeviceEntry entry;
        entry.IPAddress = QStringLiteral("127.0.0.2");
        entry.InfoValid = true;
        entry.Info.FirmwareMajor = 1;
        entry.Info.FirmwareMinor = 39;
        ops::FtpLink link;
        out << "== CPU while waiting" << Qt::endl;
        cpuOfWait("silent controller (login 30 cycles, file access 30 cycles, keep-alive on)", [&] {
            ops::FileOperation operation(entry, link);
            operation.open();
        });
    }
    {
        Simulator sim(work + QStringLiteral("/stall"),
                      {QStringLiteral("--controllers"), QStringLiteral("1"),
                       QStringLiteral("--ftp-stall-after"), QStringLiteral("1000")});
        TDeviceEntry entry;
        entry.IPAddress = QStringLiteral("127.0.0.2");
        const QString user = QStringLiteral("admin");
        ops::StoreLogin(entry, ops::LoginDevice(entry.IPAddress, user, user), user, user);
        ops::FtpLink link; // the product's 15 s
        cpuOfWait("FTP stall (download stops after 1000 bytes, 15 s time-out, keep-alive on)", [&] {
            ops::FileOperation operation(entry, link);
            operation.open();
            ops::DownloadTables(operation);
        });
    }
    return true;
}

bool memoryFigures(const QString& work) {
    out << "== resident memory of the window (offscreen)" << Qt::endl;
    TempSettings settings;
    SetAppDir(work + QStringLiteral("/app"));
    QDir().mkpath(work + QStringLiteral("/app"));
    ScriptedPrompter prompter;
    // 100 controllers; the first holds 10 000 transponders.
    const QString data = work + QStringLiteral("/hundred");
    QDir().mkpath(data + QStringLiteral("/controller-1"));
    {
        QFile file(data + QStringLiteral("/controller-1/trans.dat"));
        file.open(QIODevice::WriteOnly);
        QByteArray record(89, '\0');
        for (int i = 0; i < 10000; ++i) {
            const QByteArray name = QStringLiteral("Person %1").arg(i).toLatin1();
            record.fill('\0');
            record.replace(0, name.size(), name);
            record[30] = '\x10';
            file.write(record);
        }
    }
    Simulator sim(data, {QStringLiteral("--controllers"), QStringLiteral("100"),
                         QStringLiteral("--max-transponders"), QStringLiteral("10000")});
    if (!sim.ready)
        return false;
    // Nothing answers the first search. The simulator is up already (a process of its own): the window's
    // FTP link takes the FTP port when the window is made.
    const NetworkTargets simTargets = Targets();
    NetworkTargets nowhere = simTargets;
    nowhere.discoveryPort = freePort();
    SetTargets(nowhere);
    auto window = std::make_unique<TMain_Dlg>(prompter);
    window->setChangeDelay(0);
    window->show();
    net::waitUntil([&] { return !window->busy() && !prompter.messages().isEmpty(); }, 5000);
    net::pause(200);
    out << "idle, no controller found: " << QString::number(residentMiB(), 'f', 1) << " MiB" << Qt::endl;

    SetTargets(simTargets);
    window->Aktualisieren1Click();
    net::waitUntil([&] { return !window->busy() && Main_LV(*window)->topLevelItem(0)->childCount() == 100; },
                   10000);
    out << "100 controllers found (" << Main_LV(*window)->topLevelItem(0)->childCount()
        << " nodes): " << QString::number(residentMiB(), 'f', 1) << " MiB" << Qt::endl;

    QTreeWidgetItem* device = Main_LV(*window)->topLevelItem(0)->child(0);
    prompter.dialogAnswers.push_back(TypeCredentials(QStringLiteral("admin"), QStringLiteral("admin")));
    Main_LV(*window)->setCurrentItem(device);
    device->setExpanded(true);
    Main_LV(*window)->setCurrentItem(window->deviceTree().configNode(window->deviceList().at(0)));
    Child<QPushButton>(*window, QStringLiteral("LoadConfig_BTN"))->click();
    net::pause(200);
    if (window->deviceList().at(0).Transponders.empty())
        out << "load failed: " << prompter.messages().join(QStringLiteral(" | ")) << Qt::endl;
    out << window->deviceList().at(0).Transponders.size()
        << " transponders loaded: " << QString::number(residentMiB(), 'f', 1) << " MiB (target <= 60 MiB)"
        << Qt::endl;
    window.reset();
    return true;
}

} // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QStringList arguments = QCoreApplication::arguments();
    bool wire = false;
    QString netns;
    int rounds = 10;
    for (int i = 1; i < arguments.size(); ++i) {
        if (arguments.at(i) == QLatin1String("--wire"))
            wire = true;
        else if (arguments.at(i) == QLatin1String("--netns") && i + 1 < arguments.size())
            netns = arguments.at(++i);
        else if (arguments.at(i) == QLatin1String("--sim-data") && i + 1 < arguments.size())
            ++i;
        else
            rounds = std::max(1, arguments.at(i).toInt());
    }
    QTemporaryDir work;
    SetAppDir(work.path() + QStringLiteral("/"));
    ops::SetLogbookFolder(work.filePath(QStringLiteral("logbook")));
    if (wire) {
        const QString refusal = WireNamespaceRefusal(netns);
        if (!refusal.isEmpty()) {
            out << "refusing to use the product's targets here: " << refusal << Qt::endl;
            return 1;
        }
        // The product's own targets (the test support points an unset search at loopback's discard port).
        SetTargets(NetworkTargets::fromEnvironment());
        out << "== operations on the veth (product targets), " << rounds << " rounds" << Qt::endl;
        return timeOperations(QStringLiteral("10.99.0.2"), rounds, work.path()) ? 0 : 1;
    }
    // Memory first, while the process holds nothing else.
    if (!memoryFigures(work.path()) || !loopbackFigures(rounds, work.path())) {
        out << "failed" << Qt::endl;
        return 1;
    }
    return 0;
}
