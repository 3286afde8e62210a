#pragma once

// The command session: the tool's TCP channel to one controller. A session connects to the command
// port, logs in, exchanges 1024-byte command packets and closes again; every user action that talks to
// a controller opens its own. The controller takes one connection at a time.
//
// Nothing here blocks: the socket is event-driven and every wait runs the event loop (net::waitUntil),
// so replies, the keep-alive tick and the user's clicks are handled while a command waits. The waits
// last a number of poll cycles of CycleMs each and end as soon as a flag they wait for is set.
//
// A command's wait ends on the reply to that command, on an error reply or on a reply with an unknown
// code; the keep-alive's status replies, code reads and other stray replies are taken in (the status
// block is stored) but end no other command's wait. A session may be freed from inside one of its own
// callbacks (the code-read handler) and while one of its commands waits: that command then returns
// false, and the socket underneath goes later, once Qt is done with it.

#include "device/ByteOrder.h"
#include "device/DeviceInfo.h"
#include "device/ReplyFramer.h"

#include <QObject>
#include <QString>

#include <array>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>

class QTcpSocket;
class QTimer;

#pragma pack(push, 1)
// One module of the status block of reply 100.
struct TModuleStatusRec {
    std::uint8_t AddressLE[2]; // bus address; 0 = slot not used
    std::uint8_t Ready;        // 0 = module does not answer
    std::uint8_t Sabotage;     // non-zero = contact on
    std::uint8_t DoorOpen;     // non-zero = door open
    std::uint8_t Reserved;

    std::uint16_t Address() const { return GetLE16(AddressLE); }
    void setAddress(std::uint16_t v) { SetLE16(AddressLE, v); }
};
#pragma pack(pop)

static_assert(sizeof(TModuleStatusRec) == 6);
static_assert(offsetof(TModuleStatusRec, Ready) == 2);
static_assert(offsetof(TModuleStatusRec, Sabotage) == 3);
static_assert(offsetof(TModuleStatusRec, DoorOpen) == 4);

using TModuleStatusBlock = std::array<TModuleStatusRec, 16>;
static_assert(sizeof(TModuleStatusBlock) == 96);

class TKLVSocket;

// A transponder presented at a reader (reply 200).
using TCodeReadEvent = std::function<void(TKLVSocket* sender, const QString& ReaderName,
                                          quint16 ReaderAddress, const QString& Code)>;

class TKLVSocket : public QObject {
    Q_OBJECT
public:
    static constexpr int PacketSize = 1024;

    enum Command : std::uint16_t {
        cmdLogin = 0,
        cmdDeviceInfo = 1,
        cmdDeviceName = 2,
        cmdFileAccess = 4,
        cmdModuleStatus = 100,
        cmdLogInfo = 106,
        cmdDeleteLog = 107,
        cmdActivateConfig = 108,
        cmdCodeRead = 200,
        cmdRestart = 999,
    };

    // Poll cycles of each wait.
    static constexpr int ConnectCycles = 20;
    static constexpr int LoginReplyCycles = 30;
    static constexpr int ShortCommandCycles = 15; // device info, device name
    static constexpr int CommandCycles = 30;
    static constexpr int ActivateCycles = 150; // activation phase 1 rebuilds the controller's tables

    // What new sessions start with; tests shorten them for every session a window creates.
    static inline int DefaultCycleMs = 100;
    static inline int DefaultKeepAliveIntervalMs = 2500;
    // How long the rest of a reply that arrived shorter than its layout is waited for before the reply
    // is taken as it is; longer than a lost TCP segment takes to be sent again.
    static inline int DefaultPartialReplyWaitMs = 300;

    explicit TKLVSocket(QObject* owner = nullptr);
    ~TKLVSocket() override;
    TKLVSocket(const TKLVSocket&) = delete;
    TKLVSocket& operator=(const TKLVSocket&) = delete;

    // Connects to Addr:Port and logs in with LoginName and LoginPassword; true when the controller
    // accepted the credentials.
    bool Login();
    // From now on a status request (code 100) goes out every KeepAliveIntervalMs, unawaited, so that
    // the controller keeps the session open during long file transfers.
    void StartKeepAlive();
    bool RequestFileAccess();
    // The 20-byte information block lands in *target.
    bool ReadDeviceInfo(TDeviceInfo* target);
    // At most 40 characters are sent.
    bool WriteDeviceName(const QString& name);
    bool ReadLogInfo();
    bool DeleteLog();
    bool ReadModuleStatus();
    // Phase 0 prepares, phase 1 switches the controller to the uploaded tables. The callers do not
    // evaluate the result; it is returned for the record.
    bool ActivateConfig(int phase);
    // The controller restarts at once and answers nothing; disconnect right after.
    void RestartDevice();
    // Sends what is still queued, then closes the connection. Harmless when not connected.
    void Disconnect();

    bool isConnected() const;
    bool keepAliveActive() const;

    // Test seam (the fuzz target of the reply path): the bytes enter the reply path as if one read of the
    // connection had brought them — framing, dispatch, the partial-reply timer. FlushPartialReplyForTest
    // stands for that timer running out. Both return false when a code-read handler freed the session.
    bool ReceiveForTest(const QByteArray& bytes);
    bool FlushPartialReplyForTest();

    QString Addr; // the controller's IPv4 address, dotted
    QString Port = QStringLiteral("1010");
    QString LoginName;
    QString LoginPassword;
    bool ErrorFlag = false;    // error reply or socket error
    bool LoggedInFlag = false; // login accepted
    bool DoneFlag = false;     // the reply to the command last sent completed it
    std::int32_t LogCount = 0;
    std::int32_t LogPosition = 0;
    TModuleStatusBlock ModuleStatus{};
    TDeviceInfo* InfoTarget = nullptr; // not owned; set only while ReadDeviceInfo waits
    TCodeReadEvent OnCodeRead;         // assigned = non-empty
    int CycleMs = DefaultCycleMs;
    int KeepAliveIntervalMs = DefaultKeepAliveIntervalMs;
    int DisconnectTimeoutMs = 2000; // for queued bytes to leave before the connection is cut
    int PartialReplyWaitMs = DefaultPartialReplyWaitMs;

private:
    using Packet = std::array<std::uint8_t, PacketSize>;

    static Packet newPacket(std::uint16_t code);
    bool send(const Packet& packet);
    bool runCommand(const Packet& packet, int cycles);
    // Runs the event loop until the condition holds or the time is up; false when the session was freed
    // meanwhile (then nothing of it may be touched any more).
    bool waitFor(const std::function<bool()>& condition, int timeoutMs);
    // Hands the replies to dispatch; false when a handler freed the session.
    bool deliver(const std::vector<QByteArray>& replies);
    void dispatch(const QByteArray& reply);

    void DoDataAvailable();
    void DoError();
    void DoKeepAliveTimer();
    void DoPartialReplyTimer();
    void afterReplies();

    QTcpSocket* m_socket;
    QTimer* m_keepAliveTimer;
    QTimer* m_partialReplyTimer;
    ReplyFramer m_framer;
    std::optional<std::uint16_t> m_awaited; // code of the command last sent with a wait
    int m_callbackDepth = 0;                // > 0 while a signal of the socket or a timer is handled
};
