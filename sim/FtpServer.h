#pragma once

#include <QObject>
#include <QString>

namespace sim {

class SimController;

// The controller's FTP server.
class FtpServer : public QObject {
    Q_OBJECT
public:
    explicit FtpServer(SimController& controller, QObject* parent = nullptr);
    bool listen(QString* error);

private:
    SimController& m_controller;
};

} // namespace sim
