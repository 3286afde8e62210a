#include "ui/pages/ConfigurationPage.h"

#include "data/DeviceEntry.h"
#include "ops/ConfigTables.h"
#include "ops/FileOperation.h"
#include "ops/FtpLink.h"
#include "ops/Messages.h"
#include "ui/ImageList.h"
#include "ui/Prompter.h"
#include "ui/SaveTarget.h"
#include "ui/WaitCursor.h"
#include "ui/pages/PageFrame.h"
#include "ui/pages/PageHost.h"
#include "ui_ConfigurationPage.h"

#include "data/OverviewReport.h"

#include <QProgressBar>
#include <QSaveFile>
#include <QScopeGuard>

namespace {

const QString kRetryText =
    QStringLiteral("Es ist ein Fehler aufgetreten. Bitte versuchen Sie den Vorgang erneut.");
const QString kLoadFailedText =
    QStringLiteral("Die Konfiguration Ihres Kelvora compact konnte nicht geladen werden.");
const QString kSaveFailedText =
    QStringLiteral("Die Konfiguration Ihres Kelvora compact konnte nicht gespeichert werden.");
const QString kActivateQuestion = QStringLiteral(
    "Die Konfiguration wurde erfolgreich gespeichert. Soll die Konfiguration gleich aktiviert werden ?");
const QString kDoneText = QStringLiteral("Der Vorgang wurde erfolgreich durchgeführt.");
const QString kNotLoadedText = QStringLiteral("Keine Konfiguration geladen");

const QString kOverviewSavedText = QStringLiteral("Die Übersicht wurde erfolgreich abgespeichert.");
const QString kNoTablesText = QStringLiteral(
    "Keine Übersicht: Für dieses Kelvora compact ist keine Konfiguration geladen. Bitte laden Sie zuerst "
    "die Konfiguration.");
const QString kOverviewCaption = QStringLiteral("Übersicht speichern");

// Written beside the chosen file and renamed over it once complete: an existing file is replaced only
// by a whole report.
bool writeWhole(const QString& path, const QByteArray& bytes) {
    QSaveFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size() && file.commit();
}

// The bar is repainted at most this often while a report grows: a large table still shows its
// progress, a small one is not slowed down by a hundred paints.
constexpr qint64 kProgressPaintMs = 20;

} // namespace

TConfigurationPage::TConfigurationPage(PageHost& host, QWidget* parent)
    : QWidget(parent), m_ui(std::make_unique<Ui::ConfigurationPage>()), m_host(host) {
    QWidget* body =
        pages::BuildPageFrame(this, QStringLiteral("Konfiguration"), QStringLiteral("Konfiguration"),
                              QStringLiteral("Hier können Sie komfortabel die Modul- und "
                                             "Transponderkonfiguration Ihres \r\nKelvora compact "
                                             "durchführen."),
                              images::Configuration);
    m_ui->setupUi(body);
    m_ui->ProgressBar2->setRange(0, 100);
    connect(m_ui->LoadConfig_BTN, &QPushButton::clicked, this,
            [this] { pages::Run(m_host, this, [this] { LoadConfig_BTNClick(); }); });
    connect(m_ui->SaveConfig_BTN, &QPushButton::clicked, this,
            [this] { pages::Run(m_host, this, [this] { SaveConfig_BTNClick(); }); });
    connect(m_ui->StartAW_BTN, &QPushButton::clicked, this,
            [this] { pages::Run(m_host, this, [this] { StartAW_BTNClick(); }); });
    connect(m_ui->StartAWE_BTN, &QPushButton::clicked, this,
            [this] { pages::Run(m_host, this, [this] { StartAWE_BTNClick(); }); });
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

void TConfigurationPage::fill(TDeviceEntry& entry) {
    const bool loaded = !entry.Modules.empty() || !entry.Transponders.empty();
    m_ui->SaveConfig_BTN->setEnabled(loaded);
    if (loaded) {
        showStatistics(static_cast<qsizetype>(entry.Modules.size()),
                       static_cast<qsizetype>(entry.Transponders.size()), entry);
    } else {
        m_ui->ModulInfo_ST->setText(kNotLoadedText);
        m_ui->TransInfo_ST->setText(kNotLoadedText);
    }
}

bool TConfigurationPage::LoadFiles(ops::FileOperation& operation, TDeviceEntry& device) {
    switch (ops::DownloadTables(operation)) {
    case ops::Outcome::Ok:
        break;
    case ops::Outcome::FtpConnectFailed:
        m_host.prompter().message(this, kRetryText, MsgIcon::Warning);
        return false;
    case ops::Outcome::TransferFailed:
    case ops::Outcome::LoginFailed:
    case ops::Outcome::FileAccessRefused:
    case ops::Outcome::LocalFileFailed:
    case ops::Outcome::CommandFailed:
        m_host.prompter().message(this, kLoadFailedText, MsgIcon::Error);
        return false;
    }
    m_host.tablesCleared(device);
    ops::ClearTables(device);
    const ops::TablesRead read = ops::ReadTables(device);
    showStatistics(read.modules.records, read.transponders.records, device);
    m_host.tablesLoaded(device);

    // A trailing partial record is not part of the table; say so rather than drop it silently.
    QStringList notes;
    if (read.modules.extraBytes > 0)
        notes << QStringLiteral("\"module.dat\" enthielt %1 überzählige Bytes, die nicht gelesen wurden.")
                     .arg(read.modules.extraBytes);
    if (read.transponders.extraBytes > 0)
        notes << QStringLiteral("\"trans.dat\" enthielt %1 überzählige Bytes, die nicht gelesen wurden.")
                     .arg(read.transponders.extraBytes);
    if (!notes.isEmpty())
        m_host.showStatus(notes.join(QLatin1Char(' ')));
    return true;
}

void TConfigurationPage::LoadConfig_BTNClick() {
    TDeviceEntry* current = m_host.currentDevice();
    if (!current || m_host.busy())
        return;
    TDeviceEntry& device = *current;
    const CommandScope command = m_host.beginCommand();
    ops::FileOperation operation(device, m_host.ftpLink());
    if (operation.open() == ops::Outcome::FileAccessRefused) {
        m_host.prompter().message(this, ops::kLoadAccessRefusedText, MsgIcon::Information);
        return;
    }
    {
        m_ui->LoadConfig_BTN->setEnabled(false);
        // The overviews are offered from the first load attempt on, successful or not.
        const auto enableAfterwards = qScopeGuard([this] {
            m_ui->LoadConfig_BTN->setEnabled(true);
            m_ui->StartAW_BTN->setEnabled(true);
            m_ui->StartAWE_BTN->setEnabled(true);
        });
        m_host.showStatus(QString());
        m_host.tablesCleared(device);
        ops::ClearTables(device);
        LoadFiles(operation, device);
        m_ui->SaveConfig_BTN->setEnabled(true);
    }
    operation.finish();
}

bool TConfigurationPage::SaveFiles(ops::FileOperation& operation, TDeviceEntry& device) {
    switch (ops::UploadTables(operation, device)) {
    case ops::Outcome::Ok:
        return true;
    case ops::Outcome::FtpConnectFailed:
        m_host.prompter().message(this, kRetryText, MsgIcon::Warning);
        return false;
    case ops::Outcome::TransferFailed:
    case ops::Outcome::LocalFileFailed:
    case ops::Outcome::LoginFailed:
    case ops::Outcome::FileAccessRefused:
    case ops::Outcome::CommandFailed:
        m_host.prompter().message(this, kSaveFailedText, MsgIcon::Error);
        return false;
    }
    return false;
}

void TConfigurationPage::SaveConfig_BTNClick() {
    TDeviceEntry* current = m_host.currentDevice();
    if (!current || m_host.busy())
        return;
    TDeviceEntry& device = *current;
    const CommandScope command = m_host.beginCommand();
    ops::FileOperation operation(device, m_host.ftpLink());
    if (operation.open() == ops::Outcome::FileAccessRefused) {
        m_host.prompter().message(this, ops::kSaveAccessRefusedText, MsgIcon::Information);
        return;
    }
    bool saved = false;
    {
        m_ui->SaveConfig_BTN->setEnabled(false);
        const auto enableAfterwards = qScopeGuard([this] { m_ui->SaveConfig_BTN->setEnabled(true); });
        saved = SaveFiles(operation, device);
    }
    if (!saved)
        return;
    // The controller holds the edits now; leaving the entry no longer asks about them.
    device.Changed = false;
    if (m_host.prompter().question(this, kActivateQuestion, MsgIcon::Information)) {
        WaitCursor hourglass;
        ops::ActivateTables(operation);
    }
    operation.finish();
    m_host.prompter().message(this, kDoneText, MsgIcon::Information);
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
    if (!device || (device->Modules.empty() && device->Transponders.empty())) {
        m_host.showStatus(kNoTablesText);
        return;
    }
    m_host.showStatus(QString());
    // No other command may start (and free these tables) while the report is built and written.
    const CommandScope command = m_host.beginCommand();
    const auto progressDone = qScopeGuard([this] { m_ui->ProgressBar2->setValue(0); });
    m_progressPaint.invalidate();
    const overview::Progress progress = [this](int percent) { showOverviewProgress(percent); };
    const QByteArray bytes = kind == Overview::Text ? overview::TextOverviewFile(*device, progress)
                                                    : overview::CsvOverviewFile(*device, progress);
    m_ui->ProgressBar2->setValue(0);

    const QString filter = kind == Overview::Text ? QStringLiteral("Übersicht Textdatei *.TXT (*.TXT)")
                                                  : QStringLiteral("Übersicht Excel-Textdatei *.CSV (*.CSV)");
    const QString extension = kind == Overview::Text ? QStringLiteral("TXT") : QStringLiteral("CSV");
    const QString chosen = m_host.prompter().saveFileName(this, kOverviewCaption, QString(), filter);
    if (chosen.isEmpty())
        return;
    const QString target = WithDefaultExtension(chosen, extension);
    if (!writeWhole(target, bytes)) {
        m_host.prompter().message(this, FileNotWrittenText(target), MsgIcon::Error);
        return;
    }
    m_host.prompter().message(this, kOverviewSavedText, MsgIcon::Information);
}
