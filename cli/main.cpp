// kelvora-cli: the administrator's operations from a script, for one controller or a whole site.

#include "cli/Run.h"
#include "device/NetworkTargets.h"

#include <QCoreApplication>

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    QCoreApplication::setOrganizationName(QStringLiteral("nopra"));
    QCoreApplication::setApplicationName(QStringLiteral("kelvora-cli"));
    const cli::Console console = cli::Console::standard();
    // As in the window: a malformed override stops the program before it sends anything, rather than
    // falling back to the broadcast address.
    QString targetError;
    const NetworkTargets targets = NetworkTargets::fromEnvironment(&targetError);
    if (!targetError.isEmpty()) {
        console.error(targetError);
        return cli::kExitUsage;
    }
    SetTargets(targets);
    QStringList arguments = QCoreApplication::arguments();
    arguments.removeFirst();
    return cli::Run(arguments, console);
}
