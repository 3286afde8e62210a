// The FTP client against the simulated controller's FTP server, in process on loopback.

#include "device/FtpAccounts.h"
#include "net/EventWait.h"
#include "net/FtpAccountOverride.h"
#include "net/FtpClient.h"
#include "sim/FtpServer.h"
#include "sim/SimController.h"
#include "support/TestSupport.h"

#include <QDir>
#include <QElapsedTimer>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <memory>
#include <stdexcept>

using testsupport::readFile;
using testsupport::writeFile;

namespace {

using testsupport::pattern;

QStringList filesIn(const QString& folder) {
    return QDir(folder).entryList(QDir::Files | QDir::Hidden, QDir::Name);
}

} // namespace

class FtpClientSimTest : public QObject {
    Q_OBJECT

private:
    std::unique_ptr<QTemporaryDir> m_data;
    std::unique_ptr<QTemporaryDir> m_local;
    std::unique_ptr<sim::SimController> m_sim;

    sim::FtpOptions& faults() { return m_sim->config().ftp; }
    QString local(const QString& name) const { return QDir(m_local->path()).filePath(name); }

    void pointAt(TFtpClient& client, int timeoutMs = 5000) {
        client.SetHostName(m_sim->config().address.toString());
        client.SetPort(m_sim->config().ftpPort);
        client.SetTimeoutMs(timeoutMs);
        client.SetUserName(kConfiguredFtpAccount.userName);
        client.SetPassWord(kConfiguredFtpAccount.password);
    }
    void login(TFtpClient& client) {
        QVERIFY2(client.Connect(), qPrintable(client.ErrorMessage()));
        client.User();
        client.Pass();
    }
    bool waitForEvent(const QString& line, int ms = 5000) {
        return net::waitUntil([&] { return m_sim->events().contains(line); }, ms);
    }

private Q_SLOTS:
    void init() {
        m_data = std::make_unique<QTemporaryDir>();
        m_local = std::make_unique<QTemporaryDir>();
        sim::ControllerConfig config;
        config.address = QHostAddress(QStringLiteral("127.0.0.2"));
        config.ftpPort = 0;
        config.commandPort = 0; // the controller takes a free port and tells it in its config
        config.dataDir = m_data->path();
        config.demoData = false;
        m_sim = std::make_unique<sim::SimController>(config);
        connect(m_sim.get(), &sim::SimController::eventLogged, this, [] { net::wakeWaiters(); });
        QString error;
        QVERIFY2(m_sim->start(&error), qPrintable(error));
    }
    void cleanup() {
        m_sim.reset();
        m_local.reset();
        m_data.reset();
    }

    // The update sequence: service account, "b:", "/firmware/", the image; the configured account is back
    // afterwards however the operation ended.
    void updateUploadUnderServiceAccount() {
        const QByteArray image = pattern(300 * 1024);
        QVERIFY(writeFile(local(QStringLiteral("kc_update.bin")), image));
        TFtpClient client;
        pointAt(client);
        {
            FtpAccountOverride account(client, kUpdateFtpAccount.userName, kUpdateFtpAccount.password);
            QCOMPARE(client.UserName(), QStringLiteral("ftp"));
            QCOMPARE(client.PassWord(), QStringLiteral("zqw"));
            login(client);
            client.SetHostDirName(QStringLiteral("b:"));
            QVERIFY(client.Cwd());
            client.SetHostDirName(QStringLiteral("/firmware/"));
            QVERIFY(client.Cwd());
            QCOMPARE(client.StatusCode(), 250);
            client.SetLocalFileName(local(QStringLiteral("kc_update.bin")));
            client.SetHostFileName(QStringLiteral("kc_update.bin"));
            QVERIFY2(client.Put(), qPrintable(client.ErrorMessage()));
            client.Quit();
        }
        QCOMPARE(client.UserName(), QStringLiteral("kelvora"));
        QCOMPARE(client.PassWord(), QStringLiteral("pel47k2"));
        QCOMPARE(readFile(m_sim->dataFile(QStringLiteral("firmware/kc_update.bin"))), image);
        QStringList events = m_sim->events();
        QVERIFY2(events.value(6).startsWith(QLatin1String("ftp PORT 127,0,0,")), qPrintable(events.value(6)));
        events.removeAt(6);
        QCOMPARE(events, (QStringList{QStringLiteral("ftp USER ftp"), QStringLiteral("ftp PASS ***"),
                                      QStringLiteral("ftp USER ftp"), QStringLiteral("ftp PASS ***"),
                                      QStringLiteral("ftp CWD b:"), QStringLiteral("ftp CWD /firmware/"),
                                      QStringLiteral("ftp STOR kc_update.bin"),
                                      QStringLiteral("ftp stored kc_update.bin 307200"),
                                      QStringLiteral("ftp QUIT")}));

        client.SetUserName(QStringLiteral("someone"));
        client.SetPassWord(QStringLiteral("secret"));
        try {
            FtpAccountOverride account(client, kUpdateFtpAccount.userName, kUpdateFtpAccount.password);
            throw std::runtime_error("operation failed");
        } catch (const std::runtime_error&) {
        }
        QCOMPARE(client.UserName(), QStringLiteral("someone"));
        QCOMPARE(client.PassWord(), QStringLiteral("secret"));
    }

    // A stalled transfer ends 426 Timeout once the time-out has passed since the last progress; neither
    // side keeps a partial file, and the next operation connects afresh.
    void stallTimesOut_data() {
        QTest::addColumn<bool>("upload");
        QTest::newRow("download") << false;
        QTest::newRow("upload") << true;
    }
    void stallTimesOut() {
        QFETCH(bool, upload);
        const int timeoutMs = 600;
        QVERIFY(writeFile(m_sim->dataFile(QStringLiteral("module.dat")), "stored on the controller"));
        QVERIFY(writeFile(local(QStringLiteral("module_cfg.dat")),
                          upload ? pattern(3 * 1024 * 1024) : "earlier"));
        const QByteArray localBefore = readFile(local(QStringLiteral("module_cfg.dat")));
        if (!upload)
            QVERIFY(writeFile(m_sim->dataFile(QStringLiteral("module.dat")), pattern(100 * 1000)));
        const QByteArray remoteBefore = readFile(m_sim->dataFile(QStringLiteral("module.dat")));
        faults().stallAfterBytes = 1000;

        TFtpClient client;
        pointAt(client, timeoutMs);
        login(client);
        QElapsedTimer sinceProgress;
        qint64 lastProgress = 0;
        connect(&client, &TFtpClient::OnProgress, this, [&](qint64 bytes) {
            lastProgress = bytes;
            sinceProgress.start();
        });
        client.SetLocalFileName(local(QStringLiteral("module_cfg.dat")));
        client.SetHostFileName(QStringLiteral("module.dat"));
        QElapsedTimer total;
        total.start();
        QVERIFY(!(upload ? client.Put() : client.Get()));
        QCOMPARE(client.ErrorMessage(), QStringLiteral("426 Timeout"));
        QCOMPARE(client.StatusCode(), 426);
        QVERIFY(lastProgress > 0);
        if (!upload)
            QCOMPARE(lastProgress, qint64(1000));
        QVERIFY2(sinceProgress.elapsed() >= timeoutMs - 20,
                 qPrintable(QString::number(sinceProgress.elapsed())));
        QVERIFY2(total.elapsed() < timeoutMs + 5000, qPrintable(QString::number(total.elapsed())));
        QVERIFY(!client.Connected());

        // Nothing half-written on either side.
        QCOMPARE(filesIn(m_local->path()), QStringList{QStringLiteral("module_cfg.dat")});
        QCOMPARE(readFile(local(QStringLiteral("module_cfg.dat"))), localBefore);
        if (upload)
            QVERIFY(waitForEvent(QStringLiteral("ftp upload discarded module.dat")));
        QCOMPARE(readFile(m_sim->dataFile(QStringLiteral("module.dat"))), remoteBefore);
        QCOMPARE(filesIn(m_data->path()), QStringList{QStringLiteral("module.dat")});

        // The operation's Quit after the failure, then the next operation starts afresh.
        QVERIFY(!client.Quit());
        QCOMPARE(client.ErrorMessage(), QStringLiteral("FTP component not connected"));
        faults().stallAfterBytes = -1;
        QVERIFY2(client.Connect(), qPrintable(client.ErrorMessage()));
        QVERIFY2(upload ? client.Put() : client.Get(), qPrintable(client.ErrorMessage()));
        QCOMPARE(readFile(local(QStringLiteral("module_cfg.dat"))),
                 readFile(m_sim->dataFile(QStringLiteral("module.dat"))));
        QVERIFY(client.Quit());
    }

    // A transfer that keeps moving is not cut off, however long it takes in all; meanwhile the request
    // refuses a second one and other timers keep running.
    void slowTransferNotCutAndBusyRefused() {
        const int timeoutMs = 1000;
        const QByteArray content = pattern(25000);
        QVERIFY(writeFile(m_sim->dataFile(QStringLiteral("kelvora.log")), content));
        faults().slowChunkBytes = 1000;
        faults().slowIntervalMs = 100;

        TFtpClient client;
        pointAt(client, timeoutMs);
        login(client);
        QSignalSpy progress(&client, &TFtpClient::OnProgress);
        QSignalSpy done(&client, &TFtpClient::OnRequestDone);
        QStringList nested;
        connect(&client, &TFtpClient::OnProgress, this, [&](qint64 bytes) {
            if (bytes != 2000)
                return;
            const auto record = [&](bool ok) {
                nested << QString::number(ok) + QLatin1Char(' ') + client.ErrorMessage();
            };
            record(client.Quit());
            record(client.Connect());
            record(client.Get());
        });
        int ticks = 0;
        QTimer other;
        connect(&other, &QTimer::timeout, this, [&] { ++ticks; });
        other.start(50);

        client.SetLocalFileName(local(QStringLiteral("kelvora.log")));
        client.SetHostFileName(QStringLiteral("kelvora.log"));
        QElapsedTimer elapsed;
        elapsed.start();
        QVERIFY2(client.Get(), qPrintable(client.ErrorMessage()));
        QVERIFY2(elapsed.elapsed() > timeoutMs, qPrintable(QString::number(elapsed.elapsed())));
        QCOMPARE(client.ErrorMessage(), QString());
        QCOMPARE(client.StatusCode(), 226);
        QCOMPARE(readFile(local(QStringLiteral("kelvora.log"))), content);
        QVERIFY(progress.size() >= 10);
        QCOMPARE(progress.last().at(0).toLongLong(), qint64(25000));
        QCOMPARE(nested, QStringList(3, QStringLiteral("0 FTP component not ready")));
        QCOMPARE(done.size(), 4); // three refusals and the download
        QCOMPARE(done.last().at(0).toInt(), 226);
        QVERIFY2(ticks >= 10, qPrintable(QString::number(ticks)));
        QVERIFY(client.Connected());
        QVERIFY(client.Quit());
    }

    // Every request signals its end with its status; the progress of a transfer reaches its size before.
    void progressAndRequestDone() {
        const QByteArray content = pattern(89 * 1000);
        QVERIFY(writeFile(m_sim->dataFile(QStringLiteral("trans.dat")), content));
        QVERIFY(writeFile(local(QStringLiteral("upload.dat")), pattern(5000)));
        TFtpClient client;
        pointAt(client);
        QStringList trace;
        connect(&client, &TFtpClient::OnProgress, this,
                [&](qint64 bytes) { trace << QStringLiteral("p%1").arg(bytes); });
        connect(&client, &TFtpClient::OnRequestDone, this,
                [&](int status) { trace << QStringLiteral("d%1").arg(status); });
        const auto requests = [&](const QStringList& before) {
            QStringList result;
            for (const QString& entry : before) {
                if (entry.startsWith(QLatin1Char('d')))
                    result << entry;
            }
            return result;
        };

        QVERIFY(client.Connect());
        client.User();
        client.Pass();
        client.SetHostFileName(QStringLiteral("trans.dat"));
        client.SetLocalFileName(local(QStringLiteral("trans_cfg.dat")));
        QVERIFY(client.Get());
        const qsizetype afterGet = trace.size();
        QCOMPARE(trace.at(afterGet - 1), QStringLiteral("d226"));
        QCOMPARE(trace.at(afterGet - 2), QStringLiteral("p89000"));
        client.SetHostFileName(QStringLiteral("absent.dat"));
        QVERIFY(!client.Get());
        client.SetHostFileName(QStringLiteral("upload.dat"));
        client.SetLocalFileName(local(QStringLiteral("upload.dat")));
        QVERIFY(client.Put());
        QCOMPARE(trace.at(trace.size() - 2), QStringLiteral("p5000"));
        client.SetHostDirName(QStringLiteral("/"));
        QVERIFY(client.Cwd());
        QVERIFY(client.Quit());
        QCOMPARE(requests(trace),
                 (QStringList{QStringLiteral("d230"), QStringLiteral("d331"), QStringLiteral("d230"),
                              QStringLiteral("d226"), QStringLiteral("d550"), QStringLiteral("d226"),
                              QStringLiteral("d250"), QStringLiteral("d221")}));
        // Progress only ever grows within a transfer.
        qint64 previous = 0;
        for (qsizetype i = 3; i < afterGet - 1; ++i) {
            const qint64 bytes = trace.at(i).mid(1).toLongLong();
            QVERIFY(bytes > previous);
            previous = bytes;
        }
        QCOMPARE(readFile(local(QStringLiteral("trans_cfg.dat"))), content);
        QCOMPARE(readFile(m_sim->dataFile(QStringLiteral("upload.dat"))), pattern(5000));
    }

    // Refused at once: no exchange with the server, False, the exact text, and RequestDone all the same.
    void refusals_data() {
        QTest::addColumn<QString>("request");
        QTest::addColumn<bool>("connectFirst");
        QTest::addColumn<QString>("userName");
        QTest::addColumn<QString>("passWord");
        QTest::addColumn<QString>("expected");
        const QString user = QStringLiteral("kelvora");
        const QString pass = QStringLiteral("pel47k2");
        QTest::newRow("already connected")
            << "Connect" << true << user << pass << "FTP component already connected";
        QTest::newRow("Connect without user") << "Connect" << false << "" << pass << "UserName emtpy";
        QTest::newRow("Connect without password") << "Connect" << false << user << ""
                                                  << "Password emtpy";
        QTest::newRow("User without user") << "User" << true << "" << pass << "UserName emtpy";
        QTest::newRow("Pass without password") << "Pass" << true << user << ""
                                               << "Password emtpy";
        QTest::newRow("Cwd without folder") << "Cwd" << true << user << pass << "HostDirName emtpy";
        QTest::newRow("Get without local file") << "Get" << true << user << pass << "LocalFileName empty";
        QTest::newRow("Put without local file") << "Put" << true << user << pass << "LocalFileName empty";
        QTest::newRow("Get unconnected") << "Get" << false << user << pass << "FTP component not connected";
        QTest::newRow("Cwd unconnected") << "Cwd" << false << user << pass << "FTP component not connected";
    }
    void refusals() {
        QFETCH(QString, request);
        QFETCH(bool, connectFirst);
        QFETCH(QString, userName);
        QFETCH(QString, passWord);
        QFETCH(QString, expected);
        TFtpClient client;
        pointAt(client);
        if (connectFirst)
            QVERIFY(client.Connect());
        client.SetUserName(userName);
        client.SetPassWord(passWord);
        client.SetHostFileName(QStringLiteral("module.dat"));
        client.SetHostDirName(request == QLatin1String("Cwd") && !connectFirst ? QStringLiteral("/")
                                                                               : QString());
        if (request == QLatin1String("Get") && !connectFirst)
            client.SetLocalFileName(local(QStringLiteral("module_cfg.dat")));
        const qsizetype eventsBefore = m_sim->events().size();
        QSignalSpy done(&client, &TFtpClient::OnRequestDone);
        QElapsedTimer elapsed;
        elapsed.start();
        const bool ok = request == QLatin1String("Connect") ? client.Connect()
                        : request == QLatin1String("User")  ? client.User()
                        : request == QLatin1String("Pass")  ? client.Pass()
                        : request == QLatin1String("Cwd")   ? client.Cwd()
                        : request == QLatin1String("Get")   ? client.Get()
                                                            : client.Put();
        QVERIFY(!ok);
        QCOMPARE(client.ErrorMessage(), expected);
        QCOMPARE(client.StatusCode(), 0);
        QCOMPARE(done.size(), 1);
        QCOMPARE(done.at(0).at(0).toInt(), 0);
        QVERIFY(elapsed.elapsed() < 2000);
        QCOMPARE(client.Connected(), connectFirst);
        net::pause(50);
        QCOMPARE(m_sim->events().size(), eventsBefore);
        QCOMPARE(filesIn(m_local->path()), QStringList());
    }

    void loginFaults() {
        TFtpClient client;
        pointAt(client);
        faults().refuseLogin = true;
        QVERIFY(!client.Connect());
        QCOMPARE(client.StatusCode(), 530);
        QCOMPARE(client.ErrorMessage(), QStringLiteral("530 Login incorrect."));
        // No half-open session is left: the next Connect is not "already connected".
        QVERIFY(!client.Connected());
        faults().refuseLogin = false;
        QVERIFY2(client.Connect(), qPrintable(client.ErrorMessage()));
        QVERIFY(client.Quit());

        // USER answered 230: logged in without PASS.
        faults().loginWithoutPassword = true;
        const qsizetype before = m_sim->events().size();
        QVERIFY2(client.Connect(), qPrintable(client.ErrorMessage()));
        QCOMPARE(client.StatusCode(), 230);
        QVERIFY(waitForEvent(QStringLiteral("ftp USER kelvora")));
        net::pause(50);
        QCOMPARE(m_sim->events().mid(before), QStringList{QStringLiteral("ftp USER kelvora")});
        QVERIFY(client.User());
        client.Pass();
        QVERIFY(waitForEvent(QStringLiteral("ftp PASS ***")));
        QVERIFY(client.Quit());

        // Nothing listens: the connection fails at once.
        client.SetPort(testsupport::freeTcpPort());
        QVERIFY(!client.Connect());
        QVERIFY2(client.ErrorMessage().startsWith(QLatin1String("Unable to connect to 127.0.0.2:")),
                 qPrintable(client.ErrorMessage()));
        QVERIFY(!client.Connected());
    }

    // A refused download leaves an earlier local copy as it was and no file where there was none.
    void refusedDownload_data() {
        QTest::addColumn<bool>("faulted"); // present on the controller, but refused by the fault switch
        QTest::addColumn<bool>("earlierCopy");
        QTest::newRow("absent, no local file") << false << false;
        QTest::newRow("absent, earlier copy") << false << true;
        QTest::newRow("refused, earlier copy") << true << true;
    }
    void refusedDownload() {
        QFETCH(bool, faulted);
        QFETCH(bool, earlierCopy);
        if (faulted) {
            QVERIFY(writeFile(m_sim->dataFile(QStringLiteral("module.dat")), "remote"));
            faults().missingFiles = QStringList{QStringLiteral("module.dat")};
        }
        if (earlierCopy)
            QVERIFY(writeFile(local(QStringLiteral("module.dat")), "earlier backup"));
        TFtpClient client;
        pointAt(client);
        login(client);
        client.SetHostFileName(QStringLiteral("module.dat"));
        client.SetLocalFileName(local(QStringLiteral("module.dat")));
        QVERIFY(!client.Get());
        QCOMPARE(client.StatusCode(), 550);
        QCOMPARE(client.ErrorMessage(), QStringLiteral("550 module.dat: No such file or directory."));
        QCOMPARE(filesIn(m_local->path()),
                 earlierCopy ? QStringList{QStringLiteral("module.dat")} : QStringList());
        if (earlierCopy)
            QCOMPARE(readFile(local(QStringLiteral("module.dat"))), QByteArray("earlier backup"));
        QVERIFY(client.Quit()); // the session stayed in step
    }

    void localFileErrors() {
        TFtpClient client;
        pointAt(client);
        login(client);
        QVERIFY(writeFile(m_sim->dataFile(QStringLiteral("module.dat")), "remote"));
        const QString missingFolder = local(QStringLiteral("no/such/folder/module.dat"));
        client.SetHostFileName(QStringLiteral("module.dat"));
        client.SetLocalFileName(missingFolder);
        const qsizetype before = m_sim->events().size();
        QVERIFY(!client.Get());
        QVERIFY2(client.ErrorMessage().startsWith(QStringLiteral("Unable to open local file ") +
                                                  QDir::toNativeSeparators(missingFolder)),
                 qPrintable(client.ErrorMessage()));
        QVERIFY(!client.Put());
        QVERIFY2(client.ErrorMessage().startsWith(QLatin1String("Unable to open local file ")),
                 qPrintable(client.ErrorMessage()));
        net::pause(50);
        QCOMPARE(m_sim->events().size(), before);
        QCOMPARE(readFile(m_sim->dataFile(QStringLiteral("module.dat"))), QByteArray("remote"));
        QVERIFY(client.Quit());
    }
};

QTEST_GUILESS_MAIN(FtpClientSimTest)
#include "tst_FtpClientSim.moc"
