// The tree's commands on a controller's tables: the menus at the fixed limits, adding, deleting after
// the question, and renaming in place.

#include "EditorFixtures.h"
#include "data/NewRecords.h"
#include "support/TestPageHost.h"
#include "ui/DeviceTree.h"
#include "ui/TableCommands.h"

#include <QAction>
#include <QLineEdit>
#include <QMenu>
#include <QTreeWidget>
#include <QtTest>

using namespace editortest;

namespace {

struct Tree {
    TestPageHost host;
    QTreeWidget widget;
    TDeviceTree tree{&widget};
    TDefaultRestrictions defaults{};
    TTableCommands commands{host, tree, defaults, &widget};
    TDeviceEntry entry;

    Tree(int modules, int transponders) {
        entry.Name = QStringLiteral("Lager");
        entry.InfoValid = true;
        entry.Info.setMaxModules(32); // the editor's limits do not follow the controller's
        entry.Info.setMaxTransponders(2000);
        for (int i = 0; i < modules; ++i)
            entry.Modules.push_back(
                module("Modul " + QByteArray::number(i), static_cast<std::uint16_t>(i + 1)));
        TDefaultRestrictions none{};
        for (int i = 0; i < transponders; ++i) {
            auto t = std::make_unique<TTransponderEntry>(NewTransponder(none, CodeForm::Binary));
            putName(t->Name, "Person " + QByteArray::number(i));
            entry.Transponders.push_back(std::move(t));
        }
        tree.reset();
        tree.addDevice(entry);
        tree.buildTableNodes(entry);
        widget.resize(300, 400);
        widget.show();
    }
    QTreeWidgetItem* modules() const { return tree.moduleFolder(entry); }
    QTreeWidgetItem* transponders() const { return tree.transponderFolder(entry); }
    QStringList captions(const QTreeWidgetItem* folder) const {
        QStringList result;
        for (int i = 0; i < folder->childCount(); ++i)
            result << folder->child(i)->text(0);
        return result;
    }
};

} // namespace

class TestTableCommands : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void menus_data();
    void menus();
    void addTransponder_data();
    void addTransponder();
    void addModuleAtTheLimit();
    void deleteAsked_data();
    void deleteAsked();
    void rename_data();
    void rename();
    void renameOnlyEntries();
};

void TestTableCommands::menus_data() {
    QTest::addColumn<int>("modules");
    QTest::addColumn<int>("transponders");
    QTest::addColumn<QString>("node"); // folder or entry
    QTest::addColumn<QString>("menu");
    QTest::addColumn<bool>("add");
    QTest::addColumn<bool>("remove");

    QTest::newRow("Module folder, 15 modules") << 15 << 0 << "Module"
                                               << "PopupMenu2" << true << false;
    QTest::newRow("module, 15 modules") << 15 << 0 << "module"
                                        << "PopupMenu2" << true << true;
    QTest::newRow("Module folder, 16 modules") << 16 << 0 << "Module"
                                               << "PopupMenu2" << false << false;
    QTest::newRow("module, 16 modules") << 16 << 0 << "module"
                                        << "PopupMenu2" << false << true;
    QTest::newRow("Transponder folder, 999") << 0 << 999 << "Transponder"
                                             << "PopupMenu1" << true << false;
    QTest::newRow("transponder, 999") << 0 << 999 << "transponder"
                                      << "PopupMenu1" << true << true;
    QTest::newRow("Transponder folder, 1000") << 0 << 1000 << "Transponder"
                                              << "PopupMenu1" << false << false;
    QTest::newRow("transponder, 1000") << 0 << 1000 << "transponder"
                                       << "PopupMenu1" << false << true;
}

void TestTableCommands::menus() {
    QFETCH(int, modules);
    QFETCH(int, transponders);
    QFETCH(QString, node);
    QFETCH(QString, menu);
    QFETCH(bool, add);
    QFETCH(bool, remove);

    Tree t(modules, transponders);
    QTreeWidgetItem* target = node == QLatin1String("Module")        ? t.modules()
                              : node == QLatin1String("module")      ? t.modules()->child(modules - 1)
                              : node == QLatin1String("Transponder") ? t.transponders()
                                                                     : t.transponders()->child(0);
    QMenu* shown = t.commands.prepareMenu(target);
    QVERIFY(shown);
    QCOMPARE(shown->objectName(), menu);
    const QList<QAction*> actions = shown->actions();
    // Adding and deleting, then (after a separator) copying and pasting.
    QCOMPARE(actions.size(), 5);
    QVERIFY(actions.at(2)->isSeparator());
    QCOMPARE(actions.at(3)->text(), QStringLiteral("Kopieren"));
    QCOMPARE(actions.at(4)->text(), QStringLiteral("Einfügen"));
    QCOMPARE(actions.at(3)->isEnabled(),
             node == QLatin1String("module") || node == QLatin1String("transponder"));
    QVERIFY(!actions.at(4)->isEnabled()); // nothing copied
    const bool transponderMenu = menu == QLatin1String("PopupMenu1");
    QCOMPARE(actions.at(0)->text(),
             transponderMenu ? QStringLiteral("Transponder hinzufügen") : QStringLiteral("Modul hinzufügen"));
    QCOMPARE(actions.at(1)->text(),
             transponderMenu ? QStringLiteral("Transponder löschen") : QStringLiteral("Modul löschen"));
    QCOMPARE(actions.at(0)->isEnabled(), add);
    QCOMPARE(actions.at(1)->isEnabled(), remove);

    // No menu on the other nodes.
    QVERIFY(!t.commands.prepareMenu(t.tree.configNode(t.entry)));
    QVERIFY(!t.commands.prepareMenu(t.tree.deviceNode(t.entry)));
    QVERIFY(!t.commands.prepareMenu(t.tree.root()));
}

void TestTableCommands::addTransponder_data() {
    QTest::addColumn<int>("apply");
    QTest::addColumn<int>("existing");
    QTest::addColumn<int>("minor");    // firmware 1.minor of the controller
    QTest::addColumn<QString>("code"); // the new record's 11 code bytes
    const QString binary = QStringLiteral("00 00 00 00 00 00 00 00 00 00 FF");
    const QString text = QStringLiteral("00 00 00 00 00 00 00 00 00 00 00");
    QTest::newRow("without defaults, from the folder") << 0 << 0 << 39 << binary;
    QTest::newRow("with defaults, from an entry") << 1 << 3 << 39 << binary;
    QTest::newRow("the 1000th") << 0 << 999 << 39 << binary;
    QTest::newRow("text-form controller: no binary marker") << 0 << 0 << 38 << text;
    QTest::newRow("text-form controller, with defaults") << 1 << 3 << 31 << text;
}

void TestTableCommands::addTransponder() {
    QFETCH(int, apply);
    QFETCH(int, existing);
    QFETCH(int, minor);
    QFETCH(QString, code);

    Tree t(2, existing);
    t.entry.Info.FirmwareMajor = 1;
    t.entry.Info.FirmwareMinor = static_cast<std::uint8_t>(minor);
    t.defaults.ApplyRestr = static_cast<std::uint8_t>(apply);
    t.defaults.setModuleSlot(0, 0x0002);
    t.defaults.DayMask(3)[1] = 0x0F;
    t.defaults.DayRestr = 0x08;
    t.widget.setCurrentItem(existing > 0 ? t.transponders()->child(0) : t.transponders());
    t.commands.Transponderhinzufgen1Click();

    QCOMPARE(int(t.entry.Transponders.size()), existing + 1);
    QCOMPARE(t.transponders()->childCount(), existing + 1);
    QTreeWidgetItem* added = t.transponders()->child(existing);
    QCOMPARE(added->text(0), QStringLiteral("Neuer Transponder"));
    QCOMPARE(t.widget.currentItem(), added);
    QCOMPARE(nodes::Transponder(added), t.entry.Transponders.back().get());
    QCOMPARE(nodes::Owner(added), &t.entry);
    QCOMPARE(hexOf(*t.entry.Transponders.back(), 20, 11), code);
    QCOMPARE(bytesOf(*t.entry.Transponders.back()),
             bytesOf(NewTransponder(t.defaults, minor >= 39 ? CodeForm::Binary : CodeForm::Text)));
    QCOMPARE(t.entry.Transponders.back()->DayRestr, std::uint8_t(apply ? 0x08 : 0xFF));
    QVERIFY(t.entry.Changed);
    if (existing + 1 == TTableCommands::kMaxTransponders) {
        t.commands.Transponderhinzufgen1Click();
        QCOMPARE(int(t.entry.Transponders.size()), TTableCommands::kMaxTransponders);
    }
}

void TestTableCommands::addModuleAtTheLimit() {
    Tree t(15, 0);
    t.widget.setCurrentItem(t.modules());
    t.commands.Modulhinzufgen1Click();
    QCOMPARE(int(t.entry.Modules.size()), 16);
    QCOMPARE(t.modules()->child(15)->text(0), QStringLiteral("Neues Modul"));
    QCOMPARE(t.widget.currentItem(), t.modules()->child(15));
    QCOMPARE(bytesOf(*t.entry.Modules.back()), bytesOf(NewModule()));
    t.commands.Modulhinzufgen1Click();
    QCOMPARE(int(t.entry.Modules.size()), 16);
    QCOMPARE(t.modules()->childCount(), 16);
}

void TestTableCommands::deleteAsked_data() {
    QTest::addColumn<bool>("transponder");
    QTest::addColumn<bool>("answer");
    QTest::newRow("transponder, Ja") << true << true;
    QTest::newRow("transponder, Nein") << true << false;
    QTest::newRow("module, Ja") << false << true;
    QTest::newRow("module, Nein") << false << false;
}

void TestTableCommands::deleteAsked() {
    QFETCH(bool, transponder);
    QFETCH(bool, answer);

    Tree t(3, 3);
    putName(t.entry.Transponders[1]->Name, "J\xFCrgen M\xFCller");
    putName(t.entry.Modules[1]->Name, "B\xFCro");
    t.tree.buildTableNodes(t.entry);
    QTreeWidgetItem* folder = transponder ? t.transponders() : t.modules();
    t.widget.setCurrentItem(folder->child(1));
    int removedT = 0;
    int removedM = 0;
    QObject::connect(&t.commands, &TTableCommands::transponderRemoved,
                     [&](TDeviceEntry& owner, TTransponderEntry&) {
                         QCOMPARE(&owner, &t.entry);
                         ++removedT;
                     });
    QObject::connect(&t.commands, &TTableCommands::moduleRemoved,
                     [&](TDeviceEntry&, TModuleEntry&) { ++removedM; });
    t.host.scripted.questionAnswers.push_back(answer);
    if (transponder)
        t.commands.Transponderlschen1Click();
    else
        t.commands.Modullschen1Click();

    QCOMPARE(t.host.scripted.shown.size(), std::size_t{1});
    QCOMPARE(t.host.scripted.shown[0].kind, QStringLiteral("question"));
    QCOMPARE(t.host.scripted.shown[0].icon, MsgIcon::Warning);
    QCOMPARE(t.host.scripted.shown[0].text,
             transponder ? QStringLiteral("Wollen Sie den Transponder \"Jürgen Müller\" wirklich löschen ?")
                         : QStringLiteral("Wollen Sie das Modul \"Büro\" wirklich löschen ?"));
    const QStringList remaining =
        transponder ? QStringList{"Person 0", "Person 2"} : QStringList{"Modul 0", "Modul 2"};
    if (answer) {
        QCOMPARE(t.captions(folder), remaining);
        QCOMPARE(int(transponder ? t.entry.Transponders.size() : t.entry.Modules.size()), 2);
        QCOMPARE(removedT, transponder ? 1 : 0);
        QCOMPARE(removedM, transponder ? 0 : 1);
        QVERIFY(t.entry.Changed);
        if (transponder)
            QCOMPARE(nodes::Transponder(folder->child(1)), t.entry.Transponders[1].get());
    } else {
        QCOMPARE(folder->childCount(), 3);
        QCOMPARE(int(transponder ? t.entry.Transponders.size() : t.entry.Modules.size()), 3);
        QCOMPARE(removedT + removedM, 0);
        QVERIFY(!t.entry.Changed);
    }
    // Deleting a module leaves the transponders' slots alone.
    QCOMPARE(t.entry.Transponders[0]->ModuleSlot(0), std::uint16_t(0));
}

void TestTableCommands::rename_data() {
    QTest::addColumn<bool>("transponder");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("field"); // the 20 bytes of Name afterwards
    QTest::addColumn<QString>("caption");

    // The old name is "Person 1" / "Modul 1" with 0xEE behind its zero.
    QTest::newRow("short name keeps the bytes behind it")
        << true << "Anna"
        << "41 6E 6E 61 00 6E 20 31 00 EE EE EE EE EE EE EE EE EE EE EE"
        << "Anna";
    QTest::newRow("25 characters: the first 19 and a zero")
        << true << "ABCDEFGHIJKLMNOPQRSTUVWXY"
        << "41 42 43 44 45 46 47 48 49 4A 4B 4C 4D 4E 4F 50 51 52 53 00"
        << "ABCDEFGHIJKLMNOPQRS";
    QTest::newRow("umlauts are one byte each")
        << false << "Tür Süd Übergang Ölraum"
        << "54 FC 72 20 53 FC 64 20 DC 62 65 72 67 61 6E 67 20 D6 6C 00"
        << "Tür Süd Übergang Öl";
    QTest::newRow("a character the code page lacks")
        << true << "Ω€"
        << "3F 80 00 73 6F 6E 20 31 00 EE EE EE EE EE EE EE EE EE EE EE"
        << "?€";
}

void TestTableCommands::rename() {
    QFETCH(bool, transponder);
    QFETCH(QString, typed);
    QFETCH(QString, field);
    QFETCH(QString, caption);

    Tree t(2, 2);
    std::uint8_t* name = transponder ? t.entry.Transponders[1]->Name : t.entry.Modules[1]->Name;
    std::memset(name, 0xEE, 20);
    std::memcpy(name, transponder ? "Person 1" : "Modul 1", transponder ? 9 : 8);
    QTreeWidgetItem* node = (transponder ? t.transponders() : t.modules())->child(1);
    t.widget.setCurrentItem(node);
    t.commands.startRename(node);
    auto* editor = t.widget.viewport()->findChild<QLineEdit*>();
    QVERIFY(editor);
    editor->selectAll();
    editor->insert(typed);
    QTest::keyClick(editor, Qt::Key_Return);
    // The view takes the text over from the editor after the key press has been handled.
    QCoreApplication::processEvents();
    QCOMPARE(testsupport::hexDump(QByteArray(reinterpret_cast<const char*>(name), 20)), field);
    QCOMPARE(node->text(0), caption);
    QVERIFY(t.entry.Changed);
    QVERIFY(!(node->flags() & Qt::ItemIsEditable));
}

void TestTableCommands::renameOnlyEntries() {
    Tree t(1, 1);
    for (QTreeWidgetItem* node : {t.modules(), t.transponders(), t.tree.configNode(t.entry), t.tree.root()}) {
        t.commands.startRename(node);
        QVERIFY(!t.widget.viewport()->findChild<QLineEdit*>());
        QVERIFY(!TTableCommands::Main_LVEditing(node));
    }
    // Esc leaves the name as it was.
    QTreeWidgetItem* node = t.transponders()->child(0);
    const QByteArray before = bytesOf(*t.entry.Transponders[0]);
    t.commands.startRename(node);
    auto* editor = t.widget.viewport()->findChild<QLineEdit*>();
    QVERIFY(editor);
    editor->setText(QStringLiteral("Verworfen"));
    QTest::keyClick(editor, Qt::Key_Escape);
    QCoreApplication::processEvents();
    QCOMPARE(bytesOf(*t.entry.Transponders[0]), before);
    QCOMPARE(node->text(0), QStringLiteral("Person 0"));
    QVERIFY(!(node->flags() & Qt::ItemIsEditable));
    QVERIFY(!t.entry.Changed);
}

QTEST_MAIN(TestTableCommands)
#include "tst_tablecommands.moc"
