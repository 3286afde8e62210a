#pragma once

// Finding controllers and setting their IP configuration: plain-text datagrams on UDP port 8001,
// broadcast, no password.

#include "device/DeviceReply.h"

#include <QHostAddress>
#include <QList>
#include <QObject>
#include <QStringList>
#include <QUdpSocket>

#include <cstdint>
#include <stdexcept>

class TIPCInfo : public QObject {
    Q_OBJECT
public:
    // Throws std::runtime_error "Error creating the broadcast socket" or "Error configuring the socket".
    explicit TIPCInfo(QObject* parent = nullptr);
    ~TIPCInfo() override;

    // Broadcasts the search (to every address of DiscoveryAddresses) and collects the distinct replies
    // (compared without regard to case) in arrival order; true when there is at least one. `alsoAsk` are
    // controllers asked directly, at their own address: those behind a router, which no broadcast reaches.
    // The window stays responsive meanwhile.
    bool FindDevices(QStringList& replies, const QList<QHostAddress>& alsoAsk = {});

    // Splits a search reply. Throws EConvertError when the serial field is not hexadecimal.
    static TDeviceReply ParseDeviceReply(const QString& reply);

    // Sends the IP configuration twice, 50 ms apart, each time to every address of DiscoveryAddresses.
    // Throws std::runtime_error "Error sending broadcast" when a round reached none of them whole.
    void SendIPConfig(std::int32_t serial, bool dhcp, const QString& ipAddress, const QString& subnetMask,
                      const QString& gateway);

    // The datagram SendIPConfig sends (cut to the buffer's 200 bytes).
    static QByteArray IPConfigRequest(std::int32_t serial, bool dhcp, const QString& ipAddress,
                                      const QString& subnetMask, const QString& gateway);

    // Poll interval of the search (100 ms) and the pause after each IP-configuration datagram (50 ms);
    // tests may shorten them.
    int PollMs = 100;
    int IPConfigPauseMs = 50;

    static constexpr int kBufferSize = 200;
    static constexpr int kIdleCount = 5;

private:
    // True when the datagram went out whole to at least one of the addresses (all are tried).
    bool sendToAll(const QByteArray& datagram, const QList<QHostAddress>& addresses);

    QUdpSocket m_socket;
};
