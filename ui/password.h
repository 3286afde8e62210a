#pragma once

#include <QDialog>

class QLabel;
class QLineEdit;
class QPushButton;

// Asks for user name and password before the login to a controller. Empty at every showing.
class TPassword_Dlg : public QDialog {
    Q_OBJECT
public:
    explicit TPassword_Dlg(QWidget* parent = nullptr);

    QLabel* Label1;
    QLineEdit* Username_ED;
    QLabel* Label2;
    QLineEdit* Password_ED;
    QLabel* Image1;
    QPushButton* OKBtn;
    QPushButton* CancelBtn;

protected:
    void showEvent(QShowEvent* event) override;

private:
    void FormShow();
};
