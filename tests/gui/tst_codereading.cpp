// Taking over a code read at a reader: the code-reading session against an in-process simulated
// controller, the code-choice dialog and what the editor is handed.

#include "data/DeviceEntry.h"
#include "device/CommandSocket.h"
#include "device/Conversions.h"
#include "device/NetworkTargets.h"
#include "ops/CodeReading.h"
#include "ops/Messages.h"
#include "sim/CommandService.h"
#include "sim/SimController.h"
#include "support/ScriptedPrompter.h"
#include "support/SessionTimings.h"
#include "support/TestSupport.h"
#include "support/WidgetLookup.h"
#include "ui/dialogs/ChooseCodeDialog.h"

#include <QLabel>
#include <QPushButton>
#include <QTreeWidget>
#include <QtTest>

#include <memory>
#include <optional>

namespace {

const QString kAddress = QStringLiteral("127.0.0.2");
constexpr int kWaitMs = 5000;
const QString kStatusRequest = QStringLiteral("command 100 value 0");

sim::CodeReadReport report(const QString& reader, quint16 address, const QByteArray& field,
                           std::uint8_t valid = 1, std::uint8_t reserved = 0) {
    sim::CodeReadReport r;
    r.readerName = reader;
    r.readerAddress = address;
    r.codeField = field;
    r.validByte = valid;
    r.reservedByte = reserved;
    return r;
}

const QByteArray kBinary123456 = QByteArray::fromHex("00000000000000123456FF");

QStringList rowTexts(const TChooseCode_Dlg& dialog, int row) {
    const QTreeWidgetItem* item = Child<QTreeWidget>(dialog, QStringLiteral("Trans_LV"))->topLevelItem(row);
    return item ? QStringList{item->text(0), item->text(1), item->text(2)} : QStringList();
}

QPushButton* takeOverButton(const QDialog& dialog) {
    return Child<QPushButton>(dialog, QStringLiteral("Uebernehmen_BTN"));
}

} // namespace

class tst_CodeReading : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void init();
    void cleanup();

    void validReportBecomesRow();
    void invalidReportsIgnored_data();
    void invalidReportsIgnored();
    void twoReportsInOneSegment_data();
    void twoReportsInOneSegment();
    void takenOverForTheController_data();
    void takenOverForTheController();
    void cancelTakesNothing();
    void loginFailureShowsMessage();
    void droppedConnectionLeavesDialogUsable();
    void dialogButtons();

private:
    // Runs "Aus Liste wählen" with the dialog answered by `answer`.
    std::optional<QString> readCode(std::function<int(QDialog&)> answer) {
        m_prompter.dialogAnswers.push_back(std::move(answer));
        return ReadCodeAtReader(m_prompter, nullptr, *m_dialog, m_entry);
    }
    // Pushes the next report(s) and waits until the list has `rows` rows.
    bool pushUntil(int rows, int count = 1) {
        if (count == 1)
            m_sim->commandService()->pushCodeRead();
        else
            m_sim->commandService()->pushCodeReads(count);
        return QTest::qWaitFor([&] { return m_dialog->rowCount() >= rows; }, kWaitMs);
    }
    void select(int row) {
        auto* list = Child<QTreeWidget>(*m_dialog, QStringLiteral("Trans_LV"));
        list->setCurrentItem(list->topLevelItem(row));
    }
    sim::CommandOptions& options() { return m_sim->config().command; }

    std::unique_ptr<sim::SimController> m_sim;
    std::optional<SessionTimings> m_timings;
    std::unique_ptr<TChooseCode_Dlg> m_dialog;
    ScriptedPrompter m_prompter;
    TDeviceEntry m_entry;
};

void tst_CodeReading::init() {
    sim::ControllerConfig config;
    config.address = QHostAddress(kAddress);
    config.commandPort = 0;
    config.ftpPort = 0;
    config.demoData = false;
    m_sim = std::make_unique<sim::SimController>(config);
    QString error;
    QVERIFY2(m_sim->start(&error), qPrintable(error));
    NetworkTargets targets = Targets();
    targets.commandPort = m_sim->config().commandPort;
    SetTargets(targets);
    m_timings.emplace();
    m_timings->setKeepAliveIntervalMs(50);
    m_dialog = std::make_unique<TChooseCode_Dlg>();
    m_prompter = ScriptedPrompter();
    m_entry = TDeviceEntry();
    m_entry.IPAddress = kAddress;
    m_entry.UserName = QStringLiteral("admin");
    m_entry.Password = QStringLiteral("admin");
    m_entry.LoggedIn = true;
    m_entry.InfoValid = true;
    m_entry.Info.FirmwareMajor = 1;
    m_entry.Info.FirmwareMinor = 39;
}

void tst_CodeReading::cleanup() {
    m_dialog.reset();
    m_sim.reset();
    m_timings.reset();
}

void tst_CodeReading::validReportBecomesRow() {
    options().codeReads = {report(QStringLiteral("Eingang"), 0x12, kBinary123456)};
    QString before;
    QString after;
    bool sessionOpen = false;
    bool keepAlive = false;
    const std::optional<QString> code = readCode([&](QDialog& dialog) {
        sessionOpen = m_sim->commandService()->hasClient();
        before = ops::ArrivalText(QDateTime::currentDateTime());
        if (!pushUntil(1))
            return int(QDialog::Rejected);
        after = ops::ArrivalText(QDateTime::currentDateTime());
        // The keep-alive runs while the dialog is open.
        const qsizetype statusRequests = m_sim->events().count(kStatusRequest);
        keepAlive =
            QTest::qWaitFor([&] { return m_sim->events().count(kStatusRequest) > statusRequests; }, kWaitMs);
        select(0);
        takeOverButton(dialog)->click();
        return dialog.result();
    });
    QVERIFY(sessionOpen);
    QCOMPARE(m_dialog->rowCount(), 1);
    const QStringList row = rowTexts(*m_dialog, 0);
    QVERIFY2(row.at(0) == before || row.at(0) == after, qPrintable(row.at(0)));
    QCOMPARE(row.mid(1), (QStringList{QStringLiteral("Eingang (0x12)"), QStringLiteral("123456")}));
    QVERIFY(keepAlive);
    QCOMPARE(code, std::optional<QString>(QStringLiteral("123456")));
    // Closed on the way out.
    QTRY_VERIFY_WITH_TIMEOUT(!m_sim->commandService()->hasClient(), kWaitMs);
    QVERIFY(m_prompter.messages().isEmpty());
}

void tst_CodeReading::invalidReportsIgnored_data() {
    QTest::addColumn<int>("valid");
    QTest::addColumn<int>("reserved");

    QTest::newRow("byte 2 = 0") << 0 << 0;
    QTest::newRow("byte 2 = 2") << 2 << 0;
    QTest::newRow("byte 3 = 1") << 1 << 1;
    QTest::newRow("byte 3 = 0xFF") << 1 << 0xFF;
}

void tst_CodeReading::invalidReportsIgnored() {
    QFETCH(int, valid);
    QFETCH(int, reserved);

    // The invalid report goes first; the valid one after it proves it arrived and was passed over.
    options().codeReads = {
        report(QStringLiteral("Falsch"), 1, kBinary123456, std::uint8_t(valid), std::uint8_t(reserved)),
        report(QStringLiteral("Richtig"), 2, kBinary123456)};
    readCode([&](QDialog&) {
        m_sim->commandService()->pushCodeRead();
        pushUntil(1);
        return int(QDialog::Rejected);
    });
    QCOMPARE(m_dialog->rowCount(), 1);
    QCOMPARE(rowTexts(*m_dialog, 0).at(1), QStringLiteral("Richtig (0x2)"));
}

void tst_CodeReading::twoReportsInOneSegment_data() {
    QTest::addColumn<bool>("shortReplies");
    QTest::newRow("1024-byte replies") << false;
    QTest::newRow("layout-length replies") << true;
}

void tst_CodeReading::twoReportsInOneSegment() {
    QFETCH(bool, shortReplies);
    options().shortReplies = shortReplies;
    // A reader name that fills its 20 bytes without a NUL, and a text code of 11 characters.
    options().codeReads = {report(QStringLiteral("Büro Geschäftsführer"), 0xABCD, kBinary123456),
                           report(QStringLiteral("Lager"), 3, QByteArray("4711ABCDEF9", 11))};
    readCode([&](QDialog&) {
        pushUntil(2, 2);
        return int(QDialog::Rejected);
    });
    QCOMPARE(m_dialog->rowCount(), 2);
    QCOMPARE(rowTexts(*m_dialog, 0).mid(1),
             (QStringList{QStringLiteral("Büro Geschäftsführer (0xABCD)"), QStringLiteral("123456")}));
    QCOMPARE(rowTexts(*m_dialog, 1).mid(1),
             (QStringList{QStringLiteral("Lager (0x3)"), QStringLiteral("4711ABCDEF9")}));
}

void tst_CodeReading::takenOverForTheController_data() {
    QTest::addColumn<int>("minor");
    QTest::addColumn<QByteArray>("field");
    QTest::addColumn<QString>("takenOver"); // empty: refused with `refusal`
    QTest::addColumn<QString>("refusal");

    QTest::newRow("1.39, binary code") << 39 << kBinary123456 << QStringLiteral("123456") << QString();
    QTest::newRow("1.39, 20 digits") << 39 << QByteArray::fromHex("0123456789ABCDEF0123FF")
                                     << QStringLiteral("0123456789ABCDEF0123") << QString();
    QTest::newRow("1.39, text code of lower-case digits")
        << 39 << QByteArray("abc1\0\0\0\0\0\0\0", 11) << QStringLiteral("abc1") << QString();
    QTest::newRow("1.39, odd count of digits keeps the first one")
        << 39 << QByteArray("ABC\0\0\0\0\0\0\0\0", 11) << QStringLiteral("0ABC") << QString();
    QTest::newRow("1.39, text code that is no number refused")
        << 39 << QByteArray("4711-X\0\0\0\0\0", 11) << QString()
        << ops::CodeNotBinaryText(QStringLiteral("4711-X"));
    QTest::newRow("1.38, text code of 11 characters refused")
        << 38 << QByteArray("4711ABCDEF9", 11) << QString()
        << ops::CodeTooLongText(QStringLiteral("4711ABCDEF9"));
    QTest::newRow("1.38, 20 binary digits refused")
        << 38 << QByteArray::fromHex("0123456789ABCDEF0123FF") << QString()
        << ops::CodeTooLongText(QStringLiteral("0123456789ABCDEF0123"));
    QTest::newRow("1.38, short text code")
        << 38 << QByteArray("12345\0\0\0\0\0\0", 11) << QStringLiteral("12345") << QString();
    QTest::newRow("1.38, text code of 10 characters in lower case kept")
        << 38 << QByteArray("abcdef-x.1\0", 11) << QStringLiteral("abcdef-x.1") << QString();
}

void tst_CodeReading::takenOverForTheController() {
    QFETCH(int, minor);
    QFETCH(QByteArray, field);
    QFETCH(QString, takenOver);
    QFETCH(QString, refusal);

    m_entry.Info.FirmwareMinor = std::uint8_t(minor);
    options().codeReads = {report(QStringLiteral("Tor"), 1, field)};
    const std::optional<QString> code = readCode([&](QDialog& dialog) {
        pushUntil(1);
        // A double click on the row takes it over.
        auto* list = Child<QTreeWidget>(dialog, QStringLiteral("Trans_LV"));
        const QPoint at = list->visualItemRect(list->topLevelItem(0)).center();
        // A double click: the first click, then the second press with its double-click event.
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, at);
        QTest::mousePress(list->viewport(), Qt::LeftButton, {}, at);
        QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, at);
        return dialog.result();
    });
    QCOMPARE(code, takenOver.isEmpty() ? std::nullopt : std::optional<QString>(takenOver));
    QCOMPARE(m_prompter.messages(), refusal.isEmpty() ? QStringList() : QStringList{refusal});
    if (!refusal.isEmpty())
        QCOMPARE(m_prompter.shown.back().icon, MsgIcon::Warning);
    if (minor >= 39 && field == kBinary123456) {
        // Stored again through the binary form: the same eleven bytes.
        std::uint8_t stored[11] = {};
        QVERIFY(HexToCode(*code, stored, 10));
        QCOMPARE(QByteArray(reinterpret_cast<const char*>(stored), 11), field);
    }
}

void tst_CodeReading::cancelTakesNothing() {
    options().codeReads = {report(QStringLiteral("Tor"), 1, kBinary123456)};
    for (const bool button : {true, false}) {
        const std::optional<QString> code = readCode([&](QDialog& dialog) {
            pushUntil(m_dialog->rowCount() + 1);
            select(0);
            if (button) {
                Child<QPushButton>(dialog, QStringLiteral("Abbrechen_BTN"))->click();
                return dialog.result();
            }
            dialog.close(); // the window's close button
            return dialog.result();
        });
        QVERIFY(!code);
    }
    QCOMPARE(m_dialog->rowCount(), 2);
    QTRY_VERIFY_WITH_TIMEOUT(!m_sim->commandService()->hasClient(), kWaitMs);
}

void tst_CodeReading::loginFailureShowsMessage() {
    m_entry.Password = QStringLiteral("falsch");
    const std::optional<QString> code = readCode([](QDialog&) { return int(QDialog::Accepted); });
    QVERIFY(!code);
    QCOMPARE(m_prompter.dialogsRun, 0);
    QCOMPARE(m_prompter.messages(), QStringList{ops::kConnectionFailedText});
    QCOMPARE(m_prompter.shown.back().icon, MsgIcon::Error);
    m_prompter.dialogAnswers.clear();
}

void tst_CodeReading::droppedConnectionLeavesDialogUsable() {
    options().codeReads = {report(QStringLiteral("Tor"), 1, kBinary123456)};
    const std::optional<QString> code = readCode([&](QDialog& dialog) {
        pushUntil(1);
        m_sim->commandService()->dropConnection(true);
        // Keep-alive ticks on the dead connection, and a push that can no longer arrive.
        QTest::qWait(200);
        m_sim->commandService()->pushCodeRead();
        QTest::qWait(50);
        select(0);
        takeOverButton(dialog)->click();
        return dialog.result();
    });
    QCOMPARE(m_dialog->rowCount(), 1);
    QCOMPARE(code, std::optional<QString>(QStringLiteral("123456")));
    QVERIFY(m_prompter.messages().isEmpty());
}

void tst_CodeReading::dialogButtons() {
    TChooseCode_Dlg& dialog = *m_dialog;
    QCOMPARE(dialog.windowTitle(), QStringLiteral("Code auswählen"));
    QCOMPARE(
        Child<QLabel>(dialog, QStringLiteral("Label1"))->text(),
        QStringLiteral("Bitte legen Sie jetzt einen Transponder an einen beliebigen Leser an. Der Code wird\n"
                       "dann sofort in der Liste angezeigt soweit der Transponder noch nicht im System\n"
                       "eingetragen ist."));
    auto* list = Child<QTreeWidget>(dialog, QStringLiteral("Trans_LV"));
    QCOMPARE(list->headerItem()->text(0), QStringLiteral("Zeit / Datum"));
    QCOMPARE(list->headerItem()->text(1), QStringLiteral("Modulname"));
    QCOMPARE(list->headerItem()->text(2), QStringLiteral("Transpondercode"));
    QCOMPARE(Child<QPushButton>(dialog, QStringLiteral("Button1"))->text(), QStringLiteral("Liste löschen"));
    QCOMPARE(takeOverButton(dialog)->text(), QStringLiteral("Code übernehmen"));
    QCOMPARE(Child<QPushButton>(dialog, QStringLiteral("Abbrechen_BTN"))->text(),
             QStringLiteral("Abbrechen"));

    dialog.addRow({QStringLiteral("t1"), QStringLiteral("Tor (0x1)"), QStringLiteral("AA")});
    dialog.addRow(
        {QStringLiteral("t2"), QStringLiteral("Tor (0x1)"), QStringLiteral("AA")}); // duplicates kept
    dialog.show();
    QVERIFY(!takeOverButton(dialog)->isEnabled());
    QVERIFY(!dialog.selectedCode());

    // By keyboard.
    list->setFocus();
    QTest::keyClick(list, Qt::Key_Down);
    QVERIFY(takeOverButton(dialog)->isEnabled());
    QCOMPARE(dialog.selectedCode(), std::optional<QString>(QStringLiteral("AA")));
    // By mouse, on the second row.
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {},
                      list->visualItemRect(list->topLevelItem(1)).center());
    QCOMPARE(list->selectedItems().value(0), list->topLevelItem(1));
    QVERIFY(takeOverButton(dialog)->isEnabled());

    // Shown again: the rows are there, none selected, the button off.
    dialog.hide();
    dialog.show();
    QCOMPARE(dialog.rowCount(), 2);
    QVERIFY(list->selectedItems().isEmpty());
    QVERIFY(!takeOverButton(dialog)->isEnabled());

    // "Liste löschen" empties the list and leaves nothing to take over.
    select(1);
    QVERIFY(takeOverButton(dialog)->isEnabled());
    Child<QPushButton>(dialog, QStringLiteral("Button1"))->click();
    QCOMPARE(dialog.rowCount(), 0);
    QVERIFY(!takeOverButton(dialog)->isEnabled());
    QVERIFY(!dialog.selectedCode());
    dialog.hide();
}

QTEST_MAIN(tst_CodeReading)
#include "tst_codereading.moc"
