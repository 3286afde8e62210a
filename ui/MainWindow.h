#pragma once

// The main window: the frame around the pages. It owns the device list, the device tree, the page
// stack, the one FTP link, the progress and status bars and the busy guard, and it routes each node
// kind to its page. The pages hold their own controls and handlers.

#include "data/Records.h"
#include "ops/DeviceList.h"
#include "ui/DeviceTree.h"
#include "ui/pages/PageHost.h"

#include <QMainWindow>
#include <QTimer>
#include <QUrl>

#include <functional>
#include <memory>
#include <vector>

class Prompter;
class QAction;
class QProgressBar;
class QSplitter;
class QStackedWidget;
class QStatusBar;
class QToolBar;
class QTreeWidget;
class QTreeWidgetItem;
class TConfigurationPage;
class TGeneralPage;
class TInformationPage;
class TLogbookPage;
class TModuleStatusPage;
class TUpdatePage;
class TChooseCode_Dlg;
class TManual_Dlg;
class TPassword_Dlg;
class TStartPage;
class TModulePage;
class TTableCommands;
class TTransponderDefaultsPage;
class TTransponderPage;

class TMain_Dlg : public QMainWindow, public PageHost {
    Q_OBJECT
public:
    explicit TMain_Dlg(Prompter& prompter, QWidget* parent = nullptr);
    ~TMain_Dlg() override;

    // --- event handlers of the frame ---
    void FormShow();
    void Beenden1Click();
    void Aktualisieren1Click();
    void ManuellClick();
    // "Offline öffnen …", "Neue Offline-Konfiguration …": the new offline configuration's node is selected.
    void OfflineOpenClick();
    void OfflineNewClick();
    void Main_LVChange(QTreeWidgetItem* node);
    void Main_LVExpanding(QTreeWidgetItem* node);
    void Main_LVMouseDown(Qt::MouseButton button, const QPoint& pos);
    void Main_LVKeyDown(int key);

    // --- PageHost ---
    Prompter& prompter() override { return m_prompter; }
    ops::FtpLink& ftpLink() override { return *m_ftp; }
    ops::DeviceList& deviceList() override { return m_devices; }
    TDeviceEntry* currentDevice() const override { return m_current; }
    bool busy() const override { return m_busy > 0; }
    CommandScope beginCommand() override;
    void showStatus(const QString& text) override;
    void showProgress(const ProgressStep& step) override;
    void tablesCleared(TDeviceEntry& entry) override;
    void tablesLoaded(TDeviceEntry& entry) override;
    void openUrl(const QUrl& url) override;
    std::optional<QString> chooseCodeAtReader(const TDeviceEntry& entry) override;

    const TDeviceTree& deviceTree() const { return m_tree; }
    TDefaultRestrictions& defaultRestrictions() { return m_defaultRestrictions; }
    // Records shown in the editors (none when no such node was shown since the tables were loaded).
    TModuleEntry* currentModule() const;
    TTransponderEntry* currentTransponder() const;
    // The tree's menus and renaming.
    TTableCommands& tableCommands() const { return *m_commands; }
    // The question before a command discards controllers with unsaved edits (and, on closing, offline
    // configurations with unsaved edits); false to stop the command.
    bool ConfirmDiscard(bool offlineToo = false);
    // The offline configurations, in the order they were opened; a search keeps them.
    const std::vector<std::unique_ptr<TDeviceEntry>>& offlineEntries() const { return m_offline; }

    // Test seams: the delay between a selection change and the page switch (100 ms), and what opens
    // an address (the desktop's browser).
    void setChangeDelay(int ms) { m_changeDelayMs = ms; }
    void setUrlOpener(std::function<void(const QUrl&)> opener) { m_openUrl = std::move(opener); }

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void buildFrame();
    void buildPages();
    void guarded(const std::function<void()>& handler);

    void discardDevices();
    void addOffline(std::unique_ptr<TDeviceEntry> entry);
    // Opens or closes a node without running the expanding handler (the program's own expansions).
    void setExpandedQuietly(QTreeWidgetItem* node, bool expanded);
    // Whether a press at `pos` (viewport coordinates) hits the expand sign left of `node`.
    bool onExpandSign(QTreeWidgetItem* node, const QPoint& pos) const;
    // Asks for the credentials of the current device and logs in; opens the node on success.
    bool LoginCurrentDevice(QTreeWidgetItem* node);
    void fillPage(QTreeWidgetItem* node, TNodeKind kind);
    void updateCommandStates();
    // The editors drop what they show of the entry's tables (all entries when null).
    void forgetEditors(const TDeviceEntry* entry);
    void finishPendingClose();
    // Several selected nodes only as entries of the current node's folder.
    void keepSelectionInOneFolder();
    // A drag over the tree: the selected entries copied onto the folder under the mouse.
    bool treeDragEvent(QEvent* event);

    Prompter& m_prompter;
    ops::DeviceList m_devices;
    std::vector<std::unique_ptr<TDeviceEntry>> m_offline;
    TDeviceEntry* m_current = nullptr;
    TDefaultRestrictions m_defaultRestrictions{};
    ops::FtpLink* m_ftp = nullptr;

    // The frame.
    QToolBar* m_toolBar = nullptr;
    QAction* m_exit = nullptr;
    QAction* m_search = nullptr;
    QAction* m_manual = nullptr;
    QAction* m_offlineOpen = nullptr;
    QAction* m_offlineNew = nullptr;
    QSplitter* m_splitter = nullptr;
    QTreeWidget* m_treeWidget = nullptr;
    TDeviceTree m_tree;
    QStackedWidget* m_pages = nullptr;
    QProgressBar* m_progress = nullptr;
    QStatusBar* m_statusBar = nullptr;

    // The pages, in notebook order.
    TStartPage* m_startPage = nullptr;
    TInformationPage* m_informationPage = nullptr;
    TGeneralPage* m_generalPage = nullptr;
    TLogbookPage* m_logbookPage = nullptr;
    TUpdatePage* m_updatePage = nullptr;
    TConfigurationPage* m_configurationPage = nullptr;
    TModuleStatusPage* m_moduleStatusPage = nullptr;
    TTransponderDefaultsPage* m_defaultsPage = nullptr;
    TModulePage* m_modulePage = nullptr;
    TTransponderPage* m_transponderPage = nullptr;
    TTableCommands* m_commands = nullptr;

    // The dialogs live as long as the window and are reused.
    TPassword_Dlg* m_passwordDialog = nullptr;
    TChooseCode_Dlg* m_chooseCodeDialog = nullptr; // its rows stay from one code reading to the next
    TManual_Dlg* m_manualDialog = nullptr;

    std::function<void(const QUrl&)> m_openUrl;
    int m_changeDelayMs = 100;
    QTimer m_changeTimer;
    int m_busy = 0;
    bool m_closePending = false;
    bool m_shownOnce = false;
    bool m_expansionApproved = false;
    bool m_pruningSelection = false;
};
