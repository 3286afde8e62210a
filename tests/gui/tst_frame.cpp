#include "data/DeviceEntry.h"
#include "support/ScriptedPrompter.h"
#include "support/WidgetLookup.h"
#include "ui/DeviceTree.h"
#include "ui/MainWindow.h"

#include <QCloseEvent>
#include <QElapsedTimer>
#include <QSplitter>
#include <QStatusBar>
#include <QtTest>

#include <cstring>
#include <memory>

namespace {

template <typename Record> void addRecord(RecordList<Record>& table, const char* name) {
    auto record = std::make_unique<Record>();
    std::memcpy(record->Name, name, std::strlen(name));
    table.push_back(std::move(record));
}

QStringList captions(const QTreeWidgetItem* node) {
    QStringList result;
    for (int i = 0; node && i < node->childCount(); ++i)
        result << node->child(i)->text(0);
    return result;
}

} // namespace

class TestFrame : public QObject {
    Q_OBJECT
private slots:
    void pageOfEveryKind_data();
    void pageOfEveryKind();
    void tableNodesMirrorTheTables();
    void recordNodesKnowTheirController();
    void imagesAreShared();
    void busyWindowHoldsItsCommands();
    void closeWaitsForTheRunningCommand();
    void pageSwitchWaitsForTheChangeDelay();
    void pagesFitTheSmallestWindow();
};

void TestFrame::pageOfEveryKind_data() {
    QTest::addColumn<int>("kind");
    QTest::addColumn<int>("page");
    for (int kind = nkDevice; kind <= nkTransponderFolder; ++kind)
        QTest::addRow("kind %d", kind) << kind << kind;
    QTest::newRow("module") << int(nkModule) << 8;
    QTest::newRow("transponder") << int(nkTransponder) << 9;
    QTest::newRow("root") << int(nkNone) << 0;
}

void TestFrame::pageOfEveryKind() {
    QFETCH(int, kind);
    QFETCH(int, page);
    QCOMPARE(nodes::PageOf(static_cast<TNodeKind>(kind)), page);
}

void TestFrame::tableNodesMirrorTheTables() {
    QTreeWidget widget;
    TDeviceTree tree(&widget);
    TDeviceEntry entry;
    entry.Name = QStringLiteral("Lager");
    addRecord(entry.Modules, "Tor");
    addRecord(entry.Modules, "B\xFCro"); // Windows-1252
    addRecord(entry.Transponders, "Anna M\xFCller");
    tree.reset();
    tree.addDevice(entry);
    QCOMPARE(captions(tree.root()), QStringList{QStringLiteral("Lager")});
    QCOMPARE(captions(tree.deviceNode(entry)),
             (QStringList{QStringLiteral("Allgemeines"), QStringLiteral("Logbuch"),
                          QStringLiteral("Firmwareupdate"), QStringLiteral("Konfiguration")}));
    QVERIFY(tree.moduleFolder(entry) == nullptr);

    tree.buildTableNodes(entry);
    QCOMPARE(captions(tree.configNode(entry)),
             (QStringList{QStringLiteral("Module"), QStringLiteral("Transponder")}));
    QCOMPARE(captions(tree.moduleFolder(entry)),
             (QStringList{QStringLiteral("Tor"), QStringLiteral("Büro")}));
    QCOMPARE(captions(tree.transponderFolder(entry)), QStringList{QStringLiteral("Anna Müller")});

    addRecord(entry.Transponders, "Neuer Transponder");
    QTreeWidgetItem* added = tree.addTransponderNode(entry, *entry.Transponders.back());
    QCOMPARE(tree.transponderFolder(entry)->indexOfChild(added), 1);
    QCOMPARE(nodes::Transponder(added), entry.Transponders.back().get());

    // A second build replaces the folders instead of adding another pair.
    tree.buildTableNodes(entry);
    QCOMPARE(tree.configNode(entry)->childCount(), 2);
    tree.removeTableNodes(entry);
    QCOMPARE(tree.configNode(entry)->childCount(), 0);
    QVERIFY(tree.moduleFolder(entry) == nullptr);
    QVERIFY(tree.transponderFolder(entry) == nullptr);
}

void TestFrame::recordNodesKnowTheirController() {
    QTreeWidget widget;
    TDeviceTree tree(&widget);
    TDeviceEntry a, b;
    addRecord(a.Modules, "A1");
    addRecord(b.Transponders, "B1");
    tree.reset();
    tree.addDevice(a);
    tree.addDevice(b);
    tree.buildTableNodes(a);
    tree.buildTableNodes(b);
    const QTreeWidgetItem* module = tree.moduleFolder(a)->child(0);
    const QTreeWidgetItem* transponder = tree.transponderFolder(b)->child(0);
    QCOMPARE(nodes::Owner(module), &a);
    QCOMPARE(nodes::Owner(transponder), &b);
    // Record nodes do not make their controller current: only kinds 1 to 7 name one.
    QVERIFY(nodes::Device(module) == nullptr);
    QCOMPARE(nodes::Device(tree.transponderFolder(b)), &b);
    QCOMPARE(nodes::Module(module), a.Modules.front().get());
    QVERIFY(nodes::Transponder(module) == nullptr);
    QVERIFY(nodes::Data(tree.root()) == nullptr);
}

void TestFrame::imagesAreShared() {
    QTreeWidget widget;
    TDeviceTree tree(&widget);
    TDeviceEntry entry;
    for (int i = 0; i < 3; ++i)
        addRecord(entry.Transponders, "T");
    tree.reset();
    tree.addDevice(entry);
    tree.buildTableNodes(entry);
    const QTreeWidgetItem* folder = tree.transponderFolder(entry);
    const qint64 key = folder->child(0)->icon(0).cacheKey();
    QVERIFY(!folder->child(0)->icon(0).isNull());
    QCOMPARE(folder->child(2)->icon(0).cacheKey(), key);
    QVERIFY(folder->icon(0).cacheKey() != key);
}

void TestFrame::busyWindowHoldsItsCommands() {
    TempSettings settings;
    ScriptedPrompter prompter;
    TMain_Dlg window(prompter);
    QAction* search = Child<QAction>(window, QStringLiteral("Aktualisieren"));
    QAction* manual = Child<QAction>(window, QStringLiteral("Manuell"));
    {
        const CommandScope command = window.beginCommand();
        QVERIFY(window.busy());
        QVERIFY(!search->isEnabled());
        QVERIFY(!manual->isEnabled());
        QVERIFY(!Main_NB(window)->isEnabled());
        // A search asked for meanwhile is not silently dropped: the status bar says why nothing happens.
        window.Aktualisieren1Click();
        QCOMPARE(Child<QStatusBar>(window, QStringLiteral("StatusBar1"))->currentMessage(),
                 QStringLiteral("Bitte warten Sie, bis der laufende Vorgang beendet ist."));
        QCloseEvent close;
        QCoreApplication::sendEvent(&window, &close);
        QVERIFY(!close.isAccepted());
    }
    QVERIFY(!window.busy());
    QVERIFY(search->isEnabled());
    QVERIFY(Main_NB(window)->isEnabled());
    QVERIFY(prompter.shown.empty());
}

void TestFrame::closeWaitsForTheRunningCommand() {
    TempSettings settings;
    ScriptedPrompter prompter;
    TMain_Dlg window(prompter);
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    auto command = std::make_unique<CommandScope>(window.beginCommand());
    QVERIFY(!window.close());
    QVERIFY(window.isVisible());
    // The entry the command works on is still there; the close follows once the command has ended.
    command.reset();
    QTRY_VERIFY(!window.isVisible());
}

void TestFrame::pageSwitchWaitsForTheChangeDelay() {
    TempSettings settings;
    ScriptedPrompter prompter;
    TMain_Dlg window(prompter);
    TDeviceEntry& entry = window.deviceList().addManual(QStringLiteral("12AB3"), QStringLiteral("127.0.0.2"));
    TDeviceTree& tree = const_cast<TDeviceTree&>(window.deviceTree());
    tree.reset();
    tree.addDevice(entry);
    QElapsedTimer clock;
    clock.start();
    Main_LV(window)->setCurrentItem(tree.deviceNode(entry));
    // Nothing happens at once: a quick run through the tree with the arrow keys fills no page on the way.
    QCOMPARE(Main_NB(window)->currentIndex(), 0);
    QVERIFY(window.currentDevice() == nullptr);
    QTRY_COMPARE(Main_NB(window)->currentIndex(), 1);
    QVERIFY2(clock.elapsed() >= 100, qPrintable(QString::number(clock.elapsed())));
    QCOMPARE(window.currentDevice(), &entry);
}

void TestFrame::pagesFitTheSmallestWindow() {
    TempSettings settings;
    ScriptedPrompter prompter;
    TMain_Dlg window(prompter);
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    // At the smallest window every page still fits beside a tree of its smallest width: no text is cut.
    window.resize(window.minimumSize());
    QStackedWidget* pages = Main_NB(window);
    const int room = 756 - Main_LV(window)->minimumWidth() -
                     Child<QSplitter>(window, QStringLiteral("Splitter1"))->handleWidth();
    QCOMPARE(window.minimumSizeHint().expandedTo(window.minimumSize()), window.minimumSize());
    // KELVORA_SCREENSHOTS=<folder> keeps a picture of every page at the smallest size, to look at.
    const QString shots = qEnvironmentVariable("KELVORA_SCREENSHOTS");
    for (int i = 0; i < pages->count(); ++i) {
        QWidget* page = pages->widget(i);
        if (!shots.isEmpty()) {
            pages->setCurrentIndex(i);
            window.grab().save(QStringLiteral("%1/page-%2.png").arg(shots).arg(i));
        }
        QVERIFY2(page->minimumSizeHint().width() <= room,
                 qPrintable(QStringLiteral("%1 needs %2 px")
                                .arg(page->objectName())
                                .arg(page->minimumSizeHint().width())));
    }
}

QTEST_MAIN(TestFrame)
#include "tst_frame.moc"
