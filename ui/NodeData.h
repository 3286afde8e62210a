#pragma once

// What every tree node but the root carries: its kind (which selects the page) and the record it
// stands for.

#include <QTreeWidgetItem>

struct TDeviceEntry;
struct TModuleEntry;
struct TTransponderEntry;

enum TNodeKind : int {
    nkNone = 0, // the root, which carries no data
    nkDevice = 1,
    nkGeneral = 2,
    nkLogbook = 3,
    nkFirmware = 4,
    nkConfiguration = 5,
    nkModuleFolder = 6,
    nkTransponderFolder = 7,
    nkModule = 61,
    nkTransponder = 71,
};

namespace nodes {

constexpr int kKindRole = Qt::UserRole + 1;
constexpr int kRefRole = Qt::UserRole + 2;

void SetNodeData(QTreeWidgetItem* node, TNodeKind kind, void* ref);
TNodeKind Kind(const QTreeWidgetItem* node);
bool HasData(const QTreeWidgetItem* node);
// The entry of a node of kind 1 to 7, else null.
TDeviceEntry* Device(const QTreeWidgetItem* node);
TModuleEntry* Module(const QTreeWidgetItem* node);
TTransponderEntry* Transponder(const QTreeWidgetItem* node);
// The notebook page a kind shows.
int PageOf(TNodeKind kind);

} // namespace nodes
