// The command session, the login operations and the simulator's command service together, on
// loopback: every command, every fault switch of the simulator and the session's lifetime.

#include "data/DeviceEntry.h"
#include "data/DeviceInfoText.h"
#include "device/CommandSocket.h"
#include "device/NetworkTargets.h"
#include "ops/CommandSession.h"
#include "ops/Login.h"
#include "sim/CommandService.h"
#include "sim/SimController.h"
#include "sim/SimOptions.h"
#include "sim/SocketReset.h"
#include "support/SessionTimings.h"
#include "support/TestSupport.h"

#include <QElapsedTimer>
#include <QTcpSocket>
#include <QtTest>

#include <functional>
#include <memory>
#include <optional>
#include <stdexcept>

namespace {

using Options = std::function<void(sim::CommandOptions&)>;

const QString kAddress = QStringLiteral("127.0.0.2");

TDeviceEntry entryFor(const QString& user = QStringLiteral("admin"),
                      const QString& password = QStringLiteral("admin")) {
    TDeviceEntry entry;
    entry.IPAddress = kAddress;
    entry.UserName = user;
    entry.Password = password;
    entry.LoggedIn = true;
    return entry;
}

// For checks that a wait ended on its reply: waits this long cannot look ended early on a loaded machine.
constexpr int kLongCycleMs = 200;

int countEvents(const sim::SimController& controller, const QString& prefix) {
    int n = 0;
    for (const QString& line : controller.events())
        n += line.startsWith(prefix) ? 1 : 0;
    return n;
}

} // namespace

class tst_CommandSessionSim : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void init();
    void cleanup();

    void login_data();
    void login();
    void loginReadsDeviceInfo();
    void everyCommand();
    void faults_data();
    void faults();
    void replyShapes_data();
    void replyShapes();
    void codeReadNotifications();
    void pushToAPeerThatHasGone();
    void secondConnectionRefused();
    void sessionClosedOnException();
    void storedCredentialsAreCut();
    void writeDeviceNameOutcomes();
    void connectionDroppedDuringWait_data();
    void connectionDroppedDuringWait();
    void commandLine_data();
    void commandLine();

private:
    sim::SimController& controller() { return *m_sim; }
    sim::CommandOptions& options() { return m_sim->config().command; }

    std::unique_ptr<sim::SimController> m_sim;
    std::optional<SessionTimings> m_timings;
};

void tst_CommandSessionSim::init() {
    sim::ControllerConfig config;
    config.address = QHostAddress(kAddress);
    config.commandPort = 0;
    config.ftpPort = 0;
    config.demoData = false;
    m_sim = std::make_unique<sim::SimController>(config);
    QString error;
    QVERIFY2(m_sim->start(&error), qPrintable(error));
    NetworkTargets targets = Targets();
    targets.commandPort = m_sim->config().commandPort;
    SetTargets(targets);
    m_timings.emplace();
}

void tst_CommandSessionSim::cleanup() {
    m_sim.reset();
    m_timings.reset();
}

void tst_CommandSessionSim::login_data() {
    QTest::addColumn<QString>("user");
    QTest::addColumn<QString>("password");
    QTest::addColumn<bool>("loggedIn");
    QTest::addColumn<QString>("event");

    QTest::newRow("right credentials")
        << QStringLiteral("admin") << QStringLiteral("admin") << true << QStringLiteral("login ok admin");
    QTest::newRow("wrong password") << QStringLiteral("admin") << QStringLiteral("nimda") << false
                                    << QStringLiteral("login refused admin");
    QTest::newRow("wrong user") << QStringLiteral("root") << QStringLiteral("admin") << false
                                << QStringLiteral("login refused root");
    QTest::newRow("user name in other case") << QStringLiteral("Admin") << QStringLiteral("admin") << false
                                             << QStringLiteral("login refused Admin");
    QTest::newRow("empty") << QString() << QString() << false << QStringLiteral("login refused ");
}

void tst_CommandSessionSim::login() {
    QFETCH(QString, user);
    QFETCH(QString, password);
    QFETCH(bool, loggedIn);
    QFETCH(QString, event);

    m_timings->setCycleMs(kLongCycleMs);
    QElapsedTimer clock;
    clock.start();
    const ops::LoginResult result = ops::LoginDevice(kAddress, user, password);
    QCOMPARE(result.ok(), loggedIn);
    QCOMPARE(result.infoValid, loggedIn);
    QVERIFY2(clock.elapsed() < TKLVSocket::LoginReplyCycles * kLongCycleMs / 2,
             "the login waited for a time-out");
    QVERIFY(controller().events().contains(event));
    QCOMPARE(countEvents(controller(), QStringLiteral("command 1 ")), loggedIn ? 1 : 0);
    QTRY_VERIFY_WITH_TIMEOUT(!controller().commandService()->hasClient(), 5000);
}

void tst_CommandSessionSim::loginReadsDeviceInfo() {
    options().firmwareMajor = 1;
    options().firmwareMinor = 39;
    options().hardwareRevision = 4;
    controller().config().serial = 0x12AB3;

    ops::LoginResult result = ops::LoginDevice(kAddress, QStringLiteral("admin"), QStringLiteral("admin"));
    QVERIFY(result.ok());
    QVERIFY(result.infoValid);
    QCOMPARE(testsupport::hexDump(QByteArray(reinterpret_cast<const char*>(&result.info), 20)),
             QStringLiteral("01 27 05 01 10 02 B3 2A 01 00 00 00 00 10 00 E8 03 DC 05 04"));
    QStringList lines;
    DeviceInfoLines(result.infoValid, result.info, [&lines](const QString& line) { lines.append(line); });
    QCOMPARE(lines, (QStringList{QStringLiteral("Firmware Version : v1.39"),
                                 QStringLiteral("BIOS Version : 1.05 2.10"),
                                 QStringLiteral("Seriennummer : 12AB3"), QStringLiteral("Hardware : R04"),
                                 QStringLiteral("Sprache : Deutsch"), QStringLiteral("Version : Standard"),
                                 QStringLiteral("Betriebsmodus : Offline (Standard)"),
                                 QStringLiteral("Max. Anzahl Module : 16"),
                                 QStringLiteral("Max. Anzahl Transponder : 1000"),
                                 QStringLiteral("Max. Anzahl Logbucheinträge : 1500")}));

    TDeviceEntry entry;
    ops::StoreLogin(entry, result, QStringLiteral("admin"), QStringLiteral("admin"));
    QVERIFY(entry.LoggedIn);
    QVERIFY(FirmwareAtLeast(entry, 39));

    options().firmwareMajor = 2;
    options().firmwareMinor = 10;
    options().language = 2;
    options().operatingMode = 1;
    result = ops::LoginDevice(kAddress, QStringLiteral("admin"), QStringLiteral("admin"));
    QVERIFY(result.infoValid);
    QCOMPARE(int(result.info.FirmwareMajor), 2);
    QCOMPARE(int(result.info.FirmwareMinor), 10);
    QCOMPARE(int(result.info.Language), 2);
    QCOMPARE(int(result.info.OperatingMode), 1);
}

void tst_CommandSessionSim::everyCommand() {
    QVERIFY(testsupport::writeFile(controller().dataFile(QStringLiteral("kelvora.log")),
                                   QByteArray(300 * 63, 'L')));

    ops::CommandSession session(entryFor());
    QVERIFY(session.login());
    TKLVSocket& socket = session.socket();

    QVERIFY(socket.RequestFileAccess());
    QVERIFY(controller().events().contains(QStringLiteral("command 4 value 1")));

    QVERIFY(socket.WriteDeviceName(QStringLiteral("Lager Süd")));
    QCOMPARE(controller().config().name, QStringLiteral("Lager Süd"));
    QVERIFY(controller().searchReply().endsWith(QStringLiteral(" Lager Süd").toLatin1()));

    QVERIFY(socket.ReadLogInfo());
    QCOMPARE(socket.LogCount, 300);
    QCOMPARE(socket.LogPosition, 300);
    QVERIFY(socket.DeleteLog());
    QVERIFY(controller().events().contains(QStringLiteral("log deleted")));
    QCOMPARE(testsupport::readFile(controller().dataFile(QStringLiteral("kelvora.log"))).size(), 0);
    QVERIFY(socket.ReadLogInfo());
    QCOMPARE(socket.LogCount, 0);
    QCOMPARE(socket.LogPosition, 0);

    QVERIFY(socket.ReadModuleStatus());
    QCOMPARE(int(socket.ModuleStatus[1].Address()), 2);
    QCOMPARE(int(socket.ModuleStatus[1].Ready), 1);
    QCOMPARE(int(socket.ModuleStatus[1].DoorOpen), 1);
    QCOMPARE(int(socket.ModuleStatus[2].Sabotage), 1);
    QCOMPARE(int(socket.ModuleStatus[3].Address()), 0x12);
    QCOMPARE(int(socket.ModuleStatus[3].Ready), 0);
    QCOMPARE(int(socket.ModuleStatus[4].Address()), 0);

    QVERIFY(socket.ActivateConfig(0));
    QVERIFY(socket.ActivateConfig(1));
    QVERIFY(controller().events().contains(QStringLiteral("activate phase 0")));
    QVERIFY(controller().events().contains(QStringLiteral("activate phase 1")));

    socket.RestartDevice();
    socket.Disconnect();
    QTRY_VERIFY_WITH_TIMEOUT(controller().events().contains(QStringLiteral("restart")), 5000);
    QTRY_VERIFY_WITH_TIMEOUT(!controller().commandService()->hasClient(), 5000);
    QVERIFY(!socket.ErrorFlag);
}

void tst_CommandSessionSim::faults_data() {
    QTest::addColumn<Options>("fault");
    QTest::addColumn<QString>("command");
    QTest::addColumn<bool>("result");
    QTest::addColumn<bool>("timesOut");

    QTest::newRow("file access unanswered")
        << Options([](sim::CommandOptions& o) { o.unansweredCommands = {4}; }) << QStringLiteral("fileAccess")
        << false << true;
    QTest::newRow("file access refused") << Options([](sim::CommandOptions& o) { o.refuseFileAccess = true; })
                                         << QStringLiteral("fileAccess") << false << false;
    QTest::newRow("file access interim answer first")
        << Options([](sim::CommandOptions& o) { o.fileAccessInterimFirst = true; })
        << QStringLiteral("fileAccess") << true << false;
    QTest::newRow("file access interim answer, then refused") << Options([](sim::CommandOptions& o) {
        o.fileAccessInterimFirst = true;
        o.refuseFileAccess = true;
    }) << QStringLiteral("fileAccess") << false << false;
    QTest::newRow("unknown reply code 3") << Options([](sim::CommandOptions& o) { o.unknownReplyCode = 3; })
                                          << QStringLiteral("deviceInfo") << false << false;
    QTest::newRow("unknown reply code 150")
        << Options([](sim::CommandOptions& o) { o.unknownReplyCode = 150; }) << QStringLiteral("logInfo")
        << false << false;
    QTest::newRow("name refused") << Options([](sim::CommandOptions& o) { o.refuseName = true; })
                                  << QStringLiteral("name") << false << false;
    QTest::newRow("device info unanswered")
        << Options([](sim::CommandOptions& o) { o.unansweredCommands = {1}; }) << QStringLiteral("deviceInfo")
        << false << true;
    QTest::newRow("module status unanswered")
        << Options([](sim::CommandOptions& o) { o.unansweredCommands = {100}; })
        << QStringLiteral("moduleStatus") << false << true;
    QTest::newRow("login unanswered") << Options([](sim::CommandOptions& o) { o.unansweredCommands = {0}; })
                                      << QStringLiteral("login") << false << true;
    QTest::newRow("other commands unanswered leave the rest alone") << Options([](sim::CommandOptions& o) {
        o.unansweredCommands = {1, 108};
    }) << QStringLiteral("fileAccess") << true << false;
}

void tst_CommandSessionSim::faults() {
    QFETCH(Options, fault);
    QFETCH(QString, command);
    QFETCH(bool, result);
    QFETCH(bool, timesOut);

    const int cycles = command == QLatin1String("deviceInfo") || command == QLatin1String("name")
                           ? TKLVSocket::ShortCommandCycles
                           : TKLVSocket::CommandCycles; // the login's reply wait has as many
    // A wait that must run out is short; one that must end on a reply is long.
    const int cycleMs = timesOut ? 30 : kLongCycleMs;
    m_timings->setCycleMs(cycleMs);
    fault(options());
    const QString nameBefore = controller().config().name;
    ops::CommandSession session(entryFor());
    QElapsedTimer clock;
    clock.start();
    bool ok = session.login();
    if (command != QLatin1String("login")) {
        QVERIFY(ok);
        clock.start();
        if (command == QLatin1String("fileAccess"))
            ok = session.socket().RequestFileAccess();
        else if (command == QLatin1String("deviceInfo")) {
            TDeviceInfo info{};
            ok = session.socket().ReadDeviceInfo(&info);
        } else if (command == QLatin1String("logInfo"))
            ok = session.socket().ReadLogInfo();
        else if (command == QLatin1String("name"))
            ok = session.socket().WriteDeviceName(QStringLiteral("Neu"));
        else if (command == QLatin1String("moduleStatus"))
            ok = session.socket().ReadModuleStatus();
    }
    const qint64 elapsed = clock.elapsed();
    QCOMPARE(ok, result);
    if (timesOut)
        QVERIFY2(elapsed >= cycles * cycleMs - 2, qPrintable(QString::number(elapsed)));
    else
        QVERIFY2(elapsed < cycles * cycleMs / 2, qPrintable(QString::number(elapsed)));
    if (command == QLatin1String("name"))
        QCOMPARE(controller().config().name, nameBefore);
}

void tst_CommandSessionSim::replyShapes_data() {
    QTest::addColumn<Options>("shape");
    QTest::addColumn<bool>("keepAlive");

    constexpr int layoutSized = sim::CommandOptions::kLayoutLength;
    const auto lengths = [](int login, int others) {
        return Options([login, others](sim::CommandOptions& o) {
            o.loginReplyLength = login;
            o.replyLength = others;
        });
    };
    const auto all = [](int length) {
        return Options([length](sim::CommandOptions& o) { o.replyLength = length; });
    };
    QTest::newRow("1024-byte replies") << Options([](sim::CommandOptions&) {}) << false;
    QTest::newRow("layout-sized replies") << all(layoutSized) << false;
    QTest::newRow("layout-sized replies, older switch")
        << Options([](sim::CommandOptions& o) { o.shortReplies = true; }) << false;
    QTest::newRow("64-byte replies (status shorter than its layout)") << all(64) << false;
    QTest::newRow("200-byte replies") << all(200) << false;
    QTest::newRow("1024-byte login reply, then layout-sized") << lengths(1024, layoutSized) << false;
    QTest::newRow("44-byte login reply, then 1024 bytes") << lengths(layoutSized, 1024) << false;
    QTest::newRow("1024-byte login reply, then 64 bytes") << lengths(1024, 64) << false;
    QTest::newRow("64-byte login reply, then layout-sized") << lengths(64, layoutSized) << false;
    QTest::newRow("split inside the layout")
        << Options([](sim::CommandOptions& o) { o.splitReplies = true; }) << false;
    QTest::newRow("split after one byte") << Options([](sim::CommandOptions& o) {
        o.splitReplies = true;
        o.splitAt = 1;
    }) << false;
    QTest::newRow("split in the padding") << Options([](sim::CommandOptions& o) {
        o.splitReplies = true;
        o.splitAt = 500;
    }) << false;
    QTest::newRow("split before the last byte") << Options([](sim::CommandOptions& o) {
        o.splitReplies = true;
        o.splitAt = 1023;
    }) << false;
    QTest::newRow("layout-sized and split") << Options([](sim::CommandOptions& o) {
        o.replyLength = sim::CommandOptions::kLayoutLength;
        o.splitReplies = true;
    }) << false;
    QTest::newRow("64 bytes, split after one byte") << Options([](sim::CommandOptions& o) {
        o.replyLength = 64;
        o.splitReplies = true;
        o.splitAt = 1;
    }) << false;
    QTest::newRow("two 1024-byte replies in one segment")
        << Options([](sim::CommandOptions& o) { o.statusBeforeReplies = true; }) << false;
    QTest::newRow("two layout-sized replies in one segment") << Options([](sim::CommandOptions& o) {
        o.statusBeforeReplies = true;
        o.replyLength = sim::CommandOptions::kLayoutLength;
    }) << false;
    QTest::newRow("two 1024-byte replies in one segment, split inside the second")
        << Options([](sim::CommandOptions& o) {
               o.statusBeforeReplies = true;
               o.splitReplies = true;
               o.splitAt = 1030;
           })
        << false;
    QTest::newRow("split with the keep-alive running")
        << Options([](sim::CommandOptions& o) { o.splitReplies = true; }) << true;
    QTest::newRow("layout-sized with the keep-alive running") << all(layoutSized) << true;
    QTest::newRow("64 bytes with the keep-alive running") << all(64) << true;
    QTest::newRow("44-byte login reply, then 1024 bytes, keep-alive running")
        << lengths(layoutSized, 1024) << true;
}

void tst_CommandSessionSim::replyShapes() {
    QFETCH(Options, shape);
    QFETCH(bool, keepAlive);

    shape(options());
    options().logCount = 1500;
    options().logPosition = 437;
    ops::CommandSession session(entryFor());
    TKLVSocket& socket = session.socket();
    // Longer than the simulator's delay of a split reply's second part, so that its queue of replies
    // does not grow without end.
    socket.KeepAliveIntervalMs = 2 * options().splitDelayMs;
    // Every command must succeed on its own reply: one that was not recognised fails or runs out.
    QVERIFY(session.login());
    if (keepAlive) {
        socket.StartKeepAlive();
        QTRY_VERIFY_WITH_TIMEOUT(countEvents(controller(), QStringLiteral("command 100 ")) >= 1, 5000);
    }
    TDeviceInfo info{};
    QVERIFY(socket.ReadDeviceInfo(&info));
    QCOMPARE(info.Serial(), controller().config().serial);
    QCOMPARE(int(info.FirmwareMinor), 39);
    QVERIFY(socket.RequestFileAccess());
    QVERIFY(socket.ReadModuleStatus());
    QCOMPARE(int(socket.ModuleStatus[2].Address()), 5);
    QCOMPARE(int(socket.ModuleStatus[2].Sabotage), 1);
    QCOMPARE(int(socket.ModuleStatus[3].Address()), 0x12);
    QVERIFY(socket.ReadLogInfo());
    QCOMPARE(socket.LogCount, 1500);
    QCOMPARE(socket.LogPosition, 437);
    QVERIFY(socket.WriteDeviceName(QStringLiteral("Werkstatt")));
    QVERIFY(socket.ActivateConfig(0));
    QVERIFY(socket.ActivateConfig(1));
    QVERIFY(socket.DeleteLog());
    QVERIFY(!socket.ErrorFlag);
    QCOMPARE(controller().config().name, QStringLiteral("Werkstatt"));
}

void tst_CommandSessionSim::codeReadNotifications() {
    options().codeReadIntervalMs = 30;
    ops::CommandSession session(entryFor());
    struct Report {
        QString reader;
        quint16 address;
        QString code;
    };
    QList<Report> reports;
    session.socket().OnCodeRead = [&](TKLVSocket* sender, const QString& reader, quint16 address,
                                      const QString& code) {
        QCOMPARE(sender, &session.socket());
        reports.append({reader, address, code});
    };
    session.socket().KeepAliveIntervalMs = 40;
    QVERIFY(session.login());
    session.socket().StartKeepAlive();
    QTRY_VERIFY_WITH_TIMEOUT(reports.size() >= 3, 5000);
    QCOMPARE(reports.at(0).reader, QStringLiteral("Haupteingang"));
    QCOMPARE(int(reports.at(0).address), 1);
    QCOMPARE(reports.at(0).code, QStringLiteral("123456"));
    QCOMPARE(reports.at(1).reader, QStringLiteral("Lager Tor 2"));
    QCOMPARE(int(reports.at(1).address), 2);
    QCOMPARE(reports.at(1).code, QStringLiteral("12345"));
    QCOMPARE(reports.at(2).reader, QStringLiteral("Büro Geschäftsführer"));
    QCOMPARE(reports.at(2).code, QStringLiteral("0123456789ABCDEF0123"));
    QVERIFY(!session.socket().ErrorFlag);
}

void tst_CommandSessionSim::pushToAPeerThatHasGone() {
    // The tool resets its connection and the controller pushes reports before it has read the reset:
    // the first write fails at once and the controller forgets the session in the middle of its write.
    ops::CommandSession session(entryFor());
    QVERIFY(session.login());
    QTRY_VERIFY_WITH_TIMEOUT(controller().commandService()->hasClient(), 5000);
    auto* socket = session.socket().findChild<QTcpSocket*>();
    QVERIFY(socket);
    QVERIFY(sim::ResetConnection(*socket));
    controller().commandService()->pushCodeReads(3);
    controller().commandService()->pushCodeRead();
    QTRY_VERIFY_WITH_TIMEOUT(!controller().commandService()->hasClient(), 5000);
    ops::CommandSession next(entryFor());
    QVERIFY(next.login());
}

void tst_CommandSessionSim::secondConnectionRefused() {
    m_timings->setCycleMs(kLongCycleMs);
    auto first = std::make_unique<ops::CommandSession>(entryFor());
    QVERIFY(first->login());
    {
        ops::CommandSession second(entryFor());
        QElapsedTimer clock;
        clock.start();
        QVERIFY(!second.login());
        QVERIFY2(clock.elapsed() < TKLVSocket::LoginReplyCycles * kLongCycleMs / 2,
                 "the refused connection was not noticed");
        QVERIFY(controller().events().contains(QStringLiteral("connection refused: busy")));
    }
    TDeviceInfo info{};
    QVERIFY(first->socket().ReadDeviceInfo(&info)); // the first session is untouched
    first.reset();
    QTRY_VERIFY_WITH_TIMEOUT(!controller().commandService()->hasClient(), 5000);
    ops::CommandSession third(entryFor());
    QVERIFY(third.login());
}

void tst_CommandSessionSim::sessionClosedOnException() {
    try {
        ops::CommandSession session(entryFor());
        QVERIFY(session.login());
        QVERIFY(controller().commandService()->hasClient());
        throw std::runtime_error("conversion failed");
    } catch (const std::runtime_error&) {
    }
    QTRY_VERIFY_WITH_TIMEOUT(!controller().commandService()->hasClient(), 5000);
    QVERIFY(controller().events().contains(QStringLiteral("disconnected")));
    ops::CommandSession next(entryFor());
    QVERIFY(next.login());
}

void tst_CommandSessionSim::storedCredentialsAreCut() {
    options().userName = QStringLiteral("administrator");
    options().password = QStringLiteral("abcdefghijkl");
    const ops::LoginResult result =
        ops::LoginDevice(kAddress, QStringLiteral("administrator"), QStringLiteral("abcdefghijkl"));
    QVERIFY(result.ok());
    TDeviceEntry entry;
    entry.IPAddress = kAddress;
    ops::StoreLogin(entry, result, QStringLiteral("administrator"), QStringLiteral("abcdefghijkl"));
    QCOMPARE(entry.UserName, QStringLiteral("administra"));
    QCOMPARE(entry.Password, QStringLiteral("abcdefghij"));
    QVERIFY(entry.LoggedIn);
    QTRY_VERIFY_WITH_TIMEOUT(!controller().commandService()->hasClient(), 5000);
    // Every later session sends the stored, shortened credentials.
    QCOMPARE(ops::WriteDeviceName(entry, QStringLiteral("X")).outcome, ops::Outcome::LoginFailed);
    QVERIFY(controller().events().contains(QStringLiteral("login refused administra")));

    TDeviceEntry untouched;
    ops::StoreLogin(untouched, ops::LoginResult{}, QStringLiteral("a"), QStringLiteral("b"));
    QVERIFY(!untouched.LoggedIn);
    QVERIFY(untouched.UserName.isEmpty());
}

void tst_CommandSessionSim::writeDeviceNameOutcomes() {
    const TDeviceEntry entry = entryFor();
    QCOMPARE(ops::WriteDeviceName(entry, QStringLiteral("Tiefgarage")).outcome, ops::Outcome::Ok);
    QCOMPARE(controller().config().name, QStringLiteral("Tiefgarage"));
    QVERIFY(controller().events().contains(QStringLiteral("name Tiefgarage")));

    QTRY_VERIFY_WITH_TIMEOUT(!controller().commandService()->hasClient(), 5000);
    options().refuseName = true;
    QCOMPARE(ops::WriteDeviceName(entry, QStringLiteral("Serverraum")).outcome, ops::Outcome::CommandFailed);
    QCOMPARE(controller().config().name, QStringLiteral("Tiefgarage"));

    QTRY_VERIFY_WITH_TIMEOUT(!controller().commandService()->hasClient(), 5000);
    options().refuseName = false;
    options().unansweredCommands = {2};
    m_timings->setCycleMs(10);
    QCOMPARE(ops::WriteDeviceName(entry, QStringLiteral("Serverraum")).outcome, ops::Outcome::CommandFailed);

    m_sim.reset(); // nobody listens any more
    QCOMPARE(ops::WriteDeviceName(entry, QStringLiteral("Serverraum")).outcome, ops::Outcome::LoginFailed);
}

void tst_CommandSessionSim::connectionDroppedDuringWait_data() {
    QTest::addColumn<bool>("reset");
    QTest::newRow("reset") << true;
    QTest::newRow("orderly close") << false;
}

void tst_CommandSessionSim::connectionDroppedDuringWait() {
    QFETCH(bool, reset);

    options().unansweredCommands = {1};
    m_timings->setCycleMs(kLongCycleMs);
    ops::CommandSession session(entryFor());
    QVERIFY(session.login());
    QTimer::singleShot(50, this, [this, reset] { controller().commandService()->dropConnection(reset); });
    QElapsedTimer clock;
    clock.start();
    TDeviceInfo info{};
    bool ok = true;
    try {
        ok = session.socket().ReadDeviceInfo(&info);
    } catch (...) {
        QFAIL("the dropped connection escaped as an exception");
    }
    QVERIFY(!ok);
    QVERIFY(session.socket().ErrorFlag);
    QVERIFY2(clock.elapsed() < TKLVSocket::ShortCommandCycles * kLongCycleMs / 2,
             "the dropped connection was not noticed before the time-out");
    QVERIFY(!session.socket().RequestFileAccess()); // a send on the dropped connection fails at once
}

void tst_CommandSessionSim::commandLine_data() {
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<bool>("valid");

    QTest::newRow("every option") << QStringList{QStringLiteral("--user"),
                                                 QStringLiteral("chef"),
                                                 QStringLiteral("--password"),
                                                 QStringLiteral("geheim"),
                                                 QStringLiteral("--firmware"),
                                                 QStringLiteral("2.10"),
                                                 QStringLiteral("--bios"),
                                                 QStringLiteral("1.05 2.10"),
                                                 QStringLiteral("--language"),
                                                 QStringLiteral("2"),
                                                 QStringLiteral("--info-version"),
                                                 QStringLiteral("1"),
                                                 QStringLiteral("--operating-mode"),
                                                 QStringLiteral("2"),
                                                 QStringLiteral("--max-modules"),
                                                 QStringLiteral("8"),
                                                 QStringLiteral("--max-transponders"),
                                                 QStringLiteral("500"),
                                                 QStringLiteral("--max-log-entries"),
                                                 QStringLiteral("1000"),
                                                 QStringLiteral("--hardware-revision"),
                                                 QStringLiteral("3"),
                                                 QStringLiteral("--log-count"),
                                                 QStringLiteral("1500"),
                                                 QStringLiteral("--log-position"),
                                                 QStringLiteral("437"),
                                                 QStringLiteral("--module-status"),
                                                 QStringLiteral("1A:1:0:1,5:0:1:0"),
                                                 QStringLiteral("--code-read-interval"),
                                                 QStringLiteral("2000"),
                                                 QStringLiteral("--short-replies"),
                                                 QStringLiteral("--reply-length"),
                                                 QStringLiteral("64"),
                                                 QStringLiteral("--login-reply-length"),
                                                 QStringLiteral("layout"),
                                                 QStringLiteral("--status-before-replies"),
                                                 QStringLiteral("--split-replies"),
                                                 QStringLiteral("--split-at"),
                                                 QStringLiteral("3"),
                                                 QStringLiteral("--unanswered"),
                                                 QStringLiteral("4,100"),
                                                 QStringLiteral("--refuse-file-access"),
                                                 QStringLiteral("--file-access-interim"),
                                                 QStringLiteral("--unknown-reply"),
                                                 QStringLiteral("150"),
                                                 QStringLiteral("--refuse-name")}
                                  << true;
    QTest::newRow("bad firmware") << QStringList{QStringLiteral("--firmware"), QStringLiteral("1")} << false;
    QTest::newRow("bad BIOS") << QStringList{QStringLiteral("--bios"), QStringLiteral("1.05")} << false;
    QTest::newRow("bad module status")
        << QStringList{QStringLiteral("--module-status"), QStringLiteral("1:1:0")} << false;
    QTest::newRow("bad unanswered list")
        << QStringList{QStringLiteral("--unanswered"), QStringLiteral("4,x")} << false;
    QTest::newRow("reply length beyond 1024")
        << QStringList{QStringLiteral("--reply-length"), QStringLiteral("1025")} << false;
    QTest::newRow("reply length of one byte")
        << QStringList{QStringLiteral("--reply-length"), QStringLiteral("1")} << false;
    QTest::newRow("reply length no number")
        << QStringList{QStringLiteral("--login-reply-length"), QStringLiteral("full")} << false;
    QTest::newRow("language beyond a byte")
        << QStringList{QStringLiteral("--language"), QStringLiteral("256")} << false;
}

void tst_CommandSessionSim::commandLine() {
    QFETCH(QStringList, arguments);
    QFETCH(bool, valid);

    sim::SimSetup setup;
    QString error;
    arguments.prepend(QStringLiteral("kelvora-sim"));
    arguments << QStringLiteral("--controllers") << QStringLiteral("1");
    QCOMPARE(sim::parseSimOptions(arguments, setup, &error), valid);
    if (!valid) {
        QVERIFY(!error.isEmpty());
        return;
    }
    const sim::CommandOptions& o = setup.controllers.at(0).command;
    QCOMPARE(o.userName, QStringLiteral("chef"));
    QCOMPARE(o.password, QStringLiteral("geheim"));
    QCOMPARE(int(o.firmwareMajor), 2);
    QCOMPARE(int(o.firmwareMinor), 10);
    QCOMPARE(int(o.biosAMajor), 1);
    QCOMPARE(int(o.biosAMinor), 5);
    QCOMPARE(int(o.biosBMajor), 2);
    QCOMPARE(int(o.biosBMinor), 0x10);
    QCOMPARE(int(o.language), 2);
    QCOMPARE(int(o.infoVersion), 1);
    QCOMPARE(int(o.operatingMode), 2);
    QCOMPARE(int(o.maxModules), 8);
    QCOMPARE(int(o.maxTransponders), 500);
    QCOMPARE(int(o.maxLogEntries), 1000);
    QCOMPARE(int(o.hardwareRevision), 3);
    QCOMPARE(o.logCount, 1500);
    QCOMPARE(o.logPosition, 437);
    QCOMPARE(o.moduleStatus.size(), 2);
    QCOMPARE(int(o.moduleStatus.at(0).address), 0x1A);
    QCOMPARE(int(o.moduleStatus.at(0).doorOpen), 1);
    QCOMPARE(int(o.moduleStatus.at(1).sabotage), 1);
    QCOMPARE(o.codeReadIntervalMs, 2000);
    QVERIFY(o.shortReplies);
    QCOMPARE(o.replyLength, 64);
    QCOMPARE(o.loginReplyLength, sim::CommandOptions::kLayoutLength);
    QVERIFY(o.statusBeforeReplies);
    QVERIFY(o.splitReplies);
    QCOMPARE(o.splitAt, 3);
    QCOMPARE(o.unansweredCommands, (QList<int>{4, 100}));
    QVERIFY(o.refuseFileAccess);
    QVERIFY(o.fileAccessInterimFirst);
    QCOMPARE(o.unknownReplyCode, 150);
    QVERIFY(o.refuseName);
}

QTEST_GUILESS_MAIN(tst_CommandSessionSim)
#include "tst_CommandSessionSim.moc"
