// Copying transponders and modules between configurations: the plan (new, matching, refused, dropped
// module permissions, codes in the other form, the limits), and in the window between two simulated
// controllers of different code forms with Ctrl and Shift clicks, Ctrl+C / Ctrl+V, the menu and a drag.
// Nothing reaches a controller before a save.

#include "EditorFixtures.h"
#include "data/NewRecords.h"
#include "device/Conversions.h"
#include "ops/Offline.h"
#include "ops/Paste.h"
#include "support/SiteFixture.h"
#include "support/TestSupport.h"
#include "support/WidgetLookup.h"
#include "ui/TableCommands.h"

#include <QCheckBox>
#include <QDialog>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMimeData>
#include <QPushButton>
#include <QTreeWidget>
#include <QtTest>

using namespace editortest;

namespace {

TModuleEntry moduleAt(const QByteArray& name, std::uint16_t address) {
    TModuleEntry record = NewModule();
    record.setModAddr(address);
    putName(record.Name, name);
    return record;
}

// A transponder with the code in the given form (binary when the code is hex digits and `binary`).
TTransponderEntry person(const QByteArray& name, const QString& code, bool binary,
                         std::vector<std::uint16_t> allowed = {0x0100, 0x0105}) {
    const TDefaultRestrictions none{};
    TTransponderEntry record = NewTransponder(none, CodeForm::Binary);
    putName(record.Name, name);
    if (binary) {
        HexToCode(code, record.Code, 10);
    } else {
        std::memset(record.Code, 0, sizeof record.Code);
        std::memcpy(record.Code, code.toLatin1().constData(), static_cast<std::size_t>(code.size()));
    }
    for (std::size_t i = 0; i < allowed.size(); ++i)
        record.setModuleSlot(static_cast<int>(i), allowed[i]);
    return record;
}

template <typename Record> QByteArray table(const std::vector<Record>& records) {
    QByteArray bytes;
    for (const Record& r : records)
        bytes += bytesOf(r);
    return bytes;
}

QStringList itemLines(const QTreeWidget& tree) {
    QStringList lines;
    const std::function<void(const QTreeWidgetItem*, int)> walk = [&](const QTreeWidgetItem* item,
                                                                      int depth) {
        lines << QString(depth * 2, QLatin1Char(' ')) + item->text(0);
        for (int i = 0; i < item->childCount(); ++i)
            walk(item->child(i), depth + 1);
    };
    for (int i = 0; i < tree.topLevelItemCount(); ++i)
        walk(tree.topLevelItem(i), 0);
    return lines;
}

// A: firmware 1.39 (binary codes), six modules 0100..0105, five transponders allowed at 0100 and 0105.
const std::vector<TModuleEntry> kModulesA = {moduleAt("Tor 0", 0x0100), moduleAt("Tor 1", 0x0101),
                                             moduleAt("Tor 2", 0x0102), moduleAt("Tor 3", 0x0103),
                                             moduleAt("Tor 4", 0x0104), moduleAt("Tor 5", 0x0105)};
const std::vector<TTransponderEntry> kTranspondersA = {
    person("Person 0", QStringLiteral("0A0B0C00"), true),
    person("Person 1", QStringLiteral("0A0B0C01"), true),
    person("Person 2", QStringLiteral("0A0B0C02"), true),
    person("Person 3", QStringLiteral("0A0B0C03"), true),
    person("Person 4", QStringLiteral("0102030405060708090A"), true)};
// B: firmware 1.31 (text codes), modules 0100 and 0101; "Gast 0" holds Person 1's code.
const std::vector<TModuleEntry> kModulesB = {moduleAt("Halle 0", 0x0100), moduleAt("Halle 1", 0x0101)};
const std::vector<TTransponderEntry> kTranspondersB = {
    person("Gast 0", QStringLiteral("0A0B0C01"), false, {0x0101}),
    person("Gast 1", QStringLiteral("77"), false, {})};

// An entry holding the records, storing codes in the given form.
std::unique_ptr<TDeviceEntry> configuration(const std::vector<TModuleEntry>& modules,
                                            const std::vector<TTransponderEntry>& transponders, bool binary) {
    auto entry = std::make_unique<TDeviceEntry>();
    ops::MakeOffline(*entry, QStringLiteral("X"), binary ? ops::CodeForm::Binary : ops::CodeForm::Text);
    for (const auto& m : modules)
        entry->Modules.push_back(std::make_unique<TModuleEntry>(m));
    for (const auto& t : transponders)
        entry->Transponders.push_back(std::make_unique<TTransponderEntry>(t));
    return entry;
}

QStringList itemsOf(const std::vector<ops::PlanItem>& items) {
    QStringList lines;
    for (const ops::PlanItem& item : items)
        lines << (item.changes.isEmpty()
                      ? item.label
                      : item.label + QStringLiteral(": ") + item.changes.join(QStringLiteral("; ")));
    return lines;
}

} // namespace

class TestCopyPaste : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void plan_data();
    void plan();
    void codeConversion_data();
    void codeConversion();

    void init();
    void cleanup();
    void ctrlClickCopyPasteBetweenControllers();
    void shiftClickMenuAndDrag();

private:
    void start();
    TMain_Dlg& window() const { return *m_site->window; }
    ScriptedPrompter& prompter() const { return m_site->prompter; }
    const TDeviceTree& tree() const { return window().deviceTree(); }
    QTreeWidget* tv() const { return Main_LV(window()); }
    void click(QTreeWidgetItem* node, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
        tv()->scrollToItem(node);
        QTest::mouseClick(tv()->viewport(), Qt::LeftButton, modifiers, tv()->visualItemRect(node).center());
    }
    QStringList selectedTexts() const {
        QStringList texts;
        for (const QTreeWidgetItem* node : tv()->selectedItems())
            texts << node->text(0);
        texts.sort();
        return texts;
    }
    void load(TDeviceEntry& device);
    QStringList stores() const;

    std::unique_ptr<SiteFixture> m_site;
    std::unique_ptr<sim::SimController> m_controllerB;
};

void TestCopyPaste::plan_data() {
    QTest::addColumn<bool>("transponders"); // else modules
    QTest::addColumn<int>("targetCount");   // extra records in the target before the paste
    QTest::addColumn<bool>("update");
    QTest::addColumn<QStringList>("added");
    QTest::addColumn<QStringList>("updated");
    QTest::addColumn<QStringList>("skipped");
    QTest::addColumn<QStringList>("refused");
    QTest::addColumn<QStringList>("dropped");
    const QStringList none;
    QTest::newRow("transponders into text codes, skip")
        << true << 0 << false << QStringList{QStringLiteral("Person 2 (0A0B0C02)")} << none
        << QStringList{QStringLiteral("Person 1 (0A0B0C01)")}
        << QStringList{QStringLiteral(
               "Person 4 (0102030405060708090A): der Code „0102030405060708090A“ hat mehr "
               "als 10 Stellen und passt nicht in die Textform")}
        << QStringList{QStringLiteral("Person 2 (0A0B0C02): Modul Tor 5 (0105) fehlt")};
    QTest::newRow("transponders into text codes, update")
        << true << 0 << true << QStringList{QStringLiteral("Person 2 (0A0B0C02)")}
        << QStringList{QStringLiteral(
               "Person 1 (0A0B0C01): Name: Gast 0 → Person 1; Module: + Halle 0; Module: - "
               "Halle 1")}
        << none
        << QStringList{QStringLiteral(
               "Person 4 (0102030405060708090A): der Code „0102030405060708090A“ hat mehr "
               "als 10 Stellen und passt nicht in die Textform")}
        << QStringList{QStringLiteral("Person 1 (0A0B0C01): Modul Tor 5 (0105) fehlt"),
                       QStringLiteral("Person 2 (0A0B0C02): Modul Tor 5 (0105) fehlt")};
    QTest::newRow("the 1000th transponder is the last")
        << true << 997 << false << QStringList{QStringLiteral("Person 2 (0A0B0C02)")} << none
        << QStringList{QStringLiteral("Person 1 (0A0B0C01)")}
        << QStringList{QStringLiteral(
               "Person 4 (0102030405060708090A): der Code „0102030405060708090A“ hat mehr "
               "als 10 Stellen und passt nicht in die Textform")}
        << QStringList{QStringLiteral("Person 2 (0A0B0C02): Modul Tor 5 (0105) fehlt")};
    QTest::newRow("over 1000 transponders")
        << true << 998 << false << none << none << QStringList{QStringLiteral("Person 1 (0A0B0C01)")}
        << QStringList{QStringLiteral("Person 2 (0A0B0C02): mehr als 1000 Transponder sind nicht möglich"),
                       QStringLiteral(
                           "Person 4 (0102030405060708090A): der Code „0102030405060708090A“ hat mehr "
                           "als 10 Stellen und passt nicht in die Textform")}
        << none;
    QTest::newRow("modules by address")
        << false << 0 << false << QStringList{QStringLiteral("Tor 5 (0105)")} << none
        << QStringList{QStringLiteral("Tor 1 (0101)")} << none << none;
    QTest::newRow("modules updated") << false << 0 << true << QStringList{QStringLiteral("Tor 5 (0105)")}
                                     << QStringList{QStringLiteral("Tor 1 (0101): Name: Halle 1 → Tor 1")}
                                     << none << none << none;
    QTest::newRow("over 16 modules") << false << 14 << false << none << none
                                     << QStringList{QStringLiteral("Tor 1 (0101)")}
                                     << QStringList{QStringLiteral(
                                            "Tor 5 (0105): mehr als 16 Module sind nicht möglich")}
                                     << none;
}

void TestCopyPaste::plan() {
    QFETCH(bool, transponders);
    QFETCH(int, targetCount);
    QFETCH(bool, update);
    const auto source = configuration(kModulesA, kTranspondersA, true);
    auto target = configuration(kModulesB, kTranspondersB, false);
    for (int i = 0; i < targetCount; ++i) {
        if (transponders)
            target->Transponders.push_back(std::make_unique<TTransponderEntry>(
                person("Gast", QStringLiteral("F%1").arg(i, 3, 10, QLatin1Char('0')), false, {})));
        else
            target->Modules.push_back(
                std::make_unique<TModuleEntry>(moduleAt("Lager", static_cast<std::uint16_t>(0x0200 + i))));
    }
    const ops::CopiedEntries copied =
        transponders ? ops::CopyEntries(*source, {},
                                        {source->Transponders[1].get(), source->Transponders[2].get(),
                                         source->Transponders[4].get()})
                     : ops::CopyEntries(*source, {source->Modules[1].get(), source->Modules[5].get()}, {});
    ops::PastePlan plan = ops::PlanPaste(*target, copied, update);
    QTEST(itemsOf(plan.added), "added");
    QTEST(itemsOf(plan.updated), "updated");
    QTEST(itemsOf(plan.skipped).replaceInStrings(QStringLiteral(": bereits gleich"), QString()), "skipped");
    QTEST(itemsOf(plan.refused), "refused");
    QTEST(itemsOf(plan.dropped), "dropped");

    // Applied: the target's own records stay as they were, the new ones come last, codes in text form.
    const QByteArray before = table(kTranspondersB);
    ops::ApplyPaste(*target, plan);
    QCOMPARE(target->Changed, !plan.added.empty() || !plan.updated.empty());
    if (transponders && targetCount == 0) {
        QCOMPARE(target->Transponders.size(), std::size_t{3});
        QCOMPARE(bytesOf(*target->Transponders[1]), before.mid(89, 89));
        QCOMPARE(bytesOf(*target->Transponders[2]),
                 bytesOf(person("Person 2", QStringLiteral("0A0B0C02"), false, {0x0100})));
        if (update)
            QCOMPARE(bytesOf(*target->Transponders[0]),
                     bytesOf(person("Person 1", QStringLiteral("0A0B0C01"), false, {0x0100})));
        else
            QCOMPARE(bytesOf(*target->Transponders[0]), before.left(89));
    }
}

void TestCopyPaste::codeConversion_data() {
    QTest::addColumn<QString>("code");
    QTest::addColumn<bool>("binaryFrom");
    QTest::addColumn<QString>("converted"); // the 11 bytes, or the reason
    QTest::newRow("binary to text") << QStringLiteral("0A1B") << true
                                    << QStringLiteral("30 41 31 42 00 00 00 00 00 00 00");
    QTest::newRow("binary of 10 digits to text")
        << QStringLiteral("0102030405") << true << QStringLiteral("30 31 30 32 30 33 30 34 30 35 00");
    QTest::newRow("text to binary") << QStringLiteral("0A1B") << false
                                    << QStringLiteral("00 00 00 00 00 00 00 00 0A 1B FF");
    QTest::newRow("odd text to binary")
        << QStringLiteral("ABC") << false << QStringLiteral("00 00 00 00 00 00 00 00 0A BC FF");
    QTest::newRow("lower-case text to binary")
        << QStringLiteral("ab") << false << QStringLiteral("00 00 00 00 00 00 00 00 00 AB FF");
    QTest::newRow("text that is no number")
        << QStringLiteral("12-34") << false
        << QStringLiteral("der Code „12-34“ ist keine Hexadezimalzahl und passt "
                          "nicht in die Binärform");
    QTest::newRow("empty binary code")
        << QString() << true << QStringLiteral("00 00 00 00 00 00 00 00 00 00 00");
}

void TestCopyPaste::codeConversion() {
    QFETCH(QString, code);
    QFETCH(bool, binaryFrom);
    const TTransponderEntry from = person("P", code, binaryFrom, {});
    std::uint8_t to[11];
    std::memset(to, 0x55, sizeof to);
    QString reason;
    const bool ok = ops::ConvertCode(from.Code, !binaryFrom, to, &reason);
    QByteArray bytes(reinterpret_cast<const char*>(to), 11);
    QTEST(ok ? QString::fromLatin1(bytes.toHex(' ').toUpper()) : reason, "converted");
}

void TestCopyPaste::init() {
    m_site = std::make_unique<SiteFixture>(0x12AB3, QStringLiteral("Lager"));
}

void TestCopyPaste::cleanup() {
    m_site.reset();
    m_controllerB.reset();
}

void TestCopyPaste::load(TDeviceEntry& device) {
    tv()->setCurrentItem(tree().configNode(device));
    Child<QPushButton>(window(), QStringLiteral("LoadConfig_BTN"))->click();
    QVERIFY(tree().transponderFolder(device));
}

QStringList TestCopyPaste::stores() const {
    QStringList lines;
    for (const auto* controller : {m_site->controller.get(), m_controllerB.get()})
        for (const QString& line : controller->events())
            if (line.contains(QStringLiteral("STOR")))
                lines << line;
    return lines;
}

void TestCopyPaste::start() {
    QString error;
    QVERIFY2(m_site->startController(&error), qPrintable(error));
    sim::ControllerConfig configB = m_site->controller->config();
    configB.dataDir.clear();
    configB.address = QHostAddress(QStringLiteral("127.0.0.3"));
    configB.ip = QStringLiteral("127.0.0.3");
    configB.serial = 0x12AB4;
    configB.name = QStringLiteral("Halle");
    configB.command.firmwareMinor = 31;
    m_controllerB = std::make_unique<sim::SimController>(configB);
    QVERIFY2(m_controllerB->start(&error), qPrintable(error));
    m_site->discovery.addController(m_controllerB.get());
    const auto write = [](sim::SimController& c, const QByteArray& modules, const QByteArray& transponders) {
        QVERIFY(testsupport::writeFile(c.dataFile(QStringLiteral("module.dat")), modules));
        QVERIFY(testsupport::writeFile(c.dataFile(QStringLiteral("trans.dat")), transponders));
    };
    write(*m_site->controller, table(kModulesA), table(kTranspondersA));
    write(*m_controllerB, table(kModulesB), table(kTranspondersB));
    m_site->openWindow();
    QVERIFY(QTest::qWaitFor([this] { return !window().busy() && tv()->topLevelItem(0)->childCount() == 2; }));
    QVERIFY(m_site->login());
    m_site->prompter.dialogAnswers.push_back(
        TypeCredentials(configB.command.userName, configB.command.password));
    tree().deviceNode(window().deviceList().at(1))->setExpanded(true);
    QVERIFY(window().deviceList().at(1).LoggedIn);
    load(window().deviceList().at(0));
    load(window().deviceList().at(1));
    tree().transponderFolder(window().deviceList().at(0))->setExpanded(true);
    tree().moduleFolder(window().deviceList().at(0))->setExpanded(true);
    tree().transponderFolder(window().deviceList().at(1))->setExpanded(true);
    window().resize(900, 1400);
}

void TestCopyPaste::ctrlClickCopyPasteBetweenControllers() {
    start();
    TDeviceEntry& a = window().deviceList().at(0);
    TDeviceEntry& b = window().deviceList().at(1);
    QTreeWidgetItem* folderA = tree().transponderFolder(a);
    click(folderA->child(1));
    click(folderA->child(2), Qt::ControlModifier);
    click(folderA->child(4), Qt::ControlModifier);
    QCOMPARE(selectedTexts(), (QStringList{QStringLiteral("Person 1"), QStringLiteral("Person 2"),
                                           QStringLiteral("Person 4")}));
    // Ctrl on a node of another folder: the selection is that node alone.
    click(tree().moduleFolder(a)->child(0), Qt::ControlModifier);
    QCOMPARE(selectedTexts(), QStringList{QStringLiteral("Tor 0")});
    click(folderA->child(1));
    click(folderA->child(2), Qt::ControlModifier);
    click(folderA->child(4), Qt::ControlModifier);
    QTest::keyClick(tv(), Qt::Key_C, Qt::ControlModifier);

    // Ctrl+V on B's folder: the plan first; Nein changes nothing.
    QStringList shown;
    QString counts;
    const auto look = [&](int answer, bool update) {
        return [&, answer, update](QDialog& dialog) {
            Child<QCheckBox>(dialog, QStringLiteral("RemoveMissing_CB"))->setChecked(update);
            counts = Child<QLabel>(dialog, QStringLiteral("Counts_ST"))->text();
            shown = itemLines(*Child<QTreeWidget>(dialog, QStringLiteral("Plan_LV")));
            return answer;
        };
    };
    prompter().dialogAnswers.push_back(look(QDialog::Rejected, false));
    click(tree().transponderFolder(b));
    QTest::keyClick(tv(), Qt::Key_V, Qt::ControlModifier);
    QCOMPARE(counts, QStringLiteral("Neu: 1, aktualisiert: 0, übersprungen: 1, abgelehnt: 1"));
    QCOMPARE(shown,
             (QStringList{
                 QStringLiteral("Neu (1)"), QStringLiteral("  Person 2 (0A0B0C02)"),
                 QStringLiteral("Vorhanden, übersprungen (1)"), QStringLiteral("  Person 1 (0A0B0C01)"),
                 QStringLiteral("Abgelehnt (1)"), QStringLiteral("  Person 4 (0102030405060708090A)"),
                 QStringLiteral("    der Code „0102030405060708090A“ hat mehr als 10 Stellen und "
                                "passt nicht in die Textform"),
                 QStringLiteral("Modulberechtigungen entfernt (1)"), QStringLiteral("  Person 2 (0A0B0C02)"),
                 QStringLiteral("    Modul Tor 5 (0105) fehlt")}));
    QCOMPARE(b.Transponders.size(), std::size_t{2});
    QVERIFY(!b.Changed);

    // Ja with the matches updated: B changes in the tool only.
    prompter().dialogAnswers.push_back(look(QDialog::Accepted, true));
    QTest::keyClick(tv(), Qt::Key_V, Qt::ControlModifier);
    QCOMPARE(counts, QStringLiteral("Neu: 1, aktualisiert: 1, übersprungen: 0, abgelehnt: 1"));
    QVERIFY(b.Changed);
    QVERIFY(!a.Changed);
    QCOMPARE(table<TTransponderEntry>({*b.Transponders[0], *b.Transponders[1], *b.Transponders[2]}),
             table(std::vector<TTransponderEntry>{
                 person("Person 1", QStringLiteral("0A0B0C01"), false, {0x0100}), kTranspondersB[1],
                 person("Person 2", QStringLiteral("0A0B0C02"), false, {0x0100})}));
    QCOMPARE(tree().transponderFolder(b)->childCount(), 3);
    QCOMPARE(tree().transponderFolder(b)->child(2)->text(0), QStringLiteral("Person 2"));
    QCOMPARE(stores(), QStringList());
    QCOMPARE(testsupport::readFile(m_controllerB->dataFile(QStringLiteral("trans.dat"))),
             table(kTranspondersB));
}

void TestCopyPaste::shiftClickMenuAndDrag() {
    start();
    TDeviceEntry& a = window().deviceList().at(0);
    TDeviceEntry& b = window().deviceList().at(1);
    QTreeWidgetItem* modulesA = tree().moduleFolder(a);
    // Shift: the range within the folder.
    click(modulesA->child(3));
    click(modulesA->child(5), Qt::ShiftModifier);
    QCOMPARE(selectedTexts(),
             (QStringList{QStringLiteral("Tor 3"), QStringLiteral("Tor 4"), QStringLiteral("Tor 5")}));
    // The right button on one of them keeps all three for the menu's "Kopieren".
    window().Main_LVMouseDown(Qt::RightButton, tv()->visualItemRect(modulesA->child(4)).center());
    Child<QMenu>(window(), QStringLiteral("PopupMenu2"))->hide();
    QCOMPARE(selectedTexts(),
             (QStringList{QStringLiteral("Tor 3"), QStringLiteral("Tor 4"), QStringLiteral("Tor 5")}));
    QCOMPARE(window().tableCommands().copyableSelection().size(), 3);
    // The menu offers "Kopieren" on an entry, "Einfügen" only where copied entries of that kind can go.
    QMenu* menu = window().tableCommands().prepareMenu(modulesA->child(3));
    QVERIFY(menu == window().tableCommands().PopupMenu2);
    QVERIFY(window().tableCommands().Kopieren1->isEnabled());
    QVERIFY(!window().tableCommands().Einfuegen1->isEnabled());

    // A drag of Tor 1 and Tor 5 onto B's module folder.
    click(modulesA->child(1));
    click(modulesA->child(5), Qt::ControlModifier);
    prompter().dialogAnswers.push_back([](QDialog&) { return int(QDialog::Accepted); });
    tree().configNode(b)->setExpanded(true);
    QTreeWidgetItem* folderB = tree().moduleFolder(b);
    tv()->scrollToItem(folderB);
    const QPoint at = tv()->visualItemRect(folderB).center();
    QMimeData mime;
    mime.setData(QStringLiteral("application/x-qabstractitemmodeldatalist"), QByteArray());
    QDragEnterEvent enter(at, Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(tv()->viewport(), &enter);
    QVERIFY(enter.isAccepted());
    QDropEvent drop(QPointF(at), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(tv()->viewport(), &drop);
    QCOMPARE(drop.dropAction(), Qt::CopyAction);
    QCOMPARE(b.Modules.size(), std::size_t{3});
    QCOMPARE(bytesOf(*b.Modules[2]), bytesOf(kModulesA[5]));
    QCOMPARE(bytesOf(*b.Modules[1]), bytesOf(kModulesB[1])); // the address was there: skipped
    QVERIFY(b.Changed);
    QCOMPARE(a.Modules.size(), std::size_t{6});

    // A drop onto A's own folder, or onto a folder of the other kind, is refused.
    click(modulesA->child(1));
    QDragEnterEvent own(tv()->visualItemRect(modulesA).center(), Qt::CopyAction, &mime, Qt::LeftButton,
                        Qt::NoModifier);
    QCoreApplication::sendEvent(tv()->viewport(), &own);
    QVERIFY(!own.isAccepted());
    QDragEnterEvent other(tv()->visualItemRect(tree().transponderFolder(b)).center(), Qt::CopyAction, &mime,
                          Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(tv()->viewport(), &other);
    QVERIFY(!other.isAccepted());

    // "Einfügen" from the menu onto the offline configuration's folder.
    prompter().dialogAnswers.push_back([](QDialog& dialog) {
        Child<QCheckBox>(dialog, QStringLiteral("RemoveMissing_CB"))->setChecked(false);
        return int(QDialog::Accepted);
    });
    QTest::keyClick(tv(), Qt::Key_C, Qt::ControlModifier);
    prompter().dialogAnswers.push_front([](QDialog& dialog) {
        Child<QLineEdit>(dialog, QStringLiteral("Name_ED"))->setText(QStringLiteral("Neubau"));
        return int(QDialog::Accepted);
    });
    Child<QAction>(window(), QStringLiteral("OfflineNew"))->trigger();
    TDeviceEntry& offline = *window().offlineEntries().front();
    tv()->setCurrentItem(tree().moduleFolder(offline));
    QVERIFY(window().tableCommands().prepareMenu(tree().moduleFolder(offline)));
    QVERIFY(window().tableCommands().Einfuegen1->isEnabled());
    window().tableCommands().Einfuegen1->trigger();
    QCOMPARE(offline.Modules.size(), std::size_t{1});
    QCOMPARE(bytesOf(*offline.Modules[0]), bytesOf(kModulesA[1]));
    QCOMPARE(stores(), QStringList());
}

QTEST_MAIN(TestCopyPaste)
#include "tst_copypaste.moc"
