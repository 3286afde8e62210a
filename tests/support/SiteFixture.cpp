#include "support/SiteFixture.h"

#include "device/NetworkTargets.h"
#include "device/ProgramFolder.h"
#include "support/TestSupport.h"
#include "support/WidgetLookup.h"
#include "ui/dialogs/PasswordDialog.h"

#include <QLineEdit>
#include <QTreeWidget>
#include <QtTest>

SiteFixture::SiteFixture(quint32 serial, const QString& name) {
    SetAppDir(appDir.path());
    sim::ControllerConfig config;
    config.serial = serial;
    config.name = name;
    config.demoData = false;
    config.commandPort = 0; // the controller takes a free port and tells it in its config
    config.ftpPort = 0;
    controller = std::make_unique<sim::SimController>(config);
    discovery.addController(controller.get());
}

SiteFixture::~SiteFixture() {
    window.reset();
}

bool SiteFixture::startController(QString* error) {
    return controller->start(error);
}

bool SiteFixture::openWindow() {
    if (!discovery.listen(QHostAddress(QStringLiteral("127.0.0.1")), 0))
        return false;
    NetworkTargets targets;
    targets.discoveryAddress = QHostAddress(QStringLiteral("127.0.0.1"));
    targets.discoveryPort = discovery.port();
    targets.commandPort = controller->config().commandPort;
    targets.ftpPort = controller->config().ftpPort;
    SetTargets(targets);
    window = std::make_unique<TMain_Dlg>(prompter);
    window->setChangeDelay(0);
    window->show();
    return QTest::qWaitFor([this] {
        return Main_LV(*window)->topLevelItemCount() == 1 && !window->busy() &&
               Main_LV(*window)->topLevelItem(0)->childCount() == 1;
    });
}

bool SiteFixture::login() {
    prompter.dialogAnswers.push_back(
        TypeCredentials(controller->config().command.userName, controller->config().command.password));
    deviceNode()->setExpanded(true);
    return entry().LoggedIn;
}

bool SiteFixture::eventSeen(const QString& text) const {
    return controller->events().join(QLatin1Char('\n')).contains(text);
}

std::function<int(QDialog&)> TypeCredentials(const QString& user, const QString& password) {
    return [user, password](QDialog& dialog) {
        auto& login = static_cast<TPassword_Dlg&>(dialog);
        if (!Child<QLineEdit>(login, QStringLiteral("Username_ED"))->text().isEmpty() ||
            !Child<QLineEdit>(login, QStringLiteral("Password_ED"))->text().isEmpty())
            return int(QDialog::Rejected);
        Child<QLineEdit>(login, QStringLiteral("Username_ED"))->setText(user);
        Child<QLineEdit>(login, QStringLiteral("Password_ED"))->setText(password);
        return int(QDialog::Accepted);
    };
}
