// The backup section of the page "Allgemein" against a simulated controller: the folder dialog, the two
// files moved unchanged, what a failure leaves behind and what the user is told.

#include "ops/Backup.h"
#include "support/ExpectedTexts.h"
#include "support/PageSite.h"
#include "support/TestSupport.h"
#include "support/WidgetLookup.h"
#include "ui/pages/BackupSection.h"

#include <QDir>
#include <QPushButton>
#include <QTemporaryDir>
#include <QtTest>

#include <functional>

using namespace expected;

namespace {

using testsupport::pattern;

// What a controller holds: 16 modules and 1000 transponders, every byte value present.
const QByteArray kModules = pattern(16 * 40, 1);
const QByteArray kTransponders = pattern(1000 * 89, 2);
// An earlier backup in the folder.
const QByteArray kOldModules = pattern(3 * 40, 3);
const QByteArray kOldTransponders = pattern(5 * 89, 4);

using Setup = std::function<void(sim::ControllerConfig&)>;

} // namespace

Q_DECLARE_METATYPE(Setup)

class TestBackup : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void init();
    void cleanup();

    void backup_data();
    void backup();
    void failedBackupKeepsEarlierPair_data();
    void failedBackupKeepsEarlierPair();
    void restore_data();
    void restore();
    void cancelledDialogsDoNothing();

private:
    void click(const char* button) { Child<QPushButton>(*m_section, QString::fromLatin1(button))->click(); }
    QStringList folderFiles(const QString& folder) const {
        return QDir(folder).entryList(QDir::Files | QDir::Hidden | QDir::NoDotAndDotDot, QDir::Name);
    }
    ScriptedPrompter& prompter() { return m_site->host().scripted; }

    std::unique_ptr<PageSite> m_site;
    std::unique_ptr<TBackupSection> m_section;
    std::unique_ptr<QTemporaryDir> m_dir;
};

void TestBackup::init() {
    m_site = std::make_unique<PageSite>();
    m_dir = std::make_unique<QTemporaryDir>();
}

void TestBackup::cleanup() {
    m_section.reset();
    m_site.reset();
    m_dir.reset();
}

void TestBackup::backup_data() {
    QTest::addColumn<QString>("subfolder");
    QTest::addColumn<bool>("earlier");
    QTest::addColumn<bool>("trailingSeparator");
    QTest::newRow("empty folder") << QStringLiteral("Sicherung") << false << false;
    QTest::newRow("over an earlier backup") << QStringLiteral("Sicherung") << true << false;
    QTest::newRow("trailing separator") << QStringLiteral("Sicherung") << true << true;
}

void TestBackup::backup() {
    QFETCH(QString, subfolder);
    QFETCH(bool, earlier);
    QFETCH(bool, trailingSeparator);
    QString error;
    QVERIFY2(m_site->start(&error), qPrintable(error));
    QVERIFY(testsupport::writeFile(m_site->controller->dataFile(QStringLiteral("module.dat")), kModules));
    QVERIFY(testsupport::writeFile(m_site->controller->dataFile(QStringLiteral("trans.dat")), kTransponders));
    const QString folder = m_dir->filePath(subfolder);
    QVERIFY(QDir().mkpath(folder));
    if (earlier) {
        QVERIFY(testsupport::writeFile(folder + QStringLiteral("/module.dat"), kOldModules));
        QVERIFY(testsupport::writeFile(folder + QStringLiteral("/trans.dat"), kOldTransponders));
    }
    m_section = std::make_unique<TBackupSection>(m_site->host(), nullptr);
    prompter().fileAnswers.push_back(trailingSeparator ? folder + QLatin1Char('/') : folder);

    click("StartBackup_BTN");

    QCOMPARE(prompter().shown.front().kind, QStringLiteral("folder"));
    QCOMPARE(prompter().shown.front().text, kBackupPrompt);
    QCOMPARE(prompter().messages(), QStringList{kBackupDone});
    QCOMPARE(prompter().shown.back().icon, MsgIcon::Information);
    QCOMPARE(folderFiles(folder), QStringList({QStringLiteral("module.dat"), QStringLiteral("trans.dat")}));
    QCOMPARE(testsupport::readFile(folder + QStringLiteral("/module.dat")), kModules);
    QCOMPARE(testsupport::readFile(folder + QStringLiteral("/trans.dat")), kTransponders);
    const QStringList events = m_site->newEvents();
    QVERIFY(events.contains(QStringLiteral("command 4 value 1")));
    QVERIFY(events.indexOf(QStringLiteral("ftp RETR module.dat")) <
            events.indexOf(QStringLiteral("ftp RETR trans.dat")));
    QVERIFY(events.contains(QStringLiteral("ftp QUIT")));
    QVERIFY(!events.contains(QStringLiteral("ftp CWD /")));
    QCOMPARE(m_site->host().commandsBegun, 1);
    QCOMPARE(m_site->host().busyCount, 0);
    QVERIFY(QApplication::overrideCursor() == nullptr);
}

void TestBackup::failedBackupKeepsEarlierPair_data() {
    QTest::addColumn<Setup>("fault");
    QTest::addColumn<QStringList>("messages");
    QTest::addColumn<bool>("quitSent");
    QTest::addColumn<bool>("protectedModules"); // the earlier module.dat is read-only
    QTest::newRow("second download refused")
        << Setup([](sim::ControllerConfig& c) { c.ftp.missingFiles = {QStringLiteral("trans.dat")}; })
        << QStringList{kBackupFailed} << true << false;
    // The modules (640 bytes) come through; the transponders stop after 1000 bytes and the client
    // gives up.
    QTest::newRow("second download stalls")
        << Setup([](sim::ControllerConfig& c) { c.ftp.stallAfterBytes = 1000; }) << QStringList{kBackupFailed}
        << false << false;
    QTest::newRow("file access refused")
        << Setup([](sim::ControllerConfig& c) { c.command.refuseFileAccess = true; })
        << QStringList{kLoadAccess} << false << false;
    // Both files arrive, but the old pair cannot be replaced (Windows refuses to delete a read-only file).
    QTest::newRow("earlier module.dat read-only")
        << Setup([](sim::ControllerConfig&) {}) << QStringList{kBackupFailed} << true << true;
}

void TestBackup::failedBackupKeepsEarlierPair() {
    QFETCH(Setup, fault);
    QFETCH(QStringList, messages);
    QFETCH(bool, quitSent);
    QFETCH(bool, protectedModules);
    QString error;
    QVERIFY2(m_site->start(&error), qPrintable(error));
    QVERIFY(testsupport::writeFile(m_site->controller->dataFile(QStringLiteral("module.dat")), kModules));
    QVERIFY(testsupport::writeFile(m_site->controller->dataFile(QStringLiteral("trans.dat")), kTransponders));
    const QString folder = m_dir->path();
    QVERIFY(testsupport::writeFile(folder + QStringLiteral("/module.dat"), kOldModules));
    QVERIFY(testsupport::writeFile(folder + QStringLiteral("/trans.dat"), kOldTransponders));
    const QFile::Permissions writable = QFile::permissions(folder + QStringLiteral("/module.dat"));
    if (protectedModules)
        QVERIFY(QFile::setPermissions(folder + QStringLiteral("/module.dat"),
                                      QFile::ReadOwner | QFile::ReadUser));
    m_site->host().ftpLink().setTimeoutMs(300);
    fault(m_site->device());
    m_section = std::make_unique<TBackupSection>(m_site->host(), nullptr);
    prompter().fileAnswers.push_back(folder);

    click("StartBackup_BTN");

    QCOMPARE(prompter().messages(), messages);
    if (!messages.isEmpty())
        QCOMPARE(prompter().shown.back().icon,
                 messages.front() == kLoadAccess ? MsgIcon::Information : MsgIcon::Error);
    QCOMPARE(folderFiles(folder), QStringList({QStringLiteral("module.dat"), QStringLiteral("trans.dat")}));
    QCOMPARE(testsupport::readFile(folder + QStringLiteral("/module.dat")), kOldModules);
    QCOMPARE(testsupport::readFile(folder + QStringLiteral("/trans.dat")), kOldTransponders);
    QCOMPARE(m_site->eventSeen(QStringLiteral("ftp QUIT")), quitSent);
    QTRY_VERIFY(!m_site->controller->commandService()->hasClient());

    // Nothing of the failure sticks: with the fault gone the next backup goes through.
    QVERIFY(QFile::setPermissions(folder + QStringLiteral("/module.dat"), writable));
    m_site->device().ftp = sim::FtpOptions();
    m_site->device().command.refuseFileAccess = false;
    prompter().clear();
    prompter().fileAnswers.push_back(folder);
    click("StartBackup_BTN");
    QCOMPARE(prompter().messages(), QStringList{kBackupDone});
    QCOMPARE(testsupport::readFile(folder + QStringLiteral("/trans.dat")), kTransponders);
    QCOMPARE(folderFiles(folder), QStringList({QStringLiteral("module.dat"), QStringLiteral("trans.dat")}));
}

void TestBackup::restore_data() {
    QTest::addColumn<QByteArray>("modules"); // "-": the file is not there
    QTest::addColumn<QByteArray>("transponders");
    QTest::addColumn<Setup>("fault");
    QTest::addColumn<QString>("message");
    QTest::addColumn<bool>("connects");
    QTest::addColumn<bool>("modulesArrive");
    QTest::addColumn<bool>("transpondersArrive");
    const Setup none = [](sim::ControllerConfig&) {};
    const QByteArray absent("-");
    QTest::newRow("a backup") << kOldModules << kOldTransponders << none << kRestoreDone << true << true
                              << true;
    QTest::newRow("trans.dat missing")
        << kOldModules << absent << none << kFilesMissing << false << false << false;
    QTest::newRow("trans.dat cut off")
        << kOldModules << kOldTransponders.left(100) << none
        << QStringLiteral("Die Datei \"trans.dat\" in diesem Verzeichnis ist beschädigt oder keine Kelvora "
                          "compact Konfigurationsdatei: Ihre Größe von 100 Bytes ist kein Vielfaches der "
                          "Eintragsgröße von 89 Bytes. Bitte wählen Sie ein anderes Verzeichnis aus.")
        << false << false << false;
    // The transponder table in place of the module table and the other way round.
    QTest::newRow("files swapped")
        << kOldTransponders << kOldModules << none
        << QStringLiteral("Die Datei \"module.dat\" in diesem Verzeichnis ist beschädigt oder keine Kelvora "
                          "compact Konfigurationsdatei: Ihre Größe von 445 Bytes ist kein Vielfaches der "
                          "Eintragsgröße von 40 Bytes. Bitte wählen Sie ein anderes Verzeichnis aus.")
        << false << false << false;
    QTest::newRow("upload fails half-way")
        << kOldModules << kOldTransponders
        << Setup([](sim::ControllerConfig& c) { c.ftp.stallAfterBytes = 200; }) << kRestoreFailed << true
        << true << false;
    QTest::newRow("file access refused")
        << kOldModules << kOldTransponders
        << Setup([](sim::ControllerConfig& c) { c.command.refuseFileAccess = true; }) << kSaveAccess << true
        << false << false;
}

void TestBackup::restore() {
    QFETCH(QByteArray, modules);
    QFETCH(QByteArray, transponders);
    QFETCH(Setup, fault);
    QFETCH(QString, message);
    QFETCH(bool, connects);
    QFETCH(bool, modulesArrive);
    QFETCH(bool, transpondersArrive);
    QString error;
    QVERIFY2(m_site->start(&error), qPrintable(error));
    QVERIFY(testsupport::writeFile(m_site->controller->dataFile(QStringLiteral("module.dat")), kModules));
    QVERIFY(testsupport::writeFile(m_site->controller->dataFile(QStringLiteral("trans.dat")), kTransponders));
    const QString folder = m_dir->path();
    if (modules != "-")
        QVERIFY(testsupport::writeFile(folder + QStringLiteral("/module.dat"), modules));
    if (transponders != "-")
        QVERIFY(testsupport::writeFile(folder + QStringLiteral("/trans.dat"), transponders));
    m_site->host().ftpLink().setTimeoutMs(300);
    fault(m_site->device());
    m_section = std::make_unique<TBackupSection>(m_site->host(), nullptr);
    prompter().fileAnswers.push_back(folder);

    click("Restore_BTN");

    QCOMPARE(prompter().shown.front().text, kRestorePrompt);
    QCOMPARE(prompter().messages(), message.isEmpty() ? QStringList() : QStringList{message});
    if (!message.isEmpty()) {
        const MsgIcon icon = message == kRestoreDone || message == kSaveAccess ? MsgIcon::Information
                             : message == kRestoreFailed                       ? MsgIcon::Error
                                                                               : MsgIcon::Warning;
        QCOMPARE(prompter().shown.back().icon, icon);
    }
    QCOMPARE(!m_site->newEvents().isEmpty(), connects);
    QCOMPARE(m_site->stored(QStringLiteral("module.dat")), modulesArrive ? modules : kModules);
    QCOMPARE(m_site->stored(QStringLiteral("trans.dat")), transpondersArrive ? transponders : kTransponders);
    // The restore sends no activation and no restart; the user restarts the controller.
    QVERIFY(!m_site->eventSeen(QStringLiteral("activate phase 0")));
    QVERIFY(!m_site->eventSeen(QStringLiteral("restart")));
    QTRY_VERIFY(!m_site->controller->commandService()->hasClient());
}

void TestBackup::cancelledDialogsDoNothing() {
    QString error;
    QVERIFY2(m_site->start(&error), qPrintable(error));
    m_section = std::make_unique<TBackupSection>(m_site->host(), nullptr);
    click("StartBackup_BTN");
    click("Restore_BTN");
    QCOMPARE(prompter().shown.size(), std::size_t(2));
    QVERIFY(prompter().messages().isEmpty());
    QVERIFY(m_site->newEvents().isEmpty());

    // Without a current controller, or while another command waits, the buttons do nothing at all.
    m_site->host().current = nullptr;
    click("StartBackup_BTN");
    m_site->host().current = &m_site->entry;
    {
        const CommandScope running = m_site->host().beginCommand();
        click("Restore_BTN");
    }
    QCOMPARE(prompter().shown.size(), std::size_t(2));
    QCOMPARE(m_site->host().commandsBegun, 3);
}

QTEST_MAIN(TestBackup)
#include "tst_backup.moc"
