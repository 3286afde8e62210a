#include "sim/CommandService.h"

#include "sim/SimController.h"

namespace sim {

CommandService::CommandService(SimController& controller, QObject* parent)
    : QObject(parent), m_controller(controller) {}

bool CommandService::listen(QString*) {
    return true;
}

} // namespace sim
