// bench_cli: `kelvora-cli backup --all` over 50 simulated controllers (kelvora-sim as a process of its
// own, each controller with 16 modules and 1000 transponders), against the same operations called
// directly: a search, then per controller the login and the backup, one after another.
//
// The search's mandated pauses (five empty polls of 100 ms after the last reply) are the only waits the
// operations prescribe; a backup has none. So the command line may cost at most 10 % over the direct
// calls plus those pauses, and its memory must stay flat: no growth per controller beyond 1 MB.
// Usage: bench_cli [controllers]

#include "cli/Run.h"
#include "data/DeviceEntry.h"
#include "device/Discovery.h"
#include "device/NetworkTargets.h"
#include "ops/Backup.h"
#include "ops/DeviceList.h"
#include "ops/FtpLink.h"
#include "ops/Login.h"

#include "SimulatorProcess.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <QTextStream>

#include <algorithm>
#include <vector>

namespace {

// Resident memory of this process in KiB.
long residentKiB() {
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return 0;
    for (const QByteArray& line : status.readAll().split('\n')) {
        if (line.startsWith("VmRSS:"))
            return line.mid(6).trimmed().split(' ').first().toLong();
    }
    return 0;
}

double msSince(const QElapsedTimer& clock) {
    return static_cast<double>(clock.nsecsElapsed()) / 1e6;
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    QTextStream out(stdout);
    const int controllers = argc > 1 ? std::clamp(QString::fromLocal8Bit(argv[1]).toInt(), 1, 200) : 50;
    QTemporaryDir work;

    SimulatorProcess simulator(work.path());
    if (!simulator.start(controllers)) {
        out << "kelvora-sim did not start" << Qt::endl;
        return 1;
    }
    SetTargets(simulator.targets());
    qputenv("KELVORA_USER", "admin");
    qputenv("KELVORA_PASSWORD", "admin");
    const QString user = QStringLiteral("admin");

    // The operations called directly, as the window calls them: a search, then login and backup of each
    // controller found. Run before and after the command line; the faster run counts.
    ops::FtpLink link;
    double searchMs = 0;
    int found = 0;
    int directOk = 0;
    double loginMs = 0;
    const auto direct = [&](const QString& into) {
        loginMs = 0;
        QElapsedTimer clock;
        clock.start();
        ops::DeviceList devices;
        devices.createDiscovery();
        devices.search({});
        searchMs = msSince(clock);
        found = static_cast<int>(devices.size());
        directOk = 0;
        for (const auto& entry : devices.entries()) {
            const qint64 loginStart = clock.nsecsElapsed();
            ops::StoreLogin(*entry, ops::LoginDevice(entry->IPAddress, user, user), user, user);
            loginMs += static_cast<double>(clock.nsecsElapsed() - loginStart) / 1e6;
            const QString folder = QDir(into).filePath(QString::number(entry->Serial, 16));
            QDir().mkpath(folder);
            directOk += ops::BackupConfiguration(*entry, link, folder).ok() ? 1 : 0;
        }
        return msSince(clock);
    };
    const double directBefore = direct(work.filePath(QStringLiteral("direkt1")));

    // The command line, in-process, its progress taken as the mark between two controllers.
    QElapsedTimer clock;
    std::vector<double> marks;
    std::vector<long> memory;
    QStringList lines;
    cli::Console console;
    console.out = [&](const QString& line) { lines << line; };
    console.err = [&](const QString& line) { lines << line; };
    console.progress = [&](const QString& line) {
        if (line.startsWith(QLatin1Char('['))) {
            marks.push_back(msSince(clock));
            memory.push_back(residentKiB());
        }
    };
    const long before = residentKiB();
    clock.start();
    const int exitCode = cli::Run(
        {QStringLiteral("backup"), QStringLiteral("--all"), work.filePath(QStringLiteral("cli"))}, console);
    const double cliMs = msSince(clock);
    const long after = residentKiB();
    const int directOkBefore = directOk;
    const double directAfter = direct(work.filePath(QStringLiteral("direkt2")));
    const double directMs = std::min(directBefore, directAfter);

    simulator.stop();

    if (found != controllers || directOk != controllers || directOkBefore != controllers || exitCode != 0) {
        out << "found " << found << ", direct backups " << directOk << ", kelvora-cli exit " << exitCode
            << Qt::endl;
        for (const QString& line : lines)
            out << "  " << line << Qt::endl;
        work.setAutoRemove(false);
        return 1;
    }
    const double budget = 1.10 * directMs;
    out << controllers << " controllers, 16 modules and 1000 transponders each" << Qt::endl;
    out << "direct calls: " << directBefore << " ms before, " << directAfter
        << " ms after the command line (search " << searchMs << " ms, of which the mandated polls "
        << TIPCInfo::kIdleCount * 100 << " ms at most; " << (directMs - searchMs) / controllers
        << " ms per controller for login and backup, of which the login " << loginMs / controllers << " ms)"
        << Qt::endl;
    out << "kelvora-cli backup --all: " << cliMs << " ms, " << cliMs / directMs
        << " x the direct calls (budget " << budget << " ms)" << Qt::endl;
    if (marks.size() >= 2)
        out << "  first controller started after " << marks.front() << " ms; then "
            << (cliMs - marks.front()) / static_cast<double>(marks.size()) << " ms per controller"
            << Qt::endl;
    const std::size_t settled = std::min<std::size_t>(10, memory.size() - 1);
    const double growthKiB = memory.size() > settled + 1
                                 ? static_cast<double>(memory.back() - memory[settled]) /
                                       static_cast<double>(memory.size() - 1 - settled)
                                 : 0.0;
    out << "resident memory: " << before << " KiB before, " << (memory.empty() ? 0 : memory[settled])
        << " KiB at controller " << settled + 1 << ", " << (memory.empty() ? 0 : memory.back())
        << " KiB at the last, " << after << " KiB after; growth " << growthKiB
        << " KiB per controller (budget 1024)" << Qt::endl;
    return cliMs <= budget && growthKiB <= 1024.0 ? 0 : 2;
}
