#include "ui/pages/ConfigurationPage.h"

#include "data/DeviceEntry.h"
#include "data/OverviewReport.h"
#include "ops/Configuration.h"
#include "ops/FtpLink.h"
#include "ops/Messages.h"
#include "ops/Notices.h"
#include "ops/Offline.h"
#include "ops/OverviewFile.h"
#include "ui/ImageList.h"
#include "ui/NoticeBox.h"
#include "ui/Prompter.h"
#include "ui/SaveTarget.h"
#include "ui/WaitCursor.h"
#include "ui/pages/ListCommands.h"
#include "ui/pages/OfflineCommands.h"
#include "ui/pages/PageFrame.h"
#include "ui/pages/PageHost.h"
#include "ui_ConfigurationPage.h"

#include <QDir>
#include <QProgressBar>
#include <QScopeGuard>

#include <optional>

namespace {

const QString kNotLoadedText = QStringLiteral("Keine Konfiguration geladen");

const QString kOverviewCaption = QStringLiteral("Übersicht speichern");

// The bar is repainted at most this often while a report grows: a large table still shows its
// progress, a small one is not slowed down by a hundred paints.
constexpr qint64 kProgressPaintMs = 20;

} // namespace

TConfigurationPage::TConfigurationPage(PageHost& host, QWidget* parent)
    : QWidget(parent), m_ui(std::make_unique<Ui::ConfigurationPage>()), m_host(host),
      m_lists(std::make_unique<TListCommands>(host, this)),
      m_offline(std::make_unique<TOfflineCommands>(host, this)) {
    QWidget* body =
        pages::BuildPageFrame(this, QStringLiteral("Konfiguration"), QStringLiteral("Konfiguration"),
                              QStringLiteral("Hier können Sie komfortabel die Modul- und "
                                             "Transponderkonfiguration Ihres \r\nKelvora compact "
                                             "durchführen."),
                              images::Configuration);
    m_ui->setupUi(body);
    m_ui->ProgressBar2->setRange(0, 100);
    pages::Connect(m_host, m_ui->LoadConfig_BTN, this, &TConfigurationPage::LoadConfig_BTNClick);
    pages::Connect(m_host, m_ui->SaveConfig_BTN, this, &TConfigurationPage::SaveConfig_BTNClick);
    pages::Connect(m_host, m_ui->Transfer_BTN, this, &TConfigurationPage::Transfer_BTNClick);
    pages::Connect(m_host, m_ui->StartAW_BTN, this, &TConfigurationPage::StartAW_BTNClick);
    pages::Connect(m_host, m_ui->StartAWE_BTN, this, &TConfigurationPage::StartAWE_BTNClick);
    pages::Connect(m_host, m_ui->ImportList_BTN, this, &TConfigurationPage::ImportList_BTNClick);
    pages::Connect(m_host, m_ui->ExportList_BTN, this, &TConfigurationPage::ExportList_BTNClick);
    pages::Connect(m_host, m_ui->Compare_BTN, this, &TConfigurationPage::Compare_BTNClick);
}

void TConfigurationPage::setDefaults(const TDefaultRestrictions* defaults) {
    m_lists->setDefaults(defaults);
}

void TConfigurationPage::enableTableButtons(bool loaded) {
    m_ui->SaveConfig_BTN->setEnabled(loaded);
    m_ui->ImportList_BTN->setEnabled(loaded);
    m_ui->ExportList_BTN->setEnabled(loaded);
    m_ui->Compare_BTN->setEnabled(loaded);
}

TConfigurationPage::~TConfigurationPage() = default;

void TConfigurationPage::showStatistics(qsizetype modules, qsizetype transponders,
                                        const TDeviceEntry& entry) {
    m_ui->ModulInfo_ST->setText(QStringLiteral("Module : %1 Einträge insgesamt. %2 Einträge verfügbar.")
                                    .arg(modules)
                                    .arg(static_cast<qsizetype>(ModuleCapacity(entry)) - modules));
    m_ui->TransInfo_ST->setText(QStringLiteral("Transponder : %1 Einträge insgesamt. %2 Einträge verfügbar.")
                                    .arg(transponders)
                                    .arg(static_cast<qsizetype>(TransponderCapacity(entry)) - transponders));
}

void TConfigurationPage::showMode(const TDeviceEntry& entry) {
    const bool offline = entry.Offline;
    m_ui->LoadConfig_BTN->setVisible(!offline);
    m_ui->Transfer_BTN->setVisible(offline);
    m_ui->Offline_ST->setVisible(offline);
    m_ui->SaveConfig_BTN->setText(offline ? QStringLiteral("Speichern")
                                          : QStringLiteral("Konfiguration speichern"));
    m_ui->SaveDiff_CB->setText(offline ? QStringLiteral("Vor dem Speichern zeigen, was sich im Ordner ändert")
                                       : QStringLiteral("Vor dem Speichern zeigen, was sich auf dem Kelvora "
                                                        "compact ändert"));
    if (offline) {
        m_ui->Offline_ST->setText(QStringLiteral("Offline-Konfiguration, %1. Ordner: %2")
                                      .arg(ops::CodeFormText(ops::CodeFormOf(entry)),
                                           entry.Folder.isEmpty() ? QStringLiteral("noch nicht gespeichert")
                                                                  : QDir::toNativeSeparators(entry.Folder)));
    }
}

void TConfigurationPage::fill(TDeviceEntry& entry) {
    showMode(entry);
    // An offline configuration has its tables from the start, empty ones included.
    const bool loaded = entry.Offline || !entry.Modules.empty() || !entry.Transponders.empty();
    enableTableButtons(loaded);
    if (loaded) {
        showStatistics(static_cast<qsizetype>(entry.Modules.size()),
                       static_cast<qsizetype>(entry.Transponders.size()), entry);
    } else {
        m_ui->ModulInfo_ST->setText(kNotLoadedText);
        m_ui->TransInfo_ST->setText(kNotLoadedText);
    }
}

void TConfigurationPage::LoadConfig_BTNClick() {
    const auto command = m_host.tryBeginCommand();
    if (!command)
        return;
    TDeviceEntry& device = command->device;
    if (device.Offline)
        return;
    // From the file access on the load counts as attempted, whatever it comes to: the overviews are
    // offered from the first attempt on, successful or not.
    bool attempted = false;
    const auto enableAfterwards = qScopeGuard([this, &attempted] {
        if (!attempted)
            return;
        m_ui->LoadConfig_BTN->setEnabled(true);
        m_ui->StartAW_BTN->setEnabled(true);
        m_ui->StartAWE_BTN->setEnabled(true);
    });
    ops::LoadInput input;
    input.clearing = [this, &attempted](TDeviceEntry& entry) {
        attempted = true;
        m_ui->LoadConfig_BTN->setEnabled(false);
        m_host.showStatus(QString());
        m_host.tablesCleared(entry);
    };
    input.progress = pages::HostProgress(m_host);
    const ops::ConfigurationLoad load = ops::LoadConfiguration(device, m_host.ftpLink(), input);
    if (load.ok()) {
        showStatistics(load.read.modules.records, load.read.transponders.records, device);
        m_host.tablesLoaded(device);
        if (!load.remark.isEmpty())
            m_host.showStatus(load.remark);
    }
    ShowNotice(m_host.prompter(), this, load.notice);
    if (load.tablesCleared()) {
        // The lists and the comparison need tables; saving is offered after any load that emptied them.
        enableTableButtons(load.ok());
        m_ui->SaveConfig_BTN->setEnabled(true);
    }
}

void TConfigurationPage::SaveConfig_BTNClick() {
    const auto command = m_host.tryBeginCommand();
    if (!command)
        return;
    if (command->device.Offline) {
        if (m_ui->SaveDiff_CB->isChecked() && !m_lists->confirmSave(command->device))
            return;
        if (m_offline->save(command->device))
            showMode(command->device);
        return;
    }
    // Nothing is sent when the user does not like what the save would change.
    if (m_ui->SaveDiff_CB->isChecked() && !m_lists->confirmSave(command->device))
        return;
    // The hourglass while the controller switches to the new tables, and only then.
    std::optional<WaitCursor> hourglass;
    ops::SaveInput input;
    input.activate = [this] {
        return m_host.prompter().question(this, ops::kActivateQuestion, MsgIcon::Information);
    };
    input.progress = pages::HostProgress(m_host, [&hourglass](const ProgressStep& step) {
        if (step.kind == ProgressStep::ActivationBegins)
            hourglass.emplace();
        else if (step.kind == ProgressStep::ActivationEnded)
            hourglass.reset();
    });
    ops::ConfigurationSave save;
    {
        m_ui->SaveConfig_BTN->setEnabled(false);
        const auto enableAfterwards = qScopeGuard([this] { m_ui->SaveConfig_BTN->setEnabled(true); });
        save = ops::SaveConfiguration(command->device, m_host.ftpLink(), input);
    }
    ShowNotice(m_host.prompter(), this, save.notice);
}

void TConfigurationPage::Transfer_BTNClick() {
    const auto command = m_host.tryBeginCommand();
    if (command && command->device.Offline)
        m_offline->transfer(command->device);
}

void TConfigurationPage::StartAW_BTNClick() {
    createOverview(Overview::Text);
}

void TConfigurationPage::StartAWE_BTNClick() {
    createOverview(Overview::Csv);
}

void TConfigurationPage::showOverviewProgress(int percent) {
    m_ui->ProgressBar2->setValue(percent);
    if (!m_progressPaint.isValid() || m_progressPaint.elapsed() >= kProgressPaintMs) {
        m_ui->ProgressBar2->repaint();
        m_progressPaint.start();
    }
}

void TConfigurationPage::createOverview(Overview kind) {
    if (m_host.busy())
        return;
    const TDeviceEntry* device = m_host.currentDevice();
    // The buttons stay enabled from the first load on, for whichever controller is selected.
    if (!device || !ops::CanMakeOverview(*device)) {
        m_host.showStatus(ops::kNoTablesText);
        return;
    }
    m_host.showStatus(QString());
    // No other command may start (and free these tables) while the report is built and written.
    const CommandScope command = m_host.beginCommand();
    const auto progressDone = qScopeGuard([this] { m_ui->ProgressBar2->setValue(0); });
    m_progressPaint.invalidate();
    const Progress progress = [this](const ProgressStep& step) {
        if (step.kind == ProgressStep::Percent)
            showOverviewProgress(static_cast<int>(step.value));
    };
    const QByteArray bytes = kind == Overview::Text ? overview::TextOverviewFile(*device, progress)
                                                    : overview::CsvOverviewFile(*device, progress);
    m_ui->ProgressBar2->setValue(0);

    const QString filter = kind == Overview::Text ? QStringLiteral("Übersicht Textdatei *.TXT (*.TXT)")
                                                  : QStringLiteral("Übersicht Excel-Textdatei *.CSV (*.CSV)");
    const QString extension = kind == Overview::Text ? QStringLiteral("TXT") : QStringLiteral("CSV");
    const QString target =
        m_host.prompter().saveFileName(this, {kOverviewCaption, QString(), filter, extension});
    if (target.isEmpty())
        return;
    if (!ops::SaveOverviewFile(target, bytes)) {
        m_host.prompter().message(this, FileNotWrittenText(target), MsgIcon::Error);
        return;
    }
    m_host.prompter().message(this, ops::kOverviewSavedText, MsgIcon::Information);
}

void TConfigurationPage::ImportList_BTNClick() {
    const auto command = m_host.tryBeginCommand();
    if (!command)
        return;
    if (m_lists->importList(command->device))
        fill(command->device);
}

void TConfigurationPage::ExportList_BTNClick() {
    const auto command = m_host.tryBeginCommand();
    if (command)
        m_lists->exportList(command->device);
}

void TConfigurationPage::Compare_BTNClick() {
    const auto command = m_host.tryBeginCommand();
    if (command)
        m_lists->compare(command->device);
}
