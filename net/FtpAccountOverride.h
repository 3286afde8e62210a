#pragma once

#include "net/FtpClient.h"

#include <QString>

// Another account for the lifetime of this object (the controller takes update images only under its
// service account); the client's own is back afterwards on every path, exceptions included, so the next
// table or logbook operation doesn't run under the wrong account.
class FtpAccountOverride {
public:
    FtpAccountOverride(TFtpClient& client, const QString& userName, const QString& passWord)
        : m_client(client), m_savedUserName(client.UserName()), m_savedPassWord(client.PassWord()) {
        m_client.SetUserName(userName);
        m_client.SetPassWord(passWord);
    }
    ~FtpAccountOverride() {
        m_client.SetUserName(m_savedUserName);
        m_client.SetPassWord(m_savedPassWord);
    }
    FtpAccountOverride(const FtpAccountOverride&) = delete;
    FtpAccountOverride& operator=(const FtpAccountOverride&) = delete;

private:
    TFtpClient& m_client;
    QString m_savedUserName;
    QString m_savedPassWord;
};
