#pragma once

// The FTP client of one thread's file operations: configured once with the controller's fixed account,
// port and time-out, pointed at a controller by each operation. An operation reports the client's
// progress through its own progress callback; nobody else handles the client.

#include <QObject>

class TFtpClient;

namespace ops {

class FtpLink : public QObject {
    Q_OBJECT
public:
    explicit FtpLink(QObject* parent = nullptr);
    ~FtpLink() override;

    TFtpClient& client() { return *m_client; }
    // Time without progress after which a request is abandoned (15 s; tests shorten it).
    void setTimeoutMs(int ms);

private:
    TFtpClient* m_client;
};

} // namespace ops
