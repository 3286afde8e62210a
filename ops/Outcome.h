#pragma once

// What one operation on a controller came to. The operations never show a message; the window turns
// each outcome into its message box.
enum class Outcome {
    Ok,
    LoginFailed,
    FileAccessRefused,
    FtpConnectFailed,
    TransferFailed,
    LocalFileFailed,
    CommandFailed,
};
