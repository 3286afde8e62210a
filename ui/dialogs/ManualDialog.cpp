#include "ui/dialogs/ManualDialog.h"

#include "ui/KeyFilters.h"
#include "ui_ManualDialog.h"

TManual_Dlg::TManual_Dlg(QWidget* parent) : QDialog(parent), m_ui(std::make_unique<Ui::ManualDialog>()) {
    m_ui->setupUi(this);
    setWindowFlags(Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint |
                   Qt::WindowCloseButtonHint);
    layout()->setSizeConstraint(QLayout::SetFixedSize);
    InstallHexKeyFilter(m_ui->Serial_ED);
    InstallAddressKeyFilter(m_ui->IPAddr_ED);
    connect(m_ui->OKBtn, &QPushButton::clicked, this, &QDialog::accept);
    connect(m_ui->CancelBtn, &QPushButton::clicked, this, &QDialog::reject);
    connect(m_ui->Serial_ED, &QLineEdit::textChanged, this, &TManual_Dlg::IPAddr_EDChange);
    connect(m_ui->IPAddr_ED, &QLineEdit::textChanged, this, &TManual_Dlg::IPAddr_EDChange);
}

TManual_Dlg::~TManual_Dlg() = default;

QString TManual_Dlg::serialText() const {
    return m_ui->Serial_ED->text();
}

QString TManual_Dlg::addressText() const {
    return m_ui->IPAddr_ED->text();
}

void TManual_Dlg::IPAddr_EDChange() {
    m_ui->OKBtn->setEnabled(!m_ui->IPAddr_ED->text().isEmpty() && !m_ui->Serial_ED->text().isEmpty());
}
