#pragma once

// The configuration page's commands on transponder lists and comparisons: export and import of a
// transponder list into the loaded tables (after the plan dialog), "Vergleichen …" with what the
// controller holds now, a backup folder, a list or another controller's loaded tables, and the look at
// what a save will change before it sends anything. Each runs inside the page's command.

#include <QString>

class PageHost;
class QWidget;
struct TDefaultRestrictions;
struct TDeviceEntry;

class TListCommands {
public:
    // New transponders of an import get their restrictions from `defaults` (null: not applied).
    TListCommands(PageHost& host, QWidget* parent, const TDefaultRestrictions* defaults = nullptr);

    void setDefaults(const TDefaultRestrictions* defaults) { m_defaults = defaults; }

    // True when the tables changed (the page shows the new statistics).
    bool importList(TDeviceEntry& entry);
    void exportList(const TDeviceEntry& entry);
    void compare(TDeviceEntry& entry);
    // Reads what the controller holds now and shows what the save would change: true for "Speichern".
    // False (nothing sent) on "Abbrechen" or when the controller can't be read (after its message).
    bool confirmSave(TDeviceEntry& entry);

    static const QString kListFilter;

private:
    PageHost& m_host;
    QWidget* m_parent;
    const TDefaultRestrictions* m_defaults;
};
