#include "data/Logbook.h"
#include "data/SpreadsheetField.h"
#include "device/DeviceInfo.h"

#include <QLocale>
#include <QtTest>

#include <cstring>

using namespace logbook;

namespace {

TLogRecord record(std::uint8_t type, std::uint8_t status, const char* module, std::uint16_t address,
                  const char* name = "", const QByteArray& code = QByteArray()) {
    TLogRecord r;
    std::memset(&r, 0, sizeof r);
    r.Type = type;
    r.Status = status;
    r.Day = 5;
    r.Month = 3;
    r.Year = 25;
    r.Hour = 7;
    r.Minute = 8;
    r.Second = 9;
    r.setModuleAddress(address);
    std::memcpy(r.ModuleName, module, std::min<std::size_t>(std::strlen(module), 20));
    std::memcpy(r.TransponderName, name, std::min<std::size_t>(std::strlen(name), 20));
    std::memcpy(r.TransponderCode, code.constData(),
                static_cast<std::size_t>(std::min<qsizetype>(code.size(), 11)));
    return r;
}

QByteArray fileOf(const std::vector<TLogRecord>& records) {
    return QByteArray(reinterpret_cast<const char*>(records.data()),
                      static_cast<qsizetype>(records.size() * sizeof(TLogRecord)));
}

// "437-1499,0-436" for the slots in reading order.
QString ranges(const QList<int>& seen) {
    QStringList parts;
    for (qsizetype i = 0; i < seen.size();) {
        qsizetype j = i;
        while (j + 1 < seen.size() && seen.at(j + 1) == seen.at(j) + 1)
            ++j;
        parts << QStringLiteral("%1-%2").arg(seen.at(i)).arg(seen.at(j));
        i = j + 1;
    }
    return parts.join(QLatin1Char(','));
}

const char* endName(LogEnd end) {
    switch (end) {
    case LogEnd::Complete:
        return "complete";
    case LogEnd::ShortRead:
        return "short";
    case LogEnd::SeekError:
        return "seek error";
    case LogEnd::TableViolation:
        return "table";
    case LogEnd::Stopped:
        return "stopped";
    }
    return "?";
}

} // namespace

class TestLogbook : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void slotSequence_data();
    void slotSequence();
    void rowTexts_data();
    void rowTexts();
    void recordOutsideTablesEndsRead_data();
    void recordOutsideTablesEndsRead();
    void exportIsByteExact();
    void exportEnds_data();
    void exportEnds();
    void spreadsheetField_data();
    void spreadsheetField();
    void compareRows_data();
    void compareRows();
    void twoDigitYears_data();
    void twoDigitYears();
};

void TestLogbook::slotSequence_data() {
    QTest::addColumn<QString>("firmware");
    QTest::addColumn<int>("count");
    QTest::addColumn<int>("position");
    QTest::addColumn<int>("fileBytes");
    QTest::addColumn<QString>("read");
    const int full = 1500 * 63;
    QTest::newRow("1.39 empty") << "1.39" << 0 << 0 << 0 << " complete";
    QTest::newRow("1.38 count but empty file") << "1.38" << 5 << 5 << 0 << " short";
    QTest::newRow("1.39 not wrapped") << "1.39" << 300 << 300 << 300 * 63 << "0-299 complete";
    QTest::newRow("1.38 not wrapped") << "1.38" << 300 << 300 << 300 * 63 << "0-299 complete";
    QTest::newRow("1.39 full at 0") << "1.39" << 1500 << 0 << full << "0-1499 complete";
    QTest::newRow("1.39 wrapped at 437") << "1.39" << 1500 << 437 << full << "437-1499,0-436 complete";
    QTest::newRow("1.38 wrapped at 437") << "1.38" << 1500 << 437 << full << "0-1499 complete";
    QTest::newRow("2.05 wrapped at 437") << "2.05" << 1500 << 437 << full << "0-1499 complete";
    QTest::newRow("1.39 count > file") << "1.39" << 300 << 300 << 200 * 63 << "0-199 seek error";
    QTest::newRow("1.38 count > file") << "1.38" << 300 << 300 << 200 * 63 << "0-199 short";
    QTest::newRow("1.39 count > file, partial") << "1.39" << 300 << 300 << 200 * 63 + 10 << "0-199 short";
    QTest::newRow("1.39 wrapped, file short") << "1.39" << 1500 << 437 << 1000 * 63 << "437-999 seek error";
    QTest::newRow("1.39 position > count") << "1.39" << 300 << 800 << full << "500-799 complete";
    QTest::newRow("1.39 position < count") << "1.39" << 300 << 100 << full << "1300-1499,0-99 complete";
    QTest::newRow("1.39 count beyond ring") << "1.39" << 2000 << 0 << full << " seek error";
}

void TestLogbook::slotSequence() {
    QFETCH(QString, firmware);
    QFETCH(int, count);
    QFETCH(int, position);
    QFETCH(int, fileBytes);
    QFETCH(QString, read);
    TDeviceInfo info{};
    info.FirmwareMajor = static_cast<std::uint8_t>(firmware.section(QLatin1Char('.'), 0, 0).toInt());
    info.FirmwareMinor = static_cast<std::uint8_t>(firmware.section(QLatin1Char('.'), 1, 1).toInt());
    LogReader reader(QByteArray(fileBytes, '\0'), {count, position, FirmwareAtLeast(true, info, 39)});
    QList<int> seen;
    TLogRecord r;
    while (reader.next(r) && seen.size() <= 3000)
        seen << reader.lastSlot();
    QCOMPARE(ranges(seen) + QLatin1Char(' ') + QLatin1String(endName(reader.end())), read);
}

void TestLogbook::rowTexts_data() {
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("row");
    const QByteArray binary = QByteArray::fromHex("00000000000000123456FF");
    const auto bytes = [](const TLogRecord& r) { return QByteArray(reinterpret_cast<const char*>(&r), 63); };
    QTest::newRow("admitted, binary code")
        << bytes(record(1, 2, "Haupteingang", 0x001A,
                        "J\xFCrgen Sch\xE4"
                        "fer",
                        binary))
        << QStringLiteral("05.03.25|07:08:09|Anmeldung|Anmeldung erfolgreich|Haupteingang|1A Hex|Jürgen "
                          "Schäfer|123456");
    QTest::newRow("code not found: no name")
        << bytes(record(1, 0, "Lager Tor 2", 0x0100, "Anna", "AB12"))
        << QStringLiteral("05.03.25|07:08:09|Anmeldung|Transponder nicht gefunden|Lager Tor 2|100 Hex||AB12");
    QTest::newRow("sabotage: no transponder")
        << bytes(record(2, 1, "Serverraum", 0, "Anna", "AB12"))
        << QStringLiteral("05.03.25|07:08:09|Sabotage|Sabotiertes Modul gesperrt|Serverraum|0 Hex||");
    QTest::newRow("type 0: no status") << bytes(record(0, 4, "Tiefgarage Ein", 0xBEEF, "Anna", "AB12"))
                                       << QStringLiteral("05.03.25|07:08:09|n/a||Tiefgarage Ein|BEEF Hex||");
    QTest::newRow("twenty characters without a zero")
        << bytes(record(1, 3, "ABCDEFGHIJKLMNOPQRST", 1, "abcdefghijklmnopqrst", "0123456789X"))
        << QStringLiteral("05.03.25|07:08:09|Anmeldung|Keine Berechtigung (Zeit)|ABCDEFGHIJKLMNOPQRST|1 "
                          "Hex|abcdefghijklmnopqrst|0123456789X");
}

void TestLogbook::rowTexts() {
    QFETCH(QByteArray, bytes);
    QFETCH(QString, row);
    TLogRecord r;
    std::memcpy(&r, bytes.constData(), sizeof r);
    const RowTexts texts = RowTextsOf(r);
    QCOMPARE(QStringList(texts.begin(), texts.end()).join(QLatin1Char('|')), row);
}

void TestLogbook::recordOutsideTablesEndsRead_data() {
    QTest::addColumn<int>("type");
    QTest::addColumn<int>("status");
    QTest::addColumn<QString>("text");
    QTest::newRow("type 3") << 3 << 0 << "Der Logbucheintrag Nr. 3 hat einen unbekannten Typ (3).";
    QTest::newRow("type 255") << 255 << 9 << "Der Logbucheintrag Nr. 3 hat einen unbekannten Typ (255).";
    QTest::newRow("login status 6")
        << 1 << 6 << "Der Logbucheintrag Nr. 3 hat einen unbekannten Status (6) für den Typ \"Anmeldung\".";
    QTest::newRow("sabotage status 3")
        << 2 << 3 << "Der Logbucheintrag Nr. 3 hat einen unbekannten Status (3) für den Typ \"Sabotage\".";
}

void TestLogbook::recordOutsideTablesEndsRead() {
    QFETCH(int, type);
    QFETCH(int, status);
    QFETCH(QString, text);
    const std::vector<TLogRecord> records = {
        record(1, 5, "A", 1), record(0, 200, "B", 2),
        record(static_cast<std::uint8_t>(type), static_cast<std::uint8_t>(status), "C", 3),
        record(1, 2, "D", 4)};
    const LogbookContent content = ReadLogbookCopy(fileOf(records), {4, 4, true});
    QCOMPARE(int(content.records.size()), 2);
    QCOMPARE(content.end, LogEnd::TableViolation);
    QCOMPARE(TableViolationText(content.violation), text);
}

void TestLogbook::exportIsByteExact() {
    const std::vector<TLogRecord> records = {
        record(1, 2, "B\xFCro EG", 0x001A, "J\xFCrgen M\xFCller",
               QByteArray::fromHex("00000000000000001234FF")),
        record(1, 0, "Lager", 0x0002, "Unbekannt", "AB12"),
        record(2, 2, "=SUMME(A1)", 0x0105, "egal", "egal"),
        record(1, 5, "T\xFCr\rNord", 0x0FFF, "@admin", "-12"),
        record(0, 0, "Kantine", 0x0001),
        record(1, 2, "Nach dem Ende", 0x0001, "Niemand", "1"),
    };
    const LogbookExport exported = ExportLogbookCopy(fileOf(records), {6, 6, true});
    QCOMPARE(exported.end, LogEnd::Stopped);
    QCOMPARE(exported.lines, 4);
    QCOMPARE(
        exported.text,
        QByteArray(
            "05.03.25;07:08:09;Anmeldung;Anmeldung erfolgreich;B\xFCro EG;1A;J\xFCrgen M\xFCller;1234;\r\n"
            "05.03.25;07:08:09;Anmeldung;Transponder nicht gefunden;Lager;2;;AB12;\r\n"
            "05.03.25;07:08:09;Sabotage;Alle Module gesperrt;'=SUMME(A1);105;;;\r\n"
            "05.03.25;07:08:09;Anmeldung;Keine Berechtigung (Modul);T\xFCr Nord;FFF;'@admin;'-12;\r\n"));
}

void TestLogbook::exportEnds_data() {
    QTest::addColumn<int>("type");
    QTest::addColumn<int>("status");
    QTest::addColumn<int>("count");
    QTest::addColumn<int>("lines");
    QTest::addColumn<QString>("end");
    QTest::newRow("all written") << 1 << 2 << 2 << 2 << "complete";
    QTest::newRow("login status 6 stops") << 1 << 6 << 2 << 1 << "stopped";
    QTest::newRow("type 3 stops") << 3 << 0 << 2 << 1 << "stopped";
    QTest::newRow("sabotage status 3 is outside its table") << 2 << 3 << 2 << 1 << "table";
    QTest::newRow("slot beyond the copy") << 1 << 2 << 3 << 2 << "seek error";
}

void TestLogbook::exportEnds() {
    QFETCH(int, type);
    QFETCH(int, status);
    QFETCH(int, count);
    QFETCH(int, lines);
    QFETCH(QString, end);
    const std::vector<TLogRecord> records = {
        record(1, 1, "A", 1),
        record(static_cast<std::uint8_t>(type), static_cast<std::uint8_t>(status), "B", 2)};
    const LogbookExport exported = ExportLogbookCopy(fileOf(records), {count, count, true});
    QCOMPARE(QLatin1String(endName(exported.end)), end);
    QCOMPARE(exported.lines, lines);
    QCOMPARE(ExportComplete(exported.end),
             end == QLatin1String("complete") || end == QLatin1String("stopped"));
}

void TestLogbook::spreadsheetField_data() {
    QTest::addColumn<QString>("field");
    QTest::addColumn<QString>("safe");
    QTest::newRow("plain") << "Haupteingang"
                           << "Haupteingang";
    QTest::newRow("empty") << ""
                           << "";
    QTest::newRow("=") << "=1+2"
                       << "'=1+2";
    QTest::newRow("+") << "+49 30"
                       << "'+49 30";
    QTest::newRow("-") << "-12"
                       << "'-12";
    QTest::newRow("@") << "@SUM(A1)"
                       << "'@SUM(A1)";
    QTest::newRow("inside only") << "Tor = 2"
                                 << "Tor = 2";
    QTest::newRow("line breaks") << "a\rb\nc\r\nd"
                                 << "a b c  d";
    QTest::newRow("break before a formula") << "\r=1"
                                            << " =1";
    QTest::newRow("TAB") << "\t=1"
                         << "'\t=1";
    // A ';' inside a name starts a new spreadsheet field: each piece is guarded by itself.
    QTest::newRow("formula after ;") << "a;=1+1"
                                     << "a;'=1+1";
    QTest::newRow("every piece") << "=a;+b;-c;@d;\te"
                                 << "'=a;'+b;'-c;'@d;'\te";
    QTest::newRow("empty pieces") << ";;=x;"
                                  << ";;'=x;";
    QTest::newRow("inside a piece only") << "a;b=1"
                                         << "a;b=1";
}

void TestLogbook::spreadsheetField() {
    QFETCH(QString, field);
    QFETCH(QString, safe);
    QCOMPARE(SpreadsheetField(field), safe);
}

void TestLogbook::compareRows_data() {
    QTest::addColumn<int>("column");
    QTest::addColumn<QString>("a");
    QTest::addColumn<QString>("b");
    QTest::addColumn<int>("order"); // -1: a first, 0: equal, 1: b first
    QTest::newRow("newer date first") << 0 << "02.01.25"
                                      << "01.01.25" << -1;
    QTest::newRow("year before month") << 0 << "01.12.24"
                                       << "01.01.25" << 1;
    QTest::newRow("00.00.00 is oldest") << 0 << "00.00.00"
                                        << "01.01.00" << 1;
    QTest::newRow("45.13.99 is oldest") << 0 << "31.12.99"
                                        << "45.13.99" << -1;
    QTest::newRow("invalid dates equal") << 0 << "45.13.99"
                                         << "00.00.00" << 0;
    QTest::newRow("30 February") << 0 << "30.02.24"
                                 << "29.02.24" << 1;
    QTest::newRow("three-digit year") << 0 << "01.01.255"
                                      << "01.01.00" << 1;
    QTest::newRow("unset clock 98 is older than 25") << 0 << "01.01.98"
                                                     << "01.01.25" << 1;
    QTest::newRow("earlier time first") << 1 << "07:00:00"
                                        << "06:59:59" << 1;
    QTest::newRow("50 seconds apart") << 1 << "00:00:10"
                                      << "00:01:00" << -1;
    QTest::newRow("invalid time earliest") << 1 << "24:00:00"
                                           << "00:00:00" << -1;
    QTest::newRow("address as text") << 5 << "1A Hex"
                                     << "2 Hex" << -1;
    QTest::newRow("ASCII case ignored") << 4 << "lager"
                                        << "LAGER" << 0;
    QTest::newRow("umlaut case kept") << 4 << "büro"
                                      << "BÜRO" << 1;
    QTest::newRow("letters compare upper-cased") << 6 << "_x"
                                                 << "a" << 1;
    QTest::newRow("unknown column") << 9 << "b"
                                    << "a" << 0;
}

void TestLogbook::compareRows() {
    QFETCH(int, column);
    QFETCH(QString, a);
    QFETCH(QString, b);
    QFETCH(int, order);
    const auto keysOf = [column](const QString& text) {
        RowTexts row;
        row[static_cast<std::size_t>(qBound(0, column, kColumnCount - 1))] = text;
        return SortRow(row);
    };
    for (const char* locale : {"de_DE", "en_US", "ar_EG", "C"}) {
        QLocale::setDefault(QLocale(QString::fromLatin1(locale)));
        const int result = CompareRows(column, keysOf(a), keysOf(b));
        QVERIFY2((result > 0) - (result < 0) == order, locale);
        const int reverse = CompareRows(column, keysOf(b), keysOf(a));
        QCOMPARE((reverse > 0) - (reverse < 0), -order);
    }
    QLocale::setDefault(QLocale::c());
}

void TestLogbook::twoDigitYears_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("thisYear");
    QTest::addColumn<QDate>("date");
    QTest::newRow("this year") << "09.12.26" << 2026 << QDate(2026, 12, 9);
    QTest::newRow("50 ahead") << "01.01.76" << 2026 << QDate(2076, 1, 1);
    QTest::newRow("51 ahead: previous century") << "01.01.77" << 2026 << QDate(1977, 1, 1);
    QTest::newRow("unset clock") << "01.01.98" << 2026 << QDate(1998, 1, 1);
    QTest::newRow("00") << "01.01.00" << 2026 << QDate(2000, 1, 1);
    QTest::newRow("49 back, next century") << "31.12.30" << 2080 << QDate(2130, 12, 31);
    QTest::newRow("within the century") << "01.06.31" << 2080 << QDate(2031, 6, 1);
    QTest::newRow("29 February of 2000") << "29.02.00" << 2026 << QDate(2000, 2, 29);
}

void TestLogbook::twoDigitYears() {
    QFETCH(QString, text);
    QFETCH(int, thisYear);
    QFETCH(QDate, date);
    QCOMPARE(DateSortKey(text, thisYear), date.toJulianDay());
}

QTEST_APPLESS_MAIN(TestLogbook)
#include "tst_logbook.moc"
