#pragma once

#include <QDialog>

class QLabel;
class QLineEdit;
class QPushButton;

// Asks for serial number and IP address of a controller the search did not find. Keeps its texts
// from one showing to the next.
class TManual_Dlg : public QDialog {
    Q_OBJECT
public:
    explicit TManual_Dlg(QWidget* parent = nullptr);

    QLabel* Label1;
    QLineEdit* Serial_ED;
    QLabel* Label2;
    QLineEdit* IPAddr_ED;
    QPushButton* OKBtn;
    QPushButton* CancelBtn;

private:
    void IPAddr_EDChange();
};
