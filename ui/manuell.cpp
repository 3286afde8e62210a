#include "ui/manuell.h"

#include "ui/KeyFilters.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

TManual_Dlg::TManual_Dlg(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("Manual_Dlg"));
    setWindowTitle(QStringLiteral("Kelvora compact manuell hinzufügen"));
    setWindowFlags(Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint |
                   Qt::WindowCloseButtonHint);
    setFixedSize(268, 144);

    Label1 = new QLabel(QStringLiteral("Seriennummer :"), this);
    Label1->setObjectName(QStringLiteral("Label1"));
    Label1->setGeometry(16, 20, 100, 21);
    Serial_ED = new QLineEdit(this);
    Serial_ED->setObjectName(QStringLiteral("Serial_ED"));
    Serial_ED->setMaxLength(6);
    Serial_ED->setGeometry(120, 18, 132, 23);
    InstallHexKeyFilter(Serial_ED);

    Label2 = new QLabel(QStringLiteral("IP-Adresse :"), this);
    Label2->setObjectName(QStringLiteral("Label2"));
    Label2->setGeometry(16, 56, 100, 21);
    IPAddr_ED = new QLineEdit(this);
    IPAddr_ED->setObjectName(QStringLiteral("IPAddr_ED"));
    IPAddr_ED->setMaxLength(15);
    IPAddr_ED->setGeometry(120, 54, 132, 23);
    InstallAddressKeyFilter(IPAddr_ED);

    OKBtn = new QPushButton(QStringLiteral("OK"), this);
    OKBtn->setObjectName(QStringLiteral("OKBtn"));
    OKBtn->setDefault(true);
    OKBtn->setEnabled(false);
    OKBtn->setGeometry(84, 106, 80, 27);
    CancelBtn = new QPushButton(QStringLiteral("Abbrechen"), this);
    CancelBtn->setObjectName(QStringLiteral("CancelBtn"));
    CancelBtn->setGeometry(172, 106, 80, 27);
    connect(OKBtn, &QPushButton::clicked, this, &QDialog::accept);
    connect(CancelBtn, &QPushButton::clicked, this, &QDialog::reject);
    connect(Serial_ED, &QLineEdit::textChanged, this, &TManual_Dlg::IPAddr_EDChange);
    connect(IPAddr_ED, &QLineEdit::textChanged, this, &TManual_Dlg::IPAddr_EDChange);

    setTabOrder(Serial_ED, IPAddr_ED);
    setTabOrder(IPAddr_ED, OKBtn);
    setTabOrder(OKBtn, CancelBtn);
}

void TManual_Dlg::IPAddr_EDChange() {
    OKBtn->setEnabled(!IPAddr_ED->text().isEmpty() && !Serial_ED->text().isEmpty());
}
