#pragma once

#include <QByteArray>
#include <QHostAddress>
#include <QObject>
#include <QPointer>
#include <QSaveFile>
#include <QString>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTimer>

#include <memory>

namespace sim {

class SimController;

// One control connection of the controller's FTP server with its data connections. The login directory
// is the controller's data folder; "b:" names it too, and "/firmware/" below it takes update images.
class FtpSession : public QObject {
    Q_OBJECT
public:
    FtpSession(SimController& controller, QTcpSocket* control);
    ~FtpSession() override;

    bool isEnded() const { return m_ended; }

Q_SIGNALS:
    void ended();

private:
    enum class Kind { None, Retr, Stor };

    void onControlReadyRead();
    void handle(const QByteArray& line);
    void reply(const QString& line);
    void end();

    void user(const QString& argument);
    void pass(const QString& argument);
    void cwd(const QString& argument);
    void port(const QString& argument);
    void pasv();
    void retr(const QString& argument);
    void stor(const QString& argument);

    // Folder below the data folder that a path names ("" for the login directory); false when it leaves it.
    bool resolve(const QString& argument, QString& relative) const;
    QString localPath(const QString& relative) const;

    void openData();
    void onDataOpened(QTcpSocket* socket);
    void onPassiveConnection();
    void onSlowTick();
    void sendMore();
    void readUpload();
    void onDataClosed();
    void onDataError(QAbstractSocket::SocketError error);
    void completeUpload();
    void finishTransfer(const QString& replyLine);
    void dropData();
    void dropPassive();
    qint64 allowance() const;
    // The data connection breaks off with a reset once dropDataAfterBytes have moved.
    void dropIfDue(qint64 moved);

    SimController& m_controller;
    std::unique_ptr<QTcpSocket> m_control;
    QByteArray m_buffer;
    bool m_ended = false;

    bool m_authenticated = false;
    bool m_userGiven = false;
    QString m_userName;
    QString m_cwd; // relative to the data folder, "" = login directory

    // Where the next data connection comes from or goes to.
    bool m_activeSet = false;
    QHostAddress m_activeAddress;
    quint16 m_activePort = 0;
    QPointer<QTcpServer> m_passive;

    // The running transfer.
    Kind m_kind = Kind::None;
    QString m_name;
    QPointer<QTcpSocket> m_data;
    bool m_dataOpen = false;
    bool m_dataEof = false;
    bool m_closing = false;
    QByteArray m_content;
    qint64 m_sent = 0;
    std::unique_ptr<QSaveFile> m_upload;
    qint64 m_received = 0;
    qint64 m_stallAfter = -1;
    qint64 m_dropAfter = -1;
    bool m_dropping = false;
    qint64 m_budget = -1; // bytes a slow transfer may move so far; -1: no limit
    qint64 m_slowChunk = 0;
    QTimer m_slowTimer;
    QTimer m_commitTimer;
};

} // namespace sim
