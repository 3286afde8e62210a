// kelvora-admin: the Kelvora compact Administrator.

#include "device/NetworkTargets.h"
#include "device/ProgramFolder.h"
#include "ui/ErrorHandler.h"
#include "ui/MainWindow.h"
#include "ui/Prompter.h"
#include "ui/Translation.h"

#include <QApplication>

#include <cstdio>

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

// Whether a window can be shown at all; without one the message goes to stderr only.
bool displayAvailable() {
#if defined(Q_OS_WIN) || defined(Q_OS_MACOS)
    return true;
#else
    return !qEnvironmentVariableIsEmpty("DISPLAY") || !qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY") ||
           !qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM");
#endif
}

constexpr int kBadEnvironmentExitCode = 2;

} // namespace

int main(int argc, char** argv) {
    // Read before anything else: a malformed override must stop the program before it sends anything.
    QString targetError;
    const NetworkTargets targets = NetworkTargets::fromEnvironment(&targetError);
    if (!targetError.isEmpty()) {
        const QString text = targetError + QStringLiteral("\nDas Programm wird beendet.");
        std::fprintf(stderr, "%s\n", text.toLocal8Bit().constData());
        if (displayAvailable()) {
            QApplication app(argc, argv);
            const QString platform = QGuiApplication::platformName();
            // The offscreen and minimal platforms have nobody to press OK.
            if (platform != QLatin1String("offscreen") && platform != QLatin1String("minimal")) {
                QtPrompter prompter;
                prompter.message(nullptr, text, MsgIcon::Error);
            }
        }
        return kBadEnvironmentExitCode;
    }

    QtPrompter prompter;
    AdministratorApplication app(argc, argv, prompter);
    QApplication::setApplicationName(ApplicationTitle());
    QApplication::setApplicationDisplayName(ApplicationTitle());
    QApplication::setOrganizationName(QStringLiteral("nopra"));
    // The installed desktop entry's name: the shell shows that entry's name and icon for the window.
    QGuiApplication::setDesktopFileName(QStringLiteral("de.nopra.KelvoraAdministrator"));
    InstallGermanTranslation();

    InitAppDir();
    SetTargets(targets);

    TMain_Dlg window(prompter);
    window.show();
    const int result = QApplication::exec();
    ClearAppDir();
    return result;
}
