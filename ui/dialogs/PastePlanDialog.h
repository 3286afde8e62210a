#pragma once

#include "ops/Paste.h"

#include <QDialog>

#include <functional>
#include <memory>

namespace Ui {
class ImportPlanDialog;
}

// What "Einfügen" of copied transponders or modules will do, asked before anything changes, in the
// import's dialog: the new ones, those matching an entry already there (updated or skipped, as the box
// says), the refused ones with the reason, and the module permissions dropped. Ja takes the plan shown.
class TPastePlan_Dlg : public QDialog {
    Q_OBJECT
public:
    // `target` names where they go; `planFor` makes the plan with or without updating the matches.
    TPastePlan_Dlg(const QString& target, bool transponders,
                   std::function<ops::PastePlan(bool update)> planFor, QWidget* parent = nullptr);
    ~TPastePlan_Dlg() override;

    ops::PastePlan& plan() { return m_plan; }

private:
    void showPlan();
    void addGroup(const QString& title, const std::vector<ops::PlanItem>& items);

    std::unique_ptr<Ui::ImportPlanDialog> m_ui;
    std::function<ops::PastePlan(bool)> m_planFor;
    ops::PastePlan m_plan;
};
