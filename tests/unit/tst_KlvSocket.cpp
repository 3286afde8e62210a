// The command session against a scripted peer on loopback: the exact request bytes, the reply
// dispatch, the poll-cycle time-outs, the keep-alive and socket failures.

#include "device/CommandSocket.h"
#include "sim/SocketReset.h"
#include "support/TestSupport.h"

#include <QElapsedTimer>
#include <QPointer>
#include <QTcpServer>
#include <QTcpSocket>
#include <QtTest>

#include <functional>

#ifdef Q_OS_WIN
#include <winsock2.h>
#else
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>
#endif

namespace {

QByteArray reply(quint16 code, const QList<QPair<int, QByteArray>>& fields = {}, int length = 1024) {
    QByteArray bytes(length, '\0');
    bytes[0] = static_cast<char>(code & 0xFF);
    bytes[1] = static_cast<char>(code >> 8);
    for (const auto& field : fields)
        bytes.replace(field.first, field.second.size(), field.second);
    return bytes;
}

QByteArray le16(quint16 value) {
    QByteArray bytes(2, '\0');
    bytes[0] = static_cast<char>(value & 0xFF);
    bytes[1] = static_cast<char>(value >> 8);
    return bytes;
}

QByteArray resultReply(quint16 code, quint16 result, int length = 1024) {
    return reply(code, {{code == 0 ? 42 : 12, le16(result)}}, length);
}

// A controller played by the test: it collects the 1024-byte requests, accepts the login and answers
// the other commands as told.
class FakePeer : public QObject {
public:
    FakePeer() {
        m_server.listen(QHostAddress(QStringLiteral("127.0.0.1")), 0);
        connect(&m_server, &QTcpServer::newConnection, this, [this] {
            while (QTcpSocket* socket = m_server.nextPendingConnection()) {
                m_client = socket;
                connect(socket, &QTcpSocket::readyRead, this, &FakePeer::read);
            }
        });
    }

    quint16 port() const { return m_server.serverPort(); }

    // Sends the replies one by one, gapMs apart.
    void sendSequence(QList<QByteArray> replies, int gapMs = 30) {
        if (replies.isEmpty() || !m_client)
            return;
        const QByteArray first = replies.takeFirst();
        m_client->write(first);
        m_client->flush();
        if (!replies.isEmpty())
            QTimer::singleShot(gapMs, this, [this, replies, gapMs] { sendSequence(replies, gapMs); });
    }

    void closeConnection() {
        if (m_client)
            m_client->disconnectFromHost();
    }

    void resetConnection() {
        if (!m_client)
            return;
        sim::ResetConnection(*m_client);
    }

    QList<QByteArray> requests;
    quint16 loginResult = 1;
    bool answerLogin = true;
    // What to send for each other request; nothing when empty.
    std::function<QList<QByteArray>(quint16 code)> answer;
    int gapMs = 30;

private:
    void read() {
        m_buffer.append(m_client->readAll());
        while (m_buffer.size() >= 1024) {
            const QByteArray request = m_buffer.left(1024);
            m_buffer.remove(0, 1024);
            requests.append(request);
            const quint16 code = static_cast<quint16>(static_cast<quint8>(request[0]) |
                                                      (static_cast<quint8>(request[1]) << 8));
            if (code == 0) {
                if (answerLogin)
                    sendSequence({resultReply(0, loginResult)});
            } else if (answer) {
                sendSequence(answer(code), gapMs);
            }
        }
    }

    QTcpServer m_server;
    QPointer<QTcpSocket> m_client;
    QByteArray m_buffer;
};

// Answers every command the way the controller does.
QList<QByteArray> standardAnswer(quint16 code) {
    switch (code) {
    case 1:
        return {reply(1, {{2, QByteArray(20, '\x11')}})};
    case 2:
        return {resultReply(2, 1)};
    case 4:
        return {resultReply(4, 1)};
    case 100:
    case 106:
    case 107:
    case 108:
        return {reply(code)};
    default:
        return {};
    }
}

void prepare(TKLVSocket& socket, const FakePeer& peer, int cycleMs = 100) {
    socket.Addr = QStringLiteral("127.0.0.1");
    socket.Port = QString::number(peer.port());
    socket.LoginName = QStringLiteral("admin");
    socket.LoginPassword = QStringLiteral("admin");
    socket.CycleMs = cycleMs;
}

// Runs the command named in a test table; the result of commands without one is the flags'.
bool run(TKLVSocket& socket, const QString& command, const QString& argument = QString()) {
    if (command == QLatin1String("fileAccess"))
        return socket.RequestFileAccess();
    if (command == QLatin1String("deviceInfo")) {
        TDeviceInfo info{};
        return socket.ReadDeviceInfo(&info);
    }
    if (command == QLatin1String("name"))
        return socket.WriteDeviceName(argument);
    if (command == QLatin1String("logInfo"))
        return socket.ReadLogInfo();
    if (command == QLatin1String("deleteLog"))
        return socket.DeleteLog();
    if (command == QLatin1String("moduleStatus"))
        return socket.ReadModuleStatus();
    if (command == QLatin1String("activate0"))
        return socket.ActivateConfig(0);
    if (command == QLatin1String("activate1"))
        return socket.ActivateConfig(1);
    if (command == QLatin1String("restart")) {
        socket.RestartDevice();
        socket.Disconnect();
        return true;
    }
    if (command == QLatin1String("keepAlive")) {
        socket.KeepAliveIntervalMs = 20;
        socket.StartKeepAlive();
        return true;
    }
    qFatal("unknown command in test table");
    return false;
}

QByteArray packet(quint16 code, const QList<QPair<int, QByteArray>>& fields = {}) {
    return reply(code, fields, 1024);
}

// Poll cycles of the command's wait.
int cyclesOf(const QString& command) {
    if (command == QLatin1String("deviceInfo") || command == QLatin1String("name"))
        return TKLVSocket::ShortCommandCycles;
    if (command == QLatin1String("activate1"))
        return TKLVSocket::ActivateCycles;
    return TKLVSocket::CommandCycles;
}

QByteArray codeReadNotification() {
    return reply(200, {{2, "\x01"}, {14, "Eingang"}, {34, QByteArray::fromHex("00000000000000123456FF")}});
}

// A loopback listener with an accept queue of one, which QTcpServer does not offer; port() is 0 when it
// could not be set up.
class TinyQueueListener {
public:
    TinyQueueListener() {
#ifdef Q_OS_WIN
        WSADATA data;
        m_started = ::WSAStartup(MAKEWORD(2, 2), &data) == 0;
#endif
        m_socket = ::socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        if (m_socket == kNone ||
            ::bind(m_socket, reinterpret_cast<sockaddr*>(&address), sizeof(address)) != 0 ||
            ::listen(m_socket, 0) != 0)
            return;
#ifdef Q_OS_WIN
        int length = sizeof(address);
#else
        socklen_t length = sizeof(address);
#endif
        if (::getsockname(m_socket, reinterpret_cast<sockaddr*>(&address), &length) == 0)
            m_port = ntohs(address.sin_port);
    }
    ~TinyQueueListener() {
#ifdef Q_OS_WIN
        if (m_socket != kNone)
            ::closesocket(m_socket);
        if (m_started)
            ::WSACleanup();
#else
        if (m_socket != kNone)
            ::close(m_socket);
#endif
    }
    TinyQueueListener(const TinyQueueListener&) = delete;
    TinyQueueListener& operator=(const TinyQueueListener&) = delete;
    quint16 port() const {
        return m_port;
    }

private:
#ifdef Q_OS_WIN
    static constexpr SOCKET kNone = INVALID_SOCKET;
    SOCKET m_socket = INVALID_SOCKET;
    bool m_started = false;
#else
    static constexpr int kNone = -1;
    int m_socket = -1;
#endif
    quint16 m_port = 0;
};

} // namespace

class tst_KlvSocket : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void loginRequest_data();
    void loginRequest();
    void commandRequest_data();
    void commandRequest();
    void loginResult_data();
    void loginResult();
    void replyDispatch_data();
    void replyDispatch();
    void replyFields();
    void lateInfoReplyWritesNothing();
    void keepAliveReplyEndsNoOtherWait_data();
    void keepAliveReplyEndsNoOtherWait();
    void repliesShorterThanTheirLayout();
    void sessionFreedInsideCodeRead_data();
    void sessionFreedInsideCodeRead();
    void timeouts_data();
    void timeouts();
    void connectTimeout();
    void socketFailures_data();
    void socketFailures();
    void codeRead_data();
    void codeRead();
};

void tst_KlvSocket::loginRequest_data() {
    QTest::addColumn<QString>("user");
    QTest::addColumn<QString>("password");
    QTest::addColumn<QByteArray>("expected");

    QTest::newRow("plain") << QStringLiteral("admin") << QStringLiteral("secret")
                           << packet(0, {{2, QByteArray("admin")}, {22, QByteArray("secret")}});
    QTest::newRow("20-character name runs into the password field without NUL")
        << QStringLiteral("ABCDEFGHIJKLMNOPQRST") << QStringLiteral("pw")
        << packet(0, {{2, QByteArray("ABCDEFGHIJKLMNOPQRSTpw")}});
    QTest::newRow("name longer than its field is cut")
        << QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZ") << QStringLiteral("pw")
        << packet(0, {{2, QByteArray("ABCDEFGHIJKLMNOPQRSTpw")}});
    QTest::newRow("empty name is a single NUL")
        << QString() << QStringLiteral("x") << packet(0, {{2, QByteArray(20, '\0') + "x"}});
    QTest::newRow("10-character password, NUL at 32")
        << QStringLiteral("u") << QStringLiteral("0123456789")
        << packet(0, {{2, QByteArray("u")}, {22, QByteArray("0123456789")}});
    QTest::newRow("22-character password fills its field")
        << QStringLiteral("u") << QStringLiteral("ABCDEFGHIJKLMNOPQRSTUV")
        << packet(0, {{2, QByteArray("u")}, {22, QByteArray("ABCDEFGHIJKLMNOPQRSTUV")}});
    QTest::newRow("Windows-1252 characters")
        << QStringLiteral("Müller") << QStringLiteral("€uro")
        << packet(0, {{2, QByteArray("M\xFCller")}, {22, QByteArray("\x80uro")}});
}

void tst_KlvSocket::loginRequest() {
    QFETCH(QString, user);
    QFETCH(QString, password);
    QFETCH(QByteArray, expected);

    FakePeer peer;
    TKLVSocket socket;
    prepare(socket, peer);
    socket.LoginName = user;
    socket.LoginPassword = password;
    QVERIFY(socket.Login());
    QCOMPARE(peer.requests.size(), 1);
    QCOMPARE(testsupport::hexDump(peer.requests.at(0)), testsupport::hexDump(expected));
    if (password.size() == 10)
        QCOMPARE(peer.requests.at(0).at(32), '\0');
}

void tst_KlvSocket::commandRequest_data() {
    QTest::addColumn<QString>("command");
    QTest::addColumn<QString>("argument");
    QTest::addColumn<QByteArray>("expected");

    QTest::newRow("file access: value 1 at 2")
        << QStringLiteral("fileAccess") << QString() << packet(4, {{2, le16(1)}});
    QTest::newRow("device info") << QStringLiteral("deviceInfo") << QString() << packet(1);
    QTest::newRow("name at 14") << QStringLiteral("name") << QStringLiteral("Lager Tor 2")
                                << packet(2, {{14, QByteArray("Lager Tor 2")}});
    QTest::newRow("name cut to 40 characters plus NUL")
        << QStringLiteral("name") << QString(45, QLatin1Char('N')) << packet(2, {{14, QByteArray(40, 'N')}});
    QTest::newRow("name with umlaut")
        << QStringLiteral("name") << QStringLiteral("Büro") << packet(2, {{14, QByteArray("B\xFCro")}});
    QTest::newRow("log info") << QStringLiteral("logInfo") << QString() << packet(106);
    QTest::newRow("delete log") << QStringLiteral("deleteLog") << QString() << packet(107);
    QTest::newRow("module status") << QStringLiteral("moduleStatus") << QString() << packet(100);
    QTest::newRow("activate phase 0") << QStringLiteral("activate0") << QString() << packet(108);
    QTest::newRow("activate phase 1")
        << QStringLiteral("activate1") << QString() << packet(108, {{2, le16(1)}});
    QTest::newRow("restart, sent although the session closes right after")
        << QStringLiteral("restart") << QString() << packet(999);
    QTest::newRow("keep-alive") << QStringLiteral("keepAlive") << QString() << packet(100);
}

void tst_KlvSocket::commandRequest() {
    QFETCH(QString, command);
    QFETCH(QString, argument);
    QFETCH(QByteArray, expected);

    FakePeer peer;
    peer.answer = standardAnswer;
    TKLVSocket socket;
    prepare(socket, peer);
    QVERIFY(socket.Login());
    QVERIFY(run(socket, command, argument));
    QTRY_VERIFY_WITH_TIMEOUT(peer.requests.size() >= 2, 5000);
    socket.Disconnect();
    QCOMPARE(testsupport::hexDump(peer.requests.at(1)), testsupport::hexDump(expected));
    if (command == QLatin1String("name") && argument.size() > 40)
        QCOMPARE(peer.requests.at(1).at(54), '\0');
}

void tst_KlvSocket::loginResult_data() {
    QTest::addColumn<bool>("answer");
    QTest::addColumn<int>("result");
    QTest::addColumn<bool>("loggedIn");

    QTest::newRow("accepted") << true << 1 << true;
    QTest::newRow("result 0 fails at once") << true << 0 << false;
    QTest::newRow("result 2 fails at once") << true << 2 << false;
    QTest::newRow("result 0x0101 fails at once") << true << 0x0101 << false;
}

void tst_KlvSocket::loginResult() {
    QFETCH(bool, answer);
    QFETCH(int, result);
    QFETCH(bool, loggedIn);

    FakePeer peer;
    peer.answerLogin = answer;
    peer.loginResult = static_cast<quint16>(result);
    TKLVSocket socket;
    prepare(socket, peer);
    QElapsedTimer clock;
    clock.start();
    QCOMPARE(socket.Login(), loggedIn);
    QVERIFY2(clock.elapsed() < 1500, "the login waited for its time-out instead of the reply");
    QCOMPARE(socket.LoggedInFlag, loggedIn);
    QCOMPARE(socket.ErrorFlag, !loggedIn);
}

void tst_KlvSocket::replyDispatch_data() {
    QTest::addColumn<QString>("command");
    QTest::addColumn<QList<QByteArray>>("replies");
    QTest::addColumn<bool>("result");
    QTest::addColumn<bool>("timesOut");

    const auto fileAccess = QStringLiteral("fileAccess");
    QTest::newRow("file access 1") << fileAccess << QList<QByteArray>{resultReply(4, 1)} << true << false;
    QTest::newRow("file access 0") << fileAccess << QList<QByteArray>{resultReply(4, 0)} << true << false;
    QTest::newRow("file access refused")
        << fileAccess << QList<QByteArray>{resultReply(4, 0xFFFF)} << false << false;
    QTest::newRow("file access 2 then 1")
        << fileAccess << QList<QByteArray>{resultReply(4, 2), resultReply(4, 1)} << true << false;
    QTest::newRow("file access 2 then refused")
        << fileAccess << QList<QByteArray>{resultReply(4, 2), resultReply(4, 0xFFFF)} << false << false;
    QTest::newRow("file access 2 only: wait goes on")
        << fileAccess << QList<QByteArray>{resultReply(4, 2)} << false << true;
    QTest::newRow("file access 3 ignored")
        << fileAccess << QList<QByteArray>{resultReply(4, 3)} << false << true;
    QTest::newRow("file access in its short layout")
        << fileAccess << QList<QByteArray>{resultReply(4, 1, 14)} << true << false;
    QTest::newRow("unknown code 3 fails the wait")
        << fileAccess << QList<QByteArray>{reply(3)} << false << false;
    QTest::newRow("unknown code 150 fails the wait")
        << QStringLiteral("deviceInfo") << QList<QByteArray>{reply(150)} << false << false;
    QTest::newRow("status reply (keep-alive) does not end a file-access wait")
        << fileAccess << QList<QByteArray>{reply(100)} << false << true;
    QTest::newRow("status reply, then the file-access refusal")
        << fileAccess << QList<QByteArray>{reply(100), resultReply(4, 0xFFFF)} << false << false;
    QTest::newRow("status reply and file-access reply in one segment")
        << fileAccess << QList<QByteArray>{reply(100) + resultReply(4, 1)} << true << false;
    QTest::newRow("activation reply does not end a device-info wait")
        << QStringLiteral("deviceInfo") << QList<QByteArray>{reply(108)} << false << true;
    QTest::newRow("device-info reply does not end a name wait")
        << QStringLiteral("name") << QList<QByteArray>{reply(1)} << false << true;
    QTest::newRow("status reply, then the log info")
        << QStringLiteral("logInfo") << QList<QByteArray>{reply(100), reply(106)} << true << false;
    QTest::newRow("log-info reply does not end a status wait")
        << QStringLiteral("moduleStatus") << QList<QByteArray>{reply(106)} << false << true;
    QTest::newRow("name refusal ends another command's wait")
        << QStringLiteral("logInfo") << QList<QByteArray>{resultReply(2, 0)} << false << false;
    QTest::newRow("login refusal during a command fails it")
        << QStringLiteral("deviceInfo") << QList<QByteArray>{resultReply(0, 0)} << false << false;
    QTest::newRow("login acceptance does not end a command")
        << QStringLiteral("deviceInfo") << QList<QByteArray>{resultReply(0, 1)} << false << true;
    QTest::newRow("code read sets no flag")
        << QStringLiteral("deleteLog") << QList<QByteArray>{reply(200, {{2, "\x01"}})} << false << true;
    QTest::newRow("code read, then the reply")
        << QStringLiteral("deleteLog") << QList<QByteArray>{reply(200, {{2, "\x01"}}), reply(107)} << true
        << false;
    QTest::newRow("name accepted") << QStringLiteral("name") << QList<QByteArray>{resultReply(2, 1)} << true
                                   << false;
    QTest::newRow("name refused with 0")
        << QStringLiteral("name") << QList<QByteArray>{resultReply(2, 0)} << false << false;
    QTest::newRow("name refused with 2")
        << QStringLiteral("name") << QList<QByteArray>{resultReply(2, 2)} << false << false;
    QTest::newRow("log info") << QStringLiteral("logInfo") << QList<QByteArray>{reply(106)} << true << false;
    QTest::newRow("module status") << QStringLiteral("moduleStatus") << QList<QByteArray>{reply(100)} << true
                                   << false;
    QTest::newRow("activate phase 0")
        << QStringLiteral("activate0") << QList<QByteArray>{reply(108)} << true << false;
    QTest::newRow("activate phase 1, short layout")
        << QStringLiteral("activate1") << QList<QByteArray>{reply(108, {}, 2)} << true << false;
    QTest::newRow("two replies in one segment: the error counts")
        << fileAccess << QList<QByteArray>{reply(100) + reply(3)} << false << false;
    QTest::newRow("nothing") << QStringLiteral("logInfo") << QList<QByteArray>{} << false << true;
}

void tst_KlvSocket::replyDispatch() {
    QFETCH(QString, command);
    QFETCH(QList<QByteArray>, replies);
    QFETCH(bool, result);
    QFETCH(bool, timesOut);

    FakePeer peer;
    peer.answer = [replies](quint16) { return replies; };
    TKLVSocket socket;
    // A wait that must run out is short; one that must end on a reply is long, so that a loaded machine
    // cannot make it look as if it ran out.
    const int cycleMs = timesOut ? 20 : 200;
    const int waitMs = cyclesOf(command) * cycleMs;
    prepare(socket, peer, cycleMs);
    QVERIFY(socket.Login());
    QElapsedTimer clock;
    clock.start();
    QCOMPARE(run(socket, command, QStringLiteral("Name")), result);
    const qint64 elapsed = clock.elapsed();
    if (timesOut)
        QVERIFY2(elapsed >= waitMs - 2, qPrintable(QString::number(elapsed)));
    else
        QVERIFY2(elapsed < waitMs / 2, qPrintable(QString::number(elapsed)));
}

void tst_KlvSocket::replyFields() {
    FakePeer peer;
    const QByteArray info = QByteArray::fromHex("0127050110021F00000001010210000e0120030a");
    QByteArray status;
    for (int i = 0; i < 16; ++i)
        status +=
            QByteArray::fromHex(QByteArray::number(i + 1, 16).rightJustified(2, '0') + "00" + "010001AA");
    peer.answer = [&](quint16 code) -> QList<QByteArray> {
        switch (code) {
        case 1:
            return {reply(1, {{2, info}, {22, QByteArray(100, '\x77')}})};
        case 100:
            return {reply(100, {{2, status}})};
        case 106:
            return {reply(106, {{2, le16(0xFFFF)}, {4, le16(0x05DC)}})};
        default:
            return {};
        }
    };
    TKLVSocket socket;
    prepare(socket, peer);
    QVERIFY(socket.Login());
    QCOMPARE(socket.LogCount, 0);

    TDeviceInfo target{};
    QVERIFY(socket.ReadDeviceInfo(&target));
    QCOMPARE(testsupport::hexDump(QByteArray(reinterpret_cast<const char*>(&target), 20)),
             testsupport::hexDump(info));
    QVERIFY(socket.InfoTarget == nullptr);

    QVERIFY(socket.ReadModuleStatus());
    QCOMPARE(testsupport::hexDump(QByteArray(reinterpret_cast<const char*>(socket.ModuleStatus.data()), 96)),
             testsupport::hexDump(status));
    QCOMPARE(int(socket.ModuleStatus[15].Address()), 16);
    QCOMPARE(int(socket.ModuleStatus[15].Ready), 1);
    QCOMPARE(int(socket.ModuleStatus[15].Sabotage), 0);
    QCOMPARE(int(socket.ModuleStatus[15].DoorOpen), 1);

    QVERIFY(socket.ReadLogInfo());
    QCOMPARE(socket.LogPosition, 65535); // zero-extended, never negative
    QCOMPARE(socket.LogCount, 1500);
}

void tst_KlvSocket::lateInfoReplyWritesNothing() {
    FakePeer peer;
    peer.gapMs = 400;
    peer.answer = [](quint16) {
        return QList<QByteArray>{QByteArray(), reply(1, {{2, QByteArray(20, 'X')}})};
    };
    TKLVSocket socket;
    prepare(socket, peer, 10);
    QVERIFY(socket.Login());
    TDeviceInfo target{};
    QVERIFY(!socket.ReadDeviceInfo(&target));
    // The reply comes after the caller gave up on it.
    QTRY_VERIFY_WITH_TIMEOUT(socket.DoneFlag, 5000);
    QCOMPARE(testsupport::hexDump(QByteArray(reinterpret_cast<const char*>(&target), 20)),
             testsupport::hexDump(QByteArray(20, '\0')));
}

void tst_KlvSocket::keepAliveReplyEndsNoOtherWait_data() {
    QTest::addColumn<QString>("command");
    QTest::addColumn<QByteArray>("answer"); // comes after several keep-alive rounds; empty: none
    QTest::addColumn<bool>("result");

    QTest::newRow("file access refused") << QStringLiteral("fileAccess") << resultReply(4, 0xFFFF) << false;
    QTest::newRow("file access granted") << QStringLiteral("fileAccess") << resultReply(4, 1) << true;
    QTest::newRow("file access unanswered") << QStringLiteral("fileAccess") << QByteArray() << false;
    QTest::newRow("log info") << QStringLiteral("logInfo") << reply(106, {{2, le16(437)}, {4, le16(1500)}})
                              << true;
    QTest::newRow("log info unanswered") << QStringLiteral("logInfo") << QByteArray() << false;
}

void tst_KlvSocket::keepAliveReplyEndsNoOtherWait() {
    QFETCH(QString, command);
    QFETCH(QByteArray, answer);
    QFETCH(bool, result);

    constexpr int keepAliveMs = 40;
    FakePeer peer;
    peer.gapMs = 8 * keepAliveMs;
    const QByteArray status = QByteArray::fromHex("0700010000");
    peer.answer = [&](quint16 code) {
        if (code == 100)
            return QList<QByteArray>{reply(100, {{2, status}})};
        return QList<QByteArray>{QByteArray(), answer};
    };
    TKLVSocket socket;
    prepare(socket, peer, 50); // 30 cycles: 1.5 s
    socket.KeepAliveIntervalMs = keepAliveMs;
    QVERIFY(socket.Login());
    socket.StartKeepAlive();
    QVERIFY(socket.keepAliveActive());
    QCOMPARE(run(socket, command), result);
    QCOMPARE(socket.ErrorFlag, answer == resultReply(4, 0xFFFF));
    // The status replies came in during the wait and were stored.
    QVERIFY(peer.requests.size() >= 3);
    QCOMPARE(testsupport::hexDump(peer.requests.at(2)), testsupport::hexDump(packet(100)));
    QCOMPARE(int(socket.ModuleStatus[0].Address()), 7);
    QCOMPARE(int(socket.ModuleStatus[0].Ready), 1);
    if (command == QLatin1String("logInfo") && result) {
        QCOMPARE(socket.LogPosition, 437);
        QCOMPARE(socket.LogCount, 1500);
    }
    socket.Disconnect();
    QVERIFY(!socket.keepAliveActive());
}

void tst_KlvSocket::repliesShorterThanTheirLayout() {
    FakePeer peer;
    QByteArray status;
    for (int i = 0; i < 8; ++i)
        status += QByteArray::fromHex(QByteArray::number(i + 1, 16).rightJustified(2, '0') + "00010100AA");
    peer.answer = [&](quint16 code) -> QList<QByteArray> {
        if (code == 100) // 50 of the layout's 98 bytes: eight of the sixteen records
            return {reply(100, {{2, status}}, 50)};
        if (code == 106) // the count is missing
            return {reply(106, {{2, le16(12)}}, 4)};
        return {};
    };
    TKLVSocket socket;
    prepare(socket, peer);
    socket.PartialReplyWaitMs = 50;
    socket.ModuleStatus.fill(TModuleStatusRec{{0xEE, 0xEE}, 0xEE, 0xEE, 0xEE, 0xEE});
    QVERIFY(socket.Login());
    QVERIFY(socket.ReadModuleStatus());
    QCOMPARE(testsupport::hexDump(QByteArray(reinterpret_cast<const char*>(socket.ModuleStatus.data()), 96)),
             testsupport::hexDump(status + QByteArray(48, '\0')));
    socket.LogCount = 99;
    QVERIFY(socket.ReadLogInfo());
    QCOMPARE(socket.LogPosition, 12);
    QCOMPARE(socket.LogCount, 0);
    QVERIFY(!socket.ErrorFlag);
}

void tst_KlvSocket::sessionFreedInsideCodeRead_data() {
    QTest::addColumn<QString>("when");
    QTest::newRow("while no command waits") << QStringLiteral("idle");
    QTest::newRow("while a command waits") << QStringLiteral("waiting");
    QTest::newRow("disconnected and freed while a command waits") << QStringLiteral("disconnected");
}

void tst_KlvSocket::sessionFreedInsideCodeRead() {
    QFETCH(QString, when);

    FakePeer peer;
    peer.answer = [](quint16 code) {
        return code == 107 ? QList<QByteArray>{codeReadNotification(), reply(107)} : QList<QByteArray>{};
    };
    auto* session = new TKLVSocket;
    prepare(*session, peer);
    const QPointer<TKLVSocket> watchSession(session);
    const QPointer<QTcpSocket> watchSocket(session->findChild<QTcpSocket*>());
    QVERIFY(watchSocket);
    int calls = 0;
    bool socketKeptThroughHandler = false;
    session->OnCodeRead = [&](TKLVSocket* sender, const QString&, quint16, const QString& code) {
        ++calls;
        QCOMPARE(code, QStringLiteral("123456"));
        if (when == QLatin1String("disconnected"))
            sender->Disconnect();
        delete sender;
        // Qt works with the socket once this handler returns: it must still be there.
        socketKeptThroughHandler = !watchSocket.isNull();
    };
    QVERIFY(session->Login());
    if (when == QLatin1String("idle")) {
        peer.sendSequence({codeReadNotification()});
        QTRY_VERIFY_WITH_TIMEOUT(watchSession.isNull(), 5000);
    } else {
        QElapsedTimer clock;
        clock.start();
        QVERIFY(!session->DeleteLog()); // freed inside its own wait: no success
        QVERIFY(watchSession.isNull());
        QVERIFY2(clock.elapsed() < TKLVSocket::CommandCycles * 100 / 2,
                 "the wait did not end with its session");
    }
    QCOMPARE(calls, 1);
    QVERIFY(socketKeptThroughHandler);
    // ... and goes once control is back in the event loop.
    QTRY_VERIFY_WITH_TIMEOUT(watchSocket.isNull(), 5000);
    QTRY_VERIFY_WITH_TIMEOUT(peer.requests.size() >= (when == QLatin1String("idle") ? 1 : 2), 5000);
}

void tst_KlvSocket::timeouts_data() {
    QTest::addColumn<QString>("command");
    QTest::addColumn<int>("cycleMs");
    QTest::addColumn<int>("cycles");

    // Each row waits about 750 ms; the bounds tell its cycle count from the neighbouring ones.
    QTest::newRow("device info: 15") << QStringLiteral("deviceInfo") << 50 << 15;
    QTest::newRow("name: 15") << QStringLiteral("name") << 50 << 15;
    QTest::newRow("file access: 30") << QStringLiteral("fileAccess") << 25 << 30;
    QTest::newRow("log info: 30") << QStringLiteral("logInfo") << 25 << 30;
    QTest::newRow("delete log: 30") << QStringLiteral("deleteLog") << 25 << 30;
    QTest::newRow("module status: 30") << QStringLiteral("moduleStatus") << 25 << 30;
    QTest::newRow("activate phase 0: 30") << QStringLiteral("activate0") << 25 << 30;
    QTest::newRow("activate phase 1: 150") << QStringLiteral("activate1") << 5 << 150;
    QTest::newRow("login reply: 30") << QStringLiteral("login") << 25 << 30;
}

void tst_KlvSocket::timeouts() {
    QFETCH(QString, command);
    QFETCH(int, cycleMs);
    QFETCH(int, cycles);

    FakePeer peer;
    peer.answerLogin = command != QLatin1String("login");
    TKLVSocket socket;
    prepare(socket, peer, cycleMs);
    QElapsedTimer clock;
    bool result = false;
    if (command == QLatin1String("login")) {
        clock.start();
        result = socket.Login();
    } else {
        QVERIFY(socket.Login());
        clock.start();
        result = run(socket, command, QStringLiteral("x"));
    }
    const qint64 elapsed = clock.elapsed();
    QVERIFY(!result);
    QVERIFY(!socket.ErrorFlag);
    const int expected = cycles * cycleMs; // 750 ms
    QVERIFY2(elapsed >= expected - 2, qPrintable(QStringLiteral("%1 ms").arg(elapsed)));
    QVERIFY2(elapsed < expected * 2 - cycleMs, qPrintable(QStringLiteral("%1 ms").arg(elapsed)));
}

void tst_KlvSocket::connectTimeout() {
    // A listener whose accept queue is full drops further connection attempts without an answer, so
    // the connect neither succeeds nor fails: the login must give up after 20 cycles.
    const TinyQueueListener listener;
    QVERIFY(listener.port() != 0);
    const quint16 port = listener.port();

    QList<QTcpSocket*> fillers;
    auto cleanup = qScopeGuard([&] { qDeleteAll(fillers); });
    bool hanging = false;
    for (int i = 0; i < 4 && !hanging; ++i) {
        auto* filler = new QTcpSocket;
        fillers.append(filler);
        filler->connectToHost(QHostAddress(QStringLiteral("127.0.0.1")), port);
        hanging = !filler->waitForConnected(300);
    }
    if (!hanging)
        QSKIP("the system accepts connections beyond the listen queue");

    TKLVSocket socket;
    socket.Addr = QStringLiteral("127.0.0.1");
    socket.Port = QString::number(port);
    socket.CycleMs = 25;
    QElapsedTimer clock;
    clock.start();
    QVERIFY(!socket.Login());
    const qint64 elapsed = clock.elapsed();
    QVERIFY2(elapsed >= 20 * 25 - 2, qPrintable(QString::number(elapsed)));
    QVERIFY2(elapsed < 40 * 25, qPrintable(QString::number(elapsed)));
    QVERIFY(!socket.isConnected());
    socket.Disconnect();
}

void tst_KlvSocket::socketFailures_data() {
    QTest::addColumn<QString>("failure");
    QTest::newRow("controller closes during a wait") << QStringLiteral("close");
    QTest::newRow("connection reset during a wait") << QStringLiteral("reset");
    QTest::newRow("command after disconnect") << QStringLiteral("afterDisconnect");
    QTest::newRow("keep-alive after the connection dropped") << QStringLiteral("keepAliveAfterDrop");
    QTest::newRow("nobody listening") << QStringLiteral("refused");
    QTest::newRow("address is not a dotted IPv4 address") << QStringLiteral("badAddress");
    QTest::newRow("port is not a number") << QStringLiteral("badPort");
}

void tst_KlvSocket::socketFailures() {
    QFETCH(QString, failure);

    FakePeer peer;
    TKLVSocket socket;
    prepare(socket, peer); // device info: 1.5 s
    QElapsedTimer clock;
    bool result = true;
    try {
        if (failure == QLatin1String("refused")) {
            socket.Port = QString::number(testsupport::freeTcpPort());
            clock.start();
            result = socket.Login();
        } else if (failure == QLatin1String("badAddress")) {
            socket.Addr = QStringLiteral("controller.invalid");
            clock.start();
            result = socket.Login();
        } else if (failure == QLatin1String("badPort")) {
            socket.Port = QStringLiteral("port");
            clock.start();
            result = socket.Login();
        } else {
            QVERIFY(socket.Login());
            if (failure == QLatin1String("close"))
                QTimer::singleShot(50, &peer, [&peer] { peer.closeConnection(); });
            else if (failure == QLatin1String("reset"))
                QTimer::singleShot(50, &peer, [&peer] { peer.resetConnection(); });
            else if (failure == QLatin1String("afterDisconnect"))
                socket.Disconnect();
            else if (failure == QLatin1String("keepAliveAfterDrop")) {
                peer.closeConnection();
                QTRY_VERIFY_WITH_TIMEOUT(!socket.isConnected(), 5000);
                socket.ErrorFlag = false;
                socket.KeepAliveIntervalMs = 10;
                socket.StartKeepAlive();
                QTRY_VERIFY_WITH_TIMEOUT(socket.ErrorFlag, 5000);
            }
            clock.start();
            TDeviceInfo info{};
            result = socket.ReadDeviceInfo(&info);
        }
    } catch (...) {
        QFAIL("a socket failure escaped the session as an exception");
    }
    QVERIFY(!result);
    QVERIFY(socket.ErrorFlag);
    QVERIFY2(clock.elapsed() < 1000, "the failure was not noticed before the time-out");
    socket.Disconnect();
}

void tst_KlvSocket::codeRead_data() {
    QTest::addColumn<int>("byte2");
    QTest::addColumn<int>("byte3");
    QTest::addColumn<bool>("handler");
    QTest::addColumn<QByteArray>("nameField");
    QTest::addColumn<int>("readerAddress");
    QTest::addColumn<QByteArray>("codeField");
    QTest::addColumn<int>("calls");
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("code");

    const QByteArray binary = QByteArray::fromHex("00000000000000123456FF");
    const QByteArray text("12345\0\0\0\0\0\0", 11);
    const QByteArray eingang("Eingang");
    QTest::newRow("binary code") << 1 << 0 << true << eingang << 0x12 << binary << 1
                                 << QStringLiteral("Eingang") << QStringLiteral("123456");
    QTest::newRow("text code") << 1 << 0 << true << eingang << 0x1234 << text << 1
                               << QStringLiteral("Eingang") << QStringLiteral("12345");
    QTest::newRow("all-zero binary code")
        << 1 << 0 << true << eingang << 1 << QByteArray::fromHex("00000000000000000000FF") << 1
        << QStringLiteral("Eingang") << QString();
    QTest::newRow("text code filling the field")
        << 1 << 0 << true << eingang << 1 << QByteArray("ABCDEFGHIJK") << 1 << QStringLiteral("Eingang")
        << QStringLiteral("ABCDEFGHIJK");
    QTest::newRow("20-character reader name")
        << 1 << 0 << true << QByteArray("Haupteingang Nord 12") << 2 << text << 1
        << QStringLiteral("Haupteingang Nord 12") << QStringLiteral("12345");
    QTest::newRow("Windows-1252 reader name")
        << 1 << 0 << true
        << QByteArray("T\xFCr S\xFC"
                      "d")
        << 3 << text << 1 << QStringLiteral("Tür Süd") << QStringLiteral("12345");
    QTest::newRow("byte 3 non-zero") << 1 << 1 << true << eingang << 1 << text << 0 << QString() << QString();
    QTest::newRow("byte 2 zero") << 0 << 0 << true << eingang << 1 << text << 0 << QString() << QString();
    QTest::newRow("byte 2 is 2") << 2 << 0 << true << eingang << 1 << text << 0 << QString() << QString();
    QTest::newRow("no handler") << 1 << 0 << false << eingang << 1 << text << 0 << QString() << QString();
}

void tst_KlvSocket::codeRead() {
    QFETCH(int, byte2);
    QFETCH(int, byte3);
    QFETCH(bool, handler);
    QFETCH(QByteArray, nameField);
    QFETCH(int, readerAddress);
    QFETCH(QByteArray, codeField);
    QFETCH(int, calls);
    QFETCH(QString, name);
    QFETCH(QString, code);

    QByteArray notification = reply(200, {{2, QByteArray(1, char(byte2))},
                                          {3, QByteArray(1, char(byte3))},
                                          {12, le16(static_cast<quint16>(readerAddress))},
                                          {14, nameField.leftJustified(20, '\0').left(20)},
                                          {34, codeField}});
    FakePeer peer;
    peer.answer = [&](quint16) { return QList<QByteArray>{notification, reply(107)}; };
    TKLVSocket socket;
    prepare(socket, peer);
    struct Call {
        TKLVSocket* sender;
        QString name;
        quint16 address;
        QString code;
    };
    QList<Call> received;
    if (handler) {
        socket.OnCodeRead = [&](TKLVSocket* sender, const QString& readerName, quint16 address,
                                const QString& codeText) {
            received.append({sender, readerName, address, codeText});
        };
    }
    QVERIFY(socket.Login());
    QVERIFY(socket.DeleteLog());
    QVERIFY(!socket.ErrorFlag);
    QCOMPARE(received.size(), calls);
    if (calls == 1) {
        QCOMPARE(received.at(0).sender, &socket);
        QCOMPARE(received.at(0).name, name);
        QCOMPARE(int(received.at(0).address), readerAddress);
        QCOMPARE(received.at(0).code, code);
    }
}

QTEST_GUILESS_MAIN(tst_KlvSocket)
#include "tst_KlvSocket.moc"
