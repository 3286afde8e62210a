#pragma once

// The workstation code page of all texts on the wire and in the files: Windows-1252. The FTP client
// sends the controller its file names in it, as every other layer sends its texts.

#include <QByteArray>
#include <QString>

// Characters Windows-1252 cannot represent become '?', as the workstation's conversion does.
QByteArray ToAnsi(const QString& text);
QString FromAnsi(const char* data, qsizetype length);
inline QString FromAnsi(const QByteArray& bytes) {
    return FromAnsi(bytes.constData(), bytes.size());
}
// True when every character of text has a Windows-1252 byte of its own.
bool IsAnsiRepresentable(const QString& text);
