#include "sim/DiscoveryService.h"

#include "sim/SimController.h"

#include <QNetworkDatagram>

namespace sim {

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
                    m_socket.writeDatagram(controller->searchReply(), sender, senderPort);
            }
        }
        return;
    }
    for (SimController* controller : m_controllers) {
        if (controller->config().serial == serial)
            controller->handleDiscoveryRequest(datagram);
    }
}

} // namespace sim
