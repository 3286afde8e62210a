// Login to a controller, the page "Allgemein" with the device information, and the device name.

#include "data/DeviceInfoText.h"
#include "ops/Login.h"
#include "ops/Messages.h"
#include "ui/Prompter.h"
#include "ui/WaitCursor.h"
#include "ui/main.h"
#include "ui/password.h"

#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTreeWidgetItem>

bool TMain_Dlg::LoginCurrentDevice(QTreeWidgetItem* node) {
    TDeviceEntry* device = CurrentDevice;
    if (!device || m_prompter.runDialog(*Password_Dlg) != QDialog::Accepted)
        return false;
    const QString userName = Password_Dlg->Username_ED->text();
    const QString password = Password_Dlg->Password_ED->text();
    ops::LoginResult result;
    {
        BusyScope busy(*this);
        WaitCursor hourglass;
        result = ops::LoginDevice(device->IPAddress, userName, password);
    }
    if (!result.loggedIn) {
        m_prompter.message(this, ops::kConnectionFailedText, MsgIcon::Error);
        return false;
    }
    ops::StoreLogin(*device, result, userName, password);
    setExpandedQuietly(node, true);
    return true;
}

void TMain_Dlg::FillGeneralPage() {
    if (!CurrentDevice)
        return;
    Info_LB->clear();
    DeviceInfoLines(CurrentDevice->InfoValid, CurrentDevice->Info,
                    [this](const QString& line) { Info_LB->addItem(line); });
    DeviceName_ED->setText(CurrentDevice->Name);
    DeviceName_EDChange();
}

void TMain_Dlg::DeviceName_EDChange() {
    SetName_BTN->setEnabled(!DeviceName_ED->text().isEmpty());
}

void TMain_Dlg::SetName_BTNClick() {
    if (!CurrentDevice || Busy())
        return;
    ops::Outcome outcome;
    {
        BusyScope busy(*this);
        WaitCursor hourglass;
        outcome = ops::WriteDeviceName(*CurrentDevice, DeviceName_ED->text());
    }
    switch (outcome) {
    case ops::Outcome::Ok:
        m_prompter.message(this, ops::kNameSavedText, MsgIcon::Information);
        break;
    case ops::Outcome::LoginFailed:
        m_prompter.message(this, ops::kConnectionFailedText, MsgIcon::Error);
        break;
    default:
        m_prompter.message(this, ops::kNameNotSupportedText, MsgIcon::Information);
        break;
    }
}
