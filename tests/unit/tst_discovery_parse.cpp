#include "device/Conversions.h"
#include "device/Discovery.h"

#include <QtTest>

class TestDiscoveryParse : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void parseDeviceReply_data();
    void parseDeviceReply();
    void parseNonHexSerial_data();
    void parseNonHexSerial();
    void ipConfigRequest_data();
    void ipConfigRequest();
};

void TestDiscoveryParse::parseDeviceReply_data() {
    QTest::addColumn<QString>("reply");
    QTest::addColumn<int>("serial");
    QTest::addColumn<bool>("dhcp");
    QTest::addColumn<QString>("ip");
    QTest::addColumn<QString>("mask");
    QTest::addColumn<QString>("gateway");
    QTest::addColumn<QString>("name");

    QTest::newRow("name with spaces")
        << "12AB3 1 192.168.0.10 255.255.255.0 192.168.0.1 Lager Tor 2" << 0x12AB3 << true << "192.168.0.10"
        << "255.255.255.0"
        << "192.168.0.1"
        << "Lager Tor 2";
    QTest::newRow("several spaces between fields")
        << "12AB3   0  10.0.0.5    255.0.0.0 10.0.0.1     Halle" << 0x12AB3 << false << "10.0.0.5"
        << "255.0.0.0"
        << "10.0.0.1"
        << "Halle";
    QTest::newRow("DHCP flag other than 1")
        << "1F X 1.2.3.4 255.0.0.0 1.2.3.1 A" << 0x1F << false << "1.2.3.4"
        << "255.0.0.0"
        << "1.2.3.1"
        << "A";
    QTest::newRow("long fields cut") << QStringLiteral(
                                            "ABC 1 1234567890123456789 255.255.255.0.0.0 0.0.0.0 ") +
                                            QString(50, QLatin1Char('N'))
                                     << 0xABC << true << "123456789012345"
                                     << "255.255.255.0.0"
                                     << "0.0.0.0" << QString(40, QLatin1Char('N'));
    QTest::newRow("nothing after the flag") << "ABC 1" << 0xABC << true << ""
                                            << ""
                                            << ""
                                            << "";
    QTest::newRow("no space left: rest becomes the name") << "ABC 1 10.0.0.1" << 0xABC << true << ""
                                                          << ""
                                                          << ""
                                                          << "10.0.0.1";
    QTest::newRow("two-character flag: second char starts the address")
        << "ABC 10 1.2.3.4 m g Name" << 0xABC << true << "0"
        << "1.2.3.4"
        << "m"
        << "g Name";
    QTest::newRow("trailing spaces of the name kept") << "5 0 a b c Tor  " << 5 << false << "a"
                                                      << "b"
                                                      << "c"
                                                      << "Tor  ";
    QTest::newRow("lower-case serial") << "abc 0 a b c d" << 0xABC << false << "a"
                                       << "b"
                                       << "c"
                                       << "d";
}

void TestDiscoveryParse::parseDeviceReply() {
    QFETCH(QString, reply);
    const TDeviceReply parsed = TIPCInfo::ParseDeviceReply(reply);
    QTEST(parsed.Serial, "serial");
    QTEST(parsed.DHCP, "dhcp");
    QTEST(parsed.IPAddress, "ip");
    QTEST(parsed.SubnetMask, "mask");
    QTEST(parsed.Gateway, "gateway");
    QTEST(parsed.Name, "name");
}

void TestDiscoveryParse::parseNonHexSerial_data() {
    QTest::addColumn<QString>("reply");
    QTest::addColumn<QString>("error");
    QTest::newRow("not hex") << "12G4 1 a b c d"
                             << "'$12G4' is not a valid integer value";
    QTest::newRow("no space at all") << "ABC"
                                     << "'$' is not a valid integer value";
    QTest::newRow("empty reply") << ""
                                 << "'$' is not a valid integer value";
    QTest::newRow("leading space") << " ABC 1 a b c d"
                                   << "'$' is not a valid integer value";
}

void TestDiscoveryParse::parseNonHexSerial() {
    QFETCH(QString, reply);
    QFETCH(QString, error);
    try {
        TIPCInfo::ParseDeviceReply(reply);
        QFAIL("no conversion error");
    } catch (const EConvertError& e) {
        QCOMPARE(QString::fromUtf8(e.what()), error);
    }
}

void TestDiscoveryParse::ipConfigRequest_data() {
    QTest::addColumn<int>("serial");
    QTest::addColumn<bool>("dhcp");
    QTest::addColumn<QString>("ip");
    QTest::addColumn<QString>("mask");
    QTest::addColumn<QString>("gateway");
    QTest::addColumn<QByteArray>("datagram");
    QTest::newRow("DHCP on: no addresses, no leading zeros") << 0xABC << true << "1.2.3.4"
                                                             << "255.0.0.0"
                                                             << "1.2.3.1" << QByteArray("ABC 5 1");
    QTest::newRow("fixed addresses") << 0x12AB3 << false << "192.168.0.10"
                                     << "255.255.255.0"
                                     << "192.168.0.1"
                                     << QByteArray("12AB3 5 0 192.168.0.10 255.255.255.0 192.168.0.1");
    QTest::newRow("fixed, empty edits keep the separators") << 0xABC << false << ""
                                                            << ""
                                                            << "" << QByteArray("ABC 5 0   ");
    QTest::newRow("addresses sent as typed") << 0x1 << false << "1..2"
                                             << "x"
                                             << "999.1" << QByteArray("1 5 0 1..2 x 999.1");
    QTest::newRow("negative serial as 32-bit hex") << -1 << true << ""
                                                   << ""
                                                   << "" << QByteArray("FFFFFFFF 5 1");
    QTest::newRow("cut to 200") << 0xABC << false << QString(300, QLatin1Char('1')) << "m"
                                << "g" << (QByteArray("ABC 5 0 ") + QByteArray(192, '1'));
}

void TestDiscoveryParse::ipConfigRequest() {
    QFETCH(int, serial);
    QFETCH(bool, dhcp);
    QFETCH(QString, ip);
    QFETCH(QString, mask);
    QFETCH(QString, gateway);
    QFETCH(QByteArray, datagram);
    QCOMPARE(TIPCInfo::IPConfigRequest(serial, dhcp, ip, mask, gateway), datagram);
}

QTEST_GUILESS_MAIN(TestDiscoveryParse)
#include "tst_discovery_parse.moc"
