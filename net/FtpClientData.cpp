// The data connection of a transfer: the listener the server connects back to (active mode), the
// download into its file and the paced upload out of it.

#include "net/FtpClient.h"

#include "net/Cp1252.h"
#include "net/EventWait.h"
#include "net/FtpClientShared.h"
#include "net/SafeFile.h"
#include "net/SendQueue.h"

#include <QDir>
#include <QFile>

#include <algorithm>
#include <optional>

using ftpclient::HasLineBreak;
using ftpclient::kInvalidArgument;
using ftpclient::kNotConnected;

namespace {

const QString kLocalFileNameEmpty = QStringLiteral("LocalFileName empty");

// Upload data queued in the socket at a time; the rest is read from the file as the socket drains.
constexpr qint64 kUploadChunk = 64 * 1024;
constexpr qint64 kUploadQueueLimit = 4 * kUploadChunk;

QString localFileText(const QString& prefix, const QString& path, const QString& reason) {
    return prefix + QDir::toNativeSeparators(path) + QStringLiteral(" (") + reason + QLatin1Char(')');
}

} // namespace

// Everything one transfer holds: released on every way out of Get and Put.
class TFtpClient::TransferScope {
public:
    TransferScope(TFtpClient& client, Direction direction, net::SafeFile* sink, QFile* source)
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

TFtpClient::Result TFtpClient::transferBody(Direction direction) {
    if (m_localFileName.isEmpty())
        return {false, 0, kLocalFileNameEmpty};
    if (m_control.state() != QAbstractSocket::ConnectedState)
        return {false, 0, kNotConnected};
    if (HasLineBreak(m_hostFileName))
        return {false, 0, kInvalidArgument};
    if (!IsAnsiRepresentable(m_hostFileName))
        return {false, 0, ftpclient::kNotInCodePage};
    const QString openFailed = QStringLiteral("Unable to open local file ");

    if (direction == Direction::Upload) {
        QFile source(m_localFileName);
        if (!source.open(QIODevice::ReadOnly))
            return {false, 0, localFileText(openFailed, m_localFileName, source.errorString())};
        TransferScope scope(*this, direction, nullptr, &source);
        return runTransfer("STOR " + ToAnsi(m_hostFileName), direction);
    }

    // The download replaces the target only once the transfer completed: a failed download never leaves
    // an empty or partial file behind, nor destroys an earlier good copy of the same name.
    net::SafeFile sink(m_localFileName);
    if (!sink.open())
        return {false, 0, localFileText(openFailed, m_localFileName, sink.errorString())};
    Result result;
    {
        TransferScope scope(*this, direction, &sink, nullptr);
        result = runTransfer("RETR " + ToAnsi(m_hostFileName), direction);
    }
    if (!result.ok) {
        sink.cancel();
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

void TFtpClient::closeData() {
    m_drainTimer.stop();
    if (m_data) {
        m_data->disconnect(this);
        m_data->abort();
        m_data.reset();
    }
    m_listener.close();
}

bool TFtpClient::dataDone() const {
    if (!m_dataError.isEmpty())
        return true;
    if (m_direction == Direction::Upload)
        return m_uploadQueued;
    return m_dataClosed;
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
    // Nothing beyond what the file can hold is written or kept: the transfer ends here.
    if (m_maxDownload > 0 && m_transferred + chunk.size() > m_maxDownload) {
        m_dataError = QStringLiteral("The file is larger than %1 bytes").arg(m_maxDownload);
        m_data->abort();
        net::wakeWaiters();
        return;
    }
    if (!m_sink->write(chunk)) {
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
