// The page "Software" against a simulated controller: the update upload (account, folder changes, the
// file's own name, the messages) and the restart.

#include "net/FtpClient.h"
#include "ops/Messages.h"
#include "sim/DiscoveryService.h"
#include "support/PageSite.h"
#include "support/TestSupport.h"
#include "ui/pages/UpdatePage.h"

#include <QDir>
#include <QPushButton>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QUdpSocket>
#include <QtTest>

#include <functional>

namespace {

const QString kAccessRefused = QStringLiteral(
    "Das Software-Update kann nicht durchgeführt werden. Bitte versuchen Sie den Vorgang erneut.");
const QString kFtpFailed = QStringLiteral("Die FTP-Verbindung kann nicht aufgebaut werden.");
const QString kDone =
    QStringLiteral("Das Update wurde erfolgreich durchgeführt. Bitte starten Sie Kelvora compact neu.");
const QString kFailed =
    QStringLiteral("Es ist ein Fehler aufgetreten. Bitte versuchen Sie das Update erneut.");
const QString kRestarting = QStringLiteral(
    "Das Kelvora compact startet gerade neu. Bitte klicken Sie in ein paar Sekunden auf \"Aktualisieren\".");

using Setup = std::function<void(PageSite&)>;

QStringList ftpLines(const QStringList& events) {
    QStringList lines;
    for (const QString& line : events) {
        // The data port changes from run to run; a discarded upload is logged when the server notices.
        if (line.startsWith(QLatin1String("ftp ")) && !line.startsWith(QLatin1String("ftp PORT ")) &&
            !line.startsWith(QLatin1String("ftp upload discarded ")))
            lines << line;
    }
    return lines;
}

const QStringList kLogins = {QStringLiteral("ftp USER ftp"), QStringLiteral("ftp PASS ***"),
                             QStringLiteral("ftp USER ftp"), QStringLiteral("ftp PASS ***")};
const QStringList kFolders = {QStringLiteral("ftp CWD b:"), QStringLiteral("ftp CWD /firmware/")};

// Whether the controller answers a search within a short while.
bool answersSearch(sim::DiscoveryService& discovery) {
    QUdpSocket socket;
    socket.bind(QHostAddress(QStringLiteral("127.0.0.1")), 0);
    socket.writeDatagram(QByteArray("0 1 "), QHostAddress(QStringLiteral("127.0.0.1")), discovery.port());
    return QTest::qWaitFor([&] { return socket.hasPendingDatagrams(); }, 300);
}

bool refused(quint16 port) {
    QTcpSocket socket;
    socket.connectToHost(QHostAddress(QStringLiteral("127.0.0.2")), port);
    socket.waitForConnected(2000);
    return socket.state() != QAbstractSocket::ConnectedState &&
           socket.error() == QAbstractSocket::ConnectionRefusedError;
}

} // namespace

Q_DECLARE_METATYPE(Setup)

class TestUpdate : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void init();
    void cleanup();

    void onlineUpdate();
    void upload_data();
    void upload();
    void restart();
    void restartWithoutLogin();

private:
    void click(const QString& button) { m_page->findChild<QPushButton*>(button)->click(); }
    ScriptedPrompter& prompter() { return m_site->host().scripted; }
    TFtpClient& ftp() { return m_site->host().ftpLink().client(); }

    std::unique_ptr<PageSite> m_site;
    std::unique_ptr<TUpdatePage> m_page;
    QTemporaryDir m_dir;
};

void TestUpdate::init() {
    m_site = std::make_unique<PageSite>();
}

void TestUpdate::cleanup() {
    m_page.reset();
    m_site.reset();
}

// "Onlineupdate" is there but disabled; its handler only says so and contacts nobody.
void TestUpdate::onlineUpdate() {
    QString error;
    QVERIFY2(m_site->start(&error), qPrintable(error));
    m_page = std::make_unique<TUpdatePage>(m_site->host(), nullptr);
    QVERIFY(!m_page->findChild<QPushButton*>(QStringLiteral("OnlineFirmware_BTN"))->isEnabled());
    m_page->OnlineFirmware_BTNClick();
    QCOMPARE(prompter().messages(),
             QStringList{QStringLiteral("Diese Funktion ist leider noch nicht implementiert.")});
    QCOMPARE(prompter().shown.back().icon, MsgIcon::Information);
    QVERIFY(m_site->newEvents().isEmpty());
}

void TestUpdate::upload_data() {
    QTest::addColumn<QString>("button");
    QTest::addColumn<QString>("fileName"); // the file on disk
    QTest::addColumn<Setup>("fault");
    QTest::addColumn<QString>("message");
    QTest::addColumn<QStringList>("wire"); // the FTP commands the controller saw, PORT left out
    const Setup none = [](PageSite&) {};
    const QString firmware = QStringLiteral("StartFirmware_BTN");
    const QString stor = QStringLiteral("ftp STOR ");
    QTest::newRow("firmware image") << firmware << QStringLiteral("kc_v140.klv") << none << kDone
                                    << kLogins + kFolders +
                                           QStringList{stor + "kc_v140.klv",
                                                       QStringLiteral("ftp stored kc_v140.klv 2000"),
                                                       QStringLiteral("ftp QUIT")};
    QTest::newRow("BIOS image, the other button")
        << QStringLiteral("StartBIOS_BTN") << QStringLiteral("bios.hex") << none << kDone
        << kLogins + kFolders +
               QStringList{stor + "bios.hex", QStringLiteral("ftp stored bios.hex 2000"),
                           QStringLiteral("ftp QUIT")};
    QTest::newRow("file access refused")
        << firmware << QStringLiteral("bios.hex")
        << Setup([](PageSite& site) { site.device().command.refuseFileAccess = true; }) << kAccessRefused
        << QStringList();
    QTest::newRow("FTP login refused") << firmware << QStringLiteral("bios.hex") << Setup([](PageSite& site) {
        site.device().ftp.refuseLogin = true;
    }) << kFtpFailed << QStringList{QStringLiteral("ftp USER ftp"), QStringLiteral("ftp PASS ***")};
    QTest::newRow("no folder /firmware/")
        << firmware << QStringLiteral("bios.hex") << Setup([](PageSite& site) {
               QDir(site.controller->dataFile(QStringLiteral("firmware"))).removeRecursively();
           })
        << kFailed << kLogins + kFolders + QStringList{QStringLiteral("ftp QUIT")};
    QTest::newRow("name outside Windows-1252")
        << firmware << QStringLiteral("Ωmega.hex") << none
        << QStringLiteral(
               "Der Dateiname \"Ωmega.hex\" enthält Zeichen, die Kelvora compact nicht speichern "
               "kann. Bitte benennen Sie die Datei um (Buchstaben, Ziffern, Umlaute) und versuchen "
               "Sie es erneut.")
        << QStringList();
    // Windows-1252 characters outside Latin-1: the controller gets their Windows-1252 bytes.
    QTest::newRow("euro sign, S caron and low quote in the name")
        << firmware << QStringLiteral("kc€Š„.hex") << none << kDone
        << kLogins + kFolders +
               QStringList{stor + QStringLiteral("kc€Š„.hex"), QStringLiteral("ftp stored kc€Š„.hex 2000"),
                           QStringLiteral("ftp QUIT")};
}

void TestUpdate::upload() {
    QFETCH(QString, button);
    QFETCH(QString, fileName);
    QFETCH(Setup, fault);
    QFETCH(QString, message);
    QFETCH(QStringList, wire);
    QString error;
    QVERIFY2(m_site->start(&error), qPrintable(error));
    const QByteArray image = QByteArray::fromHex("3A1000000102030405060708090A0B0C0D0E0F10").repeated(100);
    const QString path = m_dir.filePath(fileName);
    QVERIFY(testsupport::writeFile(path, image));
    m_site->host().ftpLink().setTimeoutMs(300);
    fault(*m_site);
    m_page = std::make_unique<TUpdatePage>(m_site->host(), nullptr);
    prompter().fileAnswers.push_back(path);

    click(button);

    QCOMPARE(prompter().shown.front().kind, QStringLiteral("open"));
    QCOMPARE(prompter().filters, std::vector<QString>{QStringLiteral("Kelvora compact BIOS *.HEX (*.HEX)")});
    QCOMPARE(prompter().messages(), QStringList{message});
    QCOMPARE(prompter().shown.back().icon, message == kFtpFailed ? MsgIcon::Error
                                           : message.startsWith(QStringLiteral("Der Dateiname"))
                                               ? MsgIcon::Warning
                                               : MsgIcon::Information);
    const QStringList events = m_site->newEvents();
    QCOMPARE(ftpLines(events), wire);
    if (!wire.isEmpty())
        QVERIFY(events.indexOf(QStringLiteral("command 4 value 1")) < events.indexOf(wire.front()));
    if (wire.isEmpty() && message != kAccessRefused)
        QVERIFY2(events.isEmpty(), qPrintable(events.join(QLatin1Char('|'))));
    QCOMPARE(m_site->stored(QStringLiteral("firmware/") + fileName), message == kDone ? image : QByteArray());
    QVERIFY(!QFile::exists(m_site->controller->dataFile(fileName)));
    // The configured account is back whatever happened.
    QCOMPARE(ftp().UserName(), QStringLiteral("kelvora"));
    QCOMPARE(ftp().PassWord(), QStringLiteral("pel47k2"));
    QCOMPARE(m_site->host().busyCount, 0);
    QVERIFY(QApplication::overrideCursor() == nullptr);
    QTRY_VERIFY(!m_site->controller->commandService()->hasClient());
}

void TestUpdate::restart() {
    m_site->device().command.restartDowntimeMs = 3000; // ample for the checks below on a busy machine
    QString error;
    QVERIFY2(m_site->start(&error), qPrintable(error));
    sim::DiscoveryService discovery;
    discovery.addController(m_site->controller.get());
    QVERIFY(discovery.listen(QHostAddress(QStringLiteral("127.0.0.1")), 0));
    QVERIFY(answersSearch(discovery));
    m_page = std::make_unique<TUpdatePage>(m_site->host(), nullptr);

    click(QStringLiteral("Reboot_BTN"));

    QCOMPARE(prompter().messages(), QStringList{kRestarting});
    QCOMPARE(prompter().shown.back().icon, MsgIcon::Information);
    // The command arrived before the connection went: the controller read it and then dropped the line.
    // (The tool does not wait for that; the controller here shares the test's event loop.)
    QTRY_VERIFY(m_site->eventSeen(QStringLiteral("restart")));
    const QStringList events = m_site->newEvents();
    const qsizetype command = events.indexOf(QStringLiteral("command 999 value 0"));
    QVERIFY2(command > 0, qPrintable(events.join(QLatin1Char('|'))));
    QVERIFY(events.contains(QStringLiteral("login ok admin")));
    QCOMPARE(events.value(command + 1), QStringLiteral("restart"));
    QVERIFY(events.lastIndexOf(QStringLiteral("disconnected")) > command);

    // While it restarts, the controller takes no connection of either kind and answers no search.
    QVERIFY(refused(m_site->device().commandPort));
    QVERIFY(refused(m_site->device().ftpPort));
    QVERIFY(!answersSearch(discovery));
    QVERIFY(!m_site->eventSeen(QStringLiteral("restarted")));
    QTRY_VERIFY_WITH_TIMEOUT(m_site->eventSeen(QStringLiteral("restarted")), 10000);
    QVERIFY(!refused(m_site->device().commandPort));
    QVERIFY(!refused(m_site->device().ftpPort));
    QVERIFY(answersSearch(discovery));
}

void TestUpdate::restartWithoutLogin() {
    QString error;
    QVERIFY2(m_site->start(&error), qPrintable(error));
    m_site->device().command.password = QStringLiteral("anders");
    m_page = std::make_unique<TUpdatePage>(m_site->host(), nullptr);
    click(QStringLiteral("Reboot_BTN"));
    QCOMPARE(prompter().messages(), QStringList{ops::kConnectionFailedText});
    QCOMPARE(prompter().shown.back().icon, MsgIcon::Error);
    QVERIFY(!m_site->eventSeen(QStringLiteral("command 999 value 0")));
    QVERIFY(!m_site->eventSeen(QStringLiteral("restart")));
}

QTEST_MAIN(TestUpdate)
#include "tst_update.moc"
