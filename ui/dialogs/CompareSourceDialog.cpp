#include "ui/dialogs/CompareSourceDialog.h"

#include "ui_CompareSourceDialog.h"

#include <QPushButton>

TCompareSource_Dlg::TCompareSource_Dlg(const QStringList& others, QWidget* parent)
    : QDialog(parent), m_ui(std::make_unique<Ui::CompareSourceDialog>()) {
    m_ui->setupUi(this);
    m_ui->Buttons->button(QDialogButtonBox::Ok)->setText(QStringLiteral("Vergleichen"));
    m_ui->Buttons->button(QDialogButtonBox::Cancel)->setText(QStringLiteral("Abbrechen"));
    m_ui->Other_CB->addItems(others);
    m_ui->Other_RB->setEnabled(!others.isEmpty());
    m_ui->Other_CB->setEnabled(false);
    connect(m_ui->Other_RB, &QRadioButton::toggled, m_ui->Other_CB, &QComboBox::setEnabled);
    connect(m_ui->Buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(m_ui->Buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    layout()->setSizeConstraint(QLayout::SetFixedSize);
}

TCompareSource_Dlg::~TCompareSource_Dlg() = default;

void TCompareSource_Dlg::offerNow(bool offered) {
    m_ui->Now_RB->setEnabled(offered);
    if (!offered && m_ui->Now_RB->isChecked())
        m_ui->Backup_RB->setChecked(true);
}

TCompareSource_Dlg::Source TCompareSource_Dlg::source() const {
    if (m_ui->Backup_RB->isChecked())
        return Backup;
    if (m_ui->List_RB->isChecked())
        return List;
    if (m_ui->Other_RB->isChecked())
        return Other;
    return Now;
}

int TCompareSource_Dlg::otherIndex() const {
    return m_ui->Other_CB->currentIndex();
}
