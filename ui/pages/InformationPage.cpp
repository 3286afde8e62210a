#include "ui/pages/InformationPage.h"

#include "data/DeviceEntry.h"
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
    connect(m_ui->DHCP_CB, &QCheckBox::clicked, this,
            [this] { pages::Run(m_host, this, [this] { DHCP_CBClick(); }); });
    connect(m_ui->Save_BTN, &QPushButton::clicked, this,
            [this] { pages::Run(m_host, this, [this] { Save_BTNClick(); }); });
    connect(m_ui->StartWeb_BTN, &QPushButton::clicked, this,
            [this] { pages::Run(m_host, this, [this] { StartWeb_BTNClick(); }); });
}

TInformationPage::~TInformationPage() = default;

void TInformationPage::enableAddressEdits(bool dhcp) {
    for (QLineEdit* edit : {m_ui->IPAddr_ED, m_ui->SubnetMask_ED, m_ui->Gateway_ED})
        edit->setEnabled(!dhcp);
}

void TInformationPage::fill(TDeviceEntry& entry) {
    m_ui->Serial_ST->setText(
        QStringLiteral("%1").arg(static_cast<quint32>(entry.Serial), 5, 16, QLatin1Char('0')).toUpper());
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
    TDeviceEntry* device = m_host.currentDevice();
    if (!device || m_host.busy())
        return;
    // The datagrams go out 50 ms apart; no search may start in between.
    const CommandScope command = m_host.beginCommand();
    m_host.deviceList().sendIPConfig(*device, m_ui->DHCP_CB->isChecked(), m_ui->IPAddr_ED->text(),
                                     m_ui->SubnetMask_ED->text(), m_ui->Gateway_ED->text());
}

void TInformationPage::StartWeb_BTNClick() {
    if (TDeviceEntry* device = m_host.currentDevice())
        m_host.openUrl(QUrl(QStringLiteral("http://%1").arg(device->IPAddress)));
}
