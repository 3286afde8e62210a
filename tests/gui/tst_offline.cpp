// Offline configurations in the window: a backup folder opened, edited and saved back as a pair (and a
// failed save that keeps the old pair), a new configuration saved and opened again, the search that
// keeps them, the question before unsaved ones go, and the transfer to a simulated controller after a
// look at what it changes there.

#include "EditorFixtures.h"
#include "data/NewRecords.h"
#include "device/Conversions.h"
#include "ops/Backup.h"
#include "ops/Offline.h"
#include "support/SiteFixture.h"
#include "support/TestSupport.h"
#include "support/WidgetLookup.h"
#include "ui/TableCommands.h"
#include "ui/dialogs/OfflineDialog.h"
#include "ui/pages/OfflineCommands.h"

#include <QAction>
#include <QComboBox>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTreeWidget>
#include <QtTest>

using namespace editortest;

namespace {

const QString kDiscard =
    QStringLiteral("Es gibt ungespeicherte Änderungen an der Konfiguration. Trotzdem verwerfen?");

// Modules "Tor 0".."Tor n-1" at 0x0100.., with a byte behind each name's zero that nothing reads.
QByteArray modules(int count) {
    QByteArray file;
    for (int i = 0; i < count; ++i) {
        TModuleEntry record = NewModule();
        record.setModAddr(static_cast<std::uint16_t>(0x0100 + i));
        putName(record.Name, "Tor " + QByteArray::number(i));
        record.Name[18] = 0x5A;
        file += bytesOf(record);
    }
    return file;
}

// Transponders "Person 0".. with binary codes 0A0B0C00.., or text codes when `text`.
QByteArray transponders(int count, bool text) {
    QByteArray file;
    const TDefaultRestrictions none{};
    for (int i = 0; i < count; ++i) {
        TTransponderEntry record = NewTransponder(none, CodeForm::Binary);
        putName(record.Name, "Person " + QByteArray::number(i));
        const QString code = QStringLiteral("0A0B0C%1").arg(i, 2, 10, QLatin1Char('0'));
        if (text) {
            std::memset(record.Code, 0, sizeof record.Code);
            std::memcpy(record.Code, code.toLatin1().constData(), 8);
        } else {
            HexToCode(code, record.Code, 10);
        }
        record.setModuleSlot(0, 0x0100);
        file += bytesOf(record);
    }
    return file;
}

QStringList treeLines(const QTreeWidgetItem* item, int depth = 0) {
    QStringList lines{QString(depth * 2, QLatin1Char(' ')) + item->text(0)};
    for (int i = 0; i < item->childCount(); ++i)
        lines << treeLines(item->child(i), depth + 1);
    return lines;
}

QStringList folderFiles(const QString& folder) {
    return QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot, QDir::Name);
}

// Answers the name-and-form dialog.
std::function<int(QDialog&)> NameAndForm(const QString& name, int formIndex, QString* shownName = nullptr) {
    return [=](QDialog& dialog) {
        auto* edit = Child<QLineEdit>(dialog, QStringLiteral("Name_ED"));
        if (shownName)
            *shownName = edit->text();
        edit->setText(name);
        Child<QComboBox>(dialog, QStringLiteral("CodeForm_CB"))->setCurrentIndex(formIndex);
        return int(QDialog::Accepted);
    };
}

} // namespace

class TestOffline : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void init();
    void cleanup();

    void codeFormOfRecords_data();
    void codeFormOfRecords();
    void openEditSaveByteExact();
    void failedSaveKeepsThePair();
    void newConfigurationSavedAndReopened();
    void searchKeepsItAndClosingAsks();
    void transferShowsTheCompareFirst();

private:
    void start();
    TMain_Dlg& window() const { return *m_site->window; }
    ScriptedPrompter& prompter() const { return m_site->prompter; }
    const TDeviceTree& tree() const { return window().deviceTree(); }
    void trigger(const char* action) { Child<QAction>(window(), QString::fromLatin1(action))->trigger(); }
    void click(const char* button) { Child<QPushButton>(window(), QString::fromLatin1(button))->click(); }
    void select(QTreeWidgetItem* node) { Main_LV(window())->setCurrentItem(node); }
    // Opens the folder as an offline configuration; its entry.
    TDeviceEntry& open(const QString& folder);
    QByteArray stored(const QString& name) const {
        return testsupport::readFile(m_site->controller->dataFile(name));
    }

    std::unique_ptr<SiteFixture> m_site;
    std::unique_ptr<QTemporaryDir> m_dir;
};

void TestOffline::init() {
    m_site = std::make_unique<SiteFixture>(0x12AB3, QStringLiteral("Lager"));
    m_dir = std::make_unique<QTemporaryDir>();
}

void TestOffline::cleanup() {
    m_site.reset();
    m_dir.reset();
}

void TestOffline::start() {
    QString error;
    QVERIFY2(m_site->startController(&error), qPrintable(error));
    QVERIFY(m_site->openWindow());
}

TDeviceEntry& TestOffline::open(const QString& folder) {
    const std::size_t before = window().offlineEntries().size();
    prompter().fileAnswers.push_back(folder);
    trigger("OfflineOpen");
    [&] { QCOMPARE(window().offlineEntries().size(), before + 1); }();
    return *window().offlineEntries().back();
}

void TestOffline::codeFormOfRecords_data() {
    QTest::addColumn<QByteArray>("records");
    QTest::addColumn<int>("form"); // -1 none, 0 binary, 1 text
    const TDefaultRestrictions none{};
    const QByteArray empty =
        bytesOf(NewTransponder(none, CodeForm::Binary)); // an empty binary code says nothing
    QTest::newRow("no transponders") << QByteArray() << -1;
    QTest::newRow("only empty codes") << empty + empty << -1;
    QTest::newRow("binary codes") << empty + transponders(3, false) << 0;
    QTest::newRow("text codes") << transponders(2, true) + empty << 1;
    QTest::newRow("both forms") << transponders(2, true) + transponders(1, false) << -1;
}

void TestOffline::codeFormOfRecords() {
    QFETCH(QByteArray, records);
    QFETCH(int, form);
    const QString path = m_dir->filePath(QStringLiteral("trans.dat"));
    QVERIFY(testsupport::writeFile(path, records));
    RecordList<TTransponderEntry> table;
    QVERIFY(ReadTableFile(path, table));
    const std::optional<ops::CodeForm> found = ops::CodeFormOfRecords(table);
    QCOMPARE(found ? int(*found) : -1, form);
}

void TestOffline::openEditSaveByteExact() {
    start();
    const QString folder = m_dir->filePath(QStringLiteral("Sicherung Lager"));
    QVERIFY(QDir().mkpath(folder));
    const QByteArray moduleBytes = modules(2);
    const QByteArray transponderBytes = transponders(3, false);
    QVERIFY(testsupport::writeFile(folder + QStringLiteral("/module.dat"), moduleBytes));
    QVERIFY(testsupport::writeFile(folder + QStringLiteral("/trans.dat"), transponderBytes));

    TDeviceEntry& entry = open(folder);
    // The codes say binary: no question; the tree has the configuration without the controller's pages.
    QCOMPARE(prompter().dialogsRun, 0);
    QCOMPARE(prompter().shown.front().text, TOfflineCommands::kOpenCaption);
    QCOMPARE(
        treeLines(tree().deviceNode(entry)->parent()),
        (QStringList{QStringLiteral("Offline-Konfigurationen"),
                     QStringLiteral("  Sicherung Lager (offline, Binärcodes)"), QStringLiteral("    Module"),
                     QStringLiteral("      Tor 0"), QStringLiteral("      Tor 1"),
                     QStringLiteral("    Transponder"), QStringLiteral("      Person 0"),
                     QStringLiteral("      Person 1"), QStringLiteral("      Person 2")}));
    QCOMPARE(window().currentDevice(), &entry);
    QCOMPARE(Child<QLabel>(window(), QStringLiteral("TransInfo_ST"))->text(),
             QStringLiteral("Transponder : 3 Einträge insgesamt. 997 Einträge verfügbar."));
    QCOMPARE(Child<QLabel>(window(), QStringLiteral("Offline_ST"))->text(),
             QStringLiteral("Offline-Konfiguration, Binärcodes (ab Firmware 1.39). Ordner: ") +
                 QDir::toNativeSeparators(folder));
    QVERIFY(!Child<QPushButton>(window(), QStringLiteral("LoadConfig_BTN"))->isVisibleTo(&window()));
    QCOMPARE(Child<QPushButton>(window(), QStringLiteral("SaveConfig_BTN"))->text(),
             QStringLiteral("Speichern"));
    // The module folder's page has no controller to ask.
    select(tree().moduleFolder(entry));
    QVERIFY(!Child<QPushButton>(window(), QStringLiteral("Start_BTN"))->isEnabled());

    // One rename and one new module; nothing else is touched.
    window().tableCommands().Main_LVEdited(tree().transponderFolder(entry)->child(1), QStringLiteral("Anna"));
    select(tree().moduleFolder(entry));
    window().tableCommands().Modulhinzufgen1Click();
    QVERIFY(entry.Changed);
    QCOMPARE(entry.Modules.size(), std::size_t{3});

    prompter().clear();
    select(tree().deviceNode(entry));
    click("SaveConfig_BTN");
    QCOMPARE(prompter().messages(),
             QStringList{QStringLiteral("Die Konfiguration wurde im Ordner \"%1\" gespeichert.")
                             .arg(QDir::toNativeSeparators(folder))});
    QVERIFY(!entry.Changed);
    QByteArray expectedTransponders = transponderBytes;
    expectedTransponders.replace(89, 5, QByteArray("Anna\0", 5));
    QCOMPARE(testsupport::readFile(folder + QStringLiteral("/trans.dat")), expectedTransponders);
    QCOMPARE(testsupport::readFile(folder + QStringLiteral("/module.dat")),
             moduleBytes + bytesOf(NewModule()));
    QCOMPARE(folderFiles(folder), (QStringList{QStringLiteral("module.dat"), QStringLiteral("trans.dat")}));
}

void TestOffline::failedSaveKeepsThePair() {
    start();
    const QString folder = m_dir->path();
    const QByteArray moduleBytes = modules(2);
    QVERIFY(testsupport::writeFile(folder + QStringLiteral("/module.dat"), moduleBytes));
    QVERIFY(testsupport::writeFile(folder + QStringLiteral("/trans.dat"), transponders(2, true)));
    TDeviceEntry& entry = open(folder);
    QCOMPARE(tree().deviceNode(entry)->text(0),
             QFileInfo(folder).fileName() + QStringLiteral(" (offline, Textcodes)"));
    // Something that is not a file takes the place of the transponder table: the pair can't be replaced.
    QVERIFY(QFile::remove(folder + QStringLiteral("/trans.dat")));
    QVERIFY(QDir().mkdir(folder + QStringLiteral("/trans.dat")));
    select(tree().moduleFolder(entry));
    window().tableCommands().Modulhinzufgen1Click();
    prompter().clear();
    select(tree().deviceNode(entry));
    click("SaveConfig_BTN");
    QCOMPARE(
        prompter().messages(),
        QStringList{QStringLiteral("Die Konfiguration kann nicht im Ordner \"%1\" gespeichert werden. Die "
                                   "Dateien im Ordner sind unverändert.")
                        .arg(QDir::toNativeSeparators(folder))});
    QCOMPARE(prompter().shown.back().icon, MsgIcon::Error);
    QVERIFY(entry.Changed);
    QCOMPARE(testsupport::readFile(folder + QStringLiteral("/module.dat")), moduleBytes);
    QCOMPARE(folderFiles(folder), (QStringList{QStringLiteral("module.dat"), QStringLiteral("trans.dat")}));
}

void TestOffline::newConfigurationSavedAndReopened() {
    start();
    QString shownName;
    prompter().dialogAnswers.push_back(NameAndForm(QStringLiteral("Neubau"), 1, &shownName));
    trigger("OfflineNew");
    QCOMPARE(shownName, QStringLiteral("Neue Konfiguration"));
    QCOMPARE(window().offlineEntries().size(), std::size_t{1});
    TDeviceEntry& entry = *window().offlineEntries().front();
    QCOMPARE(tree().deviceNode(entry)->text(0), QStringLiteral("Neubau (offline, Textcodes)"));
    QCOMPARE(Child<QLabel>(window(), QStringLiteral("ModulInfo_ST"))->text(),
             QStringLiteral("Module : 0 Einträge insgesamt. 16 Einträge verfügbar."));
    QVERIFY(Child<QPushButton>(window(), QStringLiteral("SaveConfig_BTN"))->isEnabled());

    // A transponder with a typed code: the text form, as on a controller before firmware 1.39.
    select(tree().transponderFolder(entry));
    window().tableCommands().Transponderhinzufgen1Click();
    QTest::keyClicks(Child<QLineEdit>(window(), QStringLiteral("Code_ED")), QStringLiteral("0A1B"));
    QCOMPARE(hexOf(*entry.Transponders[0], 20, 11), QStringLiteral("30 41 31 42 00 00 00 00 00 00 00"));

    const QString folder = m_dir->filePath(QStringLiteral("neubau"));
    QVERIFY(QDir().mkpath(folder));
    prompter().clear();
    prompter().fileAnswers.push_back(folder);
    select(tree().deviceNode(entry));
    click("SaveConfig_BTN");
    QCOMPARE(prompter().shown.front().text, TOfflineCommands::kSaveCaption);
    QCOMPARE(entry.Folder, folder);
    QCOMPARE(testsupport::readFile(folder + QStringLiteral("/module.dat")), QByteArray());
    QCOMPARE(testsupport::readFile(folder + QStringLiteral("/trans.dat")), bytesOf(*entry.Transponders[0]));

    // Opened again: the codes say text, so the form is not asked.
    prompter().clear();
    const int dialogs = prompter().dialogsRun;
    TDeviceEntry& again = open(folder);
    QCOMPARE(prompter().dialogsRun, dialogs);
    QCOMPARE(tree().deviceNode(again)->text(0), QStringLiteral("neubau (offline, Textcodes)"));
    QCOMPARE(bytesOf(*again.Transponders.at(0)), bytesOf(*entry.Transponders[0]));
    QVERIFY(!again.Changed);

    // A second new configuration saved into that folder asks before it replaces the pair; Nein keeps it.
    prompter().dialogAnswers.push_back(NameAndForm(QStringLiteral("Zweiter"), 0));
    trigger("OfflineNew");
    prompter().clear();
    prompter().fileAnswers.push_back(folder);
    prompter().questionAnswers.push_back(false);
    click("SaveConfig_BTN");
    QCOMPARE(
        prompter().shown.back().text,
        QStringLiteral("Im Ordner \"%1\" befindet sich bereits eine Kelvora compact Konfiguration. Soll sie "
                       "ersetzt werden ?")
            .arg(QDir::toNativeSeparators(folder)));
    QCOMPARE(testsupport::readFile(folder + QStringLiteral("/trans.dat")), bytesOf(*entry.Transponders[0]));
}

void TestOffline::searchKeepsItAndClosingAsks() {
    start();
    QVERIFY(testsupport::writeFile(m_dir->filePath(QStringLiteral("module.dat")), modules(1)));
    QVERIFY(testsupport::writeFile(m_dir->filePath(QStringLiteral("trans.dat")), QByteArray()));
    // No code says the form: asked, with the folder's name offered.
    QString shownName;
    prompter().dialogAnswers.push_back(NameAndForm(QStringLiteral("Altbau"), 0, &shownName));
    TDeviceEntry& entry = open(m_dir->path());
    QCOMPARE(shownName, QFileInfo(m_dir->path()).fileName());
    QCOMPARE(tree().deviceNode(entry)->text(0), QStringLiteral("Altbau (offline, Binärcodes)"));
    window().tableCommands().Main_LVEdited(tree().moduleFolder(entry)->child(0), QStringLiteral("Tür"));
    QVERIFY(entry.Changed);

    // A new search rebuilds the found systems only, without asking about the offline edits.
    prompter().clear();
    trigger("Aktualisieren");
    QVERIFY(QTest::qWaitFor([this] { return !window().busy(); }));
    QVERIFY(!prompter().messages().contains(kDiscard));
    QCOMPARE(Main_LV(window())->topLevelItemCount(), 2);
    QCOMPARE(Main_LV(window())->topLevelItem(0)->text(0), QStringLiteral("Gefundene Systeme"));
    QCOMPARE(Main_LV(window())->topLevelItem(0)->childCount(), 1);
    QCOMPARE(tree().deviceNode(entry)->parent(), Main_LV(window())->topLevelItem(1));
    QCOMPARE(tree().moduleFolder(entry)->child(0)->text(0), QStringLiteral("Tür"));

    // Closing asks; Nein keeps the window open.
    prompter().clear();
    prompter().questionAnswers.push_back(false);
    QVERIFY(!window().close());
    QCOMPARE(prompter().shown.size(), std::size_t{1});
    QCOMPARE(prompter().shown.front().text, kDiscard);
    QVERIFY(window().isVisible());
}

void TestOffline::transferShowsTheCompareFirst() {
    start();
    QVERIFY(m_site->login());
    const QByteArray onController = modules(1) + QByteArray();
    QVERIFY(testsupport::writeFile(m_site->controller->dataFile(QStringLiteral("module.dat")), modules(1)));
    QVERIFY(testsupport::writeFile(m_site->controller->dataFile(QStringLiteral("trans.dat")),
                                   transponders(1, false)));
    const QByteArray moduleBytes = modules(2);
    const QByteArray transponderBytes = transponders(3, false);
    QVERIFY(testsupport::writeFile(m_dir->filePath(QStringLiteral("module.dat")), moduleBytes));
    QVERIFY(testsupport::writeFile(m_dir->filePath(QStringLiteral("trans.dat")), transponderBytes));
    TDeviceEntry& entry = open(m_dir->path());

    // Nein in the compare: nothing is sent.
    QString target;
    QString counts;
    QString title;
    const auto chooseTarget = [&target](QDialog& dialog) {
        target = Child<QComboBox>(dialog, QStringLiteral("Target_CB"))->currentText();
        return int(QDialog::Accepted);
    };
    const auto compare = [&](int answer) {
        return [&, answer](QDialog& dialog) {
            title = Child<QLabel>(dialog, QStringLiteral("Title_ST"))->text();
            counts = Child<QLabel>(dialog, QStringLiteral("Counts_ST"))->text();
            return answer;
        };
    };
    prompter().clear();
    prompter().dialogAnswers = {chooseTarget, compare(QDialog::Rejected)};
    select(tree().deviceNode(entry));
    const qsizetype mark = m_site->controller->events().size();
    click("Transfer_BTN");
    QCOMPARE(target, QStringLiteral("Lager (127.0.0.2)"));
    QCOMPARE(title, QStringLiteral("Was „Auf System übertragen“ auf Lager (127.0.0.2) ändert:\nSoll die "
                                   "Konfiguration übertragen werden?"));
    QCOMPARE(counts,
             QStringLiteral("Module: 1 neu, 0 entfernt, 0 geändert. Transponder: 2 neu, 0 entfernt, 0 "
                            "geändert."));
    QCOMPARE(prompter().messages(), QStringList());
    QCOMPARE(stored(QStringLiteral("module.dat")), modules(1));
    const QStringList afterNein = m_site->controller->events().mid(mark);
    QVERIFY(!afterNein.join(QLatin1Char('\n')).contains(QStringLiteral("STOR")));

    // Ja: both files, byte for byte, through the restore; then the activation is offered (Nein here).
    prompter().clear();
    prompter().dialogAnswers = {chooseTarget, compare(QDialog::Accepted)};
    prompter().questionAnswers = {false};
    const qsizetype mark2 = m_site->controller->events().size();
    click("Transfer_BTN");
    QCOMPARE(
        prompter().messages(),
        (QStringList{QStringLiteral("Die Konfiguration wurde erfolgreich übertragen. Soll die Konfiguration "
                                    "gleich aktiviert werden ?"),
                     QStringLiteral("Die Rücksicherung wurde erfolgreich durchgeführt. Bitte starten Sie "
                                    "Kelvora compact sofort neu.")}));
    QCOMPARE(stored(QStringLiteral("module.dat")), moduleBytes);
    QCOMPARE(stored(QStringLiteral("trans.dat")), transponderBytes);
    QStringList sent;
    for (const QString& line : m_site->controller->events().mid(mark2))
        if (line.startsWith(QStringLiteral("ftp STOR")) || line.startsWith(QStringLiteral("ftp RETR")) ||
            line.startsWith(QStringLiteral("activate")))
            sent << line;
    // The compare reads both files first, the restore sends module.dat then trans.dat; no activation.
    QCOMPARE(sent,
             (QStringList{QStringLiteral("ftp RETR module.dat"), QStringLiteral("ftp RETR trans.dat"),
                          QStringLiteral("ftp STOR module.dat"), QStringLiteral("ftp STOR trans.dat")}));

    // Ja to the activation: both phases.
    prompter().clear();
    prompter().dialogAnswers = {chooseTarget, compare(QDialog::Accepted)};
    prompter().questionAnswers = {true};
    const qsizetype mark3 = m_site->controller->events().size();
    click("Transfer_BTN");
    QCOMPARE(counts, QStringLiteral("Keine Unterschiede."));
    QCOMPARE(prompter().messages().last(), QStringLiteral("Der Vorgang wurde erfolgreich durchgeführt."));
    const QString events = m_site->controller->events().mid(mark3).join(QLatin1Char('\n'));
    QVERIFY(events.contains(QStringLiteral("activate phase 0")));
    QVERIFY(events.contains(QStringLiteral("activate phase 1")));
}

QTEST_MAIN(TestOffline)
#include "tst_offline.moc"
