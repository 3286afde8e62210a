// The administrator on the real wire: the window with the product's own targets (the search broadcast
// to 255.255.255.255:8001, commands on TCP 1010, FTP on 21 with active data connections) against two
// simulated controllers behind a veth pair. run-wire-test.sh starts this program inside the tool side's
// network namespace; the program refuses to run anywhere else, so its broadcast never leaves the
// namespaces the script made. No network override is set: every target is the product's default.
//
// Usage: tst_wire --netns <name> --sim-data <folder> [Qt Test options]

#include "data/DeviceEntry.h"
#include "device/NetworkTargets.h"
#include "device/ProgramFolder.h"
#include "ops/Backup.h"
#include "ops/Logbook.h"
#include "support/NamespaceGuard.h"
#include "support/ScriptedPrompter.h"
#include "support/SiteFixture.h"
#include "support/TestSupport.h"
#include "support/WidgetLookup.h"
#include "ui/MainWindow.h"
#include "ui/pages/LogbookPage.h"

#include <QApplication>
#include <QLabel>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTreeWidget>
#include <QtTest>

#include <memory>

namespace {

QString g_netns;
QString g_simData;

const QString kActivate = QStringLiteral(
    "Die Konfiguration wurde erfolgreich gespeichert. Soll die Konfiguration gleich aktiviert werden ?");
const QString kDone = QStringLiteral("Der Vorgang wurde erfolgreich durchgeführt.");
const QString kBackupDone = QStringLiteral("Die Datensicherung wurde erfolgreich durchgeführt.");

} // namespace

class TestWire : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void initTestCase();
    void cleanupTestCase();

    // In this order: each step works on what the one before left.
    void searchByBroadcastFindsBoth(); // and the controller behind the third interface
    void login();
    void load();
    void saveAndActivate();
    void readLogbook();
    void backup();

private:
    // The two controllers behind the first interface, 0 and 1, wherever the search listed them.
    TDeviceEntry& entry(int i) const { return m_window->deviceList().at(m_listed[i]); }
    // Null when the search did not find it: the later steps fail instead of crashing.
    QTreeWidgetItem* deviceNode(int i) const {
        QTreeWidgetItem* top = Main_LV(*m_window)->topLevelItem(0);
        return top ? top->child(m_listed[i]) : nullptr;
    }
    // The child of the first device node with this caption (Allgemeines, Logbuch, Konfiguration).
    QTreeWidgetItem* select(const QString& caption) {
        QTreeWidgetItem* device = deviceNode(0);
        if (!device)
            return nullptr;
        for (int i = 0; i < device->childCount(); ++i) {
            if (device->child(i)->text(0) == caption) {
                Main_LV(*m_window)->setCurrentItem(device->child(i));
                return device->child(i);
            }
        }
        return nullptr;
    }
    void click(const char* button) { Child<QPushButton>(*m_window, QString::fromLatin1(button))->click(); }
    QByteArray controllerFile(const QString& name) const {
        return testsupport::readFile(g_simData + QStringLiteral("/controller-1/") + name);
    }

    std::unique_ptr<TempSettings> m_settings;
    QTemporaryDir m_appDir;
    QTemporaryDir m_logbookDir;
    QTemporaryDir m_backupDir;
    ScriptedPrompter m_prompter;
    std::unique_ptr<TMain_Dlg> m_window;
    int m_listed[2] = {0, 1};
};

void TestWire::initTestCase() {
    const QString reason = WireNamespaceRefusal(g_netns);
    if (!reason.isEmpty())
        QFAIL(qPrintable(QStringLiteral("refusing to search by broadcast here: ") + reason));
    // The product's own targets: the test support points an unset search at loopback's discard port,
    // and no KELVORA_* variable is set here (checked above).
    SetTargets(NetworkTargets::fromEnvironment());
    QCOMPARE(Targets().discoveryAddress, QHostAddress(QHostAddress::Broadcast));
    QCOMPARE(Targets().discoveryPort, quint16(8001));
    QCOMPARE(Targets().commandPort, quint16(1010));
    QCOMPARE(Targets().ftpPort, quint16(21));
    m_settings = std::make_unique<TempSettings>();
    SetAppDir(m_appDir.path());
    ops::SetLogbookFolder(m_logbookDir.path());
    m_window = std::make_unique<TMain_Dlg>(m_prompter);
    m_window->setChangeDelay(0);
}

void TestWire::cleanupTestCase() {
    m_window.reset();
}

// Replies come in whichever order the interfaces bring them; each controller is listed once, also the
// one the search reached through two interfaces.
void TestWire::searchByBroadcastFindsBoth() {
    QVERIFY(m_window);
    m_window->show(); // the first show searches
    QVERIFY(QTest::qWaitFor(
        [this] { return !m_window->busy() && Main_LV(*m_window)->topLevelItemCount() == 1; }, 5000));
    QTRY_COMPARE_WITH_TIMEOUT(Main_LV(*m_window)->topLevelItem(0)->childCount(), 3, 5000);
    QCOMPARE(m_prompter.messages(), QStringList());
    QStringList found;
    for (std::size_t i = 0; i < m_window->deviceList().size(); ++i) {
        const TDeviceEntry& e = m_window->deviceList().at(i);
        found << QStringLiteral("%1 %2 %3").arg(QString::number(e.Serial, 16).toUpper(), e.IPAddress, e.Name);
        if (e.Serial == 0x12AB3)
            m_listed[0] = static_cast<int>(i);
        if (e.Serial == 0x12AB4)
            m_listed[1] = static_cast<int>(i);
    }
    found.sort();
    QCOMPARE(found, QStringList({QStringLiteral("12AB3 10.99.0.2 Haupteingang"),
                                 QStringLiteral("12AB4 10.99.0.3 Lager Tor 2"),
                                 QStringLiteral("12AC0 10.97.0.2 Werkstatt")}));
}

void TestWire::login() {
    QVERIFY(Main_LV(*m_window)->topLevelItemCount() == 1 && deviceNode(1)); // found by the search
    for (int i = 0; i < 2; ++i) {
        m_prompter.dialogAnswers.push_back(TypeCredentials(QStringLiteral("admin"), QStringLiteral("admin")));
        Main_LV(*m_window)->setCurrentItem(deviceNode(i));
        deviceNode(i)->setExpanded(true);
        QVERIFY2(entry(i).LoggedIn, qPrintable(entry(i).IPAddress));
        QVERIFY(entry(i).InfoValid);
    }
    QCOMPARE(m_prompter.messages(), QStringList());
}

void TestWire::load() {
    QVERIFY(select(QStringLiteral("Konfiguration")));
    click("LoadConfig_BTN");
    QCOMPARE(m_prompter.messages(), QStringList());
    // The demo tables of the first controller.
    QCOMPARE(int(entry(0).Modules.size()), 16);
    QCOMPARE(int(entry(0).Transponders.size()), 1000);
    QCOMPARE(testsupport::readFile(g_simData + QStringLiteral("/controller-1/module.dat")).size(), 16 * 40);
}

void TestWire::saveAndActivate() {
    const QByteArray modules = controllerFile(QStringLiteral("module.dat"));
    const QByteArray transponders = controllerFile(QStringLiteral("trans.dat"));
    // Overwritten on the controller, so that equal files afterwards prove the upload.
    QVERIFY(testsupport::writeFile(g_simData + QStringLiteral("/controller-1/module.dat"), "x"));
    QVERIFY(testsupport::writeFile(g_simData + QStringLiteral("/controller-1/trans.dat"), "x"));
    m_prompter.questionAnswers.push_back(true);
    click("SaveConfig_BTN");
    QCOMPARE(m_prompter.messages(), QStringList({kActivate, kDone}));
    QCOMPARE(controllerFile(QStringLiteral("module.dat")), modules);
    QCOMPARE(controllerFile(QStringLiteral("trans.dat")), transponders);
    m_prompter.clear();
}

void TestWire::readLogbook() {
    QVERIFY(select(QStringLiteral("Logbuch")));
    click("Einlesen_BTN");
    QCOMPARE(m_prompter.messages(), QStringList());
    const int rows = Child<QTreeWidget>(*m_window, QStringLiteral("Logbuch_LV"))->topLevelItemCount();
    QVERIFY(rows > 0);
    QCOMPARE(
        Child<QLabel>(*Child<TLogbookPage>(*m_window, QStringLiteral("Logbuch")), QStringLiteral("Status_ST"))
            ->text(),
        QStringLiteral("%1 Einträge im Logbuch").arg(rows));
    QVERIFY(QFile::exists(ops::LogbookCopyPath()));
}

void TestWire::backup() {
    QVERIFY(select(QStringLiteral("Allgemeines")));
    m_prompter.fileAnswers.push_back(m_backupDir.path());
    click("StartBackup_BTN");
    QCOMPARE(m_prompter.messages(), QStringList{kBackupDone});
    QCOMPARE(testsupport::readFile(m_backupDir.filePath(QStringLiteral("module.dat"))),
             controllerFile(QStringLiteral("module.dat")));
    QCOMPARE(testsupport::readFile(m_backupDir.filePath(QStringLiteral("trans.dat"))),
             controllerFile(QStringLiteral("trans.dat")));
}

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QStringList arguments = QCoreApplication::arguments();
    QStringList rest{arguments.value(0)};
    for (int i = 1; i < arguments.size(); ++i) {
        if (arguments.at(i) == QLatin1String("--netns") && i + 1 < arguments.size())
            g_netns = arguments.at(++i);
        else if (arguments.at(i) == QLatin1String("--sim-data") && i + 1 < arguments.size())
            g_simData = arguments.at(++i);
        else
            rest << arguments.at(i);
    }
    TestWire test;
    return QTest::qExec(&test, rest);
}

#include "tst_wire.moc"
