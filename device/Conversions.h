#pragma once

// Conversions between the controller's fixed byte fields and the texts the tool shows and edits.

#include "device/Cp1252.h"

#include <QString>

#include <array>
#include <cstddef>
#include <cstdint>
#include <stdexcept>

// IfTrue when Flag holds, else IfFalse.
QString ChooseStr(bool Flag, const QString& IfTrue, const QString& IfFalse);

// Hexadecimal text to a binary code field of High+1 bytes: zero-filled, 0xFF marker in Dest[High], the
// digit pairs right-aligned before the marker. False (Dest untouched) when High+1 < 10; False with the
// zeroed, marked field when Text is empty. Never writes outside Dest[0..High]: pairs that would reach
// the marker are dropped.
bool HexToCode(const QString& Text, std::uint8_t* Dest, int High);

// Upper-case hex pairs of the bytes, leading zero bytes left out.
QString BytesToHex(const std::uint8_t* Data, int Count);

// The characters of a field of High+1 bytes before the first NUL (all of them when there is none).
QString CharsToStr(const std::uint8_t* Chars, int High);
QString CharsToStr(const char* Chars, int High);

// A code field: hex text of bytes 0..High-1 when Code[High] is 0xFF, else the field as characters.
QString CodeToStr(const std::uint8_t* Code, int High);

// Cuts Count characters from S starting at the 1-based Index into Part.
void CutStr(QString& S, int Index, int Count, QString& Part);

// Writes text into a fixed field of `size` bytes: the characters, then one NUL if there is room.
// Bytes after the NUL are left as they are. Text longer than the field is cut.
void StrToChars(const QString& text, std::uint8_t* field, int size);

// The runtime's conversion error (a text that is not a number), with its English message.
class EConvertError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// "$" + digits read as a hexadecimal 32-bit integer, the way serial numbers are typed and sent:
// up to eight digits (FFFFFFFF is -1). Throws EConvertError "'$<digits>' is not a valid integer value".
std::int32_t HexStrToInt(const QString& digits);
