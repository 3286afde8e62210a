#pragma once

#include <QCommandLineParser>
#include <QString>
#include <QStringList>

namespace sim {

// Accounts and fault switches of the FTP server. Plain fields: a test flips them at run time through
// controller.config().ftp, and every command and transfer reads them as they stand when it starts.
struct FtpOptions {
    QString userName = QStringLiteral("kelvora");
    QString passWord = QStringLiteral("pel47k2");
    // The account under which the tool uploads update images.
    QString updateUserName = QStringLiteral("ftp");
    QString updatePassWord = QStringLiteral("zqw");

    QStringList missingFiles;    // RETR of these names is refused with 550 even when the file is there
    qint64 stallAfterBytes = -1; // a transfer stops moving after this many bytes, holding the connection
    qint64 slowChunkBytes = 0;   // with slowIntervalMs > 0: a transfer moves this many bytes ...
    int slowIntervalMs = 0;      // ... every this many milliseconds
    bool refuseLogin = false;    // PASS is answered 530 whatever the password
    bool loginWithoutPassword = false; // USER is answered 230: logged in without PASS
    qint64 dropDataAfterBytes = -1;    // a transfer's data connection is reset after this many bytes
};

void addFtpOptions(QCommandLineParser& parser);
bool applyFtpOptions(const QCommandLineParser& parser, FtpOptions& options, QString* error);

} // namespace sim
