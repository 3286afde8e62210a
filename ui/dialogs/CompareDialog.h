#pragma once

#include "data/TableDiff.h"

#include <QDialog>

#include <memory>

namespace Ui {
class CompareDialog;
}

// The differences between two configurations, modules and transponders each as added, removed and
// changed entries, a changed one with its changes in words. Shown after "Vergleichen …" (one button:
// Schließen), before a save (Speichern or Abbrechen) and before an offline configuration is sent to a
// controller (Ja or Nein).
class TCompare_Dlg : public QDialog {
    Q_OBJECT
public:
    enum Mode { View, ConfirmSave, ConfirmTransfer };

    TCompare_Dlg(const QString& title, const tablediff::Diff& diff, Mode mode, QWidget* parent = nullptr);
    ~TCompare_Dlg() override;

private:
    void addSection(const QString& plural, const tablediff::Section& section);

    std::unique_ptr<Ui::CompareDialog> m_ui;
};
