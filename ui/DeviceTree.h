#pragma once

// The nodes of the device tree and which controller they belong to. The tree mirrors the device list:
// one device node per entry with its four children, and, once the tables are loaded, the "Module" and
// "Transponder" folders with one node per record in table order. The entries themselves know nothing
// of the tree; this map is the one place that connects the two.

#include "ui/NodeData.h"

#include <unordered_map>

class QTreeWidget;
class QTreeWidgetItem;
struct TDeviceEntry;
struct TModuleEntry;
struct TTransponderEntry;

class TDeviceTree {
public:
    explicit TDeviceTree(QTreeWidget* tree);

    QTreeWidget* widget() const { return m_tree; }

    // Removes the found systems and adds the root "Gefundene Systeme" anew, first in the tree; the
    // offline configurations stay below it.
    QTreeWidgetItem* reset();
    // Removes the found systems with their root (before their entries go away); the offline ones stay.
    void clearFound();
    // Empties the tree entirely (before the entries go away).
    void clear();
    QTreeWidgetItem* root() const;
    // "Offline-Konfigurationen", present while the tree holds one.
    QTreeWidgetItem* offlineRoot() const { return m_offlineRoot; }

    // An offline configuration: one node that is its "Konfiguration" node, with the "Module" and
    // "Transponder" folders of its tables, under "Offline-Konfigurationen".
    QTreeWidgetItem* addOffline(TDeviceEntry& entry);
    // Removes an offline configuration's nodes (and the offline root with the last one).
    void removeOffline(const TDeviceEntry& entry);

    // The device node under the root with "Allgemeines", "Logbuch", "Firmwareupdate", "Konfiguration".
    QTreeWidgetItem* addDevice(TDeviceEntry& entry);

    QTreeWidgetItem* deviceNode(const TDeviceEntry& entry) const;
    QTreeWidgetItem* configNode(const TDeviceEntry& entry) const;
    // Present after a load; null before.
    QTreeWidgetItem* moduleFolder(const TDeviceEntry& entry) const;
    QTreeWidgetItem* transponderFolder(const TDeviceEntry& entry) const;

    // Removes the two folders with their record nodes.
    void removeTableNodes(TDeviceEntry& entry);
    // The two folders under "Konfiguration" and one node per record of each table.
    void buildTableNodes(TDeviceEntry& entry);
    // One more record node, last under its folder.
    QTreeWidgetItem* addModuleNode(TDeviceEntry& entry, TModuleEntry& module);
    QTreeWidgetItem* addTransponderNode(TDeviceEntry& entry, TTransponderEntry& transponder);

private:
    struct Nodes {
        QTreeWidgetItem* device = nullptr;
        QTreeWidgetItem* config = nullptr;
        QTreeWidgetItem* moduleFolder = nullptr;
        QTreeWidgetItem* transponderFolder = nullptr;
    };
    const Nodes* nodesOf(const TDeviceEntry& entry) const;

    QTreeWidget* m_tree;
    QTreeWidgetItem* m_foundRoot = nullptr;
    QTreeWidgetItem* m_offlineRoot = nullptr;
    std::unordered_map<const TDeviceEntry*, Nodes> m_nodes;
};
