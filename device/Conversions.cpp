#include "device/Conversions.h"

#include <algorithm>
#include <cstring>

namespace {

int hexValue(QChar c) {
    const char16_t u = c.unicode();
    if (u >= '0' && u <= '9')
        return u - '0';
    if (u >= 'A' && u <= 'F')
        return u - 'A' + 10;
    if (u >= 'a' && u <= 'f')
        return u - 'a' + 10;
    return -1;
}

} // namespace

QString ChooseStr(bool Flag, const QString& IfTrue, const QString& IfFalse) {
    return Flag ? IfTrue : IfFalse;
}

bool HexToCode(const QString& Text, std::uint8_t* Dest, int High) {
    if (High + 1 < 10)
        return false;
    std::memset(Dest, 0, static_cast<std::size_t>(High) + 1);
    Dest[High] = 0xFF;
    QString text = Text;
    if (text.isEmpty())
        return false;
    if (text.size() % 2 != 0)
        text.remove(0, 1);
    const int pairs = static_cast<int>(text.size() / 2);
    int i = std::max(High - pairs, 0);
    while (!text.isEmpty()) {
        QString pair;
        CutStr(text, 1, 2, pair);
        const int hi = hexValue(pair.at(0));
        const int lo = hexValue(pair.at(1));
        const std::uint8_t value = (hi < 0 || lo < 0) ? 0 : static_cast<std::uint8_t>(hi * 16 + lo);
        if (i < High)
            Dest[i] = value;
        ++i;
    }
    return true;
}

QString BytesToHex(const std::uint8_t* Data, int Count) {
    static const char digits[] = "0123456789ABCDEF";
    QString result;
    for (int i = 0; i < Count; ++i) {
        if (result.isEmpty() && Data[i] == 0)
            continue;
        result += QLatin1Char(digits[Data[i] >> 4]);
        result += QLatin1Char(digits[Data[i] & 0x0F]);
    }
    return result;
}

QString CharsToStr(const char* Chars, int High) {
    if (High < 0)
        return QString();
    const auto size = static_cast<std::size_t>(High) + 1;
    const void* nul = std::memchr(Chars, 0, size);
    const auto length =
        nul ? static_cast<qsizetype>(static_cast<const char*>(nul) - Chars) : static_cast<qsizetype>(size);
    return FromAnsi(Chars, length);
}

QString CharsToStr(const std::uint8_t* Chars, int High) {
    return CharsToStr(reinterpret_cast<const char*>(Chars), High);
}

QString CodeToStr(const std::uint8_t* Code, int High) {
    if (High < 0)
        return QString();
    if (Code[High] == 0xFF)
        return BytesToHex(Code, High);
    return CharsToStr(Code, High);
}

void CutStr(QString& S, int Index, int Count, QString& Part) {
    const qsizetype start = std::max(Index, 1) - 1;
    if (Count <= 0 || start >= S.size()) {
        Part.clear();
        return;
    }
    Part = S.mid(start, Count);
    S.remove(start, Part.size());
}

void StrToChars(const QString& text, std::uint8_t* field, int size) {
    if (size <= 0)
        return;
    const QByteArray bytes = ToAnsi(text);
    const int n = static_cast<int>(std::min<qsizetype>(bytes.size(), size));
    std::memcpy(field, bytes.constData(), static_cast<std::size_t>(n));
    if (n < size)
        field[n] = 0;
}

std::int32_t HexStrToInt(const QString& digits) {
    const QString text = QStringLiteral("$") + digits;
    bool ok = !digits.isEmpty() && digits.size() <= 8;
    std::uint32_t value = 0;
    for (QChar c : digits) {
        const int v = hexValue(c);
        if (v < 0) {
            ok = false;
            break;
        }
        value = value * 16 + static_cast<std::uint32_t>(v);
    }
    if (!ok)
        throw EConvertError(QStringLiteral("'%1' is not a valid integer value").arg(text).toStdString());
    return static_cast<std::int32_t>(value);
}
