#pragma once

#include "sim/CommandOptions.h"

#include <QList>

namespace sim {

class SimController;

// Fills the controller's data folder with demo files that are not there yet.
void writeDemoData(SimController& controller);

// A status block for the demo modules: most answer with the door shut, one has its door open, one its
// sabotage contact on, one does not answer, and one module on the bus is not in the table. The variant
// (the controller's number) moves the faults, so that each controller shows its own.
QList<ModuleStatusEntry> demoModuleStatus(int variant);

} // namespace sim
