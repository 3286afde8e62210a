#pragma once

// What every tree node but the root carries: its kind (which selects the page) and what it stands for,
// as typed references: the controller it belongs to (for every kind, the record nodes included) and,
// for a record node, the record.

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

struct TNodeData {
    TNodeKind Kind = nkNone;
    TDeviceEntry* Device = nullptr;           // the controller (every kind)
    TModuleEntry* Module = nullptr;           // kind 61
    TTransponderEntry* Transponder = nullptr; // kind 71
};

// A tree node with its TNodeData. Its picture is the shared image of its kind, handed out when the view
// asks for it rather than stored in every node (a table of ten thousand transponders stays light).
class TDeviceNode : public QTreeWidgetItem {
public:
    static constexpr int NodeType = QTreeWidgetItem::UserType + 1;

    TDeviceNode(const QString& caption, const TNodeData& data, int image)
        : QTreeWidgetItem(QStringList{caption}, NodeType), Data(data), m_image(image) {}

    QVariant data(int column, int role) const override;

    TNodeData Data;

private:
    int m_image;
};

namespace nodes {

// The node's data, or null for the root (and any node without data).
const TNodeData* Data(const QTreeWidgetItem* node);
inline bool HasData(const QTreeWidgetItem* node) {
    return Data(node) != nullptr;
}
TNodeKind Kind(const QTreeWidgetItem* node);
// The entry of a node of kind 1 to 7, else null (the nodes that make their controller current).
TDeviceEntry* Device(const QTreeWidgetItem* node);
// The controller a node of any kind belongs to.
TDeviceEntry* Owner(const QTreeWidgetItem* node);
TModuleEntry* Module(const QTreeWidgetItem* node);
TTransponderEntry* Transponder(const QTreeWidgetItem* node);
// The notebook page a kind shows.
int PageOf(TNodeKind kind);

} // namespace nodes
