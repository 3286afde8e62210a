#include "ui/dialogs/PastePlanDialog.h"

#include "ui_ImportPlanDialog.h"

TPastePlan_Dlg::TPastePlan_Dlg(const QString& target, bool transponders,
                               std::function<ops::PastePlan(bool)> planFor, QWidget* parent)
    : QDialog(parent), m_ui(std::make_unique<Ui::ImportPlanDialog>()), m_planFor(std::move(planFor)) {
    m_ui->setupUi(this);
    setWindowTitle(QStringLiteral("Einfügen"));
    m_ui->File_ST->setText(QStringLiteral("Einfügen in ") + target);
    m_ui->RemoveMissing_CB->setText(
        transponders ? QStringLiteral("Vorhandene Transponder mit gleichem Code aktualisieren "
                                      "(sonst werden sie übersprungen)")
                     : QStringLiteral("Vorhandene Module mit gleicher Adresse aktualisieren "
                                      "(sonst werden sie übersprungen)"));
    m_ui->Question_ST->setText(
        QStringLiteral("Sollen die Einträge so eingefügt werden? Gespeichert werden sie erst "
                       "mit dem Speichern der Konfiguration."));
    connect(m_ui->Yes_BTN, &QPushButton::clicked, this, &QDialog::accept);
    connect(m_ui->No_BTN, &QPushButton::clicked, this, &QDialog::reject);
    connect(m_ui->RemoveMissing_CB, &QCheckBox::toggled, this, [this](bool update) {
        m_plan = m_planFor(update);
        showPlan();
    });
    m_plan = m_planFor(false);
    showPlan();
}

TPastePlan_Dlg::~TPastePlan_Dlg() = default;

void TPastePlan_Dlg::addGroup(const QString& title, const std::vector<ops::PlanItem>& items) {
    if (items.empty())
        return;
    auto* group =
        new QTreeWidgetItem(m_ui->Plan_LV, {QStringLiteral("%1 (%2)").arg(title).arg(items.size())});
    for (const ops::PlanItem& item : items) {
        auto* node = new QTreeWidgetItem(group, {item.label});
        for (const QString& change : item.changes)
            new QTreeWidgetItem(node, {change});
        node->setExpanded(true);
    }
    group->setExpanded(true);
}

void TPastePlan_Dlg::showPlan() {
    m_ui->Plan_LV->clear();
    m_ui->Counts_ST->setText(ops::PasteCounts(m_plan));
    addGroup(QStringLiteral("Neu"), m_plan.added);
    addGroup(QStringLiteral("Vorhanden, aktualisiert"), m_plan.updated);
    addGroup(QStringLiteral("Vorhanden, übersprungen"), m_plan.skipped);
    addGroup(QStringLiteral("Abgelehnt"), m_plan.refused);
    addGroup(QStringLiteral("Modulberechtigungen entfernt"), m_plan.dropped);
    m_ui->Yes_BTN->setEnabled(m_plan.changesAnything());
}
