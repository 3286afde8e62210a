#include "ui/dialogs/OfflineDialog.h"

#include "ui_OfflineDialog.h"

#include <QPushButton>

TOffline_Dlg::TOffline_Dlg(const QString& title, const QString& hint, const QString& name, ops::CodeForm form,
                           QWidget* parent)
    : QDialog(parent), m_ui(std::make_unique<Ui::OfflineDialog>()) {
    m_ui->setupUi(this);
    setWindowTitle(title);
    m_ui->Hint_ST->setText(hint);
    m_ui->Name_ED->setText(name);
    m_ui->CodeForm_CB->addItem(ops::CodeFormText(ops::CodeForm::Binary));
    m_ui->CodeForm_CB->addItem(ops::CodeFormText(ops::CodeForm::Text));
    m_ui->CodeForm_CB->setCurrentIndex(form == ops::CodeForm::Binary ? 0 : 1);
    m_ui->Buttons->button(QDialogButtonBox::Cancel)->setText(QStringLiteral("Abbrechen"));
    QPushButton* ok = m_ui->Buttons->button(QDialogButtonBox::Ok);
    const auto needName = [this, ok] { ok->setEnabled(!this->name().isEmpty()); };
    connect(m_ui->Name_ED, &QLineEdit::textChanged, this, needName);
    needName();
    connect(m_ui->Buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(m_ui->Buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    layout()->setSizeConstraint(QLayout::SetFixedSize);
}

TOffline_Dlg::~TOffline_Dlg() = default;

QString TOffline_Dlg::name() const {
    return m_ui->Name_ED->text().trimmed();
}

ops::CodeForm TOffline_Dlg::form() const {
    return m_ui->CodeForm_CB->currentIndex() == 0 ? ops::CodeForm::Binary : ops::CodeForm::Text;
}
