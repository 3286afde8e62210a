#include "device/Discovery.h"

#include "device/Conversions.h"
#include "device/DiscoveryTargets.h"
#include "device/NetworkTargets.h"
#include "net/EventWait.h"

#include <QCoreApplication>
#include <QNetworkDatagram>

#ifdef Q_OS_WIN
#include <winsock2.h>
#else
#include <sys/socket.h>
#endif

namespace {

const QByteArray kSearchRequest("0 1 ", 4);

// Takes the first n characters off the text (none when n < 1), then the spaces that follow.
QString takeField(QString& text, qsizetype n) {
    QString field;
    if (n > 0) {
        field = text.left(n);
        text.remove(0, field.size());
    }
    qsizetype spaces = 0;
    while (spaces < text.size() && text.at(spaces) == QLatin1Char(' '))
        ++spaces;
    text.remove(0, spaces);
    return field;
}

qsizetype untilSpace(const QString& text) {
    // Length up to the first space; -1 (nothing taken) when there is none.
    return text.indexOf(QLatin1Char(' '));
}

} // namespace

TIPCInfo::TIPCInfo(QObject* parent) : QObject(parent) {
    // Bound to any port the system chooses: the replies come back to it.
    if (!m_socket.bind(QHostAddress::AnyIPv4, 0))
        throw std::runtime_error("Error creating the broadcast socket");
    const int enable = 1;
    const auto fd = m_socket.socketDescriptor();
    if (fd == -1 || ::setsockopt(fd, SOL_SOCKET, SO_BROADCAST, reinterpret_cast<const char*>(&enable),
                                 sizeof(enable)) != 0)
        throw std::runtime_error("Error configuring the socket");
    connect(&m_socket, &QUdpSocket::readyRead, this, [] { net::wakeWaiters(); });
}

TIPCInfo::~TIPCInfo() = default;

bool TIPCInfo::FindDevices(QStringList& replies, const QList<QHostAddress>& alsoAsk) {
    replies.clear();
    if (!sendToAll(kSearchRequest, DiscoveryAddresses(Targets(), MachineInterfaces()) + alsoAsk))
        return false;

    int idle = kIdleCount;
    do {
        if (net::waitUntil([this] { return m_socket.hasPendingDatagrams(); }, PollMs)) {
            // A datagram longer than the buffer is cut to it; a failed receive yields no text and does
            // not count as activity, so a socket that keeps failing cannot prolong the search. The whole
            // datagram is taken and then cut: systems differ in what a receive into a smaller buffer gives.
            const QNetworkDatagram datagram = m_socket.receiveDatagram();
            if (datagram.isValid()) {
                const QByteArray bytes = datagram.data().left(kBufferSize);
                const QString reply = FromAnsi(bytes.constData(), bytes.size());
                if (!replies.contains(reply, Qt::CaseInsensitive))
                    replies.append(reply);
                idle = kIdleCount;
            }
        }
        QCoreApplication::processEvents();
        --idle;
    } while (idle > 0);
    return !replies.isEmpty();
}

TDeviceReply TIPCInfo::ParseDeviceReply(const QString& reply) {
    QString text = reply;
    TDeviceReply result;
    result.Serial = HexStrToInt(takeField(text, untilSpace(text)));
    result.DHCP = takeField(text, 1) == QLatin1String("1");
    result.IPAddress = takeField(text, untilSpace(text)).left(15);
    result.SubnetMask = takeField(text, untilSpace(text)).left(15);
    result.Gateway = takeField(text, untilSpace(text)).left(15);
    result.Name = text.left(40);
    return result;
}

QByteArray TIPCInfo::IPConfigRequest(std::int32_t serial, bool dhcp, const QString& ipAddress,
                                     const QString& subnetMask, const QString& gateway) {
    const QString serialHex = QString::number(static_cast<std::uint32_t>(serial), 16).toUpper();
    const QString text =
        dhcp ? QStringLiteral("%1 %2 1").arg(serialHex).arg(5)
             : QStringLiteral("%1 %2 0 %3 %4 %5").arg(serialHex).arg(5).arg(ipAddress, subnetMask, gateway);
    return ToAnsi(text).left(kBufferSize);
}

bool TIPCInfo::sendToAll(const QByteArray& datagram, const QList<QHostAddress>& addresses) {
    // An interface that refuses (no route, down meanwhile) does not keep the others from being reached.
    bool sent = false;
    for (const QHostAddress& address : addresses) {
        if (m_socket.writeDatagram(datagram, address, Targets().discoveryPort) == datagram.size())
            sent = true;
    }
    return sent;
}

void TIPCInfo::SendIPConfig(std::int32_t serial, bool dhcp, const QString& ipAddress,
                            const QString& subnetMask, const QString& gateway) {
    const QByteArray datagram = IPConfigRequest(serial, dhcp, ipAddress, subnetMask, gateway);
    const QList<QHostAddress> addresses = DiscoveryAddresses(Targets(), MachineInterfaces());
    // The controller gets no acknowledgement back to us; the second copy covers a lost datagram.
    for (int round = 0; round < 2; ++round) {
        if (!sendToAll(datagram, addresses))
            throw std::runtime_error("Error sending broadcast");
        net::pause(IPConfigPauseMs);
    }
}
