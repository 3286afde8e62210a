#include "support/PageSite.h"

#include "device/NetworkTargets.h"
#include "ops/Login.h"
#include "support/TestSupport.h"

PageSite::PageSite() {
    sim::ControllerConfig config;
    config.demoData = false;
    config.commandPort = 0; // the controller takes a free port and tells it in its config
    config.ftpPort = 0;
    controller = std::make_unique<sim::SimController>(config);
}

PageSite::~PageSite() {
    pageHost.reset();
    controller.reset();
}

bool PageSite::start(QString* error) {
    if (!controller->start(error))
        return false;
    NetworkTargets targets;
    targets.discoveryAddress = QHostAddress(QStringLiteral("127.0.0.1"));
    targets.commandPort = device().commandPort;
    targets.ftpPort = device().ftpPort;
    SetTargets(targets); // before the host: its FTP link takes the port when it is made
    pageHost = std::make_unique<TestPageHost>();
    entry.IPAddress = device().address.toString();
    entry.Name = device().name;
    const QString user = device().command.userName;
    const QString password = device().command.password;
    ops::LogIn(entry, user, password);
    pageHost->current = &entry;
    mark();
    if (!entry.LoggedIn && error)
        *error = QStringLiteral("login failed");
    return entry.LoggedIn;
}

QByteArray PageSite::stored(const QString& name) const {
    return testsupport::readFile(controller->dataFile(name));
}
