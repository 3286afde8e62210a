#include "sim/DemoData.h"

#include "sim/SimController.h"

namespace sim {

void writeDemoData(SimController&) {}

} // namespace sim
