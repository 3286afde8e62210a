// The FTP client against a scripted server that misbehaves in every way a reply stream can: multi-line and
// bare-LF replies, garbage, endless replies, data and replies in odd orders, dropped connections.

#include "device/FtpAccounts.h"
#include "net/EventWait.h"
#include "net/FtpClient.h"
#include "support/TestSupport.h"

#include <QDir>
#include <QElapsedTimer>
#include <QHash>
#include <QPointer>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <algorithm>

using testsupport::readFile;
using testsupport::writeFile;

namespace {

const QHostAddress kServerAddress(QStringLiteral("127.0.0.2"));
constexpr int kTimeoutMs = 800;

// A scripted FTP server. Every command runs the steps given for its verb:
//   "reply <text>"      send text + CR LF on the control connection
//   "raw <bytes>"       send bytes as they are
//   "connect"           open the data connection to the PORT address (from the server's address)
//   "intrude <address>" open a connection to the PORT address from another address and send junk
//   "send <bytes>"      write on the data connection; "close" ends it, "reset" aborts it
//   "read"              receive on the data connection until the client ends it
//   "peek"              remember how many bytes arrived on the data connection so far
//   "drop"              reset the control connection
//   "wait <ms>"         pause the script
//   "drip <ms> <bytes>" send bytes on the control connection every ms, without end
//   "flood <ms> <n> <text>" send n lines of text on the control connection every ms, without end
//   "trickle <ms> <bytes>" send bytes on the data connection every ms, without end
//   "stop"              end drip, flood and trickle
class FakeFtpServer : public QObject {
public:
    QHash<QByteArray, QByteArrayList> scripts{
        {"USER", {"reply 331 Password please"}},
        {"PASS", {"reply 230 Logged in"}},
        {"PORT", {"reply 200 PORT ok"}},
        {"CWD", {"reply 250 Ok"}},
        {"QUIT", {"reply 221 Bye"}},
    };
    QByteArrayList greeting{"reply 220 Fake ready"};
    QByteArrayList received;
    QByteArray uploaded;
    qint64 peeked = -1;

    bool listen() {
        connect(&m_server, &QTcpServer::newConnection, this, &FakeFtpServer::onConnection);
        connect(&m_drip, &QTimer::timeout, this, [this] {
            if (m_control) {
                m_control->write(m_dripBytes);
                m_control->flush();
            }
        });
        connect(&m_trickle, &QTimer::timeout, this, [this] {
            if (m_data)
                m_data->write(m_trickleBytes);
        });
        return m_server.listen(kServerAddress, 0);
    }
    quint16 port() const { return m_server.serverPort(); }

private:
    void onConnection() {
        QTcpSocket* socket = m_server.nextPendingConnection();
        if (m_control) {
            socket->abort();
            return;
        }
        m_control = socket;
        connect(socket, &QTcpSocket::readyRead, this, &FakeFtpServer::onCommand);
        connect(socket, &QTcpSocket::disconnected, this, [this] {
            m_drip.stop();
            m_pending.clear();
            m_control = nullptr;
        });
        run(greeting);
    }
    void onCommand() {
        while (m_control && m_control->canReadLine()) {
            const QByteArray line = m_control->readLine().trimmed();
            received << line;
            const QByteArray verb = line.left(line.indexOf(' ') < 0 ? line.size() : line.indexOf(' '));
            if (verb == "PORT") {
                const QList<QByteArray> f = line.mid(5).split(',');
                if (f.size() == 6) {
                    m_portAddress = QHostAddress(QStringLiteral("%1.%2.%3.%4").arg(f[0], f[1], f[2], f[3]));
                    m_portNumber = static_cast<quint16>(f[4].toUInt() * 256 + f[5].toUInt());
                }
            }
            run(scripts.value(verb, {"reply 502 Not implemented"}));
        }
    }
    void run(const QByteArrayList& steps) {
        m_pending += steps;
        if (!m_blocked)
            step();
    }
    void resumeLater(int ms) {
        m_blocked = true;
        QTimer::singleShot(ms, this, [this] {
            m_blocked = false;
            step();
        });
    }
    void openData(const QHostAddress& from, bool intruder) {
        auto* socket = new QTcpSocket(this);
        socket->bind(from, 0, QAbstractSocket::ReuseAddressHint); // its TIME_WAIT must not block listeners
        if (!intruder)
            m_data = socket;
        m_blocked = true;
        const auto resume = [this, socket, intruder] {
            if (intruder) {
                socket->write("INTRUDER");
                socket->disconnectFromHost();
            }
            if (m_blocked) {
                m_blocked = false;
                step();
            }
        };
        connect(socket, &QTcpSocket::connected, this, resume);
        connect(socket, &QTcpSocket::errorOccurred, this, [this] {
            if (m_blocked) {
                m_blocked = false;
                step();
            }
        });
        socket->connectToHost(m_portAddress, m_portNumber);
    }
    void step() {
        while (!m_blocked && !m_pending.isEmpty() && m_control) {
            const QByteArray s = m_pending.takeFirst();
            const qsizetype space = s.indexOf(' ');
            const QByteArray op = space < 0 ? s : s.left(space);
            const QByteArray arg = space < 0 ? QByteArray() : s.mid(space + 1);
            if (op == "reply") {
                m_control->write(arg + "\r\n");
                m_control->flush();
            } else if (op == "raw") {
                m_control->write(arg);
                m_control->flush();
            } else if (op == "connect") {
                openData(kServerAddress, false);
            } else if (op == "intrude") {
                openData(QHostAddress(QString::fromLatin1(arg)), true);
            } else if (op == "send" && m_data) {
                m_data->write(arg);
            } else if (op == "close" && m_data) {
                m_data->disconnectFromHost();
            } else if (op == "reset" && m_data) {
                m_data->abort();
            } else if (op == "peek") {
                peeked = m_data ? m_data->bytesAvailable() : -1;
            } else if (op == "read" && m_data) {
                const auto collect = [this] { uploaded += m_data->readAll(); };
                connect(m_data, &QTcpSocket::readyRead, this, collect);
                connect(m_data, &QTcpSocket::disconnected, this, [this, collect] {
                    collect();
                    m_blocked = false;
                    step();
                });
                collect();
                m_blocked = m_data->state() == QAbstractSocket::ConnectedState;
            } else if (op == "drop") {
                m_pending.clear();
                m_control->abort();
            } else if (op == "wait") {
                resumeLater(arg.toInt());
            } else if (op == "drip") {
                const qsizetype gap = arg.indexOf(' ');
                m_dripBytes = arg.mid(gap + 1);
                m_drip.start(arg.left(gap).toInt());
            } else if (op == "flood") {
                const QList<QByteArray> f = arg.split(' ');
                m_dripBytes.clear();
                for (int i = 0; i < f.at(1).toInt(); ++i)
                    m_dripBytes += arg.mid(f.at(0).size() + f.at(1).size() + 2) + "\r\n";
                m_drip.start(f.at(0).toInt());
            } else if (op == "trickle") {
                const qsizetype gap = arg.indexOf(' ');
                m_trickleBytes = arg.mid(gap + 1);
                m_trickle.start(arg.left(gap).toInt());
            } else if (op == "stop") {
                m_drip.stop();
                m_trickle.stop();
            }
        }
    }

    QPointer<QTcpSocket> m_control;
    QPointer<QTcpSocket> m_data;
    QHostAddress m_portAddress;
    quint16 m_portNumber = 0;
    QByteArrayList m_pending;
    bool m_blocked = false;
    QTimer m_drip;
    QByteArray m_dripBytes;
    QTimer m_trickle;
    QByteArray m_trickleBytes;
    // Last, so it goes first: the control socket it owns signals its end while the rest is still there.
    QTcpServer m_server;
};

using testsupport::pattern;

} // namespace

class FtpClientHostileTest : public QObject {
    Q_OBJECT

private:
    static void pointAt(TFtpClient& client, const FakeFtpServer& server) {
        client.SetHostName(kServerAddress.toString());
        client.SetPort(server.port());
        client.SetTimeoutMs(kTimeoutMs);
        client.SetUserName(kConfiguredFtpAccount.userName);
        client.SetPassWord(kConfiguredFtpAccount.password);
    }

private Q_SLOTS:
    void connectReplies_data() {
        QTest::addColumn<QByteArrayList>("greeting");
        QTest::addColumn<QByteArrayList>("user");
        QTest::addColumn<QByteArrayList>("pass");
        QTest::addColumn<bool>("ok");
        QTest::addColumn<int>("status");
        QTest::addColumn<QString>("message");
        QTest::addColumn<QByteArrayList>("commands");
        const QByteArrayList greeting{"reply 220 Fake ready"};
        const QByteArrayList user{"reply 331 Password please"};
        const QByteArrayList pass{"reply 230 Logged in"};
        const QByteArrayList both{"USER kelvora", "PASS pel47k2"};
        QTest::newRow("multi-line, bare LF")
            << QByteArrayList{"raw 220-Welcome\n220-second\n 220 indented is no end\n220 Ready\n"}
            << QByteArrayList{"raw 331-first\r\n331 Send pass\n"} << QByteArrayList{"raw 230-a\n230\n"}
            << true << 230 << "" << both;
        QTest::newRow("garbage around replies")
            << QByteArrayList{"raw hello there\r\n\r\n99 x\r\n2200 x\r\n22\r\n220 Ready\r\n"} << user
            << QByteArrayList{"raw \r\n\xFF\xFE\r\n230 In\r\n"} << true << 230 << "" << both;
        QTest::newRow("reply in pieces")
            << QByteArrayList{"raw 22", "wait 50", "raw 0 Rea", "wait 50", "raw dy\r", "wait 50", "raw \n"}
            << user << pass << true << 230 << "" << both;
        QTest::newRow("USER 230") << greeting << QByteArrayList{"reply 230 No password needed"} << pass
                                  << true << 230 << "" << QByteArrayList{"USER kelvora"};
        QTest::newRow("greeting 421") << QByteArrayList{"reply 421 Too many users"} << user << pass << false
                                      << 421 << "421 Too many users" << QByteArrayList{};
        QTest::newRow("USER 530") << greeting << QByteArrayList{"reply 530 Go away"} << pass << false << 530
                                  << "530 Go away" << QByteArrayList{"USER kelvora"};
        QTest::newRow("PASS 332") << greeting << user << QByteArrayList{"reply 332 Need account"} << false
                                  << 332 << "332 Need account" << both;
        QTest::newRow("no greeting") << QByteArrayList{} << user << pass << false << 426 << "426 Timeout"
                                     << QByteArrayList{};
        QTest::newRow("endless greeting")
            << QByteArrayList{"raw 220-Hello\r\n", "drip 50 220-more\r\n"} << user << pass << false << 426
            << "426 Timeout" << QByteArrayList{};
        QTest::newRow("endless garbage") << QByteArrayList{"drip 20 junk junk\r\n"} << user << pass << false
                                         << 426 << "426 Timeout" << QByteArrayList{};
        QTest::newRow("line too long") << QByteArrayList{"raw " + QByteArray(10000, 'x')} << user << pass
                                       << false << 0 << "Reply line too long" << QByteArrayList{};
        QTest::newRow("closed at once")
            << QByteArrayList{"drop"} << user << pass << false << 0
            << "Control connection lost (The remote host closed the connection)" << QByteArrayList{};
        QTest::newRow("closed after USER")
            << greeting << QByteArrayList{"drop"} << pass << false << 0
            << "Control connection lost (The remote host closed the connection)"
            << QByteArrayList{"USER kelvora"};
    }
    void connectReplies() {
        QFETCH(QByteArrayList, greeting);
        QFETCH(QByteArrayList, user);
        QFETCH(QByteArrayList, pass);
        QFETCH(bool, ok);
        QFETCH(int, status);
        QFETCH(QString, message);
        QFETCH(QByteArrayList, commands);
        FakeFtpServer server;
        server.greeting = greeting;
        server.scripts["USER"] = user;
        server.scripts["PASS"] = pass;
        QVERIFY(server.listen());
        TFtpClient client;
        pointAt(client, server);
        QElapsedTimer elapsed;
        elapsed.start();
        QCOMPARE(client.Connect(), ok);
        QVERIFY2(elapsed.elapsed() < kTimeoutMs + 3000, qPrintable(QString::number(elapsed.elapsed())));
        QCOMPARE(client.StatusCode(), status);
        QCOMPARE(client.ErrorMessage(), message);
        QCOMPARE(client.Connected(), ok);
        net::pause(20);
        QCOMPARE(server.received, commands);
    }

    // Completion orders the client must accept, and failures that must leave no file behind: each row
    // starts with an earlier copy of the local file, which a failure must leave as it was.
    void download_data() {
        QTest::addColumn<QByteArrayList>("port");
        QTest::addColumn<QByteArrayList>("retr");
        QTest::addColumn<bool>("ok");
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<int>("status");
        QTest::addColumn<QString>("message");
        QTest::addColumn<bool>("stillConnected");
        const QByteArrayList port{"reply 200 PORT ok"};
        const QByteArray big = pattern(300 * 1024);
        QTest::newRow("150, data, 226")
            << port
            << QByteArrayList{"reply 150 Here", "connect", "send abc", "close", "wait 30", "reply 226 Done"}
            << true << QByteArray("abc") << 226 << "" << true;
        QTest::newRow("226 before the data")
            << port << QByteArrayList{"connect",  "reply 150 Here", "reply 226 Done", "wait 150",
                                      "send abc", "wait 30",        "send def",       "close"}
            << true << QByteArray("abcdef") << 226 << "" << true;
        QTest::newRow("data before 150")
            << port
            << QByteArrayList{"connect", "send abc", "close", "wait 100", "reply 150 Here", "reply 226 Done"}
            << true << QByteArray("abc") << 226 << "" << true;
        QTest::newRow("125 and 250") << port
                                     << QByteArrayList{"reply 125 Open", "connect", "send abc", "close",
                                                       "reply 250 Ok"}
                                     << true << QByteArray("abc") << 250 << "" << true;
        QTest::newRow("empty file") << port
                                    << QByteArrayList{"reply 150 Here", "connect", "close", "wait 30",
                                                      "reply 226 Done"}
                                    << true << QByteArray("") << 226 << "" << true;
        QTest::newRow("large file") << port
                                    << QByteArrayList{"reply 150 Here", "connect", "send " + big, "close",
                                                      "reply 226 Done"}
                                    << true << big << 226 << "" << true;
        QTest::newRow("multi-line final reply")
            << port
            << QByteArrayList{"reply 150 Here", "connect", "send abc", "close",
                              "raw 226-Transfer complete\n226-3 bytes\r\n226 Done\n"}
            << true << QByteArray("abc") << 226 << "" << true;
        QTest::newRow("intruder on the data port")
            << port
            << QByteArrayList{"reply 150 Here", "intrude 127.0.0.3", "wait 50",       "connect", "send good",
                              "close",          "wait 30",           "reply 226 Done"}
            << true << QByteArray("good") << 226 << "" << true;
        QTest::newRow("PORT answered 227")
            << QByteArrayList{"reply 227 Fine"}
            << QByteArrayList{"reply 150 Here", "connect", "send abc", "close", "reply 226 Done"} << true
            << QByteArray("abc") << 226 << "" << true;
        QTest::newRow("PORT refused") << QByteArrayList{"reply 500 PORT not understood"} << QByteArrayList{}
                                      << false << QByteArray() << 500 << "500 PORT not understood" << true;
        QTest::newRow("PORT unanswered")
            << QByteArrayList{} << QByteArrayList{} << false << QByteArray() << 426 << "426 Timeout" << false;
        QTest::newRow("550") << port << QByteArrayList{"reply 550 No such file"} << false << QByteArray()
                             << 550 << "550 No such file" << true;
        QTest::newRow("data closed, then 426")
            << port << QByteArrayList{"reply 150 Here", "connect", "send abc", "close", "reply 426 Aborted"}
            << false << QByteArray() << 426 << "426 Aborted" << true;
        QTest::newRow("data reset, then 451")
            << port
            << QByteArrayList{"reply 150 Here", "connect", "send abc", "reset", "reply 451 Local error"}
            << false << QByteArray() << 451 << "451 Local error" << true;
        QTest::newRow("data closed, no reply")
            << port << QByteArrayList{"reply 150 Here", "connect", "send abc", "close"} << false
            << QByteArray() << 426 << "426 Timeout" << false;
        QTest::newRow("226 and more replies before the data")
            << port << QByteArrayList{"connect",  "reply 150 Here", "reply 226 Done", "reply 200 Extra",
                                      "wait 150", "send abc",       "close"}
            << true << QByteArray("abc") << 226 << "" << true;
        QTest::newRow("226 and more replies, data never ends")
            << port
            << QByteArrayList{"reply 150 Here", "connect", "send abc", "reply 226 Done", "reply 200 Extra"}
            << false << QByteArray() << 426 << "426 Timeout" << false;
        QTest::newRow("226 without a data connection")
            << port << QByteArrayList{"reply 150 Here", "reply 226 Done"} << false << QByteArray() << 426
            << "426 Timeout" << false;
        QTest::newRow("control reset mid-transfer")
            << port << QByteArrayList{"reply 150 Here", "connect", "send abc", "drop"} << false
            << QByteArray() << 0 << "Control connection lost (The remote host closed the connection)"
            << false;
        QTest::newRow("endless 150") << port << QByteArrayList{"raw 150-Start\r\n", "drip 50 still going\r\n"}
                                     << false << QByteArray() << 426 << "426 Timeout" << false;
        QTest::newRow("garbage then 550") << port << QByteArrayList{"raw \x01\x02\r\nxyz\n", "reply 550 Gone"}
                                          << false << QByteArray() << 550 << "550 Gone" << true;
    }
    void download() {
        QFETCH(QByteArrayList, port);
        QFETCH(QByteArrayList, retr);
        QFETCH(bool, ok);
        QFETCH(QByteArray, content);
        QFETCH(int, status);
        QFETCH(QString, message);
        QFETCH(bool, stillConnected);
        FakeFtpServer server;
        server.scripts["PORT"] = port;
        server.scripts["RETR"] = retr;
        QVERIFY(server.listen());
        QTemporaryDir folder;
        const QString target = QDir(folder.path()).filePath(QStringLiteral("module_cfg.dat"));
        QVERIFY(writeFile(target, "earlier"));

        TFtpClient client;
        pointAt(client, server);
        QVERIFY(client.Connect());
        client.SetHostFileName(QStringLiteral("module.dat"));
        client.SetLocalFileName(target);
        QElapsedTimer elapsed;
        elapsed.start();
        QCOMPARE(client.Get(), ok);
        QVERIFY2(elapsed.elapsed() < kTimeoutMs + 3000, qPrintable(QString::number(elapsed.elapsed())));
        QCOMPARE(client.StatusCode(), status);
        QCOMPARE(client.ErrorMessage(), message);
        QCOMPARE(QDir(folder.path()).entryList(QDir::Files | QDir::Hidden), QStringList{"module_cfg.dat"});
        QCOMPARE(readFile(target), ok ? content : QByteArray("earlier"));
        QCOMPARE(client.Connected(), stillConnected);
        QCOMPARE(client.Quit(), stillConnected);
        QVERIFY(!client.Connected());
        for (const QByteArray& command : std::as_const(server.received))
            QVERIFY2(!command.startsWith("TYPE") && !command.startsWith("PASV"), command.constData());
    }

    // A server that sends its final reply, keeps the data connection open, trickles data and floods the
    // control connection: the transfer keeps going as long as data comes, the replies after the final one
    // are not kept, and none of them answers the next command.
    void floodAfterFinalReply_data() {
        QTest::addColumn<QByteArray>("flood");
        QTest::newRow("226 again and again") << QByteArray("226 Done again");
        QTest::newRow("other replies") << QByteArray("200 Extra");
        QTest::newRow("replies in pieces of lines") << QByteArray("250 Ok\r\n25");
    }
    void floodAfterFinalReply() {
        QFETCH(QByteArray, flood);
        // Longer than the client's time-out: only the trickling data keeps the transfer alive.
        const int floodMs = 2 * kTimeoutMs;
        FakeFtpServer server;
        server.scripts["RETR"] = {"reply 150 Here", "connect", "send abc", "reply 226 Done",
                                  "flood 5 200 " + flood, "trickle 40 x",
                                  "wait " + QByteArray::number(floodMs), "stop",
                                  "raw " + QByteArray("226 Leftover\r\n").repeated(50) + "226 Left", "close",
                                  // The end of that line comes after the client sent its next command.
                                  "wait 100", "raw over\r\n"};
        QVERIFY(server.listen());
        QTemporaryDir folder;
        const QString target = QDir(folder.path()).filePath(QStringLiteral("kelvora.log"));

        TFtpClient client;
        pointAt(client, server);
        QVERIFY(client.Connect());
        client.SetHostFileName(QStringLiteral("kelvora.log"));
        client.SetLocalFileName(target);
        qsizetype mostQueued = 0;
        QTimer sampler;
        connect(&sampler, &QTimer::timeout, this,
                [&] { mostQueued = std::max(mostQueued, client.QueuedReplies()); });
        sampler.start(2);
        QElapsedTimer elapsed;
        elapsed.start();
        QVERIFY2(client.Get(), qPrintable(client.ErrorMessage()));
        sampler.stop();
        QVERIFY2(elapsed.elapsed() >= floodMs, qPrintable(QString::number(elapsed.elapsed())));
        QCOMPARE(client.StatusCode(), 226);
        QVERIFY2(mostQueued <= 1, qPrintable(QString::number(mostQueued)));
        const QByteArray content = readFile(target);
        QVERIFY(content.size() > 3);
        QCOMPARE(content, QByteArray("abc") + QByteArray(content.size() - 3, 'x'));

        // The leftovers came before QUIT or finish a line begun before it: its answer is the server's
        // 221, not one of them.
        QVERIFY(client.Quit());
        QCOMPARE(client.StatusCode(), 221);
        QVERIFY(!client.Connected());
    }

    // A server that floods preliminary replies while a request waits: the queue stays bounded and the
    // request fails at once instead of collecting replies until its time-out.
    void floodWhileWaiting() {
        FakeFtpServer server;
        server.scripts["CWD"] = {"flood 5 200 150 Still busy"};
        QVERIFY(server.listen());
        TFtpClient client;
        pointAt(client, server);
        QVERIFY(client.Connect());
        qsizetype mostQueued = 0;
        QTimer sampler;
        connect(&sampler, &QTimer::timeout, this,
                [&] { mostQueued = std::max(mostQueued, client.QueuedReplies()); });
        sampler.start(2);
        client.SetHostDirName(QStringLiteral("/"));
        QVERIFY(!client.Cwd());
        QCOMPARE(client.ErrorMessage(), QStringLiteral("Too many replies"));
        QCOMPARE(client.StatusCode(), 0);
        QVERIFY2(mostQueued <= TFtpClient::kMaxQueuedReplies, qPrintable(QString::number(mostQueued)));
        QVERIFY(!client.Connected());
    }

    void upload_data() {
        QTest::addColumn<QByteArrayList>("stor");
        QTest::addColumn<bool>("ok");
        QTest::addColumn<int>("status");
        QTest::addColumn<QString>("message");
        QTest::newRow("150, data, 226")
            << QByteArrayList{"reply 150 Go", "connect", "read", "reply 226 Stored"} << true << 226 << "";
        // The data connection is open before 150; nothing may arrive on it before that reply.
        QTest::newRow("connected before 150")
            << QByteArrayList{"connect", "wait 150", "peek", "reply 150 Go", "read", "reply 226 Stored"}
            << true << 226 << "";
        QTest::newRow("553") << QByteArrayList{"reply 553 Not allowed"} << false << 553 << "553 Not allowed";
        QTest::newRow("data reset, then 426")
            << QByteArrayList{"reply 150 Go", "connect", "reset", "reply 426 Broken"} << false << 426
            << "426 Broken";
        QTest::newRow("no final reply")
            << QByteArrayList{"reply 150 Go", "connect", "read"} << false << 426 << "426 Timeout";
    }
    void upload() {
        QFETCH(QByteArrayList, stor);
        QFETCH(bool, ok);
        QFETCH(int, status);
        QFETCH(QString, message);
        FakeFtpServer server;
        server.scripts["STOR"] = stor;
        QVERIFY(server.listen());
        QTemporaryDir folder;
        const QString source = QDir(folder.path()).filePath(QStringLiteral("trans_cfg.dat"));
        const QByteArray content = pattern(200 * 1024);
        QVERIFY(writeFile(source, content));

        TFtpClient client;
        pointAt(client, server);
        QVERIFY(client.Connect());
        client.SetHostFileName(QStringLiteral("trans.dat"));
        client.SetLocalFileName(source);
        QElapsedTimer elapsed;
        elapsed.start();
        QCOMPARE(client.Put(), ok);
        QVERIFY2(elapsed.elapsed() < kTimeoutMs + 3000, qPrintable(QString::number(elapsed.elapsed())));
        QCOMPARE(client.StatusCode(), status);
        QCOMPARE(client.ErrorMessage(), message);
        if (ok)
            QCOMPARE(server.uploaded, content);
        if (server.peeked >= 0)
            QCOMPARE(server.peeked, qint64(0));
        QCOMPARE(readFile(source), content);
        client.Quit();
        QVERIFY(!client.Connected());
    }
};

QTEST_GUILESS_MAIN(FtpClientHostileTest)
#include "tst_FtpClientHostile.moc"
