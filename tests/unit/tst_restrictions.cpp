// The restriction fields as the editors change them: the slot rewrite, the day numbering and hour bits,
// and the records "Modul hinzufügen" and "Transponder hinzufügen" create.

#include "data/NewRecords.h"
#include "data/Restrictions.h"
#include "support/TestSupport.h"

#include <QtTest>

#include <cstring>
#include <vector>

using Addresses = std::vector<std::uint16_t>;
Q_DECLARE_METATYPE(Addresses)

namespace {

template <typename Record> QString hexOf(const Record& record, std::size_t offset, std::size_t length) {
    return testsupport::hexDump(
        QByteArray(reinterpret_cast<const char*>(&record) + offset, static_cast<qsizetype>(length)));
}

QString slotsHex(const std::uint8_t* slotBytes) {
    return testsupport::hexDump(QByteArray(reinterpret_cast<const char*>(slotBytes), kModuleSlots * 2));
}

// 34 bytes of slotBytes: the given little-endian words, the rest zero.
QString slotsOf(std::initializer_list<std::uint16_t> words) {
    std::uint8_t slotBytes[kModuleSlots * 2] = {};
    int i = 0;
    for (const std::uint16_t w : words)
        SetLE16(slotBytes + 2 * i++, w);
    return slotsHex(slotBytes);
}

Addresses range(std::uint16_t first, int count) {
    Addresses a;
    for (int i = 0; i < count; ++i)
        a.push_back(static_cast<std::uint16_t>(first + i));
    return a;
}

} // namespace

class TestRestrictions : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void slotRewrite_data();
    void slotRewrite();
    void rewriteStaysInsideTheSlots();
    void dayAndHourLayout_data();
    void dayAndHourLayout();
    void newTransponder_data();
    void newTransponder();
    void newModule();
};

void TestRestrictions::slotRewrite_data() {
    QTest::addColumn<Addresses>("checked");
    QTest::addColumn<QString>("slotBytes");
    QTest::addColumn<int>("stored");
    QTest::addColumn<int>("skippedZero");
    QTest::addColumn<int>("dropped");

    QTest::newRow("list order") << Addresses{0x0012, 0x0003} << slotsOf({0x0012, 0x0003}) << 2 << 0 << 0;
    QTest::newRow("nothing checked") << Addresses{} << slotsOf({}) << 0 << 0 << 0;
    QTest::newRow("17 fill every slot")
        << range(0x0101, 17)
        << slotsOf({0x0101, 0x0102, 0x0103, 0x0104, 0x0105, 0x0106, 0x0107, 0x0108, 0x0109, 0x010A, 0x010B,
                    0x010C, 0x010D, 0x010E, 0x010F, 0x0110, 0x0111})
        << 17 << 0 << 0;
    QTest::newRow("the 18th is not written")
        << range(0x0101, 18)
        << slotsOf({0x0101, 0x0102, 0x0103, 0x0104, 0x0105, 0x0106, 0x0107, 0x0108, 0x0109, 0x010A, 0x010B,
                    0x010C, 0x010D, 0x010E, 0x010F, 0x0110, 0x0111})
        << 17 << 0 << 1;
    QTest::newRow("address 0 leaves no gap")
        << Addresses{0x0000, 0x0005, 0x0000, 0x0007} << slotsOf({0x0005, 0x0007}) << 2 << 2 << 0;
    QTest::newRow("address 0 takes no slot of the 17")
        <<
        [] {
            Addresses a = range(0x0201, 17);
            a.insert(a.begin() + 3, 0x0000);
            return a;
        }()
        << slotsOf({0x0201, 0x0202, 0x0203, 0x0204, 0x0205, 0x0206, 0x0207, 0x0208, 0x0209, 0x020A, 0x020B,
                    0x020C, 0x020D, 0x020E, 0x020F, 0x0210, 0x0211})
        << 17 << 1 << 0;
    QTest::newRow("duplicates keep a slot each")
        << Addresses{0xBEEF, 0xBEEF} << slotsOf({0xBEEF, 0xBEEF}) << 2 << 0 << 0;
}

void TestRestrictions::slotRewrite() {
    QFETCH(Addresses, checked);
    QFETCH(QString, slotBytes);
    QFETCH(int, stored);
    QFETCH(int, skippedZero);
    QFETCH(int, dropped);

    TTransponderEntry t;
    std::memset(&t, 0xA5, sizeof t); // old slotBytes and every neighbour byte
    const auto result = restrictions::RewriteModuleSlots(t.ModulRestr, checked);
    QCOMPARE(slotsHex(t.ModulRestr), slotBytes);
    QCOMPARE(result.stored, stored);
    QCOMPARE(result.skippedZero, skippedZero);
    QCOMPARE(result.dropped, dropped);
    QCOMPARE(restrictions::SlotsNeeded(checked), stored + dropped);
}

void TestRestrictions::rewriteStaysInsideTheSlots() {
    TTransponderEntry t;
    std::memset(&t, 0x5A, sizeof t);
    const TTransponderEntry before = t;
    restrictions::RewriteModuleSlots(t.ModulRestr, range(0x0301, 40));
    QCOMPARE(hexOf(t, 0, 33), hexOf(before, 0, 33));
    QCOMPARE(hexOf(t, 67, 22), hexOf(before, 67, 22));
}

void TestRestrictions::dayAndHourLayout_data() {
    QTest::addColumn<int>("row");
    QTest::addColumn<int>("hour");
    QTest::addColumn<int>("offset"); // of the hour's byte in the transponder record
    QTest::addColumn<int>("bit");
    QTest::addColumn<int>("dayBit"); // of the row's day in DayRestr

    QTest::newRow("Monday 00-01") << 0 << 0 << 70 << 0 << 0x02;
    QTest::newRow("Monday 23-24") << 0 << 23 << 72 << 7 << 0x02;
    QTest::newRow("Tuesday 12-13") << 1 << 12 << 74 << 4 << 0x04;
    QTest::newRow("Wednesday 07-08") << 2 << 7 << 76 << 7 << 0x08;
    QTest::newRow("Thursday 16-17") << 3 << 16 << 81 << 0 << 0x10;
    QTest::newRow("Friday 08-09") << 4 << 8 << 83 << 0 << 0x20;
    QTest::newRow("Saturday 23-24") << 5 << 23 << 87 << 7 << 0x40;
    QTest::newRow("Sunday 00-01") << 6 << 0 << 67 << 0 << 0x01;
    QTest::newRow("Sunday 08-09 is byte 68 = 0x01") << 6 << 8 << 68 << 0 << 0x01;
}

void TestRestrictions::dayAndHourLayout() {
    QFETCH(int, row);
    QFETCH(int, hour);
    QFETCH(int, offset);
    QFETCH(int, bit);
    QFETCH(int, dayBit);

    const int day = restrictions::DayOfRow(row);
    QCOMPARE(restrictions::RowOfDay(day), row);
    QCOMPARE(int(restrictions::DayBit(day)), dayBit);

    TTransponderEntry t;
    std::memset(&t, 0, sizeof t);
    restrictions::SetHourAllowed(t.DayMask(day), hour, true);
    const auto* bytes = reinterpret_cast<const std::uint8_t*>(&t);
    for (int i = 0; i < int(sizeof t); ++i)
        QCOMPARE(int(bytes[i]), i == offset ? (1 << bit) : 0);
    QVERIFY(restrictions::HourAllowed(t.DayMask(day), hour));
    QVERIFY(!restrictions::HourAllowed(t.DayMask(day), (hour + 1) % 24));
    QCOMPARE(int(restrictions::DayMaskOffset(day)) + hour / 8, offset);
    restrictions::SetHourAllowed(t.DayMask(day), hour, false);
    QCOMPARE(int(bytes[offset]), 0);
}

void TestRestrictions::newTransponder_data() {
    QTest::addColumn<int>("apply");
    QTest::addColumn<QString>("restrictions"); // bytes 33 to 88

    const QString allHours =
        QStringLiteral("FF FF FF FF FF FF FF FF FF FF FF FF FF FF FF FF FF FF FF FF FF FF");
    QTest::newRow("not applied: every hour, no module") << 0 << slotsOf({}) + QLatin1Char(' ') + allHours;
    QTest::newRow("a flag other than 1 is not applied") << 2 << slotsOf({}) + QLatin1Char(' ') + allHours;
    QTest::newRow("applied: the default block")
        << 1
        << slotsOf({0x0012, 0x0003}) +
               QStringLiteral(" 00 01 00"                                     // Sunday
                              " 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00" // Monday to Friday
                              " 00 00 80"                                     // Saturday
                              " 81");
}

void TestRestrictions::newTransponder() {
    QFETCH(int, apply);
    QFETCH(QString, restrictions);

    TDefaultRestrictions block;
    std::memset(&block, 0, sizeof block);
    block.ApplyRestr = static_cast<std::uint8_t>(apply);
    block.setModuleSlot(0, 0x0012);
    block.setModuleSlot(1, 0x0003);
    block.DayMask(0)[1] = 0x01; // Sunday 08:00 - 09:00
    block.DayMask(6)[2] = 0x80; // Saturday 23:00 - 24:00
    block.DayRestr = 0x81;      // Sunday and the bit that has no day

    const TTransponderEntry t = NewTransponder(block, CodeForm::Binary);
    QCOMPARE(hexOf(t, 0, 20), QStringLiteral("4E 65 75 65 72 20 54 72 61 6E 73 70 6F 6E 64 65 72 00 00 00"));
    QCOMPARE(hexOf(t, 20, 13), QStringLiteral("00 00 00 00 00 00 00 00 00 00 FF 01 00"));
    QCOMPARE(hexOf(t, 33, 56), restrictions);

    // For a controller that stores text codes: an empty text code, everything else the same.
    const TTransponderEntry text = NewTransponder(block, CodeForm::Text);
    QCOMPARE(hexOf(text, 20, 13), QStringLiteral("00 00 00 00 00 00 00 00 00 00 00 01 00"));
    QCOMPARE(hexOf(text, 0, 20), hexOf(t, 0, 20));
    QCOMPARE(hexOf(text, 33, 56), restrictions);
}

void TestRestrictions::newModule() {
    const TModuleEntry m = NewModule();
    QCOMPARE(hexOf(m, 0, 20), QStringLiteral("4E 65 75 65 73 20 4D 6F 64 75 6C 00 00 00 00 00 00 00 00 00"));
    QCOMPARE(hexOf(m, 20, 20), QStringLiteral("00 00 01 00 14 00 0A 00 00 00 00 00 00 00 00 00 00 00 00 00"));
}

QTEST_GUILESS_MAIN(TestRestrictions)
#include "tst_restrictions.moc"
