#pragma once

#include "sim/DiscoveryService.h"
#include "sim/SimController.h"
#include "support/ScriptedPrompter.h"
#include "support/SessionTimings.h"
#include "support/WidgetLookup.h"
#include "ui/MainWindow.h"

#include <QTemporaryDir>

#include <memory>

// One simulated controller on loopback and the window under test that finds it: settings and the
// program folder in temporary places, command sessions with short poll cycles.
class SiteFixture {
public:
    SiteFixture(quint32 serial, const QString& name);
    ~SiteFixture();

    // Starts the controller's services (its data folder can be filled afterwards).
    bool startController(QString* error);
    // Points the tool at the controller, opens the window and waits for the first search to end.
    bool openWindow();
    // Logs in to the first device node with the controller's own credentials.
    bool login();

    QTreeWidgetItem* deviceNode() const { return Main_LV(*window)->topLevelItem(0)->child(0); }
    TDeviceEntry& entry() const { return *&window->deviceList().at(0); }
    bool eventSeen(const QString& text) const;

    TempSettings settings;
    SessionTimings timings{20}; // a silent controller costs 0.3 s instead of 1.5 s
    QTemporaryDir appDir;
    ScriptedPrompter prompter;
    std::unique_ptr<sim::SimController> controller;
    sim::DiscoveryService discovery;
    std::unique_ptr<TMain_Dlg> window;
};

// A dialog answer that types credentials into the password dialog, which must show empty.
std::function<int(QDialog&)> TypeCredentials(const QString& user, const QString& password);
