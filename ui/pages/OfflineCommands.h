#pragma once

// The commands of offline configurations: "Offline öffnen …" (a folder with both tables, such as a
// backup), "Neue Offline-Konfiguration …" (empty tables), "Speichern" back into the folder, and
// "Auf System übertragen …" to a logged-in controller, after a look at what that changes there.

#include <QString>

#include <memory>

class PageHost;
class QWidget;
struct TDeviceEntry;

class TOfflineCommands {
public:
    TOfflineCommands(PageHost& host, QWidget* parent);

    // The new configuration (not yet in the tree); null when cancelled or refused (after its message).
    std::unique_ptr<TDeviceEntry> open();
    std::unique_ptr<TDeviceEntry> create();
    // Writes both tables into the configuration's folder, asking for one first when it has none: true
    // once they are there.
    bool save(TDeviceEntry& entry);
    // Sends both tables to a controller: the controller chosen, what it holds compared first (Nein sends
    // nothing), the activation offered afterwards.
    void transfer(TDeviceEntry& entry);

    static const QString kOpenCaption;
    static const QString kSaveCaption;
    static const QString kNoTargetText;

private:
    PageHost& m_host;
    QWidget* m_parent;
};
