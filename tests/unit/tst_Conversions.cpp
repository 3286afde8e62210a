#include "device/Conversions.h"
#include "device/ProgramFolder.h"
#include "support/TestSupport.h"
#include "ui/KeyFilters.h"

#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

#include <array>

namespace {

QByteArray bytes(std::initializer_list<int> values) {
    QByteArray result;
    for (int v : values)
        result.append(static_cast<char>(v));
    return result;
}

} // namespace

class TestKlvUtils : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void hexToCode_data();
    void hexToCode();
    void hexToCodeTooSmallWritesNothing();
    void hexToCodeNeverWritesOutside_data();
    void hexToCodeNeverWritesOutside();
    void bytesToHex_data();
    void bytesToHex();
    void charsToStr_data();
    void charsToStr();
    void codeToStr_data();
    void codeToStr();
    void cutStr_data();
    void cutStr();
    void chooseStr();
    void hexKeyFilter_data();
    void hexKeyFilter();
    void ansiRoundTrip();
    void strToChars_data();
    void strToChars();
    void hexStrToInt_data();
    void hexStrToInt();
    void appDirIsWritableAndEndsWithSeparator();
};

void TestKlvUtils::hexToCode_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("result");
    QTest::addColumn<QByteArray>("field");
    QTest::newRow("four digits right-aligned")
        << "1A2B" << true << bytes({0, 0, 0, 0, 0, 0, 0, 0, 0x1A, 0x2B, 0xFF});
    QTest::newRow("empty text: zeros and marker")
        << "" << false << bytes({0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0xFF});
    QTest::newRow("one digit dropped") << "F" << true << bytes({0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0xFF});
    QTest::newRow("odd length drops the first digit")
        << "ABC" << true << bytes({0, 0, 0, 0, 0, 0, 0, 0, 0, 0xBC, 0xFF});
    QTest::newRow("twenty digits fill bytes 0 to 9")
        << "0102030405060708090A" << true << bytes({1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 0xFF});
    QTest::newRow("lower case digits") << "ab" << true << bytes({0, 0, 0, 0, 0, 0, 0, 0, 0, 0xAB, 0xFF});
    QTest::newRow("invalid pair stored as 0")
        << "G112" << true << bytes({0, 0, 0, 0, 0, 0, 0, 0, 0x00, 0x12, 0xFF});
    QTest::newRow("leading zero pairs kept in the field")
        << "00001A2B" << true << bytes({0, 0, 0, 0, 0, 0, 0x00, 0x00, 0x1A, 0x2B, 0xFF});
}

void TestKlvUtils::hexToCode() {
    QFETCH(QString, text);
    QFETCH(bool, result);
    QFETCH(QByteArray, field);
    std::array<std::uint8_t, 11> dest;
    dest.fill(0x55);
    QCOMPARE(HexToCode(text, dest.data(), 10), result);
    QCOMPARE(testsupport::hexDump(QByteArray(reinterpret_cast<const char*>(dest.data()), 11)),
             testsupport::hexDump(field));
}

void TestKlvUtils::hexToCodeTooSmallWritesNothing() {
    std::array<std::uint8_t, 9> dest;
    dest.fill(0x55);
    QVERIFY(!HexToCode(QStringLiteral("1234"), dest.data(), 8));
    for (std::uint8_t b : dest)
        QCOMPARE(b, std::uint8_t(0x55));
}

void TestKlvUtils::hexToCodeNeverWritesOutside_data() {
    QTest::addColumn<QString>("text");
    QTest::newRow("22 digits") << QString(22, QLatin1Char('F'));
    QTest::newRow("200 digits") << QString(200, QLatin1Char('7'));
    QTest::newRow("21 digits") << QString(21, QLatin1Char('1'));
}

void TestKlvUtils::hexToCodeNeverWritesOutside() {
    QFETCH(QString, text);
    // Guard bytes on both sides of an 11-byte field.
    std::array<std::uint8_t, 15> buffer;
    buffer.fill(0xEE);
    QVERIFY(HexToCode(text, buffer.data() + 2, 10));
    QCOMPARE(buffer[0], std::uint8_t(0xEE));
    QCOMPARE(buffer[1], std::uint8_t(0xEE));
    QCOMPARE(buffer[2 + 10], std::uint8_t(0xFF)); // the marker survives
    QCOMPARE(buffer[13], std::uint8_t(0xEE));
    QCOMPARE(buffer[14], std::uint8_t(0xEE));
}

void TestKlvUtils::bytesToHex_data() {
    QTest::addColumn<QByteArray>("data");
    QTest::addColumn<QString>("text");
    QTest::newRow("leading zeros skipped, inner kept") << bytes({0, 0, 0x1A, 0, 0x2B}) << "1A002B";
    QTest::newRow("all zero") << bytes({0, 0, 0}) << "";
    QTest::newRow("no bytes") << QByteArray() << "";
    QTest::newRow("upper case pairs") << bytes({0xAB, 0x0C}) << "AB0C";
    QTest::newRow("trailing zero kept") << bytes({0x05, 0x00}) << "0500";
}

void TestKlvUtils::bytesToHex() {
    QFETCH(QByteArray, data);
    QFETCH(QString, text);
    QCOMPARE(
        BytesToHex(reinterpret_cast<const std::uint8_t*>(data.constData()), static_cast<int>(data.size())),
        text);
}

void TestKlvUtils::charsToStr_data() {
    QTest::addColumn<QByteArray>("field");
    QTest::addColumn<QString>("text");
    QTest::newRow("twenty characters without NUL")
        << QByteArray("ABCDEFGHIJKLMNOPQRST") << "ABCDEFGHIJKLMNOPQRST";
    QTest::newRow("NUL at offset 5") << QByteArray("Tor 1\0XXXXXXXXXXXXXX", 20) << "Tor 1";
    QTest::newRow("empty") << QByteArray(20, '\0') << "";
    QTest::newRow("Windows-1252") << QByteArray("B\xFCro \x80\x96\0............", 20)
                                  << QString::fromUtf8("Büro €–");
}

void TestKlvUtils::charsToStr() {
    QFETCH(QByteArray, field);
    QFETCH(QString, text);
    QCOMPARE(CharsToStr(reinterpret_cast<const std::uint8_t*>(field.constData()), 19), text);
}

void TestKlvUtils::codeToStr_data() {
    QTest::addColumn<QByteArray>("field");
    QTest::addColumn<QString>("text");
    QTest::newRow("text form") << QByteArray("12345\0\0\0\0\0\0", 11) << "12345";
    QTest::newRow("binary 05") << bytes({0, 0, 0, 0, 0, 0, 0, 0, 0, 5, 0xFF}) << "05";
    QTest::newRow("binary 1234ABCD") << bytes({0, 0, 0, 0, 0, 0, 0x12, 0x34, 0xAB, 0xCD, 0xFF}) << "1234ABCD";
    QTest::newRow("same bytes, text form, first byte zero")
        << bytes({0, 0, 0, 0, 0, 0, 0x12, 0x34, 0xAB, 0xCD, 0}) << "";
    QTest::newRow("binary all zero") << bytes({0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0xFF}) << "";
    QTest::newRow("text form without NUL reads 11") << QByteArray("ABCDEFGHIJK") << "ABCDEFGHIJK";
}

void TestKlvUtils::codeToStr() {
    QFETCH(QByteArray, field);
    QFETCH(QString, text);
    QCOMPARE(CodeToStr(reinterpret_cast<const std::uint8_t*>(field.constData()), 10), text);
}

void TestKlvUtils::cutStr_data() {
    QTest::addColumn<QString>("s");
    QTest::addColumn<int>("index");
    QTest::addColumn<int>("count");
    QTest::addColumn<QString>("rest");
    QTest::addColumn<QString>("part");
    QTest::newRow("first two") << "1A2B" << 1 << 2 << "2B"
                               << "1A";
    QTest::newRow("middle") << "abcdef" << 3 << 2 << "abef"
                            << "cd";
    QTest::newRow("count beyond the end") << "abc" << 2 << 10 << "a"
                                          << "bc";
    QTest::newRow("index beyond the end") << "abc" << 5 << 1 << "abc"
                                          << "";
    QTest::newRow("index 0 taken as 1") << "abc" << 0 << 1 << "bc"
                                        << "a";
    QTest::newRow("count 0") << "abc" << 1 << 0 << "abc"
                             << "";
}

void TestKlvUtils::cutStr() {
    QFETCH(QString, s);
    QFETCH(int, index);
    QFETCH(int, count);
    QFETCH(QString, rest);
    QFETCH(QString, part);
    QString out = QStringLiteral("old");
    CutStr(s, index, count, out);
    QCOMPARE(s, rest);
    QCOMPARE(out, part);
}

void TestKlvUtils::chooseStr() {
    QCOMPARE(ChooseStr(true, QStringLiteral("JA"), QStringLiteral("NEIN")), QStringLiteral("JA"));
    QCOMPARE(ChooseStr(false, QStringLiteral("JA"), QStringLiteral("NEIN")), QStringLiteral("NEIN"));
}

void TestKlvUtils::hexKeyFilter_data() {
    QTest::addColumn<QChar>("typed");
    QTest::addColumn<QChar>("result");
    QTest::newRow("lower b upper-cased") << QChar('b') << QChar('B');
    QTest::newRow("digit") << QChar('7') << QChar('7');
    QTest::newRow("F") << QChar('F') << QChar('F');
    QTest::newRow("g dropped") << QChar('g') << QChar();
    QTest::newRow("space dropped") << QChar(' ') << QChar();
    QTest::newRow("umlaut dropped") << QChar(0xE4) << QChar();
    QTest::newRow("backspace passes") << QChar(8) << QChar(8);
}

void TestKlvUtils::hexKeyFilter() {
    QFETCH(QChar, typed);
    QFETCH(QChar, result);
    QCOMPARE(FilterHexKey(typed), result);
}

void TestKlvUtils::ansiRoundTrip() {
    QByteArray all;
    for (int i = 1; i < 256; ++i)
        all.append(static_cast<char>(i));
    QCOMPARE(ToAnsi(FromAnsi(all)), all);
    QCOMPARE(ToAnsi(QString::fromUtf8("Tür €")), QByteArray("T\xFCr \x80"));
    QCOMPARE(ToAnsi(QString::fromUtf8("日")), QByteArray("?"));
}

void TestKlvUtils::strToChars_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<QByteArray>("field");
    QTest::newRow("short: NUL, rest untouched") << "Tor" << QByteArray("Tor\0\x55\x55", 6);
    QTest::newRow("exact fit: no NUL") << "Tor123" << QByteArray("Tor123");
    QTest::newRow("too long: cut") << "Tor12345" << QByteArray("Tor123");
    QTest::newRow("empty: single NUL") << "" << QByteArray("\0\x55\x55\x55\x55\x55", 6);
}

void TestKlvUtils::strToChars() {
    QFETCH(QString, text);
    QFETCH(QByteArray, field);
    std::array<std::uint8_t, 6> out;
    out.fill(0x55);
    StrToChars(text, out.data(), 6);
    QCOMPARE(QByteArray(reinterpret_cast<const char*>(out.data()), 6), field);
}

void TestKlvUtils::hexStrToInt_data() {
    QTest::addColumn<QString>("digits");
    QTest::addColumn<bool>("valid");
    QTest::addColumn<int>("value");
    QTest::newRow("12AB3") << "12AB3" << true << 0x12AB3;
    QTest::newRow("lower case") << "abc" << true << 0xABC;
    QTest::newRow("eight digits wrap") << "FFFFFFFF" << true << -1;
    QTest::newRow("nine digits") << "123456789" << false << 0;
    QTest::newRow("empty") << "" << false << 0;
    QTest::newRow("not hex") << "12G" << false << 0;
    QTest::newRow("space") << "1 2" << false << 0;
}

void TestKlvUtils::hexStrToInt() {
    QFETCH(QString, digits);
    QFETCH(bool, valid);
    QFETCH(int, value);
    if (valid) {
        QCOMPARE(HexStrToInt(digits), value);
        return;
    }
    try {
        HexStrToInt(digits);
        QFAIL("no conversion error");
    } catch (const EConvertError& e) {
        QCOMPARE(QString::fromUtf8(e.what()),
                 QStringLiteral("'$%1' is not a valid integer value").arg(digits));
    }
}

void TestKlvUtils::appDirIsWritableAndEndsWithSeparator() {
    QTemporaryDir dir;
    SetAppDir(dir.path() + QStringLiteral("/sub/folder"));
    QVERIFY(AppDir().endsWith(QLatin1Char('/')));
    QFile file(AppDir() + QStringLiteral("module_cfg.dat"));
    QVERIFY(file.open(QIODevice::WriteOnly));
    ClearAppDir();
    QVERIFY(AppDir().isEmpty());
}

QTEST_GUILESS_MAIN(TestKlvUtils)
#include "tst_Conversions.moc"
