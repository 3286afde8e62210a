#include "device/CommandSocket.h"

#include "device/Conversions.h"
#include "net/EventWait.h"

#include <QHostAddress>
#include <QPointer>
#include <QTcpSocket>
#include <QTimer>

#include <algorithm>
#include <cstring>

namespace {

// Field offsets of the requests.
constexpr int kLoginNameOffset = 2;
constexpr int kLoginNameSize = 20;
constexpr int kLoginPasswordOffset = 22;
constexpr int kLoginPasswordSize = 22;
constexpr int kDeviceNameOffset = 14;
constexpr int kDeviceNameMaxChars = 40;
constexpr int kValueOffset = 2;

// Field offsets of the replies.
constexpr int kLoginResultOffset = 42;
constexpr int kInfoOffset = 2;
constexpr int kResultOffset = 12; // name and file access
constexpr int kStatusOffset = 2;
constexpr int kLogPositionOffset = 2;
constexpr int kLogCountOffset = 4;
constexpr int kCodeReadValidOffset = 2;
constexpr int kCodeReadReservedOffset = 3;
constexpr int kReaderAddressOffset = 12;
constexpr int kReaderNameOffset = 14;
constexpr int kCodeOffset = 34;

constexpr std::uint16_t kFileAccessRefused = 0xFFFF;

// Counts a callback of the session while it runs, also when the session is freed inside it.
class CallbackScope {
public:
    CallbackScope(TKLVSocket* session, int& depth) : m_alive(session), m_depth(depth) { ++m_depth; }
    ~CallbackScope() {
        if (m_alive)
            --m_depth;
    }
    CallbackScope(const CallbackScope&) = delete;
    CallbackScope& operator=(const CallbackScope&) = delete;
    bool alive() const { return !m_alive.isNull(); }

private:
    QPointer<TKLVSocket> m_alive;
    int& m_depth;
};

} // namespace

TKLVSocket::TKLVSocket(QObject* owner)
    : QObject(owner), m_socket(new QTcpSocket(this)), m_keepAliveTimer(new QTimer(this)),
      m_partialReplyTimer(new QTimer(this)) {
    connect(m_socket, &QTcpSocket::readyRead, this, &TKLVSocket::DoDataAvailable);
    connect(m_socket, &QTcpSocket::errorOccurred, this, &TKLVSocket::DoError);
    // A connect or close that completes ends the wait for it at once.
    connect(m_socket, &QTcpSocket::stateChanged, this, [] { net::wakeWaiters(); });
    connect(m_keepAliveTimer, &QTimer::timeout, this, &TKLVSocket::DoKeepAliveTimer);
    m_partialReplyTimer->setSingleShot(true);
    connect(m_partialReplyTimer, &QTimer::timeout, this, &TKLVSocket::DoPartialReplyTimer);
}

TKLVSocket::~TKLVSocket() {
    m_keepAliveTimer->stop();
    m_partialReplyTimer->stop();
    // Nothing the socket reports while being torn down concerns us any more.
    m_socket->disconnect(this);
    m_socket->abort();
    if (m_callbackDepth > 0) {
        // Freed from inside a handler that one of these emitted (the code-read handler ends the session):
        // Qt still works with the emitter when the handler returns, so it goes once control is back in
        // the event loop.
        for (QObject* emitter :
             {static_cast<QObject*>(m_socket), static_cast<QObject*>(m_partialReplyTimer)}) {
            emitter->setParent(nullptr);
            emitter->deleteLater();
        }
    }
    // A command of this session that waits must end now; its wait sees the session gone.
    ErrorFlag = true;
    net::wakeWaiters();
}

TKLVSocket::Packet TKLVSocket::newPacket(std::uint16_t code) {
    Packet packet{};
    SetLE16(packet.data(), code);
    return packet;
}

bool TKLVSocket::isConnected() const {
    return m_socket->state() == QAbstractSocket::ConnectedState;
}

bool TKLVSocket::keepAliveActive() const {
    return m_keepAliveTimer->isActive();
}

bool TKLVSocket::Login() {
    ErrorFlag = false;
    LoggedInFlag = false;
    LogCount = 0;
    LogPosition = 0;
    m_framer.reset();
    m_partialReplyTimer->stop();
    m_awaited.reset();
    if (m_socket->state() != QAbstractSocket::UnconnectedState)
        m_socket->abort();

    // A dotted address only: a name here would start a DNS lookup the controller has no part in.
    QHostAddress address;
    bool portOk = false;
    const uint port = Port.trimmed().toUInt(&portOk);
    if (!address.setAddress(Addr.trimmed()) || address.protocol() != QAbstractSocket::IPv4Protocol ||
        !portOk || port == 0 || port > 65535) {
        ErrorFlag = true;
        return false;
    }
    m_socket->connectToHost(address, static_cast<quint16>(port));
    if (!waitFor([this] { return ErrorFlag || isConnected(); }, ConnectCycles * CycleMs))
        return false;
    if (ErrorFlag || !isConnected())
        return false;

    Packet packet = newPacket(cmdLogin);
    // A 20-character name fills its field and runs into the password field without a NUL; the
    // controller expects exactly that.
    StrToChars(LoginName, packet.data() + kLoginNameOffset, kLoginNameSize);
    StrToChars(LoginPassword, packet.data() + kLoginPasswordOffset, kLoginPasswordSize);
    send(packet);
    if (!waitFor([this] { return LoggedInFlag || ErrorFlag; }, LoginReplyCycles * CycleMs))
        return false;
    return LoggedInFlag && !ErrorFlag;
}

void TKLVSocket::StartKeepAlive() {
    m_keepAliveTimer->start(KeepAliveIntervalMs);
}

bool TKLVSocket::RequestFileAccess() {
    Packet packet = newPacket(cmdFileAccess);
    SetLE16(packet.data() + kValueOffset, 1);
    return runCommand(packet, CommandCycles);
}

bool TKLVSocket::ReadDeviceInfo(TDeviceInfo* target) {
    InfoTarget = target;
    const QPointer<TKLVSocket> alive(this);
    const bool ok = runCommand(newPacket(cmdDeviceInfo), ShortCommandCycles);
    // A reply that comes after the caller gave up must not write into a buffer it may have released.
    if (alive)
        InfoTarget = nullptr;
    return ok;
}

bool TKLVSocket::WriteDeviceName(const QString& name) {
    Packet packet = newPacket(cmdDeviceName);
    StrToChars(name.left(kDeviceNameMaxChars), packet.data() + kDeviceNameOffset, kDeviceNameMaxChars + 1);
    return runCommand(packet, ShortCommandCycles);
}

bool TKLVSocket::ReadLogInfo() {
    return runCommand(newPacket(cmdLogInfo), CommandCycles);
}

bool TKLVSocket::DeleteLog() {
    return runCommand(newPacket(cmdDeleteLog), CommandCycles);
}

bool TKLVSocket::ReadModuleStatus() {
    return runCommand(newPacket(cmdModuleStatus), CommandCycles);
}

bool TKLVSocket::ActivateConfig(int phase) {
    Packet packet = newPacket(cmdActivateConfig);
    SetLE16(packet.data() + kValueOffset, static_cast<std::uint16_t>(phase));
    return runCommand(packet, phase == 0 ? CommandCycles : ActivateCycles);
}

void TKLVSocket::RestartDevice() {
    send(newPacket(cmdRestart));
}

void TKLVSocket::Disconnect() {
    m_keepAliveTimer->stop();
    if (m_socket->state() == QAbstractSocket::ConnectedState) {
        // A request sent just before (the restart command) must still reach the controller.
        m_socket->flush();
        m_socket->disconnectFromHost();
        if (!waitFor([this] { return m_socket->state() == QAbstractSocket::UnconnectedState; },
                     DisconnectTimeoutMs))
            return;
    }
    if (m_socket->state() != QAbstractSocket::UnconnectedState)
        m_socket->abort();
}

bool TKLVSocket::send(const Packet& packet) {
    if (m_socket->state() != QAbstractSocket::ConnectedState) {
        ErrorFlag = true;
        net::wakeWaiters();
        return false;
    }
    const qint64 written = m_socket->write(reinterpret_cast<const char*>(packet.data()), PacketSize);
    if (written != PacketSize) {
        ErrorFlag = true;
        net::wakeWaiters();
        return false;
    }
    m_socket->flush();
    return true;
}

bool TKLVSocket::runCommand(const Packet& packet, int cycles) {
    DoneFlag = false;
    ErrorFlag = false;
    m_awaited = GetLE16(packet.data());
    send(packet);
    if (!waitFor([this] { return DoneFlag || ErrorFlag; }, cycles * CycleMs))
        return false;
    return DoneFlag && !ErrorFlag;
}

bool TKLVSocket::waitFor(const std::function<bool()>& condition, int timeoutMs) {
    const QPointer<TKLVSocket> alive(this);
    net::waitUntil([&] { return !alive || condition(); }, timeoutMs);
    return !alive.isNull();
}

bool TKLVSocket::deliver(const std::vector<QByteArray>& replies) {
    const QPointer<TKLVSocket> alive(this);
    for (const QByteArray& reply : replies) {
        dispatch(reply);
        if (!alive) // a code-read handler may end the session
            return false;
    }
    return true;
}

void TKLVSocket::DoDataAvailable() {
    const CallbackScope scope(this, m_callbackDepth);
    // Qt does not announce data that arrives while a handler below runs a nested event loop, so the
    // buffer is drained until it is empty.
    while (m_socket->bytesAvailable() > 0) {
        if (!deliver(m_framer.feed(m_socket->readAll())))
            return;
    }
    afterReplies();
}

void TKLVSocket::afterReplies() {
    if (m_framer.waitingForRest())
        m_partialReplyTimer->start(PartialReplyWaitMs);
    else
        m_partialReplyTimer->stop();
    net::wakeWaiters();
}

bool TKLVSocket::ReceiveForTest(const QByteArray& bytes) {
    const CallbackScope scope(this, m_callbackDepth);
    if (!deliver(m_framer.feed(bytes)))
        return false;
    afterReplies();
    return true;
}

bool TKLVSocket::FlushPartialReplyForTest() {
    const CallbackScope scope(this, m_callbackDepth);
    m_partialReplyTimer->stop();
    if (!deliver(m_framer.flush()))
        return false;
    net::wakeWaiters();
    return true;
}

void TKLVSocket::DoPartialReplyTimer() {
    const CallbackScope scope(this, m_callbackDepth);
    if (!deliver(m_framer.flush()))
        return;
    net::wakeWaiters();
}

void TKLVSocket::dispatch(const QByteArray& reply) {
    if (reply.size() < 2)
        return;
    // A reply may be shorter than its layout; the fields that did not arrive read as zero.
    Packet packet{};
    std::memcpy(packet.data(), reply.constData(), std::min<std::size_t>(reply.size(), packet.size()));
    const std::uint8_t* d = packet.data();
    const std::uint16_t code = GetLE16(d);
    // Only the reply to the command that waits completes it: the keep-alive's status replies arrive at
    // any time, also while another command waits.
    const bool awaited = m_awaited && *m_awaited == code;
    switch (code) {
    case cmdLogin:
        if (GetLE16(d + kLoginResultOffset) == 1)
            LoggedInFlag = true;
        else
            ErrorFlag = true;
        break;
    case cmdDeviceInfo:
        if (InfoTarget)
            std::memcpy(InfoTarget, d + kInfoOffset, sizeof(TDeviceInfo));
        DoneFlag = DoneFlag || awaited;
        break;
    case cmdDeviceName:
        if (GetLE16(d + kResultOffset) == 1)
            DoneFlag = DoneFlag || awaited;
        else
            ErrorFlag = true;
        break;
    case cmdFileAccess: {
        // Other results are interim answers; the controller sends the final one later.
        const std::uint16_t result = GetLE16(d + kResultOffset);
        if (result == 0 || result == 1)
            DoneFlag = DoneFlag || awaited;
        else if (result == kFileAccessRefused)
            ErrorFlag = true;
        break;
    }
    case cmdModuleStatus:
        std::memcpy(ModuleStatus.data(), d + kStatusOffset, sizeof(TModuleStatusBlock));
        DoneFlag = DoneFlag || awaited;
        break;
    case cmdLogInfo:
        LogPosition = GetLE16(d + kLogPositionOffset);
        LogCount = GetLE16(d + kLogCountOffset);
        DoneFlag = DoneFlag || awaited;
        break;
    case cmdDeleteLog:
    case cmdActivateConfig:
        DoneFlag = DoneFlag || awaited;
        break;
    case cmdCodeRead:
        if (d[kCodeReadValidOffset] == 1 && d[kCodeReadReservedOffset] == 0 && OnCodeRead) {
            // A copy: the handler may assign another handler while it runs.
            const TCodeReadEvent handler = OnCodeRead;
            handler(this, CharsToStr(d + kReaderNameOffset, 19), GetLE16(d + kReaderAddressOffset),
                    CodeToStr(d + kCodeOffset, 10));
        }
        break;
    default:
        ErrorFlag = true;
        break;
    }
}

void TKLVSocket::DoError() {
    ErrorFlag = true;
    net::wakeWaiters();
}

void TKLVSocket::DoKeepAliveTimer() {
    send(newPacket(cmdModuleStatus));
}
