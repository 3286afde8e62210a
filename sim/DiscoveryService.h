#pragma once

#include <QHostAddress>
#include <QObject>
#include <QUdpSocket>

#include <vector>

namespace sim {

class SimController;

// The UDP discovery and IP-configuration service of all simulated controllers of a process: one socket
// answers a search with one reply per controller, in the order the controllers were added.
class DiscoveryService : public QObject {
    Q_OBJECT
public:
    explicit DiscoveryService(QObject* parent = nullptr);

    void addController(SimController* controller);
    bool listen(const QHostAddress& address, quint16 port, QString* error = nullptr);
    quint16 port() const { return m_socket.localPort(); }

    // Every search is answered this many times by each controller (tests of duplicate suppression).
    void setRepliesPerSearch(int n) { m_repliesPerSearch = n; }

    const std::vector<QByteArray>& received() const { return m_received; }

Q_SIGNALS:
    void datagramReceived(const QByteArray& datagram);
    // Every datagram received and sent, with its peer and its exact bytes ("received 4 bytes from
    // 10.99.0.1:40000: \"0 1 \"").
    void eventLogged(const QString& line);

private:
    void readPending();
    void handle(const QByteArray& datagram, const QHostAddress& sender, quint16 senderPort);
    void reply(const QByteArray& datagram, const QHostAddress& to, quint16 port);

    QUdpSocket m_socket;
    std::vector<SimController*> m_controllers;
    std::vector<QByteArray> m_received;
    int m_repliesPerSearch = 1;
};

} // namespace sim
