#include "ui/MainWindow.h"

#include "data/DeviceEntry.h"
#include "ops/FtpLink.h"
#include "ops/Login.h"
#include "ui/ErrorHandler.h"
#include "ui/ImageList.h"
#include "ui/NoticeBox.h"
#include "ui/Prompter.h"
#include "ui/SettingsStore.h"
#include "ui/TableCommands.h"
#include "ui/WaitCursor.h"
#include "ui/dialogs/ChooseCodeDialog.h"
#include "ui/dialogs/ManualDialog.h"
#include "ui/dialogs/PasswordDialog.h"
#include "ui/pages/BackupSection.h"
#include "ui/pages/ConfigurationPage.h"
#include "ui/pages/GeneralPage.h"
#include "ui/pages/InformationPage.h"
#include "ui/pages/LogbookPage.h"
#include "ui/pages/ModulePage.h"
#include "ui/pages/ModuleStatusPage.h"
#include "ui/pages/OfflineCommands.h"
#include "ui/pages/PageFrame.h"
#include "ui/pages/StartPage.h"
#include "ui/pages/TransponderDefaultsPage.h"
#include "ui/pages/TransponderPage.h"
#include "ui/pages/UpdatePage.h"

#include <QAction>
#include <QCloseEvent>
#include <QDesktopServices>
#include <QDropEvent>
#include <QGuiApplication>
#include <QHeaderView>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QProgressBar>
#include <QScreen>
#include <QSplitter>
#include <QStackedWidget>
#include <QStatusBar>
#include <QToolBar>
#include <QTreeWidget>

#include <algorithm>

namespace {

// The window opens large enough for the names of a typical site; the tree keeps its width between runs.
constexpr int kInitialWidth = 900;
constexpr int kInitialHeight = 600;
constexpr int kInitialTreeWidth = 260;

const QString kWaitText = QStringLiteral("Bitte warten Sie, bis der laufende Vorgang beendet ist.");
const QString kDiscardQuestion =
    QStringLiteral("Es gibt ungespeicherte Änderungen an der Konfiguration. Trotzdem verwerfen?");

} // namespace

void TMain_Dlg::guarded(const std::function<void()>& handler) {
    RunGuarded(m_prompter, this, handler);
}

TMain_Dlg::TMain_Dlg(Prompter& prompter, QWidget* parent)
    : QMainWindow(parent), m_prompter(prompter), m_tree(nullptr) {
    setObjectName(QStringLiteral("Main_Dlg"));
    setWindowTitle(ApplicationTitle());
    setWindowFlags(Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                   Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint);
    setMinimumSize(756, 544);
    m_openUrl = [](const QUrl& url) { QDesktopServices::openUrl(url); };

    // FormCreate: the default restrictions, the device list and the one discovery object.
    m_defaultRestrictions = settings::LoadDefaultRestrictions();
    m_ftp = new ops::FtpLink(this);
    buildFrame();
    buildPages();
    m_commands = new TTableCommands(*this, m_tree, m_defaultRestrictions, this);
    connect(m_commands, &TTableCommands::moduleRemoved, this, [this](TDeviceEntry&, TModuleEntry& module) {
        if (m_modulePage->module() == &module)
            m_modulePage->forget();
    });
    connect(m_commands, &TTableCommands::transponderRemoved, this,
            [this](TDeviceEntry&, TTransponderEntry& transponder) {
                if (m_transponderPage->transponder() == &transponder)
                    m_transponderPage->forget();
            });
    m_passwordDialog = new TPassword_Dlg(this);
    m_chooseCodeDialog = new TChooseCode_Dlg(this);
    m_manualDialog = new TManual_Dlg(this);

    resize(kInitialWidth, kInitialHeight);
    if (!settings::RestoreWindowPlacement(*this)) {
        if (const QScreen* screen = QGuiApplication::primaryScreen())
            move(screen->availableGeometry().center() - rect().center());
    }

    m_changeTimer.setSingleShot(true);
    connect(&m_changeTimer, &QTimer::timeout, this,
            [this] { guarded([this] { Main_LVChange(m_treeWidget->currentItem()); }); });
    m_pages->setCurrentIndex(0);

    guarded([this] { m_devices.createDiscovery(); });
}

TMain_Dlg::~TMain_Dlg() {
    // FormDestroy. The nodes refer to entries: the tree goes first.
    m_tree.clear();
    m_current = nullptr;
    m_devices.clear();
    m_offline.clear();
}

void TMain_Dlg::buildFrame() {
    m_toolBar = addToolBar(QStringLiteral("Werkzeuge"));
    m_toolBar->setObjectName(QStringLiteral("ToolBar1"));
    m_toolBar->setMovable(false);
    m_toolBar->setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
    const auto addAction = [this](const QIcon& icon, const char* name, const QString& hint) {
        QAction* action = m_toolBar->addAction(icon, QString::fromLatin1(name));
        action->setObjectName(QString::fromLatin1(name));
        action->setToolTip(hint);
        action->setStatusTip(hint);
        return action;
    };
    m_exit = addAction(images::exitIcon(), "Beenden", QStringLiteral("Programm beenden"));
    m_search =
        addAction(images::refreshIcon(), "Aktualisieren", QStringLiteral("Suche nach Kelvora starten"));
    m_manual =
        addAction(images::manualIcon(), "Manuell", QStringLiteral("Kelvora compact manuell hinzufügen"));
    connect(m_exit, &QAction::triggered, this, [this] { guarded([this] { Beenden1Click(); }); });
    connect(m_search, &QAction::triggered, this, [this] { guarded([this] { Aktualisieren1Click(); }); });
    connect(m_manual, &QAction::triggered, this, [this] { guarded([this] { ManuellClick(); }); });
    m_toolBar->addSeparator();
    const auto addOfflineAction = [this](const char* name, const QString& text, const QString& hint) {
        QAction* action = m_toolBar->addAction(images::icon(images::Configuration), text);
        action->setObjectName(QString::fromLatin1(name));
        action->setToolTip(hint);
        action->setStatusTip(hint);
        return action;
    };
    m_offlineOpen = addOfflineAction(
        "OfflineOpen", QStringLiteral("Offline öffnen …"),
        QStringLiteral("Eine Konfiguration aus einem Ordner ohne Kelvora compact bearbeiten"));
    m_offlineNew =
        addOfflineAction("OfflineNew", QStringLiteral("Neue Offline-Konfiguration …"),
                         QStringLiteral("Eine Konfiguration für ein Kelvora compact vorbereiten, das "
                                        "noch nicht im Netzwerk ist"));
    connect(m_offlineOpen, &QAction::triggered, this, [this] { guarded([this] { OfflineOpenClick(); }); });
    connect(m_offlineNew, &QAction::triggered, this, [this] { guarded([this] { OfflineNewClick(); }); });

    m_splitter = new QSplitter(Qt::Horizontal, this);
    m_splitter->setObjectName(QStringLiteral("Splitter1"));
    m_splitter->setChildrenCollapsible(false);
    m_treeWidget = new QTreeWidget(m_splitter);
    m_treeWidget->setObjectName(QStringLiteral("Main_LV"));
    m_treeWidget->setHeaderHidden(true);
    m_treeWidget->setColumnCount(1);
    m_treeWidget->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_treeWidget->setMouseTracking(true); // hot tracking
    m_treeWidget->setIconSize(QSize(16, 16));
    m_treeWidget->setMinimumWidth(180);
    m_treeWidget->setUniformRowHeights(true);
    // Long names scroll sideways instead of being cut.
    m_treeWidget->header()->setSectionResizeMode(0, QHeaderView::ResizeToContents);
    m_treeWidget->header()->setStretchLastSection(false);
    // Several transponders (or modules) of one folder can be selected for a copy; elsewhere the tree keeps
    // one selected node (see keepSelectionInOneFolder). A drag of them onto another configuration's folder
    // copies them there; the tree never moves its nodes itself.
    m_treeWidget->setSelectionMode(QAbstractItemView::ExtendedSelection);
    m_treeWidget->setDragEnabled(true);
    m_treeWidget->setDragDropMode(QAbstractItemView::DragDrop);
    m_treeWidget->setDefaultDropAction(Qt::CopyAction);
    connect(m_treeWidget, &QTreeWidget::itemSelectionChanged, this, [this] { keepSelectionInOneFolder(); });
    m_treeWidget->viewport()->installEventFilter(this);
    m_treeWidget->installEventFilter(this);
    m_tree = TDeviceTree(m_treeWidget);
    connect(m_treeWidget, &QTreeWidget::currentItemChanged, this, [this] {
        if (m_changeDelayMs > 0)
            m_changeTimer.start(m_changeDelayMs);
        else
            guarded([this] { Main_LVChange(m_treeWidget->currentItem()); });
    });
    connect(m_treeWidget, &QTreeWidget::itemExpanded, this, [this](QTreeWidgetItem* node) {
        if (m_expansionApproved)
            return;
        guarded([this, node] { Main_LVExpanding(node); });
    });

    m_pages = new QStackedWidget(m_splitter);
    m_pages->setObjectName(QStringLiteral("Main_NB"));
    m_splitter->addWidget(m_treeWidget);
    m_splitter->addWidget(m_pages);
    m_splitter->setStretchFactor(0, 0);
    m_splitter->setStretchFactor(1, 1);
    setCentralWidget(m_splitter);

    m_statusBar = statusBar();
    m_statusBar->setObjectName(QStringLiteral("StatusBar1"));
    m_progress = new QProgressBar(this);
    m_progress->setObjectName(QStringLiteral("ProgressBar1"));
    m_progress->setRange(0, 100);
    m_progress->setValue(0);
    m_progress->setTextVisible(false);
    m_progress->setMaximumWidth(220);
    m_statusBar->addPermanentWidget(m_progress);
}

void TMain_Dlg::buildPages() {
    m_startPage = new TStartPage(*this, m_pages);
    m_pages->addWidget(m_startPage);
    m_informationPage = new TInformationPage(*this, m_pages);
    m_pages->addWidget(m_informationPage);
    m_generalPage = new TGeneralPage(*this, m_pages);
    m_generalPage->addSection(new TBackupSection(*this));
    m_pages->addWidget(m_generalPage);
    m_logbookPage = new TLogbookPage(*this, m_pages);
    m_pages->addWidget(m_logbookPage);
    m_updatePage = new TUpdatePage(*this, m_pages);
    m_pages->addWidget(m_updatePage);
    m_configurationPage = new TConfigurationPage(*this, m_pages);
    m_configurationPage->setDefaults(&m_defaultRestrictions);
    m_pages->addWidget(m_configurationPage);
    m_moduleStatusPage = new TModuleStatusPage(*this, m_pages);
    m_pages->addWidget(m_moduleStatusPage);
    m_defaultsPage = new TTransponderDefaultsPage(*this, m_pages);
    m_pages->addWidget(m_defaultsPage);
    m_modulePage = new TModulePage(*this, m_pages);
    m_pages->addWidget(m_modulePage);
    m_transponderPage = new TTransponderPage(*this, m_pages);
    m_pages->addWidget(m_transponderPage);
}

void TMain_Dlg::showEvent(QShowEvent* event) {
    QMainWindow::showEvent(event);
    if (!m_shownOnce) {
        m_shownOnce = true;
        // The splitter knows its real width only now; sizes given earlier would be rescaled.
        const int stored = settings::RestoreTreeWidth();
        const int tree = stored > 0 ? stored : kInitialTreeWidth;
        m_splitter->setSizes({tree, std::max(1, m_splitter->width() - tree - m_splitter->handleWidth())});
        // After the window has painted, so the search runs in a visible window.
        QTimer::singleShot(0, this, [this] { guarded([this] { FormShow(); }); });
    }
}

void TMain_Dlg::FormShow() {
    Aktualisieren1Click();
}

void TMain_Dlg::closeEvent(QCloseEvent* event) {
    if (busy()) {
        // A command still waits for a controller and works on an entry: close when it is done.
        m_closePending = true;
        showStatus(kWaitText);
        event->ignore();
        return;
    }
    if (!ConfirmDiscard(true)) {
        event->ignore();
        return;
    }
    // FormClose: the default restrictions and the window position are written on every close. A store
    // that can't be written (no rights on the per-machine settings) does not keep the window open.
    settings::SaveDefaultRestrictions(m_defaultRestrictions);
    settings::SaveWindowPlacement(*this, m_splitter->sizes().value(0));
    discardDevices();
    m_tree.clear();
    forgetEditors(nullptr);
    m_offline.clear();
    event->accept();
}

CommandScope TMain_Dlg::beginCommand() {
    ++m_busy;
    updateCommandStates();
    return CommandScope([this] {
        --m_busy;
        updateCommandStates();
        finishPendingClose();
    });
}

void TMain_Dlg::finishPendingClose() {
    if (m_closePending && !busy()) {
        m_closePending = false;
        QTimer::singleShot(0, this, &QWidget::close);
    }
}

void TMain_Dlg::updateCommandStates() {
    // While a command waits for a controller, nothing may start a second exchange or discard the entry
    // it works on: the toolbar's commands and the pages wait their turn; the tree stays browsable.
    const bool idle = !busy();
    m_search->setEnabled(idle);
    m_manual->setEnabled(idle);
    m_offlineOpen->setEnabled(idle);
    m_offlineNew->setEnabled(idle);
    m_pages->setEnabled(idle);
}

void TMain_Dlg::showProgress(const ProgressStep& step) {
    switch (step.kind) {
    case ProgressStep::Transfer:
        // The bar counts bytes, not percent: it is full once 100 bytes have moved.
        m_progress->setValue(static_cast<int>(std::clamp<qint64>(step.value, 0, 100)));
        return;
    case ProgressStep::RequestDone:
        m_progress->setValue(0);
        return;
    case ProgressStep::LogbookCounted:
    case ProgressStep::DownloadBegins:
    case ProgressStep::ActivationBegins:
    case ProgressStep::ActivationEnded:
    case ProgressStep::Percent:
        // The page that ran the operation shows these.
        return;
    }
}

TModuleEntry* TMain_Dlg::currentModule() const {
    return m_modulePage->module();
}

TTransponderEntry* TMain_Dlg::currentTransponder() const {
    return m_transponderPage->transponder();
}

void TMain_Dlg::showStatus(const QString& text) {
    if (text.isEmpty())
        m_statusBar->clearMessage();
    else
        m_statusBar->showMessage(text);
}

void TMain_Dlg::openUrl(const QUrl& url) {
    m_openUrl(url);
}

std::optional<QString> TMain_Dlg::chooseCodeAtReader(const TDeviceEntry& entry) {
    if (busy())
        return std::nullopt;
    // The session counts as a command: the window is not closed and no other exchange starts under it.
    const CommandScope command = beginCommand();
    return ReadCodeAtReader(m_prompter, this, *m_chooseCodeDialog, entry);
}

void TMain_Dlg::Beenden1Click() {
    close();
}

bool TMain_Dlg::ConfirmDiscard(bool offlineToo) {
    const auto changedIn = [](const auto& entries) {
        return std::any_of(entries.begin(), entries.end(), [](const auto& e) { return e->Changed; });
    };
    const bool changed = changedIn(m_devices.entries()) || (offlineToo && changedIn(m_offline));
    return !changed || m_prompter.question(this, kDiscardQuestion, MsgIcon::Warning);
}

void TMain_Dlg::forgetEditors(const TDeviceEntry* entry) {
    if (!entry || m_modulePage->owner() == entry)
        m_modulePage->forget();
    if (!entry || m_transponderPage->owner() == entry)
        m_transponderPage->forget();
    if (!entry || m_defaultsPage->modulesOf() == entry)
        m_defaultsPage->forget();
}

void TMain_Dlg::discardDevices() {
    // The offline configurations are not found ones: they, their nodes and their editors stay.
    for (const auto& entry : m_devices.entries())
        forgetEditors(entry.get());
    if (m_current && !m_current->Offline)
        m_current = nullptr;
    m_tree.clearFound();
    m_devices.clear();
    m_pages->setCurrentIndex(0);
}

void TMain_Dlg::addOffline(std::unique_ptr<TDeviceEntry> entry) {
    TDeviceEntry& added = *entry;
    m_offline.push_back(std::move(entry));
    QTreeWidgetItem* node = m_tree.addOffline(added);
    setExpandedQuietly(node, true);
    m_treeWidget->setCurrentItem(node);
}

void TMain_Dlg::OfflineOpenClick() {
    if (busy()) {
        showStatus(kWaitText);
        return;
    }
    if (std::unique_ptr<TDeviceEntry> entry = m_configurationPage->offlineCommands().open())
        addOffline(std::move(entry));
}

void TMain_Dlg::OfflineNewClick() {
    if (busy()) {
        showStatus(kWaitText);
        return;
    }
    if (std::unique_ptr<TDeviceEntry> entry = m_configurationPage->offlineCommands().create())
        addOffline(std::move(entry));
}

void TMain_Dlg::Aktualisieren1Click() {
    if (busy()) {
        showStatus(kWaitText);
        return;
    }
    if (!ConfirmDiscard())
        return;
    const CommandScope command = beginCommand();
    discardDevices();
    QTreeWidgetItem* root = m_tree.reset();
    const bool found = m_devices.search([this, root](TDeviceEntry& entry) {
        m_tree.addDevice(entry);
        root->setExpanded(true);
    });
    showStatus(ops::IgnoredRepliesText(m_devices.ignoredReplies()));
    if (!found)
        m_prompter.message(this, ops::kNoDevicesFoundText, MsgIcon::Warning);
}

void TMain_Dlg::ManuellClick() {
    if (busy()) {
        showStatus(kWaitText);
        return;
    }
    if (m_prompter.runDialog(*m_manualDialog) != QDialog::Accepted || !ConfirmDiscard())
        return;
    discardDevices();
    m_tree.reset();
    m_tree.addDevice(m_devices.addManual(m_manualDialog->serialText(), m_manualDialog->addressText()));
}

void TMain_Dlg::fillPage(QTreeWidgetItem* node, TNodeKind kind) {
    TDeviceEntry* owner = nodes::Owner(node);
    if (!owner)
        return;
    switch (kind) {
    case nkDevice:
        m_informationPage->fill(*owner);
        return;
    case nkGeneral:
        m_generalPage->fill(*owner);
        return;
    case nkConfiguration:
        m_configurationPage->fill(*owner);
        return;
    case nkTransponderFolder:
        m_defaultsPage->showRecord(m_defaultRestrictions, owner);
        return;
    case nkModule:
        // The record's own controller, which need not be the current one.
        m_modulePage->showRecord(*owner, *nodes::Module(node));
        return;
    case nkTransponder:
        m_transponderPage->showRecord(*owner, *nodes::Transponder(node));
        return;
    case nkLogbook:
        m_logbookPage->fill(*owner);
        return;
    case nkFirmware:
        m_updatePage->fill(*owner);
        return;
    case nkModuleFolder:
        m_moduleStatusPage->fill(*owner);
        return;
    case nkNone:
        return;
    }
}

void TMain_Dlg::Main_LVChange(QTreeWidgetItem* node) {
    if (!node)
        return;
    if (!nodes::HasData(node)) {
        m_pages->setCurrentIndex(0);
        return;
    }
    const TNodeKind kind = nodes::Kind(node);
    m_pages->setCurrentIndex(nodes::PageOf(kind));
    if (TDeviceEntry* entry = nodes::Device(node))
        m_current = entry;
    fillPage(node, kind);
}

void TMain_Dlg::Main_LVExpanding(QTreeWidgetItem* node) {
    Main_LVChange(node);
    // An offline configuration has no controller to log in to: its nodes (and their root) always open.
    const TDeviceEntry* owner = nodes::Owner(node);
    if ((owner && owner->Offline) || (node && node == m_tree.offlineRoot()))
        return;
    const bool allowed = (m_current && m_current->LoggedIn) || node == m_tree.root();
    if (!allowed) {
        // Refused for now; the login below may open it.
        setExpandedQuietly(node, false);
    }
    if (!m_current || m_current->LoggedIn || m_current->Offline)
        return;
    // A login is an exchange of its own: not while another command waits for a controller.
    if (busy()) {
        showStatus(kWaitText);
        return;
    }
    LoginCurrentDevice(node);
}

void TMain_Dlg::setExpandedQuietly(QTreeWidgetItem* node, bool expanded) {
    m_expansionApproved = true;
    node->setExpanded(expanded);
    m_expansionApproved = false;
}

bool TMain_Dlg::LoginCurrentDevice(QTreeWidgetItem* node) {
    TDeviceEntry* device = m_current;
    if (!device || device->Offline || m_prompter.runDialog(*m_passwordDialog) != QDialog::Accepted)
        return false;
    const QString userName = m_passwordDialog->userName();
    const QString password = m_passwordDialog->password();
    ops::LoginResult result;
    {
        const CommandScope command = beginCommand();
        result = WhileWaiting([&] { return ops::LogIn(*device, userName, password); });
    }
    if (!result.ok()) {
        ShowNotice(m_prompter, this, result.notice);
        return false;
    }
    setExpandedQuietly(node, true);
    return true;
}

bool TMain_Dlg::onExpandSign(QTreeWidgetItem* node, const QPoint& pos) const {
    return node && pos.x() < m_treeWidget->visualItemRect(node).left();
}

void TMain_Dlg::Main_LVMouseDown(Qt::MouseButton button, const QPoint& pos) {
    QTreeWidgetItem* node = m_treeWidget->itemAt(pos);
    // A left press on a node's expand sign expands it without moving the selection. A right press there
    // is one on the node: it selects it and opens its menu, whose commands act on the selected node.
    if (button != Qt::RightButton && onExpandSign(node, pos))
        return;
    // A press on one of several selected entries keeps them selected: for their menu ("Kopieren") or a drag.
    if (node && node->isSelected() && m_treeWidget->selectedItems().size() > 1)
        m_treeWidget->setCurrentItem(node, 0, QItemSelectionModel::NoUpdate);
    else
        m_treeWidget->setCurrentItem(node);
    if (!node)
        m_treeWidget->clearSelection();
    if (TDeviceEntry* entry = nodes::Device(node))
        m_current = entry;
    if (button == Qt::RightButton && node)
        m_commands->popup(node, m_treeWidget->viewport()->mapToGlobal(pos));
}

void TMain_Dlg::Main_LVKeyDown(int key) {
    if (key == Qt::Key_F2)
        m_commands->startRename(m_treeWidget->currentItem());
}

void TMain_Dlg::keepSelectionInOneFolder() {
    if (m_pruningSelection)
        return;
    QTreeWidgetItem* current = m_treeWidget->currentItem();
    const QList<QTreeWidgetItem*> selected = m_treeWidget->selectedItems();
    if (selected.size() < 2)
        return;
    const TNodeKind kind = nodes::Kind(current);
    const bool records = current && (kind == nkModule || kind == nkTransponder);
    m_pruningSelection = true;
    for (QTreeWidgetItem* node : selected) {
        if (node != current && (!records || node->parent() != current->parent()))
            node->setSelected(false);
    }
    m_pruningSelection = false;
}

bool TMain_Dlg::treeDragEvent(QEvent* event) {
    if (event->type() == QEvent::DragLeave)
        return true;
    auto* drag = static_cast<QDropEvent*>(event);
    QTreeWidgetItem* node = m_treeWidget->itemAt(drag->position().toPoint());
    // Only a drag of this tree's own entries, onto the folder (or an entry) of the same kind in another
    // configuration whose tables are there.
    const QList<QTreeWidgetItem*> chosen = m_commands->copyableSelection();
    const bool ours = drag->source() == m_treeWidget || drag->source() == nullptr;
    const TDeviceEntry* target = nodes::Owner(node);
    bool fits = ours && !busy() && !chosen.isEmpty() && target && target != nodes::Owner(chosen.front());
    if (fits) {
        const bool transponders = nodes::Kind(chosen.front()) == nkTransponder;
        const TNodeKind kind = nodes::Kind(node);
        fits = transponders ? (kind == nkTransponderFolder || kind == nkTransponder) &&
                                  m_tree.transponderFolder(*target)
                            : (kind == nkModuleFolder || kind == nkModule) && m_tree.moduleFolder(*target);
    }
    if (!fits) {
        drag->ignore();
        return true;
    }
    drag->setDropAction(Qt::CopyAction);
    drag->accept();
    if (event->type() == QEvent::Drop)
        guarded([&] { m_commands->dropOn(node); });
    return true;
}

bool TMain_Dlg::eventFilter(QObject* watched, QEvent* event) {
    if (watched == m_treeWidget->viewport()) {
        switch (event->type()) {
        case QEvent::MouseButtonPress: {
            auto* mouse = static_cast<QMouseEvent*>(event);
            // Ctrl and Shift add to the selection: the view does that.
            const bool extends = mouse->button() == Qt::LeftButton &&
                                 (mouse->modifiers() & (Qt::ControlModifier | Qt::ShiftModifier));
            const QPoint pos = mouse->position().toPoint();
            if (!extends)
                guarded([&] { Main_LVMouseDown(mouse->button(), pos); });
            // The right button opens the menu and leaves the node as it is: not expanded or collapsed by
            // the tree's own handling of a press on the sign.
            if (mouse->button() == Qt::RightButton && onExpandSign(m_treeWidget->itemAt(pos), pos))
                return true;
            break;
        }
        case QEvent::DragEnter:
        case QEvent::DragMove:
        case QEvent::DragLeave:
        case QEvent::Drop:
            return treeDragEvent(event);
        default:
            break;
        }
    }
    if (watched == m_treeWidget && event->type() == QEvent::KeyPress) {
        auto* key = static_cast<QKeyEvent*>(event);
        if (key->key() == Qt::Key_F2) {
            guarded([this] { Main_LVKeyDown(Qt::Key_F2); });
            return true;
        }
        if (key->matches(QKeySequence::Copy)) {
            guarded([this] { m_commands->KopierenClick(); });
            return true;
        }
        if (key->matches(QKeySequence::Paste)) {
            guarded([this] { m_commands->EinfuegenClick(); });
            return true;
        }
    }
    return QMainWindow::eventFilter(watched, event);
}

void TMain_Dlg::tablesCleared(TDeviceEntry& entry) {
    // The editors' records of this controller go with its tables; those of another controller stay.
    forgetEditors(&entry);
    m_tree.removeTableNodes(entry);
}

void TMain_Dlg::tablesLoaded(TDeviceEntry& entry) {
    m_tree.buildTableNodes(entry);
    // Opening the node shows the new table nodes; it is not a user's expansion.
    if (QTreeWidgetItem* config = m_tree.configNode(entry))
        setExpandedQuietly(config, true);
}
