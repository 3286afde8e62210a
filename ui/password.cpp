#include "ui/password.h"

#include "ui/ImageList.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

TPassword_Dlg::TPassword_Dlg(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("Password_Dlg"));
    setWindowTitle(QStringLiteral("Passwort eingeben"));
    setWindowFlags(Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint |
                   Qt::WindowCloseButtonHint);
    setFixedSize(309, 138);

    Image1 = new QLabel(this);
    Image1->setObjectName(QStringLiteral("Image1"));
    Image1->setPixmap(images::pixmap(images::Device, 32));
    Image1->setGeometry(12, 16, 32, 32);

    Label1 = new QLabel(QStringLiteral("Benutzername :"), this);
    Label1->setObjectName(QStringLiteral("Label1"));
    Label1->setGeometry(60, 18, 100, 21);
    Username_ED = new QLineEdit(this);
    Username_ED->setObjectName(QStringLiteral("Username_ED"));
    Username_ED->setMaxLength(20);
    Username_ED->setGeometry(160, 16, 137, 23);

    Label2 = new QLabel(QStringLiteral("Passwort :"), this);
    Label2->setObjectName(QStringLiteral("Label2"));
    Label2->setGeometry(60, 52, 100, 21);
    Password_ED = new QLineEdit(this);
    Password_ED->setObjectName(QStringLiteral("Password_ED"));
    Password_ED->setMaxLength(20);
    Password_ED->setEchoMode(QLineEdit::Password);
    Password_ED->setStyleSheet(QStringLiteral("lineedit-password-character: 42"));
    Password_ED->setGeometry(160, 50, 137, 23);

    OKBtn = new QPushButton(QStringLiteral("OK"), this);
    OKBtn->setObjectName(QStringLiteral("OKBtn"));
    OKBtn->setDefault(true);
    OKBtn->setGeometry(128, 100, 80, 27);
    CancelBtn = new QPushButton(QStringLiteral("Abbrechen"), this);
    CancelBtn->setObjectName(QStringLiteral("CancelBtn"));
    CancelBtn->setGeometry(217, 100, 80, 27);
    connect(OKBtn, &QPushButton::clicked, this, &QDialog::accept);
    connect(CancelBtn, &QPushButton::clicked, this, &QDialog::reject);

    setTabOrder(Username_ED, Password_ED);
    setTabOrder(Password_ED, OKBtn);
    setTabOrder(OKBtn, CancelBtn);
}

void TPassword_Dlg::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    FormShow();
}

void TPassword_Dlg::FormShow() {
    Username_ED->clear();
    Password_ED->clear();
    Username_ED->setFocus();
}
