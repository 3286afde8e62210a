// The environment overrides of the network targets: what is taken, and that a malformed value is an
// error rather than a silent fall-back to the broadcast address.

#include "device/NetworkTargets.h"

#include <QtTest>

namespace {

const QString kTargetExpected =
    QStringLiteral("Erwartet wird IPv4-Adresse:Port, zum Beispiel 127.0.0.1:18001.");
const QString kPortExpected = QStringLiteral("Erwartet wird eine Portnummer von 1 bis 65535.");

const char* const kVariables[] = {"KELVORA_DISCOVERY_TARGET", "KELVORA_COMMAND_PORT", "KELVORA_FTP_PORT"};

} // namespace

class tst_NetworkTargets : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void cleanup() {
        for (const char* variable : kVariables)
            qunsetenv(variable);
    }
    void discoveryTarget_data();
    void discoveryTarget();
    void port_data();
    void port();
    void environment_data();
    void environment();
};

void tst_NetworkTargets::discoveryTarget_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("address"); // empty: refused
    QTest::addColumn<int>("port");

    QTest::newRow("loopback") << QStringLiteral("127.0.0.1:18001") << QStringLiteral("127.0.0.1") << 18001;
    QTest::newRow("subnet broadcast")
        << QStringLiteral("192.168.0.255:8001") << QStringLiteral("192.168.0.255") << 8001;
    QTest::newRow("highest port") << QStringLiteral("127.0.0.5:65535") << QStringLiteral("127.0.0.5")
                                  << 65535;
    QTest::newRow("host name") << QStringLiteral("localhost:18001") << QString() << 0;
    QTest::newRow("no port") << QStringLiteral("127.0.0.1") << QString() << 0;
    QTest::newRow("empty port") << QStringLiteral("127.0.0.1:") << QString() << 0;
    QTest::newRow("port 0") << QStringLiteral("127.0.0.1:0") << QString() << 0;
    QTest::newRow("port beyond 65535") << QStringLiteral("127.0.0.1:65536") << QString() << 0;
    QTest::newRow("port with sign") << QStringLiteral("127.0.0.1:+80") << QString() << 0;
    QTest::newRow("port with text") << QStringLiteral("127.0.0.1:80x") << QString() << 0;
    QTest::newRow("short address") << QStringLiteral("127.1:18001") << QString() << 0;
    QTest::newRow("octet beyond 255") << QStringLiteral("127.0.0.256:18001") << QString() << 0;
    QTest::newRow("IPv6") << QStringLiteral("::1:18001") << QString() << 0;
    QTest::newRow("spaces") << QStringLiteral(" 127.0.0.1:18001") << QString() << 0;
    QTest::newRow("garbage") << QStringLiteral("%&/()") << QString() << 0;
    QTest::newRow("colon only") << QStringLiteral(":") << QString() << 0;
}

void tst_NetworkTargets::discoveryTarget() {
    QFETCH(QString, text);
    QFETCH(QString, address);
    QFETCH(int, port);

    QHostAddress parsedAddress(QStringLiteral("10.9.9.9"));
    quint16 parsedPort = 4711;
    const QString error = ParseDiscoveryTarget(text, &parsedAddress, &parsedPort);
    if (address.isEmpty()) {
        QCOMPARE(error, kTargetExpected);
        QCOMPARE(parsedAddress, QHostAddress(QStringLiteral("10.9.9.9"))); // untouched
        QCOMPARE(int(parsedPort), 4711);
    } else {
        QCOMPARE(error, QString());
        QCOMPARE(parsedAddress, QHostAddress(address));
        QCOMPARE(int(parsedPort), port);
    }
}

void tst_NetworkTargets::port_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("port"); // 0: refused

    QTest::newRow("1") << QStringLiteral("1") << 1;
    QTest::newRow("11010") << QStringLiteral("11010") << 11010;
    QTest::newRow("65535") << QStringLiteral("65535") << 65535;
    QTest::newRow("0") << QStringLiteral("0") << 0;
    QTest::newRow("65536") << QStringLiteral("65536") << 0;
    QTest::newRow("negative") << QStringLiteral("-21") << 0;
    QTest::newRow("hexadecimal") << QStringLiteral("0x15") << 0;
    QTest::newRow("name") << QStringLiteral("ftp") << 0;
    QTest::newRow("trailing space") << QStringLiteral("21 ") << 0;
    QTest::newRow("six digits") << QStringLiteral("000021") << 0;
}

void tst_NetworkTargets::port() {
    QFETCH(QString, text);
    QFETCH(int, port);

    quint16 parsed = 4711;
    const QString error = ParsePort(text, &parsed);
    QCOMPARE(error, port == 0 ? kPortExpected : QString());
    QCOMPARE(int(parsed), port == 0 ? 4711 : port);
}

void tst_NetworkTargets::environment_data() {
    QTest::addColumn<QString>("discovery");
    QTest::addColumn<QString>("commandPort");
    QTest::addColumn<QString>("ftpPort");
    QTest::addColumn<QString>("error");
    QTest::addColumn<QString>("address"); // the search's target after the call; empty: none
    QTest::addColumn<int>("command");
    QTest::addColumn<int>("ftp");

    // Only parsed: this test opens no socket, so the product's broadcast target is never sent to.
    QTest::newRow("nothing set: the product's targets") << QString() << QString() << QString() << QString()
                                                        << QStringLiteral("255.255.255.255") << 1010 << 21;
    QTest::newRow("all set") << QStringLiteral("127.0.0.1:18001") << QStringLiteral("11010")
                             << QStringLiteral("10021") << QString() << QStringLiteral("127.0.0.1") << 11010
                             << 10021;
    QTest::newRow("host name: no broadcast")
        << QStringLiteral("localhost:18001") << QString() << QString()
        << QStringLiteral("Die Umgebungsvariable KELVORA_DISCOVERY_TARGET hat den ungültigen Wert "
                          "\u201Elocalhost:18001\u201C: ") +
               kTargetExpected
        << QString() << 1010 << 21;
    QTest::newRow("port 0: no broadcast")
        << QStringLiteral("127.0.0.1:0") << QStringLiteral("11010") << QString()
        << QStringLiteral("Die Umgebungsvariable KELVORA_DISCOVERY_TARGET hat den ungültigen Wert "
                          "\u201E127.0.0.1:0\u201C: ") +
               kTargetExpected
        << QString() << 11010 << 21;
    QTest::newRow("bad ports, both named")
        << QStringLiteral("127.0.0.1:18001") << QStringLiteral("eins") << QStringLiteral("70000")
        << QStringLiteral(
               "Die Umgebungsvariable KELVORA_COMMAND_PORT hat den ungültigen Wert \u201Eeins\u201C: ") +
               kPortExpected +
               QStringLiteral("\nDie Umgebungsvariable KELVORA_FTP_PORT hat den ungültigen Wert "
                              "\u201E70000\u201C: ") +
               kPortExpected
        << QStringLiteral("127.0.0.1") << 1010 << 21;
}

void tst_NetworkTargets::environment() {
    QFETCH(QString, discovery);
    QFETCH(QString, commandPort);
    QFETCH(QString, ftpPort);
    QFETCH(QString, error);
    QFETCH(QString, address);
    QFETCH(int, command);
    QFETCH(int, ftp);

    const QString values[] = {discovery, commandPort, ftpPort};
    for (int i = 0; i < 3; ++i) {
        if (!values[i].isEmpty())
            qputenv(kVariables[i], values[i].toUtf8());
    }
    QString reported = QStringLiteral("not touched");
    const NetworkTargets targets = NetworkTargets::fromEnvironment(&reported);
    QCOMPARE(reported, error);
    QCOMPARE(targets.discoveryAddress, address.isEmpty() ? QHostAddress() : QHostAddress(address));
    QVERIFY(targets.discoveryAddress != QHostAddress(QHostAddress::Broadcast) || discovery.isEmpty());
    // Set at all, it is the only target: no interface's broadcast is added to it.
    QCOMPARE(targets.discoveryMoved, !discovery.isEmpty());
    QCOMPARE(int(targets.commandPort), command);
    QCOMPARE(int(targets.ftpPort), ftp);
}

QTEST_GUILESS_MAIN(tst_NetworkTargets)
#include "tst_NetworkTargets.moc"
