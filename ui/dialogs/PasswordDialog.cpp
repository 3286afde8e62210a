#include "ui/dialogs/PasswordDialog.h"

#include "ui/ImageList.h"
#include "ui_PasswordDialog.h"

TPassword_Dlg::TPassword_Dlg(QWidget* parent)
    : QDialog(parent), m_ui(std::make_unique<Ui::PasswordDialog>()) {
    m_ui->setupUi(this);
    setWindowFlags(Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint |
                   Qt::WindowCloseButtonHint);
    m_ui->Image1->setPixmap(images::pixmap(images::Device, 32));
    // The typed password shows as asterisks, as on the controller's own pages.
    m_ui->Password_ED->setStyleSheet(QStringLiteral("lineedit-password-character: 42"));
    layout()->setSizeConstraint(QLayout::SetFixedSize);
    connect(m_ui->OKBtn, &QPushButton::clicked, this, &QDialog::accept);
    connect(m_ui->CancelBtn, &QPushButton::clicked, this, &QDialog::reject);
}

TPassword_Dlg::~TPassword_Dlg() = default;

QString TPassword_Dlg::userName() const {
    return m_ui->Username_ED->text();
}

QString TPassword_Dlg::password() const {
    return m_ui->Password_ED->text();
}

void TPassword_Dlg::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    FormShow();
}

void TPassword_Dlg::FormShow() {
    m_ui->Username_ED->clear();
    m_ui->Password_ED->clear();
    m_ui->Username_ED->setFocus();
}
