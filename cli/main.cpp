// kelvora-cli: the administrator's operations from a script, for one controller or a whole site.

#include "cli/Run.h"

#include <QCoreApplication>

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    QCoreApplication::setOrganizationName(QStringLiteral("nopra"));
    QCoreApplication::setApplicationName(QStringLiteral("kelvora-cli"));
    QStringList arguments = QCoreApplication::arguments();
    arguments.removeFirst();
    return cli::Run(arguments, cli::Console::standard());
}
