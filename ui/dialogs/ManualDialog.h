#pragma once

#include <QDialog>

#include <memory>

namespace Ui {
class ManualDialog;
}

// Asks for serial number and IP address of a controller the search did not find. Keeps its texts
// from one showing to the next.
class TManual_Dlg : public QDialog {
    Q_OBJECT
public:
    explicit TManual_Dlg(QWidget* parent = nullptr);
    ~TManual_Dlg() override;

    // Hexadecimal digits as typed (upper case).
    QString serialText() const;
    QString addressText() const;

private:
    void IPAddr_EDChange();

    std::unique_ptr<Ui::ManualDialog> m_ui;
};
