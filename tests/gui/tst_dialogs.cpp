#include "support/WidgetLookup.h"
#include "ui/Prompter.h"
#include "ui/Translation.h"
#include "ui/dialogs/ManualDialog.h"
#include "ui/dialogs/PasswordDialog.h"

#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QFileInfo>
#include <QGuiApplication>
#include <QInputMethodEvent>
#include <QKeyEvent>
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
    void filtersHoldForEveryInputRoute_data();
    void filtersHoldForEveryInputRoute();
    void fileDialogCompletesTheName_data();
    void fileDialogCompletesTheName();
    void okEnabledOnlyWithBothFields();
    void manualDialogKeepsItsValues();
    void manualEnterNeedsOk();
    void qtOwnButtonsAreGerman();
};

void TestDialogs::passwordDialogLayout() {
    TPassword_Dlg dialog;
    QCOMPARE(dialog.windowTitle(), QStringLiteral("Passwort eingeben"));
    // Laid out, not placed: the dialog takes the size its contents need and cannot be resized.
    dialog.show();
    QCOMPARE(dialog.size(), dialog.sizeHint());
    QCOMPARE(dialog.minimumSize(), dialog.maximumSize());
    QCOMPARE(Child<QLabel>(dialog, QStringLiteral("Label1"))->text(), QStringLiteral("Benutzername :"));
    QCOMPARE(Child<QLabel>(dialog, QStringLiteral("Label2"))->text(), QStringLiteral("Passwort :"));
    QCOMPARE(Child<QLineEdit>(dialog, QStringLiteral("Username_ED"))->maxLength(), 20);
    QCOMPARE(Child<QLineEdit>(dialog, QStringLiteral("Password_ED"))->maxLength(), 20);
    QCOMPARE(Child<QLineEdit>(dialog, QStringLiteral("Password_ED"))->echoMode(), QLineEdit::Password);
    QCOMPARE(Child<QPushButton>(dialog, QStringLiteral("OKBtn"))->text(), QStringLiteral("OK"));
    QCOMPARE(Child<QPushButton>(dialog, QStringLiteral("CancelBtn"))->text(), QStringLiteral("Abbrechen"));
    QVERIFY(Child<QPushButton>(dialog, QStringLiteral("OKBtn"))->isDefault());

    TManual_Dlg manual;
    QCOMPARE(manual.windowTitle(), QStringLiteral("Kelvora compact manuell hinzufügen"));
    manual.show();
    QCOMPARE(manual.size(), manual.sizeHint());
    QCOMPARE(manual.minimumSize(), manual.maximumSize());
    QCOMPARE(Child<QLabel>(manual, QStringLiteral("Label1"))->text(), QStringLiteral("Seriennummer :"));
    QCOMPARE(Child<QLabel>(manual, QStringLiteral("Label2"))->text(), QStringLiteral("IP-Adresse :"));
    QCOMPARE(Child<QLineEdit>(manual, QStringLiteral("Serial_ED"))->maxLength(), 6);
    QCOMPARE(Child<QLineEdit>(manual, QStringLiteral("IPAddr_ED"))->maxLength(), 15);
    QVERIFY(!Child<QPushButton>(manual, QStringLiteral("OKBtn"))->isEnabled());
    QVERIFY(Child<QPushButton>(manual, QStringLiteral("OKBtn"))->isDefault());
}

void TestDialogs::passwordDialogEmptyAtEveryShowing() {
    TPassword_Dlg dialog;
    dialog.show();
    QVERIFY(QTest::qWaitForWindowExposed(&dialog));
    QTest::keyClicks(Child<QLineEdit>(dialog, QStringLiteral("Username_ED")), QStringLiteral("admin"));
    QTest::keyClicks(Child<QLineEdit>(dialog, QStringLiteral("Password_ED")), QStringLiteral("geheim"));
    dialog.hide();
    dialog.show();
    QVERIFY(Child<QLineEdit>(dialog, QStringLiteral("Username_ED"))->text().isEmpty());
    QVERIFY(Child<QLineEdit>(dialog, QStringLiteral("Password_ED"))->text().isEmpty());
    QCOMPARE(dialog.focusWidget(),
             static_cast<QWidget*>(Child<QLineEdit>(dialog, QStringLiteral("Username_ED"))));
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
        QTest::keyClicks(Child<QLineEdit>(dialog, QStringLiteral("Username_ED")), QStringLiteral("admin"));
        QTest::keyClick(Child<QLineEdit>(dialog, QStringLiteral("Username_ED")), static_cast<Qt::Key>(key));
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
    QTest::keyClicks(Child<QLineEdit>(dialog, QStringLiteral("Serial_ED")), typed);
    QCOMPARE(Child<QLineEdit>(dialog, QStringLiteral("Serial_ED"))->text(), shown);
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
    QTest::keyClicks(Child<QLineEdit>(dialog, QStringLiteral("IPAddr_ED")), typed);
    QCOMPARE(Child<QLineEdit>(dialog, QStringLiteral("IPAddr_ED"))->text(), shown);
    QTest::keyClick(Child<QLineEdit>(dialog, QStringLiteral("IPAddr_ED")), Qt::Key_Backspace);
    QCOMPARE(Child<QLineEdit>(dialog, QStringLiteral("IPAddr_ED"))->text(), shown.left(shown.size() - 1));
}

void TestDialogs::filtersHoldForEveryInputRoute_data() {
    QTest::addColumn<QString>("field");
    QTest::addColumn<QString>("route");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("shown");
    QTest::newRow("serial: Alt+g") << "Serial_ED"
                                   << "alt"
                                   << "g"
                                   << "";
    QTest::newRow("serial: AltGr+b") << "Serial_ED"
                                     << "altgr"
                                     << "b"
                                     << "B";
    QTest::newRow("serial: input method gb") << "Serial_ED"
                                             << "ime"
                                             << "gb"
                                             << "";
    QTest::newRow("serial: input method ab") << "Serial_ED"
                                             << "ime"
                                             << "ab"
                                             << "AB";
    QTest::newRow("serial: pasted x1") << "Serial_ED"
                                       << "paste"
                                       << "x1"
                                       << "";
    QTest::newRow("serial: pasted 1f") << "Serial_ED"
                                       << "paste"
                                       << "1f"
                                       << "1F";
    QTest::newRow("address: Alt+x") << "IPAddr_ED"
                                    << "alt"
                                    << "x"
                                    << "";
    QTest::newRow("address: input method x,") << "IPAddr_ED"
                                              << "ime"
                                              << "x,"
                                              << "";
    QTest::newRow("address: pasted 10.0.0.1") << "IPAddr_ED"
                                              << "paste"
                                              << "10.0.0.1"
                                              << "10.0.0.1";
    QTest::newRow("address: pasted 10,0") << "IPAddr_ED"
                                          << "paste"
                                          << "10,0"
                                          << "";
}

void TestDialogs::filtersHoldForEveryInputRoute() {
    QFETCH(QString, field);
    QFETCH(QString, route);
    QFETCH(QString, text);
    QFETCH(QString, shown);
    TManual_Dlg dialog;
    dialog.show();
    QLineEdit* edit = Child<QLineEdit>(dialog, field);
    edit->setFocus();
    if (route == QLatin1String("alt") || route == QLatin1String("altgr")) {
        const Qt::KeyboardModifiers modifiers =
            route == QLatin1String("alt") ? Qt::AltModifier : (Qt::ControlModifier | Qt::AltModifier);
        QKeyEvent press(QEvent::KeyPress, Qt::Key_unknown, modifiers, text);
        QCoreApplication::sendEvent(edit, &press);
    } else if (route == QLatin1String("ime")) {
        QInputMethodEvent commit;
        commit.setCommitString(text);
        QCoreApplication::sendEvent(edit, &commit);
    } else {
        QGuiApplication::clipboard()->setText(text);
        edit->paste();
    }
    QCOMPARE(edit->text(), shown);
}

void TestDialogs::fileDialogCompletesTheName_data() {
    QTest::addColumn<bool>("save");
    QTest::addColumn<QString>("filter");
    QTest::addColumn<QString>("suffix");
    QTest::addColumn<QString>("shownFilter");
    QTest::addColumn<QString>("existing"); // a file in the folder beforehand
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("chosen"); // the file name the dialog returns; empty: it stays open
    QTest::addColumn<bool>("asked");     // a question or warning came up (answered No)

    const QString update = QStringLiteral("Kelvora compact BIOS *.HEX (*.HEX)");
    const QString overview = QStringLiteral("Übersicht Textdatei *.TXT (*.TXT)");
    QTest::newRow("open: a typed name finds the file with the default extension")
        << false << update << "KLV"
        << "Kelvora compact BIOS *.HEX"
        << "update.KLV"
        << "update"
        << "update.KLV" << false;
    QTest::newRow("save: the completed name is asked about before it is replaced")
        << true << overview << "TXT"
        << "Übersicht Textdatei *.TXT"
        << "liste.TXT"
        << "liste"
        << "" << true;
    QTest::newRow("save: a new name is completed")
        << true << QStringLiteral("Übersicht Excel-Textdatei *.CSV (*.CSV)") << "CSV"
        << "Übersicht Excel-Textdatei *.CSV"
        << ""
        << "rechte"
        << "rechte.CSV" << false;
}

void TestDialogs::fileDialogCompletesTheName() {
    QFETCH(bool, save);
    QFETCH(QString, filter);
    QFETCH(QString, suffix);
    QFETCH(QString, shownFilter);
    QFETCH(QString, existing);
    QFETCH(QString, typed);
    QFETCH(QString, chosen);
    QFETCH(bool, asked);

    QTemporaryDir dir;
    if (!existing.isEmpty()) {
        QFile file(dir.filePath(existing));
        QVERIFY(file.open(QIODevice::WriteOnly));
    }
    QFileDialog dialog;
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    ConfigureFileDialog(dialog, {QString(), dir.path(), filter, suffix},
                        save ? FileDialogMode::Save : FileDialogMode::Open);
    QCOMPARE(dialog.findChild<QComboBox*>(QStringLiteral("fileTypeCombo"))->currentText(), shownFilter);
    dialog.show();
    QStringList questions;
    QTimer answer;
    connect(&answer, &QTimer::timeout, &dialog, [&] {
        if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
            questions << box->text();
            box->done(QMessageBox::No);
        }
    });
    answer.start(10);
    dialog.selectFile(typed);
    static_cast<QDialog&>(dialog).accept(); // as the dialog's own button does
    answer.stop();
    QCOMPARE(questions.size(), asked ? 1 : 0);
    if (asked)
        QVERIFY2(questions.front().contains(existing), qPrintable(questions.front()));
    QCOMPARE(dialog.result() == QDialog::Accepted ? QFileInfo(dialog.selectedFiles().value(0)).fileName()
                                                  : QString(),
             chosen);
}

void TestDialogs::okEnabledOnlyWithBothFields() {
    TManual_Dlg dialog;
    QTest::keyClicks(Child<QLineEdit>(dialog, QStringLiteral("Serial_ED")), QStringLiteral("1"));
    QVERIFY(!Child<QPushButton>(dialog, QStringLiteral("OKBtn"))->isEnabled());
    QTest::keyClicks(Child<QLineEdit>(dialog, QStringLiteral("IPAddr_ED")), QStringLiteral("1"));
    QVERIFY(Child<QPushButton>(dialog, QStringLiteral("OKBtn"))->isEnabled());
    QTest::keyClick(Child<QLineEdit>(dialog, QStringLiteral("Serial_ED")), Qt::Key_Backspace);
    QVERIFY(!Child<QPushButton>(dialog, QStringLiteral("OKBtn"))->isEnabled());
    QTest::keyClicks(Child<QLineEdit>(dialog, QStringLiteral("Serial_ED")), QStringLiteral("a"));
    QVERIFY(Child<QPushButton>(dialog, QStringLiteral("OKBtn"))->isEnabled());
    QTest::keyClick(Child<QLineEdit>(dialog, QStringLiteral("IPAddr_ED")), Qt::Key_Backspace);
    QVERIFY(!Child<QPushButton>(dialog, QStringLiteral("OKBtn"))->isEnabled());
}

void TestDialogs::manualDialogKeepsItsValues() {
    TManual_Dlg dialog;
    QTimer::singleShot(0, &dialog, [&] {
        QTest::keyClicks(Child<QLineEdit>(dialog, QStringLiteral("Serial_ED")), QStringLiteral("12ab3"));
        QTest::keyClicks(Child<QLineEdit>(dialog, QStringLiteral("IPAddr_ED")), QStringLiteral("10.0.0.7"));
        Child<QPushButton>(dialog, QStringLiteral("OKBtn"))->click();
    });
    QCOMPARE(dialog.exec(), int(QDialog::Accepted));
    QTimer::singleShot(0, &dialog, [&] { Child<QPushButton>(dialog, QStringLiteral("CancelBtn"))->click(); });
    QCOMPARE(dialog.exec(), int(QDialog::Rejected));
    QCOMPARE(Child<QLineEdit>(dialog, QStringLiteral("Serial_ED"))->text(), QStringLiteral("12AB3"));
    QCOMPARE(Child<QLineEdit>(dialog, QStringLiteral("IPAddr_ED"))->text(), QStringLiteral("10.0.0.7"));
    QVERIFY(Child<QPushButton>(dialog, QStringLiteral("OKBtn"))->isEnabled());
}

void TestDialogs::manualEnterNeedsOk() {
    TManual_Dlg dialog;
    bool stillOpen = false;
    QTimer::singleShot(0, &dialog, [&] {
        QTest::keyClick(Child<QLineEdit>(dialog, QStringLiteral("Serial_ED")),
                        Qt::Key_Return); // OK disabled: nothing happens
        stillOpen = dialog.isVisible();
        QTest::keyClicks(Child<QLineEdit>(dialog, QStringLiteral("Serial_ED")), QStringLiteral("1"));
        QTest::keyClicks(Child<QLineEdit>(dialog, QStringLiteral("IPAddr_ED")), QStringLiteral("1"));
        QTest::keyClick(Child<QLineEdit>(dialog, QStringLiteral("IPAddr_ED")), Qt::Key_Enter);
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
