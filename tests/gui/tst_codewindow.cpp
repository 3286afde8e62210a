// "Aus Liste wählen" in the window against a simulated controller: the code presented at a reader goes
// into the transponder's record in the form the controller's firmware reads, Cancel leaves the record
// alone, and the list stays in the window from one use to the next.

#include "EditorFixtures.h"
#include "data/NewRecords.h"
#include "device/CommandSocket.h"
#include "ops/CodeReading.h"
#include "ops/Messages.h"
#include "sim/CommandService.h"
#include "support/SiteFixture.h"
#include "support/TestSupport.h"
#include "support/WidgetLookup.h"

#include <QDialog>
#include <QLineEdit>
#include <QPushButton>
#include <QTreeWidget>
#include <QtTest>

using namespace editortest;

namespace {

constexpr int kWaitMs = 5000;

sim::CodeReadReport report(const QByteArray& field) {
    sim::CodeReadReport r;
    r.readerName = QStringLiteral("Eingang");
    r.readerAddress = 0x12;
    r.codeField = field;
    return r;
}

QByteArray codeBytes(const TTransponderEntry& transponder) {
    return QByteArray(reinterpret_cast<const char*>(transponder.Code), sizeof transponder.Code);
}

} // namespace

class TestCodeWindow : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void init();
    void cleanup();
    void takeOver_data();
    void takeOver();
    void connectionFailure();
    void reportsAtAnInterval();

private:
    // Starts a controller of firmware 1.`minor` with two transponders, logs in and loads its tables.
    void start(int minor);
    // Clicks "Aus Liste wählen" on the second transponder's page; `answer` runs the dialog.
    void chooseCode(std::function<int(QDialog&)> answer);
    // Inside the dialog: one more report pushed, waited for in the list and selected.
    bool pushAndSelect(QDialog& dialog);
    TMain_Dlg& window() const { return *m_site->window; }
    TDeviceEntry& entry() const { return m_site->entry(); }
    TTransponderEntry& transponder() const { return *entry().Transponders.at(1); }

    std::unique_ptr<SiteFixture> m_site;
};

void TestCodeWindow::init() {
    m_site = std::make_unique<SiteFixture>(0x12AB3, QStringLiteral("Lager"));
    m_site->timings.setKeepAliveIntervalMs(50);
}

void TestCodeWindow::cleanup() {
    m_site.reset();
}

void TestCodeWindow::start(int minor) {
    m_site->controller->config().command.firmwareMinor = static_cast<std::uint8_t>(minor);
    QString error;
    QVERIFY2(m_site->startController(&error), qPrintable(error));
    TDefaultRestrictions none{};
    QByteArray transponders;
    for (const char* name : {"Erster", "Zweiter"}) {
        TTransponderEntry t = NewTransponder(none, CodeForm::Binary);
        putName(t.Name, name);
        transponders += bytesOf(t);
    }
    QVERIFY(testsupport::writeFile(m_site->controller->dataFile(QStringLiteral("module.dat")), ""));
    QVERIFY(testsupport::writeFile(m_site->controller->dataFile(QStringLiteral("trans.dat")), transponders));
    QVERIFY(m_site->openWindow());
    QVERIFY(m_site->login());
    Main_LV(window())->setCurrentItem(window().deviceTree().configNode(entry()));
    Child<QPushButton>(window(), QStringLiteral("LoadConfig_BTN"))->click();
    QVERIFY(window().deviceTree().transponderFolder(entry()));
    QCOMPARE(int(entry().Transponders.size()), 2);
    QVERIFY(!entry().Changed);
}

void TestCodeWindow::chooseCode(std::function<int(QDialog&)> answer) {
    Main_LV(window())->setCurrentItem(window().deviceTree().transponderFolder(entry())->child(1));
    QCOMPARE(window().currentTransponder(), &transponder());
    m_site->prompter.dialogAnswers.push_back(std::move(answer));
    Child<QPushButton>(window(), QStringLiteral("StartRec_BTN"))->click();
    QVERIFY(m_site->prompter.dialogAnswers.empty());
    QTRY_VERIFY_WITH_TIMEOUT(!m_site->controller->commandService()->hasClient(), kWaitMs);
    QVERIFY(!window().busy());
}

bool TestCodeWindow::pushAndSelect(QDialog& dialog) {
    auto* list = Child<QTreeWidget>(dialog, QStringLiteral("Trans_LV"));
    const int rows = list->topLevelItemCount();
    m_site->controller->commandService()->pushCodeRead();
    if (!QTest::qWaitFor([&] { return list->topLevelItemCount() > rows; }, kWaitMs))
        return false;
    list->setCurrentItem(list->topLevelItem(rows));
    return true;
}

void TestCodeWindow::takeOver_data() {
    QTest::addColumn<int>("minor");
    QTest::addColumn<QByteArray>("field");
    QTest::addColumn<bool>("accept");
    QTest::addColumn<QString>("shown");
    QTest::addColumn<QByteArray>("stored"); // empty: the record keeps its code
    QTest::addColumn<QString>("refusal");

    QTest::newRow("1.39 binary") << 39 << QByteArray::fromHex("00000000000000123456FF") << true
                                 << QStringLiteral("123456") << QByteArray::fromHex("00000000000000123456FF")
                                 << QString();
    QTest::newRow("1.39 twenty digits") << 39 << QByteArray::fromHex("0123456789ABCDEF0123FF") << true
                                        << QStringLiteral("0123456789ABCDEF0123")
                                        << QByteArray::fromHex("0123456789ABCDEF0123FF") << QString();
    QTest::newRow("1.39 text report of three digits")
        << 39 << QByteArray("abc\0\0\0\0\0\0\0\0", 11) << true << QStringLiteral("0abc")
        << QByteArray::fromHex("00000000000000000ABCFF") << QString();
    QTest::newRow("1.38 lower-case text kept as reported")
        << 38 << QByteArray("abc1\0\0\0\0\0\0\0", 11) << true << QStringLiteral("abc1")
        << QByteArray("abc1\0\0\0\0\0\0\0", 11) << QString();
    QTest::newRow("1.38 text of 11 characters refused")
        << 38 << QByteArray("4711ABCDEF9", 11) << true << QString() << QByteArray()
        << ops::CodeTooLongText(QStringLiteral("4711ABCDEF9"));
    QTest::newRow("1.38 binary report of 20 digits refused")
        << 38 << QByteArray::fromHex("0123456789ABCDEF0123FF") << true << QString() << QByteArray()
        << ops::CodeTooLongText(QStringLiteral("0123456789ABCDEF0123"));
    QTest::newRow("Cancel") << 39 << QByteArray::fromHex("00000000000000123456FF") << false << QString()
                            << QByteArray() << QString();
}

void TestCodeWindow::takeOver() {
    QFETCH(int, minor);
    QFETCH(QByteArray, field);
    QFETCH(bool, accept);
    QFETCH(QString, shown);
    QFETCH(QByteArray, stored);
    QFETCH(QString, refusal);

    start(minor);
    m_site->controller->config().command.codeReads = {report(field)};
    const QByteArray before = bytesOf(transponder());
    const QByteArray first = bytesOf(*entry().Transponders.at(0));
    const QString shownBefore = Child<QLineEdit>(window(), QStringLiteral("Code_ED"))->text();
    bool pushed = false;
    chooseCode([&](QDialog& dialog) {
        pushed = pushAndSelect(dialog);
        Child<QPushButton>(dialog,
                           accept ? QStringLiteral("Uebernehmen_BTN") : QStringLiteral("Abbrechen_BTN"))
            ->click();
        return dialog.result();
    });
    QVERIFY(pushed);
    QCOMPARE(m_site->prompter.messages(), refusal.isEmpty() ? QStringList() : QStringList{refusal});
    QCOMPARE(bytesOf(*entry().Transponders.at(0)), first);
    if (stored.isEmpty()) {
        QCOMPARE(bytesOf(transponder()), before);
        QVERIFY(!entry().Changed);
        QCOMPARE(Child<QLineEdit>(window(), QStringLiteral("Code_ED"))->text(), shownBefore);
    } else {
        QCOMPARE(testsupport::hexDump(codeBytes(transponder())), testsupport::hexDump(stored));
        // Only the code changed.
        QByteArray expected = before;
        expected.replace(20, 11, stored);
        QCOMPARE(bytesOf(transponder()), expected);
        QVERIFY(entry().Changed);
        QCOMPARE(Child<QLineEdit>(window(), QStringLiteral("Code_ED"))->text(), shown);
    }

    // The list is the window's: the row is there on the next use, and one more joins it.
    int rows = 0;
    chooseCode([&](QDialog& dialog) {
        pushed = pushAndSelect(dialog);
        rows = Child<QTreeWidget>(dialog, QStringLiteral("Trans_LV"))->topLevelItemCount();
        Child<QPushButton>(dialog, QStringLiteral("Abbrechen_BTN"))->click();
        return dialog.result();
    });
    QVERIFY(pushed);
    QCOMPARE(rows, 2);
}

void TestCodeWindow::connectionFailure() {
    start(39);
    const QByteArray before = bytesOf(transponder());
    m_site->controller->config().command.password = QStringLiteral("anders");
    Main_LV(window())->setCurrentItem(window().deviceTree().transponderFolder(entry())->child(1));
    Child<QPushButton>(window(), QStringLiteral("StartRec_BTN"))->click();
    QCOMPARE(m_site->prompter.messages(), QStringList{ops::kConnectionFailedText});
    QCOMPARE(m_site->prompter.dialogsRun, 1); // the login dialog only, not the list
    QCOMPARE(bytesOf(transponder()), before);
    QVERIFY(!entry().Changed);
    QVERIFY(!window().busy());
}

void TestCodeWindow::reportsAtAnInterval() {
    // As in the demo: the controller reports by itself while the session is open, each of its four
    // transponders in turn (where the turn starts depends on the sessions before).
    m_site->controller->config().command.codeReadIntervalMs = 20;
    start(39);
    QStringList readers;
    chooseCode([&](QDialog& dialog) {
        auto* list = Child<QTreeWidget>(dialog, QStringLiteral("Trans_LV"));
        if (!QTest::qWaitFor([&] { return list->topLevelItemCount() >= 4; }, kWaitMs))
            return int(QDialog::Rejected);
        for (int i = 0; i < std::min(4, list->topLevelItemCount()); ++i)
            readers << list->topLevelItem(i)->text(1) + QLatin1Char(' ') + list->topLevelItem(i)->text(2);
        Child<QPushButton>(dialog, QStringLiteral("Abbrechen_BTN"))->click();
        return dialog.result();
    });
    readers.sort();
    QCOMPARE(readers, (QStringList{QStringLiteral("Büro Geschäftsführer (0x12) 0123456789ABCDEF0123"),
                                   QStringLiteral("Haupteingang (0x1) 123456"),
                                   QStringLiteral("Lager Tor 2 (0x2) 12345"),
                                   QStringLiteral("Seiteneingang Nord 1 (0xAB) 4711ABCDEF9")}));
}

QTEST_MAIN(TestCodeWindow)
#include "tst_codewindow.moc"
