// bench_fleet: a whole site at once. kelvora-cli's whole-site commands, in-process, against kelvora-sim as a
// process of its own on loopback (each controller with its demo tables and its 1500-entry logbook), with
// --jobs 8 (the default) and --jobs 1 in the same run:
//
//   log --all --export DIR of 100 controllers, --jobs 8, 32 and 1   target (32): at most 3 x one controller
//   backup --all of 10 controllers over a slow link (--ftp-slow 1024:10, about 100 KiB/s), --jobs 8, 10
//   and 1                                                           target (10): at most 1.5 x one
//   find of 1 and of 100 controllers                                target: flat (at most 1.5 x)
//   resident memory (peak) while the controllers are worked on
//
// Usage: bench_fleet [controllers]   (default 100)

#include "cli/Run.h"
#include "device/NetworkTargets.h"

#include "SimulatorProcess.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <QTextStream>
#include <QTimer>

#include <algorithm>

namespace {

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

struct Figure {
    double ms = 0;
    int exitCode = -1;
    long peakKiB = 0;
    QString summary;
};

// One command line in this process, timed, its resident memory sampled every 20 ms meanwhile (the
// command's waits run this thread's event loop).
Figure run(const QStringList& arguments) {
    Figure figure;
    QStringList lines;
    cli::Console console;
    console.out = [&](const QString& line) { lines << line; };
    console.err = [&](const QString& line) { lines << line; };
    QTimer sampler;
    QObject::connect(&sampler, &QTimer::timeout,
                     [&] { figure.peakKiB = std::max(figure.peakKiB, residentKiB()); });
    sampler.start(20);
    QElapsedTimer clock;
    clock.start();
    figure.exitCode = cli::Run(arguments, console);
    figure.ms = static_cast<double>(clock.nsecsElapsed()) / 1e6;
    figure.peakKiB = std::max(figure.peakKiB, residentKiB());
    figure.summary = lines.isEmpty() ? QString() : lines.last();
    if (figure.exitCode != 0) {
        for (const QString& line : lines)
            QTextStream(stderr) << "  " << line << Qt::endl;
    }
    return figure;
}

// Against a simulator of its own with `controllers` controllers.
template <typename Body>
bool withSimulator(const QString& folder, int controllers, const QStringList& extra, Body body) {
    QDir().mkpath(folder);
    SimulatorProcess simulator(folder);
    if (!simulator.start(controllers, QStringLiteral("127.0.0.2"), extra)) {
        QTextStream(stdout) << "kelvora-sim did not start" << Qt::endl;
        return false;
    }
    SetTargets(simulator.targets());
    body();
    simulator.stop();
    return true;
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    QTextStream out(stdout);
    const int many = argc > 1 ? std::clamp(QString::fromLocal8Bit(argv[1]).toInt(), 2, 200) : 100;
    qputenv("KELVORA_USER", "admin");
    qputenv("KELVORA_PASSWORD", "admin");
    QTemporaryDir work;
    int run_ = 0;
    const auto folder = [&] { return work.filePath(QStringLiteral("run-%1").arg(++run_)); };
    bool ok = true;

    // Each command with these --jobs values: the default, one that covers the controllers in a few waves, and
    // one at a time.
    const QStringList logJobs = {QStringLiteral("8"), QStringLiteral("32"), QStringLiteral("1")};
    const QStringList backupJobs = {QStringLiteral("8"), QStringLiteral("10"), QStringLiteral("1")};
    const auto logAll = [&](const QString& jobs) {
        return run({QStringLiteral("log"), QStringLiteral("--all"), QStringLiteral("--jobs"), jobs,
                    QStringLiteral("--export"), folder()});
    };
    const auto backupAll = [&](const QString& jobs) {
        return run(
            {QStringLiteral("backup"), QStringLiteral("--all"), QStringLiteral("--jobs"), jobs, folder()});
    };

    Figure findOne, findMany, logOne, backupOne;
    QList<Figure> logMany, backupTen;
    ok &= withSimulator(folder(), 1, {}, [&] {
        findOne = run({QStringLiteral("find")});
        logOne = logAll(QStringLiteral("1"));
    });
    ok &= withSimulator(folder(), many, {}, [&] {
        findMany = run({QStringLiteral("find")});
        for (const QString& jobs : logJobs)
            logMany.append(logAll(jobs));
    });
    const QStringList slow = {QStringLiteral("--ftp-slow"), QStringLiteral("1024:10")};
    ok &= withSimulator(folder(), 1, slow, [&] { backupOne = backupAll(QStringLiteral("1")); });
    ok &= withSimulator(folder(), 10, slow, [&] {
        for (const QString& jobs : backupJobs)
            backupTen.append(backupAll(jobs));
    });

    QList<Figure> all = {findOne, findMany, logOne, backupOne};
    all += logMany;
    all += backupTen;
    for (const Figure& f : all)
        ok &= f.exitCode == 0;
    if (!ok) {
        out << "a run failed" << Qt::endl;
        return 1;
    }
    out << "log --all --export, 1 controller: " << logOne.ms << " ms, peak resident "
        << logOne.peakKiB / 1024.0 << " MiB" << Qt::endl;
    for (qsizetype i = 0; i < logJobs.size(); ++i)
        out << "log --all --export, " << many << " controllers, --jobs " << logJobs[i] << ": "
            << logMany[i].ms << " ms = " << logMany[i].ms / logOne.ms << " x one, peak resident "
            << logMany[i].peakKiB / 1024.0 << " MiB" << Qt::endl;
    out << "  " << logMany[0].summary << Qt::endl;
    out << "backup --all, --ftp-slow 1024:10, 1 controller: " << backupOne.ms << " ms" << Qt::endl;
    for (qsizetype i = 0; i < backupJobs.size(); ++i)
        out << "backup --all, --ftp-slow 1024:10, 10 controllers, --jobs " << backupJobs[i] << ": "
            << backupTen[i].ms << " ms = " << backupTen[i].ms / backupOne.ms << " x one" << Qt::endl;
    const double findRatio = findMany.ms / findOne.ms;
    out << "find, 1 controller: " << findOne.ms << " ms; " << many << " controllers: " << findMany.ms
        << " ms = " << findRatio << " x" << Qt::endl;
    // The targets: log of many within 3 x one and backup of ten within 1.5 x one, with enough jobs to cover
    // them in few waves (the second --jobs value); find flat.
    const bool met =
        logMany[1].ms <= 3.0 * logOne.ms && backupTen[1].ms <= 1.5 * backupOne.ms && findRatio <= 1.5;
    out << (met ? "targets met" : "targets missed") << Qt::endl;
    return met ? 0 : 2;
}
