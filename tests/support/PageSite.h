#pragma once

#include "data/DeviceEntry.h"
#include "sim/CommandService.h"
#include "sim/SimController.h"
#include "support/SessionTimings.h"
#include "support/TestPageHost.h"

#include <QStringList>

#include <memory>

// One simulated controller on loopback and a page host pointed at it, with an entry logged in as the
// window's login leaves it (credentials and information block stored). Short poll cycles.
class PageSite {
public:
    PageSite();
    ~PageSite();

    // Starts the controller (configure it through device() first), points the tool at it and logs in.
    bool start(QString* error);

    sim::ControllerConfig& device() { return controller->config(); }
    TestPageHost& host() { return *pageHost; }
    // The controller's events since the last mark().
    QStringList newEvents() const { return controller->events().mid(m_mark); }
    void mark() { m_mark = controller->events().size(); }
    bool eventSeen(const QString& line) const { return newEvents().contains(line); }
    QByteArray stored(const QString& name) const;

    SessionTimings timings{20};
    std::unique_ptr<sim::SimController> controller;
    std::unique_ptr<TestPageHost> pageHost;
    TDeviceEntry entry;

private:
    qsizetype m_mark = 0;
};
