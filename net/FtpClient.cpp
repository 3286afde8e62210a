#include "net/FtpClient.h"

#include "net/EventWait.h"
#include "net/SendQueue.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QSaveFile>

#include <algorithm>
#include <climits>
#include <optional>

namespace {

// The component's own texts; callers and tests compare them literally.
const QString kNotReady = QStringLiteral("FTP component not ready");
const QString kAlreadyConnected = QStringLiteral("FTP component already connected");
const QString kNotConnected = QStringLiteral("FTP component not connected");
const QString kUserNameEmpty = QStringLiteral("UserName emtpy");
const QString kPasswordEmpty = QStringLiteral("Password emtpy");
const QString kHostDirNameEmpty = QStringLiteral("HostDirName emtpy");
const QString kLocalFileNameEmpty = QStringLiteral("LocalFileName empty");
const QString kTimeout = QStringLiteral("426 Timeout");
constexpr int kTimeoutStatus = 426;

// Upload data queued in the socket at a time; the rest is read from the file as the socket drains.
constexpr qint64 kUploadChunk = 64 * 1024;
constexpr qint64 kUploadQueueLimit = 4 * kUploadChunk;

bool hasLineBreak(const QString& text) {
    return text.contains(QLatin1Char('\r')) || text.contains(QLatin1Char('\n')) || text.contains(QChar(0));
}

QString localFileText(const QString& prefix, const QString& path, const QString& reason) {
    return prefix + QDir::toNativeSeparators(path) + QStringLiteral(" (") + reason + QLatin1Char(')');
}

} // namespace

// Everything one transfer holds: released on every way out of Get and Put.
class TFtpClient::TransferScope {
public:
    TransferScope(TFtpClient& client, Direction direction, QSaveFile* sink, QFile* source)
        : m_client(client) {
        m_client.m_direction = direction;
        m_client.m_sink = sink;
        m_client.m_source = source;
        m_client.m_transferred = 0;
        m_client.m_dataAccepted = false;
        m_client.m_dataClosed = false;
        m_client.m_uploadQueued = false;
        m_client.m_sendEnded = false;
        m_client.m_unsent = -1;
        m_client.m_preliminarySeen = false;
        m_client.m_dataError.clear();
        m_client.m_localFileError = false;
    }
    ~TransferScope() {
        m_client.closeData();
        m_client.m_direction = Direction::None;
        m_client.m_sink = nullptr;
        m_client.m_source = nullptr;
    }
    TransferScope(const TransferScope&) = delete;
    TransferScope& operator=(const TransferScope&) = delete;

private:
    TFtpClient& m_client;
};

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
    if (hasLineBreak(m_userName) || hasLineBreak(m_passWord))
        return {false, 0, QStringLiteral("Invalid character in command argument")};

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
    if (hasLineBreak(argument))
        return {false, 0, QStringLiteral("Invalid character in command argument")};
    Result failure;
    if (!sendCommand(verb + ' ' + argument.toLatin1(), failure))
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

TFtpClient::Result TFtpClient::transferBody(Direction direction) {
    if (m_localFileName.isEmpty())
        return {false, 0, kLocalFileNameEmpty};
    if (m_control.state() != QAbstractSocket::ConnectedState)
        return {false, 0, kNotConnected};
    if (hasLineBreak(m_hostFileName))
        return {false, 0, QStringLiteral("Invalid character in command argument")};
    const QString openFailed = QStringLiteral("Unable to open local file ");

    if (direction == Direction::Upload) {
        QFile source(m_localFileName);
        if (!source.open(QIODevice::ReadOnly))
            return {false, 0, localFileText(openFailed, m_localFileName, source.errorString())};
        TransferScope scope(*this, direction, nullptr, &source);
        return runTransfer("STOR " + m_hostFileName.toLatin1(), direction);
    }

    // The download goes to a temporary file beside the target, which replaces the target only once the
    // transfer completed: a failed download never leaves an empty or partial file behind, nor destroys
    // an earlier good copy of the same name.
    // Unbuffered: every chunk reaches the disk as it arrives, so a full disk fails the write it happens
    // in (a buffered QSaveFile that cannot flush its last bytes still commits an empty or cut-off file).
    QSaveFile sink(m_localFileName);
    if (!sink.open(QIODevice::WriteOnly | QIODevice::Unbuffered))
        return {false, 0, localFileText(openFailed, m_localFileName, sink.errorString())};
    Result result;
    {
        TransferScope scope(*this, direction, &sink, nullptr);
        result = runTransfer("RETR " + m_hostFileName.toLatin1(), direction);
    }
    if (!result.ok) {
        sink.cancelWriting();
        return result;
    }
    if (!sink.commit())
        return {false, 0, localFileText(openFailed, m_localFileName, sink.errorString())};
    return result;
}

TFtpClient::Result TFtpClient::openDataPort() {
    QHostAddress local = m_control.localAddress();
    bool isV4 = false;
    const quint32 v4 = local.toIPv4Address(&isV4);
    if (!isV4)
        return {false, 0, QStringLiteral("No IPv4 address for the data connection")};
    local = QHostAddress(v4);
    if (!m_listener.listen(local, 0))
        return {
            false, 0,
            QStringLiteral("Unable to listen for the data connection (%1)").arg(m_listener.errorString())};
    const quint16 port = m_listener.serverPort();
    const QByteArray argument = QByteArray::number((v4 >> 24) & 0xFF) + ',' +
                                QByteArray::number((v4 >> 16) & 0xFF) + ',' +
                                QByteArray::number((v4 >> 8) & 0xFF) + ',' + QByteArray::number(v4 & 0xFF) +
                                ',' + QByteArray::number(port >> 8) + ',' + QByteArray::number(port & 0xFF);
    Result failure;
    if (!sendCommand("PORT " + argument, failure))
        return failure;
    Reply reply;
    if (!awaitReply(reply, failure))
        return failure;
    // 227 is what the controller's server has been seen to answer PORT with.
    if (reply.code != 200 && reply.code != 227)
        return {false, reply.code, reply.line};
    return {true, reply.code, reply.line};
}

TFtpClient::Result TFtpClient::runTransfer(const QByteArray& command, Direction direction) {
    const Result port = openDataPort();
    if (!port.ok)
        return port;
    Result failure;
    if (!sendCommand(command, failure))
        return failure;

    // The data connection's end and the final reply come in either order; the transfer is complete when
    // both are there. A refusal ends it at once.
    std::optional<Reply> final;
    for (;;) {
        const bool woke = waitFor([&] {
            // Replies after the final one wait for the next command; they must not wake this loop.
            return (!final && (!m_replies.empty() || controlLost())) || !m_protocolError.isEmpty() ||
                   (final && dataDone()) || (!m_dataError.isEmpty() && m_data && m_data->isOpen());
        });
        if (!woke)
            return timedOut();
        if (!m_dataError.isEmpty() && m_data && m_data->isOpen())
            m_data->abort();
        while (!final && !m_replies.empty()) {
            Reply reply = m_replies.front();
            m_replies.pop_front();
            if (reply.code >= 100 && reply.code < 200) {
                // 125 / 150: the server is ready for the data. Some servers connect as soon as PORT
                // arrives; an upload must still wait for this reply, or the data would precede STOR.
                m_preliminarySeen = true;
                if (direction == Direction::Upload)
                    pumpUpload();
                continue;
            }
            final = reply;
            // Whatever the server says from here on answers nothing: a server that keeps talking
            // while the data connection stays open must not fill the memory.
            m_dropReplies = true;
            m_replies.clear();
        }
        if (!m_protocolError.isEmpty())
            return protocolFailure();
        if (final) {
            if (final->code != 226 && final->code != 250)
                return {false, final->code, m_localFileError ? m_dataError : final->line};
            if (direction == Direction::Upload && !m_uploadQueued && m_dataError.isEmpty())
                return {false, final->code,
                        QStringLiteral("Transfer ended by the server before the upload completed")};
            if (dataDone())
                break;
        } else if (controlLost()) {
            return connectionLost();
        }
    }
    if (!m_dataError.isEmpty())
        return {false, 0, m_dataError};
    return {true, final->code, final->line};
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

void TFtpClient::closeData() {
    m_drainTimer.stop();
    if (m_data) {
        m_data->disconnect(this);
        m_data->abort();
        m_data.reset();
    }
    m_listener.close();
}

bool TFtpClient::controlLost() const {
    return m_control.state() != QAbstractSocket::ConnectedState;
}

bool TFtpClient::dataDone() const {
    if (!m_dataError.isEmpty())
        return true;
    if (m_direction == Direction::Upload)
        return m_uploadQueued;
    return m_dataClosed;
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

// ---- data connection ------------------------------------------------------------------------------------

void TFtpClient::onDataConnection() {
    while (QTcpSocket* socket = m_listener.nextPendingConnection()) {
        std::unique_ptr<QTcpSocket> incoming(socket);
        incoming->setParent(nullptr);
        // Only the server we talk to may deliver or fetch the file.
        const bool fromServer =
            incoming->peerAddress().isEqual(m_control.peerAddress(), QHostAddress::ConvertV4MappedToIPv4);
        if (m_data || m_direction == Direction::None || !fromServer) {
            incoming->abort();
            continue;
        }
        m_data = std::move(incoming);
        m_dataAccepted = true;
        m_listener.close();
        connect(m_data.get(), &QTcpSocket::readyRead, this, &TFtpClient::onDataReadyRead);
        connect(m_data.get(), &QTcpSocket::disconnected, this, &TFtpClient::onDataClosed);
        connect(m_data.get(), &QTcpSocket::errorOccurred, this, &TFtpClient::onDataError);
        connect(m_data.get(), &QTcpSocket::bytesWritten, this, &TFtpClient::onDataBytesWritten);
        if (m_direction == Direction::Upload)
            pumpUpload();
        else if (m_data->bytesAvailable() > 0)
            onDataReadyRead();
    }
    net::wakeWaiters();
}

void TFtpClient::onDataReadyRead() {
    if (!m_data || m_direction != Direction::Download || !m_dataError.isEmpty())
        return;
    const QByteArray chunk = m_data->readAll();
    if (chunk.isEmpty())
        return;
    if (m_sink->write(chunk) != chunk.size()) {
        m_dataError = localFileText(QStringLiteral("Unable to write local file "), m_localFileName,
                                    m_sink->errorString());
        m_localFileError = true;
        net::wakeWaiters();
        return;
    }
    m_transferred += chunk.size();
    touchDeadline();
    Q_EMIT OnProgress(m_transferred);
    net::wakeWaiters();
}

void TFtpClient::onDataClosed() {
    if (!m_data)
        return;
    if (m_direction == Direction::Download) {
        onDataReadyRead();
        m_dataClosed = true;
    } else if (!m_uploadQueued && m_dataError.isEmpty()) {
        m_dataError = QStringLiteral("Data connection closed before the upload completed");
    }
    net::wakeWaiters();
}

void TFtpClient::onDataError(QAbstractSocket::SocketError error) {
    if (!m_data)
        return;
    if (error == QAbstractSocket::RemoteHostClosedError) {
        // Stream mode: the sender's close marks the end of the file.
        onDataClosed();
        return;
    }
    if (m_direction == Direction::Upload && m_uploadQueued)
        return; // the final reply tells whether the server got everything
    if (m_dataError.isEmpty())
        m_dataError = QStringLiteral("Data connection failed (%1)").arg(m_data->errorString());
    net::wakeWaiters();
}

void TFtpClient::onDataBytesWritten(qint64 bytes) {
    if (m_direction != Direction::Upload)
        return;
    m_transferred += bytes;
    touchDeadline();
    Q_EMIT OnProgress(m_transferred);
    if (m_uploadQueued)
        finishUpload();
    else
        pumpUpload();
    net::wakeWaiters();
}

void TFtpClient::finishUpload() {
    // Stream mode: the end of the data connection tells the server the file is complete. Once the program
    // has handed over its last byte, the system's send queue may still hold a large part of a small image
    // (hundreds of KiB on a fast link); a controller that writes it to flash takes that at its own pace.
    // Where the queue can be seen, the connection is only shut for sending, and every byte the controller
    // takes from the queue counts as progress, so a slow but moving update is not abandoned.
    if (!m_data || m_sendEnded || m_data->bytesToWrite() > 0)
        return;
    m_sendEnded = true;
    const qintptr descriptor = m_data->socketDescriptor();
    m_unsent = net::UnsentBytes(descriptor);
    if (m_unsent > 0 && net::ShutdownSend(descriptor)) {
        m_drainTimer.start(std::clamp(m_timeoutMs / 4, 10, 250));
        return;
    }
    m_data->disconnectFromHost();
}

void TFtpClient::onDrainTick() {
    const qint64 unsent = m_data ? net::UnsentBytes(m_data->socketDescriptor()) : -1;
    if (unsent >= 0 && unsent < m_unsent)
        touchDeadline();
    m_unsent = unsent;
    if (unsent <= 0)
        m_drainTimer.stop(); // all taken (the final reply is awaited from here), or the connection is gone
}

void TFtpClient::pumpUpload() {
    if (!m_data || !m_preliminarySeen || m_uploadQueued || !m_dataError.isEmpty())
        return;
    while (m_data->bytesToWrite() < kUploadQueueLimit) {
        const QByteArray chunk = m_source->read(kUploadChunk);
        if (chunk.isEmpty()) {
            if (!m_source->atEnd()) {
                m_dataError = localFileText(QStringLiteral("Unable to read local file "), m_localFileName,
                                            m_source->errorString());
                m_localFileError = true;
                return;
            }
            m_uploadQueued = true;
            finishUpload();
            return;
        }
        if (m_data->write(chunk) != chunk.size()) {
            m_dataError = QStringLiteral("Data connection failed (%1)").arg(m_data->errorString());
            return;
        }
    }
}
