#include "device/CommandSocket.h"

#include "device/Conversions.h"
#include "net/EventWait.h"

#include <QHostAddress>
#include <QPointer>
#include <QTcpSocket>
#include <QTimer>

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

} // namespace

TKLVSocket::TKLVSocket(QObject* owner)
    : QObject(owner), m_socket(new QTcpSocket(this)), m_keepAliveTimer(new QTimer(this)) {
    connect(m_socket, &QTcpSocket::readyRead, this, &TKLVSocket::DoDataAvailable);
    connect(m_socket, &QTcpSocket::errorOccurred, this, &TKLVSocket::DoError);
    // A connect or close that completes ends the wait for it at once.
    connect(m_socket, &QTcpSocket::stateChanged, this, [] { net::wakeWaiters(); });
    connect(m_keepAliveTimer, &QTimer::timeout, this, &TKLVSocket::DoKeepAliveTimer);
}

TKLVSocket::~TKLVSocket() {
    m_keepAliveTimer->stop();
    // The socket goes with this object; nothing it reports while being torn down concerns us any more.
    m_socket->disconnect(this);
    m_socket->abort();
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
    net::waitUntil([this] { return ErrorFlag || isConnected(); }, ConnectCycles * CycleMs);
    if (ErrorFlag || !isConnected())
        return false;

    Packet packet = newPacket(cmdLogin);
    // A 20-character name fills its field and runs into the password field without a NUL; the
    // controller expects exactly that.
    StrToChars(LoginName, packet.data() + kLoginNameOffset, kLoginNameSize);
    StrToChars(LoginPassword, packet.data() + kLoginPasswordOffset, kLoginPasswordSize);
    send(packet);
    net::waitUntil([this] { return LoggedInFlag || ErrorFlag; }, LoginReplyCycles * CycleMs);
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
    const bool ok = runCommand(newPacket(cmdDeviceInfo), ShortCommandCycles);
    // A reply that comes after the caller gave up must not write into a buffer it may have released.
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
        net::waitUntil([this] { return m_socket->state() == QAbstractSocket::UnconnectedState; },
                       DisconnectTimeoutMs);
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
    send(packet);
    net::waitUntil([this] { return DoneFlag || ErrorFlag; }, cycles * CycleMs);
    return DoneFlag && !ErrorFlag;
}

void TKLVSocket::DoDataAvailable() {
    const QPointer<TKLVSocket> alive(this);
    // Qt does not announce data that arrives while a handler below runs a nested event loop, so the
    // buffer is drained until it is empty.
    while (m_socket->bytesAvailable() > 0) {
        for (const QByteArray& reply : m_framer.feed(m_socket->readAll())) {
            dispatch(reply);
            if (!alive) // a code-read handler may end the session
                return;
        }
    }
    net::wakeWaiters();
}

void TKLVSocket::dispatch(const QByteArray& reply) {
    const auto* d = reinterpret_cast<const std::uint8_t*>(reply.constData());
    const qsizetype size = reply.size();
    if (size < 2)
        return;
    const std::uint16_t code = GetLE16(d);
    // The framer hands out whole layouts; the checks keep every read inside what arrived regardless.
    const qsizetype layout = ReplyFramer::layoutLength(code);
    if (layout == 0 || size < layout) {
        ErrorFlag = true;
        return;
    }
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
        DoneFlag = true;
        break;
    case cmdDeviceName:
        if (GetLE16(d + kResultOffset) == 1)
            DoneFlag = true;
        else
            ErrorFlag = true;
        break;
    case cmdFileAccess: {
        // Other results are interim answers; the controller sends the final one later.
        const std::uint16_t result = GetLE16(d + kResultOffset);
        if (result == 0 || result == 1)
            DoneFlag = true;
        else if (result == kFileAccessRefused)
            ErrorFlag = true;
        break;
    }
    case cmdModuleStatus:
        std::memcpy(ModuleStatus.data(), d + kStatusOffset, sizeof(TModuleStatusBlock));
        DoneFlag = true;
        break;
    case cmdLogInfo:
        LogPosition = GetLE16(d + kLogPositionOffset);
        LogCount = GetLE16(d + kLogCountOffset);
        DoneFlag = true;
        break;
    case cmdDeleteLog:
    case cmdActivateConfig:
        DoneFlag = true;
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
