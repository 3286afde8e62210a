#include "device/NetworkTargets.h"
#include "device/ProgramFolder.h"
#include "sim/DiscoveryService.h"
#include "sim/SimController.h"
#include "support/ScriptedPrompter.h"
#include "support/WidgetLookup.h"
#include "ui/MainWindow.h"
#include "ui/SettingsStore.h"
#include "ui/dialogs/ManualDialog.h"
#include "ui/dialogs/PasswordDialog.h"

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QNetworkDatagram>
#include <QPushButton>
#include <QSettings>
#include <QStackedWidget>
#include <QStatusBar>
#include <QTreeWidget>
#include <QUdpSocket>
#include <QtTest>

#include <memory>

namespace {

const QString kNotFound = QStringLiteral("Es wurden keine Kelvora compact gefunden.");

sim::ControllerConfig controller(quint32 serial, const QString& name, bool dhcp = false) {
    sim::ControllerConfig config;
    config.serial = serial;
    config.name = name;
    config.dhcp = dhcp;
    config.demoData = false;
    return config;
}

QStringList childCaptions(const QTreeWidgetItem* node) {
    QStringList captions;
    for (int i = 0; i < node->childCount(); ++i)
        captions << node->child(i)->text(0);
    return captions;
}

// Replies to a search with fixed datagrams (for replies no controller would send).
class RawResponder : public QObject {
public:
    explicit RawResponder(QList<QByteArray> replies) : m_replies(std::move(replies)) {
        m_socket.bind(QHostAddress(QStringLiteral("127.0.0.1")), 0);
        connect(&m_socket, &QUdpSocket::readyRead, this, [this] {
            while (m_socket.hasPendingDatagrams()) {
                const QNetworkDatagram d = m_socket.receiveDatagram();
                for (const QByteArray& reply : m_replies)
                    m_socket.writeDatagram(reply, d.senderAddress(), static_cast<quint16>(d.senderPort()));
            }
        });
    }
    quint16 port() const { return m_socket.localPort(); }

private:
    QUdpSocket m_socket;
    QList<QByteArray> m_replies;
};

} // namespace

class TestMainWindow : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void init();
    void cleanup();

    void searchAtFirstShowBuildsTheTree();
    void noControllerWarnsAndKeepsOnlyTheRoot();
    void nonHexSerialInReplyIsSkipped();
    void manualAddReplacesAllEntries();
    void manualAddCancelledChangesNothing();
    void manualAddNonHexSerialShowsConversionError();
    void pageSwitchFollowsNodeKind_data();
    void pageSwitchFollowsNodeKind();
    void moduleNodeKeepsCurrentDevice();
    void informationPageShowsEntry_data();
    void informationPageShowsEntry();
    void dhcpCheckBoxEnablesEdits();
    void saveSendsIPConfigurationTwice();
    void notLoggedInDeviceDoesNotExpand();
    void rootAlwaysExpands();
    void expandSignOfOtherDeviceMakesItCurrentKeepingSelection();
    void mouseDownSetsCurrentDevice();
    void webInterfaceAndLinksOpenAddresses();
    void searchDisablesCommandsWhileRunning();
    void pageHeaders_data();
    void pageHeaders();

private:
    void startWith(std::initializer_list<sim::ControllerConfig> configs);
    void showAndSearch();

    std::unique_ptr<TempSettings> m_settings;
    std::unique_ptr<QTemporaryDir> m_appDir;
    std::vector<std::unique_ptr<sim::SimController>> m_controllers;
    std::unique_ptr<sim::DiscoveryService> m_discovery;
    std::unique_ptr<ScriptedPrompter> m_prompter;
    std::unique_ptr<TMain_Dlg> m_window;
};

void TestMainWindow::init() {
    m_settings = std::make_unique<TempSettings>();
    m_appDir = std::make_unique<QTemporaryDir>();
    SetAppDir(m_appDir->path());
    m_prompter = std::make_unique<ScriptedPrompter>();
    m_discovery = std::make_unique<sim::DiscoveryService>();
}

void TestMainWindow::cleanup() {
    m_window.reset();
    m_discovery.reset();
    m_controllers.clear();
    m_prompter.reset();
    m_settings.reset();
    m_appDir.reset();
}

void TestMainWindow::startWith(std::initializer_list<sim::ControllerConfig> configs) {
    for (const sim::ControllerConfig& config : configs) {
        m_controllers.push_back(std::make_unique<sim::SimController>(config));
        m_discovery->addController(m_controllers.back().get());
    }
    QVERIFY(m_discovery->listen(QHostAddress(QStringLiteral("127.0.0.1")), 0));
    NetworkTargets targets;
    targets.discoveryAddress = QHostAddress(QStringLiteral("127.0.0.1"));
    targets.discoveryPort = m_discovery->port();
    SetTargets(targets);
    m_window = std::make_unique<TMain_Dlg>(*m_prompter);
    m_window->setChangeDelay(0);
}

void TestMainWindow::showAndSearch() {
    m_window->show();
    // The search runs once the window is shown; it is over when the tree has its root and the
    // commands are enabled again.
    QTRY_VERIFY(Main_LV(*m_window)->topLevelItemCount() == 1 && !m_window->busy());
}

void TestMainWindow::searchAtFirstShowBuildsTheTree() {
    startWith(
        {controller(0x12AB3, QStringLiteral("Lager Tor 2")), controller(0x12AB4, QStringLiteral("Büro"))});
    showAndSearch();
    QTreeWidgetItem* root = Main_LV(*m_window)->topLevelItem(0);
    QCOMPARE(root->text(0), QStringLiteral("Gefundene Systeme"));
    QVERIFY(root->isExpanded());
    QCOMPARE(childCaptions(root), QStringList({QStringLiteral("Lager Tor 2"), QStringLiteral("Büro")}));
    for (int i = 0; i < 2; ++i) {
        QTreeWidgetItem* device = root->child(i);
        QVERIFY(!device->isExpanded());
        QCOMPARE(nodes::Kind(device), nkDevice);
        QCOMPARE(childCaptions(device),
                 QStringList({QStringLiteral("Allgemeines"), QStringLiteral("Logbuch"),
                              QStringLiteral("Firmwareupdate"), QStringLiteral("Konfiguration")}));
        QCOMPARE(nodes::Kind(device->child(0)), nkGeneral);
        QCOMPARE(nodes::Kind(device->child(1)), nkLogbook);
        QCOMPARE(nodes::Kind(device->child(2)), nkFirmware);
        QCOMPARE(nodes::Kind(device->child(3)), nkConfiguration);
        QCOMPARE(m_window->deviceTree().configNode(m_window->deviceList().at(i)), device->child(3));
    }
    QCOMPARE(m_window->deviceList().size(), std::size_t(2));
    QCOMPARE(m_window->deviceList().at(0).Serial, 0x12AB3);
    QCOMPARE(m_window->deviceList().at(0).IPAddress, QStringLiteral("127.0.0.2"));
    QVERIFY(!m_window->deviceList().at(0).LoggedIn);
    QCOMPARE(Main_NB(*m_window)->currentIndex(), 0);
    QVERIFY(m_window->currentDevice() == nullptr);
    QVERIFY(m_prompter->shown.empty());
}

void TestMainWindow::noControllerWarnsAndKeepsOnlyTheRoot() {
    startWith({});
    showAndSearch();
    QCOMPARE(m_prompter->shown.size(), std::size_t(1));
    QCOMPARE(m_prompter->shown.at(0).text, kNotFound);
    QCOMPARE(m_prompter->shown.at(0).icon, MsgIcon::Warning);
    QCOMPARE(Main_LV(*m_window)->topLevelItemCount(), 1);
    QCOMPARE(Main_LV(*m_window)->topLevelItem(0)->childCount(), 0);
    QVERIFY(m_window->deviceList().empty());
}

void TestMainWindow::nonHexSerialInReplyIsSkipped() {
    startWith({});
    RawResponder responder({"1F 0 10.0.0.1 255.0.0.0 10.0.0.254 Gut",
                            "XYZ 0 10.0.0.2 255.0.0.0 10.0.0.254 Schlecht",
                            "20 0 10.0.0.3 255.0.0.0 10.0.0.254 Danach"});
    NetworkTargets targets = Targets();
    targets.discoveryPort = responder.port();
    SetTargets(targets);
    showAndSearch();
    // Anything may answer on the search port: such a reply is passed over, the later good one listed.
    QCOMPARE(m_prompter->messages(), QStringList());
    QCOMPARE(childCaptions(Main_LV(*m_window)->topLevelItem(0)),
             QStringList({QStringLiteral("Gut"), QStringLiteral("Danach")}));
    QCOMPARE(m_window->deviceList().size(), std::size_t(2));
    QCOMPARE(m_window->deviceList().at(1).Serial, 0x20);
    QCOMPARE(m_window->statusBar()->currentMessage(),
             QStringLiteral("Eine unlesbare Antwort auf die Suche wurde ignoriert."));
    // The program goes on: a new search works.
    QVERIFY(Child<QAction>(*m_window, QStringLiteral("Aktualisieren"))->isEnabled());
}

void TestMainWindow::manualAddReplacesAllEntries() {
    startWith({controller(0x12AB3, QStringLiteral("A")), controller(0x12AB4, QStringLiteral("B"))});
    showAndSearch();
    m_prompter->dialogAnswers.push_back([](QDialog& dialog) {
        auto& manual = static_cast<TManual_Dlg&>(dialog);
        QTest::keyClicks(Child<QLineEdit>(manual, QStringLiteral("Serial_ED")), QStringLiteral("1f"));
        QTest::keyClicks(Child<QLineEdit>(manual, QStringLiteral("IPAddr_ED")), QStringLiteral("10.0.0.7"));
        return Child<QPushButton>(manual, QStringLiteral("OKBtn"))->isEnabled() ? QDialog::Accepted
                                                                                : QDialog::Rejected;
    });
    m_window->ManuellClick();
    QTreeWidgetItem* root = Main_LV(*m_window)->topLevelItem(0);
    QCOMPARE(root->text(0), QStringLiteral("Gefundene Systeme"));
    QVERIFY(!root->isExpanded());
    QCOMPARE(childCaptions(root), QStringList{QStringLiteral("Manuell")});
    QCOMPARE(root->child(0)->childCount(), 4);
    QCOMPARE(m_window->deviceList().size(), std::size_t(1));
    const TDeviceEntry& entry = *&m_window->deviceList().at(0);
    QCOMPARE(entry.Serial, 0x1F);
    QCOMPARE(entry.DHCP, false);
    QCOMPARE(entry.IPAddress, QStringLiteral("10.0.0.7"));
    // A manual entry gets the all-ones mask.
    QCOMPARE(QHostAddress(entry.SubnetMask).toIPv4Address(), 0xFFFFFFFFu);
    QCOMPARE(entry.SubnetMask.count(QLatin1Char('.')), 3);
    QCOMPARE(entry.Gateway, QStringLiteral("0.0.0.0"));
    QCOMPARE(entry.Name, QStringLiteral("Manuell"));
    QVERIFY(!entry.LoggedIn);
    QVERIFY(m_window->currentDevice() == nullptr);
    // No datagram is sent for a manual add: the search request is all the service ever saw.
    QCOMPARE(m_discovery->received().size(), std::size_t(1));
}

void TestMainWindow::manualAddCancelledChangesNothing() {
    startWith({controller(0x12AB3, QStringLiteral("A"))});
    showAndSearch();
    m_prompter->dialogAnswers.push_back([](QDialog&) { return QDialog::Rejected; });
    m_window->ManuellClick();
    QCOMPARE(childCaptions(Main_LV(*m_window)->topLevelItem(0)), QStringList{QStringLiteral("A")});
    QCOMPARE(m_window->deviceList().size(), std::size_t(1));
}

void TestMainWindow::manualAddNonHexSerialShowsConversionError() {
    startWith({controller(0x12AB3, QStringLiteral("A"))});
    showAndSearch();
    m_prompter->dialogAnswers.push_back([](QDialog& dialog) {
        auto& manual = static_cast<TManual_Dlg&>(dialog);
        Child<QLineEdit>(manual, QStringLiteral("Serial_ED"))
            ->setText(QStringLiteral("XY")); // pasted: not filtered
        Child<QLineEdit>(manual, QStringLiteral("IPAddr_ED"))->setText(QStringLiteral("10.0.0.7"));
        return QDialog::Accepted;
    });
    // Through the action, as the user would, so that the general error handler is in the path.
    Child<QAction>(*m_window, QStringLiteral("Manuell"))->trigger();
    QCOMPARE(m_prompter->messages(), QStringList{QStringLiteral("'$XY' is not a valid integer value")});
    QCOMPARE(m_prompter->shown.back().icon, MsgIcon::Error);
    QCOMPARE(Main_LV(*m_window)->topLevelItem(0)->childCount(), 0);
    QVERIFY(m_window->deviceList().empty());
}

void TestMainWindow::pageSwitchFollowsNodeKind_data() {
    QTest::addColumn<int>("device");
    QTest::addColumn<int>("child"); // -1: the device node itself
    QTest::addColumn<int>("page");
    QTest::addColumn<QString>("pageName");
    QTest::newRow("device") << 1 << -1 << 1 << "Information";
    QTest::newRow("Allgemeines") << 1 << 0 << 2 << "Allgemein";
    QTest::newRow("Logbuch") << 0 << 1 << 3 << "Logbuch";
    QTest::newRow("Firmwareupdate") << 1 << 2 << 4 << "Software";
    QTest::newRow("Konfiguration") << 0 << 3 << 5 << "Konfiguration";
}

void TestMainWindow::pageSwitchFollowsNodeKind() {
    QFETCH(int, device);
    QFETCH(int, child);
    QFETCH(int, page);
    QFETCH(QString, pageName);
    startWith({controller(0x12AB3, QStringLiteral("A")), controller(0x12AB4, QStringLiteral("B"))});
    showAndSearch();
    QTreeWidgetItem* deviceNode = Main_LV(*m_window)->topLevelItem(0)->child(device);
    Main_LV(*m_window)->setCurrentItem(child < 0 ? deviceNode : deviceNode->child(child));
    QCOMPARE(Main_NB(*m_window)->currentIndex(), page);
    QCOMPARE(Main_NB(*m_window)->currentWidget()->objectName(), pageName);
    QCOMPARE(m_window->currentDevice(), &m_window->deviceList().at(device));
    // The root shows the start page and leaves the current device as it is.
    Main_LV(*m_window)->setCurrentItem(Main_LV(*m_window)->topLevelItem(0));
    QCOMPARE(Main_NB(*m_window)->currentIndex(), 0);
    QCOMPARE(m_window->currentDevice(), &m_window->deviceList().at(device));
}

void TestMainWindow::moduleNodeKeepsCurrentDevice() {
    startWith({controller(0x12AB3, QStringLiteral("A")), controller(0x12AB4, QStringLiteral("B"))});
    showAndSearch();
    // A module node as the table load makes it: it refers to its record, not to a device.
    TDeviceEntry* first = &m_window->deviceList().at(0);
    first->Modules.push_back(std::make_unique<TModuleEntry>());
    auto* module =
        new TDeviceNode(QStringLiteral("Modul"), {nkModule, first, first->Modules.back().get()}, 6);
    QTreeWidgetItem* config = m_window->deviceTree().configNode(*first);
    config->addChild(module);
    first->LoggedIn = true;
    config->parent()->setExpanded(true);
    config->setExpanded(true);
    Main_LV(*m_window)->setCurrentItem(Main_LV(*m_window)->topLevelItem(0)->child(1)->child(0));
    QCOMPARE(m_window->currentDevice(), &m_window->deviceList().at(1));
    Main_LV(*m_window)->setCurrentItem(module);
    QCOMPARE(Main_NB(*m_window)->currentIndex(), 8);
    QCOMPARE(m_window->currentDevice(), &m_window->deviceList().at(1));
}

void TestMainWindow::informationPageShowsEntry_data() {
    QTest::addColumn<int>("serial");
    QTest::addColumn<bool>("dhcp");
    QTest::addColumn<QString>("serialText");
    QTest::newRow("five digits at least") << 0x1F << false << "0001F";
    QTest::newRow("upper case") << 0xABCDEF << true << "ABCDEF";
}

void TestMainWindow::informationPageShowsEntry() {
    QFETCH(int, serial);
    QFETCH(bool, dhcp);
    QFETCH(QString, serialText);
    startWith({controller(static_cast<quint32>(serial), QStringLiteral("A"), dhcp)});
    showAndSearch();
    Main_LV(*m_window)->setCurrentItem(Main_LV(*m_window)->topLevelItem(0)->child(0));
    QCOMPARE(
        Child<QLabel>(*Child(*m_window, QStringLiteral("Information")), QStringLiteral("Serial_ST"))->text(),
        serialText);
    QCOMPARE(Child<QCheckBox>(*Child(*m_window, QStringLiteral("Information")), QStringLiteral("DHCP_CB"))
                 ->isChecked(),
             dhcp);
    QCOMPARE(Child<QLineEdit>(*Child(*m_window, QStringLiteral("Information")), QStringLiteral("IPAddr_ED"))
                 ->text(),
             QStringLiteral("127.0.0.2"));
    QCOMPARE(
        Child<QLineEdit>(*Child(*m_window, QStringLiteral("Information")), QStringLiteral("SubnetMask_ED"))
            ->text(),
        QStringLiteral("255.255.255.0"));
    QCOMPARE(Child<QLineEdit>(*Child(*m_window, QStringLiteral("Information")), QStringLiteral("Gateway_ED"))
                 ->text(),
             QStringLiteral("127.0.0.1"));
    for (QLineEdit* edit :
         {Child<QLineEdit>(*Child(*m_window, QStringLiteral("Information")), QStringLiteral("IPAddr_ED")),
          Child<QLineEdit>(*Child(*m_window, QStringLiteral("Information")), QStringLiteral("SubnetMask_ED")),
          Child<QLineEdit>(*Child(*m_window, QStringLiteral("Information")), QStringLiteral("Gateway_ED"))})
        QCOMPARE(edit->isEnabled(), !dhcp);
}

void TestMainWindow::dhcpCheckBoxEnablesEdits() {
    startWith({controller(0x12AB3, QStringLiteral("A"))});
    showAndSearch();
    Main_LV(*m_window)->setCurrentItem(Main_LV(*m_window)->topLevelItem(0)->child(0));
    QVERIFY(Child<QLineEdit>(*Child(*m_window, QStringLiteral("Information")), QStringLiteral("IPAddr_ED"))
                ->isEnabled());
    QTest::mouseClick(
        Child<QCheckBox>(*Child(*m_window, QStringLiteral("Information")), QStringLiteral("DHCP_CB")),
        Qt::LeftButton, {},
        QPoint(5,
               Child<QCheckBox>(*Child(*m_window, QStringLiteral("Information")), QStringLiteral("DHCP_CB"))
                       ->height() /
                   2));
    QVERIFY(Child<QCheckBox>(*Child(*m_window, QStringLiteral("Information")), QStringLiteral("DHCP_CB"))
                ->isChecked());
    QVERIFY(m_window->deviceList().at(0).DHCP);
    for (QLineEdit* edit :
         {Child<QLineEdit>(*Child(*m_window, QStringLiteral("Information")), QStringLiteral("IPAddr_ED")),
          Child<QLineEdit>(*Child(*m_window, QStringLiteral("Information")), QStringLiteral("SubnetMask_ED")),
          Child<QLineEdit>(*Child(*m_window, QStringLiteral("Information")), QStringLiteral("Gateway_ED"))})
        QVERIFY(!edit->isEnabled());
    Child<QCheckBox>(*Child(*m_window, QStringLiteral("Information")), QStringLiteral("DHCP_CB"))->click();
    QVERIFY(!m_window->deviceList().at(0).DHCP);
    QVERIFY(Child<QLineEdit>(*Child(*m_window, QStringLiteral("Information")), QStringLiteral("Gateway_ED"))
                ->isEnabled());
}

void TestMainWindow::saveSendsIPConfigurationTwice() {
    startWith({controller(0x12AB3, QStringLiteral("A"))});
    showAndSearch();
    Main_LV(*m_window)->setCurrentItem(Main_LV(*m_window)->topLevelItem(0)->child(0));
    Child<QLineEdit>(*Child(*m_window, QStringLiteral("Information")), QStringLiteral("IPAddr_ED"))
        ->setText(QStringLiteral("10.0.0.9"));
    Child<QLineEdit>(*Child(*m_window, QStringLiteral("Information")), QStringLiteral("SubnetMask_ED"))
        ->setText(QString());
    Child<QLineEdit>(*Child(*m_window, QStringLiteral("Information")), QStringLiteral("Gateway_ED"))
        ->setText(QStringLiteral("10.0.0.1"));
    Child<QPushButton>(*Child(*m_window, QStringLiteral("Information")), QStringLiteral("Save_BTN"))->click();
    QTRY_COMPARE(m_discovery->received().size(), std::size_t(3));
    QCOMPARE(m_discovery->received().at(1), QByteArray("12AB3 5 0 10.0.0.9  10.0.0.1"));
    QCOMPARE(m_discovery->received().at(2), QByteArray("12AB3 5 0 10.0.0.9  10.0.0.1"));
    QVERIFY(m_prompter->shown.empty());
    // The entry keeps the addresses of the last search.
    QCOMPARE(m_window->deviceList().at(0).IPAddress, QStringLiteral("127.0.0.2"));
    QCOMPARE(m_controllers.at(0)->config().ip, QStringLiteral("10.0.0.9"));
}

void TestMainWindow::notLoggedInDeviceDoesNotExpand() {
    startWith({controller(0x12AB3, QStringLiteral("A"))});
    showAndSearch();
    QTreeWidgetItem* device = Main_LV(*m_window)->topLevelItem(0)->child(0);
    m_prompter->dialogAnswers.push_back([](QDialog&) { return QDialog::Rejected; });
    device->setExpanded(true);
    QVERIFY(!device->isExpanded());
    QCOMPARE(m_window->currentDevice(), &m_window->deviceList().at(0));
    QCOMPARE(Main_NB(*m_window)->currentIndex(), 1);
}

void TestMainWindow::rootAlwaysExpands() {
    startWith({controller(0x12AB3, QStringLiteral("A"))});
    showAndSearch();
    QTreeWidgetItem* root = Main_LV(*m_window)->topLevelItem(0);
    root->setExpanded(false);
    QVERIFY(!root->isExpanded());
    root->setExpanded(true);
    QVERIFY(root->isExpanded());
    QCOMPARE(Main_NB(*m_window)->currentIndex(), 0);
}

void TestMainWindow::expandSignOfOtherDeviceMakesItCurrentKeepingSelection() {
    startWith({controller(0x12AB3, QStringLiteral("A")), controller(0x12AB4, QStringLiteral("B"))});
    showAndSearch();
    QTreeWidgetItem* root = Main_LV(*m_window)->topLevelItem(0);
    Main_LV(*m_window)->setCurrentItem(root->child(0)->child(0));
    QCOMPARE(m_window->currentDevice(), &m_window->deviceList().at(0));
    QTreeWidgetItem* second = root->child(1);
    const QRect rect = Main_LV(*m_window)->visualItemRect(second);
    m_prompter->dialogAnswers.push_back([](QDialog&) { return QDialog::Rejected; });
    QTest::mouseClick(Main_LV(*m_window)->viewport(), Qt::LeftButton, {},
                      QPoint(rect.left() - Main_LV(*m_window)->indentation() / 2, rect.center().y()));
    QCOMPARE(m_window->currentDevice(), &m_window->deviceList().at(1));
    QCOMPARE(Main_NB(*m_window)->currentIndex(), 1);
    QCOMPARE(Main_LV(*m_window)->currentItem(), root->child(0)->child(0));
}

void TestMainWindow::mouseDownSetsCurrentDevice() {
    startWith({controller(0x12AB3, QStringLiteral("A")), controller(0x12AB4, QStringLiteral("B"))});
    showAndSearch();
    QTreeWidgetItem* node = Main_LV(*m_window)->topLevelItem(0)->child(1);
    QTest::mouseClick(Main_LV(*m_window)->viewport(), Qt::RightButton, {},
                      Main_LV(*m_window)->visualItemRect(node).center());
    QCOMPARE(m_window->currentDevice(), &m_window->deviceList().at(1));
    QCOMPARE(Main_LV(*m_window)->currentItem(), node);
}

void TestMainWindow::webInterfaceAndLinksOpenAddresses() {
    startWith({controller(0x12AB3, QStringLiteral("A"))});
    showAndSearch();
    QList<QUrl> opened;
    m_window->setUrlOpener([&](const QUrl& url) { opened << url; });
    Child<QPushButton>(*Child(*m_window, QStringLiteral("Information")), QStringLiteral("StartWeb_BTN"))
        ->click(); // no current device yet: nothing
    QVERIFY(opened.isEmpty());
    Main_LV(*m_window)->setCurrentItem(Main_LV(*m_window)->topLevelItem(0)->child(0));
    Child<QPushButton>(*Child(*m_window, QStringLiteral("Information")), QStringLiteral("StartWeb_BTN"))
        ->click();
    QCOMPARE(opened, QList<QUrl>{QUrl(QStringLiteral("http://127.0.0.2"))});
    QTest::mouseClick(Child<QLabel>(*m_window, QStringLiteral("WebLink1")), Qt::LeftButton);
    QCOMPARE(opened.last(), QUrl(Child<QLabel>(*m_window, QStringLiteral("WebLink1"))->text()));
    QVERIFY(
        Child<QLabel>(*m_window, QStringLiteral("WebLink1"))->text().startsWith(QLatin1String("http://")));
}

void TestMainWindow::searchDisablesCommandsWhileRunning() {
    startWith({controller(0x12AB3, QStringLiteral("A"))});
    showAndSearch();
    bool sawDisabled = false;
    QTimer probe;
    probe.setInterval(50);
    connect(&probe, &QTimer::timeout, this, [&] {
        if (m_window->busy()) {
            sawDisabled = !Child<QAction>(*m_window, QStringLiteral("Aktualisieren"))->isEnabled() &&
                          !Child<QAction>(*m_window, QStringLiteral("Manuell"))->isEnabled();
            // A second search from inside the first is refused.
            m_window->Aktualisieren1Click();
        }
    });
    probe.start();
    m_window->Aktualisieren1Click();
    probe.stop();
    QVERIFY(sawDisabled);
    QVERIFY(Child<QAction>(*m_window, QStringLiteral("Aktualisieren"))->isEnabled());
    QCOMPARE(Main_LV(*m_window)->topLevelItemCount(), 1);
    QCOMPARE(m_window->deviceList().size(), std::size_t(1));
}

void TestMainWindow::pageHeaders_data() {
    QTest::addColumn<QString>("page");
    QTest::addColumn<QString>("title");
    QTest::addColumn<QString>("description");
    QTest::newRow("1")
        << "Information"
        << "Information & IP-Konfiguration"
        << "Hier können Sie die Grundlegenden TCP/IP Einstellungen Ihres\nKelvora compact vornehmen.";
    QTest::newRow("2")
        << "Allgemein"
        << "Allgemeines"
        << "Hier können Sie die allgemeine Einstellungen und Funktionen\nmit Ihrem Kelvora compact "
           "vornehmen.";
    QTest::newRow("4")
        << "Software"
        << "Software Update"
        << "Mit Hilfe dieser Funktionen können Sie ein Update der Firmware von Kelvora\ncompact "
           "durchführen. Ihr Gerät halten Sie damit immer auf dem neuesten Stand.";
    QTest::newRow("5")
        << "Konfiguration"
        << "Konfiguration"
        << "Hier können Sie komfortabel die Modul- und Transponderkonfiguration Ihres \nKelvora "
           "compact durchführen.";
    QTest::newRow("6") << "ModulNode"
                       << "Module"
                       << "Die Konfiguration von Transponderlesemodulen - oder Geräten können Sie hier\n"
                          "durchführen.";
    QTest::newRow("7") << "TransNode"
                       << "Transponder"
                       << "Die Transponderverwaltung erlaubt Ihnen eine komfortable Administration aller\n"
                          "Transponder. In diesem Fenster können Sie die Standardrestriktionen festlegen.";
}

void TestMainWindow::pageHeaders() {
    QFETCH(QString, page);
    QFETCH(QString, title);
    QFETCH(QString, description);
    startWith({});
    auto* titleLabel = m_window->findChild<QLabel*>(page + QStringLiteral("_Title"));
    auto* descriptionLabel = m_window->findChild<QLabel*>(page + QStringLiteral("_Description"));
    QVERIFY(titleLabel && descriptionLabel);
    QCOMPARE(titleLabel->text(), title);
    QCOMPARE(descriptionLabel->text(), description);
    QCOMPARE(Main_NB(*m_window)->count(), 10);
    QCOMPARE(m_window->windowTitle(), QStringLiteral("Kelvora compact Administrator"));
    QCOMPARE(m_window->minimumSize(), QSize(756, 544));
}

QTEST_MAIN(TestMainWindow)
#include "tst_mainwindow.moc"
