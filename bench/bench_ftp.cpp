// bench_ftp: throughput of the FTP client against the simulated controller on loopback, and the
// processor time a request spends waiting on a transfer that does not move (it should be close to none,
// whatever the wait's length). Usage: bench_ftp [stall-milliseconds]

#include "device/FtpAccounts.h"
#include "net/FtpClient.h"
#include "sim/SimController.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QTcpServer>
#include <QTemporaryDir>
#include <QTextStream>

#include <sys/resource.h>

namespace {

double cpuSeconds() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return static_cast<double>(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
           static_cast<double>(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

quint16 freePort() {
    QTcpServer probe;
    probe.listen(QHostAddress(QStringLiteral("127.0.0.1")), 0);
    return probe.serverPort();
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    QTextStream out(stdout);
    QTemporaryDir data;
    QTemporaryDir local;
    sim::ControllerConfig config;
    config.ftpPort = freePort();
    config.commandPort = freePort();
    config.dataDir = data.path();
    config.demoData = false;
    sim::SimController controller(config);
    QString error;
    if (!controller.start(&error)) {
        out << "simulator: " << error << Qt::endl;
        return 1;
    }

    const qsizetype size = 20 * 1024 * 1024;
    {
        QFile file(controller.dataFile(QStringLiteral("big.bin")));
        if (!file.open(QIODevice::WriteOnly))
            return 1;
        file.write(QByteArray(size, '\x5A'));
    }
    TFtpClient client;
    client.SetHostName(config.address.toString());
    client.SetPort(config.ftpPort);
    client.SetUserName(kConfiguredFtpAccount.userName);
    client.SetPassWord(kConfiguredFtpAccount.password);
    if (!client.Connect()) {
        out << "connect: " << client.ErrorMessage() << Qt::endl;
        return 1;
    }
    client.SetHostFileName(QStringLiteral("big.bin"));
    client.SetLocalFileName(QDir(local.path()).filePath(QStringLiteral("big.bin")));
    for (const bool upload : {false, true}) {
        QElapsedTimer timer;
        timer.start();
        const bool ok = upload ? client.Put() : client.Get();
        const double seconds = static_cast<double>(timer.nsecsElapsed()) / 1e9;
        out << (upload ? "upload   " : "download ") << size / (1024 * 1024)
            << " MiB: " << (ok ? "ok" : "FAILED") << ", " << seconds * 1000 << " ms, "
            << static_cast<double>(size) / (1024 * 1024) / seconds << " MiB/s" << Qt::endl;
    }

    {
        QFile file(controller.dataFile(QStringLiteral("small.bin")));
        if (!file.open(QIODevice::WriteOnly))
            return 1;
        file.write(QByteArray(100 * 1024, '\x5A'));
    }
    client.SetHostFileName(QStringLiteral("small.bin"));
    controller.config().ftp.stallAfterBytes = 1000;
    const int stallMs = argc > 1 ? QString::fromLocal8Bit(argv[1]).toInt() : 3000;
    client.SetTimeoutMs(stallMs > 0 ? stallMs : 3000);
    const double cpuBefore = cpuSeconds();
    QElapsedTimer timer;
    timer.start();
    const bool ok = client.Get();
    out << "stalled download: " << (ok ? "unexpectedly ok" : client.ErrorMessage()) << " after "
        << timer.elapsed() << " ms, processor time " << (cpuSeconds() - cpuBefore) * 1000 << " ms"
        << Qt::endl;
    return 0;
}
