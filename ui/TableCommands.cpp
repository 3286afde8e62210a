#include "ui/TableCommands.h"

#include "data/DeviceEntry.h"
#include "data/NewRecords.h"
#include "device/Conversions.h"
#include "device/Cp1252.h"
#include "ops/Paste.h"
#include "ui/DeviceTree.h"
#include "ui/Prompter.h"
#include "ui/dialogs/PastePlanDialog.h"
#include "ui/pages/PageHost.h"

#include <QAbstractItemDelegate>
#include <QAction>
#include <QKeySequence>
#include <QMenu>
#include <QTreeWidget>

#include <algorithm>
#include <cstring>
#include <utility>

namespace {

QString nameOf(const std::uint8_t* name) {
    return CharsToStr(name, 19);
}

// Takes the record out of its table (the gap closes) and hands it over, so that it outlives its node.
template <typename Record> std::unique_ptr<Record> takeOut(RecordList<Record>& table, const Record* record) {
    const auto it =
        std::find_if(table.begin(), table.end(), [record](const auto& r) { return r.get() == record; });
    if (it == table.end())
        return nullptr;
    std::unique_ptr<Record> taken = std::move(*it);
    table.erase(it);
    return taken;
}

} // namespace

TTableCommands::TTableCommands(PageHost& host, TDeviceTree& tree, const TDefaultRestrictions& defaults,
                               QWidget* window)
    : QObject(window), m_host(host), m_tree(tree), m_defaults(defaults), m_window(window) {
    PopupMenu1 = new QMenu(window);
    PopupMenu1->setObjectName(QStringLiteral("PopupMenu1"));
    Transponderhinzufgen1 = PopupMenu1->addAction(QStringLiteral("Transponder hinzufügen"));
    Transponderhinzufgen1->setObjectName(QStringLiteral("Transponderhinzufgen1"));
    Transponderlschen1 = PopupMenu1->addAction(QStringLiteral("Transponder löschen"));
    Transponderlschen1->setObjectName(QStringLiteral("Transponderlschen1"));
    PopupMenu2 = new QMenu(window);
    PopupMenu2->setObjectName(QStringLiteral("PopupMenu2"));
    Modulhinzufgen1 = PopupMenu2->addAction(QStringLiteral("Modul hinzufügen"));
    Modulhinzufgen1->setObjectName(QStringLiteral("Modulhinzufgen1"));
    Modullschen1 = PopupMenu2->addAction(QStringLiteral("Modul löschen"));
    Modullschen1->setObjectName(QStringLiteral("Modullschen1"));

    Kopieren1 = new QAction(QStringLiteral("Kopieren"), window);
    Kopieren1->setObjectName(QStringLiteral("Kopieren1"));
    Kopieren1->setShortcut(QKeySequence::Copy);
    Einfuegen1 = new QAction(QStringLiteral("Einfügen"), window);
    Einfuegen1->setObjectName(QStringLiteral("Einfuegen1"));
    Einfuegen1->setShortcut(QKeySequence::Paste);
    for (QMenu* menu : {PopupMenu1, PopupMenu2}) {
        menu->addSeparator();
        menu->addAction(Kopieren1);
        menu->addAction(Einfuegen1);
    }
    pages::Connect(m_host, Kopieren1, this, &TTableCommands::KopierenClick, window);
    pages::Connect(m_host, Einfuegen1, this, &TTableCommands::EinfuegenClick, window);

    pages::Connect(m_host, Transponderhinzufgen1, this, &TTableCommands::Transponderhinzufgen1Click, window);
    pages::Connect(m_host, Transponderlschen1, this, &TTableCommands::Transponderlschen1Click, window);
    pages::Connect(m_host, Modulhinzufgen1, this, &TTableCommands::Modulhinzufgen1Click, window);
    pages::Connect(m_host, Modullschen1, this, &TTableCommands::Modullschen1Click, window);

    connect(tree.widget(), &QTreeWidget::itemChanged, this, [this](QTreeWidgetItem* node, int) {
        if (node != m_renaming)
            return;
        m_renaming = nullptr;
        node->setFlags(node->flags() & ~Qt::ItemIsEditable);
        Main_LVEdited(node, node->text(0));
    });
    // Editing ended without a new text (Esc, or the same text): the node is not editable again.
    connect(tree.widget()->itemDelegate(), &QAbstractItemDelegate::closeEditor, this, [this] {
        if (QTreeWidgetItem* node = std::exchange(m_renaming, nullptr))
            node->setFlags(node->flags() & ~Qt::ItemIsEditable);
    });
}

TTableCommands::~TTableCommands() = default;

QString TTableCommands::deleteTransponderQuestion(const QString& name) {
    return QStringLiteral("Wollen Sie den Transponder \"%1\" wirklich löschen ?").arg(name);
}

QString TTableCommands::deleteModuleQuestion(const QString& name) {
    return QStringLiteral("Wollen Sie das Modul \"%1\" wirklich löschen ?").arg(name);
}

QMenu* TTableCommands::prepareMenu(QTreeWidgetItem* node) {
    const TDeviceEntry* owner = nodes::Owner(node);
    if (!owner)
        return nullptr;
    switch (nodes::Kind(node)) {
    case nkTransponderFolder:
    case nkTransponder:
        Kopieren1->setEnabled(nodes::Kind(node) == nkTransponder);
        Einfuegen1->setEnabled(canDropOn(node));
        Transponderlschen1->setEnabled(nodes::Kind(node) == nkTransponder);
        Transponderhinzufgen1->setEnabled(owner->Transponders.size() < std::size_t{kMaxTransponders});
        return PopupMenu1;
    case nkModuleFolder:
    case nkModule:
        Kopieren1->setEnabled(nodes::Kind(node) == nkModule);
        Einfuegen1->setEnabled(canDropOn(node));
        Modullschen1->setEnabled(nodes::Kind(node) == nkModule);
        Modulhinzufgen1->setEnabled(owner->Modules.size() < std::size_t{kMaxModules});
        return PopupMenu2;
    default:
        return nullptr;
    }
}

void TTableCommands::popup(QTreeWidgetItem* node, const QPoint& globalPos) {
    if (QMenu* menu = prepareMenu(node))
        menu->popup(globalPos);
}

QTreeWidgetItem* TTableCommands::selectedNode() const {
    return m_tree.widget()->currentItem();
}

void TTableCommands::select(QTreeWidgetItem* node) {
    m_tree.widget()->setCurrentItem(node);
}

void TTableCommands::Transponderhinzufgen1Click() {
    QTreeWidgetItem* node = selectedNode();
    const TNodeKind kind = nodes::Kind(node);
    TDeviceEntry* owner = nodes::Owner(node);
    if (!owner || (kind != nkTransponderFolder && kind != nkTransponder) ||
        owner->Transponders.size() >= std::size_t{kMaxTransponders} || !m_tree.transponderFolder(*owner))
        return;
    owner->Transponders.push_back(std::make_unique<TTransponderEntry>(
        NewTransponder(m_defaults, StoresBinaryCodes(*owner) ? CodeForm::Binary : CodeForm::Text)));
    owner->Changed = true;
    select(m_tree.addTransponderNode(*owner, *owner->Transponders.back()));
}

void TTableCommands::Modulhinzufgen1Click() {
    QTreeWidgetItem* node = selectedNode();
    const TNodeKind kind = nodes::Kind(node);
    TDeviceEntry* owner = nodes::Owner(node);
    if (!owner || (kind != nkModuleFolder && kind != nkModule) ||
        owner->Modules.size() >= std::size_t{kMaxModules} || !m_tree.moduleFolder(*owner))
        return;
    owner->Modules.push_back(std::make_unique<TModuleEntry>(NewModule()));
    owner->Changed = true;
    select(m_tree.addModuleNode(*owner, *owner->Modules.back()));
}

void TTableCommands::Transponderlschen1Click() {
    QTreeWidgetItem* node = selectedNode();
    TDeviceEntry* owner = nodes::Owner(node);
    TTransponderEntry* transponder = nodes::Transponder(node);
    if (!owner || !transponder)
        return;
    if (!m_host.prompter().question(m_window, deleteTransponderQuestion(nameOf(transponder->Name)),
                                    MsgIcon::Warning))
        return;
    const std::unique_ptr<TTransponderEntry> removed = takeOut(owner->Transponders, transponder);
    if (!removed)
        return;
    owner->Changed = true;
    Q_EMIT transponderRemoved(*owner, *transponder);
    delete node;
}

void TTableCommands::Modullschen1Click() {
    QTreeWidgetItem* node = selectedNode();
    TDeviceEntry* owner = nodes::Owner(node);
    TModuleEntry* module = nodes::Module(node);
    if (!owner || !module)
        return;
    if (!m_host.prompter().question(m_window, deleteModuleQuestion(nameOf(module->Name)), MsgIcon::Warning))
        return;
    // The transponders' slots keep the address: the controller matches modules by address only.
    const std::unique_ptr<TModuleEntry> removed = takeOut(owner->Modules, module);
    if (!removed)
        return;
    owner->Changed = true;
    Q_EMIT moduleRemoved(*owner, *module);
    delete node;
}

bool TTableCommands::Main_LVEditing(const QTreeWidgetItem* node) {
    const TNodeKind kind = nodes::Kind(node);
    return kind == nkModule || kind == nkTransponder;
}

void TTableCommands::startRename(QTreeWidgetItem* node) {
    if (!node || !Main_LVEditing(node))
        return;
    node->setFlags(node->flags() | Qt::ItemIsEditable);
    m_renaming = node;
    m_tree.widget()->editItem(node, 0);
}

void TTableCommands::Main_LVEdited(QTreeWidgetItem* node, const QString& text) {
    std::uint8_t* name = nullptr;
    if (TModuleEntry* module = nodes::Module(node))
        name = module->Name;
    else if (TTransponderEntry* transponder = nodes::Transponder(node))
        name = transponder->Name;
    TDeviceEntry* owner = nodes::Owner(node);
    if (!name || !owner)
        return;
    const QByteArray bytes = ToAnsi(text).left(19);
    std::uint8_t old[20];
    std::memcpy(old, name, sizeof old);
    std::memcpy(name, bytes.constData(), static_cast<std::size_t>(bytes.size()));
    name[bytes.size()] = 0;
    if (std::memcmp(old, name, sizeof old) != 0)
        owner->Changed = true;
    const QString stored = nameOf(name);
    if (node->text(0) != stored)
        node->setText(0, stored);
}

namespace {

bool isRecord(TNodeKind kind) {
    return kind == nkModule || kind == nkTransponder;
}

// The configuration's tables are there (loaded, or an offline configuration) and the node's folder holds
// entries of that kind.
bool holdsTransponders(TNodeKind kind) {
    return kind == nkTransponderFolder || kind == nkTransponder;
}
bool holdsModules(TNodeKind kind) {
    return kind == nkModuleFolder || kind == nkModule;
}

QString targetLabel(const TDeviceEntry& entry) {
    return entry.Offline ? entry.Name + QStringLiteral(" (offline)")
                         : entry.Name + QStringLiteral(" (") + entry.IPAddress + QLatin1Char(')');
}

} // namespace

QList<QTreeWidgetItem*> TTableCommands::copyableSelection() const {
    const QTreeWidgetItem* current = selectedNode();
    if (!current || !isRecord(nodes::Kind(current)))
        return {};
    QList<QTreeWidgetItem*> chosen;
    const QTreeWidgetItem* folder = current->parent();
    for (int i = 0; folder && i < folder->childCount(); ++i) {
        QTreeWidgetItem* child = folder->child(i);
        if (child->isSelected())
            chosen << child;
    }
    if (chosen.isEmpty() && current->isSelected())
        chosen << const_cast<QTreeWidgetItem*>(current);
    return chosen;
}

void TTableCommands::KopierenClick() {
    const QList<QTreeWidgetItem*> chosen = copyableSelection();
    const TDeviceEntry* owner = nodes::Owner(selectedNode());
    if (chosen.isEmpty() || !owner)
        return;
    std::vector<const TModuleEntry*> modules;
    std::vector<const TTransponderEntry*> transponders;
    for (const QTreeWidgetItem* node : chosen) {
        if (const TModuleEntry* module = nodes::Module(node))
            modules.push_back(module);
        else if (const TTransponderEntry* transponder = nodes::Transponder(node))
            transponders.push_back(transponder);
    }
    m_copied = std::make_unique<ops::CopiedEntries>(ops::CopyEntries(*owner, modules, transponders));
    m_copiedTransponders = !transponders.empty();
    m_host.showStatus(m_copiedTransponders
                          ? QStringLiteral("%1 Transponder kopiert.").arg(transponders.size())
                          : QStringLiteral("%1 Module kopiert.").arg(modules.size()));
}

bool TTableCommands::canDropOn(const QTreeWidgetItem* node) const {
    const TDeviceEntry* owner = nodes::Owner(node);
    if (!m_copied || m_copied->empty() || !owner)
        return false;
    const TNodeKind kind = nodes::Kind(node);
    return m_copiedTransponders ? holdsTransponders(kind) && m_tree.transponderFolder(*owner)
                                : holdsModules(kind) && m_tree.moduleFolder(*owner);
}

void TTableCommands::EinfuegenClick() {
    paste(selectedNode());
}

void TTableCommands::dropOn(QTreeWidgetItem* node) {
    KopierenClick();
    paste(node);
}

void TTableCommands::paste(QTreeWidgetItem* node) {
    if (m_host.busy() || !canDropOn(node))
        return;
    TDeviceEntry* owner = nodes::Owner(node);
    const ops::CopiedEntries& copied = *m_copied;
    TPastePlan_Dlg dialog(
        targetLabel(*owner), m_copiedTransponders,
        [owner, &copied](bool update) { return ops::PlanPaste(*owner, copied, update); }, m_window);
    if (m_host.prompter().runDialog(dialog) != QDialog::Accepted)
        return;
    ops::PastePlan& plan = dialog.plan();
    if (!plan.changesAnything())
        return;
    const QString counts = ops::PasteCounts(plan);
    // The tree and the editors let go of the target's records before the plan's tables replace them.
    m_host.tablesCleared(*owner);
    ops::ApplyPaste(*owner, plan);
    m_host.tablesLoaded(*owner);
    QTreeWidgetItem* folder =
        m_copiedTransponders ? m_tree.transponderFolder(*owner) : m_tree.moduleFolder(*owner);
    if (folder) {
        folder->setExpanded(true);
        select(folder);
    }
    m_host.showStatus(QStringLiteral("Eingefügt (%1). Gesendet wird erst beim Speichern.").arg(counts));
}
