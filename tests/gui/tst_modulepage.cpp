// The module editor: what a record shows as, what each edit stores, and that showing stores nothing.

#include "EditorFixtures.h"
#include "support/TestPageHost.h"
#include "support/WidgetLookup.h"
#include "ui/pages/ModulePage.h"
#include "ui/pages/PageFrame.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QSpinBox>
#include <QStackedWidget>
#include <QtTest>

using namespace editortest;

namespace {

// Bytes 20 to 39 of a module record from the ten 16-bit words ModAddr .. NachlaufTime.
TModuleEntry moduleWith(std::initializer_list<std::uint16_t> words) {
    TModuleEntry m;
    std::memset(&m, 0, sizeof m);
    putName(m.Name, "Haupteingang");
    int i = 0;
    for (const std::uint16_t w : words)
        SetLE16(m.Name + 20 + 2 * i++, w);
    return m;
}

struct Page {
    TestPageHost host;
    std::unique_ptr<TDeviceEntry> owner = controller(false, 0, 0);
    TModulePage page{host};
};

} // namespace

class TestModulePage : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void controlsAndLimits();
    void shownValues_data();
    void shownValues();
    void edits_data();
    void edits();
    void addressEntry();
    void forgottenModuleTakesNoEdits();
};

void TestModulePage::controlsAndLimits() {
    Page p;
    QCOMPARE(p.page.objectName(), QStringLiteral("Module"));
    QCOMPARE(Child<QLabel>(p.page, QStringLiteral("Module_Description"))->text(),
             QStringLiteral("Hier können Sie das Modul genau auf Ihre Anwendung konfigurieren. Auch den\n"
                            "Betriebsmodus des Moduls können Sie hier genau festlegen (z.B. Bistabil usw.)"));
    QCOMPARE(Child<QLineEdit>(p.page, QStringLiteral("ModAddr_ED"))->maxLength(), 4);
    const QStringList relais = {QStringLiteral("Relais auf dem Lesemodul"),
                                QStringLiteral("Relais 1 (intern)"), QStringLiteral("Relais 2 (intern)")};
    const QStringList modes = {QStringLiteral("Standard-Modus"), QStringLiteral("EIN/AUS Modus (bistabil)"),
                               QStringLiteral("Sicherheitsmodus")};
    for (int i = 0; i < 3; ++i) {
        QCOMPARE(Child<QComboBox>(p.page, QStringLiteral("Relais_CB"))->itemText(i), relais.at(i));
        QCOMPARE(Child<QComboBox>(p.page, QStringLiteral("Mode_CB"))->itemText(i), modes.at(i));
    }
    QCOMPARE(Child<QStackedWidget>(p.page, QStringLiteral("Modus_NB"))->count(), 3);
    for (const char* name : {"RelaisTime_SE", "LEDTime_SE", "MaxEin_SE", "Nachlauf_SE"}) {
        auto* spin = Child<QSpinBox>(p.page, QString::fromLatin1(name));
        QCOMPARE(spin->minimum(), 100);
        QCOMPARE(spin->maximum(), 100000);
        QCOMPARE(spin->singleStep(), 100);
    }
    QCOMPARE(Child<QCheckBox>(p.page, QStringLiteral("MaxEin_CB"))->text(),
             QStringLiteral("Max. Zeit aktiviert"));
    QCOMPARE(Child<QCheckBox>(p.page, QStringLiteral("Nachlauf_CB"))->text(),
             QStringLiteral("Nachlaufzeit aktiviert"));
    // Nothing to edit before a module is shown.
    QVERIFY(!Child<QWidget>(p.page, QStringLiteral("Module_Body"))->isEnabled());
}

void TestModulePage::shownValues_data() {
    QTest::addColumn<TModuleEntry>("record");
    QTest::addColumn<QString>("address");
    QTest::addColumn<int>("relais");
    QTest::addColumn<int>("mode");
    QTest::addColumn<int>("modePage");
    QTest::addColumn<bool>("maxEin");
    QTest::addColumn<int>("maxEinTime");
    QTest::addColumn<bool>("nachlauf");
    QTest::addColumn<int>("nachlaufTime");
    QTest::addColumn<int>("relaisTime");
    QTest::addColumn<int>("ledTime");

    QTest::newRow("new module: 0 ms as the record holds")
        << moduleWith({0, 1, 20, 10, 0, 0, 0, 0, 0, 0}) << "0000" << 0 << 0 << 0 << false << 0 << false << 0
        << 2000 << 1000;
    QTest::newRow("tenths of a second") << moduleWith({0x1a2b, 1, 15, 7, 1, 1, 1, 60000, 0, 0}) << "1A2B" << 1
                                        << 1 << 1 << true << 60000 << false << 0 << 1500 << 700;
    QTest::newRow("times beyond what the editor offers show as they are")
        << moduleWith({0xFFFF, 0, 2000, 0, 2, 2, 0, 50, 1, 65535}) << "FFFF" << 2 << 2 << 2 << false << 50
        << true << 65535 << 200000 << 0;
    QTest::newRow("values the lists don't have show no selection")
        << moduleWith({0x0100, 9, 20, 10, 5, 7, 2, 300, 3, 400}) << "0100" << -1 << -1 << 0 << false << 300
        << false << 400 << 2000 << 1000;
}

void TestModulePage::shownValues() {
    QFETCH(TModuleEntry, record);
    QFETCH(QString, address);
    QFETCH(int, relais);
    QFETCH(int, mode);
    QFETCH(int, modePage);
    QFETCH(bool, maxEin);
    QFETCH(int, maxEinTime);
    QFETCH(bool, nachlauf);
    QFETCH(int, nachlaufTime);
    QFETCH(int, relaisTime);
    QFETCH(int, ledTime);

    Page p;
    TModuleEntry shown = record;
    p.page.showRecord(*p.owner, shown);
    QCOMPARE(pages::PageTitle(&p.page)->text(), QStringLiteral("Haupteingang"));
    QCOMPARE(Child<QLineEdit>(p.page, QStringLiteral("ModAddr_ED"))->text(), address);
    QCOMPARE(Child<QComboBox>(p.page, QStringLiteral("Relais_CB"))->currentIndex(), relais);
    QCOMPARE(Child<QComboBox>(p.page, QStringLiteral("Mode_CB"))->currentIndex(), mode);
    QCOMPARE(Child<QStackedWidget>(p.page, QStringLiteral("Modus_NB"))->currentIndex(), modePage);
    QCOMPARE(Child<QCheckBox>(p.page, QStringLiteral("MaxEin_CB"))->isChecked(), maxEin);
    QCOMPARE(Child<QSpinBox>(p.page, QStringLiteral("MaxEin_SE"))->isEnabled(), maxEin);
    QCOMPARE(Child<QSpinBox>(p.page, QStringLiteral("MaxEin_SE"))->value(), maxEinTime);
    QCOMPARE(Child<QCheckBox>(p.page, QStringLiteral("Nachlauf_CB"))->isChecked(), nachlauf);
    QCOMPARE(Child<QSpinBox>(p.page, QStringLiteral("Nachlauf_SE"))->isEnabled(), nachlauf);
    QCOMPARE(Child<QSpinBox>(p.page, QStringLiteral("Nachlauf_SE"))->value(), nachlaufTime);
    QCOMPARE(Child<QSpinBox>(p.page, QStringLiteral("RelaisTime_SE"))->value(), relaisTime);
    QCOMPARE(Child<QSpinBox>(p.page, QStringLiteral("LEDTime_SE"))->value(), ledTime);
    // Showing a record stores nothing.
    QCOMPARE(bytesOf(shown), bytesOf(record));
    QVERIFY(!p.owner->Changed);
    QVERIFY(p.host.scripted.shown.empty());
}

void TestModulePage::edits_data() {
    QTest::addColumn<TModuleEntry>("record");
    QTest::addColumn<QString>("control");
    QTest::addColumn<QString>("typed");  // typed over the selected text, or the index / "click"
    QTest::addColumn<QString>("stored"); // bytes 20 to 39 afterwards
    QTest::addColumn<int>("shownValue"); // of a spin edit afterwards (-1: not a spin edit)

    const TModuleEntry plain = moduleWith({0x0012, 1, 20, 10, 0, 0, 0, 0, 0, 0});
    QTest::newRow("relay pull-in time is stored in tenths")
        << plain << "RelaisTime_SE"
        << "2550"
        << "12 00 01 00 19 00 0A 00 00 00 00 00 00 00 00 00 00 00 00 00" << 2550;
    QTest::newRow("lock time is stored in tenths")
        << plain << "LEDTime_SE"
        << "100000"
        << "12 00 01 00 14 00 E8 03 00 00 00 00 00 00 00 00 00 00 00 00" << 100000;
    QTest::newRow("maximum on-time in milliseconds")
        << plain << "MaxEin_SE"
        << "65535"
        << "12 00 01 00 14 00 0A 00 00 00 00 00 00 00 FF FF 00 00 00 00" << 65535;
    QTest::newRow("maximum on-time beyond 16 bits is clamped, not wrapped")
        << plain << "MaxEin_SE"
        << "70000"
        << "12 00 01 00 14 00 0A 00 00 00 00 00 00 00 FF FF 00 00 00 00" << 65535;
    QTest::newRow("follow-up time beyond 16 bits is clamped, not wrapped")
        << plain << "Nachlauf_SE"
        << "65536"
        << "12 00 01 00 14 00 0A 00 00 00 00 00 00 00 00 00 00 00 FF FF" << 65535;
    QTest::newRow("relay") << plain << "Relais_CB"
                           << "2"
                           << "12 00 01 00 14 00 0A 00 02 00 00 00 00 00 00 00 00 00 00 00" << -1;
    QTest::newRow("relay after a value the list doesn't have")
        << moduleWith({0x0012, 1, 20, 10, 7, 0, 0, 0, 0, 0}) << "Relais_CB"
        << "0"
        << "12 00 01 00 14 00 0A 00 00 00 00 00 00 00 00 00 00 00 00 00" << -1;
    QTest::newRow("mode") << plain << "Mode_CB"
                          << "2"
                          << "12 00 01 00 14 00 0A 00 00 00 02 00 00 00 00 00 00 00 00 00" << -1;
    QTest::newRow("maximum on-time of 0 ms switched on gets the shortest, 100 ms")
        << plain << "MaxEin_CB"
        << "click"
        << "12 00 01 00 14 00 0A 00 00 00 00 00 01 00 64 00 00 00 00 00" << 100;
    QTest::newRow("follow-up time of 50 ms switched on gets 100 ms")
        << moduleWith({0x0012, 1, 20, 10, 0, 2, 0, 0, 0, 50}) << "Nachlauf_CB"
        << "click"
        << "12 00 01 00 14 00 0A 00 00 00 02 00 00 00 00 00 01 00 64 00" << 100;
    QTest::newRow("maximum on-time in the range switched on keeps its time")
        << moduleWith({0x0012, 1, 20, 10, 0, 1, 0, 3000, 0, 0}) << "MaxEin_CB"
        << "click"
        << "12 00 01 00 14 00 0A 00 00 00 01 00 01 00 B8 0B 00 00 00 00" << 3000;
    QTest::newRow("follow-up time switched off")
        << moduleWith({0x0012, 1, 20, 10, 0, 2, 0, 0, 1, 3000}) << "Nachlauf_CB"
        << "click"
        << "12 00 01 00 14 00 0A 00 00 00 02 00 00 00 00 00 00 00 B8 0B" << 3000;
    QTest::newRow("maximum on-time of 0 ms switched off stays 0 ms")
        << moduleWith({0x0012, 1, 20, 10, 0, 1, 1, 0, 0, 0}) << "MaxEin_CB"
        << "click"
        << "12 00 01 00 14 00 0A 00 00 00 01 00 00 00 00 00 00 00 00 00" << 0;
}

void TestModulePage::edits() {
    QFETCH(TModuleEntry, record);
    QFETCH(QString, control);
    QFETCH(QString, typed);
    QFETCH(QString, stored);
    QFETCH(int, shownValue);

    Page p;
    p.page.resize(600, 500);
    p.page.QWidget::show();
    TModuleEntry edited = record;
    p.page.showRecord(*p.owner, edited);
    QWidget* widget = Child<QWidget>(p.page, control);
    if (auto* spin = qobject_cast<QSpinBox*>(widget)) {
        Child<QStackedWidget>(p.page, QStringLiteral("Modus_NB"))->setCurrentWidget(spin->parentWidget());
        spin->setEnabled(true);
        spin->selectAll();
        QTest::keyClicks(spin, typed);
        QCOMPARE(spin->value(), shownValue);
    } else if (auto* combo = qobject_cast<QComboBox*>(widget)) {
        combo->setCurrentIndex(typed.toInt());
    } else if (auto* box = qobject_cast<QCheckBox*>(widget)) {
        Child<QStackedWidget>(p.page, QStringLiteral("Modus_NB"))->setCurrentWidget(box->parentWidget());
        const bool before = box->isChecked();
        QTest::mouseClick(box, Qt::LeftButton, {}, QPoint(6, box->height() / 2));
        QCOMPARE(box->isChecked(), !before);
        const char* spinName = control == QLatin1String("MaxEin_CB") ? "MaxEin_SE" : "Nachlauf_SE";
        QCOMPARE(Child<QSpinBox>(p.page, QString::fromLatin1(spinName))->isEnabled(), box->isChecked());
        QCOMPARE(Child<QSpinBox>(p.page, QString::fromLatin1(spinName))->value(), shownValue);
    }
    QCOMPARE(hexOf(edited, 20, 20), stored);
    QCOMPARE(hexOf(edited, 0, 20), hexOf(record, 0, 20));
    QVERIFY(p.owner->Changed);
    if (control == QLatin1String("Mode_CB"))
        QCOMPARE(Child<QStackedWidget>(p.page, QStringLiteral("Modus_NB"))->currentIndex(), typed.toInt());
}

void TestModulePage::addressEntry() {
    Page p;
    p.page.resize(600, 500);
    p.page.QWidget::show();
    TModuleEntry m = moduleWith({0x0BCD, 1, 20, 10, 0, 0, 0, 0, 0, 0});
    p.page.showRecord(*p.owner, m);
    auto* edit = Child<QLineEdit>(p.page, QStringLiteral("ModAddr_ED"));
    edit->setFocus();

    // Emptied: warned once, the last valid address kept.
    edit->selectAll();
    QTest::keyClick(edit, Qt::Key_Backspace);
    QCOMPARE(edit->text(), QString());
    QCOMPARE(p.host.scripted.messages(), QStringList{QStringLiteral("Die Eingabe ist nicht gültig.")});
    QCOMPARE(p.host.scripted.shown.at(0).icon, MsgIcon::Warning);
    QCOMPARE(m.ModAddr(), std::uint16_t(0x0BCD));

    // Keys and pasted text: hex digits only, in upper case.
    QTest::keyClicks(edit, QStringLiteral("1xg-"));
    edit->insert(QStringLiteral("z9"));
    QTest::keyClicks(edit, QStringLiteral("a"));
    QCOMPARE(edit->text(), QStringLiteral("1A"));
    QCOMPARE(m.ModAddr(), std::uint16_t(0x001A));
    edit->insert(QStringLiteral("bf"));
    QCOMPARE(edit->text(), QStringLiteral("1ABF"));
    QCOMPARE(m.ModAddr(), std::uint16_t(0x1ABF));
    QTest::keyClicks(edit, QStringLiteral("5"));
    QCOMPARE(edit->text(), QStringLiteral("1ABF"));

    edit->selectAll();
    QTest::keyClick(edit, Qt::Key_Delete);
    QCOMPARE(p.host.scripted.messages().size(), 2);
    QCOMPARE(m.ModAddr(), std::uint16_t(0x1ABF));
    QCOMPARE(hexOf(m, 20, 2), QStringLiteral("BF 1A"));
}

void TestModulePage::forgottenModuleTakesNoEdits() {
    Page p;
    TModuleEntry m = moduleWith({0x0012, 1, 20, 10, 0, 0, 0, 0, 0, 0});
    const TModuleEntry before = m;
    p.page.showRecord(*p.owner, m);
    p.page.forget();
    QVERIFY(!Child<QWidget>(p.page, QStringLiteral("Module_Body"))->isEnabled());
    QCOMPARE(p.page.module(), nullptr);
    Child<QComboBox>(p.page, QStringLiteral("Relais_CB"))->setCurrentIndex(2);
    Child<QSpinBox>(p.page, QStringLiteral("RelaisTime_SE"))->setValue(5000);
    Child<QLineEdit>(p.page, QStringLiteral("ModAddr_ED"))->setText(QStringLiteral("7"));
    QCOMPARE(bytesOf(m), bytesOf(before));
    QVERIFY(!p.owner->Changed);
}

QTEST_MAIN(TestModulePage)
#include "tst_modulepage.moc"
