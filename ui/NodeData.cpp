#include "ui/NodeData.h"

namespace nodes {
namespace {

void* Ref(const QTreeWidgetItem* node) {
    return node ? reinterpret_cast<void*>(node->data(0, kRefRole).value<quintptr>()) : nullptr;
}

} // namespace

void SetNodeData(QTreeWidgetItem* node, TNodeKind kind, void* ref) {
    node->setData(0, kKindRole, static_cast<int>(kind));
    node->setData(0, kRefRole, QVariant::fromValue(reinterpret_cast<quintptr>(ref)));
}

bool HasData(const QTreeWidgetItem* node) {
    return node && node->data(0, kKindRole).isValid();
}

TNodeKind Kind(const QTreeWidgetItem* node) {
    return HasData(node) ? static_cast<TNodeKind>(node->data(0, kKindRole).toInt()) : nkNone;
}

TDeviceEntry* Device(const QTreeWidgetItem* node) {
    const TNodeKind kind = Kind(node);
    return (kind >= nkDevice && kind <= nkTransponderFolder) ? static_cast<TDeviceEntry*>(Ref(node))
                                                             : nullptr;
}

TModuleEntry* Module(const QTreeWidgetItem* node) {
    return Kind(node) == nkModule ? static_cast<TModuleEntry*>(Ref(node)) : nullptr;
}

TTransponderEntry* Transponder(const QTreeWidgetItem* node) {
    return Kind(node) == nkTransponder ? static_cast<TTransponderEntry*>(Ref(node)) : nullptr;
}

int PageOf(TNodeKind kind) {
    switch (kind) {
    case nkModule:
        return 8;
    case nkTransponder:
        return 9;
    case nkNone:
        return 0;
    default:
        return static_cast<int>(kind);
    }
}

} // namespace nodes
