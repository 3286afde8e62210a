#pragma once

#include <QDialog>
#include <QStringList>

#include <memory>

namespace Ui {
class TransferTargetDialog;
}

// "Auf System übertragen …": the controller an offline configuration goes to, among the logged-in ones.
class TTransferTarget_Dlg : public QDialog {
    Q_OBJECT
public:
    explicit TTransferTarget_Dlg(const QStringList& targets, QWidget* parent = nullptr);
    ~TTransferTarget_Dlg() override;

    // The index in `targets` of the chosen controller.
    int targetIndex() const;

private:
    std::unique_ptr<Ui::TransferTargetDialog> m_ui;
};
