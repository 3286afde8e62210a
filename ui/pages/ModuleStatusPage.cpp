#include "ui/pages/ModuleStatusPage.h"

#include "data/DeviceEntry.h"
#include "data/ModuleStatusRows.h"
#include "ops/ModuleStatus.h"
#include "ui/ImageList.h"
#include "ui/NoticeBox.h"
#include "ui/Prompter.h"
#include "ui/WaitCursor.h"
#include "ui/pages/PageFrame.h"
#include "ui/pages/PageHost.h"
#include "ui_ModuleStatusPage.h"

#include <QHeaderView>

TModuleStatusPage::TModuleStatusPage(PageHost& host, QWidget* parent)
    : QWidget(parent), m_host(host), m_ui(std::make_unique<Ui::ModuleStatusPage>()) {
    QWidget* body = pages::BuildPageFrame(
        this, QStringLiteral("ModulNode"), QStringLiteral("Module"),
        QStringLiteral("Die Konfiguration von Transponderlesemodulen - oder Geräten können Sie hier\r\n"
                       "durchführen."),
        images::ModuleFolder);
    m_ui->setupUi(body);
    QHeaderView* header = m_ui->Status_LV->header();
    header->setSectionsClickable(false);
    header->setSectionsMovable(false);
    header->resizeSection(0, 120);
    header->resizeSection(2, 280);
    m_ui->Status_LV->setIconSize(QSize(16, 16));
    pages::Connect(m_host, m_ui->Start_BTN, this, &TModuleStatusPage::Start_BTNClick);
}

TModuleStatusPage::~TModuleStatusPage() = default;

void TModuleStatusPage::fill(TDeviceEntry& entry) {
    m_ui->Status_LV->clear();
    // An offline configuration has no modules to ask.
    m_ui->Start_BTN->setEnabled(!entry.Offline);
}

void TModuleStatusPage::Start_BTNClick() {
    const auto command = m_host.tryBeginCommand();
    if (!command)
        return;
    const TDeviceEntry& device = command->device;
    if (device.Offline)
        return;
    const ops::ModuleStatusRead read = WhileWaiting([&] { return ops::ReadModuleStatus(device); });
    if (!read.ok()) {
        // No answer to the status request: the list keeps what it showed.
        ShowNotice(m_host.prompter(), this, read.notice);
        return;
    }
    QTreeWidget* list = m_ui->Status_LV;
    list->clear();
    for (const ModuleStatusRow& row : ModuleStatusRows(read.block, device.Modules)) {
        auto* item = new QTreeWidgetItem(list, {row.name, row.address, row.status});
        const int image = row.operational ? images::ModuleOnline : images::ModuleOffline;
        item->setIcon(0, images::icon(image));
        item->setData(0, ImageRole, image);
    }
}
