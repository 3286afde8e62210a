// The text and CSV overviews against golden files, byte for byte, and the rules behind them.

#include "data/DeviceEntry.h"
#include "data/OverviewReport.h"
#include "data/SpreadsheetField.h"
#include "support/TestSupport.h"

#include <QtTest>

#include <cstring>

namespace {

QString golden(const char* name) {
    return QStringLiteral(KELVORA_TEST_DATA_DIR "/") + QString::fromLatin1(name);
}

void setName(std::uint8_t* field, const char* cp1252) {
    std::memset(field, 0, 20);
    std::memcpy(field, cp1252, std::strlen(cp1252));
}

void addModule(TDeviceEntry& entry, const char* name, std::uint16_t address) {
    auto module = std::make_unique<TModuleEntry>();
    std::memset(module.get(), 0, sizeof(TModuleEntry));
    setName(module->Name, name);
    module->setModAddr(address);
    entry.Modules.push_back(std::move(module));
}

TTransponderEntry& addTransponder(TDeviceEntry& entry, const char* name) {
    auto record = std::make_unique<TTransponderEntry>();
    std::memset(record.get(), 0, sizeof(TTransponderEntry));
    setName(record->Name, name);
    entry.Transponders.push_back(std::move(record));
    return *entry.Transponders.back();
}

void allow(TTransponderEntry& t, int day, int from, int to) {
    for (int h = from; h < to; ++h)
        t.DayMask(day)[h / 8] |= static_cast<std::uint8_t>(1u << (h % 8));
}

// One small site that shows every rule of both reports.
TDeviceEntry site(bool withTransponders = true) {
    TDeviceEntry entry;
    addModule(entry, "B\xFCro", 0x12);
    addModule(entry, "Lager", 0x3);
    addModule(entry,
              "Au\xDF"
              "en",
              0x0);
    addModule(entry,
              "-\xDC"
              "bergang",
              0xABCD);
    if (!withTransponders)
        return entry;

    TTransponderEntry& first = addTransponder(entry, "J\xFCrgen G\xE4rtner");
    const std::uint8_t code[11] = {0, 0, 0, 0, 0, 0, 0, 0x12, 0x34, 0x56, 0xFF};
    std::memcpy(first.Code, code, sizeof code);
    first.setTransAkt(1);
    // Slot order, not module order: Lager before Büro; Lager twice; 0x77 is in no module; the 13
    // free slots list the address-0 module 13 times.
    first.setModuleSlot(0, 0x3);
    first.setModuleSlot(1, 0x12);
    first.setModuleSlot(2, 0x77);
    first.setModuleSlot(3, 0x3);
    allow(first, 1, 8, 12); // Montag
    allow(first, 1, 13, 17);
    allow(first, 3, 0, 24);  // Mittwoch: hours, but the day is off
    allow(first, 6, 0, 24);  // Samstag
    allow(first, 0, 23, 24); // Sonntag: a run to midnight, listed last
    first.DayRestr = 0x47;   // Sonntag, Montag, Dienstag (no hours), Samstag

    // A name with a formula after its ';': the spreadsheet reads that piece as a field of its own.
    TTransponderEntry& second = addTransponder(entry, "=Summe;-\xC4\rX");
    std::memcpy(second.Code, "+4711", 5); // text form
    second.setTransAkt(2);                // bit 0 clear
    second.setModuleSlot(0, 0xABCD);
    second.setModuleSlot(1, 0x3);
    for (int slot = 2; slot < kModuleSlots; ++slot)
        second.setModuleSlot(slot, 0x77); // no free slot: the address-0 module is not allowed
    std::memset(second.TimeRestr, 0xFF, sizeof second.TimeRestr);
    second.DayRestr = 0x80; // no day
    return entry;
}

} // namespace

class tst_OverviewReport : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void goldenFiles_data();
    void goldenFiles();
    void hoursLine_data();
    void hoursLine();
    void spreadsheetField_data();
    void spreadsheetField();
    void progressReportsEachStepOnce();
};

void tst_OverviewReport::goldenFiles_data() {
    QTest::addColumn<bool>("csv");
    QTest::addColumn<bool>("withTransponders");
    QTest::addColumn<QString>("file");

    QTest::newRow("text") << false << true << golden("overview.txt");
    QTest::newRow("csv") << true << true << golden("overview.csv");
    QTest::newRow("csv without transponders") << true << false << golden("overview_empty.csv");
    QTest::newRow("text without transponders") << false << false << QString();
}

void tst_OverviewReport::goldenFiles() {
    QFETCH(bool, csv);
    QFETCH(bool, withTransponders);
    QFETCH(QString, file);

    const TDeviceEntry entry = site(withTransponders);
    const QByteArray bytes = csv ? overview::CsvOverviewFile(entry) : overview::TextOverviewFile(entry);
    const QByteArray expected = file.isEmpty() ? QByteArray() : testsupport::readFile(file);
    QVERIFY(file.isEmpty() || !expected.isEmpty());
    QCOMPARE(testsupport::hexDump(bytes), testsupport::hexDump(expected));
}

void tst_OverviewReport::hoursLine_data() {
    QTest::addColumn<QByteArray>("dayMask");
    QTest::addColumn<QString>("line");

    QTest::newRow("none") << QByteArray::fromHex("000000") << QString();
    QTest::newRow("all day") << QByteArray::fromHex("FFFFFF") << QStringLiteral("    0Uhr-24Uhr");
    QTest::newRow("only 23") << QByteArray::fromHex("000080") << QStringLiteral("    23Uhr-24Uhr");
    QTest::newRow("only 0") << QByteArray::fromHex("010000") << QStringLiteral("    0Uhr-1Uhr");
    QTest::newRow("8-12 and 13-17") << QByteArray::fromHex("00EF01")
                                    << QStringLiteral("    8Uhr-12Uhr,13Uhr-17Uhr");
    QTest::newRow("run across a byte") << QByteArray::fromHex("C00300") << QStringLiteral("    6Uhr-10Uhr");
    QTest::newRow("every other hour, three runs")
        << QByteArray::fromHex("050080") << QStringLiteral("    0Uhr-1Uhr,2Uhr-3Uhr,23Uhr-24Uhr");
}

void tst_OverviewReport::hoursLine() {
    QFETCH(QByteArray, dayMask);
    QFETCH(QString, line);
    QCOMPARE(overview::HoursLine(reinterpret_cast<const std::uint8_t*>(dayMask.constData())), line);
}

void tst_OverviewReport::spreadsheetField_data() {
    QTest::addColumn<QString>("field");
    QTest::addColumn<QString>("safe");

    QTest::newRow("plain") << QStringLiteral("Tor (0x12)") << QStringLiteral("Tor (0x12)");
    QTest::newRow("empty") << QString() << QString();
    QTest::newRow("=") << QStringLiteral("=1+2") << QStringLiteral("'=1+2");
    QTest::newRow("+") << QStringLiteral("+49") << QStringLiteral("'+49");
    QTest::newRow("-") << QStringLiteral("-A") << QStringLiteral("'-A");
    QTest::newRow("@") << QStringLiteral("@SUM(A1)") << QStringLiteral("'@SUM(A1)");
    QTest::newRow("later = stays") << QStringLiteral("A=B") << QStringLiteral("A=B");
    QTest::newRow("CR and LF") << QStringLiteral("a\rb\nc\r\n") << QStringLiteral("a b c  ");
    QTest::newRow("semicolon stays") << QStringLiteral("a;b") << QStringLiteral("a;b");
    QTest::newRow("line break first, then =") << QStringLiteral("\r=x") << QStringLiteral(" =x");
}

void tst_OverviewReport::spreadsheetField() {
    QFETCH(QString, field);
    QFETCH(QString, safe);
    QCOMPARE(SpreadsheetField(field), safe);
}

void tst_OverviewReport::progressReportsEachStepOnce() {
    TDeviceEntry entry = site(false);
    for (int i = 0; i < 250; ++i)
        addTransponder(entry, "T");
    for (const bool csv : {false, true}) {
        QList<int> steps;
        const Progress progress = [&steps](const ProgressStep& step) {
            QCOMPARE(step.kind, ProgressStep::Percent);
            steps << static_cast<int>(step.value);
        };
        csv ? overview::CsvOverviewFile(entry, progress) : overview::TextOverviewFile(entry, progress);
        QCOMPARE(steps.size(), 101); // 0 after the first transponder of 250, then every percent once
        QCOMPARE(steps.front(), 0);
        QCOMPARE(steps.back(), 100);
        QVERIFY(std::is_sorted(steps.begin(), steps.end()));
    }
}

QTEST_GUILESS_MAIN(tst_OverviewReport)
#include "tst_OverviewReport.moc"
