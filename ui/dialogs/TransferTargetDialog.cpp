#include "ui/dialogs/TransferTargetDialog.h"

#include "ui_TransferTargetDialog.h"

#include <QPushButton>

TTransferTarget_Dlg::TTransferTarget_Dlg(const QStringList& targets, QWidget* parent)
    : QDialog(parent), m_ui(std::make_unique<Ui::TransferTargetDialog>()) {
    m_ui->setupUi(this);
    m_ui->Target_CB->addItems(targets);
    m_ui->Buttons->button(QDialogButtonBox::Ok)->setText(QStringLiteral("Weiter"));
    m_ui->Buttons->button(QDialogButtonBox::Cancel)->setText(QStringLiteral("Abbrechen"));
    connect(m_ui->Buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(m_ui->Buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    layout()->setSizeConstraint(QLayout::SetFixedSize);
}

TTransferTarget_Dlg::~TTransferTarget_Dlg() = default;

int TTransferTarget_Dlg::targetIndex() const {
    return m_ui->Target_CB->currentIndex();
}
