#include "data/DeviceInfoText.h"

#include <QtTest>

#include <cstring>
#include <stdexcept>

namespace {

// Firmware, BIOS A minor/major, BIOS B minor/major, serial, language, version, mode, maxima, hardware.
TDeviceInfo block(quint8 major, quint8 minor, quint8 language = 0, quint8 version = 0, quint8 mode = 0,
                  quint8 hardware = 2, quint32 serial = 0x1F) {
    TDeviceInfo info{};
    info.FirmwareMajor = major;
    info.FirmwareMinor = minor;
    const QByteArray bios = QByteArray::fromHex("05011002"); // shows as 1.05 2.10
    std::memcpy(&info.BiosAMinor, bios.constData(), 4);
    info.setSerial(serial);
    info.Language = language;
    info.Version = version;
    info.OperatingMode = mode;
    info.setMaxModules(16);
    info.setMaxTransponders(1000);
    info.setMaxLogEntries(1500);
    info.HardwareRevision = hardware;
    return info;
}

QStringList common(const QString& firmware) {
    return {QStringLiteral("Firmware Version : ") + firmware, QStringLiteral("BIOS Version : 1.05 2.10"),
            QStringLiteral("Seriennummer : 0001F")};
}

const QStringList kDefaults = {
    QStringLiteral("Sprache : Deutsch"),
    QStringLiteral("Version : Standard"),
    QStringLiteral("Betriebsmodus : Offline (Standard)"),
    QStringLiteral("Max. Anzahl Module : 16"),
    QStringLiteral("Max. Anzahl Transponder : 1000"),
};

} // namespace

Q_DECLARE_METATYPE(TDeviceInfo)

class tst_DeviceInfoText : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void lines_data();
    void lines();
};

void tst_DeviceInfoText::lines_data() {
    QTest::addColumn<bool>("valid");
    QTest::addColumn<TDeviceInfo>("info");
    QTest::addColumn<QStringList>("expected");
    QTest::addColumn<bool>("rangeError");

    QTest::newRow("firmware 1.39: hardware fourth, logbook size last")
        << true << block(1, 39)
        << (common(QStringLiteral("v1.39")) + QStringList{QStringLiteral("Hardware : A02")} + kDefaults +
            QStringList{QStringLiteral("Max. Anzahl Logbucheinträge : 1500")})
        << false;
    QTest::newRow("firmware 1.38: neither line")
        << true << block(1, 38) << (common(QStringLiteral("v1.38")) + kDefaults) << false;
    QTest::newRow("firmware 2.10: minor below 39")
        << true << block(2, 10) << (common(QStringLiteral("v2.10")) + kDefaults) << false;
    QTest::newRow("firmware 0.45: major 0")
        << true << block(0, 45) << (common(QStringLiteral("v0.45")) + kDefaults) << false;
    QTest::newRow("firmware 1.07: minor with two digits")
        << true << block(1, 7) << (common(QStringLiteral("v1.07")) + kDefaults) << false;
    QTest::newRow("hardware 3 is A03")
        << true << block(1, 40, 0, 0, 0, 3)
        << (common(QStringLiteral("v1.40")) + QStringList{QStringLiteral("Hardware : A03")} + kDefaults +
            QStringList{QStringLiteral("Max. Anzahl Logbucheinträge : 1500")})
        << false;
    QTest::newRow("hardware 4 is R04")
        << true << block(1, 40, 0, 0, 0, 4)
        << (common(QStringLiteral("v1.40")) + QStringList{QStringLiteral("Hardware : R04")} + kDefaults +
            QStringList{QStringLiteral("Max. Anzahl Logbucheinträge : 1500")})
        << false;
    QTest::newRow("hardware 12 is R12")
        << true << block(1, 99, 0, 0, 0, 12)
        << (common(QStringLiteral("v1.99")) + QStringList{QStringLiteral("Hardware : R12")} + kDefaults +
            QStringList{QStringLiteral("Max. Anzahl Logbucheinträge : 1500")})
        << false;
    QTest::newRow("last entries of the name tables")
        << true << block(1, 20, 2, 1, 2)
        << (common(QStringLiteral("v1.20")) +
            QStringList{QStringLiteral("Sprache : Französisch"), QStringLiteral("Version : Angepasst"),
                        QStringLiteral("Betriebsmodus : Konverter mit Rückfall"),
                        QStringLiteral("Max. Anzahl Module : 16"),
                        QStringLiteral("Max. Anzahl Transponder : 1000")})
        << false;
    QTest::newRow("English, converter")
        << true << block(1, 20, 1, 0, 1)
        << (common(QStringLiteral("v1.20")) + QStringList{QStringLiteral("Sprache : Englisch"),
                                                          QStringLiteral("Version : Standard"),
                                                          QStringLiteral("Betriebsmodus : Konverter"),
                                                          QStringLiteral("Max. Anzahl Module : 16"),
                                                          QStringLiteral("Max. Anzahl Transponder : 1000")})
        << false;

    TDeviceInfo wide = block(1, 20, 0, 0, 0, 0, 0xABCDEF01);
    wide.BiosAMajor = 0x0A;
    wide.BiosAMinor = 0x0B;
    wide.BiosBMajor = 0x1C;
    wide.BiosBMinor = 0x00;
    QTest::newRow("long serial and hexadecimal BIOS digits")
        << true << wide
        << (QStringList{QStringLiteral("Firmware Version : v1.20"),
                        QStringLiteral("BIOS Version : A.0B 1C.00"),
                        QStringLiteral("Seriennummer : ABCDEF01")} +
            kDefaults)
        << false;

    QTest::newRow("no valid block") << false << block(1, 39)
                                    << QStringList{QStringLiteral("Bitte aktualisieren Sie die Firmware"),
                                                   QStringLiteral("Ihres Kelvora compact um diese Funktion"),
                                                   QStringLiteral("nutzen zu können.")}
                                    << false;

    QTest::newRow("language 3 stops after the lines before it")
        << true << block(1, 39, 3)
        << (common(QStringLiteral("v1.39")) + QStringList{QStringLiteral("Hardware : A02")}) << true;
    QTest::newRow("version 2 stops after the language")
        << true << block(1, 38, 0, 2)
        << (common(QStringLiteral("v1.38")) + QStringList{QStringLiteral("Sprache : Deutsch")}) << true;
    QTest::newRow("operating mode 3 stops after the version")
        << true << block(1, 38, 1, 1, 3)
        << (common(QStringLiteral("v1.38")) +
            QStringList{QStringLiteral("Sprache : Englisch"), QStringLiteral("Version : Angepasst")})
        << true;
    QTest::newRow("language 255") << true << block(0, 0, 255) << common(QStringLiteral("v0.00")) << true;
}

void tst_DeviceInfoText::lines() {
    QFETCH(bool, valid);
    QFETCH(TDeviceInfo, info);
    QFETCH(QStringList, expected);
    QFETCH(bool, rangeError);

    QStringList lines;
    bool thrown = false;
    try {
        DeviceInfoLines(valid, info, [&lines](const QString& line) { lines.append(line); });
    } catch (const std::range_error& error) {
        thrown = true;
        QCOMPARE(QString::fromLatin1(error.what()), QStringLiteral("Range check error"));
    }
    QCOMPARE(lines, expected);
    QCOMPARE(thrown, rangeError);
}

QTEST_GUILESS_MAIN(tst_DeviceInfoText)
#include "tst_DeviceInfoText.moc"
