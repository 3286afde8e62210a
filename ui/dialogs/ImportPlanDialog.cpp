#include "ui/dialogs/ImportPlanDialog.h"

#include "ui_ImportPlanDialog.h"

#include <QDir>

TImportPlan_Dlg::TImportPlan_Dlg(const QString& file, std::function<ops::ImportPlan(bool)> planFor,
                                 QWidget* parent)
    : QDialog(parent), m_ui(std::make_unique<Ui::ImportPlanDialog>()), m_planFor(std::move(planFor)) {
    m_ui->setupUi(this);
    m_ui->File_ST->setText(QStringLiteral("Transponderliste: ") + QDir::toNativeSeparators(file));
    connect(m_ui->Yes_BTN, &QPushButton::clicked, this, &QDialog::accept);
    connect(m_ui->No_BTN, &QPushButton::clicked, this, &QDialog::reject);
    connect(m_ui->RemoveMissing_CB, &QCheckBox::toggled, this, [this] { RemoveMissing_CBClick(); });
    m_plan = m_planFor(false);
    showPlan();
}

TImportPlan_Dlg::~TImportPlan_Dlg() = default;

void TImportPlan_Dlg::RemoveMissing_CBClick() {
    m_plan = m_planFor(m_ui->RemoveMissing_CB->isChecked());
    showPlan();
}

void TImportPlan_Dlg::addGroup(const QString& title, const std::vector<ops::PlanItem>& items, bool expanded) {
    auto* group =
        new QTreeWidgetItem(m_ui->Plan_LV, {QStringLiteral("%1 (%2)").arg(title).arg(items.size())});
    for (const ops::PlanItem& item : items) {
        auto* node = new QTreeWidgetItem(group, {item.label});
        for (const QString& change : item.changes)
            new QTreeWidgetItem(node, {change});
        node->setExpanded(true);
    }
    group->setExpanded(expanded);
}

void TImportPlan_Dlg::showPlan() {
    m_ui->Plan_LV->clear();
    m_ui->Counts_ST->setText(m_plan.ok() ? ops::PlanCounts(m_plan) : ops::RefusalText(m_plan));
    addGroup(QStringLiteral("Neu"), m_plan.added, true);
    addGroup(QStringLiteral("Geändert"), m_plan.changed, true);
    addGroup(QStringLiteral("Entfernt"), m_plan.removed, true);
    // Usually the most of them: closed, so that the changes stand out.
    addGroup(QStringLiteral("Unverändert"), m_plan.unchanged, false);
    m_ui->Yes_BTN->setEnabled(m_plan.ok() && m_plan.changesAnything());
}
