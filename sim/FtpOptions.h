#pragma once

#include <QCommandLineParser>

namespace sim {

// Accounts and fault switches of the FTP server.
struct FtpOptions {};

inline void addFtpOptions(QCommandLineParser&) {}
inline bool applyFtpOptions(const QCommandLineParser&, FtpOptions&, QString*) {
    return true;
}

} // namespace sim
