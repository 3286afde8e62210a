#include "ui/pages/TransponderDefaultsPage.h"

#include "data/DeviceEntry.h"
#include "data/Restrictions.h"
#include "ui/ImageList.h"
#include "ui/pages/PageFrame.h"
#include "ui/pages/PageHost.h"
#include "ui/pages/RestrictionControls.h"

#include "ui_TransponderDefaultsPage.h"

#include <QScopeGuard>

TTransponderDefaultsPage::TTransponderDefaultsPage(PageHost& host, QWidget* parent)
    : QWidget(parent), m_host(host), m_ui(std::make_unique<Ui::TransponderDefaultsPageForm>()) {
    m_body = pages::BuildPageFrame(
        this, QStringLiteral("TransNode"), QStringLiteral("Transponder"),
        QStringLiteral("Die Transponderverwaltung erlaubt Ihnen eine komfortable Administration aller\r\n"
                       "Transponder. In diesem Fenster können Sie die Standardrestriktionen festlegen."),
        images::TransponderFolder);
    m_ui->setupUi(m_body);
    m_ui->TimeBar2->SetNumberOfRows(7);
    m_ui->TimeBar2->SetCaption(QStringLiteral("Zeitrestriktionen"));
    m_ui->StdModulRestr_CB->setColumns(3);
    const std::array<QCheckBox*, 7> days = {m_ui->CheckBox8,  m_ui->CheckBox9,  m_ui->CheckBox10,
                                            m_ui->CheckBox11, m_ui->CheckBox12, m_ui->CheckBox13,
                                            m_ui->CheckBox14};
    m_restrictions = std::make_unique<RestrictionControls>(host, m_ui->StdModulRestr_CB, m_ui->TimeBar2, days,
                                                           [this](const std::function<void()>& write) {
                                                               if (!filling() && m_block)
                                                                   write();
                                                           });
    m_body->setEnabled(false);

    connect(m_ui->ApplyRestr_CB, &QCheckBox::toggled, this, [this] { ApplyRestr_CBClick(); });
    connect(m_ui->StdRestr_CB, &QComboBox::currentIndexChanged, this, [this] { StdRestr_CBChange(); });
    connect(m_ui->StdModulRestr_CB, &QListWidget::itemChanged, this,
            [this](QListWidgetItem* item) { StdModulRestr_CBClick(item); });
    connect(m_ui->TimeBar2, &TKLVCTimeBar::OnTimeSelected, this, [this] { TimeBar2TimeSelected(); });
    for (QCheckBox* box : days)
        connect(box, &QCheckBox::toggled, this, [this, box] { CheckBox8Click(box); });
}

TTransponderDefaultsPage::~TTransponderDefaultsPage() = default;

void TTransponderDefaultsPage::showRecord(TDefaultRestrictions& block) {
    showRecord(block, m_host.currentDevice());
}

void TTransponderDefaultsPage::showRecord(TDefaultRestrictions& block, const TDeviceEntry* modulesOf) {
    ++m_filling;
    const auto done = qScopeGuard([this] { --m_filling; });
    m_block = &block;
    m_modulesOf = modulesOf;
    m_body->setEnabled(true);
    m_ui->StdRestr_CB->setCurrentIndex(0);
    m_ui->StdRestr_NB->setCurrentIndex(0);
    m_ui->ApplyRestr_CB->setChecked(restrictions::AppliesToNewTransponders(block));
    m_restrictions->show(restrictions::FieldsOf(block), modulesOf ? &modulesOf->Modules : nullptr);
}

void TTransponderDefaultsPage::forget() {
    ++m_filling;
    const auto done = qScopeGuard([this] { --m_filling; });
    m_block = nullptr;
    m_modulesOf = nullptr;
    m_restrictions->forget();
    m_body->setEnabled(false);
}

void TTransponderDefaultsPage::ApplyRestr_CBClick() {
    if (filling() || !m_block)
        return;
    restrictions::SetAppliesToNewTransponders(*m_block, m_ui->ApplyRestr_CB->isChecked());
}

void TTransponderDefaultsPage::StdRestr_CBChange() {
    const int index = m_ui->StdRestr_CB->currentIndex();
    if (index >= 0)
        m_ui->StdRestr_NB->setCurrentIndex(index);
}

void TTransponderDefaultsPage::StdModulRestr_CBClick(QListWidgetItem* item) {
    m_restrictions->moduleCheckChanged(item);
}

void TTransponderDefaultsPage::TimeBar2TimeSelected() {
    m_restrictions->timeSelected();
}

void TTransponderDefaultsPage::CheckBox8Click(QCheckBox* sender) {
    m_restrictions->dayBoxChanged(sender);
}
