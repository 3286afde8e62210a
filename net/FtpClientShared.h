#pragma once

// What the two halves of the FTP client share: the control connection (FtpClient.cpp) and the data
// connection of a transfer (FtpClientData.cpp). The texts are the component's own; callers and tests
// compare them literally.

#include <QString>

namespace ftpclient {

inline const QString kNotConnected = QStringLiteral("FTP component not connected");
inline const QString kInvalidArgument = QStringLiteral("Invalid character in command argument");
// A name the controller could not get as it is: a character without a Windows-1252 byte.
inline const QString kNotInCodePage = QStringLiteral("Character not in Windows-1252 in command argument");

// A line break or NUL in an argument would end the command line early and start another one.
inline bool HasLineBreak(const QString& text) {
    return text.contains(QLatin1Char('\r')) || text.contains(QLatin1Char('\n')) || text.contains(QChar(0));
}

} // namespace ftpclient
