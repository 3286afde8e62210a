#pragma once

// The one FTP client every file operation borrows: configured once with the controller's fixed account,
// port and time-out, pointed at a controller by each operation. Its progress reaches the window through
// the two signals, so the window never handles the client itself.

#include <QObject>
#include <QString>

class TFtpClient;

namespace ops {

class FtpLink : public QObject {
    Q_OBJECT
public:
    explicit FtpLink(QObject* parent = nullptr);
    ~FtpLink() override;

    TFtpClient& client() { return *m_client; }
    // Seconds without progress after which a request is abandoned (15; tests shorten it).
    void setTimeoutMs(int ms);

Q_SIGNALS:
    // Bytes moved so far by the running transfer.
    void progress(qint64 bytesSoFar);
    // After every request, whatever its outcome.
    void requestDone();

private:
    TFtpClient* m_client;
};

} // namespace ops
