#include "ops/FileOperation.h"

#include "data/DeviceEntry.h"
#include "data/Logbook.h"
#include "data/Records.h"
#include "device/FtpAccounts.h"
#include "net/FtpAccountOverride.h"
#include "net/FtpClient.h"
#include "ops/ConfigTables.h"
#include "ops/FtpLink.h"

#include <algorithm>

namespace ops {

namespace {

// What a controller holds at least, whatever its information block says.
constexpr int kUsualModules = 16;
constexpr int kUsualTransponders = 1000;
// A table may hold more records than its controller's capacity (the configuration page shows a negative
// number of free entries then); up to twice the capacity it is still the controller's table, and the
// user must be able to load and back it up.
constexpr int kTableHeadroom = 2;

} // namespace

qint64 DownloadLimit(const TDeviceEntry& entry, const QString& hostFile) {
    const auto records = [&entry](int usual, std::uint16_t reported, std::size_t recordSize) {
        return qint64(std::max(usual, entry.InfoValid ? int(reported) : 0)) * qint64(recordSize);
    };
    if (hostFile == kModuleFileName)
        return kTableHeadroom * records(kUsualModules, entry.Info.MaxModules(), sizeof(TModuleEntry));
    if (hostFile == kTransponderFileName)
        return kTableHeadroom *
               records(kUsualTransponders, entry.Info.MaxTransponders(), sizeof(TTransponderEntry));
    // The ring has its slots and no more.
    if (hostFile == QLatin1String("kelvora.log"))
        return records(logbook::kRingSlots, entry.Info.MaxLogEntries(), sizeof(TLogRecord));
    return 0;
}

FileOperation::FileOperation(const TDeviceEntry& entry, FtpLink& ftp, Account account, Progress progress)
    : m_entry(entry), m_ftp(ftp.client()), m_session(entry), m_progress(std::move(progress)) {
    if (account == Account::Update)
        m_account = std::make_unique<FtpAccountOverride>(m_ftp, kUpdateFtpAccount.userName,
                                                         kUpdateFtpAccount.password);
    if (m_progress) {
        m_progressConnections = {
            QObject::connect(&m_ftp, &TFtpClient::OnProgress,
                             [this](qint64 bytes) { Report(m_progress, ProgressStep::Transfer, bytes); }),
            QObject::connect(&m_ftp, &TFtpClient::OnRequestDone,
                             [this] { Report(m_progress, ProgressStep::RequestDone); }),
        };
    }
}

FileOperation::~FileOperation() {
    try {
        quit();
    } catch (...) {
        // Being left on an error path already; the session and the account are released below.
    }
    for (const QMetaObject::Connection& connection : m_progressConnections)
        QObject::disconnect(connection);
    m_account.reset();
}

Outcome FileOperation::open(LoginRule rule) {
    if (!m_session.login() && rule == LoginRule::Require)
        return Outcome::LoginFailed;
    m_session.socket().StartKeepAlive();
    if (RequiresFileAccess(m_entry) && !m_session.socket().RequestFileAccess())
        return Outcome::FileAccessRefused;
    return Outcome::Ok;
}

Outcome FileOperation::connect() {
    m_ftp.SetHostName(m_entry.IPAddress);
    if (!m_ftp.Connect())
        return Outcome::FtpConnectFailed;
    m_connected = true;
    m_ftp.User();
    m_ftp.Pass();
    return Outcome::Ok;
}

Outcome FileOperation::openAndConnect() {
    if (open() == Outcome::FileAccessRefused)
        return Outcome::FileAccessRefused;
    return connect();
}

bool FileOperation::get(const QString& hostFile, const QString& localFile) {
    m_ftp.SetLocalFileName(localFile);
    m_ftp.SetHostFileName(hostFile);
    m_ftp.SetHostDirName(QStringLiteral("/"));
    m_ftp.SetMaxDownloadBytes(DownloadLimit(m_entry, hostFile));
    const bool got = m_ftp.Get();
    m_ftp.SetMaxDownloadBytes(0);
    return got;
}

bool FileOperation::put(const QString& localFile, const QString& hostFile) {
    m_ftp.SetLocalFileName(localFile);
    m_ftp.SetHostFileName(hostFile);
    m_ftp.SetHostDirName(QStringLiteral("/"));
    return m_ftp.Put();
}

bool FileOperation::cwd(const QString& dir) {
    m_ftp.SetHostDirName(dir);
    return m_ftp.Cwd();
}

void FileOperation::quit() {
    if (!m_connected)
        return;
    m_connected = false;
    m_ftp.Quit();
}

void FileOperation::finish(int pauseMs) {
    m_session.finish(pauseMs);
}

} // namespace ops
