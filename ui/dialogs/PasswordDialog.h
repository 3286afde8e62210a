#pragma once

#include <QDialog>

#include <memory>

namespace Ui {
class PasswordDialog;
}

// Asks for user name and password before the login to a controller. Empty at every showing.
class TPassword_Dlg : public QDialog {
    Q_OBJECT
public:
    explicit TPassword_Dlg(QWidget* parent = nullptr);
    ~TPassword_Dlg() override;

    QString userName() const;
    QString password() const;

protected:
    void showEvent(QShowEvent* event) override;

private:
    void FormShow();

    std::unique_ptr<Ui::PasswordDialog> m_ui;
};
