// The data connections of an FTP session: active or passive, the paced download and the upload that
// counts only once the client stayed, and the fault switches that cut, stall or slow them.

#include "sim/FtpSession.h"

#include "sim/SimController.h"
#include "sim/SocketReset.h"

#include <algorithm>
#include <limits>

namespace sim {
namespace {

constexpr qint64 kChunk = 64 * 1024;
constexpr qint64 kQueueLimit = 4 * kChunk;
constexpr int kSlowReceiveBuffer = 8 * 1024;
// An upload counts only if the client is still there a moment after the data connection ended: a client
// that gives up resets both connections, and a reset looks like a normal end on the data connection.
constexpr int kCommitGraceMs = 10;

} // namespace

void FtpSession::openData() {
    const FtpOptions& options = m_controller.config().ftp;
    m_stallAfter = options.stallAfterBytes;
    m_dropAfter = options.dropDataAfterBytes;
    m_dropping = false;
    m_slowChunk = options.slowIntervalMs > 0 ? options.slowChunkBytes : 0;
    m_budget = m_slowChunk > 0 ? m_slowChunk : -1;
    m_dataOpen = false;
    m_dataEof = false;
    m_closing = false;
    if (m_slowChunk > 0)
        m_slowTimer.start(options.slowIntervalMs);

    if (m_passive) {
        if (m_passive->hasPendingConnections())
            onPassiveConnection();
        return;
    }
    auto* socket = new QTcpSocket(this);
    m_data = socket;
    // From the controller's own address, as a device with one interface would. Address reuse: this side
    // closes first and keeps the port in TIME_WAIT, which must not block a later listener on it.
    socket->bind(m_controller.config().address, 0, QAbstractSocket::ReuseAddressHint);
    connect(socket, &QTcpSocket::connected, this, [this, socket] { onDataOpened(socket); });
    connect(socket, &QTcpSocket::errorOccurred, this, &FtpSession::onDataError);
    socket->connectToHost(m_activeAddress, m_activePort);
    m_activeSet = false;
}

void FtpSession::onPassiveConnection() {
    if (!m_passive || m_kind == Kind::None || m_data)
        return;
    QTcpSocket* socket = m_passive->nextPendingConnection();
    if (!socket)
        return;
    socket->setParent(this);
    dropPassive();
    m_data = socket;
    connect(socket, &QTcpSocket::errorOccurred, this, &FtpSession::onDataError);
    onDataOpened(socket);
}

void FtpSession::onDataOpened(QTcpSocket* socket) {
    if (socket != m_data)
        return;
    m_dataOpen = true;
    connect(socket, &QTcpSocket::disconnected, this, &FtpSession::onDataClosed);
    if (m_kind == Kind::Retr) {
        connect(socket, &QTcpSocket::bytesWritten, this, &FtpSession::sendMore);
        sendMore();
    } else {
        // Reading holds back once the budget is used, so TCP pushes back on the client. A slow upload
        // goes into buffers as small as a controller's own, so what the client sends is soon what the
        // controller has taken.
        if (m_slowChunk > 0) {
            socket->setSocketOption(QAbstractSocket::ReceiveBufferSizeSocketOption, kSlowReceiveBuffer);
            socket->setReadBufferSize(kSlowReceiveBuffer);
        } else if (m_stallAfter >= 0) {
            socket->setReadBufferSize(kChunk);
        }
        connect(socket, &QTcpSocket::readyRead, this, &FtpSession::readUpload);
        readUpload();
    }
}

qint64 FtpSession::allowance() const {
    qint64 allowed = std::numeric_limits<qint64>::max();
    if (m_stallAfter >= 0)
        allowed = std::min(allowed, m_stallAfter);
    if (m_budget >= 0)
        allowed = std::min(allowed, m_budget);
    if (m_dropAfter >= 0)
        allowed = std::min(allowed, m_dropAfter);
    return allowed;
}

void FtpSession::dropIfDue(qint64 moved) {
    if (m_dropAfter < 0 || moved < m_dropAfter || m_dropping)
        return;
    m_dropping = true;
    m_controller.logEvent(QStringLiteral("ftp data dropped %1 after %2").arg(m_name).arg(moved));
    // A moment for the bytes already written to arrive, then a reset instead of an orderly end.
    QTimer::singleShot(20, this, [this, socket = m_data] {
        if (!socket || socket != m_data)
            return;
        ResetConnection(*socket);
        finishTransfer(QStringLiteral("426 Connection closed; transfer aborted."));
    });
}

void FtpSession::onSlowTick() {
    m_budget += m_slowChunk;
    if (m_kind == Kind::Retr)
        sendMore();
    else if (m_kind == Kind::Stor)
        readUpload();
}

void FtpSession::sendMore() {
    if (m_kind != Kind::Retr || !m_data || !m_dataOpen || m_closing)
        return;
    const qint64 allowed = std::min<qint64>(allowance(), m_content.size());
    while (m_sent < allowed && m_data->bytesToWrite() < kQueueLimit) {
        const qint64 n = std::min(kChunk, allowed - m_sent);
        m_data->write(m_content.constData() + m_sent, n);
        m_sent += n;
    }
    if (m_dropAfter >= 0 && m_dropAfter < m_content.size())
        return dropIfDue(m_sent);
    if (m_sent == m_content.size()) {
        // Stream mode: the end of the data connection is the end of the file.
        m_closing = true;
        m_data->disconnectFromHost();
    }
}

void FtpSession::readUpload() {
    if (m_kind != Kind::Stor || !m_data || !m_upload)
        return;
    for (;;) {
        const qint64 room = allowance() - m_received;
        if (room <= 0 || m_data->bytesAvailable() <= 0)
            break;
        const QByteArray chunk = m_data->read(std::min(room, kChunk));
        if (chunk.isEmpty())
            break;
        if (m_upload->write(chunk) != chunk.size())
            return finishTransfer(QStringLiteral("451 Requested action aborted: local error in processing."));
        m_received += chunk.size();
    }
    dropIfDue(m_received);
    if (m_dropping)
        return;
    if (m_dataEof && m_data->bytesAvailable() == 0 && !m_commitTimer.isActive())
        m_commitTimer.start(kCommitGraceMs);
}

void FtpSession::onDataClosed() {
    if (m_kind == Kind::Retr) {
        if (m_closing && m_data && m_data->bytesToWrite() == 0) {
            m_controller.logEvent(QStringLiteral("ftp sent %1 %2").arg(m_name).arg(m_content.size()));
            return finishTransfer(QStringLiteral("226 Transfer complete."));
        }
        return finishTransfer(QStringLiteral("426 Connection closed; transfer aborted."));
    }
    if (m_kind == Kind::Stor) {
        m_dataEof = true;
        readUpload();
    }
}

void FtpSession::onDataError(QAbstractSocket::SocketError error) {
    if (!m_dataOpen) {
        if (m_kind != Kind::None)
            finishTransfer(QStringLiteral("425 Can't open data connection."));
        return;
    }
    if (error == QAbstractSocket::RemoteHostClosedError)
        return; // the disconnected signal follows
    if (m_kind == Kind::Retr && m_closing)
        return;
    finishTransfer(QStringLiteral("426 Connection closed; transfer aborted."));
}

void FtpSession::completeUpload() {
    if (m_kind != Kind::Stor || !m_upload)
        return;
    if (m_control->state() != QAbstractSocket::ConnectedState)
        return end();
    if (!m_upload->commit()) {
        m_upload.reset();
        return finishTransfer(QStringLiteral("451 Requested action aborted: local error in processing."));
    }
    m_upload.reset();
    m_controller.logEvent(QStringLiteral("ftp stored %1 %2").arg(m_name).arg(m_received));
    finishTransfer(QStringLiteral("226 Transfer complete."));
}

void FtpSession::finishTransfer(const QString& replyLine) {
    if (m_kind == Kind::Stor && m_upload)
        m_controller.logEvent(QStringLiteral("ftp upload discarded ") + m_name);
    dropData();
    reply(replyLine);
}

void FtpSession::dropData() {
    m_slowTimer.stop();
    m_commitTimer.stop();
    m_upload.reset(); // uncommitted: the partial file goes, the stored one stays
    m_content.clear();
    m_kind = Kind::None;
    m_dataOpen = false;
    if (m_data) {
        QTcpSocket* socket = m_data;
        m_data = nullptr;
        socket->disconnect(this);
        // A complete download has already been closed gracefully; anything else is cut off.
        socket->abort();
        socket->deleteLater(); // may be inside its own signal; the session (its parent) is the backstop
    }
}

void FtpSession::dropPassive() {
    if (m_passive) {
        QTcpServer* server = m_passive;
        m_passive = nullptr;
        server->disconnect(this);
        server->close();
        server->deleteLater();
    }
}

} // namespace sim
