#include "ui/Translation.h"
#include "ui/manuell.h"
#include "ui/password.h"

#include <QDialogButtonBox>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>
#include <QtTest>

class TestDialogs : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void passwordDialogLayout();
    void passwordDialogEmptyAtEveryShowing();
    void passwordEnterAndEscape_data();
    void passwordEnterAndEscape();
    void serialKeyFilter_data();
    void serialKeyFilter();
    void addressKeyFilter_data();
    void addressKeyFilter();
    void okEnabledOnlyWithBothFields();
    void manualDialogKeepsItsValues();
    void manualEnterNeedsOk();
    void qtOwnButtonsAreGerman();
};

void TestDialogs::passwordDialogLayout() {
    TPassword_Dlg dialog;
    QCOMPARE(dialog.windowTitle(), QStringLiteral("Passwort eingeben"));
    QCOMPARE(dialog.size(), QSize(309, 138));
    QCOMPARE(dialog.Label1->text(), QStringLiteral("Benutzername :"));
    QCOMPARE(dialog.Label2->text(), QStringLiteral("Passwort :"));
    QCOMPARE(dialog.Username_ED->maxLength(), 20);
    QCOMPARE(dialog.Password_ED->maxLength(), 20);
    QCOMPARE(dialog.Password_ED->echoMode(), QLineEdit::Password);
    QCOMPARE(dialog.OKBtn->text(), QStringLiteral("OK"));
    QCOMPARE(dialog.CancelBtn->text(), QStringLiteral("Abbrechen"));
    QVERIFY(dialog.OKBtn->isDefault());

    TManual_Dlg manual;
    QCOMPARE(manual.windowTitle(), QStringLiteral("Kelvora compact manuell hinzufügen"));
    QCOMPARE(manual.size(), QSize(268, 144));
    QCOMPARE(manual.Label1->text(), QStringLiteral("Seriennummer :"));
    QCOMPARE(manual.Label2->text(), QStringLiteral("IP-Adresse :"));
    QCOMPARE(manual.Serial_ED->maxLength(), 6);
    QCOMPARE(manual.IPAddr_ED->maxLength(), 15);
    QVERIFY(!manual.OKBtn->isEnabled());
    QVERIFY(manual.OKBtn->isDefault());
}

void TestDialogs::passwordDialogEmptyAtEveryShowing() {
    TPassword_Dlg dialog;
    dialog.show();
    QVERIFY(QTest::qWaitForWindowExposed(&dialog));
    QTest::keyClicks(dialog.Username_ED, QStringLiteral("admin"));
    QTest::keyClicks(dialog.Password_ED, QStringLiteral("geheim"));
    dialog.hide();
    dialog.show();
    QVERIFY(dialog.Username_ED->text().isEmpty());
    QVERIFY(dialog.Password_ED->text().isEmpty());
    QCOMPARE(dialog.focusWidget(), static_cast<QWidget*>(dialog.Username_ED));
}

void TestDialogs::passwordEnterAndEscape_data() {
    QTest::addColumn<int>("key");
    QTest::addColumn<int>("result");
    QTest::newRow("Enter") << int(Qt::Key_Return) << int(QDialog::Accepted);
    QTest::newRow("Esc") << int(Qt::Key_Escape) << int(QDialog::Rejected);
}

void TestDialogs::passwordEnterAndEscape() {
    QFETCH(int, key);
    QFETCH(int, result);
    TPassword_Dlg dialog;
    QTimer::singleShot(0, &dialog, [&] {
        QTest::keyClicks(dialog.Username_ED, QStringLiteral("admin"));
        QTest::keyClick(dialog.Username_ED, static_cast<Qt::Key>(key));
    });
    QCOMPARE(dialog.exec(), result);
}

void TestDialogs::serialKeyFilter_data() {
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("shown");
    QTest::newRow("lower-case b shows B") << "b"
                                          << "B";
    QTest::newRow("g and space do nothing") << "1g 2"
                                            << "12";
    QTest::newRow("seventh digit refused") << "abcdef1"
                                           << "ABCDEF";
    QTest::newRow("punctuation dropped") << "1.2,3-"
                                         << "123";
}

void TestDialogs::serialKeyFilter() {
    QFETCH(QString, typed);
    QFETCH(QString, shown);
    TManual_Dlg dialog;
    QTest::keyClicks(dialog.Serial_ED, typed);
    QCOMPARE(dialog.Serial_ED->text(), shown);
}

void TestDialogs::addressKeyFilter_data() {
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("shown");
    QTest::newRow("letters and comma do nothing") << "10a,0b"
                                                  << "100";
    QTest::newRow("points and digits in any order") << "..1.2..3"
                                                    << "..1.2..3";
    QTest::newRow("sixteenth character refused") << "192.168.100.2001"
                                                 << "192.168.100.200";
}

void TestDialogs::addressKeyFilter() {
    QFETCH(QString, typed);
    QFETCH(QString, shown);
    TManual_Dlg dialog;
    QTest::keyClicks(dialog.IPAddr_ED, typed);
    QCOMPARE(dialog.IPAddr_ED->text(), shown);
    QTest::keyClick(dialog.IPAddr_ED, Qt::Key_Backspace);
    QCOMPARE(dialog.IPAddr_ED->text(), shown.left(shown.size() - 1));
}

void TestDialogs::okEnabledOnlyWithBothFields() {
    TManual_Dlg dialog;
    QTest::keyClicks(dialog.Serial_ED, QStringLiteral("1"));
    QVERIFY(!dialog.OKBtn->isEnabled());
    QTest::keyClicks(dialog.IPAddr_ED, QStringLiteral("1"));
    QVERIFY(dialog.OKBtn->isEnabled());
    QTest::keyClick(dialog.Serial_ED, Qt::Key_Backspace);
    QVERIFY(!dialog.OKBtn->isEnabled());
    QTest::keyClicks(dialog.Serial_ED, QStringLiteral("a"));
    QVERIFY(dialog.OKBtn->isEnabled());
    QTest::keyClick(dialog.IPAddr_ED, Qt::Key_Backspace);
    QVERIFY(!dialog.OKBtn->isEnabled());
}

void TestDialogs::manualDialogKeepsItsValues() {
    TManual_Dlg dialog;
    QTimer::singleShot(0, &dialog, [&] {
        QTest::keyClicks(dialog.Serial_ED, QStringLiteral("12ab3"));
        QTest::keyClicks(dialog.IPAddr_ED, QStringLiteral("10.0.0.7"));
        dialog.OKBtn->click();
    });
    QCOMPARE(dialog.exec(), int(QDialog::Accepted));
    QTimer::singleShot(0, &dialog, [&] { dialog.CancelBtn->click(); });
    QCOMPARE(dialog.exec(), int(QDialog::Rejected));
    QCOMPARE(dialog.Serial_ED->text(), QStringLiteral("12AB3"));
    QCOMPARE(dialog.IPAddr_ED->text(), QStringLiteral("10.0.0.7"));
    QVERIFY(dialog.OKBtn->isEnabled());
}

void TestDialogs::manualEnterNeedsOk() {
    TManual_Dlg dialog;
    bool stillOpen = false;
    QTimer::singleShot(0, &dialog, [&] {
        QTest::keyClick(dialog.Serial_ED, Qt::Key_Return); // OK disabled: nothing happens
        stillOpen = dialog.isVisible();
        QTest::keyClicks(dialog.Serial_ED, QStringLiteral("1"));
        QTest::keyClicks(dialog.IPAddr_ED, QStringLiteral("1"));
        QTest::keyClick(dialog.IPAddr_ED, Qt::Key_Enter);
    });
    QCOMPARE(dialog.exec(), int(QDialog::Accepted));
    QVERIFY(stillOpen);
}

void TestDialogs::qtOwnButtonsAreGerman() {
    QVERIFY(InstallGermanTranslation());
    QDialogButtonBox box(QDialogButtonBox::Yes | QDialogButtonBox::No | QDialogButtonBox::Cancel |
                         QDialogButtonBox::Open | QDialogButtonBox::Save);
    QCOMPARE(box.button(QDialogButtonBox::Yes)->text(), QStringLiteral("&Ja"));
    QCOMPARE(box.button(QDialogButtonBox::No)->text(), QStringLiteral("&Nein"));
    QCOMPARE(box.button(QDialogButtonBox::Cancel)->text(), QStringLiteral("Abbrechen"));
    QCOMPARE(box.button(QDialogButtonBox::Open)->text().remove(QLatin1Char('&')), QStringLiteral("Öffnen"));
    QCOMPARE(box.button(QDialogButtonBox::Save)->text().remove(QLatin1Char('&')),
             QStringLiteral("Speichern"));
}

QTEST_MAIN(TestDialogs)
#include "tst_dialogs.moc"
