#pragma once

namespace ops {

// What one operation on a controller came to. The operations never show a message; the window turns
// each outcome into its message box, with a switch that names every value.
enum class Outcome {
    Ok,
    LoginFailed,
    FileAccessRefused,
    FtpConnectFailed,
    TransferFailed,
    LocalFileFailed,
    CommandFailed,
};

} // namespace ops
