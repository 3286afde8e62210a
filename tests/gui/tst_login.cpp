#include "device/CommandSocket.h"
#include "device/NetworkTargets.h"
#include "ops/Messages.h"
#include "sim/CommandService.h"
#include "sim/DiscoveryService.h"
#include "sim/SimController.h"
#include "support/SiteFixture.h"
#include "support/TestSupport.h"
#include "support/WidgetLookup.h"
#include "ui/MainWindow.h"
#include "ui/dialogs/PasswordDialog.h"

#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QStackedWidget>
#include <QTreeWidget>
#include <QtTest>

#include <memory>

namespace {

std::function<int(QDialog&)> cancel() {
    return [](QDialog&) { return int(QDialog::Rejected); };
}

} // namespace

class TestLogin : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void init();
    void cleanup();

    void firstExpansionAsksOnce();
    void cancelLeavesNodeCollapsed();
    void wrongPasswordShowsConnectionFailure();
    void storedCredentialsCutToTen();
    void rootExpansionAsksForCurrentDevice();
    void hourglassDuringLogin();
    void informationPage_data();
    void informationPage();
    void informationPageWithoutBlock();
    void byteOutsideItsTableKeepsEarlierLines();
    void nameEditEnablesSave();
    void nameFlow_data();
    void nameFlow();

private:
    void start();
    QTreeWidgetItem* deviceNode() const { return m_site->deviceNode(); }
    TDeviceEntry& entry() const { return m_site->entry(); }
    sim::CommandOptions& device() { return m_site->controller->config().command; }
    void login() { QVERIFY(m_site->login()); }

    std::unique_ptr<SiteFixture> m_site;
};

void TestLogin::init() {
    m_site = std::make_unique<SiteFixture>(0x12AB3, QStringLiteral("Lager Tor 2"));
}

void TestLogin::cleanup() {
    m_site.reset();
}

void TestLogin::start() {
    QString error;
    QVERIFY2(m_site->startController(&error), qPrintable(error));
    QVERIFY(m_site->openWindow());
}

void TestLogin::firstExpansionAsksOnce() {
    start();
    m_site->prompter.dialogAnswers.push_back(
        TypeCredentials(QStringLiteral("admin"), QStringLiteral("admin")));
    deviceNode()->setExpanded(true);
    QCOMPARE(m_site->prompter.dialogsRun, 1);
    QCOMPARE(m_site->prompter.shown.at(0).text, QStringLiteral("Passwort eingeben"));
    QVERIFY(deviceNode()->isExpanded());
    QVERIFY(!deviceNode()->child(3)->isExpanded()); // not recursively
    QVERIFY(entry().LoggedIn);
    QVERIFY(entry().InfoValid);
    QCOMPARE(int(entry().Info.FirmwareMajor), 1);
    QCOMPARE(int(entry().Info.FirmwareMinor), 39);
    QCOMPARE(entry().Info.Serial(), 0x12AB3u);
    QCOMPARE(entry().UserName, QStringLiteral("admin"));
    QCOMPARE(entry().Password, QStringLiteral("admin"));
    QCOMPARE(m_site->prompter.messages(), QStringList());
    // The session is closed again: the controller takes the next connection at once.
    QTRY_VERIFY(!m_site->controller->commandService()->hasClient());

    deviceNode()->setExpanded(false);
    deviceNode()->setExpanded(true);
    QVERIFY(deviceNode()->isExpanded());
    QCOMPARE(m_site->prompter.dialogsRun, 1);
}

void TestLogin::cancelLeavesNodeCollapsed() {
    start();
    m_site->prompter.dialogAnswers.push_back(cancel());
    deviceNode()->setExpanded(true);
    QVERIFY(!deviceNode()->isExpanded());
    QVERIFY(!entry().LoggedIn);
    QVERIFY(m_site->prompter.messages().isEmpty());
    QVERIFY(!m_site->controller->events().join(QLatin1Char('\n')).contains(QLatin1String("login")));
    // It can be expanded again.
    login();
    QVERIFY(deviceNode()->isExpanded());
}

void TestLogin::wrongPasswordShowsConnectionFailure() {
    start();
    m_site->prompter.dialogAnswers.push_back(
        TypeCredentials(QStringLiteral("admin"), QStringLiteral("falsch")));
    deviceNode()->setExpanded(true);
    QVERIFY(!deviceNode()->isExpanded());
    QVERIFY(!entry().LoggedIn);
    QVERIFY(!entry().InfoValid);
    QVERIFY(entry().UserName.isEmpty());
    QCOMPARE(m_site->prompter.messages(), QStringList{ops::kConnectionFailedText});
    QCOMPARE(m_site->prompter.shown.back().icon, MsgIcon::Error);
    QVERIFY(ops::kConnectionFailedText.contains(QStringLiteral(":\r\r- Benutzername")));
    QVERIFY(!ops::kConnectionFailedText.contains(QLatin1Char('\n')));
    // The next try shows an empty dialog again and succeeds.
    login();
    QTRY_VERIFY(!m_site->controller->commandService()->hasClient());
}

void TestLogin::storedCredentialsCutToTen() {
    device().userName = QStringLiteral("Administrator");
    device().password = QStringLiteral("Passwort12345");
    start();
    m_site->prompter.dialogAnswers.push_back(TypeCredentials(device().userName, device().password));
    deviceNode()->setExpanded(true);
    QVERIFY(entry().LoggedIn);
    QCOMPARE(entry().UserName, QStringLiteral("Administra"));
    QCOMPARE(entry().Password, QStringLiteral("Passwort12"));
}

void TestLogin::rootExpansionAsksForCurrentDevice() {
    start();
    QTreeWidgetItem* root = Main_LV(*m_site->window)->topLevelItem(0);
    Main_LV(*m_site->window)->setCurrentItem(deviceNode()); // current, not logged in
    root->setExpanded(false);
    m_site->prompter.dialogAnswers.push_back(cancel());
    root->setExpanded(true);
    QCOMPARE(m_site->prompter.dialogsRun, 1);
    QVERIFY(root->isExpanded());
    QCOMPARE(Main_NB(*m_site->window)->currentIndex(), 0);
}

void TestLogin::hourglassDuringLogin() {
    start();
    bool sawHourglass = false;
    QTimer probe;
    probe.setInterval(5);
    bool expandedDuringLogin = false;
    connect(&probe, &QTimer::timeout, this, [&] {
        if (QApplication::overrideCursor() && QApplication::overrideCursor()->shape() == Qt::WaitCursor)
            sawHourglass = true;
        if (m_site->window->busy() && !expandedDuringLogin) {
            // Expanding again while the login waits starts no second login.
            expandedDuringLogin = true;
            deviceNode()->setExpanded(false);
            deviceNode()->setExpanded(true);
        }
    });
    device().unansweredCommands = {1}; // the information request waits out its cycles
    m_site->prompter.dialogAnswers.push_back([&](QDialog& dialog) {
        probe.start();
        return TypeCredentials(QStringLiteral("admin"), QStringLiteral("admin"))(dialog);
    });
    deviceNode()->setExpanded(true);
    probe.stop();
    QVERIFY(sawHourglass);
    QVERIFY(expandedDuringLogin);
    QCOMPARE(m_site->prompter.dialogsRun, 1);
    QVERIFY(entry().LoggedIn);
    QVERIFY(QApplication::overrideCursor() == nullptr);
}

void TestLogin::informationPage_data() {
    QTest::addColumn<int>("major");
    QTest::addColumn<int>("minor");
    QTest::addColumn<int>("hardware");
    QTest::addColumn<QStringList>("lines");
    const QStringList common = {QStringLiteral("Sprache : Deutsch"), QStringLiteral("Version : Standard"),
                                QStringLiteral("Betriebsmodus : Offline (Standard)"),
                                QStringLiteral("Max. Anzahl Module : 16"),
                                QStringLiteral("Max. Anzahl Transponder : 1000")};
    const QStringList head = {QStringLiteral("BIOS Version : 1.05 2.10"),
                              QStringLiteral("Seriennummer : 12AB3")};
    QTest::newRow("1.39") << 1 << 39 << 4
                          << (QStringList{QStringLiteral("Firmware Version : v1.39")} + head +
                              QStringList{QStringLiteral("Hardware : R04")} + common +
                              QStringList{QStringLiteral("Max. Anzahl Logbucheinträge : 1500")});
    QTest::newRow("1.39, hardware 3") << 1 << 39 << 3
                                      << (QStringList{QStringLiteral("Firmware Version : v1.39")} + head +
                                          QStringList{QStringLiteral("Hardware : A03")} + common +
                                          QStringList{QStringLiteral("Max. Anzahl Logbucheinträge : 1500")});
    QTest::newRow("1.38") << 1 << 38 << 4
                          << (QStringList{QStringLiteral("Firmware Version : v1.38")} + head + common);
    QTest::newRow("2.10") << 2 << 10 << 4
                          << (QStringList{QStringLiteral("Firmware Version : v2.10")} + head + common);
    QTest::newRow("0.45") << 0 << 45 << 4
                          << (QStringList{QStringLiteral("Firmware Version : v0.45")} + head + common);
}

void TestLogin::informationPage() {
    QFETCH(int, major);
    QFETCH(int, minor);
    QFETCH(int, hardware);
    QFETCH(QStringList, lines);
    device().firmwareMajor = static_cast<std::uint8_t>(major);
    device().firmwareMinor = static_cast<std::uint8_t>(minor);
    device().hardwareRevision = static_cast<std::uint8_t>(hardware);
    start();
    login();
    Main_LV(*m_site->window)->setCurrentItem(deviceNode()->child(0));
    QCOMPARE(Main_NB(*m_site->window)->currentIndex(), 2);
    QStringList shown;
    for (int i = 0; i < Child<QListWidget>(*m_site->window, QStringLiteral("Info_LB"))->count(); ++i)
        shown << Child<QListWidget>(*m_site->window, QStringLiteral("Info_LB"))->item(i)->text();
    QCOMPARE(shown, lines);
    QCOMPARE(Child<QLineEdit>(*m_site->window, QStringLiteral("DeviceName_ED"))->text(),
             QStringLiteral("Lager Tor 2"));
    QVERIFY(Child<QPushButton>(*m_site->window, QStringLiteral("SetName_BTN"))->isEnabled());
}

void TestLogin::informationPageWithoutBlock() {
    device().unansweredCommands = {1};
    start();
    login(); // the login counts although the block did not come
    QVERIFY(!entry().InfoValid);
    QVERIFY(deviceNode()->isExpanded());
    Main_LV(*m_site->window)->setCurrentItem(deviceNode()->child(0));
    QStringList shown;
    for (int i = 0; i < Child<QListWidget>(*m_site->window, QStringLiteral("Info_LB"))->count(); ++i)
        shown << Child<QListWidget>(*m_site->window, QStringLiteral("Info_LB"))->item(i)->text();
    QCOMPARE(shown, QStringList({QStringLiteral("Bitte aktualisieren Sie die Firmware"),
                                 QStringLiteral("Ihres Kelvora compact um diese Funktion"),
                                 QStringLiteral("nutzen zu können.")}));
    QCOMPARE(Child<QLineEdit>(*m_site->window, QStringLiteral("DeviceName_ED"))->text(),
             QStringLiteral("Lager Tor 2"));
}

void TestLogin::byteOutsideItsTableKeepsEarlierLines() {
    device().language = 3;
    start();
    login();
    Main_LV(*m_site->window)->setCurrentItem(deviceNode()->child(0));
    QCOMPARE(m_site->prompter.messages(), QStringList{QStringLiteral("Range check error")});
    QCOMPARE(m_site->prompter.shown.back().icon, MsgIcon::Error);
    QCOMPARE(Child<QListWidget>(*m_site->window, QStringLiteral("Info_LB"))->count(), 4);
    QCOMPARE(Child<QListWidget>(*m_site->window, QStringLiteral("Info_LB"))->item(3)->text(),
             QStringLiteral("Hardware : R04"));
}

void TestLogin::nameEditEnablesSave() {
    start();
    login();
    Main_LV(*m_site->window)->setCurrentItem(deviceNode()->child(0));
    Child<QLineEdit>(*m_site->window, QStringLiteral("DeviceName_ED"))->clear();
    QVERIFY(!Child<QPushButton>(*m_site->window, QStringLiteral("SetName_BTN"))->isEnabled());
    QTest::keyClicks(Child<QLineEdit>(*m_site->window, QStringLiteral("DeviceName_ED")), QStringLiteral("x"));
    QVERIFY(Child<QPushButton>(*m_site->window, QStringLiteral("SetName_BTN"))->isEnabled());
    QTest::keyClicks(Child<QLineEdit>(*m_site->window, QStringLiteral("DeviceName_ED")),
                     QString(50, QLatin1Char('y')));
    QCOMPARE(Child<QLineEdit>(*m_site->window, QStringLiteral("DeviceName_ED"))->text().size(), 40);
}

void TestLogin::nameFlow_data() {
    QTest::addColumn<bool>("refuse");
    QTest::addColumn<bool>("silent");
    QTest::addColumn<QString>("message");
    QTest::newRow("accepted") << false << false << ops::kNameSavedText;
    QTest::newRow("refused") << true << false << ops::kNameNotSupportedText;
    QTest::newRow("unanswered") << false << true << ops::kNameNotSupportedText;
}

void TestLogin::nameFlow() {
    QFETCH(bool, refuse);
    QFETCH(bool, silent);
    QFETCH(QString, message);
    start();
    login();
    device().refuseName = refuse;
    if (silent)
        device().unansweredCommands = {2};
    Main_LV(*m_site->window)->setCurrentItem(deviceNode()->child(0));
    Child<QLineEdit>(*m_site->window, QStringLiteral("DeviceName_ED"))->setText(QStringLiteral("Halle Süd"));
    Child<QPushButton>(*m_site->window, QStringLiteral("SetName_BTN"))->click();
    QCOMPARE(m_site->prompter.messages(), QStringList{message});
    QCOMPARE(m_site->prompter.shown.back().icon, MsgIcon::Information);
    // The entry and its node keep the name of the search.
    QCOMPARE(entry().Name, QStringLiteral("Lager Tor 2"));
    QCOMPARE(deviceNode()->text(0), QStringLiteral("Lager Tor 2"));
    QCOMPARE(m_site->controller->config().name,
             refuse || silent ? QStringLiteral("Lager Tor 2") : QStringLiteral("Halle Süd"));
    QTRY_VERIFY(!m_site->controller->commandService()->hasClient());
}

QTEST_MAIN(TestLogin)
#include "tst_login.moc"
