#pragma once

#include <QCommandLineParser>

namespace sim {

// Credentials, device information and fault switches of the TCP command service.
struct CommandOptions {};

inline void addCommandOptions(QCommandLineParser&) {}
inline bool applyCommandOptions(const QCommandLineParser&, CommandOptions&, QString*) {
    return true;
}

} // namespace sim
