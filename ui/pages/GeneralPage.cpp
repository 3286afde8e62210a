#include "ui/pages/GeneralPage.h"

#include "data/DeviceEntry.h"
#include "data/DeviceInfoText.h"
#include "ops/Login.h"
#include "ui/ImageList.h"
#include "ui/NoticeBox.h"
#include "ui/Prompter.h"
#include "ui/WaitCursor.h"
#include "ui/pages/PageFrame.h"
#include "ui/pages/PageHost.h"
#include "ui_GeneralPage.h"

TGeneralPage::TGeneralPage(PageHost& host, QWidget* parent)
    : QWidget(parent), m_ui(std::make_unique<Ui::GeneralPage>()), m_host(host) {
    QWidget* body = pages::BuildPageFrame(
        this, QStringLiteral("Allgemein"), QStringLiteral("Allgemeines"),
        QStringLiteral("Hier können Sie die allgemeine Einstellungen und Funktionen\r\nmit "
                       "Ihrem Kelvora compact vornehmen."),
        images::Page);
    m_ui->setupUi(body);
    // A read-only look: the lines flow top to bottom and wrap into a second column.
    QPalette p = m_ui->Info_LB->palette();
    p.setColor(QPalette::Base, p.color(QPalette::Window));
    m_ui->Info_LB->setPalette(p);
    m_ui->Name_ST->setText(DisplayText(QStringLiteral("Hier können Sie den Namen des Gerätes festlegen der "
                                                      "bei\r\nder Suche nach Geräten angezeigt wird.")));
    pages::Connect(m_host, m_ui->DeviceName_ED, &QLineEdit::textChanged, this,
                   &TGeneralPage::DeviceName_EDChange, this);
    pages::Connect(m_host, m_ui->SetName_BTN, this, &TGeneralPage::SetName_BTNClick);
}

TGeneralPage::~TGeneralPage() = default;

void TGeneralPage::addSection(QWidget* section) {
    m_ui->sections->addWidget(section);
}

void TGeneralPage::fill(TDeviceEntry& entry) {
    m_ui->Info_LB->clear();
    DeviceInfoLines(entry.InfoValid, entry.Info,
                    [this](const QString& line) { m_ui->Info_LB->addItem(line); });
    m_ui->DeviceName_ED->setText(entry.Name);
    DeviceName_EDChange();
}

void TGeneralPage::DeviceName_EDChange() {
    m_ui->SetName_BTN->setEnabled(!m_ui->DeviceName_ED->text().isEmpty());
}

void TGeneralPage::SetName_BTNClick() {
    const auto command = m_host.tryBeginCommand();
    if (!command)
        return;
    const ops::Result written =
        WhileWaiting([&] { return ops::WriteDeviceName(command->device, m_ui->DeviceName_ED->text()); });
    ShowNotice(m_host.prompter(), this, written.notice);
}
