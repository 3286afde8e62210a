#include "device/NetworkTargets.h"
#include "device/ProgramFolder.h"
#include "sim/DiscoveryService.h"
#include "sim/SimController.h"
#include "support/ScriptedPrompter.h"
#include "ui/SettingsStore.h"
#include "ui/main.h"
#include "ui/manuell.h"
#include "ui/password.h"

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QNetworkDatagram>
#include <QPushButton>
#include <QSettings>
#include <QStackedWidget>
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
    void nonHexSerialInReplyKeepsEarlierEntries();
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
    m_window->ChangeDelayMs = 0;
}

void TestMainWindow::showAndSearch() {
    m_window->show();
    // The search runs once the window is shown; it is over when the tree has its root and the
    // commands are enabled again.
    QTRY_VERIFY(m_window->Main_LV->topLevelItemCount() == 1 && !m_window->Busy());
}

void TestMainWindow::searchAtFirstShowBuildsTheTree() {
    startWith(
        {controller(0x12AB3, QStringLiteral("Lager Tor 2")), controller(0x12AB4, QStringLiteral("Büro"))});
    showAndSearch();
    QTreeWidgetItem* root = m_window->Main_LV->topLevelItem(0);
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
        QCOMPARE(m_window->DeviceList.at(i)->ConfigNode, device->child(3));
    }
    QCOMPARE(m_window->DeviceList.size(), std::size_t(2));
    QCOMPARE(m_window->DeviceList.at(0)->Serial, 0x12AB3);
    QCOMPARE(m_window->DeviceList.at(0)->IPAddress, QStringLiteral("127.0.0.2"));
    QVERIFY(!m_window->DeviceList.at(0)->LoggedIn);
    QCOMPARE(m_window->Main_NB->currentIndex(), 0);
    QVERIFY(m_window->CurrentDevice == nullptr);
    QVERIFY(m_prompter->shown.empty());
}

void TestMainWindow::noControllerWarnsAndKeepsOnlyTheRoot() {
    startWith({});
    showAndSearch();
    QCOMPARE(m_prompter->shown.size(), std::size_t(1));
    QCOMPARE(m_prompter->shown.at(0).text, kNotFound);
    QCOMPARE(m_prompter->shown.at(0).icon, MsgIcon::Warning);
    QCOMPARE(m_window->Main_LV->topLevelItemCount(), 1);
    QCOMPARE(m_window->Main_LV->topLevelItem(0)->childCount(), 0);
    QVERIFY(m_window->DeviceList.empty());
}

void TestMainWindow::nonHexSerialInReplyKeepsEarlierEntries() {
    startWith({});
    RawResponder responder({"1F 0 10.0.0.1 255.0.0.0 10.0.0.254 Gut",
                            "XYZ 0 10.0.0.2 255.0.0.0 10.0.0.254 Schlecht",
                            "20 0 10.0.0.3 255.0.0.0 10.0.0.254 Danach"});
    NetworkTargets targets = Targets();
    targets.discoveryPort = responder.port();
    SetTargets(targets);
    showAndSearch();
    QCOMPARE(m_prompter->messages(), QStringList{QStringLiteral("'$XYZ' is not a valid integer value")});
    QCOMPARE(m_prompter->shown.at(0).icon, MsgIcon::Error);
    QCOMPARE(childCaptions(m_window->Main_LV->topLevelItem(0)), QStringList{QStringLiteral("Gut")});
    QCOMPARE(m_window->DeviceList.size(), std::size_t(1));
    // The program goes on: a new search works.
    QVERIFY(m_window->Aktualisieren->isEnabled());
}

void TestMainWindow::manualAddReplacesAllEntries() {
    startWith({controller(0x12AB3, QStringLiteral("A")), controller(0x12AB4, QStringLiteral("B"))});
    showAndSearch();
    m_prompter->dialogAnswers.push_back([](QDialog& dialog) {
        auto& manual = static_cast<TManual_Dlg&>(dialog);
        QTest::keyClicks(manual.Serial_ED, QStringLiteral("1f"));
        QTest::keyClicks(manual.IPAddr_ED, QStringLiteral("10.0.0.7"));
        return manual.OKBtn->isEnabled() ? QDialog::Accepted : QDialog::Rejected;
    });
    m_window->ManuellClick();
    QTreeWidgetItem* root = m_window->Main_LV->topLevelItem(0);
    QCOMPARE(root->text(0), QStringLiteral("Gefundene Systeme"));
    QVERIFY(!root->isExpanded());
    QCOMPARE(childCaptions(root), QStringList{QStringLiteral("Manuell")});
    QCOMPARE(root->child(0)->childCount(), 4);
    QCOMPARE(m_window->DeviceList.size(), std::size_t(1));
    const TDeviceEntry& entry = *m_window->DeviceList.at(0);
    QCOMPARE(entry.Serial, 0x1F);
    QCOMPARE(entry.DHCP, false);
    QCOMPARE(entry.IPAddress, QStringLiteral("10.0.0.7"));
    // A manual entry gets the all-ones mask.
    QCOMPARE(QHostAddress(entry.SubnetMask).toIPv4Address(), 0xFFFFFFFFu);
    QCOMPARE(entry.SubnetMask.count(QLatin1Char('.')), 3);
    QCOMPARE(entry.Gateway, QStringLiteral("0.0.0.0"));
    QCOMPARE(entry.Name, QStringLiteral("Manuell"));
    QVERIFY(!entry.LoggedIn);
    QVERIFY(m_window->CurrentDevice == nullptr);
    // No datagram is sent for a manual add: the search request is all the service ever saw.
    QCOMPARE(m_discovery->received().size(), std::size_t(1));
}

void TestMainWindow::manualAddCancelledChangesNothing() {
    startWith({controller(0x12AB3, QStringLiteral("A"))});
    showAndSearch();
    m_prompter->dialogAnswers.push_back([](QDialog&) { return QDialog::Rejected; });
    m_window->ManuellClick();
    QCOMPARE(childCaptions(m_window->Main_LV->topLevelItem(0)), QStringList{QStringLiteral("A")});
    QCOMPARE(m_window->DeviceList.size(), std::size_t(1));
}

void TestMainWindow::manualAddNonHexSerialShowsConversionError() {
    startWith({controller(0x12AB3, QStringLiteral("A"))});
    showAndSearch();
    m_prompter->dialogAnswers.push_back([](QDialog& dialog) {
        auto& manual = static_cast<TManual_Dlg&>(dialog);
        manual.Serial_ED->setText(QStringLiteral("XY")); // pasted: not filtered
        manual.IPAddr_ED->setText(QStringLiteral("10.0.0.7"));
        return QDialog::Accepted;
    });
    // Through the action, as the user would, so that the general error handler is in the path.
    m_window->Manuell->trigger();
    QCOMPARE(m_prompter->messages(), QStringList{QStringLiteral("'$XY' is not a valid integer value")});
    QCOMPARE(m_prompter->shown.back().icon, MsgIcon::Error);
    QCOMPARE(m_window->Main_LV->topLevelItem(0)->childCount(), 0);
    QVERIFY(m_window->DeviceList.empty());
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
    QTreeWidgetItem* deviceNode = m_window->Main_LV->topLevelItem(0)->child(device);
    m_window->Main_LV->setCurrentItem(child < 0 ? deviceNode : deviceNode->child(child));
    QCOMPARE(m_window->Main_NB->currentIndex(), page);
    QCOMPARE(m_window->Main_NB->currentWidget()->objectName(), pageName);
    QCOMPARE(m_window->CurrentDevice, m_window->DeviceList.at(device).get());
    // The root shows the start page and leaves the current device as it is.
    m_window->Main_LV->setCurrentItem(m_window->Main_LV->topLevelItem(0));
    QCOMPARE(m_window->Main_NB->currentIndex(), 0);
    QCOMPARE(m_window->CurrentDevice, m_window->DeviceList.at(device).get());
}

void TestMainWindow::moduleNodeKeepsCurrentDevice() {
    startWith({controller(0x12AB3, QStringLiteral("A")), controller(0x12AB4, QStringLiteral("B"))});
    showAndSearch();
    // A module node as the table load makes it: it refers to its record, not to a device.
    TDeviceEntry* first = m_window->DeviceList.at(0).get();
    first->Modules.push_back(std::make_unique<TModuleEntry>());
    auto* module = new QTreeWidgetItem(first->ConfigNode, {QStringLiteral("Modul")});
    nodes::SetNodeData(module, nkModule, first->Modules.back().get());
    first->LoggedIn = true;
    first->ConfigNode->parent()->setExpanded(true);
    first->ConfigNode->setExpanded(true);
    m_window->Main_LV->setCurrentItem(m_window->Main_LV->topLevelItem(0)->child(1)->child(0));
    QCOMPARE(m_window->CurrentDevice, m_window->DeviceList.at(1).get());
    m_window->Main_LV->setCurrentItem(module);
    QCOMPARE(m_window->Main_NB->currentIndex(), 8);
    QCOMPARE(m_window->CurrentDevice, m_window->DeviceList.at(1).get());
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
    m_window->Main_LV->setCurrentItem(m_window->Main_LV->topLevelItem(0)->child(0));
    QCOMPARE(m_window->Serial_ST->text(), serialText);
    QCOMPARE(m_window->DHCP_CB->isChecked(), dhcp);
    QCOMPARE(m_window->IPAddr_ED->text(), QStringLiteral("127.0.0.2"));
    QCOMPARE(m_window->SubnetMask_ED->text(), QStringLiteral("255.255.255.0"));
    QCOMPARE(m_window->Gateway_ED->text(), QStringLiteral("127.0.0.1"));
    for (QLineEdit* edit : {m_window->IPAddr_ED, m_window->SubnetMask_ED, m_window->Gateway_ED})
        QCOMPARE(edit->isEnabled(), !dhcp);
}

void TestMainWindow::dhcpCheckBoxEnablesEdits() {
    startWith({controller(0x12AB3, QStringLiteral("A"))});
    showAndSearch();
    m_window->Main_LV->setCurrentItem(m_window->Main_LV->topLevelItem(0)->child(0));
    QVERIFY(m_window->IPAddr_ED->isEnabled());
    QTest::mouseClick(m_window->DHCP_CB, Qt::LeftButton, {}, QPoint(5, m_window->DHCP_CB->height() / 2));
    QVERIFY(m_window->DHCP_CB->isChecked());
    QVERIFY(m_window->DeviceList.at(0)->DHCP);
    for (QLineEdit* edit : {m_window->IPAddr_ED, m_window->SubnetMask_ED, m_window->Gateway_ED})
        QVERIFY(!edit->isEnabled());
    m_window->DHCP_CB->click();
    QVERIFY(!m_window->DeviceList.at(0)->DHCP);
    QVERIFY(m_window->Gateway_ED->isEnabled());
}

void TestMainWindow::saveSendsIPConfigurationTwice() {
    startWith({controller(0x12AB3, QStringLiteral("A"))});
    showAndSearch();
    m_window->Main_LV->setCurrentItem(m_window->Main_LV->topLevelItem(0)->child(0));
    m_window->IPAddr_ED->setText(QStringLiteral("10.0.0.9"));
    m_window->SubnetMask_ED->setText(QString());
    m_window->Gateway_ED->setText(QStringLiteral("10.0.0.1"));
    m_window->Save_BTN->click();
    QTRY_COMPARE(m_discovery->received().size(), std::size_t(3));
    QCOMPARE(m_discovery->received().at(1), QByteArray("12AB3 5 0 10.0.0.9  10.0.0.1"));
    QCOMPARE(m_discovery->received().at(2), QByteArray("12AB3 5 0 10.0.0.9  10.0.0.1"));
    QVERIFY(m_prompter->shown.empty());
    // The entry keeps the addresses of the last search.
    QCOMPARE(m_window->DeviceList.at(0)->IPAddress, QStringLiteral("127.0.0.2"));
    QCOMPARE(m_controllers.at(0)->config().ip, QStringLiteral("10.0.0.9"));
}

void TestMainWindow::notLoggedInDeviceDoesNotExpand() {
    startWith({controller(0x12AB3, QStringLiteral("A"))});
    showAndSearch();
    QTreeWidgetItem* device = m_window->Main_LV->topLevelItem(0)->child(0);
    m_prompter->dialogAnswers.push_back([](QDialog&) { return QDialog::Rejected; });
    device->setExpanded(true);
    QVERIFY(!device->isExpanded());
    QCOMPARE(m_window->CurrentDevice, m_window->DeviceList.at(0).get());
    QCOMPARE(m_window->Main_NB->currentIndex(), 1);
}

void TestMainWindow::rootAlwaysExpands() {
    startWith({controller(0x12AB3, QStringLiteral("A"))});
    showAndSearch();
    QTreeWidgetItem* root = m_window->Main_LV->topLevelItem(0);
    root->setExpanded(false);
    QVERIFY(!root->isExpanded());
    root->setExpanded(true);
    QVERIFY(root->isExpanded());
    QCOMPARE(m_window->Main_NB->currentIndex(), 0);
}

void TestMainWindow::expandSignOfOtherDeviceMakesItCurrentKeepingSelection() {
    startWith({controller(0x12AB3, QStringLiteral("A")), controller(0x12AB4, QStringLiteral("B"))});
    showAndSearch();
    QTreeWidgetItem* root = m_window->Main_LV->topLevelItem(0);
    m_window->Main_LV->setCurrentItem(root->child(0)->child(0));
    QCOMPARE(m_window->CurrentDevice, m_window->DeviceList.at(0).get());
    QTreeWidgetItem* second = root->child(1);
    const QRect rect = m_window->Main_LV->visualItemRect(second);
    m_prompter->dialogAnswers.push_back([](QDialog&) { return QDialog::Rejected; });
    QTest::mouseClick(m_window->Main_LV->viewport(), Qt::LeftButton, {},
                      QPoint(rect.left() - m_window->Main_LV->indentation() / 2, rect.center().y()));
    QCOMPARE(m_window->CurrentDevice, m_window->DeviceList.at(1).get());
    QCOMPARE(m_window->Main_NB->currentIndex(), 1);
    QCOMPARE(m_window->Main_LV->currentItem(), root->child(0)->child(0));
}

void TestMainWindow::mouseDownSetsCurrentDevice() {
    startWith({controller(0x12AB3, QStringLiteral("A")), controller(0x12AB4, QStringLiteral("B"))});
    showAndSearch();
    QTreeWidgetItem* node = m_window->Main_LV->topLevelItem(0)->child(1);
    QTest::mouseClick(m_window->Main_LV->viewport(), Qt::RightButton, {},
                      m_window->Main_LV->visualItemRect(node).center());
    QCOMPARE(m_window->CurrentDevice, m_window->DeviceList.at(1).get());
    QCOMPARE(m_window->Main_LV->currentItem(), node);
}

void TestMainWindow::webInterfaceAndLinksOpenAddresses() {
    startWith({controller(0x12AB3, QStringLiteral("A"))});
    showAndSearch();
    QList<QUrl> opened;
    m_window->OpenUrl = [&](const QUrl& url) { opened << url; };
    m_window->StartWeb_BTN->click(); // no current device yet: nothing
    QVERIFY(opened.isEmpty());
    m_window->Main_LV->setCurrentItem(m_window->Main_LV->topLevelItem(0)->child(0));
    m_window->StartWeb_BTN->click();
    QCOMPARE(opened, QList<QUrl>{QUrl(QStringLiteral("http://127.0.0.2"))});
    m_window->WebLinkClick(m_window->WebLink1);
    QCOMPARE(opened.last(), QUrl(m_window->WebLink1->text()));
    QVERIFY(m_window->WebLink1->text().startsWith(QLatin1String("http://")));
}

void TestMainWindow::searchDisablesCommandsWhileRunning() {
    startWith({controller(0x12AB3, QStringLiteral("A"))});
    showAndSearch();
    bool sawDisabled = false;
    QTimer probe;
    probe.setInterval(50);
    connect(&probe, &QTimer::timeout, this, [&] {
        if (m_window->Busy()) {
            sawDisabled = !m_window->Aktualisieren->isEnabled() && !m_window->Manuell->isEnabled();
            // A second search from inside the first is refused.
            m_window->Aktualisieren1Click();
        }
    });
    probe.start();
    m_window->Aktualisieren1Click();
    probe.stop();
    QVERIFY(sawDisabled);
    QVERIFY(m_window->Aktualisieren->isEnabled());
    QCOMPARE(m_window->Main_LV->topLevelItemCount(), 1);
    QCOMPARE(m_window->DeviceList.size(), std::size_t(1));
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
    QCOMPARE(m_window->Main_NB->count(), 10);
    QCOMPARE(m_window->windowTitle(), QStringLiteral("Kelvora compact Administrator"));
    QCOMPARE(m_window->minimumSize(), QSize(756, 544));
}

QTEST_MAIN(TestMainWindow)
#include "tst_mainwindow.moc"
