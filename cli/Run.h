#pragma once

#include "cli/Console.h"

#include <QStringList>

namespace cli {

// Runs one kelvora-cli command line (without the program name) and returns its exit code. Needs a
// QCoreApplication; the network targets come from the environment as for the window.
int Run(const QStringList& arguments, const Console& console);

} // namespace cli
