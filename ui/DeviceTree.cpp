#include "ui/DeviceTree.h"

#include "data/DeviceEntry.h"
#include "device/Conversions.h"
#include "ops/Offline.h"
#include "ui/ImageList.h"

#include <QTreeWidget>

namespace {

TDeviceNode* makeNode(const QString& caption, int image, const TNodeData& data) {
    return new TDeviceNode(caption, data, image);
}

// Names are 20-byte fields; the node shows the characters before the first NUL.
QString recordCaption(const std::uint8_t* name) {
    return CharsToStr(name, 19);
}

} // namespace

TDeviceTree::TDeviceTree(QTreeWidget* tree) : m_tree(tree) {}

void TDeviceTree::clear() {
    m_nodes.clear();
    m_tree->clear();
    m_foundRoot = nullptr;
    m_offlineRoot = nullptr;
}

void TDeviceTree::clearFound() {
    for (auto it = m_nodes.begin(); it != m_nodes.end();) {
        if (it->first->Offline)
            ++it;
        else
            it = m_nodes.erase(it);
    }
    delete m_foundRoot;
    m_foundRoot = nullptr;
}

QTreeWidgetItem* TDeviceTree::reset() {
    clearFound();
    m_foundRoot = new QTreeWidgetItem(QStringList{QStringLiteral("Gefundene Systeme")});
    m_foundRoot->setIcon(0, images::icon(images::Root));
    m_tree->insertTopLevelItem(0, m_foundRoot);
    // No node is current until the user picks one. Said explicitly: a rebuilt view that gets the focus
    // back (after the password dialog, say) would otherwise make its first node current, and that page
    // would replace the one just shown.
    m_tree->setCurrentItem(nullptr);
    return m_foundRoot;
}

QTreeWidgetItem* TDeviceTree::root() const {
    return m_foundRoot;
}

QTreeWidgetItem* TDeviceTree::addOffline(TDeviceEntry& entry) {
    if (!m_offlineRoot) {
        m_offlineRoot = new QTreeWidgetItem(QStringList{QStringLiteral("Offline-Konfigurationen")});
        m_offlineRoot->setIcon(0, images::icon(images::Root));
        m_tree->addTopLevelItem(m_offlineRoot);
    }
    Nodes& nodes = m_nodes[&entry];
    nodes.device = makeNode(ops::OfflineCaption(entry), images::Configuration, {nkConfiguration, &entry});
    nodes.config = nodes.device;
    m_offlineRoot->addChild(nodes.device);
    m_offlineRoot->setExpanded(true);
    buildTableNodes(entry);
    return nodes.device;
}

void TDeviceTree::removeOffline(const TDeviceEntry& entry) {
    const auto it = m_nodes.find(&entry);
    if (it == m_nodes.end())
        return;
    delete it->second.device;
    m_nodes.erase(it);
    if (m_offlineRoot && m_offlineRoot->childCount() == 0) {
        delete m_offlineRoot;
        m_offlineRoot = nullptr;
    }
}

QTreeWidgetItem* TDeviceTree::addDevice(TDeviceEntry& entry) {
    Nodes& nodes = m_nodes[&entry];
    nodes.device = makeNode(entry.Name, images::Device, {nkDevice, &entry});
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
        TDeviceNode* node = makeNode(QString::fromUtf8(child.caption), child.image, {child.kind, &entry});
        nodes.device->addChild(node);
        if (child.kind == nkConfiguration)
            nodes.config = node;
    }
    root()->addChild(nodes.device);
    return nodes.device;
}

const TDeviceTree::Nodes* TDeviceTree::nodesOf(const TDeviceEntry& entry) const {
    const auto it = m_nodes.find(&entry);
    return it == m_nodes.end() ? nullptr : &it->second;
}

QTreeWidgetItem* TDeviceTree::deviceNode(const TDeviceEntry& entry) const {
    const Nodes* nodes = nodesOf(entry);
    return nodes ? nodes->device : nullptr;
}

QTreeWidgetItem* TDeviceTree::configNode(const TDeviceEntry& entry) const {
    const Nodes* nodes = nodesOf(entry);
    return nodes ? nodes->config : nullptr;
}

QTreeWidgetItem* TDeviceTree::moduleFolder(const TDeviceEntry& entry) const {
    const Nodes* nodes = nodesOf(entry);
    return nodes ? nodes->moduleFolder : nullptr;
}

QTreeWidgetItem* TDeviceTree::transponderFolder(const TDeviceEntry& entry) const {
    const Nodes* nodes = nodesOf(entry);
    return nodes ? nodes->transponderFolder : nullptr;
}

void TDeviceTree::removeTableNodes(TDeviceEntry& entry) {
    const auto it = m_nodes.find(&entry);
    if (it == m_nodes.end())
        return;
    delete it->second.moduleFolder;
    it->second.moduleFolder = nullptr;
    delete it->second.transponderFolder;
    it->second.transponderFolder = nullptr;
}

void TDeviceTree::buildTableNodes(TDeviceEntry& entry) {
    const auto it = m_nodes.find(&entry);
    if (it == m_nodes.end() || !it->second.config)
        return;
    Nodes& nodes = it->second;
    removeTableNodes(entry);
    nodes.moduleFolder = makeNode(QStringLiteral("Module"), images::ModuleFolder, {nkModuleFolder, &entry});
    nodes.transponderFolder =
        makeNode(QStringLiteral("Transponder"), images::TransponderFolder, {nkTransponderFolder, &entry});
    // Children are gathered first and handed over in one call: one model update instead of one per node.
    QList<QTreeWidgetItem*> children;
    children.reserve(static_cast<qsizetype>(entry.Modules.size()));
    for (const auto& module : entry.Modules)
        children << makeNode(recordCaption(module->Name), images::Module, {nkModule, &entry, module.get()});
    nodes.moduleFolder->addChildren(children);
    children.clear();
    children.reserve(static_cast<qsizetype>(entry.Transponders.size()));
    for (const auto& transponder : entry.Transponders)
        children << makeNode(recordCaption(transponder->Name), images::Transponder,
                             {nkTransponder, &entry, nullptr, transponder.get()});
    nodes.transponderFolder->addChildren(children);
    nodes.config->addChild(nodes.moduleFolder);
    nodes.config->addChild(nodes.transponderFolder);
}

QTreeWidgetItem* TDeviceTree::addModuleNode(TDeviceEntry& entry, TModuleEntry& module) {
    QTreeWidgetItem* folder = moduleFolder(entry);
    if (!folder)
        return nullptr;
    TDeviceNode* node = makeNode(recordCaption(module.Name), images::Module, {nkModule, &entry, &module});
    folder->addChild(node);
    return node;
}

QTreeWidgetItem* TDeviceTree::addTransponderNode(TDeviceEntry& entry, TTransponderEntry& transponder) {
    QTreeWidgetItem* folder = transponderFolder(entry);
    if (!folder)
        return nullptr;
    TDeviceNode* node = makeNode(recordCaption(transponder.Name), images::Transponder,
                                 {nkTransponder, &entry, nullptr, &transponder});
    folder->addChild(node);
    return node;
}
