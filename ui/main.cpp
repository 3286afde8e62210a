#include "ui/main.h"

#include "device/Conversions.h"
#include "device/Discovery.h"
#include "ui/ErrorHandler.h"
#include "ui/ImageList.h"
#include "ui/Prompter.h"
#include "ui/SettingsStore.h"
#include "ui/manuell.h"
#include "ui/password.h"

#include <QAction>
#include <QCloseEvent>
#include <QDesktopServices>
#include <QGuiApplication>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QProgressBar>
#include <QScreen>
#include <QSplitter>
#include <QStackedWidget>
#include <QStatusBar>
#include <QToolBar>
#include <QTreeWidget>

void TMain_Dlg::guarded(const std::function<void()>& handler) {
    RunGuarded(m_prompter, this, handler);
}

TMain_Dlg::TMain_Dlg(Prompter& prompter, QWidget* parent) : QMainWindow(parent), m_prompter(prompter) {
    setObjectName(QStringLiteral("Main_Dlg"));
    setWindowTitle(ApplicationTitle());
    setWindowFlags(Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                   Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint);
    setMinimumSize(756, 544);
    OpenUrl = [](const QUrl& url) { QDesktopServices::openUrl(url); };

    // FormCreate: the default restrictions, the device list and the one discovery object.
    DefaultRestrictions = settings::LoadDefaultRestrictions();
    buildFrame();
    buildPages();
    setupFtpClient();
    Password_Dlg = new TPassword_Dlg(this);
    Manual_Dlg = new TManual_Dlg(this);

    resize(756, 544);
    if (!settings::RestoreWindowPlacement(*this)) {
        if (const QScreen* screen = QGuiApplication::primaryScreen())
            move(screen->availableGeometry().center() - rect().center());
    }

    m_changeTimer.setSingleShot(true);
    connect(&m_changeTimer, &QTimer::timeout, this,
            [this] { guarded([this] { Main_LVChange(Main_LV->currentItem()); }); });
    Main_NB->setCurrentIndex(0);

    guarded([this] { IPCInfo = std::make_unique<TIPCInfo>(); });
}

TMain_Dlg::~TMain_Dlg() {
    // FormDestroy. Tree nodes point at entries: the tree goes first.
    Main_LV->clear();
    CurrentDevice = nullptr;
    DeviceList.clear();
}

void TMain_Dlg::buildFrame() {
    ToolBar1 = addToolBar(QStringLiteral("Werkzeuge"));
    ToolBar1->setObjectName(QStringLiteral("ToolBar1"));
    ToolBar1->setMovable(false);
    ToolBar1->setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
    Beenden = ToolBar1->addAction(images::exitIcon(), QStringLiteral("Beenden"));
    Beenden->setObjectName(QStringLiteral("Beenden"));
    Beenden->setToolTip(QStringLiteral("Programm beenden"));
    Beenden->setStatusTip(QStringLiteral("Programm beenden"));
    Aktualisieren = ToolBar1->addAction(images::refreshIcon(), QStringLiteral("Aktualisieren"));
    Aktualisieren->setObjectName(QStringLiteral("Aktualisieren"));
    Aktualisieren->setToolTip(QStringLiteral("Suche nach Kelvora starten"));
    Aktualisieren->setStatusTip(QStringLiteral("Suche nach Kelvora starten"));
    Manuell = ToolBar1->addAction(images::manualIcon(), QStringLiteral("Manuell"));
    Manuell->setObjectName(QStringLiteral("Manuell"));
    Manuell->setToolTip(QStringLiteral("Kelvora compact manuell hinzufügen"));
    Manuell->setStatusTip(QStringLiteral("Kelvora compact manuell hinzufügen"));
    connect(Beenden, &QAction::triggered, this, [this] { guarded([this] { Beenden1Click(); }); });
    connect(Aktualisieren, &QAction::triggered, this, [this] { guarded([this] { Aktualisieren1Click(); }); });
    connect(Manuell, &QAction::triggered, this, [this] { guarded([this] { ManuellClick(); }); });

    auto* splitter = new QSplitter(Qt::Horizontal, this);
    splitter->setObjectName(QStringLiteral("Splitter1"));
    Main_LV = new QTreeWidget(splitter);
    Main_LV->setObjectName(QStringLiteral("Main_LV"));
    Main_LV->setHeaderHidden(true);
    Main_LV->setColumnCount(1);
    Main_LV->setEditTriggers(QAbstractItemView::NoEditTriggers);
    Main_LV->setMouseTracking(true); // hot tracking
    Main_LV->setIconSize(QSize(16, 16));
    Main_LV->setMinimumWidth(180);
    // Long names scroll sideways instead of being cut.
    Main_LV->header()->setSectionResizeMode(0, QHeaderView::ResizeToContents);
    Main_LV->header()->setStretchLastSection(false);
    Main_LV->viewport()->installEventFilter(this);
    connect(Main_LV, &QTreeWidget::currentItemChanged, this, [this] {
        if (ChangeDelayMs > 0)
            m_changeTimer.start(ChangeDelayMs);
        else
            guarded([this] { Main_LVChange(Main_LV->currentItem()); });
    });
    connect(Main_LV, &QTreeWidget::itemExpanded, this, [this](QTreeWidgetItem* node) {
        if (m_expansionApproved)
            return;
        guarded([this, node] { Main_LVExpanding(node); });
    });

    Main_NB = new QStackedWidget(splitter);
    Main_NB->setObjectName(QStringLiteral("Main_NB"));
    splitter->addWidget(Main_LV);
    splitter->addWidget(Main_NB);
    splitter->setStretchFactor(0, 0);
    splitter->setStretchFactor(1, 1);
    splitter->setSizes({220, 536});
    setCentralWidget(splitter);

    StatusBar1 = statusBar();
    StatusBar1->setObjectName(QStringLiteral("StatusBar1"));
    ProgressBar1 = new QProgressBar(this);
    ProgressBar1->setObjectName(QStringLiteral("ProgressBar1"));
    ProgressBar1->setRange(0, 100);
    ProgressBar1->setValue(0);
    ProgressBar1->setTextVisible(false);
    ProgressBar1->setMaximumWidth(220);
    StatusBar1->addPermanentWidget(ProgressBar1);
}

void TMain_Dlg::showEvent(QShowEvent* event) {
    QMainWindow::showEvent(event);
    if (!m_shownOnce) {
        m_shownOnce = true;
        // After the window has painted, so the search runs in a visible window.
        QTimer::singleShot(0, this, [this] { guarded([this] { FormShow(); }); });
    }
}

void TMain_Dlg::FormShow() {
    Aktualisieren1Click();
}

void TMain_Dlg::closeEvent(QCloseEvent* event) {
    if (Busy()) {
        // A command still waits for a controller and works on an entry: close when it is done.
        m_closePending = true;
        event->ignore();
        return;
    }
    // FormClose: the default restrictions and the window position are written on every close.
    settings::SaveDefaultRestrictions(DefaultRestrictions);
    settings::SaveWindowPlacement(*this);
    discardDevices();
    event->accept();
}

void TMain_Dlg::finishPendingClose() {
    if (m_closePending && !Busy()) {
        m_closePending = false;
        QTimer::singleShot(0, this, &QWidget::close);
    }
}

void TMain_Dlg::updateCommandStates() {
    Aktualisieren->setEnabled(!Busy());
    Manuell->setEnabled(!Busy());
}

void TMain_Dlg::Beenden1Click() {
    close();
}

void TMain_Dlg::discardDevices() {
    CurrentDevice = nullptr;
    CurrentModule = nullptr;
    CurrentTransponder = nullptr;
    Main_LV->clear();
    DeviceList.clear();
}

void TMain_Dlg::addDeviceNodes(TDeviceEntry* entry) {
    QTreeWidgetItem* root = Main_LV->topLevelItem(0);
    auto* device = new QTreeWidgetItem(root, {entry->Name});
    device->setIcon(0, images::icon(images::Device));
    nodes::SetNodeData(device, nkDevice, entry);
    const struct {
        const char* caption;
        TNodeKind kind;
        int image;
    } children[] = {
        {"Allgemeines", nkGeneral, images::Page},
        {"Logbuch", nkLogbook, images::Page},
        {"Firmwareupdate", nkFirmware, images::Page},
        {"Konfiguration", nkConfiguration, images::Configuration},
    };
    for (const auto& child : children) {
        auto* node = new QTreeWidgetItem(device, {QString::fromUtf8(child.caption)});
        node->setIcon(0, images::icon(child.image));
        nodes::SetNodeData(node, child.kind, entry);
        if (child.kind == nkConfiguration)
            entry->ConfigNode = node;
    }
}

void TMain_Dlg::Aktualisieren1Click() {
    if (Busy())
        return;
    BusyScope busy(*this);
    discardDevices();
    auto* root = new QTreeWidgetItem(Main_LV, {QStringLiteral("Gefundene Systeme")});
    root->setIcon(0, images::icon(images::Root));

    QStringList replies;
    if (!IPCInfo || !IPCInfo->FindDevices(replies)) {
        m_prompter.message(this, QStringLiteral("Es wurden keine Kelvora compact gefunden."),
                           MsgIcon::Warning);
        return;
    }
    for (const QString& reply : replies) {
        const TDeviceReply parsed = TIPCInfo::ParseDeviceReply(reply);
        auto entry = std::make_unique<TDeviceEntry>();
        entry->Serial = parsed.Serial;
        entry->DHCP = parsed.DHCP;
        entry->IPAddress = parsed.IPAddress;
        entry->SubnetMask = parsed.SubnetMask;
        entry->Gateway = parsed.Gateway;
        entry->Name = parsed.Name;
        entry->LoggedIn = false;
        DeviceList.push_back(std::move(entry));
        addDeviceNodes(DeviceList.back().get());
        root->setExpanded(true);
    }
}

void TMain_Dlg::ManuellClick() {
    if (Busy())
        return;
    if (m_prompter.runDialog(*Manual_Dlg) != QDialog::Accepted)
        return;
    discardDevices();
    auto* root = new QTreeWidgetItem(Main_LV, {QStringLiteral("Gefundene Systeme")});
    root->setIcon(0, images::icon(images::Root));

    auto entry = std::make_unique<TDeviceEntry>();
    entry->Serial = HexStrToInt(Manual_Dlg->Serial_ED->text());
    entry->DHCP = false;
    entry->IPAddress = Manual_Dlg->IPAddr_ED->text().left(15);
    entry->SubnetMask = QStringLiteral("255.255.255.255");
    entry->Gateway = QStringLiteral("0.0.0.0");
    entry->Name = QStringLiteral("Manuell");
    entry->LoggedIn = false;
    DeviceList.push_back(std::move(entry));
    addDeviceNodes(DeviceList.back().get());
}

void TMain_Dlg::Main_LVChange(QTreeWidgetItem* node) {
    if (!node)
        return;
    if (!nodes::HasData(node)) {
        Main_NB->setCurrentIndex(0);
        return;
    }
    const TNodeKind kind = nodes::Kind(node);
    Main_NB->setCurrentIndex(nodes::PageOf(kind));
    if (TDeviceEntry* entry = nodes::Device(node))
        CurrentDevice = entry;
    switch (kind) {
    case nkDevice:
        FillIPConfigPage();
        break;
    case nkGeneral:
        FillGeneralPage();
        break;
    case nkConfiguration:
        FillConfigurationPage();
        break;
    default:
        break;
    }
}

void TMain_Dlg::Main_LVExpanding(QTreeWidgetItem* node) {
    Main_LVChange(node);
    const bool allowed = (CurrentDevice && CurrentDevice->LoggedIn) || node == Main_LV->topLevelItem(0);
    if (!allowed) {
        // Refused for now; the login below may open it.
        setExpandedQuietly(node, false);
    }
    // A login is an exchange of its own: not while another command waits for a controller.
    if (CurrentDevice && !CurrentDevice->LoggedIn && !Busy())
        LoginCurrentDevice(node);
}

void TMain_Dlg::setExpandedQuietly(QTreeWidgetItem* node, bool expanded) {
    m_expansionApproved = true;
    node->setExpanded(expanded);
    m_expansionApproved = false;
}

void TMain_Dlg::Main_LVMouseDown(Qt::MouseButton button, const QPoint& pos) {
    Q_UNUSED(button);
    QTreeWidgetItem* node = Main_LV->itemAt(pos);
    // A press on a node's expand sign expands it without moving the selection.
    if (node && pos.x() < Main_LV->visualItemRect(node).left())
        return;
    Main_LV->setCurrentItem(node);
    if (!node)
        Main_LV->clearSelection();
    if (TDeviceEntry* entry = nodes::Device(node))
        CurrentDevice = entry;
}

bool TMain_Dlg::eventFilter(QObject* watched, QEvent* event) {
    if (watched == Main_LV->viewport() && event->type() == QEvent::MouseButtonPress) {
        auto* mouse = static_cast<QMouseEvent*>(event);
        guarded([&] { Main_LVMouseDown(mouse->button(), mouse->position().toPoint()); });
    }
    return QMainWindow::eventFilter(watched, event);
}

void TMain_Dlg::StartWeb_BTNClick() {
    if (!CurrentDevice)
        return;
    OpenUrl(QUrl(QStringLiteral("http://%1").arg(CurrentDevice->IPAddress)));
}

void TMain_Dlg::WebLinkClick(QLabel* label) {
    OpenUrl(QUrl(label->text()));
}
