// Loading, saving and activating a controller's tables as whole operations against a simulated
// controller: what each outcome tells the window (text and icon) and a script (its words, the exit
// status), what the tables and the working copies hold afterwards, and when the callbacks run.

#include "data/DeviceEntry.h"
#include "ops/Configuration.h"
#include "ops/FileOperation.h"
#include "ops/FtpLink.h"
#include "sim/SimController.h"
#include "support/ExpectedTexts.h"
#include "support/PageSite.h"
#include "support/TestSupport.h"

#include <QDir>
#include <QTemporaryDir>
#include <QtTest>

#include <functional>
#include <memory>

using namespace expected;

namespace {

using Fault = std::function<void(PageSite&)>;

// Two modules and three transponders, their bytes varied.
const QByteArray kModules = testsupport::pattern(2 * 40, 1);
const QByteArray kTransponders = testsupport::pattern(3 * 89, 2);

// What an activation reports while it runs, in this order.
const QList<ProgressStep::Kind> kActivationSteps = {ProgressStep::ActivationBegins,
                                                    ProgressStep::ActivationEnded};

} // namespace

Q_DECLARE_METATYPE(Fault)
Q_DECLARE_METATYPE(ops::Outcome)
Q_DECLARE_METATYPE(ops::Notice::Kind)

class tst_ConfigurationOps : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void init();
    void cleanup();

    void loadOutcomes_data();
    void loadOutcomes();
    void saveOutcomes_data();
    void saveOutcomes();
    void activateOutcomes_data();
    void activateOutcomes();
    void downloadLimits_data();
    void downloadLimits();

private:
    void start();
    ops::FtpLink& ftp() { return m_site->host().ftpLink(); }
    TDeviceEntry& entry() { return m_site->entry; }
    // The outcome and the notice for both front ends, as a row names them.
    void checkResult(const ops::Result& result);

    std::unique_ptr<QTemporaryDir> m_copies;
    std::unique_ptr<PageSite> m_site;
};

void tst_ConfigurationOps::init() {
    m_copies = std::make_unique<QTemporaryDir>();
    m_site = std::make_unique<PageSite>();
}

void tst_ConfigurationOps::cleanup() {
    m_site.reset();
    m_copies.reset();
}

void tst_ConfigurationOps::start() {
    QString error;
    QVERIFY2(m_site->start(&error), qPrintable(error));
    QVERIFY(testsupport::writeFile(m_site->controller->dataFile(QStringLiteral("module.dat")), kModules));
    QVERIFY(testsupport::writeFile(m_site->controller->dataFile(QStringLiteral("trans.dat")), kTransponders));
    ftp().setTimeoutMs(400);
}

void tst_ConfigurationOps::checkResult(const ops::Result& result) {
    QFETCH(ops::Outcome, outcome);
    QFETCH(QString, text);
    QFETCH(ops::Notice::Kind, kind);
    QFETCH(QString, script);
    QCOMPARE(result.outcome, outcome);
    QCOMPARE(result.notice.text, text);
    if (!text.isEmpty())
        QCOMPARE(result.notice.kind, kind);
    QCOMPARE(result.notice.scriptText(), script);
    QCOMPARE(result.notice.failed, outcome != ops::Outcome::Ok);
    QCOMPARE(result.notice.exitStatus(), outcome != ops::Outcome::Ok ? 1 : 0);
}

void tst_ConfigurationOps::loadOutcomes_data() {
    QTest::addColumn<Fault>("fault");
    QTest::addColumn<ops::Outcome>("outcome");
    QTest::addColumn<QString>("text"); // the window's; empty: silent
    QTest::addColumn<ops::Notice::Kind>("kind");
    QTest::addColumn<QString>("script");
    QTest::addColumn<bool>("cleared"); // the callback ran and the old tables went
    QTest::addColumn<int>("modules");  // in the entry afterwards
    QTest::addColumn<QStringList>("copies");

    const auto none = [](PageSite&) {};
    QTest::newRow("loaded") << Fault(none) << ops::Outcome::Ok << QString() << ops::Notice::Information
                            << QString() << true << 2 << QStringList();
    QTest::newRow("file access refused")
        << Fault([](PageSite& s) { s.device().command.refuseFileAccess = true; })
        << ops::Outcome::FileAccessRefused << kLoadAccess << ops::Notice::Information << kLoadAccess << false
        << 7 << QStringList();
    QTest::newRow("FTP login refused")
        << Fault([](PageSite& s) { s.device().ftp.refuseLogin = true; }) << ops::Outcome::FtpConnectFailed
        << kRetry << ops::Notice::Warning << kRetry << true << 0 << QStringList();
    QTest::newRow("second download refused")
        << Fault([](PageSite& s) { s.device().ftp.missingFiles = {QStringLiteral("trans.dat")}; })
        << ops::Outcome::TransferFailed << kLoadFailed << ops::Notice::Error << kLoadFailed << true << 0
        << QStringList{QStringLiteral("module_cfg.dat")};
}

void tst_ConfigurationOps::loadOutcomes() {
    QFETCH(Fault, fault);
    QFETCH(bool, cleared);
    QFETCH(int, modules);
    QFETCH(QStringList, copies);
    start();
    // What the tool held before: seven modules with edits.
    for (int i = 0; i < 7; ++i)
        entry().Modules.push_back(std::make_unique<TModuleEntry>());
    entry().Changed = true;
    fault(*m_site);

    int clearings = 0;
    ops::LoadInput input;
    input.copies.folder = m_copies->path();
    input.clearing = [&](TDeviceEntry& cleared) {
        QCOMPARE(&cleared, &entry());
        QCOMPARE(int(cleared.Modules.size()), 7); // still there for whoever lets go of them
        ++clearings;
    };
    const ops::ConfigurationLoad load = ops::LoadConfiguration(entry(), ftp(), input);

    checkResult(load);
    QCOMPARE(clearings, cleared ? 1 : 0);
    QCOMPARE(load.tablesCleared(), cleared);
    QCOMPARE(int(entry().Modules.size()), modules);
    QCOMPARE(int(entry().Transponders.size()), modules == 2 ? 3 : 0);
    QCOMPARE(entry().Changed, !cleared);
    QCOMPARE(load.read.modules.records, qsizetype(modules == 2 ? 2 : 0));
    // The working copies live in the folder the input names, and only while they are needed.
    QCOMPARE(QDir(m_copies->path()).entryList(QDir::Files), copies);
    QVERIFY(!QFile::exists(ops::ModuleCopyPath()));
    QTRY_VERIFY(!m_site->controller->commandService()->hasClient());
}

void tst_ConfigurationOps::saveOutcomes_data() {
    QTest::addColumn<Fault>("fault");
    QTest::addColumn<bool>("answer"); // to the activation question
    QTest::addColumn<ops::Outcome>("outcome");
    QTest::addColumn<QString>("text");
    QTest::addColumn<ops::Notice::Kind>("kind");
    QTest::addColumn<QString>("script");
    QTest::addColumn<bool>("asked");
    QTest::addColumn<bool>("activated");
    QTest::addColumn<QStringList>("copies");

    const auto none = [](PageSite&) {};
    const QStringList both = {QStringLiteral("module_cfg.dat"), QStringLiteral("trans_cfg.dat")};
    QTest::newRow("saved and activated")
        << Fault(none) << true << ops::Outcome::Ok << kDone << ops::Notice::Information << kDone << true
        << true << QStringList();
    QTest::newRow("saved, not activated")
        << Fault(none) << false << ops::Outcome::Ok << kDone << ops::Notice::Information << kDone << true
        << false << QStringList();
    QTest::newRow("file access refused")
        << Fault([](PageSite& s) { s.device().command.refuseFileAccess = true; }) << true
        << ops::Outcome::FileAccessRefused << kSaveAccess << ops::Notice::Information << kSaveAccess << false
        << false << QStringList();
    QTest::newRow("FTP login refused") << Fault([](PageSite& s) { s.device().ftp.refuseLogin = true; })
                                       << true << ops::Outcome::FtpConnectFailed << kRetry
                                       << ops::Notice::Warning << kRetry << false << false << both;
    QTest::newRow("upload stalls") << Fault([](PageSite& s) { s.device().ftp.stallAfterBytes = 10; }) << true
                                   << ops::Outcome::TransferFailed << kSaveFailed << ops::Notice::Error
                                   << kSaveFailed << false << false << both;
}

void tst_ConfigurationOps::saveOutcomes() {
    QFETCH(Fault, fault);
    QFETCH(bool, answer);
    QFETCH(bool, asked);
    QFETCH(bool, activated);
    QFETCH(QStringList, copies);
    start();
    entry().Modules.push_back(std::make_unique<TModuleEntry>());
    entry().Changed = true;
    fault(*m_site);
    m_site->mark();

    int questions = 0;
    QList<ProgressStep::Kind> activation;
    ops::SaveInput input;
    input.copies.folder = m_copies->path();
    input.activate = [&] {
        ++questions;
        // Both files are on the controller already, and the session is still open to activate them.
        [&] { QCOMPARE(m_site->stored(QStringLiteral("module.dat")), QByteArray(40, '\0')); }();
        return answer;
    };
    input.progress = [&](const ProgressStep& step) {
        if (step.kind == ProgressStep::ActivationBegins || step.kind == ProgressStep::ActivationEnded)
            activation << step.kind;
    };
    const ops::ConfigurationSave save = ops::SaveConfiguration(entry(), ftp(), input);

    checkResult(save);
    QCOMPARE(questions, asked ? 1 : 0);
    QCOMPARE(save.activated, activated);
    QCOMPARE(m_site->eventSeen(QStringLiteral("activate phase 0")), activated);
    QCOMPARE(m_site->eventSeen(QStringLiteral("activate phase 1")), activated);
    QCOMPARE(activation, activated ? kActivationSteps : QList<ProgressStep::Kind>());
    QCOMPARE(entry().Changed, !save.ok());
    QCOMPARE(QDir(m_copies->path()).entryList(QDir::Files), copies);
    if (!save.ok() && save.outcome != ops::Outcome::FileAccessRefused)
        QCOMPARE(testsupport::readFile(QDir(m_copies->path()).filePath(QStringLiteral("module_cfg.dat"))),
                 QByteArray(40, '\0'));

    // Working copies that can't be written: nothing reaches the controller.
    if (save.outcome == ops::Outcome::FileAccessRefused) {
        m_site->device().command.refuseFileAccess = false;
        const QString notAFolder = m_copies->filePath(QStringLiteral("Datei"));
        QVERIFY(testsupport::writeFile(notAFolder, "kein Ordner"));
        input.copies.folder = notAFolder;
        m_site->mark();
        const ops::ConfigurationSave unwritten = ops::SaveConfiguration(entry(), ftp(), input);
        QCOMPARE(unwritten.outcome, ops::Outcome::LocalFileFailed);
        QCOMPARE(unwritten.notice.text, kSaveFailed);
        QCOMPARE(unwritten.notice.kind, ops::Notice::Error);
        QVERIFY(unwritten.notice.failed);
        QVERIFY(!m_site->eventSeen(QStringLiteral("ftp STOR module.dat")));
    }
}

void tst_ConfigurationOps::activateOutcomes_data() {
    QTest::addColumn<QString>("password");
    QTest::addColumn<ops::Outcome>("outcome");
    QTest::addColumn<QString>("text");
    QTest::addColumn<ops::Notice::Kind>("kind");
    QTest::addColumn<QString>("script");

    QTest::newRow("activated") << QStringLiteral("admin") << ops::Outcome::Ok << kDone
                               << ops::Notice::Information << kDone;
    QTest::newRow("wrong password") << QStringLiteral("falsch") << ops::Outcome::LoginFailed
                                    << kConnectionFailed << ops::Notice::Error << kConnectionFailed;
}

void tst_ConfigurationOps::activateOutcomes() {
    QFETCH(QString, password);
    QFETCH(ops::Outcome, outcome);
    start();
    entry().Password = password;
    m_site->mark();
    QList<ProgressStep::Kind> steps;
    const ops::Result result =
        ops::ActivateConfiguration(entry(), [&](const ProgressStep& step) { steps << step.kind; });

    checkResult(result);
    const bool ok = outcome == ops::Outcome::Ok;
    // In a session of its own, without asking for file access and without moving files (a keep-alive
    // may come in between): phase 0, then phase 1.
    QStringList commands;
    for (const QString& line : m_site->newEvents()) {
        if (line.startsWith(QLatin1String("command ")) && !line.startsWith(QLatin1String("command 100 ")))
            commands << line.section(QLatin1Char(' '), 0, 1);
        if (line.startsWith(QLatin1String("activate ")))
            commands << line;
        QVERIFY2(!line.startsWith(QLatin1String("ftp ")), qPrintable(line));
    }
    QCOMPARE(commands, ok ? QStringList({QStringLiteral("command 0"), QStringLiteral("command 108"),
                                         QStringLiteral("activate phase 0"), QStringLiteral("command 108"),
                                         QStringLiteral("activate phase 1")})
                          : QStringList{QStringLiteral("command 0")});
    QCOMPARE(steps, ok ? kActivationSteps : QList<ProgressStep::Kind>());
    QTRY_VERIFY(!m_site->controller->commandService()->hasClient());
}

void tst_ConfigurationOps::downloadLimits_data() {
    QTest::addColumn<bool>("infoValid");
    QTest::addColumn<int>("reported"); // the controller's maxima of modules, transponders and entries
    QTest::addColumn<QString>("file");
    QTest::addColumn<qint64>("limit");
    QTest::newRow("modules, no information") << false << 0 << "module.dat" << qint64(2 * 16 * 40);
    QTest::newRow("transponders, no information") << false << 0 << "trans.dat" << qint64(2 * 1000 * 89);
    QTest::newRow("logbook, no information") << false << 0 << "kelvora.log" << qint64(1500 * 63);
    QTest::newRow("smaller maxima reported") << true << 8 << "trans.dat" << qint64(2 * 1000 * 89);
    QTest::newRow("larger maxima: modules") << true << 2000 << "module.dat" << qint64(2 * 2000 * 40);
    QTest::newRow("larger maxima: transponders") << true << 2000 << "trans.dat" << qint64(2 * 2000 * 89);
    QTest::newRow("larger maxima: logbook") << true << 2000 << "kelvora.log" << qint64(2000 * 63);
    QTest::newRow("maxima not valid") << false << 2000 << "trans.dat" << qint64(2 * 1000 * 89);
    QTest::newRow("any other file") << true << 2000 << "firmware.klv" << qint64(0);
}

void tst_ConfigurationOps::downloadLimits() {
    QFETCH(bool, infoValid);
    QFETCH(int, reported);
    QFETCH(QString, file);
    QFETCH(qint64, limit);
    TDeviceEntry entry;
    entry.InfoValid = infoValid;
    entry.Info.setMaxModules(static_cast<std::uint16_t>(reported));
    entry.Info.setMaxTransponders(static_cast<std::uint16_t>(reported));
    entry.Info.setMaxLogEntries(static_cast<std::uint16_t>(reported));
    QCOMPARE(ops::DownloadLimit(entry, file), limit);
}

QTEST_MAIN(tst_ConfigurationOps)
#include "tst_ConfigurationOps.moc"
