// kelvora-admin: the Kelvora compact Administrator.

#include "device/NetworkTargets.h"
#include "device/ProgramFolder.h"
#include "ui/ErrorHandler.h"
#include "ui/MainWindow.h"
#include "ui/Prompter.h"
#include "ui/Translation.h"

#include <QApplication>

namespace {

// The last line of defence of the general error handler: an exception that escaped an event handler
// is shown and the event loop goes on.
class AdministratorApplication : public QApplication {
public:
    AdministratorApplication(int& argc, char** argv, Prompter& prompter)
        : QApplication(argc, argv), m_prompter(prompter) {}

    bool notify(QObject* receiver, QEvent* event) override {
        try {
            return QApplication::notify(receiver, event);
        } catch (...) {
            ShowException(m_prompter, activeWindow(), std::current_exception());
            return false;
        }
    }

private:
    Prompter& m_prompter;
};

} // namespace

int main(int argc, char** argv) {
    QtPrompter prompter;
    AdministratorApplication app(argc, argv, prompter);
    QApplication::setApplicationName(ApplicationTitle());
    QApplication::setApplicationDisplayName(ApplicationTitle());
    QApplication::setOrganizationName(QStringLiteral("nopra"));
    // The installed desktop entry's name: the shell shows that entry's name and icon for the window.
    QGuiApplication::setDesktopFileName(QStringLiteral("de.nopra.KelvoraAdministrator"));
    InstallGermanTranslation();

    InitAppDir();
    SetTargets(NetworkTargets::fromEnvironment());

    TMain_Dlg window(prompter);
    window.show();
    const int result = QApplication::exec();
    ClearAppDir();
    return result;
}
