#include "data/Records.h"
#include "data/TableFiles.h"
#include "device/Conversions.h"
#include "support/TestSupport.h"

#include <QTemporaryDir>
#include <QtTest>

#include <cstring>

class TestRecords : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void moduleFieldsAreLittleEndianAtTheirOffsets();
    void transponderFieldsAreLittleEndianAtTheirOffsets();
    void defaultBlockShape();
    void tableFiles_data();
    void tableFiles();
    void missingFileCannotBeRead();
};

void TestRecords::moduleFieldsAreLittleEndianAtTheirOffsets() {
    TModuleEntry m;
    std::memset(&m, 0, sizeof m);
    m.setModAddr(0x1234);
    m.setUnnamed(0x0001);
    m.setRelaisTime(20);
    m.setLEDTime(10);
    m.setRelais(2);
    m.setMode(1);
    m.setMaxEinEnabled(1);
    m.setMaxEinTime(0xABCD);
    m.setNachlaufEnabled(1);
    m.setNachlaufTime(0x0102);
    const QByteArray bytes(reinterpret_cast<const char*>(&m), sizeof m);
    QCOMPARE(testsupport::hexDump(bytes.mid(20)),
             QStringLiteral("34 12 01 00 14 00 0A 00 02 00 01 00 01 00 CD AB 01 00 02 01"));
    QCOMPARE(m.ModAddr(), std::uint16_t(0x1234));
    QCOMPARE(m.NachlaufTime(), std::uint16_t(0x0102));
}

void TestRecords::transponderFieldsAreLittleEndianAtTheirOffsets() {
    TTransponderEntry t;
    std::memset(&t, 0, sizeof t);
    t.setTransAkt(1);
    t.setModuleSlot(0, 0x0012);
    t.setModuleSlot(1, 0x0003);
    t.setModuleSlot(16, 0xBEEF);
    t.DayMask(0)[1] = 0x01; // Sunday 08:00 - 09:00
    t.DayRestr = 0x01;
    const auto* b = reinterpret_cast<const std::uint8_t*>(&t);
    QCOMPARE(b[31], std::uint8_t(1));
    QCOMPARE(b[32], std::uint8_t(0));
    QCOMPARE(testsupport::hexDump(QByteArray(reinterpret_cast<const char*>(b + 33), 4)),
             QStringLiteral("12 00 03 00"));
    QCOMPARE(b[65], std::uint8_t(0xEF));
    QCOMPARE(b[66], std::uint8_t(0xBE));
    QCOMPARE(b[68], std::uint8_t(0x01));
    QCOMPARE(b[88], std::uint8_t(0x01));

    // Both code forms read through the same conversion.
    const std::uint8_t binary[11] = {0, 0, 0, 0, 0, 0, 0x12, 0x34, 0xAB, 0xCD, 0xFF};
    std::memcpy(t.Code, binary, 11);
    QCOMPARE(CodeToStr(t.Code, 10), QStringLiteral("1234ABCD"));
    t.Code[10] = 0;
    QCOMPARE(CodeToStr(t.Code, 10), QString());
}

void TestRecords::defaultBlockShape() {
    // The default block has the layout of bytes 32 to 88 of a transponder record.
    QCOMPARE(offsetof(TDefaultRestrictions, ModulRestr) + 32, offsetof(TTransponderEntry, ModulRestr));
    QCOMPARE(offsetof(TDefaultRestrictions, TimeRestr) + 32, offsetof(TTransponderEntry, TimeRestr));
    QCOMPARE(offsetof(TDefaultRestrictions, DayRestr) + 32, offsetof(TTransponderEntry, DayRestr));
}

void TestRecords::tableFiles_data() {
    QTest::addColumn<int>("records");
    QTest::addColumn<int>("extra");
    QTest::newRow("empty") << 0 << 0;
    QTest::newRow("one") << 1 << 0;
    QTest::newRow("1000") << 1000 << 0;
    QTest::newRow("partial record only") << 0 << 88;
    QTest::newRow("two and a partial") << 2 << 5;
}

void TestRecords::tableFiles() {
    QFETCH(int, records);
    QFETCH(int, extra);
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("trans_cfg.dat"));
    QByteArray bytes(records * 89 + extra, '\0');
    for (qsizetype i = 0; i < bytes.size(); ++i)
        bytes[i] = static_cast<char>((i * 31 + 7) & 0xFF);
    QVERIFY(testsupport::writeFile(path, bytes));

    RecordList<TTransponderEntry> list;
    TableFileInfo info;
    QVERIFY(ReadTableFile(path, list, &info));
    QVERIFY(info.opened);
    QCOMPARE(int(list.size()), records);
    QCOMPARE(int(info.records), records);
    QCOMPARE(int(info.extraBytes), extra);

    // Written back: exactly the complete records, byte for byte.
    QVERIFY(WriteTableFile(path, list));
    QCOMPARE(testsupport::readFile(path), bytes.left(records * 89));
}

void TestRecords::missingFileCannotBeRead() {
    RecordList<TModuleEntry> list;
    TableFileInfo info;
    QVERIFY(!ReadTableFile(QStringLiteral("/nonexistent/module_cfg.dat"), list, &info));
    QVERIFY(!info.opened);
    QVERIFY(list.empty());
    QVERIFY(!WriteTableFile(QStringLiteral("/nonexistent/module_cfg.dat"), list));
}

QTEST_GUILESS_MAIN(TestRecords)
#include "tst_records.moc"
