#pragma once

// The page "ModulNode" of a controller's "Module" node: the live state of its reader modules.

#include <QWidget>

#include <memory>

class PageHost;
struct TDeviceEntry;

namespace Ui {
class ModuleStatusPage;
}

class TModuleStatusPage : public QWidget {
    Q_OBJECT
public:
    // Item data role of a row's image index in the main image list.
    static constexpr int ImageRole = Qt::UserRole + 1;

    TModuleStatusPage(PageHost& host, QWidget* parent = nullptr);
    ~TModuleStatusPage() override;

    // Empties the status list: it shows only what was read for the controller now selected.
    void fill(TDeviceEntry& entry);

    // "Anzeigen": reads the status and fills the list; a failed read leaves the list as it was.
    void Start_BTNClick();

private:
    PageHost& m_host;
    std::unique_ptr<Ui::ModuleStatusPage> m_ui;
};
