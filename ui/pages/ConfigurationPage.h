#pragma once

// Page "Konfiguration": loading a controller's module and transponder tables into the tool, saving
// and activating them, their statistics, and the overviews of all rights.

#include <QElapsedTimer>
#include <QWidget>

#include <memory>

class PageHost;
class TListCommands;
class TOfflineCommands;
struct TDefaultRestrictions;
struct TDeviceEntry;

namespace Ui {
class ConfigurationPage;
}

class TConfigurationPage : public QWidget {
    Q_OBJECT
public:
    TConfigurationPage(PageHost& host, QWidget* parent = nullptr);
    ~TConfigurationPage() override;

    // The page fill when a "Konfiguration" node (or an offline configuration's node) is selected.
    void fill(TDeviceEntry& entry);

    void LoadConfig_BTNClick();
    // On an offline configuration: "Speichern" into its folder.
    void SaveConfig_BTNClick();
    // "Auf System übertragen …", offline configurations only.
    void Transfer_BTNClick();
    // "Textübersicht erstellen", "Excelübersicht erstellen".
    void StartAW_BTNClick();
    void StartAWE_BTNClick();
    // "Transponder importieren …", "Transponder exportieren …", "Vergleichen …".
    void ImportList_BTNClick();
    void ExportList_BTNClick();
    void Compare_BTNClick();

    // The restrictions an import gives new transponders (the window's default block).
    void setDefaults(const TDefaultRestrictions* defaults);
    TOfflineCommands& offlineCommands() { return *m_offline; }

private:
    enum class Overview { Text, Csv };
    void createOverview(Overview kind);
    void showOverviewProgress(int percent);
    void showStatistics(qsizetype modules, qsizetype transponders, const TDeviceEntry& entry);
    void enableTableButtons(bool loaded);
    // The page's controls for a controller or for an offline configuration.
    void showMode(const TDeviceEntry& entry);

    std::unique_ptr<Ui::ConfigurationPage> m_ui;
    PageHost& m_host;
    std::unique_ptr<TListCommands> m_lists;
    std::unique_ptr<TOfflineCommands> m_offline;
    QElapsedTimer m_progressPaint;
};
