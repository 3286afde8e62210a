// The FTP client against pyftpdlib, an RFC 959 server nobody here wrote.

#include "device/FtpAccounts.h"
#include "net/EventWait.h"
#include "net/FtpClient.h"
#include "support/TestSupport.h"

#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QRandomGenerator>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

using testsupport::readFile;
using testsupport::writeFile;

namespace {

// One pyftpdlib process serving a temporary folder; it ends itself after two minutes at the latest and
// is killed when the test is done with it.
class PyFtpServer {
public:
    bool start(const QString& root, const QStringList& extra = {}) {
        m_log = QDir(m_logDir.path()).filePath(QStringLiteral("commands.log"));
        m_process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        QObject::connect(&m_process, &QProcess::readyReadStandardOutput, &net::wakeWaiters);
        QObject::connect(&m_process, &QProcess::stateChanged, &net::wakeWaiters);
        m_process.start(QStringLiteral("/usr/bin/python3"),
                        QStringList{QStringLiteral(KELVORA_INTEROP_DIR "/pyftpd_server.py"),
                                    QStringLiteral("--port"), QStringLiteral("0"), QStringLiteral("--dir"),
                                    root, QStringLiteral("--log"), m_log, QStringLiteral("--lifetime"),
                                    QStringLiteral("120")} +
                            extra);
        net::waitUntil(
            [this] { return m_process.canReadLine() || m_process.state() == QProcess::NotRunning; }, 20000);
        const QByteArray line = m_process.readLine().trimmed();
        if (!line.startsWith("ready "))
            return false;
        m_port = static_cast<quint16>(line.mid(6).toUInt());
        return m_port != 0;
    }
    ~PyFtpServer() {
        if (m_process.state() != QProcess::NotRunning) {
            m_process.kill();
            net::waitUntil([this] { return m_process.state() == QProcess::NotRunning; }, 5000);
        }
    }
    quint16 port() const { return m_port; }
    // Every command line the server received so far.
    QStringList commands() const {
        return QString::fromLatin1(readFile(m_log)).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    }

private:
    QTemporaryDir m_logDir;
    QProcess m_process;
    QString m_log;
    quint16 m_port = 0;
};

QByteArray randomBytes(qsizetype size) {
    QByteArray bytes(size, Qt::Uninitialized);
    QRandomGenerator generator(4711);
    for (char& byte : bytes)
        byte = static_cast<char>(generator.bounded(256));
    return bytes;
}

} // namespace

class FtpClientPyftpdlibTest : public QObject {
    Q_OBJECT

private:
    QTemporaryDir m_root;  // served by pyftpdlib
    QTemporaryDir m_local; // the workstation's side
    std::unique_ptr<PyFtpServer> m_server;
    QStringList m_allCommands;

    void pointAt(TFtpClient& client, quint16 port) {
        client.SetHostName(QStringLiteral("127.0.0.1"));
        client.SetPort(port);
        client.SetTimeout(10);
        client.SetUserName(kConfiguredFtpAccount.userName);
        client.SetPassWord(kConfiguredFtpAccount.password);
    }
    // Connect and the two extra logins, as every operation does them.
    void login(TFtpClient& client) {
        QVERIFY2(client.Connect(), qPrintable(client.ErrorMessage()));
        client.User();
        client.Pass();
    }
    QString local(const QString& name) const { return QDir(m_local.path()).filePath(name); }
    QString remote(const QString& name) const { return QDir(m_root.path()).filePath(name); }

private Q_SLOTS:
    void initTestCase() {
        QVERIFY(m_root.isValid() && m_local.isValid());
        m_server = std::make_unique<PyFtpServer>();
        QVERIFY2(m_server->start(m_root.path()), "pyftpdlib did not start");
    }

    void cleanupTestCase() {
        if (m_server)
            m_allCommands += m_server->commands();
        m_server.reset();
        // TYPE is never sent: the controller's server transfers in its default representation. The
        // data connections are active ones.
        QVERIFY(!m_allCommands.isEmpty());
        for (const QString& line : m_allCommands)
            QVERIFY2(!line.startsWith(QLatin1String("TYPE")) && !line.startsWith(QLatin1String("PASV")),
                     qPrintable(line));
        QVERIFY(
            m_allCommands.filter(QRegularExpression(QStringLiteral("^PORT 127,0,0,1,\\d+,\\d+$"))).size() >=
            6);
    }

    void putAndGet_data() {
        QTest::addColumn<qsizetype>("size");
        QTest::newRow("0 bytes") << qsizetype(0);
        QTest::newRow("89 kB") << qsizetype(89 * 1000);
        QTest::newRow("2 MB") << qsizetype(2 * 1024 * 1024);
    }
    void putAndGet() {
        QFETCH(qsizetype, size);
        const QByteArray content = randomBytes(size);
        const QString name = QStringLiteral("file%1.dat").arg(size);
        QVERIFY(writeFile(local(name), content));

        TFtpClient client;
        pointAt(client, m_server->port());
        QSignalSpy progress(&client, &TFtpClient::OnProgress);
        QSignalSpy done(&client, &TFtpClient::OnRequestDone);
        login(client);
        client.SetLocalFileName(local(name));
        client.SetHostFileName(name);
        QVERIFY2(client.Put(), qPrintable(client.ErrorMessage()));
        QCOMPARE(client.StatusCode(), 226);
        QCOMPARE(client.ErrorMessage(), QString());
        QCOMPARE(readFile(remote(name)), content);
        if (size > 0)
            QCOMPARE(progress.last().at(0).toLongLong(), size);

        progress.clear();
        client.SetLocalFileName(local(name + QStringLiteral(".back")));
        QVERIFY2(client.Get(), qPrintable(client.ErrorMessage()));
        QCOMPARE(client.StatusCode(), 226);
        QVERIFY(QFileInfo::exists(local(name + QStringLiteral(".back"))));
        QCOMPARE(readFile(local(name + QStringLiteral(".back"))), content);
        if (size > 0)
            QCOMPARE(progress.last().at(0).toLongLong(), size);
        QVERIFY(client.Quit());
        QCOMPARE(client.StatusCode(), 221);
        QVERIFY(!client.Connected());
        QCOMPARE(done.size(), 6); // Connect, User, Pass, Put, Get, Quit
    }

    // A failed download leaves neither an empty file nor a damaged earlier copy, and the session stays
    // usable.
    void refusedRetr_data() {
        QTest::addColumn<bool>("existing");
        QTest::newRow("no local file") << false;
        QTest::newRow("earlier copy") << true;
    }
    void refusedRetr() {
        QFETCH(bool, existing);
        QTemporaryDir folder;
        const QString target = QDir(folder.path()).filePath(QStringLiteral("module.dat"));
        if (existing)
            QVERIFY(writeFile(target, "earlier good copy"));
        TFtpClient client;
        pointAt(client, m_server->port());
        login(client);
        client.SetLocalFileName(target);
        client.SetHostFileName(QStringLiteral("does-not-exist.dat"));
        QVERIFY(!client.Get());
        QCOMPARE(client.StatusCode(), 550);
        QVERIFY2(client.ErrorMessage().startsWith(QLatin1String("550 ")), qPrintable(client.ErrorMessage()));
        QCOMPARE(QDir(folder.path()).entryList(QDir::Files | QDir::Hidden),
                 existing ? QStringList{QStringLiteral("module.dat")} : QStringList{});
        if (existing)
            QCOMPARE(readFile(target), QByteArray("earlier good copy"));

        QVERIFY(writeFile(remote(QStringLiteral("present.dat")), "present"));
        client.SetHostFileName(QStringLiteral("present.dat"));
        QVERIFY2(client.Get(), qPrintable(client.ErrorMessage()));
        QCOMPARE(readFile(target), QByteArray("present"));
        QVERIFY(client.Quit());
    }

    // USER answered with 230: logged in without PASS; the extra User and Pass still go out.
    void userAnswered230() {
        PyFtpServer server;
        QVERIFY2(server.start(m_root.path(), {QStringLiteral("--user-230")}), "pyftpdlib did not start");
        TFtpClient client;
        pointAt(client, server.port());
        QVERIFY2(client.Connect(), qPrintable(client.ErrorMessage()));
        QCOMPARE(client.StatusCode(), 230);
        QCOMPARE(server.commands(), QStringList{QStringLiteral("USER kelvora")});
        client.User();
        client.Pass();
        QCOMPARE(server.commands(),
                 (QStringList{QStringLiteral("USER kelvora"), QStringLiteral("USER kelvora"),
                              QStringLiteral("PASS pel47k2")}));
        QVERIFY(writeFile(remote(QStringLiteral("trans.dat")), "trans"));
        client.SetLocalFileName(local(QStringLiteral("trans_cfg.dat")));
        client.SetHostFileName(QStringLiteral("trans.dat"));
        QVERIFY2(client.Get(), qPrintable(client.ErrorMessage()));
        QCOMPARE(readFile(local(QStringLiteral("trans_cfg.dat"))), QByteArray("trans"));
        QVERIFY(client.Quit());
        m_allCommands += server.commands();
    }

    void wrongPassword() {
        TFtpClient client;
        pointAt(client, m_server->port());
        client.SetPassWord(QStringLiteral("wrong"));
        QVERIFY(!client.Connect());
        QCOMPARE(client.StatusCode(), 530);
        QVERIFY(!client.Connected());
        client.SetPassWord(QStringLiteral("pel47k2"));
        QVERIFY2(client.Connect(), qPrintable(client.ErrorMessage()));
        QVERIFY(client.Quit());
    }
};

QTEST_GUILESS_MAIN(FtpClientPyftpdlibTest)
#include "tst_FtpClientPyftpdlib.moc"
