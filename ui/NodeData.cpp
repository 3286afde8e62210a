#include "ui/NodeData.h"

#include "ui/ImageList.h"

QVariant TDeviceNode::data(int column, int role) const {
    if (column == 0 && role == Qt::DecorationRole)
        return images::icon(m_image);
    return QTreeWidgetItem::data(column, role);
}

namespace nodes {

const TNodeData* Data(const QTreeWidgetItem* node) {
    if (!node || node->type() != TDeviceNode::NodeType)
        return nullptr;
    return &static_cast<const TDeviceNode*>(node)->Data;
}

TNodeKind Kind(const QTreeWidgetItem* node) {
    const TNodeData* data = Data(node);
    return data ? data->Kind : nkNone;
}

TDeviceEntry* Device(const QTreeWidgetItem* node) {
    const TNodeData* data = Data(node);
    return (data && data->Kind >= nkDevice && data->Kind <= nkTransponderFolder) ? data->Device : nullptr;
}

TDeviceEntry* Owner(const QTreeWidgetItem* node) {
    const TNodeData* data = Data(node);
    return data ? data->Device : nullptr;
}

TModuleEntry* Module(const QTreeWidgetItem* node) {
    const TNodeData* data = Data(node);
    return (data && data->Kind == nkModule) ? data->Module : nullptr;
}

TTransponderEntry* Transponder(const QTreeWidgetItem* node) {
    const TNodeData* data = Data(node);
    return (data && data->Kind == nkTransponder) ? data->Transponder : nullptr;
}

int PageOf(TNodeKind kind) {
    switch (kind) {
    case nkModule:
        return 8;
    case nkTransponder:
        return 9;
    case nkNone:
        return 0;
    case nkDevice:
    case nkGeneral:
    case nkLogbook:
    case nkFirmware:
    case nkConfiguration:
    case nkModuleFolder:
    case nkTransponderFolder:
        return static_cast<int>(kind);
    }
    return 0;
}

} // namespace nodes
