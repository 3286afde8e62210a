#pragma once

#include "ops/ListImport.h"

#include <QDialog>

#include <functional>
#include <memory>

namespace Ui {
class ImportPlanDialog;
}

class QTreeWidgetItem;

// What an import of a transponder list will do, asked before anything changes: the new, changed,
// removed and unchanged transponders by name (a changed one with its changes), and whether the
// transponders the list does not name are to go. Ja takes the plan shown; Nein leaves the tables alone.
class TImportPlan_Dlg : public QDialog {
    Q_OBJECT
public:
    // `planFor` makes the plan with or without the removal of unlisted transponders; it is asked again
    // when the box changes.
    TImportPlan_Dlg(const QString& file, std::function<ops::ImportPlan(bool removeMissing)> planFor,
                    QWidget* parent = nullptr);
    ~TImportPlan_Dlg() override;

    // The plan as last shown.
    ops::ImportPlan& plan() { return m_plan; }

private:
    void RemoveMissing_CBClick();
    void showPlan();
    void addGroup(const QString& title, const std::vector<ops::PlanItem>& items, bool expanded);

    std::unique_ptr<Ui::ImportPlanDialog> m_ui;
    std::function<ops::ImportPlan(bool)> m_planFor;
    ops::ImportPlan m_plan;
};
