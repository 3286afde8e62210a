// Command session figures that tests must not time: the CPU a wait costs while the controller is
// silent (it should stay near zero: the wait sleeps in the event loop), and how many replies per
// second the framing and dispatch get through.

#include "device/CommandSocket.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QPointer>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTextStream>

#include <sys/resource.h>

namespace {

double cpuMs() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return (usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) * 1000.0 +
           (usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1000.0;
}

QByteArray reply(quint16 code, int length = 1024) {
    QByteArray bytes(length, '\0');
    bytes[0] = static_cast<char>(code & 0xFF);
    bytes[1] = static_cast<char>(code >> 8);
    return bytes;
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    QTextStream out(stdout);

    QTcpServer server;
    server.listen(QHostAddress(QStringLiteral("127.0.0.1")), 0);
    QPointer<QTcpSocket> peer;
    int notifications = 0;
    QObject::connect(&server, &QTcpServer::newConnection, [&] {
        peer = server.nextPendingConnection();
        QObject::connect(peer, &QTcpSocket::readyRead, [&] {
            const QByteArray request = peer->readAll();
            if (request.size() >= 2 && request.at(0) == 0) {
                QByteArray login = reply(0);
                login[42] = 1;
                peer->write(login);
            } else if (request.size() >= 2 && request.at(0) == 107) {
                QByteArray burst;
                QByteArray notification = reply(200);
                notification[2] = 1;
                notification.replace(34, 6, "123456");
                for (int i = 0; i < notifications; ++i)
                    burst += notification;
                burst += reply(107);
                peer->write(burst);
            }
        });
    });

    TKLVSocket socket;
    socket.Addr = QStringLiteral("127.0.0.1");
    socket.Port = QString::number(server.serverPort());
    socket.LoginName = QStringLiteral("admin");
    socket.LoginPassword = QStringLiteral("admin");
    if (!socket.Login()) {
        out << "login failed" << Qt::endl;
        return 1;
    }

    // A silent controller: 30 poll cycles of waiting.
    QElapsedTimer clock;
    clock.start();
    double cpu = cpuMs();
    socket.ReadModuleStatus();
    const double idleCpu = cpuMs() - cpu;
    out << "silent wait: " << clock.elapsed() << " ms wall, " << idleCpu << " ms CPU ("
        << 100.0 * idleCpu / double(clock.elapsed()) << " %)" << Qt::endl;

    // A burst of code-read notifications, then the reply that ends the wait.
    notifications = 20000;
    int received = 0;
    socket.OnCodeRead = [&received](TKLVSocket*, const QString&, quint16, const QString&) { ++received; };
    socket.CycleMs = 1000;
    clock.restart();
    cpu = cpuMs();
    const bool done = socket.DeleteLog();
    const qint64 elapsed = clock.elapsed();
    out << "dispatch: " << received << " notifications in " << elapsed << " ms ("
        << (elapsed > 0 ? received * 1000 / elapsed : received) << " per s), " << cpuMs() - cpu << " ms CPU, "
        << (done ? "ended by its reply" : "TIMED OUT") << Qt::endl;
    socket.Disconnect();
    return done && received == notifications ? 0 : 1;
}
