// bench_admin: backup, restore, update upload and module status against kelvora-sim running as a
// process of its own (its demo controller: 16 modules, 1000 transponders), so that the figures are the
// tool's and not a shared event loop's.
//
// None of these operations has a mandated pause, so backup and restore should stay within 50 ms and the
// status read within 10 ms. The 2 MB update upload is set against Python's ftplib doing the same FTP
// exchange with the same server (the ratio is ours / ftplib's). Usage: bench_admin [rounds]

#include "data/DeviceEntry.h"
#include "device/CommandSocket.h"
#include "device/FtpAccounts.h"
#include "device/NetworkTargets.h"
#include "net/EventWait.h"
#include "net/FtpClient.h"
#include "ops/Backup.h"
#include "ops/CommandSession.h"
#include "ops/FtpLink.h"
#include "ops/Login.h"
#include "ops/ModuleStatus.h"
#include "ops/Update.h"

#include "SimulatorProcess.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <QTextStream>

#include <algorithm>
#include <functional>
#include <vector>

namespace {

const QString kAddress = QStringLiteral("127.0.0.2");

const char* const kFtplibScript = R"(
import ftplib, statistics, sys, time
host, port, path, rounds = sys.argv[1], int(sys.argv[2]), sys.argv[3], int(sys.argv[4])
times = []
for _ in range(rounds):
    start = time.perf_counter()
    ftp = ftplib.FTP()
    ftp.connect(host, port)
    ftp.login("ftp", "zqw")
    ftp.set_pasv(False)
    ftp.cwd("b:")
    ftp.cwd("/firmware/")
    with open(path, "rb") as image:
        ftp.storbinary("STOR py_update.bin", image)
    ftp.quit()
    times.append((time.perf_counter() - start) * 1000)
print(statistics.median(times))
)";

double median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values.empty() ? 0.0 : values[values.size() / 2];
}

// Runs the step `rounds` times; milliseconds of each run, or an empty list when one failed. Between
// runs the simulator gets a moment to see the last connection close: a new one that arrives in the same
// turn of its event loop waits out its 50 ms busy grace, which a device does not have.
std::vector<double> timed(int rounds, const std::function<bool()>& step) {
    std::vector<double> times;
    for (int i = 0; i < rounds; ++i) {
        net::pause(100);
        QElapsedTimer clock;
        clock.start();
        if (!step())
            return {};
        times.push_back(static_cast<double>(clock.nsecsElapsed()) / 1e6);
    }
    return times;
}

bool ftpOnlyUpload(const QString& file, quint16 port) {
    TFtpClient client;
    client.SetHostName(kAddress);
    client.SetPort(port);
    client.SetUserName(kUpdateFtpAccount.userName);
    client.SetPassWord(kUpdateFtpAccount.password);
    if (!client.Connect())
        return false;
    client.User();
    client.Pass();
    client.SetHostDirName(QStringLiteral("b:"));
    client.Cwd();
    client.SetHostDirName(QStringLiteral("/firmware/"));
    client.SetLocalFileName(file);
    client.SetHostFileName(QStringLiteral("kc_update.klv"));
    const bool ok = client.Cwd() && client.Put();
    client.Quit();
    return ok;
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    QTextStream out(stdout);
    const int rounds = argc > 1 ? std::max(1, QString::fromLocal8Bit(argv[1]).toInt()) : 10;
    QTemporaryDir work;

    SimulatorProcess simulator(work.path());
    if (!simulator.start(1, kAddress)) {
        out << "kelvora-sim did not start" << Qt::endl;
        return 1;
    }
    const quint16 ftpPort = simulator.targets().ftpPort;
    SetTargets(simulator.targets());
    TDeviceEntry entry;
    entry.IPAddress = kAddress;
    const QString user = QStringLiteral("admin");
    ops::StoreLogin(entry, ops::LoginDevice(kAddress, user, user), user, user);
    if (!entry.LoggedIn) {
        out << "login failed" << Qt::endl;
        return 1;
    }
    ops::FtpLink link;

    const QString folder = work.filePath(QStringLiteral("Sicherung"));
    QDir().mkpath(folder);
    const auto backups = timed(rounds, [&] { return ops::BackupConfiguration(entry, link, folder).ok(); });
    const qint64 backupBytes = QFileInfo(ops::FolderFile(folder, ops::kModuleFileName)).size() +
                               QFileInfo(ops::FolderFile(folder, ops::kTransponderFileName)).size();
    const auto restores = timed(rounds, [&] { return ops::RestoreConfiguration(entry, link, folder).ok(); });

    const QString image = work.filePath(QStringLiteral("kc_update.klv"));
    {
        QFile file(image);
        if (!file.open(QIODevice::WriteOnly))
            return 1;
        QByteArray bytes(2 * 1024 * 1024, '\0');
        for (qsizetype i = 0; i < bytes.size(); ++i)
            bytes[i] = static_cast<char>((i * 131) >> 3);
        file.write(bytes);
    }
    const auto uploads = timed(rounds, [&] { return ops::UploadUpdate(entry, link, image).ok(); });
    const auto ftpOnly = timed(rounds, [&] { return ftpOnlyUpload(image, ftpPort); });
    QProcess python;
    python.start(QStringLiteral("/usr/bin/python3"),
                 {QStringLiteral("-c"), QString::fromUtf8(kFtplibScript), kAddress, QString::number(ftpPort),
                  image, QString::number(rounds)});
    const bool pythonDone = python.waitForFinished(120000) && python.exitCode() == 0;
    const double ftplib = pythonDone ? python.readAllStandardOutput().trimmed().toDouble() : 0.0;

    const auto statusReads =
        timed(rounds, [&] { return ops::ReadModuleStatus(entry).outcome == ops::Outcome::Ok; });
    std::vector<double> requestsOnly;
    {
        ops::CommandSession session(entry);
        if (session.login())
            requestsOnly = timed(rounds, [&] { return session.socket().ReadModuleStatus(); });
    }

    simulator.stop();

    if (backups.empty() || restores.empty() || uploads.empty() || ftpOnly.empty() || statusReads.empty() ||
        requestsOnly.empty()) {
        out << "an operation failed (see " << simulator.logPath() << ")" << Qt::endl;
        work.setAutoRemove(false);
        return 1;
    }
    out << "rounds: " << rounds << ", medians" << Qt::endl;
    out << "backup  (" << backupBytes << " bytes): " << median(backups) << " ms (budget 50 ms)" << Qt::endl;
    out << "restore (" << backupBytes << " bytes): " << median(restores) << " ms (budget 50 ms)" << Qt::endl;
    out << "update upload, 2 MB, whole operation: " << median(uploads) << " ms" << Qt::endl;
    out << "update upload, 2 MB, FTP exchange only: " << median(ftpOnly) << " ms; ftplib: ";
    if (pythonDone)
        out << ftplib << " ms; ratio " << median(ftpOnly) / ftplib << Qt::endl;
    else
        out << "not run (" << python.readAllStandardError().trimmed() << ")" << Qt::endl;
    out << "module status, whole operation: " << median(statusReads) << " ms (budget 10 ms); request alone "
        << median(requestsOnly) << " ms" << Qt::endl;
    const bool withinBudget = median(backups) <= 50 && median(restores) <= 50 && median(statusReads) <= 10;
    return withinBudget ? 0 : 2;
}
