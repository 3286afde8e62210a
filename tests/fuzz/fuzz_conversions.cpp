// The conversions between the controller's byte fields and texts. The first byte picks one; the rest is
// its material. Oracles are round trips and reference results:
//  - Windows-1252: every byte string decodes and encodes back to itself; any text encodes to one byte per
//    character, exactly the characters without a byte of their own becoming '?'.
//  - code fields: a hex text written by HexToCode reads back by CodeToStr as the text upper-cased and
//    without leading zero bytes; HexToCode never writes outside its field, and BytesToHex of any bytes
//    written back by HexToCode gives the same bytes.
//  - character fields: StrToChars then CharsToStr gives the text's bytes up to the first NUL, cut to the
//    field, and leaves the bytes after the NUL as they were.
//  - HexStrToInt against a reference reading, with the exact error text.
//  - code fields as read from a record: any bytes give the hex of the binary form or the characters.
//  - CutStr: the part and the rest put back together give the text.

#include "FuzzSupport.h"

#include "device/Conversions.h"
#include "device/Cp1252.h"

#include <vector>

namespace {

bool isHexDigit(QChar c) {
    return (c >= QLatin1Char('0') && c <= QLatin1Char('9')) ||
           (c >= QLatin1Char('A') && c <= QLatin1Char('F')) ||
           (c >= QLatin1Char('a') && c <= QLatin1Char('f'));
}

QString latin(fuzz::Input& in) {
    std::size_t n = 0;
    const std::uint8_t* p = in.rest(&n);
    return QString::fromLatin1(reinterpret_cast<const char*>(p), static_cast<qsizetype>(n));
}

void codePage(fuzz::Input& in) {
    std::size_t n = 0;
    const std::uint8_t* p = in.rest(&n);
    const QByteArray bytes(reinterpret_cast<const char*>(p), static_cast<qsizetype>(n));
    const QString text = FromAnsi(bytes);
    fuzz::check(text.size() == bytes.size(), "one character per byte");
    fuzz::check(IsAnsiRepresentable(text), "a decoded text is representable");
    fuzz::check(ToAnsi(text) == bytes, "bytes decoded and encoded back", QString::fromLatin1(bytes.toHex()));
}

void textToCodePage(fuzz::Input& in) {
    const QString text = in.utf16Rest();
    const QByteArray bytes = ToAnsi(text);
    fuzz::check(bytes.size() == text.size(), "one byte per character");
    const QString back = FromAnsi(bytes);
    bool all = true;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const bool own = IsAnsiRepresentable(QString(text.at(i)));
        all = all && own;
        fuzz::check(back.at(i) == (own ? text.at(i) : QLatin1Char('?')), "character kept or '?'");
    }
    fuzz::check(IsAnsiRepresentable(text) == all, "representable as a whole");
}

void codeField(fuzz::Input& in) {
    const int high = in.byte() % 24;
    const QString text = latin(in);
    // The field alone in its allocation, so that a write past it is caught; canaries for the sizes
    // below the minimum, which must stay untouched.
    std::vector<std::uint8_t> field(static_cast<std::size_t>(high) + 1, 0xA5);
    const bool written = HexToCode(text, field.data(), high);
    if (high + 1 < 10) {
        fuzz::check(!written, "field too small refused");
        for (std::uint8_t b : field)
            fuzz::check(b == 0xA5, "field too small untouched");
        return;
    }
    fuzz::check(field[static_cast<std::size_t>(high)] == 0xFF, "binary marker");
    fuzz::check(written == !text.isEmpty(), "result");

    // Reference: an odd length drops the first character; pairs of digits right-aligned before the
    // marker, a pair with a non-digit as 0, pairs beyond the field dropped.
    QString digits = text.size() % 2 ? text.mid(1) : text;
    const int pairs = static_cast<int>(digits.size() / 2);
    std::vector<std::uint8_t> want(static_cast<std::size_t>(high) + 1, 0);
    want[static_cast<std::size_t>(high)] = 0xFF;
    for (int k = 0, i = std::max(high - pairs, 0); k < pairs && i < high; ++k, ++i) {
        const QString pair = digits.mid(2 * k, 2);
        want[static_cast<std::size_t>(i)] = isHexDigit(pair.at(0)) && isHexDigit(pair.at(1))
                                                ? static_cast<std::uint8_t>(pair.toUInt(nullptr, 16))
                                                : 0;
    }
    fuzz::check(field == want, "code field bytes", text);

    // Read back: the hex of bytes 0..high-1 without leading zero bytes.
    const QString shown = CodeToStr(field.data(), high);
    if (pairs <= high && std::all_of(digits.begin(), digits.end(), isHexDigit)) {
        QString expected = digits.toUpper();
        while (expected.startsWith(QLatin1String("00")))
            expected.remove(0, 2);
        fuzz::check(shown == expected, "hex text read back", text + QStringLiteral(" -> ") + shown);
    }
    // And the shown text written again gives the same field.
    std::vector<std::uint8_t> again(static_cast<std::size_t>(high) + 1, 0x5A);
    HexToCode(shown, again.data(), high);
    fuzz::check(again == field, "shown code written again", shown);
}

void charField(fuzz::Input& in) {
    const int size = in.byte() % 48;
    const std::uint8_t fill = in.byte();
    const QString text = in.utf16Rest();
    std::vector<std::uint8_t> field(static_cast<std::size_t>(size), fill);
    StrToChars(text, field.data(), size);
    if (size == 0)
        return;
    const QByteArray bytes = ToAnsi(text);
    const qsizetype kept = std::min<qsizetype>(bytes.size(), size);
    for (qsizetype i = 0; i < kept; ++i)
        fuzz::check(field[static_cast<std::size_t>(i)] == static_cast<std::uint8_t>(bytes.at(i)),
                    "characters");
    if (kept < size) {
        fuzz::check(field[static_cast<std::size_t>(kept)] == 0, "terminating NUL");
        for (qsizetype i = kept + 1; i < size; ++i)
            fuzz::check(field[static_cast<std::size_t>(i)] == fill, "bytes after the NUL untouched");
    }
    const qsizetype nul = bytes.left(kept).indexOf('\0');
    const QByteArray visible = bytes.left(nul < 0 ? kept : nul);
    fuzz::check(CharsToStr(field.data(), size - 1) == FromAnsi(visible), "text read back");
}

void hexNumber(fuzz::Input& in) {
    const QString digits = in.utf16Rest();
    const bool valid =
        !digits.isEmpty() && digits.size() <= 8 && std::all_of(digits.begin(), digits.end(), isHexDigit);
    try {
        const std::int32_t value = HexStrToInt(digits);
        fuzz::check(valid, "accepted what is no hex number", digits);
        fuzz::check(static_cast<std::uint32_t>(value) == digits.toUInt(nullptr, 16), "value", digits);
    } catch (const EConvertError& e) {
        fuzz::check(!valid, "refused a hex number", digits);
        // The message is a C string: a NUL among the digits ends it there.
        QString expected =
            QString::fromUtf8(QStringLiteral("'$%1' is not a valid integer value").arg(digits).toUtf8());
        expected.truncate(expected.indexOf(QChar(0)) < 0 ? expected.size() : expected.indexOf(QChar(0)));
        fuzz::check(QString::fromUtf8(e.what()) == expected, "error text", QString::fromUtf8(e.what()));
    }
}

void bytesHex(fuzz::Input& in) {
    std::size_t n = 0;
    const std::uint8_t* p = in.take(32, &n);
    const QString hex = BytesToHex(p, static_cast<int>(n));
    std::size_t lead = 0;
    while (lead < n && p[lead] == 0)
        ++lead;
    fuzz::check(hex == QString::fromLatin1(QByteArray(reinterpret_cast<const char*>(p + lead),
                                                      static_cast<qsizetype>(n - lead))
                                               .toHex()
                                               .toUpper()),
                "hex of the bytes");

    // The same bytes as a code field read from a record: a last byte 0xFF marks the binary form (the hex
    // of the bytes before it, as above), any other the character form (up to the first NUL).
    const int high = static_cast<int>(n) - 1;
    QString want;
    if (n > 0 && p[n - 1] == 0xFF) {
        std::size_t first = 0;
        while (first < n - 1 && p[first] == 0)
            ++first;
        want = QString::fromLatin1(
            QByteArray(reinterpret_cast<const char*>(p + first), static_cast<qsizetype>(n - 1 - first))
                .toHex()
                .toUpper());
    } else if (n > 0) {
        const auto* nul = static_cast<const std::uint8_t*>(std::memchr(p, 0, n));
        want = FromAnsi(reinterpret_cast<const char*>(p), nul ? nul - p : static_cast<qsizetype>(n));
    }
    fuzz::check(CodeToStr(p, high) == want, "code field read from a record", want);
}

void cut(fuzz::Input& in) {
    const int index = static_cast<std::int8_t>(in.byte());
    const int count = static_cast<std::int8_t>(in.byte());
    QString s = in.utf16Rest();
    const QString before = s;
    QString part = QStringLiteral("old");
    CutStr(s, index, count, part);
    const qsizetype start = std::max(index, 1) - 1;
    if (count <= 0 || start >= before.size()) {
        fuzz::check(part.isEmpty() && s == before, "nothing cut");
        return;
    }
    fuzz::check(part == before.mid(start, count), "the part");
    fuzz::check(QString(s).insert(start, part) == before, "part and rest give the text");
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    fuzz::Input in(data, size);
    switch (in.byte() % 7) {
    case 0:
        codePage(in);
        break;
    case 1:
        textToCodePage(in);
        break;
    case 2:
        codeField(in);
        break;
    case 3:
        charField(in);
        break;
    case 4:
        hexNumber(in);
        break;
    case 5:
        bytesHex(in);
        break;
    default:
        cut(in);
        break;
    }
    return 0;
}
