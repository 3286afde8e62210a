#include "ui/pages/InformationPage.h"

#include "data/DeviceEntry.h"
#include "data/DeviceInfoText.h"
#include "ops/DeviceList.h"
#include "ui/ImageList.h"
#include "ui/Prompter.h"
#include "ui/pages/PageFrame.h"
#include "ui/pages/PageHost.h"
#include "ui_InformationPage.h"

#include <QUrl>

TInformationPage::TInformationPage(PageHost& host, QWidget* parent)
    : QWidget(parent), m_ui(std::make_unique<Ui::InformationPage>()), m_host(host) {
    QWidget* body = pages::BuildPageFrame(
        this, QStringLiteral("Information"), QStringLiteral("Information && IP-Konfiguration"),
        QStringLiteral("Hier können Sie die Grundlegenden TCP/IP Einstellungen "
                       "Ihres\r\nKelvora compact vornehmen."),
        images::Information);
    m_ui->setupUi(body);
    m_ui->IPConfig_ST->setText(DisplayText(
        QStringLiteral("Ändern Sie hier die IP-Konfiguration von Kelvora compact. Hier benötigen Sie\r\nkein "
                       "Kennwort um die Änderungen zu speichern.")));
    pages::Connect(m_host, m_ui->DHCP_CB, this, &TInformationPage::DHCP_CBClick);
    pages::Connect(m_host, m_ui->Save_BTN, this, &TInformationPage::Save_BTNClick);
    pages::Connect(m_host, m_ui->StartWeb_BTN, this, &TInformationPage::StartWeb_BTNClick);
}

TInformationPage::~TInformationPage() = default;

void TInformationPage::enableAddressEdits(bool dhcp) {
    for (QLineEdit* edit : {m_ui->IPAddr_ED, m_ui->SubnetMask_ED, m_ui->Gateway_ED})
        edit->setEnabled(!dhcp);
}

void TInformationPage::fill(TDeviceEntry& entry) {
    m_ui->Serial_ST->setText(SerialText(static_cast<std::uint32_t>(entry.Serial)));
    m_ui->DHCP_CB->setChecked(entry.DHCP);
    m_ui->IPAddr_ED->setText(entry.IPAddress);
    m_ui->SubnetMask_ED->setText(entry.SubnetMask);
    m_ui->Gateway_ED->setText(entry.Gateway);
    enableAddressEdits(entry.DHCP);
}

void TInformationPage::DHCP_CBClick() {
    TDeviceEntry* device = m_host.currentDevice();
    if (!device)
        return;
    device->DHCP = m_ui->DHCP_CB->isChecked();
    enableAddressEdits(device->DHCP);
}

void TInformationPage::Save_BTNClick() {
    // The datagrams go out 50 ms apart; no search may start in between.
    const auto command = m_host.tryBeginCommand();
    if (!command)
        return;
    m_host.deviceList().sendIPConfig(command->device, m_ui->DHCP_CB->isChecked(), m_ui->IPAddr_ED->text(),
                                     m_ui->SubnetMask_ED->text(), m_ui->Gateway_ED->text());
}

void TInformationPage::StartWeb_BTNClick() {
    if (TDeviceEntry* device = m_host.currentDevice())
        m_host.openUrl(QUrl(QStringLiteral("http://%1").arg(device->IPAddress)));
}
