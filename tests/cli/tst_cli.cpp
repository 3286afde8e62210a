// kelvora-cli against several simulated controllers on loopback: the subcommands run in-process on the
// same operations as the window, and the program itself for its exit codes.

#include "cli/Arguments.h"
#include "cli/Fleet.h"
#include "cli/Run.h"
#include "cli/SiteFile.h"
#include "data/DeviceEntry.h"
#include "data/Logbook.h"
#include "data/OverviewReport.h"
#include "data/TableFiles.h"
#include "device/CommandSocket.h"
#include "device/NetworkTargets.h"
#include "ops/Backup.h"
#include "ops/Messages.h"
#include "ops/Notices.h"
#include "ops/OverviewFile.h"
#include "sim/DiscoveryService.h"
#include "sim/SimController.h"
#include "support/ExpectedTexts.h"
#include "support/SessionTimings.h"
#include "support/TestSupport.h"

#include <QDir>
#include <QDirIterator>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

#include <functional>
#include <memory>
#include <optional>
#include <vector>

namespace {

using Fault = std::function<void(sim::ControllerConfig&)>;

// Three (or n) controllers on 127.0.0.2, 127.0.0.3, ..., found by a search on 127.0.0.1.
struct Site {
    static constexpr int kControllers = 3;
    static inline const QStringList kNames = {QStringLiteral("Haupteingang"), QStringLiteral("Lager Tor 2"),
                                              QStringLiteral("Büro")};
    static QString name(int i) { return i < kNames.size() ? kNames[i] : QStringLiteral("Tor %1").arg(i + 1); }

    explicit Site(int n = kControllers) {
        for (int i = 0; i < n; ++i) {
            sim::ControllerConfig config;
            const QString address = QStringLiteral("127.0.0.%1").arg(i + 2);
            config.address = QHostAddress(address);
            config.ip = address;
            config.commandPort = 0;
            config.ftpPort = 0;
            config.serial = 0x12AB3 + static_cast<quint32>(i);
            config.name = name(i);
            controllers.push_back(std::make_unique<sim::SimController>(config));
        }
    }

    bool start() {
        // The first controller takes free ports; the others share them, as the tool has one command and
        // one FTP port for all controllers.
        for (auto& controller : controllers) {
            if (controller != controllers.front()) {
                controller->config().commandPort = controllers.front()->config().commandPort;
                controller->config().ftpPort = controllers.front()->config().ftpPort;
            }
            if (!controller->start())
                return false;
            if (controller.get() != directOnly)
                discovery.addController(controller.get());
        }
        if (!discovery.listen(QHostAddress(QStringLiteral("127.0.0.1")), 0))
            return false;
        // Behind a router: no broadcast reaches it, only a search sent to its own address.
        if (directOnly) {
            direct.addController(directOnly);
            if (!direct.listen(directOnly->config().address, discovery.port()))
                return false;
        }
        NetworkTargets targets;
        targets.discoveryAddress = QHostAddress(QStringLiteral("127.0.0.1"));
        targets.discoveryPort = discovery.port();
        targets.commandPort = controllers.front()->config().commandPort;
        targets.ftpPort = controllers.front()->config().ftpPort;
        SetTargets(targets);
        return true;
    }

    // The command line as kelvora-cli gets it; out and err collect its lines.
    int run(const QStringList& arguments) {
        out.clear();
        err.clear();
        cli::Console console;
        console.out = [this](const QString& line) { out << line; };
        console.err = [this](const QString& line) { err << line; };
        console.progress = [this](const QString& line) {
            if (onStep)
                onStep(line);
        };
        return cli::Run(arguments, console);
    }

    bool sawEvent(int i, const QString& prefix) const {
        for (const QString& line : controllers[static_cast<std::size_t>(i)]->events()) {
            if (line.startsWith(prefix))
                return true;
        }
        return false;
    }

    sim::SimController& controller(int i) { return *controllers[static_cast<std::size_t>(i)]; }

    std::vector<std::unique_ptr<sim::SimController>> controllers;
    sim::DiscoveryService discovery;
    sim::SimController* directOnly = nullptr;
    sim::DiscoveryService direct;
    QStringList out;
    QStringList err;
    std::function<void(const QString&)> onStep;
};

QString label(int i) {
    return QStringLiteral("%1 %2 (127.0.0.%3)")
        .arg(QString::number(0x12AB3 + i, 16).toUpper(), Site::name(i))
        .arg(i + 2);
}

// The folders below root that hold a file of this name.
QStringList foldersWith(const QString& root, const QString& fileName) {
    QStringList folders;
    QDirIterator it(root, {fileName}, QDir::Files, QDirIterator::Subdirectories);
    while (it.hasNext())
        folders << QFileInfo(it.next()).absolutePath();
    folders.sort();
    return folders;
}

QString writeCredentials(const QTemporaryDir& dir, const QByteArray& text, QFile::Permissions permissions) {
    const QString path = dir.filePath(QStringLiteral("zugang"));
    testsupport::writeFile(path, text);
    QFile::setPermissions(path, permissions);
    return path;
}

// The one expected message line (with the file's path for %1), or none.
QStringList expectedLines(const QString& message, const QString& path) {
    if (message.isEmpty())
        return {};
    return {message.contains(QStringLiteral("%1")) ? message.arg(QDir::toNativeSeparators(path)) : message};
}

} // namespace

class tst_cli : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void initTestCase();
    void cleanupTestCase();
    void init();
    void cleanup();

    void findListsEveryController();
    void ipconfigSendsTheDatagramTwice();
    void infoShowsThePageLines();
    void infoWithoutDeviceInformationFails_data();
    void infoWithoutDeviceInformationFails();
    void backupAllGoesOnPastAFailure_data();
    void backupAllGoesOnPastAFailure();
    void eightAtOnceOneFailingMidway_data();
    void eightAtOnceOneFailingMidway();
    void fleetOrder();
    void oneSessionPerController_data();
    void oneSessionPerController();
    void backupFolderPerSerialAndTime();
    void backupOfATableCutWithinARecordFails();
    void restoreAndStatus();
    void reportIsTheWindowsOverview_data();
    void reportIsTheWindowsOverview();
    void reportRefusals_data();
    void reportRefusals();
    void reportFromAControllerThatRefuses_data();
    void reportFromAControllerThatRefuses();
    void logExportDeletesOnlyAfterACompleteExport_data();
    void logExportDeletesOnlyAfterACompleteExport();
    void siteFileMergedWithTheSearch_data();
    void siteFileMergedWithTheSearch();
    void siteFileLines_data();
    void siteFileLines();
    void siteFileRefused_data();
    void siteFileRefused();
    void credentialsFile_data();
    void credentialsFile();
    void usageErrors_data();
    void usageErrors();
    void helpForEverySubcommand();
    void programExitCodes();

private:
    std::optional<SessionTimings> m_timings;
    std::unique_ptr<Site> m_site;
    std::unique_ptr<QTemporaryDir> m_work;
};

void tst_cli::initTestCase() {
    m_timings.emplace(20); // a silent controller costs 0.3 s instead of 1.5 s
}

void tst_cli::cleanupTestCase() {
    m_timings.reset();
}

void tst_cli::init() {
    qputenv("KELVORA_USER", "admin");
    qputenv("KELVORA_PASSWORD", "admin");
    m_site = std::make_unique<Site>();
    m_work = std::make_unique<QTemporaryDir>();
}

void tst_cli::cleanup() {
    m_site.reset();
    m_work.reset();
}

void tst_cli::findListsEveryController() {
    QVERIFY(m_site->start());
    QCOMPARE(m_site->run({QStringLiteral("find")}), 0);
    QCOMPARE(m_site->out, QStringList({
                              QStringLiteral("12AB3 0 127.0.0.2 255.255.255.0 127.0.0.1 Haupteingang"),
                              QStringLiteral("12AB4 0 127.0.0.3 255.255.255.0 127.0.0.1 Lager Tor 2"),
                              QStringLiteral("12AB5 0 127.0.0.4 255.255.255.0 127.0.0.1 Büro"),
                          }));

    QCOMPARE(m_site->run({QStringLiteral("find"), QStringLiteral("--json")}), 0);
    QJsonParseError error;
    const QJsonDocument document =
        QJsonDocument::fromJson(m_site->out.join(QLatin1Char('\n')).toUtf8(), &error);
    QCOMPARE(error.error, QJsonParseError::NoError);
    const QJsonArray list = document.array();
    QCOMPARE(list.size(), Site::kControllers);
    for (int i = 0; i < Site::kControllers; ++i) {
        const QJsonObject device = list.at(i).toObject();
        QCOMPARE(device.value(QStringLiteral("serial")).toString(),
                 QString::number(0x12AB3 + i, 16).toUpper());
        QCOMPARE(device.value(QStringLiteral("dhcp")).toBool(true), false);
        QCOMPARE(device.value(QStringLiteral("ip")).toString(), QStringLiteral("127.0.0.%1").arg(i + 2));
        QCOMPARE(device.value(QStringLiteral("mask")).toString(), QStringLiteral("255.255.255.0"));
        QCOMPARE(device.value(QStringLiteral("gateway")).toString(), QStringLiteral("127.0.0.1"));
        QCOMPARE(device.value(QStringLiteral("name")).toString(), Site::kNames[i]);
    }

    // Nobody answers: the window's warning, exit 1, and still a JSON array.
    m_site.reset();
    m_site = std::make_unique<Site>();
    NetworkTargets silent;
    silent.discoveryAddress = QHostAddress(QStringLiteral("127.0.0.1"));
    silent.discoveryPort = testsupport::freeTcpPort();
    SetTargets(silent);
    QCOMPARE(m_site->run({QStringLiteral("find"), QStringLiteral("--json")}), 1);
    QCOMPARE(m_site->out, QStringList({QStringLiteral("[\n]")}));
    QCOMPARE(m_site->err, QStringList({QStringLiteral("Es wurden keine Kelvora compact gefunden.")}));
}

void tst_cli::ipconfigSendsTheDatagramTwice() {
    QVERIFY(m_site->start());
    QCOMPARE(
        m_site->run({QStringLiteral("ipconfig"), QStringLiteral("12ab4"), QStringLiteral("--ip=127.0.0.9"),
                     QStringLiteral("--mask"), QStringLiteral("255.0.0.0"), QStringLiteral("--gateway"),
                     QStringLiteral("127.0.0.1")}),
        0);
    QVERIFY(QTest::qWaitFor([&] { return m_site->discovery.received().size() == 2; }));
    QCOMPARE(m_site->discovery.received().front(), QByteArray("12AB4 5 0 127.0.0.9 255.0.0.0 127.0.0.1"));
    QCOMPARE(m_site->discovery.received().back(), m_site->discovery.received().front());
    QCOMPARE(m_site->out,
             QStringList({QStringLiteral("Die IP-Konfiguration wurde an Kelvora compact 12AB4 gesendet.")}));
    QCOMPARE(m_site->controller(1).config().ip, QStringLiteral("127.0.0.9"));
}

void tst_cli::infoShowsThePageLines() {
    QVERIFY(m_site->start());
    QCOMPARE(m_site->run({QStringLiteral("info"), QStringLiteral("12AB4")}), 0);
    QCOMPARE(m_site->out, QStringList({
                              QStringLiteral("Firmware Version : v1.39"),
                              QStringLiteral("BIOS Version : 1.05 2.10"),
                              QStringLiteral("Seriennummer : 12AB4"),
                              QStringLiteral("Hardware : R04"),
                              QStringLiteral("Sprache : Deutsch"),
                              QStringLiteral("Version : Standard"),
                              QStringLiteral("Betriebsmodus : Offline (Standard)"),
                              QStringLiteral("Max. Anzahl Module : 16"),
                              QStringLiteral("Max. Anzahl Transponder : 1000"),
                              QStringLiteral("Max. Anzahl Logbucheinträge : 1500"),
                              QStringLiteral("Name des Gerätes : Lager Tor 2"),
                          }));
    QVERIFY(m_site->sawEvent(1, QStringLiteral("login ok admin")));

    QCOMPARE(m_site->run({QStringLiteral("info"), QStringLiteral("127.0.0.2"), QStringLiteral("--json")}), 0);
    const QJsonObject info = QJsonDocument::fromJson(m_site->out.join(QLatin1Char('\n')).toUtf8()).object();
    QCOMPARE(info.value(QStringLiteral("name")).toString(), QStringLiteral("Haupteingang"));
    QCOMPARE(info.value(QStringLiteral("firmware")).toString(), QStringLiteral("1.39"));
    QCOMPARE(info.value(QStringLiteral("lines")).toArray().at(2).toString(),
             QStringLiteral("Seriennummer : 12AB3"));

    // A wrong password: the window's connection-failure text, with the controller named.
    qputenv("KELVORA_PASSWORD", "falsch");
    QCOMPARE(m_site->run({QStringLiteral("info"), QStringLiteral("127.0.0.2")}), 1);
    QCOMPARE(
        m_site->err,
        QStringList({label(0) + QStringLiteral(": ") +
                     QString(ops::kConnectionFailedText).replace(QLatin1Char('\r'), QLatin1Char('\n'))}));
}

void tst_cli::infoWithoutDeviceInformationFails_data() {
    QTest::addColumn<Fault>("fault");
    QTest::addColumn<bool>("json");
    QTest::newRow("silent") << Fault([](sim::ControllerConfig& c) { c.command.unansweredCommands = {1}; })
                            << false;
    QTest::newRow("garbage") << Fault([](sim::ControllerConfig& c) { c.command.unknownReplyCode = 3; })
                             << false;
    QTest::newRow("closed mid-reply")
        << Fault([](sim::ControllerConfig& c) { c.command.resetMidReply = {1}; }) << false;
    QTest::newRow("silent, json") << Fault([](sim::ControllerConfig& c) {
        c.command.unansweredCommands = {1};
    }) << true;
}

void tst_cli::infoWithoutDeviceInformationFails() {
    QFETCH(Fault, fault);
    QFETCH(bool, json);
    fault(m_site->controller(0).config());
    QVERIFY(m_site->start());
    QStringList arguments{QStringLiteral("info"), QStringLiteral("127.0.0.2")};
    if (json)
        arguments << QStringLiteral("--json");
    QCOMPARE(m_site->run(arguments), 1);
    QCOMPARE(m_site->out, QStringList());
    QCOMPARE(
        m_site->err,
        QStringList{label(0) + QStringLiteral(": Kelvora compact hat keine Geräteinformationen gesendet.")});
}

namespace {

QByteArray moduleRecord(const char* name, std::uint16_t address) {
    TModuleEntry module{};
    std::memcpy(module.Name, name, std::strlen(name));
    module.setModAddr(address);
    return QByteArray(reinterpret_cast<const char*>(&module), sizeof module);
}

// A logbook record: type, status, 01.02.24 08:15:<second>, module "Tor" at 0x1A, code and name.
QByteArray logRecord(std::uint8_t type, std::uint8_t status, std::uint8_t second) {
    TLogRecord r{};
    r.Type = type;
    r.Status = status;
    r.Second = second;
    r.Minute = 15;
    r.Hour = 8;
    r.Day = 1;
    r.Month = 2;
    r.Year = 24;
    r.setModuleAddress(0x1A);
    std::memcpy(r.ModuleName, "Tor", 3);
    std::memcpy(r.TransponderCode, "12345", 5);
    std::memcpy(r.TransponderName, "M\xFCller", 6);
    return QByteArray(reinterpret_cast<const char*>(&r), sizeof r);
}

// Two transponders over the modules "Tor" (0x12) and "Lager" (0x3): slots, days and hours, names
// with umlauts, a code in both forms.
QByteArray transponderRecords() {
    TTransponderEntry first{};
    std::memcpy(first.Name, "J\xFCrgen", 6);
    const std::uint8_t code[11] = {0, 0, 0, 0, 0, 0, 0, 0x12, 0x34, 0x56, 0xFF};
    std::memcpy(first.Code, code, sizeof code);
    first.setTransAkt(1);
    first.setModuleSlot(0, 0x3);
    first.setModuleSlot(1, 0x12);
    first.DayMask(1)[1] = 0x0F; // Montag 8 to 12
    first.DayRestr = 0x02;
    TTransponderEntry second{};
    std::memcpy(second.Name, "=Summe", 6);
    std::memcpy(second.Code, "+4711", 5);
    second.setTransAkt(2);
    second.setModuleSlot(0, 0x12);
    return QByteArray(reinterpret_cast<const char*>(&first), sizeof first) +
           QByteArray(reinterpret_cast<const char*>(&second), sizeof second);
}

// The overview the window writes for the tables in these two files.
QByteArray windowOverview(const QString& modules, const QString& transponders, bool csv) {
    TDeviceEntry entry;
    if (!ReadTableFile(modules, entry.Modules) || !ReadTableFile(transponders, entry.Transponders))
        return QByteArray();
    return csv ? overview::CsvOverviewFile(entry) : overview::TextOverviewFile(entry);
}

} // namespace

void tst_cli::backupAllGoesOnPastAFailure_data() {
    QTest::addColumn<Fault>("fault");
    QTest::addColumn<QString>("message");
    QTest::addColumn<QString>("jobs");

    const std::pair<const char*, Fault> faults[] = {
        {"transfer fails",
         [](sim::ControllerConfig& c) { c.ftp.missingFiles = {QStringLiteral("trans.dat")}; }},
        {"login refused", [](sim::ControllerConfig& c) { c.command.password = QStringLiteral("anders"); }},
        {"file access refused", [](sim::ControllerConfig& c) { c.command.refuseFileAccess = true; }},
        {"ftp refuses the account", [](sim::ControllerConfig& c) { c.ftp.refuseLogin = true; }},
    };
    const QString messages[] = {ops::kBackupFailedText, ops::kConnectionFailedText,
                                ops::kLoadAccessRefusedText,
                                QStringLiteral("Die FTP-Verbindung kann nicht aufgebaut werden.")};
    for (std::size_t i = 0; i < std::size(faults); ++i) {
        for (const QString& jobs : {QStringLiteral("1"), QStringLiteral("8")}) {
            QTest::addRow("%s, --jobs %s", faults[i].first, qPrintable(jobs))
                << faults[i].second << messages[i] << jobs;
        }
    }
}

void tst_cli::backupAllGoesOnPastAFailure() {
    QFETCH(Fault, fault);
    QFETCH(QString, message);
    QFETCH(QString, jobs);
    fault(m_site->controller(1).config());
    QVERIFY(m_site->start());
    const QString root = m_work->filePath(QStringLiteral("sicherung"));

    QCOMPARE(m_site->run(
                 {QStringLiteral("backup"), QStringLiteral("--all"), QStringLiteral("--jobs"), jobs, root}),
             1);

    const QStringList folders = foldersWith(root, QStringLiteral("module.dat"));
    QCOMPARE(folders.size(), 2);
    QVERIFY(folders[0].startsWith(root + QStringLiteral("/12AB3-Haupteingang/")));
    QVERIFY(folders[1].startsWith(root + QStringLiteral("/12AB5-Büro/")));
    for (int i : {0, 1}) {
        const int controller = i == 0 ? 0 : 2;
        for (const QString& file : {QStringLiteral("module.dat"), QStringLiteral("trans.dat")}) {
            const QByteArray saved = testsupport::readFile(QDir(folders[i]).filePath(file));
            QVERIFY(!saved.isEmpty());
            QCOMPARE(saved, testsupport::readFile(m_site->controller(controller).dataFile(file)));
        }
    }
    // Nothing of the failed one: no half backup, no empty folder.
    QVERIFY(!QFileInfo::exists(root + QStringLiteral("/12AB4-Lager Tor 2")));
    QCOMPARE(m_site->err, QStringList({label(1) + QStringLiteral(": ") + cli::ConsoleText(message)}));
    QCOMPARE(m_site->out.last(), QStringLiteral("Zusammenfassung: 2 von 3 Kelvora compact gesichert. "
                                                "Fehlgeschlagen: 12AB4 Lager Tor 2 (127.0.0.3)"));
}

namespace {

const QRegularExpression kStamp(QStringLiteral("\\d{4}-\\d\\d-\\d\\d_\\d\\d-\\d\\d-\\d\\d"));

// Every file below root with its bytes, by its path below root with the time stamps left out
// ("/12AB3-Haupteingang/*/module.dat").
QMap<QString, QByteArray> filesBelow(const QString& root) {
    QMap<QString, QByteArray> files;
    QDirIterator it(root, QDir::Files, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString path = it.next();
        files.insert(path.mid(root.size()).replace(kStamp, QStringLiteral("*")), testsupport::readFile(path));
    }
    return files;
}

// Lines with the run's folder and its time stamps left out.
QStringList withoutRoot(QStringList lines, const QString& root) {
    for (QString& line : lines)
        line.replace(QDir::toNativeSeparators(root), QStringLiteral("ROOT"))
            .replace(kStamp, QStringLiteral("*"));
    return lines;
}

} // namespace

void tst_cli::eightAtOnceOneFailingMidway_data() {
    QTest::addColumn<QString>("command");
    QTest::addColumn<QString>("doneWord");
    QTest::addColumn<QStringList>("files"); // each controller's, below its folder
    QTest::newRow("backup") << QStringLiteral("backup") << QStringLiteral("gesichert")
                            << QStringList({QStringLiteral("*/module.dat"), QStringLiteral("*/trans.dat")});
    QTest::newRow("log") << QStringLiteral("log") << QStringLiteral("exportiert")
                         << QStringList({QStringLiteral("*.txt")});
}

// Eight controllers, the fourth of which loses its data connection in the middle of its largest file:
// one after another and eight at once give the same files, messages and summary.
void tst_cli::eightAtOnceOneFailingMidway() {
    QFETCH(QString, command);
    QFETCH(QString, doneWord);
    QFETCH(QStringList, files);
    constexpr int kCount = 8;
    m_site = std::make_unique<Site>(kCount);
    m_site->controller(3).config().ftp.dropDataAfterBytes = 40000;
    QVERIFY(m_site->start());
    // The controllers that had a connection before the first one was done with its transfers.
    QSet<int> openBeforeFirstQuit;
    bool quitSeen = false;
    for (int i = 0; i < kCount; ++i) {
        connect(&m_site->controller(i), &sim::SimController::eventLogged, this, [&, i](const QString& line) {
            if (line == QStringLiteral("ftp QUIT"))
                quitSeen = true;
            else if (line == QStringLiteral("connected") && !quitSeen)
                openBeforeFirstQuit.insert(i);
        });
    }
    struct Run {
        int exitCode;
        QStringList out;
        QStringList err;
        QMap<QString, QByteArray> files;
        qsizetype overlapping;
    };
    const auto run = [&](const QString& jobs) {
        const QString root = m_work->filePath(QStringLiteral("jobs-") + jobs);
        openBeforeFirstQuit.clear();
        quitSeen = false;
        QStringList arguments = {command, QStringLiteral("--all"), QStringLiteral("--jobs"), jobs};
        arguments << (command == QStringLiteral("log") ? QStringList({QStringLiteral("--export"), root})
                                                       : QStringList({root}));
        const int exitCode = m_site->run(arguments);
        return Run{exitCode, withoutRoot(m_site->out, root), withoutRoot(m_site->err, root), filesBelow(root),
                   openBeforeFirstQuit.size()};
    };

    const Run one = run(QStringLiteral("1"));
    const Run eight = run(QStringLiteral("8"));

    QCOMPARE(one.overlapping, 1);
    QVERIFY2(eight.overlapping > 1, "the controllers were worked on one after another");
    QCOMPARE(one.exitCode, 1);
    QCOMPARE(eight.exitCode, 1);
    QCOMPARE(eight.out, one.out);
    QCOMPARE(eight.err, one.err);
    QCOMPARE(eight.files, one.files);

    QCOMPARE(one.out.size(), kCount - 1 + 1);
    for (int i = 0, line = 0; i < kCount; ++i) {
        if (i != 3)
            QVERIFY2(one.out[line++].startsWith(label(i) + QStringLiteral(": ")),
                     qPrintable(one.out.join('\n')));
    }
    QCOMPARE(one.out.last(), QStringLiteral("Zusammenfassung: 7 von 8 Kelvora compact %1. Fehlgeschlagen: %2")
                                 .arg(doneWord, label(3)));
    QCOMPARE(one.err.size(), 1);
    QVERIFY(one.err.first().startsWith(label(3) + QStringLiteral(": ")));
    QStringList expectedFiles;
    for (int i = 0; i < kCount; ++i) {
        const QString folder =
            QStringLiteral("/%1-%2/").arg(QString::number(0x12AB3 + i, 16).toUpper(), Site::name(i));
        for (const QString& file : files) {
            if (i != 3)
                expectedFiles << folder + file;
        }
    }
    expectedFiles.sort();
    QCOMPARE(one.files.keys(), expectedFiles);
    for (auto it = one.files.cbegin(); it != one.files.cend(); ++it) {
        QVERIFY(!it.value().isEmpty());
        if (command == QStringLiteral("backup")) {
            const int i = it.key().mid(1, 5).toInt(nullptr, 16) - 0x12AB3;
            QCOMPARE(it.value(),
                     testsupport::readFile(m_site->controller(i).dataFile(it.key().section('/', -1))));
        }
    }
}

// Whichever order the search brought them in: by serial number, the ones not known yet last by address.
void tst_cli::fleetOrder() {
    const std::pair<std::int32_t, const char*> found[] = {{0x12AB5, "127.0.0.4"},
                                                          {0, "127.0.0.10"},
                                                          {0x3F, "127.0.0.7"},
                                                          {0, "127.0.0.9"},
                                                          {0x12AB3, "127.0.0.2"}};
    std::vector<TDeviceEntry> entries(std::size(found));
    std::vector<TDeviceEntry*> order;
    for (std::size_t i = 0; i < entries.size(); ++i) {
        entries[i].Serial = found[i].first;
        entries[i].IPAddress = QString::fromLatin1(found[i].second);
        order.push_back(&entries[i]);
    }
    cli::SortBySerial(order);
    QStringList seen;
    for (const TDeviceEntry* entry : order)
        seen << QString::number(entry->Serial, 16).toUpper() + QLatin1Char(' ') + entry->IPAddress;
    QCOMPARE(seen, QStringList({QStringLiteral("3F 127.0.0.7"), QStringLiteral("12AB3 127.0.0.2"),
                                QStringLiteral("12AB5 127.0.0.4"), QStringLiteral("0 127.0.0.9"),
                                QStringLiteral("0 127.0.0.10")}));
}

void tst_cli::oneSessionPerController_data() {
    QTest::addColumn<QStringList>("arguments"); // %1: a folder of the work folder
    QTest::addColumn<QStringList>("sessions");  // of the second controller: "connected", command codes, ...

    const QStringList backup = {QStringLiteral("connected"), QStringLiteral("0"), QStringLiteral("1"),
                                QStringLiteral("4"), QStringLiteral("disconnected")};
    QTest::newRow("backup") << QStringList(
                                   {QStringLiteral("backup"), QStringLiteral("12AB4"), QStringLiteral("%1")})
                            << backup;
    QTest::newRow("backup --all") << QStringList({QStringLiteral("backup"), QStringLiteral("--all"),
                                                  QStringLiteral("%1")})
                                  << backup;
    QTest::newRow("info") << QStringList({QStringLiteral("info"), QStringLiteral("127.0.0.3")})
                          << QStringList({QStringLiteral("connected"), QStringLiteral("0"),
                                          QStringLiteral("1"), QStringLiteral("disconnected")});
    // The read closes its session after the pause the controller wants; the delete comes later, in a
    // session of its own.
    QTest::newRow("log --delete-after")
        << QStringList({QStringLiteral("log"), QStringLiteral("12AB4"), QStringLiteral("--export"),
                        QStringLiteral("%1/log.txt"), QStringLiteral("--delete-after")})
        << QStringList({QStringLiteral("connected"), QStringLiteral("0"), QStringLiteral("1"),
                        QStringLiteral("4"), QStringLiteral("106"), QStringLiteral("disconnected"),
                        QStringLiteral("connected"), QStringLiteral("0"), QStringLiteral("106"),
                        QStringLiteral("107"), QStringLiteral("disconnected")});
}

// The login that reads the device information and the operation after it share one connection.
void tst_cli::oneSessionPerController() {
    QFETCH(QStringList, arguments);
    QFETCH(QStringList, sessions);
    QVERIFY(m_site->start());
    sim::SimController& controller = m_site->controller(1);
    QVERIFY(testsupport::writeFile(controller.dataFile(QStringLiteral("kelvora.log")),
                                   logRecord(1, 2, 30) + logRecord(2, 1, 31)));
    QFile::remove(controller.dataFile(QStringLiteral("kelvora.ring")));
    for (QString& argument : arguments)
        argument = argument.arg(m_work->path());

    QCOMPARE(m_site->run(arguments), 0);
    QVERIFY(
        QTest::qWaitFor([&] { return controller.events().last() == QStringLiteral("disconnected"); }, 2000));

    QStringList seen;
    static const QRegularExpression command(QStringLiteral("^command (\\d+) value"));
    for (const QString& line : controller.events()) {
        const QRegularExpressionMatch match = command.match(line);
        // The keep-alive's status request may come or not, as the transfers take their time.
        if (match.hasMatch() && match.captured(1) != QStringLiteral("100"))
            seen << match.captured(1);
        else if (line == QStringLiteral("connected") || line == QStringLiteral("disconnected"))
            seen << line;
    }
    QCOMPARE(seen, sessions);
}

void tst_cli::backupFolderPerSerialAndTime() {
    QVERIFY(m_site->start());
    m_site->controller(0).config().name = QStringLiteral("Tor/Süd: 1.");
    const QString root = m_work->path();
    const QStringList arguments = {QStringLiteral("backup"), QStringLiteral("12AB3"), root};

    QCOMPARE(m_site->run(arguments), 0);
    QCOMPARE(m_site->run(arguments), 0);

    const QStringList folders = foldersWith(root, QStringLiteral("trans.dat"));
    QCOMPARE(folders.size(), 2);
    const QRegularExpression stamp(
        QStringLiteral("^/12AB3-Tor_Süd_ 1/\\d{4}-\\d\\d-\\d\\d_\\d\\d-\\d\\d-\\d\\d(-2)?$"));
    for (const QString& folder : folders)
        QVERIFY2(stamp.match(folder.mid(root.size())).hasMatch(), qPrintable(folder));
    QCOMPARE(m_site->out,
             QStringList({label(0).replace(Site::kNames[0], QStringLiteral("Tor/Süd: 1.")) +
                          QStringLiteral(": Die Datensicherung wurde erfolgreich durchgeführt. Ordner: ") +
                          QDir::toNativeSeparators(folders.last())}));
}

// The files stay as they came, but a script must not take them for a backup it can restore.
void tst_cli::backupOfATableCutWithinARecordFails() {
    QVERIFY(m_site->start());
    const QByteArray modules = testsupport::pattern(15 * 40 + 17, 1);
    QVERIFY(testsupport::writeFile(m_site->controller(0).dataFile(QStringLiteral("module.dat")), modules));
    const QString root = m_work->path();

    QCOMPARE(m_site->run({QStringLiteral("backup"), QStringLiteral("12AB3"), root}), 1);

    const QStringList folders = foldersWith(root, QStringLiteral("module.dat"));
    QCOMPARE(folders.size(), 1);
    QCOMPARE(testsupport::readFile(folders.first() + QStringLiteral("/module.dat")), modules);
    QCOMPARE(m_site->out, QStringList());
    QCOMPARE(m_site->err,
             QStringList{
                 label(0) +
                 QStringLiteral(": Die Datensicherung wurde gespeichert, ist aber unvollständig: Die Datei "
                                "\"module.dat\" ist beschädigt oder keine Kelvora compact "
                                "Konfigurationsdatei: Ihre Größe von 617 Bytes ist kein Vielfaches der "
                                "Eintragsgröße von 40 Bytes. Eine Rücksicherung aus diesem Ordner ist "
                                "nicht möglich. Ordner: ") +
                 QDir::toNativeSeparators(folders.first())});
}

void tst_cli::restoreAndStatus() {
    const QByteArray modules = moduleRecord("Tor", 0x12) + moduleRecord("Lager", 0x3);
    QVERIFY(m_site->start());
    QVERIFY(testsupport::writeFile(m_site->controller(0).dataFile(QStringLiteral("module.dat")), modules));
    m_site->controller(0).config().command.moduleStatus = {{0x12, 1, 0, 1}, {0x3, 0, 1, 1}, {0x7, 1, 1, 0}};

    QCOMPARE(m_site->run({QStringLiteral("status"), QStringLiteral("127.0.0.2")}), 0);
    QCOMPARE(m_site->out,
             QStringList({
                 QStringLiteral("Tor\t0x12\tModul betriebsbereit, Sabotage AUS, Tür offen"),
                 QStringLiteral("Lager\t0x3\tBitte kontrollieren Sie die Adresse und die Verkabelung"),
                 QStringLiteral("\t0x7\tModul betriebsbereit, Sabotage EIN, Tür geschlossen"),
             }));

    // Only one of the two files: the window's warning, and no connection at all.
    const QString folder = m_work->path();
    QVERIFY(testsupport::writeFile(QDir(folder).filePath(QStringLiteral("module.dat")), modules));
    const qsizetype eventsBefore = m_site->controller(1).events().size();
    QCOMPARE(m_site->run({QStringLiteral("restore"), QStringLiteral("127.0.0.3"), folder}), 1);
    QCOMPARE(m_site->err, QStringList({ops::kBackupFilesMissingText}));
    QCOMPARE(m_site->controller(1).events().size(), eventsBefore);

    const QByteArray transponders =
        testsupport::readFile(m_site->controller(0).dataFile(QStringLiteral("trans.dat")));
    QVERIFY(testsupport::writeFile(QDir(folder).filePath(QStringLiteral("trans.dat")), transponders));
    QCOMPARE(m_site->run({QStringLiteral("restore"), QStringLiteral("127.0.0.3"), folder}), 0);
    QCOMPARE(m_site->out, QStringList({label(1) + QStringLiteral(": ") + ops::kRestoreDoneText}));
    QCOMPARE(testsupport::readFile(m_site->controller(1).dataFile(QStringLiteral("module.dat"))), modules);
    QCOMPARE(testsupport::readFile(m_site->controller(1).dataFile(QStringLiteral("trans.dat"))),
             transponders);
}

void tst_cli::reportIsTheWindowsOverview_data() {
    QTest::addColumn<bool>("fromBackup");
    QTest::addColumn<bool>("csv");
    QTest::addColumn<QByteArray>("head"); // the report's first bytes

    const QByteArray textHead = "\xDC"
                                "bersicht f\xFCr J\xFCrgen (123456):\r\n"
                                "  Berechtige Lesemodule:\r\n"
                                "    Lager (0x3) \r\n"
                                "    Tor (0x12) \r\n";
    const QByteArray csvHead = "Daten;;;Beschr\xE4nkungen\r\n"
                               "Name;Transpondercode;Aktiviert;Tor (0x12);Lager (0x3)\r\n"
                               "J\xFCrgen;123456;JA;X;X\r\n"
                               "'=Summe;'+4711;NEIN;X;\r\n";
    QTest::newRow("text from a backup folder") << true << false << textHead;
    QTest::newRow("csv from a backup folder") << true << true << csvHead;
    QTest::newRow("text from the controller") << false << false << textHead;
    QTest::newRow("csv from the controller") << false << true << csvHead;
}

void tst_cli::reportIsTheWindowsOverview() {
    QFETCH(bool, fromBackup);
    QFETCH(bool, csv);
    QFETCH(QByteArray, head);
    sim::SimController& controller = m_site->controller(0);
    QVERIFY(m_site->start());
    const QString modules = controller.dataFile(QStringLiteral("module.dat"));
    const QString transponders = controller.dataFile(QStringLiteral("trans.dat"));
    QVERIFY(testsupport::writeFile(modules, moduleRecord("Tor", 0x12) + moduleRecord("Lager", 0x3)));
    QVERIFY(testsupport::writeFile(transponders, transponderRecords()));
    QString source = QStringLiteral("127.0.0.2");
    if (fromBackup) {
        QCOMPARE(m_site->run({QStringLiteral("backup"), QStringLiteral("12AB3"), m_work->path()}), 0);
        const QStringList folders = foldersWith(m_work->path(), QStringLiteral("trans.dat"));
        QCOMPARE(folders.size(), 1);
        source = folders.first();
    }
    const qsizetype eventsBefore = controller.events().size();
    const QString target =
        m_work->filePath(csv ? QStringLiteral("Übersicht.csv") : QStringLiteral("Übersicht.txt"));
    QVERIFY(testsupport::writeFile(target, "alter Inhalt"));

    QCOMPARE(m_site->run({QStringLiteral("report"), source,
                          csv ? QStringLiteral("--csv") : QStringLiteral("--text"), target}),
             0);

    const QByteArray written = testsupport::readFile(target);
    QCOMPARE(written, windowOverview(modules, transponders, csv));
    QCOMPARE(written.left(head.size()), head);
    const QString saved =
        ops::kOverviewSavedText + QStringLiteral(" Datei: ") + QDir::toNativeSeparators(target);
    QCOMPARE(m_site->out, QStringList({fromBackup ? saved : label(0) + QStringLiteral(": ") + saved}));
    QCOMPARE(m_site->err, QStringList());
    if (fromBackup) // no controller is asked for a backup folder
        QCOMPARE(controller.events().size(), eventsBefore);
}

void tst_cli::reportRefusals_data() {
    QTest::addColumn<QStringList>("files"); // written into the backup folder
    QTest::addColumn<QString>("target");    // below the work folder
    QTest::addColumn<int>("exitCode");
    QTest::addColumn<QString>("message"); // %1: the target's path

    const QStringList both = {QStringLiteral("module.dat"), QStringLiteral("trans.dat")};
    QTest::newRow("transponder table missing")
        << QStringList({QStringLiteral("module.dat")}) << QStringLiteral("bericht.txt") << 1
        << ops::kBackupFilesMissingText;
    QTest::newRow("folder of the target missing")
        << both << QStringLiteral("fehlt/bericht.txt") << 1
        << QStringLiteral("Die Datei \"%1\" kann nicht geschrieben werden.");
    QTest::newRow("target is a folder") << both << QStringLiteral("sicherung") << 1
                                        << QStringLiteral("Die Datei \"%1\" kann nicht geschrieben werden.");
}

void tst_cli::reportRefusals() {
    QFETCH(QStringList, files);
    QFETCH(QString, target);
    QFETCH(int, exitCode);
    QFETCH(QString, message);
    const QString folder = m_work->filePath(QStringLiteral("sicherung"));
    QVERIFY(QDir().mkpath(folder));
    for (const QString& file : files) {
        const QByteArray bytes =
            file == QStringLiteral("trans.dat") ? transponderRecords() : moduleRecord("Tor", 0x12);
        QVERIFY(testsupport::writeFile(QDir(folder).filePath(file), bytes));
    }
    const QString path = m_work->filePath(target);

    QCOMPARE(m_site->run({QStringLiteral("report"), folder, QStringLiteral("--text"), path}), exitCode);

    QCOMPARE(m_site->out, QStringList());
    QCOMPARE(m_site->err, expectedLines(message, path));
    QVERIFY(!QFileInfo(path).isFile());
}

void tst_cli::reportFromAControllerThatRefuses_data() {
    QTest::addColumn<Fault>("fault");
    QTest::addColumn<QString>("message");
    QTest::addColumn<QByteArray>("transponders"); // the controller's table; empty: as it is

    QTest::newRow("file access refused")
        << Fault([](sim::ControllerConfig& c) { c.command.refuseFileAccess = true; }) << expected::kLoadAccess
        << QByteArray();
    QTest::newRow("FTP login refused") << Fault([](sim::ControllerConfig& c) { c.ftp.refuseLogin = true; })
                                       << expected::kRetry << QByteArray();
    QTest::newRow("transponder table refused")
        << Fault([](sim::ControllerConfig& c) { c.ftp.missingFiles = {QStringLiteral("trans.dat")}; })
        << expected::kLoadFailed << QByteArray();
    QTest::newRow("transponder table 5 bytes short")
        << Fault([](sim::ControllerConfig&) {})
        << QStringLiteral(
               "\"trans.dat\" enthielt 84 überzählige Bytes, die nicht gelesen wurden. Es wurde keine "
               "Übersicht geschrieben.")
        << transponderRecords().chopped(5);
}

// The window's "Konfiguration laden" says why not; the script hears the same, and the report it had stays.
void tst_cli::reportFromAControllerThatRefuses() {
    QFETCH(Fault, fault);
    QFETCH(QString, message);
    QFETCH(QByteArray, transponders);
    fault(m_site->controller(0).config());
    QVERIFY(m_site->start());
    if (!transponders.isEmpty())
        QVERIFY(testsupport::writeFile(m_site->controller(0).dataFile(QStringLiteral("trans.dat")),
                                       transponders));
    const QString target = m_work->filePath(QStringLiteral("bericht.csv"));
    QVERIFY(testsupport::writeFile(target, "alter Inhalt"));

    QCOMPARE(
        m_site->run({QStringLiteral("report"), QStringLiteral("12AB3"), QStringLiteral("--csv"), target}), 1);

    QCOMPARE(m_site->out, QStringList());
    QCOMPARE(m_site->err, QStringList({label(0) + QStringLiteral(": ") + message}));
    QCOMPARE(testsupport::readFile(target), QByteArray("alter Inhalt"));
}

void tst_cli::logExportDeletesOnlyAfterACompleteExport_data() {
    QTest::addColumn<QByteArray>("logbook");
    QTest::addColumn<QString>("target");
    QTest::addColumn<bool>("growsMeanwhile");
    QTest::addColumn<int>("exitCode");
    QTest::addColumn<QByteArray>("exported"); // empty: no file
    QTest::addColumn<QString>("message");     // the error line, empty when there is none
    QTest::addColumn<int>("ringCount");       // with ringPosition what the controller reports; -1: the file's
    QTest::addColumn<int>("ringPosition");

    const QByteArray three = logRecord(1, 2, 30) + logRecord(2, 1, 31) + logRecord(1, 0, 32);
    const QByteArray threeLines =
        "01.02.24;08:15:30;Anmeldung;Anmeldung erfolgreich;Tor;1A;M\xFCller;12345;\r\n"
        "01.02.24;08:15:31;Sabotage;Sabotiertes Modul gesperrt;Tor;1A;;;\r\n"
        "01.02.24;08:15:32;Anmeldung;Transponder nicht gefunden;Tor;1A;;12345;\r\n";
    const QString file = QStringLiteral("export.txt");
    QTest::newRow("complete: deleted") << three << file << false << 0 << threeLines << QString() << -1 << -1;
    QTest::newRow("export fails: kept")
        << three << QStringLiteral("fehlt/export.txt") << false << 1 << QByteArray()
        << label(0) + QStringLiteral(": Die Datei \"%1\" kann nicht geschrieben werden.") << -1 << -1;
    QTest::newRow("new entry since the read: kept")
        << three << file << true << 1 << threeLines
        << label(0) + QStringLiteral(": Das Logbuch wurde nicht gelöscht: Seit dem Lesen sind neue Einträge "
                                     "hinzugekommen. Der nächste Export enthält sie.")
        << -1 << -1;
    QTest::newRow("export stops at an n/a entry: kept")
        << logRecord(1, 2, 30) + logRecord(0, 0, 31) + logRecord(1, 0, 32) << file << false << 1
        << QByteArray("01.02.24;08:15:30;Anmeldung;Anmeldung erfolgreich;Tor;1A;M\xFCller;12345;\r\n")
        << label(0) +
               QStringLiteral(": Das Logbuch wurde nicht gelöscht: Der Export enthält nur 1 von 3 Einträgen.")
        << -1 << -1;
    // A wrapped ring whose copy ends 30 bytes into slot 1000: 563 records could be read, 937 not.
    QByteArray cutShort;
    for (int i = 0; i < 1000; ++i)
        cutShort += logRecord(1, 2, static_cast<std::uint8_t>(i % 60));
    cutShort += QByteArray(30, '\x01');
    QTest::newRow("ring cut off within a record: kept")
        << cutShort << file << false << 1 << QByteArray()
        << label(0) + QStringLiteral(": Error seeking in logfile.") << 1500 << 437;
}

void tst_cli::logExportDeletesOnlyAfterACompleteExport() {
    QFETCH(QByteArray, logbook);
    QFETCH(QString, target);
    QFETCH(bool, growsMeanwhile);
    QFETCH(int, exitCode);
    QFETCH(QByteArray, exported);
    QFETCH(QString, message);
    QFETCH(int, ringCount);
    QFETCH(int, ringPosition);
    QVERIFY(m_site->start());
    sim::SimController& controller = m_site->controller(0);
    QVERIFY(testsupport::writeFile(controller.dataFile(QStringLiteral("kelvora.log")), logbook));
    QFile::remove(controller.dataFile(QStringLiteral("kelvora.ring")));
    controller.config().command.logCount = ringCount;
    controller.config().command.logPosition = ringPosition;
    if (growsMeanwhile) {
        m_site->onStep = [&controller](const QString& step) {
            if (step.startsWith(QStringLiteral("Löschen des Logbuchs")))
                controller.config().command.logCount = 4;
        };
    }
    const QString path = m_work->filePath(target);

    QCOMPARE(m_site->run({QStringLiteral("log"), QStringLiteral("127.0.0.2"), QStringLiteral("--export"),
                          path, QStringLiteral("--delete-after")}),
             exitCode);

    QCOMPARE(testsupport::readFile(path), exported);
    QCOMPARE(m_site->err, expectedLines(message, path));
    const bool deleted = exitCode == 0;
    QCOMPARE(m_site->sawEvent(0, QStringLiteral("log deleted")), deleted);
    QCOMPARE(m_site->sawEvent(0, QStringLiteral("command 107")), deleted);
    QCOMPARE(testsupport::readFile(controller.dataFile(QStringLiteral("kelvora.log"))).isEmpty(), deleted);
}

void tst_cli::siteFileMergedWithTheSearch_data() {
    QTest::addColumn<bool>("fromEnvironment");
    QTest::newRow("--site") << false;
    QTest::newRow("KELVORA_SITE") << true;
}

// Four controllers: three answer the broadcast, the fourth only a search sent to its address. The site
// file lists the fourth, one the search finds anyway, and one that answers nothing.
void tst_cli::siteFileMergedWithTheSearch() {
#ifdef Q_OS_WIN
    QSKIP("Windows (Wine) refuses a second socket on the search port at another loopback address");
#endif
    QFETCH(bool, fromEnvironment);
    m_site = std::make_unique<Site>(4);
    m_site->directOnly = &m_site->controller(3);
    QVERIFY(m_site->start());
    const QString path = m_work->filePath(QStringLiteral("standort.txt"));
    QVERIFY(testsupport::writeFile(path, "# Standort Nord\n"
                                         "127.0.0.5\n"
                                         "127.0.0.3   12ab4   Lager Tor 2\r\n"
                                         "\n"
                                         "127.0.0.99  12AC0   Pforte Süd  \n"));
    QStringList site = {QStringLiteral("--site"), path};
    if (fromEnvironment) {
        qputenv("KELVORA_SITE", path.toLocal8Bit());
        site.clear();
    }
    const QString unanswered = QStringLiteral("12AC0 Pforte Süd (127.0.0.99)");

    QCOMPARE(m_site->run(QStringList({QStringLiteral("find")}) + site), 1);
    QCOMPARE(m_site->out, QStringList({
                              QStringLiteral("12AB3 0 127.0.0.2 255.255.255.0 127.0.0.1 Haupteingang"),
                              QStringLiteral("12AB4 0 127.0.0.3 255.255.255.0 127.0.0.1 Lager Tor 2"),
                              QStringLiteral("12AB5 0 127.0.0.4 255.255.255.0 127.0.0.1 Büro"),
                              QStringLiteral("12AB6 0 127.0.0.5 255.255.255.0 127.0.0.1 Tor 4"),
                          }));
    QCOMPARE(m_site->err, QStringList({unanswered + QStringLiteral(": antwortet nicht auf die Suche.")}));

    const QString root = m_work->filePath(QStringLiteral("sicherung"));
    QCOMPARE(m_site->run(QStringList({QStringLiteral("backup"), QStringLiteral("--all"), root}) + site), 1);
    QCOMPARE(m_site->out.last(), QStringLiteral("Zusammenfassung: 4 von 5 Kelvora compact gesichert. "
                                                "Fehlgeschlagen: ") +
                                     unanswered);
    QCOMPARE(m_site->err,
             QStringList({unanswered + QStringLiteral(": ") + cli::ConsoleText(ops::kConnectionFailedText)}));
    QStringList folders;
    for (const QString& folder : foldersWith(root, QStringLiteral("trans.dat")))
        folders << folder.mid(root.size()).section(QLatin1Char('/'), 1, 1);
    QCOMPARE(folders, QStringList({QStringLiteral("12AB3-Haupteingang"), QStringLiteral("12AB4-Lager Tor 2"),
                                   QStringLiteral("12AB5-Büro"), QStringLiteral("12AB6-Tor 4")}));
    // The controller found by the search and listed as well got one session, not two.
    QCOMPARE(m_site->controller(1).events().count(QStringLiteral("connected")), 1);
    qunsetenv("KELVORA_SITE");
}

void tst_cli::siteFileLines_data() {
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<QStringList>("controllers"); // "address|serial|name"

    QTest::newRow("address only") << QByteArray("10.20.0.15\n")
                                  << QStringList({QStringLiteral("10.20.0.15|0|")});
    QTest::newRow("serial and a name with spaces")
        << QByteArray("  10.20.0.15\t12ab7   Lager  Nord \r\n")
        << QStringList({QStringLiteral("10.20.0.15|12AB7|Lager  Nord")});
    QTest::newRow("a name without a serial")
        << QByteArray("10.20.0.16 - Tor") << QStringList({QStringLiteral("10.20.0.16|0|Tor")});
    QTest::newRow("comments and empty lines")
        << QByteArray("# Nord\n\n   # eingerückt\n10.20.0.15 12AB7\n10.20.0.16\n")
        << QStringList({QStringLiteral("10.20.0.15|12AB7|"), QStringLiteral("10.20.0.16|0|")});
    QTest::newRow("a name cut to 40 characters")
        << QByteArray("10.20.0.15 1 ") + QByteArray(45, 'x')
        << QStringList({QStringLiteral("10.20.0.15|1|") + QString(40, QLatin1Char('x'))});
    QTest::newRow("empty file") << QByteArray() << QStringList();
}

void tst_cli::siteFileLines() {
    QFETCH(QByteArray, text);
    QFETCH(QStringList, controllers);
    std::vector<cli::SiteController> parsed;
    QString error;
    QVERIFY2(cli::ParseSiteFile(text, parsed, &error), qPrintable(error));
    QStringList seen;
    for (const cli::SiteController& c : parsed)
        seen << QStringLiteral("%1|%2|%3").arg(c.address, QString::number(c.serial, 16).toUpper(), c.name);
    QCOMPARE(seen, controllers);
}

void tst_cli::siteFileRefused_data() {
    QTest::addColumn<QByteArray>("text"); // the file's content; empty: no file
    QTest::addColumn<QString>("message"); // %1: the file's path

    // The path stays %1 for the test to fill in.
    const auto line = [](int n) {
        return QStringLiteral("Standortdatei \"%1\", Zeile ") + QString::number(n) + QStringLiteral(": ");
    };
    const QString notAnAddress =
        QStringLiteral("\"%1\" ist keine IP-Adresse (erwartet werden IP-Adresse, Seriennummer und Name; die "
                       "beiden letzten dürfen fehlen).");
    const QString notASerial =
        QStringLiteral("\"%1\" ist keine Seriennummer (hexadezimal, oder \"-\" für keine).");
    QTest::newRow("a name for an address")
        << QByteArray("lager.local 12AB3\n") << line(1) + notAnAddress.arg(QStringLiteral("lager.local"));
    QTest::newRow("an octet beyond 255 after a comment")
        << QByteArray("# Nord\n\n10.20.0.256\n") << line(3) + notAnAddress.arg(QStringLiteral("10.20.0.256"));
    QTest::newRow("serial not hexadecimal") << QByteArray("10.20.0.15\n10.20.0.16 12XB3 Tor\n")
                                            << line(2) + notASerial.arg(QStringLiteral("12XB3"));
    QTest::newRow("serial 0") << QByteArray("10.20.0.15 0\n")
                              << line(1) + notASerial.arg(QStringLiteral("0"));
    QTest::newRow("address twice") << QByteArray("10.20.0.15\n10.20.0.15 12AB3\n")
                                   << line(2) + QStringLiteral("die Adresse 10.20.0.15 steht doppelt.");
    QTest::newRow("serial twice") << QByteArray("10.20.0.15 12ab3\n10.20.0.16 012AB3\n")
                                  << line(2) + QStringLiteral("die Seriennummer 012AB3 steht doppelt.");
    QTest::newRow("no file") << QByteArray()
                             << QStringLiteral("Die Standortdatei \"%1\" ist nicht vorhanden.");
}

// A line that is not a controller ends the command before anything is sent.
void tst_cli::siteFileRefused() {
    QFETCH(QByteArray, text);
    QFETCH(QString, message);
    QVERIFY(m_site->start());
    const QString path = m_work->filePath(QStringLiteral("standort.txt"));
    if (!text.isEmpty())
        QVERIFY(testsupport::writeFile(path, text));

    for (const QStringList& arguments :
         {QStringList({QStringLiteral("find")}),
          QStringList({QStringLiteral("info"), QStringLiteral("12AB3")}),
          QStringList({QStringLiteral("backup"), QStringLiteral("--all"), m_work->path()})}) {
        QCOMPARE(m_site->run(arguments + QStringList({QStringLiteral("--site"), path})), 2);
        QCOMPARE(m_site->out, QStringList());
        QCOMPARE(m_site->err, QStringList({message.arg(QDir::toNativeSeparators(path))}));
    }
    QCOMPARE(m_site->discovery.received().size(), std::size_t(0));
    for (int i = 0; i < Site::kControllers; ++i)
        QVERIFY(!m_site->sawEvent(i, QStringLiteral("connected")));
}

void tst_cli::credentialsFile_data() {
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<int>("mode");
    QTest::addColumn<QString>("host");
    QTest::addColumn<int>("exitCode");
    QTest::addColumn<QString>("message"); // %1: the file's path

    const QByteArray good = "# Zugang\ndefault admin admin\n";
    const QString refused =
        QStringLiteral("Die Zugangsdatei \"%1\" darf nur für ihren Besitzer lesbar sein (Rechte %2). "
                       "Bitte schützen Sie sie mit \"chmod 600 %1\".");
    QTest::newRow("owner only") << good << 0600 << QStringLiteral("12AB3") << 0 << QString();
    QTest::newRow("group readable") << good << 0640 << QStringLiteral("12AB3") << 2
                                    << refused.arg(QStringLiteral("%1"), QStringLiteral("0640"));
    QTest::newRow("others readable") << good << 0604 << QStringLiteral("12AB3") << 2
                                     << refused.arg(QStringLiteral("%1"), QStringLiteral("0604"));
    QTest::newRow("group writable") << good << 0620 << QStringLiteral("12AB3") << 2
                                    << refused.arg(QStringLiteral("%1"), QStringLiteral("0620"));
    QTest::newRow("serial before default") << QByteArray("default admin falsch\n12ab4   admin   admin\r\n")
                                           << 0600 << QStringLiteral("12AB4") << 0 << QString();
    QTest::newRow("default when the serial has no line")
        << QByteArray("default admin falsch\n12AB4 admin admin\n") << 0600 << QStringLiteral("12AB3") << 1
        << label(0) + QStringLiteral(": ") + cli::ConsoleText(ops::kConnectionFailedText);
    QTest::newRow("neither serial nor default")
        << QByteArray("12AB4 admin admin\n") << 0600 << QStringLiteral("12AB3") << 1
        << label(0) + QStringLiteral(": Keine Zugangsdaten für dieses Gerät (kein Eintrag für "
                                     "seine Seriennummer und kein Eintrag \"default\" in %1).");
    QTest::newRow("password with a space")
        << QByteArray("default admin zwei Worte  \n") << 0600 << QStringLiteral("12AB5") << 0 << QString();
    QTest::newRow("line without password")
        << QByteArray("\ndefault admin\n") << 0600 << QStringLiteral("12AB3") << 2
        << QStringLiteral("Zugangsdatei \"%1\", Zeile 2: erwartet werden Seriennummer (oder \"default\"), "
                          "Benutzername und Kennwort.");
    QTest::newRow("NUL in the password")
        << QByteArray("default admin ad\0min\n", 20) << 0600 << QStringLiteral("12AB3") << 2
        << QStringLiteral("Zugangsdatei \"%1\", Zeile 1: Benutzername und Kennwort dürfen kein NUL-Zeichen "
                          "enthalten.");
    QTest::newRow("serial twice")
        << QByteArray("12AB3 a b\n012ab3 c d\n") << 0600 << QStringLiteral("12AB3") << 2
        << QStringLiteral("Zugangsdatei \"%1\", Zeile 2: die Seriennummer 012ab3 steht doppelt.");
}

void tst_cli::credentialsFile() {
#ifdef Q_OS_WIN
    QSKIP("Windows keeps a file's rights in its access list: QFile::setPermissions sets only the read-only "
          "flag, so this test cannot make a file of its owner's only");
#endif
    QFETCH(QByteArray, text);
    QFETCH(int, mode);
    QFETCH(QString, host);
    QFETCH(int, exitCode);
    QFETCH(QString, message);
    m_site->controller(2).config().command.password = QStringLiteral("zwei Worte");
    QVERIFY(m_site->start());
    qputenv("KELVORA_PASSWORD", "falsch"); // the file's entries count, not the environment
    QFile::Permissions permissions;
    const QFile::Permission bits[] = {QFile::ReadOwner, QFile::WriteOwner, QFile::ExeOwner,
                                      QFile::ReadGroup, QFile::WriteGroup, QFile::ExeGroup,
                                      QFile::ReadOther, QFile::WriteOther, QFile::ExeOther};
    for (int i = 0; i < 9; ++i) {
        if (mode & (0400 >> i))
            permissions |= bits[i];
    }
    const QString path = writeCredentials(*m_work, text, permissions);

    QCOMPARE(m_site->run({QStringLiteral("info"), host, QStringLiteral("--credentials"), path}), exitCode);

    QCOMPARE(m_site->err, expectedLines(message, path));
    if (exitCode == 2) {
        for (int i = 0; i < Site::kControllers; ++i)
            QVERIFY(!m_site->sawEvent(i, QStringLiteral("connected")));
    }
}

void tst_cli::usageErrors_data() {
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QString>("reason");

    const auto row = [](const char* name, const QStringList& arguments, const QString& reason) {
        QTest::newRow(name) << arguments << reason;
    };
    row("nothing", {}, QStringLiteral("Kein Befehl angegeben."));
    row("unknown command", {QStringLiteral("sichern")}, QStringLiteral("Unbekannter Befehl: sichern"));
    row("unknown option", {QStringLiteral("find"), QStringLiteral("--alle")},
        QStringLiteral("Unbekannte Option: --alle"));
    row("option of another command",
        {QStringLiteral("restart"), QStringLiteral("12AB3"), QStringLiteral("--all")},
        QStringLiteral("Unbekannte Option: --all"));
    row("value missing", {QStringLiteral("log"), QStringLiteral("12AB3"), QStringLiteral("--export")},
        QStringLiteral("Die Option --export verlangt einen Wert."));
    row("flag with a value", {QStringLiteral("find"), QStringLiteral("--json=ja")},
        QStringLiteral("Die Option --json hat keinen Wert."));
    row("short option", {QStringLiteral("find"), QStringLiteral("-j")},
        QStringLiteral("Unbekannte Option: -j"));
    row("no operand", {QStringLiteral("backup")}, QStringLiteral("Zu wenige Angaben für \"backup\"."));
    row("too many operands", {QStringLiteral("restart"), QStringLiteral("12AB3"), QStringLiteral("12AB4")},
        QStringLiteral("Zu viele Angaben für \"restart\": 12AB4"));
    row("backup HOST without DIR", {QStringLiteral("backup"), QStringLiteral("12AB3")},
        QStringLiteral("Zu wenige Angaben für \"backup\"."));
    row("backup --all with HOST",
        {QStringLiteral("backup"), QStringLiteral("--all"), QStringLiteral("12AB3"), QStringLiteral("x")},
        QStringLiteral("Mit --all wird kein HOST angegeben: 12AB3"));
    row("jobs out of range",
        {QStringLiteral("backup"), QStringLiteral("--all"), QStringLiteral("--jobs=65"), QStringLiteral("x")},
        QStringLiteral("Ungültiger Wert für --jobs: 65 (erlaubt sind 1 bis 64)."));
    row("jobs not a number",
        {QStringLiteral("log"), QStringLiteral("--all"), QStringLiteral("--jobs"), QStringLiteral("+8"),
         QStringLiteral("--export=x")},
        QStringLiteral("Ungültiger Wert für --jobs: +8 (erlaubt sind 1 bis 64)."));
    row("jobs without --all",
        {QStringLiteral("backup"), QStringLiteral("12AB3"), QStringLiteral("--jobs=2"), QStringLiteral("x")},
        QStringLiteral("--jobs gilt nur mit --all."));
    row("restore from an empty folder name", {QStringLiteral("restore"), QStringLiteral("12AB3"), QString()},
        QStringLiteral("Leere Angabe für \"restore\"."));
    row("backup into an empty folder name", {QStringLiteral("backup"), QStringLiteral("12AB3"), QString()},
        QStringLiteral("Leere Angabe für \"backup\"."));
    row("log without export", {QStringLiteral("log"), QStringLiteral("12AB3")},
        QStringLiteral("Verlangt wird --export DATEI oder --export DIR."));
    row("host neither address nor serial", {QStringLiteral("info"), QStringLiteral("lager.local")},
        QStringLiteral("Kein gültiger HOST: lager.local"));
    row("address out of range", {QStringLiteral("status"), QStringLiteral("127.0.0.256")},
        QStringLiteral("Kein gültiger HOST: 127.0.0.256"));
    row("ipconfig serial", {QStringLiteral("ipconfig"), QStringLiteral("12XB3"), QStringLiteral("--dhcp")},
        QStringLiteral("Keine gültige Seriennummer: 12XB3"));
    row("ipconfig both",
        {QStringLiteral("ipconfig"), QStringLiteral("12AB3"), QStringLiteral("--dhcp"),
         QStringLiteral("--mask=255.0.0.0")},
        QStringLiteral("--dhcp und --mask schließen sich aus."));
    row("ipconfig incomplete",
        {QStringLiteral("ipconfig"), QStringLiteral("12AB3"), QStringLiteral("--ip=10.0.0.5")},
        QStringLiteral("Ohne --dhcp werden --ip, --mask und --gateway verlangt."));
    row("ipconfig address",
        {QStringLiteral("ipconfig"), QStringLiteral("12AB3"), QStringLiteral("--ip=10.0.0"),
         QStringLiteral("--mask=255.0.0.0"), QStringLiteral("--gateway=10.0.0.1")},
        QStringLiteral("Keine gültige Adresse für --ip: 10.0.0"));
    row("report without a target", {QStringLiteral("report"), QStringLiteral("12AB3")},
        QStringLiteral("Verlangt wird --text DATEI oder --csv DATEI."));
    row("report to one file twice",
        {QStringLiteral("report"), QStringLiteral("12AB3"), QStringLiteral("--text=a"),
         QStringLiteral("--csv=a")},
        QStringLiteral("--text und --csv nennen dieselbe Datei."));
    row("report from neither folder nor host",
        {QStringLiteral("report"), QStringLiteral("keine/sicherung"), QStringLiteral("--csv=a")},
        QStringLiteral("Weder ein vorhandener Ordner noch ein gültiger HOST: keine/sicherung"));
    row("no credentials", {QStringLiteral("restart"), QStringLiteral("12AB3")},
        QStringLiteral(
            "Keine Zugangsdaten: Bitte setzen Sie KELVORA_USER und KELVORA_PASSWORD oder geben Sie mit "
            "--credentials eine Zugangsdatei an."));
    row("credentials file missing",
        {QStringLiteral("restart"), QStringLiteral("12AB3"), QStringLiteral("--credentials=/nicht/da")},
        QStringLiteral("Die Zugangsdatei \"%1\" ist nicht vorhanden.")
            .arg(QDir::toNativeSeparators(QStringLiteral("/nicht/da"))));
}

void tst_cli::usageErrors() {
    QFETCH(QStringList, arguments);
    QFETCH(QString, reason);
    QVERIFY(m_site->start());
    qunsetenv("KELVORA_USER");

    QCOMPARE(m_site->run(arguments), 2);

    QCOMPARE(m_site->out, QStringList());
    QCOMPARE(m_site->err.size(), 1);
    QCOMPARE(m_site->err.first().section(QLatin1Char('\n'), 0, 0), reason);
    for (int i = 0; i < Site::kControllers; ++i)
        QVERIFY(!m_site->sawEvent(i, QStringLiteral("connected")));
}

void tst_cli::helpForEverySubcommand() {
    for (const cli::CommandSpec& command : cli::Commands()) {
        QCOMPARE(m_site->run({command.name, QStringLiteral("--help")}), 0);
        QCOMPARE(m_site->out.size(), 1);
        QVERIFY(m_site->out.first().startsWith(QStringLiteral("Aufruf: kelvora-cli ") + command.synopsis));
        QVERIFY(m_site->out.first().contains(
            QStringLiteral("Rückgabewerte: 0 erfolgreich, 1 Operation fehlgeschlagen")));
    }
    QCOMPARE(m_site->run({QStringLiteral("-h")}), 0);
    for (const cli::CommandSpec& command : cli::Commands())
        QVERIFY(m_site->out.first().contains(QStringLiteral("\n  ") + command.name));
}

void tst_cli::programExitCodes() {
    QVERIFY(m_site->start());
    QString discoveryTarget = QStringLiteral("127.0.0.1:%1").arg(m_site->discovery.port());
    const auto run = [&](const QStringList& arguments, QByteArray* out, QByteArray* err) {
        QProcess process;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("KELVORA_DISCOVERY_TARGET"), discoveryTarget);
        environment.insert(QStringLiteral("KELVORA_COMMAND_PORT"),
                           QString::number(m_site->controller(0).config().commandPort));
        environment.insert(QStringLiteral("KELVORA_FTP_PORT"),
                           QString::number(m_site->controller(0).config().ftpPort));
        process.setProcessEnvironment(environment);
        process.start(QStringLiteral(KELVORA_CLI_PATH), arguments);
        // The simulated controllers live in this process: keep its event loop running meanwhile.
        if (!QTest::qWaitFor([&] { return process.state() == QProcess::NotRunning; }, 20000))
            return -1;
        // Windows ends the lines of a console program with CR LF.
        *out = process.readAllStandardOutput().replace("\r\n", "\n");
        *err = process.readAllStandardError().replace("\r\n", "\n");
        return process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    };
    QByteArray out;
    QByteArray err;
    QCOMPARE(run({QStringLiteral("find")}, &out, &err), 0);
    QCOMPARE(out, QByteArray("12AB3 0 127.0.0.2 255.255.255.0 127.0.0.1 Haupteingang\n"
                             "12AB4 0 127.0.0.3 255.255.255.0 127.0.0.1 Lager Tor 2\n"
                             "12AB5 0 127.0.0.4 255.255.255.0 127.0.0.1 B\xC3\xBCro\n"));
    QCOMPARE(err, QByteArray()); // no progress: standard error is no terminal here
    QCOMPARE(run({QStringLiteral("backup"), QStringLiteral("--all")}, &out, &err), 2);
    QCOMPARE(out, QByteArray());
    QVERIFY(err.startsWith("Zu wenige Angaben f\xC3\xBCr \"backup\".\nAufruf: kelvora-cli backup (HOST | "
                           "--all [--jobs N]) DIR\n"));
    QCOMPARE(run({QStringLiteral("restart"), QStringLiteral("--help")}, &out, &err), 0);
    QVERIFY(out.startsWith("Aufruf: kelvora-cli restart HOST"));
    QCOMPARE(err, QByteArray());
    // A malformed override stops it before anything is sent, as it stops the window.
    discoveryTarget = QStringLiteral("127.0.0.1");
    const std::size_t searchesBefore = m_site->discovery.received().size();
    QCOMPARE(run({QStringLiteral("find")}, &out, &err), 2);
    QCOMPARE(out, QByteArray());
    QVERIFY(err.startsWith("Die Umgebungsvariable KELVORA_DISCOVERY_TARGET hat den ung\xC3\xBCltigen Wert"));
    QCOMPARE(m_site->discovery.received().size(), searchesBefore);
}

QTEST_GUILESS_MAIN(tst_cli)
#include "tst_cli.moc"
