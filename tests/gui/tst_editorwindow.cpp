// The editors and the tree commands in the window against simulated controllers: every record shown
// and saved back unchanged, edits saved, the question before unsaved edits are discarded, and edits
// that go to the record's own controller when another one is current.

#include "EditorFixtures.h"
#include "data/NewRecords.h"
#include "device/Conversions.h"
#include "sim/SimOptions.h"
#include "support/SiteFixture.h"
#include "support/TestSupport.h"
#include "support/WidgetLookup.h"
#include "ui/TableCommands.h"
#include "ui/dialogs/ManualDialog.h"
#include "ui/pages/PageFrame.h"
#include "ui/pages/TransponderPage.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QPushButton>
#include <QSettings>
#include <QtTest>

using namespace editortest;

namespace {

const QString kDiscard =
    QStringLiteral("Es gibt ungespeicherte Änderungen an der Konfiguration. Trotzdem verwerfen?");

template <typename Record> QByteArray table(int count, const char* prefix) {
    QByteArray file("");
    TDefaultRestrictions none{};
    for (int i = 0; i < count; ++i) {
        Record record;
        if constexpr (std::is_same_v<Record, TModuleEntry>) {
            record = NewModule();
            record.setModAddr(static_cast<std::uint16_t>(0x0100 + i));
        } else {
            record = NewTransponder(none, CodeForm::Binary);
        }
        putName(record.Name, QByteArray(prefix) + ' ' + QByteArray::number(i));
        file += bytesOf(record);
    }
    return file;
}

} // namespace

class TestEditorWindow : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void init();
    void cleanup();
    void simulatorOffersTwentyModules();
    void everyRecordShownSavesUnchanged();
    void editsAreSaved();
    void unsavedEditsQuestion_data();
    void unsavedEditsQuestion();
    void closeDespiteUnwritableSettings();
    void editsGoToTheRecordsController();
    void rightPressOnAFoldersExpandSign();

private:
    // Starts the controller, lets `fill` write its files, opens the window and logs in.
    void start(bool demo, const std::function<void()>& fill = {});
    void writeTables(sim::SimController& controller, const QByteArray& modules,
                     const QByteArray& transponders);
    void load(TDeviceEntry& entry);
    void select(QTreeWidgetItem* node) { Main_LV(window())->setCurrentItem(node); }
    void save();
    TMain_Dlg& window() const { return *m_site->window; }
    TDeviceEntry& entry() const { return m_site->entry(); }
    const TDeviceTree& tree() const { return window().deviceTree(); }
    QByteArray stored(const QString& name) const {
        return testsupport::readFile(m_site->controller->dataFile(name));
    }

    std::unique_ptr<SiteFixture> m_site;
};

void TestEditorWindow::init() {
    m_site = std::make_unique<SiteFixture>(0x12AB3, QStringLiteral("Lager"));
}

void TestEditorWindow::cleanup() {
    m_site.reset();
}

void TestEditorWindow::start(bool demo, const std::function<void()>& fill) {
    m_site->controller->config().demoData = demo;
    m_site->controller->config().demoModules = 20;
    QString error;
    QVERIFY2(m_site->startController(&error), qPrintable(error));
    if (fill)
        fill();
    QVERIFY(m_site->openWindow());
    QVERIFY(m_site->login());
}

void TestEditorWindow::writeTables(sim::SimController& controller, const QByteArray& modules,
                                   const QByteArray& transponders) {
    QVERIFY(testsupport::writeFile(controller.dataFile(QStringLiteral("module.dat")), modules));
    QVERIFY(testsupport::writeFile(controller.dataFile(QStringLiteral("trans.dat")), transponders));
}

void TestEditorWindow::load(TDeviceEntry& device) {
    select(tree().configNode(device));
    Child<QPushButton>(window(), QStringLiteral("LoadConfig_BTN"))->click();
    QVERIFY(tree().transponderFolder(device));
}

void TestEditorWindow::save() {
    select(tree().configNode(entry()));
    m_site->prompter.questionAnswers.push_back(false); // no activation
    Child<QPushButton>(window(), QStringLiteral("SaveConfig_BTN"))->click();
}

void TestEditorWindow::simulatorOffersTwentyModules() {
    sim::SimSetup setup;
    QString error;
    QVERIFY(
        sim::parseSimOptions({QStringLiteral("kelvora-sim"), QStringLiteral("--controllers"),
                              QStringLiteral("1"), QStringLiteral("--demo-modules"), QStringLiteral("20")},
                             setup, &error));
    QCOMPARE(setup.controllers.at(0).demoModules, 20);
    QVERIFY(!sim::parseSimOptions(
        {QStringLiteral("kelvora-sim"), QStringLiteral("--demo-modules"), QStringLiteral("21")}, setup,
        &error));

    start(true);
    const QByteArray modules = stored(QStringLiteral("module.dat"));
    QCOMPARE(modules.size(), 20 * 40);
    TModuleEntry last;
    std::memcpy(&last, modules.constData() + 19 * 40, 40);
    QCOMPARE(hexOf(last, 0, 40), hexOf(NewModule(), 0, 40));
}

void TestEditorWindow::everyRecordShownSavesUnchanged() {
    start(true);
    const QByteArray modules = stored(QStringLiteral("module.dat"));
    const QByteArray transponders = stored(QStringLiteral("trans.dat"));
    load(entry());
    QCOMPARE(int(entry().Modules.size()), 20);
    QCOMPARE(int(entry().Transponders.size()), 1000);

    select(tree().transponderFolder(entry()));
    QCOMPARE(Main_NB(window())->currentIndex(), 7);
    for (QTreeWidgetItem* folder : {tree().moduleFolder(entry()), tree().transponderFolder(entry())}) {
        const int page = folder == tree().moduleFolder(entry()) ? 8 : 9;
        for (int i = 0; i < folder->childCount(); ++i) {
            select(folder->child(i));
            QCOMPARE(Main_NB(window())->currentIndex(), page);
            QCOMPARE(pages::PageTitle(Main_NB(window())->currentWidget())->text(), folder->child(i)->text(0));
        }
    }
    QVERIFY(!entry().Changed);
    QVERIFY(testsupport::writeFile(m_site->controller->dataFile(QStringLiteral("module.dat")), "x"));
    QVERIFY(testsupport::writeFile(m_site->controller->dataFile(QStringLiteral("trans.dat")), "x"));
    save();
    QCOMPARE(testsupport::hexDump(stored(QStringLiteral("module.dat"))), testsupport::hexDump(modules));
    QCOMPARE(stored(QStringLiteral("trans.dat")), transponders);
}

void TestEditorWindow::editsAreSaved() {
    start(true);
    QByteArray modules = stored(QStringLiteral("module.dat"));
    QByteArray transponders = stored(QStringLiteral("trans.dat"));
    load(entry());
    select(tree().moduleFolder(entry())->child(0));
    Child<QComboBox>(window(), QStringLiteral("Relais_CB"))->setCurrentIndex(2);
    QCOMPARE(window().currentModule(), entry().Modules[0].get());
    select(tree().transponderFolder(entry())->child(4));
    Child<QCheckBox>(window(), QStringLiteral("TransAkt_CB"))->click();
    QVERIFY(entry().Changed);
    save();
    QVERIFY(!entry().Changed); // saved edits are not asked about again
    modules[28] = 2;
    modules[29] = 0;
    const char active = transponders[4 * 89 + 31];
    transponders[4 * 89 + 31] = active ? 0 : 1;
    transponders[4 * 89 + 32] = 0;
    QCOMPARE(testsupport::hexDump(stored(QStringLiteral("module.dat"))), testsupport::hexDump(modules));
    QCOMPARE(stored(QStringLiteral("trans.dat")), transponders);
}

void TestEditorWindow::unsavedEditsQuestion_data() {
    QTest::addColumn<QString>("command");
    QTest::addColumn<bool>("edited");
    QTest::addColumn<bool>("answer");
    for (const char* command : {"Aktualisieren", "Manuell", "Beenden"}) {
        QTest::addRow("%s, no edits", command) << QString::fromLatin1(command) << false << false;
        QTest::addRow("%s, Nein", command) << QString::fromLatin1(command) << true << false;
        QTest::addRow("%s, Ja", command) << QString::fromLatin1(command) << true << true;
    }
}

void TestEditorWindow::unsavedEditsQuestion() {
    QFETCH(QString, command);
    QFETCH(bool, edited);
    QFETCH(bool, answer);

    start(false, [this] {
        writeTables(*m_site->controller, table<TModuleEntry>(2, "Tor"),
                    table<TTransponderEntry>(3, "Person"));
    });
    load(entry());
    TDeviceEntry* before = &entry();
    if (edited) {
        select(tree().moduleFolder(entry())->child(1));
        Child<QLineEdit>(window(), QStringLiteral("ModAddr_ED"))->setText(QStringLiteral("ABC"));
        QVERIFY(entry().Changed);
    }
    m_site->prompter.clear();
    m_site->prompter.questionAnswers.push_back(answer);
    if (command == QLatin1String("Manuell")) {
        m_site->prompter.dialogAnswers.push_back([](QDialog& dialog) {
            QTest::keyClicks(Child<QLineEdit>(dialog, QStringLiteral("Serial_ED")), QStringLiteral("1f"));
            QTest::keyClicks(Child<QLineEdit>(dialog, QStringLiteral("IPAddr_ED")),
                             QStringLiteral("127.0.0.9"));
            return int(QDialog::Accepted);
        });
    }
    Child<QAction>(window(), command)->trigger();
    QVERIFY(QTest::qWaitFor([this] { return !window().busy(); }));

    const QStringList questions = edited ? QStringList{kDiscard} : QStringList();
    QStringList asked;
    for (const auto& shown : m_site->prompter.shown) {
        if (shown.kind == QLatin1String("question")) {
            asked << shown.text;
            QCOMPARE(shown.icon, MsgIcon::Warning);
        }
    }
    QCOMPARE(asked, questions);
    const bool discarded = !edited || answer;
    if (command == QLatin1String("Beenden")) {
        QCOMPARE(window().isVisible(), !discarded);
    } else if (discarded) {
        QCOMPARE(window().deviceList().size(), std::size_t{1});
        QVERIFY(window().deviceList().at(0).Modules.empty());
        QCOMPARE(window().deviceList().at(0).Name,
                 command == QLatin1String("Manuell") ? QStringLiteral("Manuell") : QStringLiteral("Lager"));
    } else {
        QCOMPARE(&window().deviceList().at(0), before);
        QCOMPARE(int(before->Modules.size()), 2);
        QCOMPARE(before->Modules[1]->ModAddr(), std::uint16_t(0x0ABC));
        QVERIFY(tree().transponderFolder(*before));
        QVERIFY(before->Changed);
    }
}

void TestEditorWindow::closeDespiteUnwritableSettings() {
    start(false);
    // Neither settings store can be written: the folders cannot be created.
    QSettings::setPath(QSettings::NativeFormat, QSettings::SystemScope,
                       QStringLiteral("/proc/kelvora/system"));
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, QStringLiteral("/proc/kelvora/user"));
    QVERIFY(window().close());
    QVERIFY(!window().isVisible());
    QVERIFY(m_site->prompter.messages().isEmpty());
}

void TestEditorWindow::editsGoToTheRecordsController() {
    // A (firmware 1.39, binary codes) and B (1.31, text codes) on loopback; B stays current while A's
    // entries are edited.
    // B listens on A's ports (the tool has one command and one FTP port), so A starts first.
    QString error;
    QVERIFY2(m_site->startController(&error), qPrintable(error));
    sim::ControllerConfig configB = m_site->controller->config();
    configB.dataDir.clear(); // a folder of its own
    configB.address = QHostAddress(QStringLiteral("127.0.0.3"));
    configB.ip = QStringLiteral("127.0.0.3");
    configB.serial = 0x12AB4;
    configB.name = QStringLiteral("Halle");
    configB.command.firmwareMinor = 31;
    auto controllerB = std::make_unique<sim::SimController>(configB);
    QVERIFY2(controllerB->start(&error), qPrintable(error));
    m_site->discovery.addController(controllerB.get());
    writeTables(*controllerB, table<TModuleEntry>(2, "Halle"), table<TTransponderEntry>(4, "Gast"));
    writeTables(*m_site->controller, table<TModuleEntry>(3, "Tor"), table<TTransponderEntry>(5, "Person"));
    m_site->openWindow(); // waits for one device node; here two come
    QVERIFY(QTest::qWaitFor(
        [this] { return !window().busy() && Main_LV(window())->topLevelItem(0)->childCount() == 2; }));
    QVERIFY(m_site->login());
    QCOMPARE(window().deviceList().size(), std::size_t{2});
    TDeviceEntry& a = window().deviceList().at(0);
    TDeviceEntry& b = window().deviceList().at(1);
    m_site->prompter.dialogAnswers.push_back(
        TypeCredentials(configB.command.userName, configB.command.password));
    tree().deviceNode(b)->setExpanded(true);
    QVERIFY(b.LoggedIn);
    load(a);
    load(b);
    // A's folder is open (opening a node makes its controller current), then B is selected.
    tree().transponderFolder(a)->setExpanded(true);
    select(tree().deviceNode(b)->child(0)); // "Allgemeines" of B
    QCOMPARE(window().currentDevice(), &b);

    // A's transponder: A's module list, A's code form, A marked changed.
    select(tree().transponderFolder(a)->child(2));
    QCOMPARE(window().currentDevice(), &b);
    auto* list = Child<QListWidget>(window(), QStringLiteral("ModulRestr_CB"));
    QCOMPARE(list->count(), 3);
    QCOMPARE(list->item(0)->text(), QStringLiteral("Tor 0"));
    list->item(1)->setCheckState(Qt::Checked);
    QTest::keyClicks(Child<QLineEdit>(window(), QStringLiteral("Code_ED")), QStringLiteral("0A1B"));
    QCOMPARE(hexOf(*a.Transponders[2], 20, 17),
             QStringLiteral("00 00 00 00 00 00 00 00 0A 1B FF 01 00 01 01 00 00"));
    QVERIFY(a.Changed);
    QVERIFY(!b.Changed);

    // The menu of A's transponder node adds to A.
    QTreeWidget* tv = Main_LV(window());
    const QPoint at = tv->visualItemRect(tree().transponderFolder(a)->child(2)).center();
    window().Main_LVMouseDown(Qt::RightButton, at);
    auto* menu = Child<QMenu>(window(), QStringLiteral("PopupMenu1"));
    QVERIFY(menu->isVisible());
    menu->hide();
    QCOMPARE(window().currentDevice(), &b);
    window().tableCommands().Transponderhinzufgen1->trigger();
    QCOMPARE(int(a.Transponders.size()), 6);
    QCOMPARE(int(b.Transponders.size()), 4);
    QCOMPARE(tv->currentItem(), tree().transponderFolder(a)->child(5));
    QCOMPARE(window().currentTransponder(), a.Transponders[5].get());

    // F2 renames A's new entry; then it is deleted from A.
    tv->setFocus();
    QTest::keyClick(tv, Qt::Key_F2);
    auto* editor = tv->viewport()->findChild<QLineEdit*>();
    QVERIFY(editor);
    editor->setText(QStringLiteral("Björn Groß"));
    QTest::keyClick(editor, Qt::Key_Return);
    QCoreApplication::processEvents();
    QCOMPARE(CharsToStr(a.Transponders[5]->Name, 19), QStringLiteral("Björn Groß"));
    const TTransponderEntry* added = a.Transponders[5].get();
    m_site->prompter.questionAnswers.push_back(true);
    window().tableCommands().Transponderlschen1->trigger();
    QCOMPARE(m_site->prompter.shown.back().text,
             QStringLiteral("Wollen Sie den Transponder \"Björn Groß\" wirklich löschen ?"));
    QCOMPARE(int(a.Transponders.size()), 5);
    QCOMPARE(int(b.Transponders.size()), 4);
    // Nothing shows the freed record any more.
    QVERIFY(window().currentTransponder() != added);
    QVERIFY(Child<TTransponderPage>(window(), QStringLiteral("Transponder"))->transponder() != added);
    QVERIFY(!b.Changed);
}

void TestEditorWindow::rightPressOnAFoldersExpandSign() {
    start(false, [this] {
        writeTables(*m_site->controller, table<TModuleEntry>(2, "Tor"),
                    table<TTransponderEntry>(3, "Person"));
    });
    load(entry());
    QTreeWidget* tv = Main_LV(window());
    select(tree().configNode(entry()));
    const struct {
        QTreeWidgetItem* folder;
        const char* menu;
    } folders[] = {{tree().moduleFolder(entry()), "PopupMenu2"},
                   {tree().transponderFolder(entry()), "PopupMenu1"}};
    for (const auto& f : folders) {
        const bool expanded = f.folder->isExpanded();
        const QRect rect = tv->visualItemRect(f.folder);
        QTest::mousePress(tv->viewport(), Qt::RightButton, {},
                          QPoint(rect.left() - tv->indentation() / 2, rect.center().y()));
        auto* menu = Child<QMenu>(window(), QString::fromLatin1(f.menu));
        QVERIFY2(menu->isVisible(), f.menu);
        menu->hide();
        QTest::mouseRelease(tv->viewport(), Qt::RightButton, {},
                            QPoint(rect.left() - tv->indentation() / 2, rect.center().y()));
        // The menu's commands act on the selected node: the folder is selected, and stays as it was.
        QCOMPARE(tv->currentItem(), f.folder);
        QCOMPARE(f.folder->isExpanded(), expanded);
    }
}

QTEST_MAIN(TestEditorWindow)
#include "tst_editorwindow.moc"
