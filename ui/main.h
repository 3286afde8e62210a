#pragma once

// The main window: the list of found controllers, the device tree, the pages, and every command the
// administrator gives.

#include "data/DeviceEntry.h"
#include "data/Records.h"
#include "ui/NodeData.h"

#include <QMainWindow>
#include <QTimer>
#include <QUrl>

#include <functional>
#include <memory>
#include <vector>

class Prompter;
class QCheckBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QProgressBar;
class QPushButton;
class QStackedWidget;
class QStatusBar;
class QToolBar;
class QTreeWidget;
class QTreeWidgetItem;
namespace ops {
class FileOperation;
class FtpLink;
} // namespace ops
class TIPCInfo;
class TManual_Dlg;
class TPassword_Dlg;

class TMain_Dlg : public QMainWindow {
    Q_OBJECT
public:
    explicit TMain_Dlg(Prompter& prompter, QWidget* parent = nullptr);
    ~TMain_Dlg() override;

    // --- state ---
    std::vector<std::unique_ptr<TDeviceEntry>> DeviceList;
    TDeviceEntry* CurrentDevice = nullptr;
    TDefaultRestrictions DefaultRestrictions{};
    std::unique_ptr<TIPCInfo> IPCInfo;
    // The one FTP client every file operation borrows.
    ops::FtpLink* FtpLink1 = nullptr;
    // The module and transponder shown in the editors.
    TModuleEntry* CurrentModule = nullptr;
    TTransponderEntry* CurrentTransponder = nullptr;

    // The dialogs live as long as the window and are reused.
    TPassword_Dlg* Password_Dlg;
    TManual_Dlg* Manual_Dlg;

    // --- frame ---
    QToolBar* ToolBar1;
    QAction* Beenden;
    QAction* Aktualisieren;
    QAction* Manuell;
    QTreeWidget* Main_LV;
    QStackedWidget* Main_NB;
    QProgressBar* ProgressBar1;
    QStatusBar* StatusBar1;

    // --- page 0 "Standard" ---
    QLabel* WebLink1;
    QLabel* WebLink2;

    // --- page 1 "Information" ---
    QLabel* Serial_ST;
    QCheckBox* DHCP_CB;
    QLineEdit* IPAddr_ED;
    QLineEdit* SubnetMask_ED;
    QLineEdit* Gateway_ED;
    QPushButton* Save_BTN;
    QPushButton* StartWeb_BTN;

    // --- page 2 "Allgemein" ---
    QListWidget* Info_LB;
    QLineEdit* DeviceName_ED;
    QPushButton* SetName_BTN;

    // --- page 5 "Konfiguration" ---
    QPushButton* LoadConfig_BTN;
    QPushButton* SaveConfig_BTN;
    QLabel* ModulInfo_ST;
    QLabel* TransInfo_ST;
    QPushButton* StartAW_BTN;
    QPushButton* StartAWE_BTN;

    // The content area below each page's header panel, for the pages' own controls.
    QWidget* PageBody[10] = {};

    // Opens an address in the desktop's browser (replaced in tests).
    std::function<void(const QUrl&)> OpenUrl;
    // Delay between a selection change in the tree and the page switch.
    int ChangeDelayMs = 100;

    // --- event handlers ---
    void FormShow();
    void Beenden1Click();
    void Aktualisieren1Click();
    void ManuellClick();
    void Main_LVChange(QTreeWidgetItem* node);
    void Main_LVExpanding(QTreeWidgetItem* node);
    void Main_LVMouseDown(Qt::MouseButton button, const QPoint& pos);
    void StartWeb_BTNClick();
    void WebLinkClick(QLabel* label);
    void DHCP_CBClick();
    void Save_BTNClick();
    void DeviceName_EDChange();
    void SetName_BTNClick();
    void LoadConfig_BTNClick();
    void SaveConfig_BTNClick();
    void FtpClient1Progress(qint64 bytes);
    void FtpClient1RequestDone();

    // Frees both tables of an entry and forgets the editors' records of it.
    void ClearTables(TDeviceEntry& entry);
    // The controller's capacities: from its information block when valid, else 16 and 1000.
    static int ModuleCapacity(const TDeviceEntry& entry);
    static int TransponderCapacity(const TDeviceEntry& entry);

    // True while a command waits for a controller; commands that would start a second exchange or
    // discard the device list wait their turn.
    bool Busy() const { return m_busy > 0; }

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    class BusyScope;
    friend class BusyScope;

    void buildFrame();
    void buildPages();
    QWidget* addPage(const QString& name, const QString& title, const QString& description, int image);
    void buildStartPage();
    void buildInformationPage();
    void buildGeneralPage();
    void buildConfigurationPage();

    // Runs a handler under the general error handler.
    void guarded(const std::function<void()>& handler);
    void discardDevices();
    // Opens or closes a node without running the expanding handler (the program's own expansions).
    void setExpandedQuietly(QTreeWidgetItem* node, bool expanded);
    void addDeviceNodes(TDeviceEntry* entry);
    void FillIPConfigPage();
    void FillGeneralPage();
    void FillConfigurationPage();
    void setupFtpClient();
    void removeTableNodes(TDeviceEntry& entry);
    void showStatistics(const TDeviceEntry& entry);
    bool LoadFiles(ops::FileOperation& operation, TDeviceEntry& device);
    bool SaveFiles(ops::FileOperation& operation, TDeviceEntry& device);
    // Asks for the credentials of CurrentDevice and logs in; opens the node on success.
    bool LoginCurrentDevice(QTreeWidgetItem* node);
    void updateCommandStates();
    void finishPendingClose();

    Prompter& m_prompter;
    int m_busy = 0;
    bool m_closePending = false;
    bool m_shownOnce = false;
    bool m_expansionApproved = false;
    QTimer m_changeTimer;
};

// Marks the window busy while a command waits for a controller.
class TMain_Dlg::BusyScope {
public:
    explicit BusyScope(TMain_Dlg& window) : m_window(window) {
        ++m_window.m_busy;
        m_window.updateCommandStates();
    }
    ~BusyScope() {
        --m_window.m_busy;
        m_window.updateCommandStates();
        m_window.finishPendingClose();
    }
    BusyScope(const BusyScope&) = delete;
    BusyScope& operator=(const BusyScope&) = delete;

private:
    TMain_Dlg& m_window;
};
