#include "sim/DiscoveryService.h"

#include "sim/SimController.h"

#include <QNetworkDatagram>

namespace sim {
namespace {

// The datagram as a C string literal: printable ASCII as it is, everything else escaped.
QString quoted(const QByteArray& bytes) {
    QString text = QStringLiteral("\"");
    for (const char c : bytes) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte == '"' || byte == '\\') {
            text += QLatin1Char('\\');
            text += QLatin1Char(c);
        } else if (byte >= 0x20 && byte < 0x7F)
            text += QLatin1Char(c);
        else
            text += QStringLiteral("\\x%1").arg(byte, 2, 16, QLatin1Char('0'));
    }
    return text + QLatin1Char('"');
}

QString peer(const QHostAddress& address, quint16 port) {
    return QStringLiteral("%1:%2").arg(address.toString()).arg(port);
}

} // namespace

DiscoveryService::DiscoveryService(QObject* parent) : QObject(parent) {
    connect(&m_socket, &QUdpSocket::readyRead, this, &DiscoveryService::readPending);
}

void DiscoveryService::addController(SimController* controller) {
    m_controllers.push_back(controller);
}

bool DiscoveryService::listen(const QHostAddress& address, quint16 port, QString* error) {
    if (!m_socket.bind(address, port)) {
        if (error)
            *error =
                QStringLiteral("UDP %1:%2: %3").arg(address.toString()).arg(port).arg(m_socket.errorString());
        return false;
    }
    return true;
}

void DiscoveryService::readPending() {
    while (m_socket.hasPendingDatagrams()) {
        const QNetworkDatagram datagram = m_socket.receiveDatagram();
        if (!datagram.isValid())
            break;
        // The destination shows whether a search came as a broadcast.
        const QHostAddress destination = datagram.destinationAddress();
        Q_EMIT eventLogged(
            QStringLiteral("received %1 bytes from %2%3: %4")
                .arg(datagram.data().size())
                .arg(peer(datagram.senderAddress(), static_cast<quint16>(datagram.senderPort())),
                     destination.isNull()
                         ? QString()
                         : QStringLiteral(" to ") +
                               peer(destination, static_cast<quint16>(datagram.destinationPort())),
                     quoted(datagram.data())));
        handle(datagram.data(), datagram.senderAddress(), static_cast<quint16>(datagram.senderPort()));
    }
}

void DiscoveryService::handle(const QByteArray& datagram, const QHostAddress& sender, quint16 senderPort) {
    m_received.push_back(datagram);
    Q_EMIT datagramReceived(datagram);

    const QList<QByteArray> fields = datagram.split(' ');
    if (fields.size() < 2)
        return;
    bool ok = false;
    const quint32 serial = fields.at(0).toUInt(&ok, 16);
    if (!ok)
        return;
    if (serial == 0 && fields.at(1) == "1") {
        for (int i = 0; i < m_repliesPerSearch; ++i) {
            for (SimController* controller : m_controllers) {
                if (!controller->restarting())
                    reply(controller->searchReply(), sender, senderPort);
            }
        }
        return;
    }
    for (SimController* controller : m_controllers) {
        if (controller->config().serial == serial)
            controller->handleDiscoveryRequest(datagram);
    }
}

void DiscoveryService::reply(const QByteArray& datagram, const QHostAddress& to, quint16 port) {
    const qint64 sent = m_socket.writeDatagram(datagram, to, port);
    Q_EMIT eventLogged(QStringLiteral("sent %1 of %2 bytes to %3: %4")
                           .arg(sent)
                           .arg(datagram.size())
                           .arg(peer(to, port), quoted(datagram)));
}

} // namespace sim
