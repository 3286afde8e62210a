#pragma once

#include "ops/Offline.h"

#include <QDialog>

#include <memory>

namespace Ui {
class OfflineDialog;
}

// The name and the code form of an offline configuration: asked for a new one, and for a folder whose
// codes do not say their form. OK only with a name.
class TOffline_Dlg : public QDialog {
    Q_OBJECT
public:
    // `hint` above the fields; `name` and `form` are shown first.
    TOffline_Dlg(const QString& title, const QString& hint, const QString& name, ops::CodeForm form,
                 QWidget* parent = nullptr);
    ~TOffline_Dlg() override;

    QString name() const;
    ops::CodeForm form() const;

private:
    std::unique_ptr<Ui::OfflineDialog> m_ui;
};
