#include "ops/FtpLink.h"

#include "device/FtpAccounts.h"
#include "device/NetworkTargets.h"
#include "net/FtpClient.h"

namespace ops {

FtpLink::FtpLink(QObject* parent) : QObject(parent), m_client(new TFtpClient(this)) {
    m_client->setObjectName(QStringLiteral("FtpClient1"));
    m_client->SetPort(Targets().ftpPort);
    m_client->SetUserName(kConfiguredFtpAccount.userName);
    m_client->SetPassWord(kConfiguredFtpAccount.password);
    m_client->SetTimeout(TFtpClient::kDefaultTimeoutSeconds);
    m_client->SetLocalAddr(QStringLiteral("0.0.0.0"));
    m_client->SetBinary(true);
}

FtpLink::~FtpLink() = default;

void FtpLink::setTimeoutMs(int ms) {
    m_client->SetTimeoutMs(ms);
}

} // namespace ops
