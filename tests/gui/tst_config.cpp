#include "device/CommandSocket.h"
#include "device/NetworkTargets.h"
#include "net/FtpClient.h"
#include "ops/ConfigTables.h"
#include "sim/CommandService.h"
#include "sim/DiscoveryService.h"
#include "sim/SimController.h"
#include "support/ExpectedTexts.h"
#include "support/SiteFixture.h"
#include "support/TestSupport.h"
#include "support/WidgetLookup.h"
#include "ui/MainWindow.h"
#include "ui/dialogs/PasswordDialog.h"

#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QStackedWidget>
#include <QStatusBar>
#include <QTreeWidget>
#include <QtTest>

#include <cstring>
#include <memory>

using namespace expected;

namespace {

// Records as a controller might hold them: every byte varied, including the unnamed module word and
// whatever follows a name's terminating zero.
QByteArray moduleFile(int count) {
    QByteArray file(""); // an empty file is still a file
    for (int i = 0; i < count; ++i) {
        QByteArray record = testsupport::pattern(40, i);
        const QByteArray name = QStringLiteral("Modul %1").arg(i).toLatin1();
        std::memcpy(record.data(), name.constData(), static_cast<std::size_t>(name.size()));
        record[name.size()] = '\0';
        file += record;
    }
    return file;
}

QByteArray transponderFile(int count) {
    QByteArray file("");
    for (int i = 0; i < count; ++i) {
        QByteArray record = testsupport::pattern(89, i + 1000);
        const QByteArray name = QStringLiteral("Person %1").arg(i).toLatin1();
        std::memcpy(record.data(), name.constData(), static_cast<std::size_t>(name.size()));
        record[name.size()] = '\0';
        record[30] = static_cast<char>(i % 2 ? 0xFF : 0x00);
        file += record;
    }
    return file;
}

QStringList childCaptions(const QTreeWidgetItem* node) {
    QStringList captions;
    for (int i = 0; node && i < node->childCount(); ++i)
        captions << node->child(i)->text(0);
    return captions;
}

} // namespace

class TestConfig : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void init();
    void cleanup();

    void roundTripIsByteIdentical_data();
    void roundTripIsByteIdentical();
    void emptyFilesWithoutInfo();
    void capacitiesFromInfo();
    void negativeAvailableNotClipped();
    void namesWithAndWithoutZero();
    void failedDownloadLeavesNoTables();
    void ftpConnectFailureWarns();
    void fileAccessRefusedKeepsTables_data();
    void fileAccessRefusedKeepsTables();
    void oldFirmwareSendsNoFileAccess();
    void activationOnYes_data();
    void activationOnYes();
    void uploadFailureKeepsLocalFiles();
    void uploadConnectFailureKeepsLocalFiles();
    void statisticsRecomputedOnPageShow();
    void trailingPartialRecordReported();
    void progressBarFillsAndEmpties();
    void buttonsInTheForm();

private:
    void start(const QByteArray& modules, const QByteArray& transponders);
    void loginAndOpenConfig();
    void load() { Child<QPushButton>(*m_site->window, QStringLiteral("LoadConfig_BTN"))->click(); }
    void saveAnswering(bool activate);
    QTreeWidgetItem* deviceNode() const { return m_site->deviceNode(); }
    TDeviceEntry& entry() const { return m_site->entry(); }
    sim::ControllerConfig& device() { return m_site->controller->config(); }
    QByteArray stored(const QString& name) const {
        return testsupport::readFile(m_site->controller->dataFile(name));
    }
    bool eventSeen(const QString& text) const { return m_site->eventSeen(text); }
    const TDeviceTree& tree() const { return m_site->window->deviceTree(); }
    TFtpClient* ftpClient() const {
        return m_site->window->findChild<TFtpClient*>(QStringLiteral("FtpClient1"));
    }

    std::unique_ptr<SiteFixture> m_site;
};

void TestConfig::init() {
    m_site = std::make_unique<SiteFixture>(0x12AB3, QStringLiteral("Lager"));
}

void TestConfig::cleanup() {
    m_site.reset();
}

void TestConfig::start(const QByteArray& modules, const QByteArray& transponders) {
    QString error;
    QVERIFY2(m_site->startController(&error), qPrintable(error));
    QVERIFY(testsupport::writeFile(m_site->controller->dataFile(QStringLiteral("module.dat")), modules));
    QVERIFY(testsupport::writeFile(m_site->controller->dataFile(QStringLiteral("trans.dat")), transponders));
    QVERIFY(m_site->openWindow());
}

void TestConfig::loginAndOpenConfig() {
    QVERIFY(m_site->login());
    Main_LV(*m_site->window)->setCurrentItem(tree().configNode(entry()));
    QCOMPARE(Main_NB(*m_site->window)->currentIndex(), 5);
}

void TestConfig::saveAnswering(bool activate) {
    m_site->prompter.questionAnswers.push_back(activate);
    Child<QPushButton>(*m_site->window, QStringLiteral("SaveConfig_BTN"))->click();
}

void TestConfig::roundTripIsByteIdentical_data() {
    QTest::addColumn<int>("modules");
    QTest::addColumn<int>("transponders");
    QTest::newRow("0 / 0") << 0 << 0;
    QTest::newRow("1 / 1") << 1 << 1;
    QTest::newRow("16 / 1000") << 16 << 1000;
}

void TestConfig::roundTripIsByteIdentical() {
    QFETCH(int, modules);
    QFETCH(int, transponders);
    const QByteArray moduleBytes = moduleFile(modules);
    const QByteArray transponderBytes = transponderFile(transponders);
    start(moduleBytes, transponderBytes);
    loginAndOpenConfig();
    load();
    QCOMPARE(int(entry().Modules.size()), modules);
    QCOMPARE(int(entry().Transponders.size()), transponders);
    QVERIFY(!QFile::exists(ops::ModuleCopyPath()));
    QVERIFY(!QFile::exists(ops::TransponderCopyPath()));
    QVERIFY(tree().configNode(entry())->isExpanded());
    QVERIFY(Child<QPushButton>(*m_site->window, QStringLiteral("SaveConfig_BTN"))->isEnabled());

    // Let the controller's files change so that the comparison proves an upload.
    QVERIFY(testsupport::writeFile(m_site->controller->dataFile(QStringLiteral("module.dat")), "x"));
    QVERIFY(testsupport::writeFile(m_site->controller->dataFile(QStringLiteral("trans.dat")), "x"));
    saveAnswering(false);
    QCOMPARE(m_site->prompter.messages().join(QLatin1Char('|')),
             QStringList({kActivate, kDone}).join(QLatin1Char('|')));
    QCOMPARE(testsupport::hexDump(stored(QStringLiteral("module.dat"))), testsupport::hexDump(moduleBytes));
    QCOMPARE(stored(QStringLiteral("trans.dat")), transponderBytes);
    QVERIFY(!QFile::exists(ops::ModuleCopyPath()));
    QVERIFY(!QFile::exists(ops::TransponderCopyPath()));
    QVERIFY(!eventSeen(QStringLiteral("activate")));
}

void TestConfig::emptyFilesWithoutInfo() {
    device().command.unansweredCommands = {1}; // no device information at login
    start(QByteArray(""), QByteArray(""));
    loginAndOpenConfig();
    QVERIFY(!entry().InfoValid);
    QCOMPARE(Child<QLabel>(*m_site->window, QStringLiteral("ModulInfo_ST"))->text(), kNotLoaded);
    load();
    QVERIFY(m_site->prompter.messages().isEmpty());
    QCOMPARE(childCaptions(tree().configNode(entry())),
             QStringList({QStringLiteral("Module"), QStringLiteral("Transponder")}));
    QCOMPARE(tree().moduleFolder(entry())->childCount(), 0);
    QCOMPARE(tree().transponderFolder(entry())->childCount(), 0);
    QCOMPARE(nodes::Kind(tree().moduleFolder(entry())), nkModuleFolder);
    QCOMPARE(nodes::Kind(tree().transponderFolder(entry())), nkTransponderFolder);
    QCOMPARE(Child<QLabel>(*m_site->window, QStringLiteral("ModulInfo_ST"))->text(),
             QStringLiteral("Module : 0 Einträge insgesamt. 16 Einträge verfügbar."));
    QCOMPARE(Child<QLabel>(*m_site->window, QStringLiteral("TransInfo_ST"))->text(),
             QStringLiteral("Transponder : 0 Einträge insgesamt. 1000 Einträge verfügbar."));
    QVERIFY(Child<QPushButton>(*m_site->window, QStringLiteral("SaveConfig_BTN"))->isEnabled());
    // Without a valid block no file access is asked for.
    QVERIFY(!eventSeen(QStringLiteral("command 4 ")));

    // Saving empty tables uploads two empty files.
    QVERIFY(testsupport::writeFile(m_site->controller->dataFile(QStringLiteral("module.dat")), "old"));
    saveAnswering(false);
    QCOMPARE(stored(QStringLiteral("module.dat")), QByteArray(""));
    QCOMPARE(stored(QStringLiteral("trans.dat")), QByteArray(""));
}

void TestConfig::capacitiesFromInfo() {
    device().command.maxModules = 50;
    device().command.maxTransponders = 2000;
    start(moduleFile(40), transponderFile(3));
    loginAndOpenConfig();
    load();
    QCOMPARE(Child<QLabel>(*m_site->window, QStringLiteral("ModulInfo_ST"))->text(),
             QStringLiteral("Module : 40 Einträge insgesamt. 10 Einträge verfügbar."));
    QCOMPARE(Child<QLabel>(*m_site->window, QStringLiteral("TransInfo_ST"))->text(),
             QStringLiteral("Transponder : 3 Einträge insgesamt. 1997 Einträge verfügbar."));
}

void TestConfig::negativeAvailableNotClipped() {
    start(moduleFile(20), transponderFile(0));
    loginAndOpenConfig();
    load();
    QCOMPARE(Child<QLabel>(*m_site->window, QStringLiteral("ModulInfo_ST"))->text(),
             QStringLiteral("Module : 20 Einträge insgesamt. -4 Einträge verfügbar."));
}

void TestConfig::namesWithAndWithoutZero() {
    QByteArray modules = moduleFile(2);
    std::memcpy(modules.data(), "ABCDEFGHIJKLMNOPQRST", 20);
    std::memcpy(modules.data() + 40, "Tor 1\0Rest", 10);
    start(modules, transponderFile(1));
    loginAndOpenConfig();
    load();
    QCOMPARE(childCaptions(tree().moduleFolder(entry())),
             QStringList({QStringLiteral("ABCDEFGHIJKLMNOPQRST"), QStringLiteral("Tor 1")}));
    QCOMPARE(childCaptions(tree().transponderFolder(entry())), QStringList{QStringLiteral("Person 0")});
    QCOMPARE(nodes::Module(tree().moduleFolder(entry())->child(1)), entry().Modules.at(1).get());
    QCOMPARE(nodes::Transponder(tree().transponderFolder(entry())->child(0)),
             entry().Transponders.at(0).get());
}

void TestConfig::failedDownloadLeavesNoTables() {
    start(moduleFile(3), transponderFile(3));
    loginAndOpenConfig();
    load();
    QCOMPARE(entry().Modules.size(), std::size_t(3));
    device().ftp.missingFiles = {QStringLiteral("trans.dat")};
    load();
    QCOMPARE(m_site->prompter.messages(), QStringList{kLoadFailed});
    QCOMPARE(m_site->prompter.shown.back().icon, MsgIcon::Error);
    QVERIFY(entry().Modules.empty());
    QVERIFY(entry().Transponders.empty());
    QVERIFY(tree().moduleFolder(entry()) == nullptr);
    QVERIFY(tree().transponderFolder(entry()) == nullptr);
    QCOMPARE(tree().configNode(entry())->childCount(), 0);
    QVERIFY(Child<QPushButton>(*m_site->window, QStringLiteral("SaveConfig_BTN"))->isEnabled());
    QVERIFY(Child<QPushButton>(*m_site->window, QStringLiteral("LoadConfig_BTN"))->isEnabled());
    // The copy downloaded before the failure stays; the failed one never appears.
    QVERIFY(QFile::exists(ops::ModuleCopyPath()));
    QVERIFY(!QFile::exists(ops::TransponderCopyPath()));
}

void TestConfig::ftpConnectFailureWarns() {
    start(moduleFile(1), transponderFile(1));
    loginAndOpenConfig();
    device().ftp.refuseLogin = true;
    load();
    QCOMPARE(m_site->prompter.messages(), QStringList{kRetry});
    QCOMPARE(m_site->prompter.shown.back().icon, MsgIcon::Warning);
    QVERIFY(tree().moduleFolder(entry()) == nullptr);
    QVERIFY(Child<QPushButton>(*m_site->window, QStringLiteral("StartAW_BTN"))->isEnabled());
    QVERIFY(Child<QPushButton>(*m_site->window, QStringLiteral("StartAWE_BTN"))->isEnabled());
}

void TestConfig::fileAccessRefusedKeepsTables_data() {
    QTest::addColumn<bool>("saving");
    QTest::newRow("load") << false;
    QTest::newRow("save") << true;
}

void TestConfig::fileAccessRefusedKeepsTables() {
    QFETCH(bool, saving);
    start(moduleFile(2), transponderFile(2));
    loginAndOpenConfig();
    load();
    QCOMPARE(entry().Modules.size(), std::size_t(2));
    device().command.refuseFileAccess = true;
    QVERIFY(testsupport::writeFile(m_site->controller->dataFile(QStringLiteral("module.dat")), "old"));
    if (saving)
        Child<QPushButton>(*m_site->window, QStringLiteral("SaveConfig_BTN"))->click();
    else
        load();
    QCOMPARE(m_site->prompter.messages(), QStringList{saving ? kSaveAccess : kLoadAccess});
    QCOMPARE(m_site->prompter.shown.back().icon, MsgIcon::Information);
    QCOMPARE(entry().Modules.size(), std::size_t(2));
    QCOMPARE(childCaptions(tree().moduleFolder(entry())).size(), 2);
    QCOMPARE(stored(QStringLiteral("module.dat")), QByteArray("old"));
    QTRY_VERIFY(!m_site->controller->commandService()->hasClient());
}

void TestConfig::oldFirmwareSendsNoFileAccess() {
    device().command.firmwareMinor = 31;
    device().command.refuseFileAccess = true; // would fail the load if it were asked
    start(moduleFile(1), transponderFile(1));
    loginAndOpenConfig();
    load();
    QVERIFY(m_site->prompter.messages().isEmpty());
    QCOMPARE(entry().Modules.size(), std::size_t(1));
    QVERIFY(!eventSeen(QStringLiteral("command 4 ")));
    QVERIFY(eventSeen(QStringLiteral("ftp RETR module.dat")));
}

void TestConfig::activationOnYes_data() {
    QTest::addColumn<bool>("activate");
    QTest::newRow("Ja") << true;
    QTest::newRow("Nein") << false;
}

void TestConfig::activationOnYes() {
    QFETCH(bool, activate);
    start(moduleFile(1), transponderFile(1));
    loginAndOpenConfig();
    load();
    // The hourglass while the controller switches, and only then.
    QList<bool> hourglass;
    QObject listening;
    connect(m_site->controller.get(), &sim::SimController::eventLogged, &listening, [&](const QString& line) {
        if (line.startsWith(QLatin1String("activate phase")) || line.startsWith(QLatin1String("ftp STOR")))
            hourglass << (QApplication::overrideCursor() &&
                          QApplication::overrideCursor()->shape() == Qt::WaitCursor);
    });
    saveAnswering(activate);
    const QList<bool> shown =
        activate ? QList<bool>({false, false, true, true}) : QList<bool>({false, false});
    QCOMPARE(hourglass, shown);
    QCOMPARE(m_site->prompter.messages(), QStringList({kActivate, kDone}));
    QCOMPARE(m_site->prompter.shown.at(1).icon, MsgIcon::Information);
    QCOMPARE(m_site->prompter.shown.at(1).kind, QStringLiteral("question"));
    QCOMPARE(eventSeen(QStringLiteral("activate phase 0")), activate);
    QCOMPARE(eventSeen(QStringLiteral("activate phase 1")), activate);
    if (activate) {
        const QStringList events = m_site->controller->events();
        qsizetype phase0 = -1, phase1 = -1;
        for (qsizetype i = 0; i < events.size(); ++i) {
            if (events.at(i).contains(QLatin1String("activate phase 0")))
                phase0 = i;
            if (events.at(i).contains(QLatin1String("activate phase 1")))
                phase1 = i;
        }
        QVERIFY(phase0 >= 0 && phase1 > phase0);
    }
    QVERIFY(QApplication::overrideCursor() == nullptr);
    QVERIFY(Child<QPushButton>(*m_site->window, QStringLiteral("SaveConfig_BTN"))->isEnabled());
}

void TestConfig::uploadFailureKeepsLocalFiles() {
    start(moduleFile(2), transponderFile(2));
    loginAndOpenConfig();
    load();
    ftpClient()->SetTimeoutMs(300);
    device().ftp.stallAfterBytes = 10;
    Child<QPushButton>(*m_site->window, QStringLiteral("SaveConfig_BTN"))->click();
    QCOMPARE(m_site->prompter.messages(), QStringList{kSaveFailed});
    QCOMPARE(m_site->prompter.shown.back().icon, MsgIcon::Error);
    QCOMPARE(testsupport::readFile(ops::ModuleCopyPath()), moduleFile(2));
    QCOMPARE(testsupport::readFile(ops::TransponderCopyPath()), transponderFile(2));
    QVERIFY(Child<QPushButton>(*m_site->window, QStringLiteral("SaveConfig_BTN"))->isEnabled());
    QVERIFY(!eventSeen(QStringLiteral("activate")));
}

void TestConfig::uploadConnectFailureKeepsLocalFiles() {
    start(moduleFile(2), transponderFile(2));
    loginAndOpenConfig();
    load();
    device().ftp.refuseLogin = true;
    Child<QPushButton>(*m_site->window, QStringLiteral("SaveConfig_BTN"))->click();
    QCOMPARE(m_site->prompter.messages(), QStringList{kRetry});
    QCOMPARE(m_site->prompter.shown.back().icon, MsgIcon::Warning);
    QVERIFY(QFile::exists(ops::ModuleCopyPath()));
    QVERIFY(QFile::exists(ops::TransponderCopyPath()));
}

void TestConfig::statisticsRecomputedOnPageShow() {
    start(moduleFile(3), transponderFile(5));
    loginAndOpenConfig();
    load();
    Main_LV(*m_site->window)->setCurrentItem(deviceNode());
    entry().Transponders.pop_back(); // as the editor's deletion does
    Main_LV(*m_site->window)->setCurrentItem(tree().configNode(entry()));
    QCOMPARE(Child<QLabel>(*m_site->window, QStringLiteral("TransInfo_ST"))->text(),
             QStringLiteral("Transponder : 4 Einträge insgesamt. 996 Einträge verfügbar."));
    m_site->window->tablesCleared(entry());
    ops::ClearTables(entry());
    Main_LV(*m_site->window)->setCurrentItem(deviceNode());
    Main_LV(*m_site->window)->setCurrentItem(tree().configNode(entry()));
    QCOMPARE(Child<QLabel>(*m_site->window, QStringLiteral("ModulInfo_ST"))->text(), kNotLoaded);
    QCOMPARE(Child<QLabel>(*m_site->window, QStringLiteral("TransInfo_ST"))->text(), kNotLoaded);
    QVERIFY(!Child<QPushButton>(*m_site->window, QStringLiteral("SaveConfig_BTN"))->isEnabled());
}

void TestConfig::trailingPartialRecordReported() {
    start(moduleFile(2) + QByteArray(7, 'x'), transponderFile(1));
    loginAndOpenConfig();
    load();
    QCOMPARE(entry().Modules.size(), std::size_t(2));
    QCOMPARE(Child<QLabel>(*m_site->window, QStringLiteral("ModulInfo_ST"))->text(),
             QStringLiteral("Module : 2 Einträge insgesamt. 14 Einträge verfügbar."));
    QCOMPARE(Child<QStatusBar>(*m_site->window, QStringLiteral("StatusBar1"))->currentMessage(),
             QStringLiteral("\"module.dat\" enthielt 7 überzählige Bytes, die nicht gelesen wurden."));
    QVERIFY(m_site->prompter.messages().isEmpty());
}

void TestConfig::progressBarFillsAndEmpties() {
    start(moduleFile(16), transponderFile(1000));
    loginAndOpenConfig();
    QList<int> values;
    connect(Child<QProgressBar>(*m_site->window, QStringLiteral("ProgressBar1")), &QProgressBar::valueChanged,
            this, [&](int v) { values << v; });
    load();
    QVERIFY(values.contains(100));
    QCOMPARE(values.last(), 0);
    QCOMPARE(Child<QProgressBar>(*m_site->window, QStringLiteral("ProgressBar1"))->value(), 0);
}

void TestConfig::buttonsInTheForm() {
    start(moduleFile(1), transponderFile(1));
    QCOMPARE(Child<QPushButton>(*m_site->window, QStringLiteral("LoadConfig_BTN"))->text(),
             QStringLiteral("Konfiguration laden"));
    QCOMPARE(Child<QPushButton>(*m_site->window, QStringLiteral("SaveConfig_BTN"))->text(),
             QStringLiteral("Konfiguration speichern"));
    QVERIFY(!Child<QPushButton>(*m_site->window, QStringLiteral("SaveConfig_BTN"))->isEnabled());
    QVERIFY(!Child<QPushButton>(*m_site->window, QStringLiteral("StartAW_BTN"))->isEnabled());
    QVERIFY(!Child<QPushButton>(*m_site->window, QStringLiteral("StartAWE_BTN"))->isEnabled());
    QCOMPARE(Child<QLabel>(*m_site->window, QStringLiteral("ModulInfo_ST"))->text(), kNotLoaded);
    QCOMPARE(Child<QLabel>(*m_site->window, QStringLiteral("TransInfo_ST"))->text(), kNotLoaded);
    QCOMPARE(ftpClient()->UserName(), QStringLiteral("kelvora"));
    QCOMPARE(ftpClient()->PassWord(), QStringLiteral("pel47k2"));
    QCOMPARE(ftpClient()->Timeout(), 15);
    QCOMPARE(ftpClient()->Port(), device().ftpPort);
}

QTEST_MAIN(TestConfig)
#include "tst_config.moc"
