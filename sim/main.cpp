// kelvora-sim: simulated Kelvora compact controllers for the tests and the demo.

#include "sim/DiscoveryService.h"
#include "sim/SimController.h"
#include "sim/SimOptions.h"
#include "sim/StopSignals.h"

#include <QCoreApplication>
#include <QTextStream>
#include <QTimer>

#include <memory>
#include <vector>

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("kelvora-sim"));
    QTextStream out(stdout);
    QTextStream err(stderr);

    sim::SimSetup setup;
    QString error;
    if (!sim::parseSimOptions(QCoreApplication::arguments(), setup, &error)) {
        err << error << Qt::endl;
        return 2;
    }

    sim::DiscoveryService discovery;
    discovery.setRepliesPerSearch(setup.repliesPerSearch);
    QObject::connect(&discovery, &sim::DiscoveryService::eventLogged, &discovery,
                     [&out](const QString& line) { out << "discovery: " << line << Qt::endl; });
    std::vector<std::unique_ptr<sim::SimController>> controllers;
    for (const sim::ControllerConfig& config : setup.controllers) {
        auto controller = std::make_unique<sim::SimController>(config);
        if (!controller->start(&error)) {
            err << "kelvora-sim: " << config.address.toString() << ": " << error << Qt::endl;
            return 1;
        }
        QObject::connect(controller.get(), &sim::SimController::eventLogged, controller.get(),
                         [&out, address = config.address.toString()](const QString& line) {
                             out << address << ": " << line << Qt::endl;
                         });
        discovery.addController(controller.get());
        out << "kelvora-sim: " << config.name << " (serial " << QString::number(config.serial, 16).toUpper()
            << ") on " << config.address.toString() << " tcp " << config.commandPort << " ftp "
            << config.ftpPort << ", data " << controller->dataDir() << Qt::endl;
        controllers.push_back(std::move(controller));
    }
    if (!discovery.listen(setup.discoveryAddress, setup.discoveryPort, &error)) {
        err << "kelvora-sim: " << error << Qt::endl;
        return 1;
    }
    out << "kelvora-sim: search service on " << setup.discoveryAddress.toString() << ":" << discovery.port()
        << Qt::endl;

    if (setup.lifetimeSeconds > 0)
        QTimer::singleShot(setup.lifetimeSeconds * 1000, &app, &QCoreApplication::quit);
    sim::QuitOnTerminationRequest(app);
    return app.exec();
}
