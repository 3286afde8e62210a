// kelvora-cli's transponder lists and comparisons against a simulated controller on loopback: export and
// import (into the controller and into a backup folder), the dry run, a refused list, a failed save that
// puts the tables back, and diff with its exit codes.

#include "cli/Run.h"
#include "data/DeviceEntry.h"
#include "data/TableFiles.h"
#include "data/TransponderList.h"
#include "device/NetworkTargets.h"
#include "ops/ListImport.h"
#include "sim/DiscoveryService.h"
#include "sim/SimController.h"
#include "support/SessionTimings.h"
#include "support/TestSupport.h"

#include <QDir>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

#include <memory>
#include <optional>

namespace {

// One controller on 127.0.0.2 with the demo tables, found by a search on 127.0.0.1.
struct Rig {
    Rig() {
        sim::ControllerConfig config;
        config.address = QHostAddress(QStringLiteral("127.0.0.2"));
        config.ip = QStringLiteral("127.0.0.2");
        config.commandPort = 0;
        config.ftpPort = 0;
        config.serial = 0x12AB3;
        config.name = QStringLiteral("Haupteingang");
        controller = std::make_unique<sim::SimController>(config);
    }

    bool start() {
        if (!controller->start())
            return false;
        // A hundred of the demo transponders: room for new ones below the limit of 1000.
        const QString trans = controller->dataFile(QStringLiteral("trans.dat"));
        if (!testsupport::writeFile(trans, testsupport::readFile(trans).left(100 * 89)))
            return false;
        discovery.addController(controller.get());
        if (!discovery.listen(QHostAddress(QStringLiteral("127.0.0.1")), 0))
            return false;
        NetworkTargets targets;
        targets.discoveryAddress = QHostAddress(QStringLiteral("127.0.0.1"));
        targets.discoveryPort = discovery.port();
        targets.commandPort = controller->config().commandPort;
        targets.ftpPort = controller->config().ftpPort;
        SetTargets(targets);
        return true;
    }

    int run(const QStringList& arguments) {
        out.clear();
        err.clear();
        cli::Console console;
        console.out = [this](const QString& line) { out << line; };
        console.err = [this](const QString& line) { err << line; };
        return cli::Run(arguments, console);
    }

    QByteArray stored(const QString& name) const { return testsupport::readFile(controller->dataFile(name)); }
    // The controller's tables as an entry.
    void tables(TDeviceEntry& entry) const {
        ReadTableFile(controller->dataFile(QStringLiteral("module.dat")), entry.Modules);
        ReadTableFile(controller->dataFile(QStringLiteral("trans.dat")), entry.Transponders);
    }
    bool saw(const QString& prefix) const {
        return std::any_of(controller->events().begin(), controller->events().end(),
                           [&](const QString& line) { return line.startsWith(prefix); });
    }
    qsizetype count(const QString& line) const { return controller->events().count(line); }

    std::unique_ptr<sim::SimController> controller;
    sim::DiscoveryService discovery;
    QStringList out;
    QStringList err;
};

const QString kHost = QStringLiteral("127.0.0.2");

QByteArray bytesOf(const RecordList<TTransponderEntry>& records) {
    QByteArray bytes;
    for (const auto& r : records)
        bytes.append(reinterpret_cast<const char*>(r.get()), sizeof(TTransponderEntry));
    return bytes;
}

// The export with the second transponder's Monday changed and one transponder added at the end.
QByteArray edited(const QByteArray& list) {
    QList<QByteArray> lines = list.split('\n');
    QList<QByteArray> cells = lines[2].split(';');
    cells[5] = "08-17";
    lines[2] = cells.join(';');
    lines.insert(lines.size() - 1, "Neu Person;ABCDEF01;bin\xE4r;JA;0100 Haupteingang;;;;;;;;\r");
    return lines.join('\n');
}

} // namespace

class tst_cli_lists : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void init();
    void cleanup();

    void exportThenImportChangesNothing();
    void importSavesAndActivates();
    void dryRunSendsNothingThatChanges();
    void refusedListChangesNothing();
    void failedSavePutsTheTablesBack();
    void importIntoABackupFolder();
    void diffExitCodes();
    void usage_data();
    void usage();
    void programExitCodes();

private:
    std::optional<SessionTimings> m_timings;
    std::unique_ptr<Rig> m_rig;
    std::unique_ptr<QTemporaryDir> m_work;
    QString path(const QString& name) const { return m_work->filePath(name); }
};

void tst_cli_lists::init() {
    qputenv("KELVORA_USER", "admin");
    qputenv("KELVORA_PASSWORD", "admin");
    m_timings.emplace(20);
    m_rig = std::make_unique<Rig>();
    m_work = std::make_unique<QTemporaryDir>();
    QVERIFY(m_rig->start());
}

void tst_cli_lists::cleanup() {
    m_rig.reset();
    m_work.reset();
    m_timings.reset();
}

void tst_cli_lists::exportThenImportChangesNothing() {
    const QByteArray before = m_rig->stored(QStringLiteral("trans.dat"));
    QCOMPARE(m_rig->run({QStringLiteral("transponders"), QStringLiteral("export"), kHost, path("liste.csv")}),
             0);
    TDeviceEntry tables;
    m_rig->tables(tables);
    QCOMPARE(testsupport::readFile(path("liste.csv")), translist::ListFile(tables));
    QCOMPARE(m_rig->out,
             QStringList({QStringLiteral("Die Transponderliste wurde gespeichert (100 Transponder). "
                                         "Datei: ") +
                          QDir::toNativeSeparators(path("liste.csv"))}));
    QCOMPARE(m_rig->run({QStringLiteral("transponders"), QStringLiteral("import"), kHost, path("liste.csv"),
                         QStringLiteral("--remove-missing"), QStringLiteral("--activate")}),
             0);
    QCOMPARE(m_rig->out,
             QStringList({QStringLiteral("12AB3 Haupteingang (127.0.0.2): Die Transponderliste ändert "
                                         "nichts an den Transpondern; es wurde nichts gespeichert.")}));
    QVERIFY(!m_rig->saw(QStringLiteral("ftp STOR")));
    QVERIFY(!m_rig->saw(QStringLiteral("activate")));
    QCOMPARE(m_rig->stored(QStringLiteral("trans.dat")), before);
}

void tst_cli_lists::importSavesAndActivates() {
    QCOMPARE(m_rig->run({QStringLiteral("transponders"), QStringLiteral("export"), kHost, path("liste.csv")}),
             0);
    testsupport::writeFile(path("neu.csv"), edited(testsupport::readFile(path("liste.csv"))));
    TDeviceEntry tables;
    m_rig->tables(tables);
    ops::ImportPlan expected = ops::PlanImport(tables, translist::ReadListFile(path("neu.csv")));
    QVERIFY(expected.ok());
    const QString second = expected.changed.at(0).label;

    QCOMPARE(m_rig->run({QStringLiteral("transponders"), QStringLiteral("import"), kHost, path("neu.csv"),
                         QStringLiteral("--activate")}),
             0);
    QCOMPARE(m_rig->out.value(0),
             QStringLiteral("12AB3 Haupteingang (127.0.0.2): Die Transponderliste wurde "
                            "übernommen. Neu: 1, geändert: 1, entfernt: 0, unverändert: 99. "
                            "Die Konfiguration wurde aktiviert."));
    QCOMPARE(m_rig->out.mid(1), QStringList({QStringLiteral("Neu: Neu Person (ABCDEF01)"),
                                             QStringLiteral("Geändert: ") + second +
                                                 QStringLiteral(": Montag: 07-18 → 08-17")}));
    QCOMPARE(m_rig->err, QStringList());
    QCOMPARE(m_rig->count(QStringLiteral("activate phase 1")), 1);
    ops::ApplyImport(tables, expected);
    QCOMPARE(testsupport::hexDump(m_rig->stored(QStringLiteral("trans.dat"))),
             testsupport::hexDump(bytesOf(tables.Transponders)));
}

void tst_cli_lists::dryRunSendsNothingThatChanges() {
    QCOMPARE(m_rig->run({QStringLiteral("transponders"), QStringLiteral("export"), kHost, path("liste.csv")}),
             0);
    testsupport::writeFile(path("neu.csv"), edited(testsupport::readFile(path("liste.csv"))));
    const QByteArray before = m_rig->stored(QStringLiteral("trans.dat"));
    const qsizetype eventsBefore = m_rig->controller->events().size();
    QCOMPARE(m_rig->run({QStringLiteral("transponders"), QStringLiteral("import"), kHost, path("neu.csv"),
                         QStringLiteral("--dry-run"), QStringLiteral("--remove-missing")}),
             0);
    QCOMPARE(m_rig->out.value(0),
             QStringLiteral("12AB3 Haupteingang (127.0.0.2): Neu: 1, geändert: 1, entfernt: 0, "
                            "unverändert: 99. Probelauf: es wurde nichts geändert."));
    QCOMPARE(m_rig->out.size(), 3);
    // Only what reading the tables takes reaches the controller.
    for (const QString& line : m_rig->controller->events().mid(eventsBefore)) {
        QVERIFY2(!line.startsWith(QStringLiteral("ftp STOR")) &&
                     !line.startsWith(QStringLiteral("ftp DELE")) &&
                     !line.startsWith(QStringLiteral("activate")) &&
                     !line.startsWith(QStringLiteral("command 108")),
                 qPrintable(line));
    }
    QCOMPARE(m_rig->stored(QStringLiteral("trans.dat")), before);
}

void tst_cli_lists::refusedListChangesNothing() {
    testsupport::writeFile(path("falsch.csv"),
                           "Name;Transpondercode;Module\r\nAnna;1A2B;Keller\r\nBernd;1A2B;\r\n");
    const QByteArray before = m_rig->stored(QStringLiteral("trans.dat"));
    QCOMPARE(
        m_rig->run({QStringLiteral("transponders"), QStringLiteral("import"), kHost, path("falsch.csv")}), 1);
    QCOMPARE(m_rig->err, QStringList({QStringLiteral(
                             "12AB3 Haupteingang (127.0.0.2): Die Transponderliste kann nicht übernommen "
                             "werden. Es wurde nichts geändert.\nZeile 2, Spalte 3: Module: Unbekanntes "
                             "Modul „Keller“.\nZeile 3, Spalte 2: Transpondercode: Der Code „1A2B“ steht "
                             "schon in Zeile 2.")}));
    QVERIFY(!m_rig->saw(QStringLiteral("ftp STOR")));
    QCOMPARE(m_rig->stored(QStringLiteral("trans.dat")), before);
    // A file that is no list at all is refused before anything is sent.
    testsupport::writeFile(path("bild.csv"), QByteArray("\x89PNG\r\n\x1a\n\0\0\0", 11));
    const qsizetype eventsBefore = m_rig->controller->events().size();
    QCOMPARE(m_rig->run({QStringLiteral("transponders"), QStringLiteral("import"), kHost, path("bild.csv")}),
             1);
    QCOMPARE(m_rig->err,
             QStringList({QStringLiteral("Die Transponderliste kann nicht übernommen werden. Es wurde "
                                         "nichts geändert.\nZeile 3: Die Datei enthält Binärdaten und ist "
                                         "keine Transponderliste.")}));
    QCOMPARE(m_rig->controller->events().size(), eventsBefore);
}

void tst_cli_lists::failedSavePutsTheTablesBack() {
    QCOMPARE(m_rig->run({QStringLiteral("transponders"), QStringLiteral("export"), kHost, path("liste.csv")}),
             0);
    testsupport::writeFile(path("neu.csv"), edited(testsupport::readFile(path("liste.csv"))));
    const QByteArray before = m_rig->stored(QStringLiteral("trans.dat"));
    // The first upload of "trans.dat" breaks off after a few bytes; the next goes through.
    int uploads = 0;
    sim::SimController& controller = *m_rig->controller;
    connect(&controller, &sim::SimController::eventLogged, this, [&](const QString& line) {
        if (line == QStringLiteral("ftp STOR trans.dat"))
            ++uploads;
        if (line.startsWith(QStringLiteral("ftp STOR ")))
            controller.config().ftp.dropDataAfterBytes =
                line.endsWith(QStringLiteral("trans.dat")) && uploads == 1 ? 100 : -1;
    });
    QCOMPARE(m_rig->run({QStringLiteral("transponders"), QStringLiteral("import"), kHost, path("neu.csv"),
                         QStringLiteral("--activate")}),
             1);
    QCOMPARE(m_rig->err,
             QStringList({QStringLiteral("12AB3 Haupteingang (127.0.0.2): Die Konfiguration Ihres "
                                         "Kelvora compact konnte nicht gespeichert werden. Die vorherigen "
                                         "Tabellen wurden wieder gespeichert.")}));
    QCOMPARE(uploads, 2);
    QVERIFY(!m_rig->saw(QStringLiteral("activate")));
    QCOMPARE(m_rig->stored(QStringLiteral("trans.dat")), before);
}

void tst_cli_lists::importIntoABackupFolder() {
    QDir().mkpath(path("sicherung"));
    testsupport::writeFile(path("sicherung/module.dat"), m_rig->stored(QStringLiteral("module.dat")));
    testsupport::writeFile(path("sicherung/trans.dat"), m_rig->stored(QStringLiteral("trans.dat")));
    QCOMPARE(m_rig->run({QStringLiteral("transponders"), QStringLiteral("export"), path("sicherung"),
                         path("liste.csv")}),
             0);
    // The first two transponders, the second changed, and a new one.
    const QList<QByteArray> lines = edited(testsupport::readFile(path("liste.csv"))).split('\n');
    testsupport::writeFile(path("neu.csv"), lines[0] + '\n' + lines[1] + '\n' + lines[2] + '\n' +
                                                lines[lines.size() - 2] + '\n');
    const qsizetype eventsBefore = m_rig->controller->events().size();
    QCOMPARE(m_rig->run({QStringLiteral("transponders"), QStringLiteral("import"), path("sicherung"),
                         path("neu.csv"), QStringLiteral("--remove-missing")}),
             0);
    QCOMPARE(m_rig->out.value(0),
             QStringLiteral("Die Transponderliste wurde übernommen. Neu: 1, geändert: 1, "
                            "entfernt: 98, unverändert: 1."));
    TDeviceEntry folder;
    ReadTableFile(path("sicherung/trans.dat"), folder.Transponders);
    QCOMPARE(folder.Transponders.size(), 3u);
    QCOMPARE(m_rig->controller->events().size(), eventsBefore); // no controller asked
    QCOMPARE(testsupport::readFile(path("sicherung/module.dat")),
             m_rig->stored(QStringLiteral("module.dat")));
}

void tst_cli_lists::diffExitCodes() {
    QDir().mkpath(path("sicherung"));
    testsupport::writeFile(path("sicherung/module.dat"), m_rig->stored(QStringLiteral("module.dat")));
    testsupport::writeFile(path("sicherung/trans.dat"), m_rig->stored(QStringLiteral("trans.dat")));
    QCOMPARE(m_rig->run({QStringLiteral("diff"), kHost, path("sicherung")}), 0);
    QCOMPARE(m_rig->out, QStringList({QStringLiteral("Keine Unterschiede.")}));

    QCOMPARE(m_rig->run({QStringLiteral("transponders"), QStringLiteral("export"), kHost, path("liste.csv")}),
             0);
    testsupport::writeFile(path("neu.csv"), edited(testsupport::readFile(path("liste.csv"))));
    QCOMPARE(m_rig->run({QStringLiteral("diff"), path("sicherung"), path("liste.csv")}), 0);
    QCOMPARE(m_rig->run({QStringLiteral("diff"), path("sicherung"), path("neu.csv")}), 1);
    QCOMPARE(m_rig->out.size(), 2);
    QCOMPARE(m_rig->out[0], QStringLiteral("Transponder neu: Neu Person (ABCDEF01)"));
    QVERIFY(m_rig->out[1].endsWith(QStringLiteral(": Montag: 07-18 → 08-17")));
    QVERIFY(m_rig->out[1].startsWith(QStringLiteral("Transponder geändert: ")));

    QCOMPARE(m_rig->run({QStringLiteral("diff"), path("neu.csv"), kHost, QStringLiteral("--json")}), 1);
    const QJsonObject json = QJsonDocument::fromJson(m_rig->out.join(QLatin1Char('\n')).toUtf8()).object();
    QCOMPARE(json.value(QStringLiteral("equal")).toBool(true), false);
    QCOMPARE(json.value(QStringLiteral("transponders")).toObject().value(QStringLiteral("removed")).toArray(),
             QJsonArray({QStringLiteral("Neu Person (ABCDEF01)")}));
    QCOMPARE(json.value(QStringLiteral("modules")).toObject().value(QStringLiteral("changed")).toArray(),
             QJsonArray());

    // A module changed in the backup: named by address, field by field.
    QByteArray modules = m_rig->stored(QStringLiteral("module.dat"));
    modules[24] = 15; // the first module's pull-in time, 1000 ms before
    testsupport::writeFile(path("sicherung/module.dat"), modules);
    QCOMPARE(m_rig->run({QStringLiteral("diff"), kHost, path("sicherung")}), 1);
    QCOMPARE(m_rig->out,
             QStringList({QStringLiteral("Modul geändert: Haupteingang (0100): Relaisanzugszeit: 1000 ms "
                                         "→ 1500 ms")}));
}

void tst_cli_lists::usage_data() {
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QString>("reason");
    QTest::newRow("two lists") << QStringList(
                                      {QStringLiteral("diff"), QStringLiteral("@a"), QStringLiteral("@a")})
                               << QStringLiteral(
                                      "Eine Seite muss ein Gerät oder ein Sicherungsordner sein: eine "
                                      "Transponderliste wird mit dessen Modulen gelesen.");
    QTest::newRow("nothing of the kind")
        << QStringList({QStringLiteral("diff"), QStringLiteral("/nicht/da"), kHost})
        << QStringLiteral("Weder ein Ordner, eine Datei noch ein gültiger HOST: /nicht/da");
    QTest::newRow("neither export nor import")
        << QStringList(
               {QStringLiteral("transponders"), QStringLiteral("zeigen"), kHost, QStringLiteral("x.csv")})
        << QStringLiteral("Erwartet wird \"export\" oder \"import\": zeigen");
    QTest::newRow("export with an import option")
        << QStringList({QStringLiteral("transponders"), QStringLiteral("export"), kHost,
                        QStringLiteral("x.csv"), QStringLiteral("--dry-run")})
        << QStringLiteral("--dry-run gilt nur für \"import\".");
    QTest::newRow("dry run and activate")
        << QStringList({QStringLiteral("transponders"), QStringLiteral("import"), kHost,
                        QStringLiteral("x.csv"), QStringLiteral("--dry-run"), QStringLiteral("--activate")})
        << QStringLiteral("--dry-run und --activate schließen einander aus.");
    QTest::newRow("too few") << QStringList({QStringLiteral("transponders"), QStringLiteral("import"), kHost})
                             << QStringLiteral("Zu wenige Angaben für \"transponders\".");
}

void tst_cli_lists::usage() {
    QFETCH(QStringList, arguments);
    QFETCH(QString, reason);
    testsupport::writeFile(path("a.csv"), "Transpondercode\r\n");
    arguments.replaceInStrings(QStringLiteral("@a"), path("a.csv"));
    const qsizetype eventsBefore = m_rig->controller->events().size();
    QCOMPARE(m_rig->run(arguments), 2);
    QCOMPARE(m_rig->out, QStringList());
    QVERIFY2(m_rig->err.value(0).startsWith(reason + QLatin1Char('\n')), qPrintable(m_rig->err.value(0)));
    QCOMPARE(m_rig->controller->events().size(), eventsBefore);
}

void tst_cli_lists::programExitCodes() {
    // The program itself: 0 equal, 1 different, 2 usage.
    QDir().mkpath(path("sicherung"));
    testsupport::writeFile(path("sicherung/module.dat"), m_rig->stored(QStringLiteral("module.dat")));
    testsupport::writeFile(path("sicherung/trans.dat"), m_rig->stored(QStringLiteral("trans.dat")));
    const auto run = [&](const QStringList& arguments) {
        QProcess process;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("KELVORA_DISCOVERY_TARGET"),
                           QStringLiteral("127.0.0.1:%1").arg(m_rig->discovery.port()));
        environment.insert(QStringLiteral("KELVORA_COMMAND_PORT"),
                           QString::number(m_rig->controller->config().commandPort));
        environment.insert(QStringLiteral("KELVORA_FTP_PORT"),
                           QString::number(m_rig->controller->config().ftpPort));
        process.setProcessEnvironment(environment);
        process.start(QStringLiteral(KELVORA_CLI_PATH), arguments);
        if (!QTest::qWaitFor([&] { return process.state() == QProcess::NotRunning; }, 20000))
            return -1;
        return process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    };
    QCOMPARE(run({QStringLiteral("diff"), kHost, path("sicherung")}), 0);
    QCOMPARE(run({QStringLiteral("transponders"), QStringLiteral("export"), kHost, path("liste.csv")}), 0);
    testsupport::writeFile(path("neu.csv"), edited(testsupport::readFile(path("liste.csv"))));
    QCOMPARE(run({QStringLiteral("diff"), path("sicherung"), path("neu.csv")}), 1);
    QCOMPARE(run({QStringLiteral("diff"), path("sicherung")}), 2);
}

QTEST_GUILESS_MAIN(tst_cli_lists)
#include "tst_cli_lists.moc"
