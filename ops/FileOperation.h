#pragma once

// The frame of every command that moves files between a controller and the workstation: the command
// session (logged in with the stored credentials, kept alive while FTP moves the files, granted file
// access where the firmware asks for it), the FTP connection on the borrowed client, the transfers,
// Quit and the disconnect. Whatever path the operation takes, the destructor quits a connection still
// open, puts the client's account back and closes the session. The client's progress reaches the
// operation's progress callback while the frame lives.
//
// The FTP server has its own login, so a failed command login is not an error by itself for most
// operations: on firmware that needs file access it shows up as a refused request.

#include "data/Progress.h"
#include "ops/CommandSession.h"
#include "ops/Outcome.h"

#include <QMetaObject>
#include <QString>

#include <array>
#include <memory>

class FtpAccountOverride;
class TFtpClient;
struct TDeviceEntry;

namespace ops {

class FtpLink;

// The most the controller's file can hold: its records times the larger of the usual maximum and the
// one the controller reports, for a table twice that. 0 (no limit) for any other file.
qint64 DownloadLimit(const TDeviceEntry& entry, const QString& hostFile);

class FileOperation {
public:
    enum class Account {
        Configured, // the fixed account of the tables, the logbook and the backup
        Update,     // the service account that may write update images
    };
    enum class LoginRule {
        Ignore,  // go on without a command login; file access (where needed) decides
        Require, // stop with LoginFailed
    };

    FileOperation(const TDeviceEntry& entry, FtpLink& ftp, Account account = Account::Configured,
                  Progress progress = {});
    ~FileOperation();
    FileOperation(const FileOperation&) = delete;
    FileOperation& operator=(const FileOperation&) = delete;

    // Login, keep-alive, and file access where the firmware requires it: Ok, LoginFailed (only with
    // LoginRule::Require) or FileAccessRefused.
    Outcome open(LoginRule rule = LoginRule::Ignore);
    // Points the client at the controller, Connect, then User and Pass once more (the controller's
    // server expects them; their answers do not matter): Ok or FtpConnectFailed.
    Outcome connect();
    // open() without requiring the command login, then connect(): Ok, FileAccessRefused or
    // FtpConnectFailed.
    Outcome openAndConnect();
    // Transfers relative to the FTP login directory (HostDirName "/", no directory change sent). A
    // download fails as soon as it passes DownloadLimit.
    bool get(const QString& hostFile, const QString& localFile);
    bool put(const QString& localFile, const QString& hostFile);
    // A directory change (update images go below "b:" and "/firmware/").
    bool cwd(const QString& dir);
    // Sent after the transfers whatever they came to; a no-op when not connected.
    void quit();
    // The controller wants a moment after the last transfer before the session goes away.
    void finish(int pauseMs = 200);

    CommandSession& session() { return m_session; }

private:
    const TDeviceEntry& m_entry;
    TFtpClient& m_ftp;
    CommandSession m_session;
    std::unique_ptr<FtpAccountOverride> m_account;
    Progress m_progress;
    std::array<QMetaObject::Connection, 2> m_progressConnections;
    bool m_connected = false;
};

} // namespace ops
