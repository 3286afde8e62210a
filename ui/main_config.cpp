// The page "Konfiguration": loading, saving and activating a controller's module and transponder tables.

#include "data/DeviceEntry.h"
#include "device/Conversions.h"
#include "ops/ConfigTables.h"
#include "ops/FileOperation.h"
#include "ops/FtpLink.h"
#include "ui/ImageList.h"
#include "ui/Prompter.h"
#include "ui/WaitCursor.h"
#include "ui/main.h"

#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QScopeGuard>
#include <QStatusBar>
#include <QTreeWidgetItem>

#include <algorithm>

namespace {

const QString kRetryText =
    QStringLiteral("Es ist ein Fehler aufgetreten. Bitte versuchen Sie den Vorgang erneut.");
const QString kLoadAccessText =
    QStringLiteral("Die Konfiguration kann nicht geladen werden. Bitte versuchen Sie den Vorgang erneut.");
const QString kSaveAccessText = QStringLiteral(
    "Die Konfiguration kann nicht gespeichert werden. Bitte versuchen Sie den Vorgang erneut.");
const QString kLoadFailedText =
    QStringLiteral("Die Konfiguration Ihres Kelvora compact konnte nicht geladen werden.");
const QString kSaveFailedText =
    QStringLiteral("Die Konfiguration Ihres Kelvora compact konnte nicht gespeichert werden.");
const QString kActivateQuestion = QStringLiteral(
    "Die Konfiguration wurde erfolgreich gespeichert. Soll die Konfiguration gleich aktiviert werden ?");
const QString kDoneText = QStringLiteral("Der Vorgang wurde erfolgreich durchgeführt.");

QString moduleStatistics(qsizetype count, int capacity) {
    return QStringLiteral("Module : %1 Einträge insgesamt. %2 Einträge verfügbar.")
        .arg(count)
        .arg(static_cast<qsizetype>(capacity) - count);
}

QString transponderStatistics(qsizetype count, int capacity) {
    return QStringLiteral("Transponder : %1 Einträge insgesamt. %2 Einträge verfügbar.")
        .arg(count)
        .arg(static_cast<qsizetype>(capacity) - count);
}

} // namespace

int TMain_Dlg::ModuleCapacity(const TDeviceEntry& entry) {
    return entry.InfoValid ? entry.Info.MaxModules() : 16;
}

int TMain_Dlg::TransponderCapacity(const TDeviceEntry& entry) {
    return entry.InfoValid ? entry.Info.MaxTransponders() : 1000;
}

void TMain_Dlg::setupFtpClient() {
    FtpLink1 = new ops::FtpLink(this);
    connect(FtpLink1, &ops::FtpLink::progress, this, &TMain_Dlg::FtpClient1Progress);
    connect(FtpLink1, &ops::FtpLink::requestDone, this, &TMain_Dlg::FtpClient1RequestDone);
}

void TMain_Dlg::FtpClient1Progress(qint64 bytes) {
    // The bar counts bytes, not percent: it is full once 100 bytes have moved.
    ProgressBar1->setValue(static_cast<int>(std::clamp<qint64>(bytes, 0, 100)));
}

void TMain_Dlg::FtpClient1RequestDone() {
    ProgressBar1->setValue(0);
}

void TMain_Dlg::ClearTables(TDeviceEntry& entry) {
    ops::ClearTables(entry);
    if (&entry == CurrentDevice) {
        CurrentModule = nullptr;
        CurrentTransponder = nullptr;
    }
}

void TMain_Dlg::removeTableNodes(TDeviceEntry& entry) {
    delete entry.ModuleFolderNode;
    entry.ModuleFolderNode = nullptr;
    delete entry.TransponderFolderNode;
    entry.TransponderFolderNode = nullptr;
}

void TMain_Dlg::showStatistics(const TDeviceEntry& entry) {
    ModulInfo_ST->setText(
        moduleStatistics(static_cast<qsizetype>(entry.Modules.size()), ModuleCapacity(entry)));
    TransInfo_ST->setText(
        transponderStatistics(static_cast<qsizetype>(entry.Transponders.size()), TransponderCapacity(entry)));
}

void TMain_Dlg::FillConfigurationPage() {
    if (!CurrentDevice)
        return;
    const bool loaded = !CurrentDevice->Modules.empty() || !CurrentDevice->Transponders.empty();
    SaveConfig_BTN->setEnabled(loaded);
    if (loaded) {
        showStatistics(*CurrentDevice);
    } else {
        ModulInfo_ST->setText(QStringLiteral("Keine Konfiguration geladen"));
        TransInfo_ST->setText(QStringLiteral("Keine Konfiguration geladen"));
    }
}

bool TMain_Dlg::LoadFiles(ops::FileOperation& operation, TDeviceEntry& device) {
    switch (ops::DownloadTables(operation)) {
    case ops::Outcome::Ok:
        break;
    case ops::Outcome::FtpConnectFailed:
        m_prompter.message(this, kRetryText, MsgIcon::Warning);
        return false;
    default:
        m_prompter.message(this, kLoadFailedText, MsgIcon::Error);
        return false;
    }
    ClearTables(device);
    device.ModuleFolderNode = new QTreeWidgetItem(device.ConfigNode, {QStringLiteral("Module")});
    device.ModuleFolderNode->setIcon(0, images::icon(images::ModuleFolder));
    nodes::SetNodeData(device.ModuleFolderNode, nkModuleFolder, &device);
    device.TransponderFolderNode = new QTreeWidgetItem(device.ConfigNode, {QStringLiteral("Transponder")});
    device.TransponderFolderNode->setIcon(0, images::icon(images::TransponderFolder));
    nodes::SetNodeData(device.TransponderFolderNode, nkTransponderFolder, &device);

    const ops::TablesRead read = ops::ReadTables(device);
    ModulInfo_ST->setText(moduleStatistics(read.modules.records, ModuleCapacity(device)));
    TransInfo_ST->setText(transponderStatistics(read.transponders.records, TransponderCapacity(device)));
    for (const auto& module : device.Modules) {
        auto* node = new QTreeWidgetItem(device.ModuleFolderNode, {CharsToStr(module->Name, 19)});
        node->setIcon(0, images::icon(images::Module));
        nodes::SetNodeData(node, nkModule, module.get());
    }
    for (const auto& transponder : device.Transponders) {
        auto* node = new QTreeWidgetItem(device.TransponderFolderNode, {CharsToStr(transponder->Name, 19)});
        node->setIcon(0, images::icon(images::Transponder));
        nodes::SetNodeData(node, nkTransponder, transponder.get());
    }

    // A trailing partial record is not part of the table; say so rather than drop it silently.
    QStringList notes;
    if (read.modules.extraBytes > 0)
        notes << QStringLiteral("\"module.dat\" enthielt %1 überzählige Bytes, die nicht gelesen wurden.")
                     .arg(read.modules.extraBytes);
    if (read.transponders.extraBytes > 0)
        notes << QStringLiteral("\"trans.dat\" enthielt %1 überzählige Bytes, die nicht gelesen wurden.")
                     .arg(read.transponders.extraBytes);
    if (!notes.isEmpty())
        StatusBar1->showMessage(notes.join(QLatin1Char(' ')));
    return true;
}

void TMain_Dlg::LoadConfig_BTNClick() {
    if (!CurrentDevice || Busy())
        return;
    TDeviceEntry& device = *CurrentDevice;
    BusyScope busy(*this);
    ops::FileOperation operation(device, *FtpLink1);
    if (operation.open() == ops::Outcome::FileAccessRefused) {
        m_prompter.message(this, kLoadAccessText, MsgIcon::Information);
        return;
    }
    {
        LoadConfig_BTN->setEnabled(false);
        const auto enableAfterwards = qScopeGuard([this] {
            LoadConfig_BTN->setEnabled(true);
            StartAW_BTN->setEnabled(true);
            StartAWE_BTN->setEnabled(true);
        });
        StatusBar1->clearMessage();
        ClearTables(device);
        removeTableNodes(device);
        LoadFiles(operation, device);
        // Opening the node shows the new table nodes; it is not a user's expansion.
        setExpandedQuietly(device.ConfigNode, true);
        SaveConfig_BTN->setEnabled(true);
    }
    operation.finish();
}

bool TMain_Dlg::SaveFiles(ops::FileOperation& operation, TDeviceEntry& device) {
    switch (ops::UploadTables(operation, device)) {
    case ops::Outcome::Ok:
        return true;
    case ops::Outcome::FtpConnectFailed:
        m_prompter.message(this, kRetryText, MsgIcon::Warning);
        return false;
    default:
        m_prompter.message(this, kSaveFailedText, MsgIcon::Error);
        return false;
    }
}

void TMain_Dlg::SaveConfig_BTNClick() {
    if (!CurrentDevice || Busy())
        return;
    TDeviceEntry& device = *CurrentDevice;
    BusyScope busy(*this);
    ops::FileOperation operation(device, *FtpLink1);
    if (operation.open() == ops::Outcome::FileAccessRefused) {
        m_prompter.message(this, kSaveAccessText, MsgIcon::Information);
        return;
    }
    bool saved = false;
    {
        SaveConfig_BTN->setEnabled(false);
        const auto enableAfterwards = qScopeGuard([this] { SaveConfig_BTN->setEnabled(true); });
        saved = SaveFiles(operation, device);
    }
    if (!saved)
        return;
    if (m_prompter.question(this, kActivateQuestion, MsgIcon::Information)) {
        WaitCursor hourglass;
        ops::ActivateTables(operation);
    }
    operation.finish();
    m_prompter.message(this, kDoneText, MsgIcon::Information);
}
