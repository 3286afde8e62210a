#pragma once

namespace sim {

class SimController;

// Fills the controller's data folder with demo files that are not there yet.
void writeDemoData(SimController& controller);

} // namespace sim
