#include "data/DeviceEntry.h"
#include "data/Logbook.h"
#include "device/CommandSocket.h"
#include "device/NetworkTargets.h"
#include "ops/Logbook.h"
#include "ops/Messages.h"
#include "sim/CommandService.h"
#include "support/PageSite.h"
#include "support/TestSupport.h"
#include "support/WidgetLookup.h"
#include "ui/pages/LogbookPage.h"

#include <QDir>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTreeWidget>
#include <QtTest>

#include <cstring>
#include <limits>
#include <memory>

namespace {

const QString kNoEntries = QStringLiteral("Es sind keine Einträge im Logbuch vorhanden.");
const QString kSeekError = QStringLiteral("Error seeking in logfile.");
const QString kQuestion = QStringLiteral("Wollen Sie das Logbuch sicher löschen ?");
const QString kDeleted = QStringLiteral("Das Logbuch wurde erfolgreich gelöscht.");
const QString kDeleteFailed =
    QStringLiteral("Das Logbuch konnte nicht gelöscht werden. Bitte versuchen Sie den Vorgang erneut.");
const QString kExported = QStringLiteral("Der Export wurde erfolgreich durchgeführt.");

TLogRecord entryAt(int slot, const char* prefix = "Slot", std::uint8_t type = 1, std::uint8_t status = 2) {
    TLogRecord r;
    std::memset(&r, 0, sizeof r);
    r.Type = type;
    r.Status = status;
    r.Day = static_cast<std::uint8_t>(1 + slot % 28);
    r.Month = static_cast<std::uint8_t>(1 + slot / 28 % 12);
    r.Year = 25;
    r.setModuleAddress(static_cast<std::uint16_t>(slot));
    const QByteArray name = QByteArray(prefix) + ' ' + QByteArray::number(slot);
    std::memcpy(r.ModuleName, name.constData(), static_cast<std::size_t>(name.size()));
    std::memcpy(r.TransponderName, "Anna M\xFCller", 11);
    std::memcpy(r.TransponderCode, "4711", 4);
    return r;
}

QByteArray logFile(int records, const char* prefix = "Slot") {
    QByteArray file;
    for (int s = 0; s < records; ++s) {
        const TLogRecord r = entryAt(s, prefix);
        file.append(reinterpret_cast<const char*>(&r), sizeof r);
    }
    return file;
}

} // namespace

class TestLogbookPage : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void init();
    void cleanup();

    void readsInRingOrder_data();
    void readsInRingOrder();
    void readMessages_data();
    void readMessages();
    void failedReadKeepsCopyAndExport_data();
    void failedReadKeepsCopyAndExport();
    void deleteAnswers_data();
    void deleteAnswers();
    void exportToChosenFile_data();
    void exportToChosenFile();
    void sortByColumn();
    void simulatorServesWrappedDemoRing();

private:
    void start(const QString& firmware, bool demo = false);
    void writeLog(const QByteArray& bytes) {
        QVERIFY(testsupport::writeFile(m_controller->dataFile(QStringLiteral("kelvora.log")), bytes));
    }
    template <typename T> T* child(const char* name) const {
        return Child<T>(*m_page, QString::fromLatin1(name));
    }
    QTreeWidget* list() const { return child<QTreeWidget>("Logbuch_LV"); }
    void click(const char* button) { child<QPushButton>(button)->click(); }
    QString cell(int row, int column) const { return list()->topLevelItem(row)->text(column); }
    bool eventSeen(const QString& text) const {
        return m_controller->events().join(QLatin1Char('\n')).contains(text);
    }
    sim::ControllerConfig& device() { return m_site->device(); }
    ScriptedPrompter& prompter() { return m_site->host().scripted; }
    QStringList messages() const { return m_site->host().scripted.messages(); }

    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<PageSite> m_site;
    std::unique_ptr<TLogbookPage> m_page;
    sim::SimController* m_controller = nullptr;
    TDeviceEntry* m_entry = nullptr;
};

void TestLogbookPage::init() {
    m_dir = std::make_unique<QTemporaryDir>();
    ops::SetLogbookFolder(m_dir->filePath(QStringLiteral("Benutzerdaten")));
    m_site = std::make_unique<PageSite>();
    m_controller = m_site->controller.get();
    m_entry = &m_site->entry;
}

void TestLogbookPage::cleanup() {
    m_page.reset();
    m_site.reset();
    ops::SetLogbookFolder(QString());
}

// The controller with this firmware (major.minor), logged in as the window leaves it.
void TestLogbookPage::start(const QString& firmware, bool demo) {
    device().command.firmwareMajor =
        static_cast<std::uint8_t>(firmware.section(QLatin1Char('.'), 0, 0).toInt());
    device().command.firmwareMinor =
        static_cast<std::uint8_t>(firmware.section(QLatin1Char('.'), 1, 1).toInt());
    device().demoData = demo;
    QString error;
    QVERIFY2(m_site->start(&error), qPrintable(error));
    m_page = std::make_unique<TLogbookPage>(m_site->host());
}

void TestLogbookPage::readsInRingOrder_data() {
    QTest::addColumn<QString>("firmware");
    QTest::addColumn<int>("count");
    QTest::addColumn<int>("position");
    QTest::addColumn<QString>("first");
    QTest::addColumn<QString>("last");
    QTest::newRow("1.39 wrapped at 437") << "1.39" << 1500 << 437 << "Slot 437"
                                         << "Slot 436";
    QTest::newRow("1.38 from the start") << "1.38" << 1500 << 437 << "Slot 0"
                                         << "Slot 1499";
    QTest::newRow("2.05 passes neither gate") << "2.05" << 300 << 300 << "Slot 0"
                                              << "Slot 299";
}

void TestLogbookPage::readsInRingOrder() {
    QFETCH(QString, firmware);
    QFETCH(int, count);
    QFETCH(int, position);
    QFETCH(QString, first);
    QFETCH(QString, last);
    start(firmware);
    writeLog(logFile(1500));
    device().command.logCount = count;
    device().command.logPosition = position;
    auto* status = child<QLabel>("Status_ST");
    QVERIFY(status->font().bold());
    QVERIFY(!child<QPushButton>("Export_BTN")->isEnabled());
    QCOMPARE(list()->selectionBehavior(), QAbstractItemView::SelectRows);
    QCOMPARE(list()->headerItem()->text(7), QStringLiteral("Transpondercode"));
    QCOMPARE(list()->header()->sectionSize(0), 60);
    QCOMPARE(list()->header()->sectionSize(3), 120);
    // Keep-alive ticks while the download runs slowly.
    m_site->timings.setKeepAliveIntervalMs(100);
    device().ftp.slowChunkBytes = 16384;
    device().ftp.slowIntervalMs = 60;

    click("Einlesen_BTN");
    QCOMPARE(messages(), QStringList());
    QCOMPARE(list()->topLevelItemCount(), count);
    QCOMPARE(cell(0, 4), first);
    QCOMPARE(cell(count - 1, 4), last);
    QCOMPARE(status->text(), QStringLiteral("%1 Einträge im Logbuch").arg(count));
    QVERIFY(child<QPushButton>("Export_BTN")->isEnabled());
    QCOMPARE(eventSeen(QStringLiteral("command 4 value 1")), firmware != QLatin1String("2.05"));
    QVERIFY(eventSeen(QStringLiteral("command 100")));
    QTRY_VERIFY(!m_controller->commandService()->hasClient());
    // The copy: the controller's bytes, its owner's only, nothing else left in the folder.
    QCOMPARE(testsupport::readFile(ops::LogbookCopyPath()), logFile(1500));
#ifndef Q_OS_WIN // Windows keeps a file's rights in its access list, inherited from the user's own folder.
    QCOMPARE(QFile::permissions(ops::LogbookCopyPath()) & ~(QFile::ReadUser | QFile::WriteUser),
             QFile::ReadOwner | QFile::WriteOwner);
#endif
    QCOMPARE(QDir(ops::LogbookFolder()).entryList(QDir::Files), QStringList{QStringLiteral("kelvora.log")});
    QCOMPARE(m_site->host().busyCount, 0);
    QCOMPARE(m_site->host().commandsBegun, 1);

    // Selecting the node again: empty list, no export, the status line stays.
    m_page->fill(*m_entry);
    QCOMPARE(list()->topLevelItemCount(), 0);
    QVERIFY(!child<QPushButton>("Export_BTN")->isEnabled());
    QCOMPARE(status->text(), QStringLiteral("%1 Einträge im Logbuch").arg(count));
}

void TestLogbookPage::readMessages_data() {
    QTest::addColumn<QString>("fault");
    QTest::addColumn<QString>("message");
    QTest::addColumn<int>("rows");
    QTest::addColumn<QString>("status");
    QTest::addColumn<bool>("kept");
    QTest::newRow("wrong password") << "password" << ops::kConnectionFailedText << 0 << "" << false;
    QTest::newRow("file access refused") << "access" << ops::kLoadAccessRefusedText << 0 << "" << false;
    QTest::newRow("no entries") << "empty" << kNoEntries << 0 << "" << false;
    QTest::newRow("106 unanswered") << "106" << kNoEntries << 0 << "" << false;
    QTest::newRow("type outside its table")
        << "type"
        << "Der Logbucheintrag Nr. 3 hat einen unbekannten Typ (7). Die Einträge davor werden angezeigt." << 2
        << "5 Einträge im Logbuch" << false;
    QTest::newRow("slot beyond the copy")
        << "seek" << kSeekError << 200 << "300 Einträge im Logbuch" << false;
    QTest::newRow("copy folder unusable")
        << "folder"
        << "Die Kopie des Logbuchs kann im Ordner \"%1\" nicht gespeichert werden." << 0
        << "300 Einträge im Logbuch" << false;
    // A copy that holds fewer records than counted is no logbook to export, whichever way it ends.
    QTest::newRow("1.38, copy shorter than the count")
        << "short" << kSeekError << 200 << "300 Einträge im Logbuch" << false;
    QTest::newRow("wrapped ring, copy cut off within a record")
        << "cut" << kSeekError << 563 << "1500 Einträge im Logbuch" << false;
}

void TestLogbookPage::readMessages() {
    QFETCH(QString, fault);
    QFETCH(QString, message);
    QFETCH(int, rows);
    QFETCH(QString, status);
    QFETCH(bool, kept);
    start(fault == QLatin1String("short") ? QStringLiteral("1.38") : QStringLiteral("1.39"));
    QByteArray file = logFile(fault == QLatin1String("type") ? 5 : 300);
    if (fault == QLatin1String("type"))
        file[2 * 63] = 7;
    writeLog(file);
    if (fault == QLatin1String("password"))
        m_entry->Password = QStringLiteral("falsch");
    if (fault == QLatin1String("access"))
        device().command.refuseFileAccess = true;
    if (fault == QLatin1String("empty"))
        device().command.logCount = 0;
    if (fault == QLatin1String("106"))
        device().command.unansweredCommands = {106};
    if (fault == QLatin1String("folder")) {
        QVERIFY(testsupport::writeFile(m_dir->filePath(QStringLiteral("Datei")), "kein Ordner"));
        ops::SetLogbookFolder(m_dir->filePath(QStringLiteral("Datei/Logbuch")));
        message = message.arg(QDir::toNativeSeparators(ops::LogbookFolder()));
    }
    if (fault == QLatin1String("seek") || fault == QLatin1String("short")) {
        writeLog(logFile(200));
        device().command.logCount = 300;
        device().command.logPosition = 300;
    }
    if (fault == QLatin1String("cut")) {
        writeLog(logFile(1000) + QByteArray(30, '\x01'));
        device().command.logCount = 1500;
        device().command.logPosition = 437;
    }

    click("Einlesen_BTN");
    QCOMPARE(messages(), message.isEmpty() ? QStringList() : QStringList{message});
    if (!message.isEmpty()) {
        const bool information = message == kNoEntries || message == ops::kLoadAccessRefusedText;
        QCOMPARE(prompter().shown.back().icon, information ? MsgIcon::Information : MsgIcon::Error);
    }
    QCOMPARE(list()->topLevelItemCount(), rows);
    QCOMPARE(child<QLabel>("Status_ST")->text(), status);
    QCOMPARE(child<QPushButton>("Export_BTN")->isEnabled(), kept);
    QCOMPARE(QFile::exists(ops::LogbookCopyPath()), kept);
    QCOMPARE(eventSeen(QStringLiteral("command 106")),
             fault != QLatin1String("password") && fault != QLatin1String("access"));
    QTRY_VERIFY(!m_controller->commandService()->hasClient());
}

void TestLogbookPage::failedReadKeepsCopyAndExport_data() {
    QTest::addColumn<QString>("fault");
    QTest::addColumn<QStringList>("shown");
    QTest::addColumn<int>("rows");
    QTest::newRow("FTP login refused") << "login" << QStringList() << 300;
    QTest::newRow("download refused") << "download" << QStringList() << 0;
    QTest::newRow("sabotage status 5")
        << "table"
        << QStringList{QStringLiteral("Der Logbucheintrag Nr. 1 hat einen unbekannten Status (5) für den Typ "
                                      "\"Sabotage\". Die Einträge davor werden angezeigt.")}
        << 0;
    QTest::newRow("count beyond the copy") << "seek" << QStringList{kSeekError} << 400;
}

void TestLogbookPage::failedReadKeepsCopyAndExport() {
    QFETCH(QString, fault);
    QFETCH(QStringList, shown);
    QFETCH(int, rows);
    start(QStringLiteral("1.39"));
    writeLog(logFile(300));
    click("Einlesen_BTN");
    QCOMPARE(list()->topLevelItemCount(), 300);

    QByteArray changed = logFile(400, "Neu");
    if (fault == QLatin1String("table")) {
        changed[0] = 2;
        changed[1] = 5;
    }
    writeLog(changed);
    if (fault == QLatin1String("login"))
        device().ftp.refuseLogin = true;
    if (fault == QLatin1String("download"))
        device().ftp.missingFiles = QStringList{QStringLiteral("kelvora.log")};
    if (fault == QLatin1String("seek")) {
        device().command.logCount = 500;
        device().command.logPosition = 500;
    }
    click("Einlesen_BTN");
    QCOMPARE(messages(), shown);
    QCOMPARE(list()->topLevelItemCount(), rows);
    QVERIFY(child<QPushButton>("Export_BTN")->isEnabled());
    QCOMPARE(testsupport::readFile(ops::LogbookCopyPath()), logFile(300));
    QCOMPARE(QDir(ops::LogbookFolder()).entryList(QDir::Files), QStringList{QStringLiteral("kelvora.log")});

    // The export still writes the logbook as it was last read.
    const QString target = m_dir->filePath(QStringLiteral("export.TXT"));
    prompter().fileAnswers.push_back(target);
    click("Export_BTN");
    QCOMPARE(messages().last(), kExported);
    QCOMPARE(testsupport::readFile(target), logbook::ExportLogbookCopy(logFile(300), {300, 300, true}).text);
}

void TestLogbookPage::deleteAnswers_data() {
    QTest::addColumn<bool>("yes");
    QTest::addColumn<QString>("fault");
    QTest::addColumn<QStringList>("shown");
    QTest::addColumn<bool>("deleted");
    QTest::newRow("Ja") << true << "" << QStringList{kQuestion, kDeleted} << true;
    QTest::newRow("Nein") << false << "" << QStringList{kQuestion} << false;
    QTest::newRow("Ja, 107 unanswered") << true << "107" << QStringList{kQuestion, kDeleteFailed} << false;
    QTest::newRow("Ja, wrong password")
        << true << "password" << QStringList{kQuestion, ops::kConnectionFailedText} << false;
}

void TestLogbookPage::deleteAnswers() {
    QFETCH(bool, yes);
    QFETCH(QString, fault);
    QFETCH(QStringList, shown);
    QFETCH(bool, deleted);
    start(QStringLiteral("1.39"));
    writeLog(logFile(300));
    click("Einlesen_BTN");
    QTRY_VERIFY(!m_controller->commandService()->hasClient());
    const int eventsBefore = int(m_controller->events().size());
    // A keep-alive would show within the wait for an unanswered 107.
    m_site->timings.setKeepAliveIntervalMs(50);
    if (fault == QLatin1String("107"))
        device().command.unansweredCommands = {107};
    if (fault == QLatin1String("password"))
        m_entry->Password = QStringLiteral("falsch");

    prompter().questionAnswers.push_back(yes);
    click("Delete_BTN");
    QCOMPARE(messages(), shown);
    QCOMPARE(prompter().shown.front().icon, MsgIcon::Information);
    const QStringList events = m_controller->events().mid(eventsBefore);
    QVERIFY2(!events.join(QLatin1Char('\n')).contains(QLatin1String("command 4 ")),
             qPrintable(events.join(',')));
    QVERIFY(!events.join(QLatin1Char('\n')).contains(QLatin1String("command 100")));
    QCOMPARE(events.contains(QStringLiteral("connected")), yes);
    QCOMPARE(events.contains(QStringLiteral("command 107 value 0")),
             yes && fault != QLatin1String("password"));
    QCOMPARE(testsupport::readFile(m_controller->dataFile(QStringLiteral("kelvora.log"))).size(),
             deleted ? 0 : 300 * 63);
    QCOMPARE(list()->topLevelItemCount(), deleted ? 0 : 300);
    QCOMPARE(child<QLabel>("Status_ST")->text(), QStringLiteral("300 Einträge im Logbuch"));
    QVERIFY(child<QPushButton>("Export_BTN")->isEnabled());
    QCOMPARE(testsupport::readFile(ops::LogbookCopyPath()), logFile(300));
}

void TestLogbookPage::exportToChosenFile_data() {
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("written");
    QTest::addColumn<QStringList>("shown");
    QTest::newRow("extension added") << "bericht"
                                     << "bericht.TXT" << QStringList{kExported};
    QTest::newRow("own extension kept") << "bericht.csv"
                                        << "bericht.csv" << QStringList{kExported};
    QTest::newRow("existing file replaced") << "alt.TXT"
                                            << "alt.TXT" << QStringList{kExported};
    QTest::newRow("cancelled") << ""
                               << "" << QStringList();
    QTest::newRow("folder missing") << "fehlt/bericht"
                                    << ""
                                    << QStringList{
                                           QStringLiteral("Die Datei \"%1\" kann nicht geschrieben werden.")};
}

void TestLogbookPage::exportToChosenFile() {
    QFETCH(QString, typed);
    QFETCH(QString, written);
    QFETCH(QStringList, shown);
    start(QStringLiteral("1.39"));
    writeLog(logFile(1500));
    device().command.logCount = 1500;
    device().command.logPosition = 437;
    click("Einlesen_BTN");
    QVERIFY(testsupport::writeFile(m_dir->filePath(QStringLiteral("alt.TXT")), "alter Export"));

    prompter().fileAnswers.push_back(typed.isEmpty() ? QString() : m_dir->filePath(typed));
    click("Export_BTN");
    QCOMPARE(prompter().filters.back(), QStringLiteral("Logbuch Export *.TXT (*.TXT)"));
    QCOMPARE(prompter().suffixes.back(), QStringLiteral("TXT"));
    if (!shown.isEmpty() && shown.first().contains(QLatin1String("%1")))
        shown.first() =
            shown.first().arg(QDir::toNativeSeparators(m_dir->filePath(typed + QStringLiteral(".TXT"))));
    QCOMPARE(messages(), shown);
    const QStringList expectedFiles = written.isEmpty() || written == QLatin1String("alt.TXT")
                                          ? QStringList{"alt.TXT"}
                                          : QStringList{"alt.TXT", written};
    QCOMPARE(QDir(m_dir->path()).entryList(QDir::Files, QDir::Name), expectedFiles);
    if (!written.isEmpty()) {
        const QByteArray text = testsupport::readFile(m_dir->filePath(written));
        QCOMPARE(text.count("\r\n"), 1500);
        QVERIFY(text.startsWith("18.04.25;00:00:00;Anmeldung;Anmeldung erfolgreich;Slot 437;1B5;Anna M\xFC"
                                "ller;4711;\r\n"));
    } else {
        QCOMPARE(testsupport::readFile(m_dir->filePath(QStringLiteral("alt.TXT"))),
                 QByteArray("alter Export"));
    }
}

void TestLogbookPage::sortByColumn() {
    start(QStringLiteral("1.38"));
    // Day, month and module address of five entries, two of them with no valid date.
    const int rows[5][3] = {{5, 3, 0x1A}, {0, 0, 0x2}, {6, 3, 0x100}, {45, 13, 0xB}, {4, 3, 0x1}};
    QByteArray file;
    for (int i = 0; i < 5; ++i) {
        TLogRecord r = entryAt(i);
        r.Day = static_cast<std::uint8_t>(rows[i][0]);
        r.Month = static_cast<std::uint8_t>(rows[i][1]);
        r.setModuleAddress(static_cast<std::uint16_t>(rows[i][2]));
        file.append(reinterpret_cast<const char*>(&r), sizeof r);
    }
    writeLog(file);
    click("Einlesen_BTN");
    const auto column = [this](int c) {
        QStringList texts;
        for (int i = 0; i < list()->topLevelItemCount(); ++i)
            texts << cell(i, c);
        return texts.join(QLatin1Char(' '));
    };
    QCOMPARE(column(4), QStringLiteral("Slot 0 Slot 1 Slot 2 Slot 3 Slot 4")); // file order
    for (int round = 0; round < 2; ++round) {                                  // the same order both times
        Q_EMIT list()->header()->sectionClicked(0);
        QCOMPARE(column(0), QStringLiteral("06.03.25 05.03.25 04.03.25 00.00.25 45.13.25"));
    }
    Q_EMIT list()->header()->sectionClicked(5);
    QCOMPARE(column(5), QStringLiteral("1 Hex 100 Hex 1A Hex 2 Hex B Hex"));
}

void TestLogbookPage::simulatorServesWrappedDemoRing() {
    start(QStringLiteral("1.39"), true);
    click("Einlesen_BTN");
    QCOMPARE(messages(), QStringList());
    QCOMPARE(list()->topLevelItemCount(), 1500);
    QSet<QString> types;
    QSet<QString> statuses;
    QString names;
    qint64 previous = std::numeric_limits<qint64>::min();
    for (int i = 0; i < 1500; ++i) {
        const QDateTime when =
            QDateTime::fromString(cell(i, 0) + cell(i, 1), QStringLiteral("dd.MM.yyhh:mm:ss")).addYears(100);
        QVERIFY2(when.isValid() && when.toMSecsSinceEpoch() >= previous,
                 qPrintable(cell(i, 0) + QLatin1Char(' ') + cell(i, 1)));
        previous = when.toMSecsSinceEpoch();
        types << cell(i, 2);
        statuses << cell(i, 3);
        names += cell(i, 4) + cell(i, 6);
    }
    QCOMPARE(types.size(), 3);
    QCOMPARE(statuses.size(), 10); // six login and three sabotage texts, none for type 0
    QVERIFY(names.contains(QStringLiteral("Büro EG")));
    QVERIFY(names.contains(QStringLiteral("Müller")));
    QCOMPARE(cell(1499, 2), QStringLiteral("n/a"));
    // Both code forms: the controller's file holds codes with and without the binary marker.
    const QByteArray log = testsupport::readFile(m_controller->dataFile(QStringLiteral("kelvora.log")));
    int binary = 0;
    int text = 0;
    for (qsizetype at = 0; at + 63 <= log.size(); at += 63) {
        if (log.at(at) == 1 && log.at(at + 1) != 0)
            (static_cast<quint8>(log.at(at + 42)) == 0xFF ? binary : text) += 1;
    }
    QVERIFY(binary > 100 && text > 100);

    Q_EMIT list()->header()->sectionClicked(0);
    QCOMPARE(cell(0, 0), QDateTime::fromMSecsSinceEpoch(previous).toString(QStringLiteral("dd.MM.yy")));
}

QTEST_MAIN(TestLogbookPage)
#include "tst_logbookpage.moc"
