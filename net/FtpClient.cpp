#include "net/FtpClient.h"

#include "net/Cp1252.h"
#include "net/EventWait.h"
#include "net/FtpClientShared.h"
#include "net/SafeFile.h"

#include <QCoreApplication>
#include <QFile>

#include <algorithm>
#include <climits>

using ftpclient::HasLineBreak;
using ftpclient::kInvalidArgument;
using ftpclient::kNotConnected;

namespace {

// The component's own texts; callers and tests compare them literally.
const QString kNotReady = QStringLiteral("FTP component not ready");
const QString kAlreadyConnected = QStringLiteral("FTP component already connected");
const QString kUserNameEmpty = QStringLiteral("UserName emtpy");
const QString kPasswordEmpty = QStringLiteral("Password emtpy");
const QString kHostDirNameEmpty = QStringLiteral("HostDirName emtpy");
const QString kTimeout = QStringLiteral("426 Timeout");
constexpr int kTimeoutStatus = 426;

} // namespace

TFtpClient::TFtpClient(QObject* parent) : QObject(parent) {
    m_clock.start();
    connect(&m_control, &QTcpSocket::readyRead, this, &TFtpClient::onControlReadyRead);
    connect(&m_control, &QTcpSocket::stateChanged, this, &TFtpClient::onControlStateChanged);
    connect(&m_control, &QTcpSocket::errorOccurred, this, &TFtpClient::onControlStateChanged);
    connect(&m_listener, &QTcpServer::newConnection, this, &TFtpClient::onDataConnection);
    connect(&m_drainTimer, &QTimer::timeout, this, &TFtpClient::onDrainTick);
}

TFtpClient::~TFtpClient() {
    closeData();
    m_control.disconnect(this);
    m_control.abort();
}

bool TFtpClient::Connected() const {
    return m_control.state() != QAbstractSocket::UnconnectedState;
}

// ---- requests -------------------------------------------------------------------------------------------

bool TFtpClient::Connect() {
    return runRequest([this] { return connectBody(); });
}

bool TFtpClient::User() {
    return runRequest([this]() -> Result {
        if (m_userName.isEmpty())
            return {false, 0, kUserNameEmpty};
        return commandRequest("USER", m_userName, {331, 230});
    });
}

bool TFtpClient::Pass() {
    return runRequest([this]() -> Result {
        if (m_passWord.isEmpty())
            return {false, 0, kPasswordEmpty};
        return commandRequest("PASS", m_passWord, {230});
    });
}

bool TFtpClient::Cwd() {
    return runRequest([this]() -> Result {
        if (m_hostDirName.isEmpty())
            return {false, 0, kHostDirNameEmpty};
        return commandRequest("CWD", m_hostDirName, {200, 250, 257});
    });
}

bool TFtpClient::Get() {
    return runRequest([this] { return transferBody(Direction::Download); });
}

bool TFtpClient::Put() {
    return runRequest([this] { return transferBody(Direction::Upload); });
}

bool TFtpClient::Quit() {
    return runRequest([this] { return quitBody(); });
}

bool TFtpClient::runRequest(const std::function<Result()>& body) {
    Result result;
    if (m_busy) {
        // A second request from inside the running one's wait (a click, a timer): refused, and the
        // running request is left alone.
        result = {false, 0, kNotReady};
    } else {
        struct BusyFlag {
            bool& flag;
            explicit BusyFlag(bool& f) : flag(f) { flag = true; }
            ~BusyFlag() { flag = false; }
        } busy(m_busy);
        m_deadline = m_clock.elapsed() + m_timeoutMs;
        result = body();
    }
    m_errorMessage = result.ok ? QString() : result.message;
    m_statusCode = result.status;
    Q_EMIT OnRequestDone(m_statusCode);
    return result.ok;
}

TFtpClient::Result TFtpClient::connectBody() {
    if (Connected())
        return {false, 0, kAlreadyConnected};
    if (m_userName.isEmpty())
        return {false, 0, kUserNameEmpty};
    if (m_passWord.isEmpty())
        return {false, 0, kPasswordEmpty};
    if (HasLineBreak(m_userName) || HasLineBreak(m_passWord))
        return {false, 0, kInvalidArgument};

    resetControl();
    const QHostAddress local(m_localAddr);
    if (!local.isNull() && local != QHostAddress::AnyIPv4 && local != QHostAddress::Any)
        m_control.bind(local, 0);
    m_control.connectToHost(m_hostName, m_port);
    if (!waitFor([this] {
            const auto state = m_control.state();
            return state == QAbstractSocket::ConnectedState || state == QAbstractSocket::UnconnectedState;
        }))
        return timedOut();
    if (m_control.state() != QAbstractSocket::ConnectedState) {
        const QString reason = m_control.errorString();
        abortControl();
        return {false, 0,
                QStringLiteral("Unable to connect to %1:%2 (%3)").arg(m_hostName).arg(m_port).arg(reason)};
    }

    // A failed login leaves no half-open session behind: the next Connect must start afresh.
    const auto fail = [this](Result result) {
        if (Connected())
            abortControl();
        return result;
    };
    Reply reply;
    Result failure;
    if (!awaitReply(reply, failure))
        return fail(failure);
    if (reply.code != 220)
        return fail({false, reply.code, reply.line});
    Result user = commandRequest("USER", m_userName, {331, 230});
    if (!user.ok)
        return fail(user);
    if (user.status == 230)
        return user;
    Result pass = commandRequest("PASS", m_passWord, {230});
    if (!pass.ok)
        return fail(pass);
    return pass;
}

TFtpClient::Result TFtpClient::commandRequest(const QByteArray& verb, const QString& argument,
                                              std::initializer_list<int> expected) {
    if (m_control.state() != QAbstractSocket::ConnectedState)
        return {false, 0, kNotConnected};
    if (HasLineBreak(argument))
        return {false, 0, kInvalidArgument};
    if (!IsAnsiRepresentable(argument))
        return {false, 0, ftpclient::kNotInCodePage};
    Result failure;
    if (!sendCommand(verb + ' ' + ToAnsi(argument), failure))
        return failure;
    Reply reply;
    if (!awaitReply(reply, failure))
        return failure;
    const bool ok = std::find(expected.begin(), expected.end(), reply.code) != expected.end();
    return {ok, reply.code, reply.line};
}

TFtpClient::Result TFtpClient::quitBody() {
    if (m_control.state() != QAbstractSocket::ConnectedState) {
        // The server may have hung up on its own; what is left of the socket goes too.
        if (Connected())
            abortControl();
        return {false, 0, kNotConnected};
    }
    Result failure;
    if (!sendCommand("QUIT", failure))
        return failure;
    Reply reply;
    if (!awaitReply(reply, failure))
        return failure;
    // Whatever the answer, this session is over; the next Connect starts afresh.
    abortControl();
    return {reply.code == 221, reply.code, reply.line};
}
// ---- waiting and failures -------------------------------------------------------------------------------

bool TFtpClient::waitFor(const std::function<bool()>& condition) {
    for (;;) {
        if (condition())
            return true;
        const qint64 remaining = m_deadline - m_clock.elapsed();
        if (remaining <= 0 || QCoreApplication::closingDown())
            return false;
        // Progress moves the deadline on; the wait then simply runs again up to the new one.
        net::waitUntil(condition, static_cast<int>(std::min<qint64>(remaining, INT_MAX)));
    }
}

void TFtpClient::touchDeadline() {
    m_deadline = m_clock.elapsed() + m_timeoutMs;
}

bool TFtpClient::sendCommand(const QByteArray& line, Result& failure) {
    // Whatever the server said unasked belongs to no request, also what is still unread and a line
    // that has begun: none of it may be taken for the answer to this command. (The rest of a multi-line
    // reply that began stays part of that reply.)
    if (m_control.state() == QAbstractSocket::ConnectedState)
        m_control.waitForReadyRead(0);
    m_replies.clear();
    m_dropReplies = false;
    m_replyParser.skipLineBegun();
    if (m_control.write(line + "\r\n") < 0) {
        failure = connectionLost();
        return false;
    }
    return true;
}

bool TFtpClient::awaitReply(Reply& reply, Result& failure) {
    for (;;) {
        if (!waitFor([this] { return !m_replies.empty() || !m_protocolError.isEmpty() || controlLost(); })) {
            failure = timedOut();
            return false;
        }
        if (!m_replies.empty()) {
            reply = m_replies.front();
            m_replies.pop_front();
            if (reply.code >= 100 && reply.code < 200)
                continue;
            return true;
        }
        failure = m_protocolError.isEmpty() ? connectionLost() : protocolFailure();
        return false;
    }
}

TFtpClient::Result TFtpClient::timedOut() {
    // The exchange is abandoned as a whole: the server may still answer or send, so the session can't
    // be trusted any more and the next Connect starts afresh.
    closeData();
    abortControl();
    return {false, kTimeoutStatus, kTimeout};
}

TFtpClient::Result TFtpClient::protocolFailure() {
    const QString message = m_protocolError;
    closeData();
    abortControl();
    return {false, 0, message};
}

TFtpClient::Result TFtpClient::connectionLost() {
    QString reason = m_control.errorString();
    closeData();
    abortControl();
    if (reason.isEmpty() || m_control.error() == QAbstractSocket::UnknownSocketError)
        reason = QStringLiteral("closed");
    return {false, 0, QStringLiteral("Control connection lost (%1)").arg(reason)};
}

void TFtpClient::resetControl() {
    m_replyParser.reset();
    m_replies.clear();
    m_protocolError.clear();
    m_dropReplies = false;
}

void TFtpClient::abortControl() {
    m_control.abort();
    resetControl();
}
bool TFtpClient::controlLost() const {
    return m_control.state() != QAbstractSocket::ConnectedState;
}
// ---- control connection ---------------------------------------------------------------------------------

void TFtpClient::onControlReadyRead() {
    const bool fits = m_replyParser.feed(
        m_control.readAll(), [this](int code, const QByteArray& line) { queueReply(code, line); });
    if (!fits)
        m_protocolError = QStringLiteral("Reply line too long");
    net::wakeWaiters();
}

void TFtpClient::onControlStateChanged() {
    if (m_control.bytesAvailable() > 0)
        onControlReadyRead();
    net::wakeWaiters();
}

void TFtpClient::queueReply(int code, const QByteArray& line) {
    if (m_dropReplies || !m_protocolError.isEmpty())
        return;
    // A request ends on one final reply; what comes behind it answers nothing.
    const bool haveFinal =
        std::any_of(m_replies.begin(), m_replies.end(), [](const Reply& r) { return r.code >= 200; });
    if (haveFinal)
        return;
    if (static_cast<qsizetype>(m_replies.size()) >= kMaxQueuedReplies) {
        m_replies.clear();
        m_protocolError = QStringLiteral("Too many replies");
        return;
    }
    m_replies.push_back({code, QString::fromLatin1(line)});
}
