// The transponder editor and the default-restrictions page: code forms, the active switch, the module
// slots, the day and hour bits, and that showing a record stores nothing.

#include "EditorFixtures.h"
#include "data/NewRecords.h"
#include "support/TestPageHost.h"
#include "support/WidgetLookup.h"
#include "ui/KLVCTimebar.h"
#include "ui/pages/PageFrame.h"
#include "ui/pages/RestrictionControls.h"
#include "ui/pages/TransponderDefaultsPage.h"
#include "ui/pages/TransponderPage.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QSignalSpy>
#include <QStackedWidget>
#include <QtTest>

using namespace editortest;

using Addresses = std::vector<std::uint16_t>;
Q_DECLARE_METATYPE(Addresses)

namespace {

const QString kTooMany = QStringLiteral("Es können höchstens 17 Module freigegeben werden.");

TTransponderEntry transponderWith(const Addresses& slotValues) {
    TDefaultRestrictions none{};
    TTransponderEntry t = NewTransponder(none, CodeForm::Binary);
    for (std::size_t i = 0; i < slotValues.size(); ++i)
        t.setModuleSlot(static_cast<int>(i), slotValues[i]);
    return t;
}

QString slotsOf(const Addresses& words) {
    TTransponderEntry t = transponderWith(words);
    return hexOf(t, 33, 34);
}

Addresses range(std::uint16_t first, int count) {
    Addresses a;
    for (int i = 0; i < count; ++i)
        a.push_back(static_cast<std::uint16_t>(first + i));
    return a;
}

struct Page {
    TestPageHost host;
    std::unique_ptr<TDeviceEntry> owner = controller(true, 1, 39);
    TTransponderPage page{host};

    // Shown on screen and painted, so that the mouse reaches the controls (the bar takes its band
    // height from its last paint).
    bool showOnScreen(int restrictionPage) {
        page.resize(620, 560);
        page.QWidget::show();
        Child<QComboBox>(page, QStringLiteral("Restr_CB"))->setCurrentIndex(restrictionPage);
        auto* bar = Child<TKLVCTimeBar>(page, QStringLiteral("TimeBar1"));
        return QTest::qWaitForWindowExposed(&page) &&
               (restrictionPage != 1 || QTest::qWaitFor([bar] { return bar->bandHeight() > 0; }, 10000));
    }
};

} // namespace

class TestTransponderPage : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void controls();
    void codeForms_data();
    void codeForms();
    void shownCodeIsNotStoredBack();
    void editingKeepsWhatIsThere_data();
    void editingKeepsWhatIsThere();
    void activeSwitchesThePanel();
    void codeFromAReader();
    void slotRewrite_data();
    void slotRewrite();
    void dayAndHourBits_data();
    void dayAndHourBits();
    void sundayOnlyShows();
    void dayOffKeepsItsHours();
    void ownerNotCurrentDevice();
    void defaultsPage();
    void showingNeverChanges();
};

void TestTransponderPage::controls() {
    Page p;
    QCOMPARE(p.page.objectName(), QStringLiteral("Transponder"));
    QCOMPARE(Child<QLineEdit>(p.page, QStringLiteral("Code_ED"))->maxLength(), 20);
    QCOMPARE(Child<QPushButton>(p.page, QStringLiteral("StartRec_BTN"))->text(),
             QStringLiteral("Aus Liste wählen"));
    QCOMPARE(Child<QCheckBox>(p.page, QStringLiteral("TransAkt_CB"))->parentWidget(),
             Child<QWidget>(p.page, QStringLiteral("Transponder_Body")));
    for (const char* name : {"Code_ED", "StartRec_BTN", "Restr_CB", "Restr_NB"})
        QCOMPARE(Child<QWidget>(p.page, QString::fromLatin1(name))->parentWidget(),
                 Child<QWidget>(p.page, QStringLiteral("TransPanel")));
    auto* restr = Child<QComboBox>(p.page, QStringLiteral("Restr_CB"));
    QCOMPARE(restr->itemText(0), QStringLiteral("Modulbeschränkungen"));
    QCOMPARE(restr->itemText(1), QStringLiteral("Zeitbeschränkungen"));
    const QStringList days = {"Montag",  "Dienstag", "Mittwoch", "Donnerstag",
                              "Freitag", "Samstag",  "Sonntag"};
    for (int i = 0; i < 7; ++i) {
        auto* box = Child<QCheckBox>(p.page, QStringLiteral("CheckBox%1").arg(i + 1));
        QCOMPARE(box->text(), days.at(i));
        QCOMPARE(box->property("Tag").toInt(), i);
        QVERIFY(box->isChecked());
    }
    auto* bar = Child<TKLVCTimeBar>(p.page, QStringLiteral("TimeBar1"));
    QCOMPARE(bar->NumberOfRows(), 7);
    QCOMPARE(bar->size(), QSize(388, 184));
}

void TestTransponderPage::codeForms_data() {
    QTest::addColumn<bool>("infoValid");
    QTest::addColumn<int>("minor");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("shown");
    QTest::addColumn<QString>("code"); // the 11 bytes afterwards

    QTest::newRow("1.39 binary") << true << 39 << "0A1B2C"
                                 << "0A1B2C"
                                 << "00 00 00 00 00 00 00 0A 1B 2C FF";
    QTest::newRow("1.39 twenty digits") << true << 39 << "0123456789abcdef0123"
                                        << "0123456789ABCDEF0123"
                                        << "01 23 45 67 89 AB CD EF 01 23 FF";
    QTest::newRow("1.31 text") << true << 31 << "0A1B2C"
                               << "0A1B2C"
                               << "30 41 31 42 32 43 00 00 00 00 00";
    QTest::newRow("2.05 text") << true << 5 << "ab"
                               << "AB"
                               << "41 42 00 00 00 00 00 00 00 00 00";
    QTest::newRow("no information: text") << false << 39 << "1234"
                                          << "1234"
                                          << "31 32 33 34 00 00 00 00 00 00 00";
    QTest::newRow("text form holds 10 characters") << true << 31 << "0123456789ABCDEF"
                                                   << "0123456789"
                                                   << "30 31 32 33 34 35 36 37 38 39 00";
    QTest::newRow("only hex digits enter") << true << 39 << "1g2-3 4x"
                                           << "1234"
                                           << "00 00 00 00 00 00 00 00 12 34 FF";
}

void TestTransponderPage::codeForms() {
    QFETCH(bool, infoValid);
    QFETCH(int, minor);
    QFETCH(QString, typed);
    QFETCH(QString, shown);
    QFETCH(QString, code);

    Page p;
    p.owner = controller(infoValid, 1, minor);
    TTransponderEntry t = transponderWith(range(0x0101, 17));
    const TTransponderEntry before = t;
    p.page.showRecord(*p.owner, t);
    auto* edit = Child<QLineEdit>(p.page, QStringLiteral("Code_ED"));
    QTest::keyClicks(edit, typed);
    QCOMPARE(edit->text(), shown);
    QCOMPARE(hexOf(t, 20, 11), code);
    // Nothing beyond the code field moves: TransAkt and the slots follow at offset 31.
    QCOMPARE(hexOf(t, 31, 58), hexOf(before, 31, 58));
    QVERIFY(p.owner->Changed);
}

void TestTransponderPage::shownCodeIsNotStoredBack() {
    // A binary code shown on a controller whose information could not be read (text form) stays binary.
    Page p;
    p.owner = controller(false, 0, 0);
    TTransponderEntry t = transponderWith({});
    const std::uint8_t code[11] = {0, 0, 0, 0, 0, 0, 0x12, 0x34, 0xAB, 0xCD, 0xFF};
    std::memcpy(t.Code, code, 11);
    t.setTransAkt(3);
    const TTransponderEntry before = t;
    p.page.showRecord(*p.owner, t);
    QCOMPARE(Child<QLineEdit>(p.page, QStringLiteral("Code_ED"))->text(), QStringLiteral("1234ABCD"));
    QVERIFY(Child<QCheckBox>(p.page, QStringLiteral("TransAkt_CB"))->isChecked());
    QCOMPARE(pages::PageTitle(&p.page)->text(), QStringLiteral("Neuer Transponder"));
    QCOMPARE(bytesOf(t), bytesOf(before));
    QVERIFY(!p.owner->Changed);

    // A lower-case text code from a file shows as it is.
    std::memcpy(t.Code, "ab12\0\0\0\0\0\0\0", 11);
    const TTransponderEntry text = t;
    p.page.showRecord(*p.owner, t);
    QCOMPARE(Child<QLineEdit>(p.page, QStringLiteral("Code_ED"))->text(), QStringLiteral("ab12"));
    QCOMPARE(bytesOf(t), bytesOf(text));
}

void TestTransponderPage::editingKeepsWhatIsThere_data() {
    QTest::addColumn<int>("minor");
    QTest::addColumn<QByteArray>("loaded");
    QTest::addColumn<QString>("keys"); // '<' Backspace, '^' Home, '>' Right, others typed
    QTest::addColumn<QString>("shown");
    QTest::addColumn<QString>("code"); // the 11 bytes afterwards

    QTest::newRow("other characters: Backspace deletes") << 31 << QByteArray("xy-1\0\0\0\0\0\0\0", 11) << "<"
                                                         << "xy-"
                                                         << "78 79 2D 00 00 00 00 00 00 00 00";
    QTest::newRow("other characters: a digit joins them") << 31 << QByteArray("xy-1\0\0\0\0\0\0\0", 11) << "a"
                                                          << "xy-1A"
                                                          << "78 79 2D 31 41 00 00 00 00 00 00";
    QTest::newRow("lower case stays, the typed letter is upper case")
        << 31 << QByteArray("ab12\0\0\0\0\0\0\0", 11) << "c"
        << "ab12C"
        << "61 62 31 32 43 00 00 00 00 00 00";
    QTest::newRow("typed in the middle") << 31 << QByteArray("abc\0\0\0\0\0\0\0\0", 11) << "^>b"
                                         << "aBbc"
                                         << "61 42 62 63 00 00 00 00 00 00 00";
    QTest::newRow("other typed characters swallowed")
        << 31 << QByteArray("ab\0\0\0\0\0\0\0\0\0", 11) << "g-x "
        << "ab"
        << "61 62 00 00 00 00 00 00 00 00 00";
    QTest::newRow("binary code: Backspace twice")
        << 39 << QByteArray::fromHex("0000000000001234ABCDFF") << "<<"
        << "1234AB"
        << "00 00 00 00 00 00 00 12 34 AB FF";
}

void TestTransponderPage::editingKeepsWhatIsThere() {
    QFETCH(int, minor);
    QFETCH(QByteArray, loaded);
    QFETCH(QString, keys);
    QFETCH(QString, shown);
    QFETCH(QString, code);

    Page p;
    p.owner = controller(true, 1, minor);
    TTransponderEntry t = transponderWith({});
    std::memcpy(t.Code, loaded.constData(), 11);
    p.page.showRecord(*p.owner, t);
    auto* edit = Child<QLineEdit>(p.page, QStringLiteral("Code_ED"));
    for (const QChar key : keys) {
        if (key == QLatin1Char('<'))
            QTest::keyClick(edit, Qt::Key_Backspace);
        else if (key == QLatin1Char('^'))
            QTest::keyClick(edit, Qt::Key_Home);
        else if (key == QLatin1Char('>'))
            QTest::keyClick(edit, Qt::Key_Right);
        else
            QTest::keyClicks(edit, QString(key));
    }
    QCOMPARE(edit->text(), shown);
    QCOMPARE(hexOf(t, 20, 11), code);
}

void TestTransponderPage::activeSwitchesThePanel() {
    Page p;
    QVERIFY(p.showOnScreen(0));
    TTransponderEntry t = transponderWith({});
    p.page.showRecord(*p.owner, t);
    auto* active = Child<QCheckBox>(p.page, QStringLiteral("TransAkt_CB"));
    QTest::mouseClick(active, Qt::LeftButton, {}, QPoint(6, active->height() / 2));
    QCOMPARE(hexOf(t, 31, 2), QStringLiteral("00 00"));
    for (const char* name : {"Code_ED", "StartRec_BTN", "Restr_CB", "ModulRestr_CB", "TimeBar1", "CheckBox1"})
        QVERIFY2(!Child<QWidget>(p.page, QString::fromLatin1(name))->isEnabled(), name);
    QTest::mouseClick(active, Qt::LeftButton, {}, QPoint(6, active->height() / 2));
    QCOMPARE(hexOf(t, 31, 2), QStringLiteral("01 00"));
    QVERIFY(Child<QWidget>(p.page, QStringLiteral("Code_ED"))->isEnabled());

    // An inactive transponder shows with the panel off.
    t.setTransAkt(0);
    p.page.showRecord(*p.owner, t);
    QVERIFY(!active->isChecked());
    QVERIFY(!Child<QWidget>(p.page, QStringLiteral("TransPanel"))->isEnabled());
}

void TestTransponderPage::codeFromAReader() {
    Page p;
    TTransponderEntry t = transponderWith({});
    p.page.showRecord(*p.owner, t);
    p.host.chooseCode = [](const TDeviceEntry&) {
        return std::optional<QString>(QStringLiteral("00C0FFEE"));
    };
    QTest::mouseClick(Child<QPushButton>(p.page, QStringLiteral("StartRec_BTN")), Qt::LeftButton);
    QCOMPARE(p.host.codeRequests, (std::vector<const TDeviceEntry*>{p.owner.get()}));
    QCOMPARE(hexOf(t, 20, 11), QStringLiteral("00 00 00 00 00 00 00 C0 FF EE FF"));
    QVERIFY(p.owner->Changed);

    // A text code goes in as it was reported, lower case included.
    p.owner = controller(true, 1, 31);
    p.page.showRecord(*p.owner, t);
    p.host.chooseCode = [](const TDeviceEntry&) { return std::optional<QString>(QStringLiteral("c0ffee")); };
    QTest::mouseClick(Child<QPushButton>(p.page, QStringLiteral("StartRec_BTN")), Qt::LeftButton);
    QCOMPARE(Child<QLineEdit>(p.page, QStringLiteral("Code_ED"))->text(), QStringLiteral("c0ffee"));
    QCOMPARE(hexOf(t, 20, 11), QStringLiteral("63 30 66 66 65 65 00 00 00 00 00"));
}

void TestTransponderPage::slotRewrite_data() {
    QTest::addColumn<Addresses>("modules");
    QTest::addColumn<Addresses>("initial");
    QTest::addColumn<QString>("actions"); // m<i>: click item i's box, k<i>: Space on item i
    QTest::addColumn<QString>("checks");  // item states afterwards
    QTest::addColumn<QString>("slotBytes");
    QTest::addColumn<QStringList>("notes");

    QTest::newRow("table order, not click order") << Addresses{0x0012, 0x0003} << Addresses{} << "m1 m0"
                                                  << "11" << slotsOf({0x0012, 0x0003}) << QStringList();
    QTest::newRow("unchecking the first moves the second up")
        << Addresses{0x0012, 0x0003} << Addresses{0x0012, 0x0003} << "m0"
        << "01" << slotsOf({0x0003}) << QStringList();
    QTest::newRow("from the keyboard") << Addresses{0x0012, 0x0003, 0x0044} << Addresses{} << "k2 k0 k2"
                                       << "100" << slotsOf({0x0012}) << QStringList();
    QTest::newRow("17 checks fill the slots")
        << range(0x0101, 18) << Addresses{} << "m0 m1 m2 m3 m4 m5 m6 m7 m8 m9 m10 m11 m12 m13 m14 m15 m16"
        << "111111111111111110" << slotsOf(range(0x0101, 17)) << QStringList();
    QTest::newRow("an 18th check is refused")
        << range(0x0101, 18) << range(0x0101, 17) << "m17"
        << "111111111111111110" << slotsOf(range(0x0101, 17)) << QStringList{kTooMany};
    QTest::newRow("an 18th check from the keyboard is refused")
        << range(0x0101, 18) << range(0x0102, 17) << "k0"
        << "011111111111111111" << slotsOf(range(0x0102, 17)) << QStringList{kTooMany};
    QTest::newRow("address 0 shows allowed but takes no slot")
        << Addresses{0x0000, 0x0005} << Addresses{} << "m1"
        << "11" << slotsOf({0x0005}) << QStringList();
    QTest::newRow("checking address 0 is noted")
        << Addresses{0x0005, 0x0000} << range(0x0201, 17) << "m1"
        << "01" << slotsOf({}) << QStringList{RestrictionControls::addressZeroText()};
    QTest::newRow("a deleted module leaves at the next click")
        << Addresses{0x0005, 0x0007} << Addresses{0x0009, 0x0005} << "m1"
        << "11" << slotsOf({0x0005, 0x0007}) << QStringList();
}

void TestTransponderPage::slotRewrite() {
    QFETCH(Addresses, modules);
    QFETCH(Addresses, initial);
    QFETCH(QString, actions);
    QFETCH(QString, checks);
    QFETCH(QString, slotBytes);
    QFETCH(QStringList, notes);

    Page p;
    addModules(*p.owner, modules);
    QVERIFY(p.showOnScreen(0));
    TTransponderEntry t = transponderWith(initial);
    const TTransponderEntry before = t;
    p.page.showRecord(*p.owner, t);
    auto* list = Child<QListWidget>(p.page, QStringLiteral("ModulRestr_CB"));
    QCOMPARE(list->count(), int(modules.size()));
    QCOMPARE(list->item(0)->text(), QStringLiteral("Modul 0"));
    for (const QString& action : actions.split(QLatin1Char(' '))) {
        QListWidgetItem* item = list->item(action.mid(1).toInt());
        if (action.startsWith(QLatin1Char('m'))) {
            QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, checkIndicator(list, item));
        } else {
            list->setFocus();
            list->setCurrentItem(item);
            QTest::keyClick(list, Qt::Key_Space);
        }
    }
    QString states;
    for (int i = 0; i < list->count(); ++i)
        states += list->item(i)->checkState() == Qt::Checked ? QLatin1Char('1') : QLatin1Char('0');
    QCOMPARE(states, checks);
    QCOMPARE(hexOf(t, 33, 34), slotBytes);
    QCOMPARE(hexOf(t, 0, 33), hexOf(before, 0, 33));
    QCOMPARE(hexOf(t, 67, 22), hexOf(before, 67, 22));
    QCOMPARE(p.host.statusTexts, notes);
    QCOMPARE(p.owner->Changed, bytesOf(t) != bytesOf(before));
}

void TestTransponderPage::dayAndHourBits_data() {
    QTest::addColumn<int>("row");
    QTest::addColumn<int>("hour");
    QTest::addColumn<int>("offset");
    QTest::addColumn<int>("value");

    QTest::newRow("Monday 00-01 is the first bit at 70") << 0 << 0 << 70 << 0x01;
    QTest::newRow("Monday 16-17") << 0 << 16 << 72 << 0x01;
    QTest::newRow("Wednesday 09-10") << 2 << 9 << 77 << 0x02;
    QTest::newRow("Saturday 23-24") << 5 << 23 << 87 << 0x80;
    QTest::newRow("Sunday row 6 00-01 is the first bit at 67") << 6 << 0 << 67 << 0x01;
    QTest::newRow("Sunday 08-09 is byte 68 = 0x01") << 6 << 8 << 68 << 0x01;
}

void TestTransponderPage::dayAndHourBits() {
    QFETCH(int, row);
    QFETCH(int, hour);
    QFETCH(int, offset);
    QFETCH(int, value);

    Page p;
    QVERIFY(p.showOnScreen(1));
    TTransponderEntry t = transponderWith({});
    std::memset(t.TimeRestr, 0, sizeof t.TimeRestr);
    t.DayRestr = 0x7F;
    const TTransponderEntry before = t;
    p.page.showRecord(*p.owner, t);
    auto* bar = Child<TKLVCTimeBar>(p.page, QStringLiteral("TimeBar1"));
    const int cw = bar->columnWidth();
    const int bh = bar->bandHeight();
    QTest::mouseClick(bar, Qt::LeftButton, {}, QPoint(2 + hour * cw + cw / 2, (row + 2) * bh + 11));
    const QByteArray after = bytesOf(t);
    const QByteArray original = bytesOf(before);
    for (int i = 0; i < int(sizeof t); ++i)
        QCOMPARE(int(quint8(after[i])), i == offset ? value : int(quint8(original[i])));
    QVERIFY(p.owner->Changed);
}

void TestTransponderPage::sundayOnlyShows() {
    Page p;
    TTransponderEntry t = transponderWith({});
    std::memset(t.TimeRestr, 0, sizeof t.TimeRestr);
    t.TimeRestr[1] = 0x01; // byte 68
    t.DayRestr = 0x01;
    p.page.showRecord(*p.owner, t);
    auto* bar = Child<TKLVCTimeBar>(p.page, QStringLiteral("TimeBar1"));
    for (int row = 0; row < 7; ++row) {
        quint8 mask[3];
        QVERIFY(bar->GetDayHours(static_cast<quint8>(row), mask));
        QCOMPARE(testsupport::hexDump(QByteArray(reinterpret_cast<const char*>(mask), 3)),
                 row == 6 ? QStringLiteral("00 01 00") : QStringLiteral("00 00 00"));
        QCOMPARE(Child<QCheckBox>(p.page, QStringLiteral("CheckBox%1").arg(row + 1))->isChecked(), row == 6);
        QCOMPARE(bar->isRowEnabled(row), row == 6);
    }
}

void TestTransponderPage::dayOffKeepsItsHours() {
    Page p;
    QVERIFY(p.showOnScreen(1));
    TTransponderEntry t = transponderWith({});
    t.DayRestr = 0xFF;
    t.DayMask(1)[0] = 0x0F; // Monday 00:00 - 04:00
    p.page.showRecord(*p.owner, t);
    auto* monday = Child<QCheckBox>(p.page, QStringLiteral("CheckBox1"));
    auto* bar = Child<TKLVCTimeBar>(p.page, QStringLiteral("TimeBar1"));
    QTest::mouseClick(monday, Qt::LeftButton, {}, QPoint(6, monday->height() / 2));
    QCOMPARE(int(t.DayRestr), 0xFD);
    QVERIFY(!bar->isRowEnabled(0));
    QCOMPARE(hexOf(t, 70, 3), QStringLiteral("0F FF FF"));
    QTest::mouseClick(monday, Qt::LeftButton, {}, QPoint(6, monday->height() / 2));
    QCOMPARE(int(t.DayRestr), 0xFF);
    QVERIFY(bar->isRowEnabled(0));
    quint8 mask[3];
    bar->GetDayHours(0, mask);
    QCOMPARE(int(mask[0]), 0x0F);
}

void TestTransponderPage::ownerNotCurrentDevice() {
    // Controller A's transponder is edited while B is the current controller: A's modules, A's code form,
    // A marked changed.
    Page p;
    auto b = controller(false, 0, 0);
    addModules(*b, {0x0B01, 0x0B02, 0x0B03});
    p.host.current = b.get();
    addModules(*p.owner, {0x0A01});
    TTransponderEntry t = transponderWith({});
    p.page.showRecord(*p.owner, t);
    auto* list = Child<QListWidget>(p.page, QStringLiteral("ModulRestr_CB"));
    QCOMPARE(list->count(), 1);
    list->item(0)->setCheckState(Qt::Checked);
    QCOMPARE(hexOf(t, 33, 4), QStringLiteral("01 0A 00 00"));
    QTest::keyClicks(Child<QLineEdit>(p.page, QStringLiteral("Code_ED")), QStringLiteral("BEEF"));
    QCOMPARE(hexOf(t, 20, 11), QStringLiteral("00 00 00 00 00 00 00 00 BE EF FF"));
    QVERIFY(p.owner->Changed);
    QVERIFY(!b->Changed);
}

void TestTransponderPage::defaultsPage() {
    TestPageHost host;
    auto owner = controller(true, 1, 39);
    addModules(*owner, {0x0012, 0x0003});
    host.current = owner.get();
    TTransponderDefaultsPage page(host);
    QCOMPARE(page.objectName(), QStringLiteral("TransNode"));
    QCOMPARE(pages::PageTitle(&page)->text(), QStringLiteral("Transponder"));
    auto* apply = page.findChild<QCheckBox*>(QStringLiteral("ApplyRestr_CB"));
    QCOMPARE(apply->text(),
             QStringLiteral("Automatisch Standardrestriktionen bei jedem neuen Transponder hinzufügen"));

    TDefaultRestrictions block{};
    block.ApplyRestr = 1;
    block.DayRestr = 0x80;
    const TDefaultRestrictions before = block;
    page.findChild<QComboBox*>(QStringLiteral("StdRestr_CB"))->setCurrentIndex(1);
    page.showRecord(block);
    QCOMPARE(bytesOf(block), bytesOf(before));
    QCOMPARE(page.findChild<QComboBox*>(QStringLiteral("StdRestr_CB"))->currentIndex(), 0);
    QCOMPARE(page.findChild<QStackedWidget*>(QStringLiteral("StdRestr_NB"))->currentIndex(), 0);
    QVERIFY(apply->isChecked());
    for (int box = 8; box <= 14; ++box)
        QVERIFY(!page.findChild<QCheckBox*>(QStringLiteral("CheckBox%1").arg(box))->isChecked());

    auto* list = page.findChild<QListWidget*>(QStringLiteral("StdModulRestr_CB"));
    QCOMPARE(list->count(), 2);
    list->item(1)->setCheckState(Qt::Checked);
    list->item(0)->setCheckState(Qt::Checked);
    QCOMPARE(hexOf(block, 1, 6), QStringLiteral("12 00 03 00 00 00"));
    page.findChild<QCheckBox*>(QStringLiteral("CheckBox14"))->setChecked(true); // Sonntag
    page.findChild<QCheckBox*>(QStringLiteral("CheckBox8"))->setChecked(true);  // Montag
    QCOMPARE(int(block.DayRestr), 0x83);
    apply->setChecked(false);
    QCOMPARE(int(block.ApplyRestr), 0);
    QVERIFY(!owner->Changed); // the block is the program's, not the controller's

    page.forget();
    list->clear();
    apply->setChecked(true);
    QCOMPARE(int(block.ApplyRestr), 0);
}

void TestTransponderPage::showingNeverChanges() {
    // Records of every shape a file may bring, shown one after the other on controllers of both code
    // forms: not one byte changes, and no controller is marked changed.
    std::mt19937 random(20261208);
    TestPageHost host;
    TTransponderPage page(host);
    TTransponderDefaultsPage defaults(host);
    for (const bool binary : {true, false}) {
        auto owner = controller(binary, 1, binary ? 39 : 31);
        for (int i = 0; i < 20; ++i)
            owner->Modules.push_back(randomRecord<TModuleEntry>(random, "Modul " + QByteArray::number(i)));
        for (int i = 0; i < 60; ++i) {
            auto t = randomRecord<TTransponderEntry>(random, "Person " + QByteArray::number(i));
            if (i % 3 == 0)
                t->Code[10] = 0xFF;
            if (i % 5 == 0)
                std::memcpy(t->Code, "xyz\0", 4);
            owner->Transponders.push_back(std::move(t));
        }
        std::vector<QByteArray> before;
        for (const auto& t : owner->Transponders)
            before.push_back(bytesOf(*t));
        for (const auto& t : owner->Transponders)
            page.showRecord(*owner, *t);
        for (std::size_t i = 0; i < before.size(); ++i)
            QCOMPARE(bytesOf(*owner->Transponders[i]), before[i]);

        TDefaultRestrictions block;
        std::memcpy(&block, owner->Transponders.front()->Name + 32, sizeof block);
        const QByteArray blockBefore = bytesOf(block);
        defaults.showRecord(block, owner.get());
        QCOMPARE(bytesOf(block), blockBefore);
        QVERIFY(!owner->Changed);
    }
}

QTEST_MAIN(TestTransponderPage)
#include "tst_transponderpage.moc"
