#pragma once

// Page "TransNode", shown for a controller's "Transponder" node: the default restrictions that new
// transponders may get. The block is one for the whole program (the window keeps it and stores it
// between runs); module slots hold bare addresses, so the defaults select modules by address on every
// controller.

#include <QWidget>

#include <memory>

class PageHost;
class QCheckBox;
class QListWidgetItem;
class RestrictionControls;
struct TDefaultRestrictions;
struct TDeviceEntry;

namespace Ui {
class TransponderDefaultsPageForm;
}

class TTransponderDefaultsPage : public QWidget {
    Q_OBJECT
public:
    TTransponderDefaultsPage(PageHost& host, QWidget* parent = nullptr);
    ~TTransponderDefaultsPage() override;

    // Shows the block; the module list offers the modules of the current controller. Showing writes
    // nothing.
    void showRecord(TDefaultRestrictions& block);
    // The same with the modules of the given controller (none when null).
    void showRecord(TDefaultRestrictions& block, const TDeviceEntry* modulesOf);
    // Drops the block and the module list (the controller's tables are being cleared).
    void forget();

    TDefaultRestrictions* block() const { return m_block; }
    const TDeviceEntry* modulesOf() const { return m_modulesOf; }

    // The handlers of the page's controls.
    void ApplyRestr_CBClick();
    void StdRestr_CBChange();
    void StdModulRestr_CBClick(QListWidgetItem* item);
    void TimeBar2TimeSelected();
    void CheckBox8Click(QCheckBox* sender);

private:
    bool filling() const { return m_filling > 0; }

    PageHost& m_host;
    std::unique_ptr<Ui::TransponderDefaultsPageForm> m_ui;
    std::unique_ptr<RestrictionControls> m_restrictions;
    QWidget* m_body = nullptr;
    TDefaultRestrictions* m_block = nullptr;
    const TDeviceEntry* m_modulesOf = nullptr;
    int m_filling = 0;
};
