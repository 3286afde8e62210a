#pragma once

// Page "Module": the editor of one reader module. Every edit goes straight into the module's record, byte
// for byte, as the user changes a control; nothing reaches the controller before the configuration is
// saved.

#include <QWidget>

#include <functional>
#include <memory>

class PageHost;
class QSpinBox;
struct TDeviceEntry;
struct TModuleEntry;

namespace Ui {
class ModulePageForm;
}

class TModulePage : public QWidget {
    Q_OBJECT
public:
    TModulePage(PageHost& host, QWidget* parent = nullptr);
    ~TModulePage() override;

    // Shows the module of `owner`'s table. Showing writes nothing: only the user's own edits do, and
    // they mark `owner` changed.
    void showRecord(TDeviceEntry& owner, TModuleEntry& module);
    // Drops the module (its table is being cleared or it is deleted); the controls stay disabled until
    // the next showRecord.
    void forget();

    TModuleEntry* module() const { return m_module; }
    TDeviceEntry* owner() const { return m_owner; }

    // The handlers of the page's controls.
    void ModAddr_EDChange();
    void Relais_CBChange();
    void Mode_CBChange();
    void RelaisTime_SEChange();
    void LEDTime_SEChange();
    void MaxEin_CBClick();
    void Nachlauf_CBClick();
    void MaxEin_SEChange();
    void Nachlauf_SEChange();

    static const QString& invalidInputText();

private:
    void edit(const std::function<void(TModuleEntry&)>& change);
    void bringIntoRange(QSpinBox* spin);
    bool filling() const { return m_filling > 0; }

    PageHost& m_host;
    std::unique_ptr<Ui::ModulePageForm> m_ui;
    QWidget* m_body = nullptr;
    TDeviceEntry* m_owner = nullptr;
    TModuleEntry* m_module = nullptr;
    QString m_addressText; // the address text last handled, so that an unchanged text is not handled again
    int m_filling = 0;
};
