#pragma once

// The tree's commands on a controller's tables: the right-button menus with adding and deleting a
// module or a transponder, renaming an entry in place (F2), and copying the selected entries of one
// folder into another configuration's (menu, Ctrl+C / Ctrl+V, or a drag). Every command takes the
// controller from the node it acts on, whichever controller is current, and marks that controller changed.

#include "ops/Paste.h"

#include <QObject>
#include <QString>

#include <memory>

class PageHost;
class QAction;
class QMenu;
class QPoint;
class QTreeWidgetItem;
class QWidget;
class TDeviceTree;
struct TDefaultRestrictions;
struct TDeviceEntry;
struct TModuleEntry;
struct TTransponderEntry;

class TTableCommands : public QObject {
    Q_OBJECT
public:
    // The editor adds entries up to these counts, whatever maxima the controller reports.
    static constexpr int kMaxModules = ops::kMaxListModules;
    static constexpr int kMaxTransponders = ops::kMaxListTransponders;
    ~TTableCommands() override;

    // The menus are children of `window`; new transponders get their restrictions from `defaults`.
    TTableCommands(PageHost& host, TDeviceTree& tree, const TDefaultRestrictions& defaults, QWidget* window);

    // Sets the menu entries for the node: the transponder menu on the "Transponder" folder and its
    // entries, the module menu on the "Module" folder and its entries, no menu elsewhere (null).
    QMenu* prepareMenu(QTreeWidgetItem* node);
    // Opens the node's menu at the screen position (it stays open while the window goes on).
    void popup(QTreeWidgetItem* node, const QPoint& globalPos);

    // The menu commands; each acts on the tree's selected node.
    void Transponderhinzufgen1Click();
    void Transponderlschen1Click();
    void Modulhinzufgen1Click();
    void Modullschen1Click();

    // "Kopieren": the selected entries of one folder (the selected node's folder); "Einfügen": the copied
    // entries into the selected node's configuration, after the plan. Nothing is sent until it is saved.
    void KopierenClick();
    void EinfuegenClick();
    // A drag of the selection ends on `node`: true when it may (a folder or entry of the copied kind in a
    // configuration whose tables are there), and then the drop copies and pastes.
    bool canDropOn(const QTreeWidgetItem* node) const;
    void dropOn(QTreeWidgetItem* node);
    // The selected entries that a copy takes: record nodes of the current node's folder, in table order.
    QList<QTreeWidgetItem*> copyableSelection() const;

    // F2: starts editing the caption of a module or transponder node.
    void startRename(QTreeWidgetItem* node);
    // Only module and transponder nodes can be renamed.
    static bool Main_LVEditing(const QTreeWidgetItem* node);
    // The edited caption becomes the entry's name: at most 19 bytes of Windows-1252 and a zero, the rest
    // of the field as it was; the node shows what was stored.
    void Main_LVEdited(QTreeWidgetItem* node, const QString& text);

    QMenu* PopupMenu1 = nullptr; // transponders
    QMenu* PopupMenu2 = nullptr; // modules
    QAction* Transponderhinzufgen1 = nullptr;
    QAction* Transponderlschen1 = nullptr;
    QAction* Modulhinzufgen1 = nullptr;
    QAction* Modullschen1 = nullptr;
    QAction* Kopieren1 = nullptr; // both menus share the two
    QAction* Einfuegen1 = nullptr;

    static QString deleteTransponderQuestion(const QString& name);
    static QString deleteModuleQuestion(const QString& name);

Q_SIGNALS:
    // A record is about to be freed: the editors drop it if they show it.
    void moduleRemoved(TDeviceEntry& owner, TModuleEntry& module);
    void transponderRemoved(TDeviceEntry& owner, TTransponderEntry& transponder);

private:
    QTreeWidgetItem* selectedNode() const;
    void select(QTreeWidgetItem* node);
    void paste(QTreeWidgetItem* node);

    PageHost& m_host;
    TDeviceTree& m_tree;
    const TDefaultRestrictions& m_defaults;
    QWidget* m_window;
    QTreeWidgetItem* m_renaming = nullptr;
    std::unique_ptr<ops::CopiedEntries> m_copied;
    bool m_copiedTransponders = false;
};
