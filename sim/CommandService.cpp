#include "sim/CommandService.h"

#include "device/Cp1252.h"
#include "sim/LogbookRing.h"
#include "sim/SimController.h"
#include "sim/SocketReset.h"

#include <QFile>
#include <QTcpSocket>

#include <algorithm>
#include <utility>

namespace sim {
namespace {

constexpr int kRequestSize = 1024;
constexpr int kBusyGraceMs = 50;

// The command codes the controller knows: the first word of a request and of the reply to it.
enum Code : quint16 {
    kLogin = 0,
    kDeviceInfo = 1,
    kDeviceName = 2,
    kFileAccess = 4,
    kModuleStatus = 100,
    kLogInfo = 106,
    kDeleteLog = 107,
    kActivateConfig = 108,
    kCodeRead = 200,
    kRestart = 999,
};

// Layout lengths of the replies, as the controller fills them.
constexpr int kLoginReplyLength = 44;
constexpr int kInfoReplyLength = 22;
constexpr int kResultReplyLength = 14; // name, file access
constexpr int kStatusReplyLength = 98;
constexpr int kLogInfoReplyLength = 6;
constexpr int kCodeReadReplyLength = 45;

quint16 word(const QByteArray& bytes, int offset) {
    return static_cast<quint16>(static_cast<quint8>(bytes.at(offset)) |
                                (static_cast<quint8>(bytes.at(offset + 1)) << 8));
}

void putWord(QByteArray& bytes, int offset, quint16 value) {
    bytes[offset] = static_cast<char>(value & 0xFF);
    bytes[offset + 1] = static_cast<char>(value >> 8);
}

QByteArray layout(quint16 code, int length) {
    QByteArray bytes(length, '\0');
    putWord(bytes, 0, code);
    return bytes;
}

// Text of a NUL-terminated field of at most `size` bytes.
QString field(const QByteArray& request, int offset, int size) {
    const QByteArray bytes = request.mid(offset, size);
    const qsizetype nul = bytes.indexOf('\0');
    return FromAnsi(nul < 0 ? bytes : bytes.left(nul));
}

// "packet <length>: <hex up to the last non-zero byte> +<n> zero": a request exactly as it came.
QString PacketText(const QByteArray& packet) {
    qsizetype used = packet.size();
    while (used > 0 && packet.at(used - 1) == '\0')
        --used;
    return QStringLiteral("packet %1: %2 +%3 zero")
        .arg(packet.size())
        .arg(QString::fromLatin1(packet.left(used).toHex()))
        .arg(packet.size() - used);
}

} // namespace

CommandService::CommandService(SimController& controller, QObject* parent)
    : QObject(parent), m_controller(controller) {
    connect(&m_server, &QTcpServer::newConnection, this, &CommandService::acceptConnections);
    m_outgoingTimer.setSingleShot(true);
    connect(&m_outgoingTimer, &QTimer::timeout, this, &CommandService::writeQueued);
    connect(&m_codeReadTimer, &QTimer::timeout, this, &CommandService::pushCodeRead);
}

CommandService::~CommandService() {
    if (m_client) {
        m_client->disconnect(this);
        m_client->abort();
        delete m_client;
    }
}

bool CommandService::listen(QString* error) {
    ControllerConfig& config = m_controller.config();
    if (!m_server.listen(config.address, config.commandPort)) {
        if (error)
            *error = QStringLiteral("TCP %1:%2: %3")
                         .arg(config.address.toString())
                         .arg(config.commandPort)
                         .arg(m_server.errorString());
        return false;
    }
    config.commandPort = m_server.serverPort();
    return true;
}

void CommandService::acceptConnections() {
    while (QTcpSocket* socket = m_server.nextPendingConnection()) {
        if (m_client) {
            // The device handles a close before a new connection that follows it; here both may be
            // reported in the same turn of the event loop, so the close gets a moment to come in.
            m_waiting.append(socket);
            QTimer::singleShot(kBusyGraceMs, this, &CommandService::decideWaiting);
            continue;
        }
        adopt(socket);
    }
}

void CommandService::decideWaiting() {
    while (!m_waiting.isEmpty()) {
        const QPointer<QTcpSocket> socket = m_waiting.takeFirst();
        if (!socket)
            continue;
        if (m_client) {
            // Like the device: one command connection at a time.
            m_controller.logEvent(QStringLiteral("connection refused: busy"));
            socket->close();
            socket->deleteLater();
            continue;
        }
        adopt(socket);
    }
}

void CommandService::adopt(QTcpSocket* socket) {
    m_client = socket;
    m_received.clear();
    m_loggedIn = false;
    m_outgoing.clear();
    m_controller.logEvent(QStringLiteral("connected"));
    connect(socket, &QTcpSocket::readyRead, this, &CommandService::readRequests);
    connect(socket, &QTcpSocket::disconnected, this, &CommandService::clientGone);
    if (socket->bytesAvailable() > 0)
        readRequests();
}

void CommandService::clientGone() {
    if (!m_client)
        return;
    m_controller.logEvent(QStringLiteral("disconnected"));
    m_client->disconnect(this);
    m_client->deleteLater();
    m_client = nullptr;
    m_loggedIn = false;
    m_outgoing.clear();
    m_outgoingTimer.stop();
    m_codeReadTimer.stop();
}

void CommandService::dropConnection(bool reset) {
    if (!m_client)
        return;
    if (reset) {
        ResetConnection(*m_client);
    } else {
        m_client->disconnectFromHost();
    }
    clientGone();
}

void CommandService::suspend() {
    m_server.close();
    for (const QPointer<QTcpSocket>& socket : std::as_const(m_waiting)) {
        if (socket) {
            socket->abort();
            socket->deleteLater();
        }
    }
    m_waiting.clear();
    dropConnection(false);
}

bool CommandService::resume(QString* error) {
    return m_server.isListening() || listen(error);
}

void CommandService::readRequests() {
    if (!m_client)
        return;
    m_received.append(m_client->readAll());
    while (m_client && m_received.size() >= kRequestSize) {
        const QByteArray request = m_received.left(kRequestSize);
        m_received.remove(0, kRequestSize);
        handle(request);
    }
}

void CommandService::handle(const QByteArray& request) {
    const CommandOptions& options = m_controller.config().command;
    const quint16 code = word(request, 0);
    m_controller.logEvent(QStringLiteral("command %1 value %2").arg(code).arg(word(request, 2)));
    if (m_controller.config().logPackets)
        m_controller.logEvent(PacketText(request));
    m_resetBudget = options.resetMidReply.contains(code) ? options.resetAfterBytes : -1;
    if (options.unansweredCommands.contains(code))
        return;
    if (code == kLogin) {
        handleLogin(request);
        return;
    }
    if (!m_loggedIn)
        return;
    if (code == kRestart) {
        m_controller.restart();
        return;
    }
    if (options.unknownReplyCode != 0) {
        sendReply(layout(static_cast<quint16>(options.unknownReplyCode), 2));
        return;
    }
    switch (code) {
    case kDeviceInfo: {
        QByteArray reply = layout(kDeviceInfo, kInfoReplyLength);
        const quint32 serial = m_controller.config().serial;
        const std::uint8_t info[20] = {
            options.firmwareMajor,
            options.firmwareMinor,
            options.biosAMinor,
            options.biosAMajor,
            options.biosBMinor,
            options.biosBMajor,
            static_cast<std::uint8_t>(serial),
            static_cast<std::uint8_t>(serial >> 8),
            static_cast<std::uint8_t>(serial >> 16),
            static_cast<std::uint8_t>(serial >> 24),
            options.language,
            options.infoVersion,
            options.operatingMode,
            static_cast<std::uint8_t>(options.maxModules),
            static_cast<std::uint8_t>(options.maxModules >> 8),
            static_cast<std::uint8_t>(options.maxTransponders),
            static_cast<std::uint8_t>(options.maxTransponders >> 8),
            static_cast<std::uint8_t>(options.maxLogEntries),
            static_cast<std::uint8_t>(options.maxLogEntries >> 8),
            options.hardwareRevision,
        };
        reply.replace(2, 20, reinterpret_cast<const char*>(info), 20);
        sendReply(reply);
        break;
    }
    case kDeviceName:
        handleName(request);
        break;
    case kFileAccess:
        answerFileAccess();
        break;
    case kModuleStatus:
        sendReply(statusReply());
        break;
    case kLogInfo: {
        const RingState ring = readRingState(m_controller);
        const int count = options.logCount >= 0 ? options.logCount : ring.count;
        const int position = options.logPosition >= 0 ? options.logPosition : ring.position;
        QByteArray reply = layout(kLogInfo, kLogInfoReplyLength);
        putWord(reply, 2, static_cast<quint16>(position));
        putWord(reply, 4, static_cast<quint16>(count));
        sendReply(reply);
        break;
    }
    case kDeleteLog:
        deleteLog();
        sendReply(layout(kDeleteLog, 2));
        break;
    case kActivateConfig:
        m_controller.logEvent(QStringLiteral("activate phase %1").arg(word(request, 2)));
        sendReply(layout(kActivateConfig, 2));
        break;
    default:
        // Commands the device does not know go unanswered.
        break;
    }
}

void CommandService::handleLogin(const QByteArray& request) {
    const CommandOptions& options = m_controller.config().command;
    const QString user = field(request, 2, 20);
    const QString password = field(request, 22, 22);
    m_loggedIn = user == options.userName && password == options.password;
    m_controller.logEvent(QStringLiteral("login %1 %2")
                              .arg(m_loggedIn ? QStringLiteral("ok") : QStringLiteral("refused"), user));
    QByteArray reply = layout(kLogin, kLoginReplyLength);
    putWord(reply, 42, m_loggedIn ? 1 : 0);
    sendReply(reply);
    if (m_loggedIn && options.codeReadIntervalMs > 0)
        m_codeReadTimer.start(options.codeReadIntervalMs);
}

void CommandService::handleName(const QByteArray& request) {
    const CommandOptions& options = m_controller.config().command;
    QByteArray reply = layout(kDeviceName, kResultReplyLength);
    if (options.refuseName) {
        m_controller.logEvent(QStringLiteral("name refused"));
        putWord(reply, 12, 0);
    } else {
        const QString name = field(request, 14, 41).left(40);
        m_controller.config().name = name;
        m_controller.logEvent(QStringLiteral("name ") + name);
        putWord(reply, 12, 1);
    }
    sendReply(reply);
}

void CommandService::answerFileAccess() {
    const CommandOptions& options = m_controller.config().command;
    if (options.fileAccessInterimFirst) {
        QByteArray interim = layout(kFileAccess, kResultReplyLength);
        putWord(interim, 12, 2);
        sendReply(interim);
    }
    QByteArray reply = layout(kFileAccess, kResultReplyLength);
    putWord(reply, 12, options.refuseFileAccess ? 0xFFFF : 1);
    m_controller.logEvent(options.refuseFileAccess ? QStringLiteral("file access refused")
                                                   : QStringLiteral("file access granted"));
    if (options.fileAccessInterimFirst) {
        // The final answer comes a moment later, as when the device first finishes a write.
        enqueue({QByteArray(), 30});
    }
    sendReply(reply);
}

void CommandService::deleteLog() {
    CommandOptions& options = m_controller.config().command;
    QFile log(m_controller.dataFile(QStringLiteral("kelvora.log")));
    if (log.exists() && log.open(QIODevice::WriteOnly | QIODevice::Truncate))
        log.close();
    clearRingState(m_controller);
    if (options.logCount >= 0)
        options.logCount = 0;
    if (options.logPosition >= 0)
        options.logPosition = 0;
    m_controller.logEvent(QStringLiteral("log deleted"));
}

void CommandService::pushCodeRead() {
    CommandOptions& options = m_controller.config().command;
    if (m_codeReadTimer.isActive() && options.codeReadIntervalMs <= 0) {
        m_codeReadTimer.stop();
        return;
    }
    if (!m_client || !m_loggedIn || options.codeReads.isEmpty())
        return;
    sendReply(nextCodeReadReply());
}

void CommandService::pushCodeReads(int count) {
    const CommandOptions& options = m_controller.config().command;
    if (!m_client || !m_loggedIn || options.codeReads.isEmpty() || count <= 0)
        return;
    QByteArray replies;
    for (int i = 0; i < count; ++i)
        replies += shaped(nextCodeReadReply());
    enqueue({replies, 0});
}

QByteArray CommandService::nextCodeReadReply() {
    const CommandOptions& options = m_controller.config().command;
    const CodeReadReport& report = options.codeReads.at(m_codeReadIndex % options.codeReads.size());
    ++m_codeReadIndex;
    QByteArray reply = layout(kCodeRead, kCodeReadReplyLength);
    reply[2] = static_cast<char>(report.validByte);
    reply[3] = static_cast<char>(report.reservedByte);
    putWord(reply, 12, report.readerAddress);
    const QByteArray name = ToAnsi(report.readerName).left(20);
    reply.replace(14, name.size(), name);
    const QByteArray code = report.codeField.left(11);
    reply.replace(34, code.size(), code);
    m_controller.logEvent(QStringLiteral("code read %1").arg(report.readerName));
    return reply;
}

QByteArray CommandService::statusReply() const {
    const CommandOptions& options = m_controller.config().command;
    QByteArray reply = layout(kModuleStatus, kStatusReplyLength);
    for (int i = 0; i < options.moduleStatus.size() && i < 16; ++i) {
        const ModuleStatusEntry& entry = options.moduleStatus.at(i);
        const int at = 2 + 6 * i;
        putWord(reply, at, entry.address);
        reply[at + 2] = static_cast<char>(entry.ready);
        reply[at + 3] = static_cast<char>(entry.sabotage);
        reply[at + 4] = static_cast<char>(entry.doorOpen);
    }
    return reply;
}

QByteArray CommandService::shaped(QByteArray reply) const {
    const CommandOptions& options = m_controller.config().command;
    int length = word(reply, 0) == kLogin && options.loginReplyLength != CommandOptions::kAsOtherReplies
                     ? options.loginReplyLength
                     : options.replyLength;
    if (options.shortReplies)
        length = CommandOptions::kLayoutLength;
    if (length == CommandOptions::kLayoutLength)
        return reply;
    if (reply.size() > length)
        reply.truncate(length);
    else
        reply.append(QByteArray(length - reply.size(), '\0'));
    return reply;
}

void CommandService::sendReply(QByteArray reply) {
    const CommandOptions& options = m_controller.config().command;
    const quint16 code = word(reply, 0);
    reply = shaped(reply);
    // Sent with the reply, in the same write: the padding of a reply longer than usual.
    reply.append(QByteArray(options.extraReplyBytes, '\0'));
    if (options.statusBeforeReplies && code != kLogin && code != kModuleStatus && code != kCodeRead)
        reply.prepend(shaped(statusReply()));
    if (options.splitReplies && reply.size() > 1) {
        const int first = qBound(1, options.splitAt, static_cast<int>(reply.size()) - 1);
        enqueue({reply.left(first), 0});
        enqueue({reply.mid(first), options.splitDelayMs});
    } else {
        enqueue({reply, 0});
    }
}

void CommandService::enqueue(Chunk chunk) {
    m_outgoing.push_back(std::move(chunk));
    if (!m_outgoingTimer.isActive())
        writeQueued();
}

void CommandService::writeQueued() {
    // Chunks leave in order; a delayed one holds back everything after it, so a split reply is never
    // overtaken by the next one. A write to a peer that has gone may report the connection lost at once
    // (clientGone() empties the queue then), so each chunk leaves the queue before it is written.
    while (!m_outgoing.empty() && m_client) {
        if (m_outgoing.front().delayMs > 0) {
            m_outgoingTimer.start(std::exchange(m_outgoing.front().delayMs, 0));
            return;
        }
        const QByteArray bytes = std::move(m_outgoing.front().bytes);
        m_outgoing.pop_front();
        if (bytes.isEmpty())
            continue;
        const QPointer<QTcpSocket> client = m_client;
        if (m_resetBudget >= 0) {
            const qsizetype n = std::min<qsizetype>(m_resetBudget, bytes.size());
            client->write(bytes.left(n));
            if (client == m_client)
                client->flush();
            m_resetBudget -= static_cast<int>(n);
            if (client == m_client && (n < bytes.size() || m_resetBudget == 0))
                return resetSoon();
            continue;
        }
        client->write(bytes);
        if (client == m_client)
            client->flush();
    }
}

void CommandService::resetSoon() {
    m_outgoing.clear();
    m_resetBudget = -1;
    m_controller.logEvent(QStringLiteral("reset mid-reply"));
    // The bytes already written reach the tool before the reset does.
    QTimer::singleShot(20, this, [this, client = m_client] {
        if (client && client == m_client)
            dropConnection(true);
    });
}

} // namespace sim
