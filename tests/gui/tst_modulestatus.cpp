// The module-status page of the "Module" node against a simulated controller: the rows made from the
// status block and the module table, and a list that survives a failed read.

#include "data/Records.h"
#include "ops/Messages.h"
#include "support/PageSite.h"
#include "ui/pages/ModuleStatusPage.h"

#include <QPushButton>
#include <QTreeWidget>
#include <QtTest>

#include <cstring>

namespace {

using Block = QList<sim::ModuleStatusEntry>;
using Table = QList<QPair<QByteArray, int>>; // name field bytes, bus address

const QString kReady = QStringLiteral("Modul betriebsbereit, ");
const QString kCheck = QStringLiteral("Bitte kontrollieren Sie die Adresse und die Verkabelung");

QString row(const QString& name, const QString& address, const QString& status, int image) {
    return QStringList{name, address, status, QString::number(image)}.join(QLatin1Char('|'));
}

void fillTable(TDeviceEntry& entry, const Table& table) {
    entry.Modules.clear();
    for (const auto& [name, address] : table) {
        auto module = std::make_unique<TModuleEntry>();
        std::memset(module.get(), 0x5A, sizeof(TModuleEntry)); // bytes after a name's zero are not text
        std::memcpy(module->Name, name.constData(), std::min<std::size_t>(20, std::size_t(name.size()) + 1));
        module->setModAddr(static_cast<std::uint16_t>(address));
        entry.Modules.push_back(std::move(module));
    }
}

} // namespace

Q_DECLARE_METATYPE(Block)
Q_DECLARE_METATYPE(Table)

class TestModuleStatus : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void init();
    void cleanup();

    void rows_data();
    void rows();
    void failedReadKeepsList_data();
    void failedReadKeepsList();

private:
    void start();
    void show() { m_page->findChild<QPushButton*>(QStringLiteral("Start_BTN"))->click(); }
    QTreeWidget* list() const { return m_page->findChild<QTreeWidget*>(QStringLiteral("Status_LV")); }
    QStringList shownRows() const {
        QStringList rows;
        for (int i = 0; i < list()->topLevelItemCount(); ++i) {
            const QTreeWidgetItem* item = list()->topLevelItem(i);
            rows << row(item->text(0), item->text(1), item->text(2),
                        item->data(0, TModuleStatusPage::ImageRole).toInt());
        }
        return rows;
    }

    std::unique_ptr<PageSite> m_site;
    std::unique_ptr<TModuleStatusPage> m_page;
};

void TestModuleStatus::init() {
    m_site = std::make_unique<PageSite>();
}

void TestModuleStatus::cleanup() {
    m_page.reset();
    m_site.reset();
}

void TestModuleStatus::start() {
    QString error;
    QVERIFY2(m_site->start(&error), qPrintable(error));
    m_page = std::make_unique<TModuleStatusPage>(m_site->host(), nullptr);
}

void TestModuleStatus::rows_data() {
    QTest::addColumn<Block>("block");
    QTest::addColumn<Table>("table");
    QTest::addColumn<QStringList>("expected");
    const Table site = {
        {"Haupteingang", 0x01}, {"Lager Tor 2", 0x02}, {"T\xFCr Hof", 0x05}, {"Keller", 0x12}};
    QTest::newRow("answering, door open, sabotage, silent")
        << Block{{0x01, 1, 0, 0}, {0x02, 1, 0, 1}, {0x05, 1, 1, 0}, {0x12, 0, 0, 0}} << site
        << QStringList{row(QStringLiteral("Haupteingang"), QStringLiteral("0x1"),
                           kReady + QStringLiteral("Sabotage AUS, Tür geschlossen"), 13),
                       row(QStringLiteral("Lager Tor 2"), QStringLiteral("0x2"),
                           kReady + QStringLiteral("Sabotage AUS, Tür offen"), 13),
                       row(QStringLiteral("Tür Hof"), QStringLiteral("0x5"),
                           kReady + QStringLiteral("Sabotage EIN, Tür geschlossen"), 13),
                       row(QStringLiteral("Keller"), QStringLiteral("0x12"), kCheck, 12)};
    QTest::newRow("silent module: nothing about sabotage or door")
        << Block{{0x12, 0, 1, 1}} << site
        << QStringList{row(QStringLiteral("Keller"), QStringLiteral("0x12"), kCheck, 12)};
    QTest::newRow("address not in the table: empty name")
        << Block{{0x1A, 1, 1, 1}, {0xBEEF, 0, 0, 0}} << site
        << QStringList{
               row(QString(), QStringLiteral("0x1A"), kReady + QStringLiteral("Sabotage EIN, Tür offen"), 13),
               row(QString(), QStringLiteral("0xBEEF"), kCheck, 12)};
    QTest::newRow("no configuration loaded")
        << Block{{0x01, 1, 0, 0}} << Table()
        << QStringList{row(QString(), QStringLiteral("0x1"),
                           kReady + QStringLiteral("Sabotage AUS, Tür geschlossen"), 13)};
    QTest::newRow("unused slots skipped, order kept")
        << Block{{0x12, 0, 0, 0}, {0, 1, 1, 1}, {0x01, 1, 0, 0}} << site
        << QStringList{row(QStringLiteral("Keller"), QStringLiteral("0x12"), kCheck, 12),
                       row(QStringLiteral("Haupteingang"), QStringLiteral("0x1"),
                           kReady + QStringLiteral("Sabotage AUS, Tür geschlossen"), 13)};
    QTest::newRow("all 16 slots unused: list emptied") << Block{} << site << QStringList();
    QTest::newRow("two modules with one address: the first names it")
        << Block{{0x03, 1, 0, 0}} << Table{{"Erster", 0x03}, {"Zweiter", 0x03}}
        << QStringList{row(QStringLiteral("Erster"), QStringLiteral("0x3"),
                           kReady + QStringLiteral("Sabotage AUS, Tür geschlossen"), 13)};
    QTest::newRow("name filling its field")
        << Block{{0x04, 1, 0, 0}} << Table{{"ABCDEFGHIJKLMNOPQRSTUVW", 0x04}}
        << QStringList{row(QStringLiteral("ABCDEFGHIJKLMNOPQRST"), QStringLiteral("0x4"),
                           kReady + QStringLiteral("Sabotage AUS, Tür geschlossen"), 13)};
    // Any non-zero ready byte is an operational module, picture included.
    QTest::newRow("ready byte 2 and 255")
        << Block{{0x07, 2, 0, 0}, {0x08, 255, 0, 0}} << Table()
        << QStringList{row(QString(), QStringLiteral("0x7"),
                           kReady + QStringLiteral("Sabotage AUS, Tür geschlossen"), 13),
                       row(QString(), QStringLiteral("0x8"),
                           kReady + QStringLiteral("Sabotage AUS, Tür geschlossen"), 13)};
}

void TestModuleStatus::rows() {
    QFETCH(Block, block);
    QFETCH(Table, table);
    QFETCH(QStringList, expected);
    start();
    fillTable(m_site->entry, table);
    // Rows of an earlier read are replaced, not added to.
    show();
    QCOMPARE(list()->topLevelItemCount(), 4);
    m_site->device().command.moduleStatus = block;
    m_site->mark();
    show();
    QCOMPARE(shownRows(), expected);
    QVERIFY(m_site->host().scripted.messages().isEmpty());
    // One status request, no keep-alive, and the session closed again.
    QCOMPARE(m_site->newEvents().count(QStringLiteral("command 100 value 0")), 1);
    QTRY_VERIFY(!m_site->controller->commandService()->hasClient());
    QCOMPARE(m_site->host().commandsBegun, 2);
    QVERIFY(QApplication::overrideCursor() == nullptr);

    // Selecting the node again empties the list.
    m_page->fill(m_site->entry);
    QCOMPARE(list()->topLevelItemCount(), 0);
}

void TestModuleStatus::failedReadKeepsList_data() {
    QTest::addColumn<int>("fault");
    QTest::addColumn<QStringList>("messages");
    QTest::newRow("status request unanswered") << 0 << QStringList();
    QTest::newRow("wrong reply code") << 1 << QStringList();
    QTest::newRow("login refused") << 2 << QStringList{ops::kConnectionFailedText};
    QTest::newRow("controller gone") << 3 << QStringList{ops::kConnectionFailedText};
}

void TestModuleStatus::failedReadKeepsList() {
    QFETCH(int, fault);
    QFETCH(QStringList, messages);
    start();
    show();
    const QStringList before = shownRows();
    QCOMPARE(before.size(), 4);
    sim::CommandOptions& command = m_site->device().command;
    switch (fault) {
    case 0:
        command.unansweredCommands = {100};
        break;
    case 1:
        command.unknownReplyCode = 150;
        break;
    case 2:
        command.password = QStringLiteral("anders");
        break;
    default:
        m_site->controller->commandService()->suspend();
        break;
    }
    command.moduleStatus = {{0x33, 1, 0, 0}};
    show();
    QCOMPARE(shownRows(), before);
    QCOMPARE(m_site->host().scripted.messages(), messages);
    if (!messages.isEmpty())
        QCOMPARE(m_site->host().scripted.shown.back().icon, MsgIcon::Error);
    QCOMPARE(m_site->host().busyCount, 0);
}

QTEST_MAIN(TestModuleStatus)
#include "tst_modulestatus.moc"
