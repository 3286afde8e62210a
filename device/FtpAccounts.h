#pragma once

// The two accounts of the controller's FTP server. The tables, the logbook and a backup move under the
// configured one; update images are taken only under the service account.

#include <QString>

struct FtpAccount {
    QString userName;
    QString password;
};

inline const FtpAccount kConfiguredFtpAccount{QStringLiteral("kelvora"), QStringLiteral("pel47k2")};
inline const FtpAccount kUpdateFtpAccount{QStringLiteral("ftp"), QStringLiteral("zqw")};
