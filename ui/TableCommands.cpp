#include "ui/TableCommands.h"

#include "data/DeviceEntry.h"
#include "data/NewRecords.h"
#include "device/Conversions.h"
#include "device/Cp1252.h"
#include "ui/DeviceTree.h"
#include "ui/Prompter.h"
#include "ui/pages/PageHost.h"

#include <QAbstractItemDelegate>
#include <QAction>
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
        Transponderlschen1->setEnabled(nodes::Kind(node) == nkTransponder);
        Transponderhinzufgen1->setEnabled(owner->Transponders.size() < std::size_t{kMaxTransponders});
        return PopupMenu1;
    case nkModuleFolder:
    case nkModule:
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
