#pragma once

#include <QByteArray>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QTcpServer>
#include <QTimer>

#include <deque>

#include <QTcpSocket>

namespace sim {

class SimController;

// The controller's TCP command service: one connection at a time (a second one is closed at once),
// 1024-byte requests, replies encoded here from the device's point of view. Every request is logged
// into the controller's events as "command <code> value <16-bit word at offset 2>".
class CommandService : public QObject {
    Q_OBJECT
public:
    explicit CommandService(SimController& controller, QObject* parent = nullptr);
    ~CommandService() override;

    bool listen(QString* error);
    quint16 port() const { return m_server.serverPort(); }
    bool hasClient() const { return m_client != nullptr; }

    // Ends the current connection: with a reset (RST) or an orderly close.
    void dropConnection(bool reset);
    // Reports the next transponder of CommandOptions::codeReads now (when a client is logged in).
    void pushCodeRead();
    // A restarting device: the connection ends and new ones are refused until resume().
    void suspend();
    bool resume(QString* error = nullptr);
    // Reports the next `count` transponders in one write (one TCP segment on loopback).
    void pushCodeReads(int count);

private:
    struct Chunk {
        QByteArray bytes;
        int delayMs = 0;
    };

    void acceptConnections();
    void adopt(QTcpSocket* socket);
    void decideWaiting();
    void readRequests();
    void clientGone();
    void handle(const QByteArray& request);
    void handleLogin(const QByteArray& request);
    void handleName(const QByteArray& request);
    void answerFileAccess();
    void deleteLog();
    // Sends a reply given by its layout bytes: padded or cut to the reply length, behind a status reply
    // and split into two segments when asked for.
    void sendReply(QByteArray layout);
    QByteArray statusReply() const;
    QByteArray shaped(QByteArray reply) const;
    void enqueue(Chunk chunk);
    void writeQueued();
    QByteArray nextCodeReadReply();
    void resetSoon();

    SimController& m_controller;
    QTcpServer m_server;
    QPointer<QTcpSocket> m_client;
    QList<QPointer<QTcpSocket>> m_waiting; // arrived while another connection was open
    QByteArray m_received;
    bool m_loggedIn = false;
    std::deque<Chunk> m_outgoing;
    QTimer m_outgoingTimer;
    QTimer m_codeReadTimer;
    int m_codeReadIndex = 0;
    int m_resetBudget = -1; // bytes still to send before the reset of a broken-off reply; -1: none
};

} // namespace sim
