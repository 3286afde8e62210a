#pragma once

// Where kelvora-cli writes: results on standard output, messages on standard error, progress on
// standard error only when a person watches it (a terminal). Tests and the benchmark plug in their own
// sinks.

#include <QString>

#include <functional>

namespace cli {

// The exit codes: documented in --help and in the README.
enum ExitCode {
    kExitOk = 0,     // everything asked for was done
    kExitFailed = 1, // an operation failed (with --all: on at least one controller)
    kExitUsage = 2,  // the command line or the credentials file can't be used; nothing was sent
};

struct Console {
    std::function<void(const QString&)> out;      // one line of the result
    std::function<void(const QString&)> err;      // one message
    std::function<void(const QString&)> progress; // empty: progress is not shown

    void print(const QString& line) const;
    void error(const QString& text) const;
    void step(const QString& text) const;

    // Standard output and standard error, progress when standard error is a terminal.
    static Console standard();
};

// A text of the window's message boxes as lines: their line breaks are \r\n or a single \r.
QString ConsoleText(const QString& text);

} // namespace cli
