#pragma once

// What one operation on a controller came to, and what its user is told. The operations never show a
// message: each returns a Result (or a result built on it) whose notice the window shows in its message
// box and the command line writes for a script, so both say the same.

#include <QString>

namespace ops {

enum class Outcome {
    Ok,
    LoginFailed,
    FileAccessRefused,
    FtpConnectFailed,
    TransferFailed,
    LocalFileFailed,
    CommandFailed,
};

struct Notice {
    enum Kind { Information, Warning, Error };
    // The window's message box; empty: the window stays silent.
    QString text;
    Kind kind = Information;
    // What a script is told where the window says nothing or says it otherwise; empty: the window's text.
    QString script;
    // For a script: the operation did not do what it was asked (its words go to standard error).
    bool failed = false;

    bool empty() const { return text.isEmpty(); }
    QString scriptText() const { return script.isEmpty() ? text : script; }
    // The exit status of a command line that ran this operation alone: 0 done, 1 failed.
    int exitStatus() const { return failed ? 1 : 0; }
};

struct Result {
    Result() = default;
    explicit Result(Outcome first) : outcome(first) {}

    Outcome outcome = Outcome::Ok;
    Notice notice;

    bool ok() const { return outcome == Outcome::Ok; }
};

} // namespace ops
