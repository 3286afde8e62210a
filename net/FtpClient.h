#pragma once

// The FTP client the file operations borrow: one object, configured once, pointed at a controller before
// every connection. Every request is synchronous: it runs the exchange and returns only when it is done,
// while the event loop keeps delivering the window's events, the command session's keep-alive and its
// replies. Data connections are active (the client listens and sends PORT) and no TYPE command is ever
// sent: the controller's server transfers its files unchanged in its default representation.

#include "net/FtpReplyParser.h"

#include <QElapsedTimer>
#include <QObject>
#include <QString>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTimer>

#include <deque>
#include <functional>
#include <memory>

class QFile;

namespace net {
class SafeFile;
}

class TFtpClient : public QObject {
    Q_OBJECT
public:
    static constexpr quint16 kDefaultPort = 21;
    static constexpr int kDefaultTimeoutSeconds = 15;
    // Replies waiting for the running request at most; a server that sends more unasked is broken.
    static constexpr qsizetype kMaxQueuedReplies = 32;

    explicit TFtpClient(QObject* parent = nullptr);
    ~TFtpClient() override;
    TFtpClient(const TFtpClient&) = delete;
    TFtpClient& operator=(const TFtpClient&) = delete;

    QString HostName() const { return m_hostName; }
    void SetHostName(const QString& hostName) { m_hostName = hostName; }
    quint16 Port() const { return m_port; }
    void SetPort(quint16 port) { m_port = port; }
    QString UserName() const { return m_userName; }
    void SetUserName(const QString& userName) { m_userName = userName; }
    QString PassWord() const { return m_passWord; }
    void SetPassWord(const QString& passWord) { m_passWord = passWord; }
    // Time without progress after which a request is abandoned.
    int Timeout() const { return m_timeoutMs / 1000; }
    void SetTimeout(int seconds) { m_timeoutMs = seconds * 1000; }
    int TimeoutMs() const { return m_timeoutMs; }
    void SetTimeoutMs(int ms) { m_timeoutMs = ms; }
    // Local interface of the control connection; "0.0.0.0" lets the system choose.
    QString LocalAddr() const { return m_localAddr; }
    void SetLocalAddr(const QString& localAddr) { m_localAddr = localAddr; }
    // Only the letter a TYPE command would carry; no request sends TYPE.
    bool Binary() const { return m_binary; }
    void SetBinary(bool binary) { m_binary = binary; }
    QString LocalFileName() const { return m_localFileName; }
    void SetLocalFileName(const QString& name) { m_localFileName = name; }
    // The most a download may bring; a server that sends more fails it at once (0: no limit).
    qint64 MaxDownloadBytes() const { return m_maxDownload; }
    void SetMaxDownloadBytes(qint64 bytes) { m_maxDownload = bytes; }
    QString HostFileName() const { return m_hostFileName; }
    void SetHostFileName(const QString& name) { m_hostFileName = name; }
    QString HostDirName() const { return m_hostDirName; }
    void SetHostDirName(const QString& name) { m_hostDirName = name; }

    // The requests; each returns true when every reply was one it expects and the transfer completed.
    bool Connect();
    bool User();
    bool Pass();
    bool Cwd();
    bool Get();
    bool Put();
    bool Quit();

    // Outcome of the last request: the server's last reply line or the client's own text, and its code
    // (0 for failures that had no reply). Empty message after success.
    QString ErrorMessage() const { return m_errorMessage; }
    int StatusCode() const { return m_statusCode; }

    bool Connected() const;
    bool Busy() const { return m_busy; }
    // Replies received and not yet taken by a request (for tests).
    qsizetype QueuedReplies() const { return static_cast<qsizetype>(m_replies.size()); }

Q_SIGNALS:
    // Bytes moved so far by the running transfer.
    void OnProgress(qint64 bytesSoFar);
    // After every request, whatever its outcome.
    void OnRequestDone(int status);

private:
    struct Reply {
        int code = 0;
        QString line; // the final line, code included
    };
    struct Result {
        bool ok = false;
        int status = 0;
        QString message;
    };
    enum class Direction { None, Download, Upload };
    class TransferScope;

    bool runRequest(const std::function<Result()>& body);
    Result connectBody();
    Result commandRequest(const QByteArray& verb, const QString& argument,
                          std::initializer_list<int> expected);
    Result transferBody(Direction direction);
    Result runTransfer(const QByteArray& command, Direction direction);
    Result openDataPort();
    Result quitBody();

    // Sends one command line and waits for its reply; nullptr-like (ok == false) result on failure.
    bool sendCommand(const QByteArray& line, Result& failure);
    bool awaitReply(Reply& reply, Result& failure);
    bool waitFor(const std::function<bool()>& condition);
    void touchDeadline();
    Result timedOut();
    Result protocolFailure();
    Result connectionLost();
    void resetControl();
    void abortControl();
    void closeData();

    bool controlLost() const;
    bool dataDone() const;

    void onControlReadyRead();
    void onControlStateChanged();
    void queueReply(int code, const QByteArray& line);
    void onDataConnection();
    void onDataReadyRead();
    void onDataClosed();
    void onDataError(QAbstractSocket::SocketError error);
    void onDataBytesWritten(qint64 bytes);
    void pumpUpload();
    void finishUpload();
    void onDrainTick();

    QString m_hostName;
    quint16 m_port = kDefaultPort;
    QString m_userName; // the account is the caller's to give: the controller has two
    QString m_passWord;
    int m_timeoutMs = kDefaultTimeoutSeconds * 1000;
    qint64 m_maxDownload = 0;
    QString m_localAddr = QStringLiteral("0.0.0.0");
    bool m_binary = true;
    QString m_localFileName;
    QString m_hostFileName;
    QString m_hostDirName;

    bool m_busy = false;
    QString m_errorMessage;
    int m_statusCode = 0;

    QElapsedTimer m_clock;
    qint64 m_deadline = 0;

    // Control connection and its reply parser.
    QTcpSocket m_control;
    FtpReplyParser m_replyParser;
    std::deque<Reply> m_replies;
    QString m_protocolError;
    bool m_dropReplies = false; // the running exchange has its final reply: more are not kept

    // Data connection of the running transfer.
    QTcpServer m_listener;
    std::unique_ptr<QTcpSocket> m_data;
    Direction m_direction = Direction::None;
    net::SafeFile* m_sink = nullptr;
    QFile* m_source = nullptr;
    qint64 m_transferred = 0;
    bool m_dataAccepted = false;
    bool m_dataClosed = false;
    bool m_uploadQueued = false;    // the whole file is handed to the data connection
    bool m_sendEnded = false;       // ... and its end too: closed, or shut for sending while the queue drains
    qint64 m_unsent = -1;           // bytes the data connection's send queue held at the last look
    QTimer m_drainTimer;            // looks at the queue while it drains: the controller's pace is progress
    bool m_preliminarySeen = false; // 125 / 150 arrived: the server takes the data now
    QString m_dataError;
    bool m_localFileError = false; // m_dataError is about the local file, not the connection
};
