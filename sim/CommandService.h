#pragma once

#include <QObject>
#include <QString>

namespace sim {

class SimController;

// The controller's TCP command service.
class CommandService : public QObject {
    Q_OBJECT
public:
    explicit CommandService(SimController& controller, QObject* parent = nullptr);
    bool listen(QString* error);

private:
    SimController& m_controller;
};

} // namespace sim
