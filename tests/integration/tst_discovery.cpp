#include "device/Discovery.h"
#include "device/NetworkTargets.h"
#include "ops/DeviceList.h"
#include "sim/DiscoveryService.h"
#include "sim/SimController.h"

#include <QElapsedTimer>
#include <QNetworkDatagram>
#include <QUdpSocket>
#include <QtTest>

#include <memory>
#include <vector>

namespace {

// Answers every datagram with a scripted list of replies and records what it received.
class ScriptedResponder : public QObject {
public:
    explicit ScriptedResponder(QList<QByteArray> replies) : m_replies(std::move(replies)) {
        m_socket.bind(QHostAddress(QStringLiteral("127.0.0.1")), 0);
        connect(&m_socket, &QUdpSocket::readyRead, this, [this] {
            while (m_socket.hasPendingDatagrams()) {
                const QNetworkDatagram d = m_socket.receiveDatagram();
                received.append(d.data());
                for (const QByteArray& reply : m_replies)
                    m_socket.writeDatagram(reply, d.senderAddress(), static_cast<quint16>(d.senderPort()));
            }
        });
    }
    quint16 port() const { return m_socket.localPort(); }
    QList<QByteArray> received;

private:
    QUdpSocket m_socket;
    QList<QByteArray> m_replies;
};

// Answers a search with each reply after its own delay.
class DelayedResponder : public QObject {
public:
    explicit DelayedResponder(QList<QPair<int, QByteArray>> replies) : m_replies(std::move(replies)) {
        m_socket.bind(QHostAddress(QStringLiteral("127.0.0.1")), 0);
        connect(&m_socket, &QUdpSocket::readyRead, this, [this] {
            while (m_socket.hasPendingDatagrams()) {
                const QNetworkDatagram d = m_socket.receiveDatagram();
                for (const auto& [delayMs, reply] : m_replies) {
                    QTimer::singleShot(delayMs, Qt::PreciseTimer, this, [this, d, reply = reply] {
                        m_socket.writeDatagram(reply, d.senderAddress(),
                                               static_cast<quint16>(d.senderPort()));
                    });
                }
            }
        });
    }
    quint16 port() const { return m_socket.localPort(); }

private:
    QUdpSocket m_socket;
    QList<QPair<int, QByteArray>> m_replies;
};

void pointAt(quint16 port) {
    NetworkTargets targets;
    targets.discoveryAddress = QHostAddress(QStringLiteral("127.0.0.1"));
    targets.discoveryPort = port;
    SetTargets(targets);
}

sim::ControllerConfig controller(quint32 serial, const QString& name) {
    sim::ControllerConfig config;
    config.serial = serial;
    config.name = name;
    config.demoData = false;
    return config;
}

} // namespace

class TestDiscovery : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void noReplyEndsAfterFiveEmptyPolls();
    void twoControllersInArrivalOrder();
    void duplicatesListedOnce_data();
    void duplicatesListedOnce();
    void searchRequestIsExactlyFourBytes();
    void longDatagramIsCut();
    void lateReplyKeepsTheSearchGoing();
    void windowStaysResponsiveDuringSearch();
    void ipConfigSentTwiceAndApplied_data();
    void ipConfigSentTwiceAndApplied();
};

void TestDiscovery::noReplyEndsAfterFiveEmptyPolls() {
    ScriptedResponder silent({});
    pointAt(silent.port());
    TIPCInfo info;
    QStringList replies{QStringLiteral("stale")};
    QElapsedTimer clock;
    clock.start();
    QVERIFY(!info.FindDevices(replies));
    const qint64 elapsed = clock.elapsed();
    QVERIFY(replies.isEmpty());
    const int searchMs = TIPCInfo::kIdleCount * info.PollMs;
    QVERIFY2(elapsed >= searchMs - 5 && elapsed < 4 * searchMs, qPrintable(QString::number(elapsed)));
}

void TestDiscovery::lateReplyKeepsTheSearchGoing() {
    // Without a reply the search ends after five polls. A reply in the fourth poll starts the count
    // again, so a second one two and a half polls later (after the fifth) is still collected; the
    // search then ends four empty polls after it.
    TIPCInfo info;
    info.PollMs = 200;
    DelayedResponder responder(
        {{7 * info.PollMs / 2, "1 0 a b c Frueh"}, {6 * info.PollMs, "2 0 a b c Spaet"}});
    pointAt(responder.port());
    QStringList replies;
    QElapsedTimer clock;
    clock.start();
    QVERIFY(info.FindDevices(replies));
    QCOMPARE(replies, (QStringList{QStringLiteral("1 0 a b c Frueh"), QStringLiteral("2 0 a b c Spaet")}));
    QVERIFY2(clock.elapsed() >= 10 * info.PollMs - 5, qPrintable(QString::number(clock.elapsed())));
}

void TestDiscovery::twoControllersInArrivalOrder() {
    sim::SimController first(controller(0x12AB3, QStringLiteral("Lager Tor 2")));
    sim::SimController second(controller(0x12AB4, QStringLiteral("Büro")));
    sim::DiscoveryService service;
    service.addController(&first);
    service.addController(&second);
    QVERIFY(service.listen(QHostAddress(QStringLiteral("127.0.0.1")), 0));
    pointAt(service.port());
    TIPCInfo info;
    QStringList replies;
    QVERIFY(info.FindDevices(replies));
    QCOMPARE(replies, QStringList({QStringLiteral("12AB3 0 127.0.0.2 255.255.255.0 127.0.0.1 Lager Tor 2"),
                                   QString::fromUtf8("12AB4 0 127.0.0.2 255.255.255.0 127.0.0.1 Büro")}));
}

void TestDiscovery::duplicatesListedOnce_data() {
    QTest::addColumn<QList<QByteArray>>("sent");
    QTest::addColumn<QStringList>("listed");
    QTest::addColumn<QStringList>("entries"); // the device list's: one per serial number, the first heard
    QTest::newRow("identical twice") << QList<QByteArray>{"1 1 a b c X", "1 1 a b c X"}
                                     << QStringList{QStringLiteral("1 1 a b c X")}
                                     << QStringList{QStringLiteral("1 X")};
    QTest::newRow("differing only in case")
        << QList<QByteArray>{"12ab3 1 a b c Tor", "12AB3 1 A B C TOR", "2 0 a b c Y"}
        << QStringList{QStringLiteral("12ab3 1 a b c Tor"), QStringLiteral("2 0 a b c Y")}
        << QStringList{QStringLiteral("12AB3 Tor"), QStringLiteral("2 Y")};
    // Heard through two interfaces while it changed its name, or with leading zeros.
    QTest::newRow("one serial, two texts")
        << QList<QByteArray>{"12AB3 0 a b c Tor", "2 0 a b c Y", "012AB3 1 a b c Tor neu"}
        << QStringList{QStringLiteral("12AB3 0 a b c Tor"), QStringLiteral("2 0 a b c Y"),
                       QStringLiteral("012AB3 1 a b c Tor neu")}
        << QStringList{QStringLiteral("12AB3 Tor"), QStringLiteral("2 Y")};
}

void TestDiscovery::duplicatesListedOnce() {
    QFETCH(QList<QByteArray>, sent);
    QFETCH(QStringList, listed);
    QFETCH(QStringList, entries);
    ScriptedResponder responder(sent);
    pointAt(responder.port());
    TIPCInfo info;
    QStringList replies;
    QVERIFY(info.FindDevices(replies));
    QCOMPARE(replies, listed);

    ops::DeviceList devices;
    devices.createDiscovery();
    QVERIFY(devices.search({}));
    QStringList names;
    for (const auto& entry : devices.entries())
        names << QString::number(static_cast<std::uint32_t>(entry->Serial), 16).toUpper() + QLatin1Char(' ') +
                     entry->Name;
    QCOMPARE(names, entries);
}

void TestDiscovery::searchRequestIsExactlyFourBytes() {
    ScriptedResponder responder({});
    pointAt(responder.port());
    TIPCInfo info;
    QStringList replies;
    info.FindDevices(replies);
    QCOMPARE(responder.received, QList<QByteArray>{QByteArray("0 1 ", 4)});
}

void TestDiscovery::longDatagramIsCut() {
    const QByteArray longReply = QByteArray("AB 1 a b c ") + QByteArray(600, 'N');
    ScriptedResponder responder({longReply});
    pointAt(responder.port());
    TIPCInfo info;
    QStringList replies;
    QVERIFY(info.FindDevices(replies));
    QCOMPARE(replies.size(), 1);
    QCOMPARE(replies.first().size(), TIPCInfo::kBufferSize);
    QCOMPARE(replies.first(), QString::fromLatin1(longReply.left(200)));
}

void TestDiscovery::windowStaysResponsiveDuringSearch() {
    ScriptedResponder silent({});
    pointAt(silent.port());
    TIPCInfo info;
    int ticks = 0;
    QTimer timer;
    timer.setInterval(20);
    connect(&timer, &QTimer::timeout, this, [&] { ++ticks; });
    timer.start();
    QStringList replies;
    info.FindDevices(replies);
    // About 25 ticks in half a second; a search that blocked would deliver at most one.
    QVERIFY2(ticks >= 3, qPrintable(QString::number(ticks)));
}

void TestDiscovery::ipConfigSentTwiceAndApplied_data() {
    QTest::addColumn<bool>("dhcp");
    QTest::addColumn<QByteArray>("datagram");
    QTest::newRow("fixed") << false << QByteArray("12AB3 5 0 10.1.2.3 255.255.0.0 10.1.0.1");
    QTest::newRow("dhcp") << true << QByteArray("12AB3 5 1");
}

void TestDiscovery::ipConfigSentTwiceAndApplied() {
    QFETCH(bool, dhcp);
    QFETCH(QByteArray, datagram);
    sim::SimController device(controller(0x12AB3, QStringLiteral("Tor")));
    device.config().dhcp = !dhcp;
    sim::DiscoveryService service;
    service.addController(&device);
    QVERIFY(service.listen(QHostAddress(QStringLiteral("127.0.0.1")), 0));
    pointAt(service.port());
    std::vector<qint64> arrivals;
    QElapsedTimer clock;
    clock.start();
    connect(&service, &sim::DiscoveryService::datagramReceived, this,
            [&] { arrivals.push_back(clock.elapsed()); });

    TIPCInfo info;
    info.SendIPConfig(0x12AB3, dhcp, QStringLiteral("10.1.2.3"), QStringLiteral("255.255.0.0"),
                      QStringLiteral("10.1.0.1"));
    const qint64 returned = clock.elapsed();
    // Both came in during the pauses; the second was sent only after the first pause, and the call
    // waited its pause after the second one too. (Lower bounds only: the moment a datagram is seen here
    // may come later than its sending, never earlier.)
    QCOMPARE(arrivals.size(), std::size_t(2));
    QVERIFY2(arrivals.at(1) >= info.IPConfigPauseMs - 2, qPrintable(QString::number(arrivals.at(1))));
    QVERIFY2(returned >= 2 * info.IPConfigPauseMs - 2, qPrintable(QString::number(returned)));
    QTRY_COMPARE(service.received().size(), std::size_t(2));
    QCOMPARE(service.received().at(0), datagram);
    QCOMPARE(service.received().at(1), datagram);
    QCOMPARE(device.config().dhcp, dhcp);
    if (!dhcp) {
        QCOMPARE(device.config().ip, QStringLiteral("10.1.2.3"));
        QCOMPARE(device.config().subnetMask, QStringLiteral("255.255.0.0"));
        QCOMPARE(device.config().gateway, QStringLiteral("10.1.0.1"));
    }
}

QTEST_GUILESS_MAIN(TestDiscovery)
#include "tst_discovery.moc"
