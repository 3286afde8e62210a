#pragma once

// Reading a transponder code at a reader: a command session to the controller, logged in with the
// stored credentials and kept alive while it is open, during which the controller reports every
// transponder presented at one of its readers. Each valid report becomes a row for the list the
// administrator picks from. The controller starts and stops reporting by itself: nothing is sent for it.
//
// A dropped connection ends the reports and nothing else; the session stays safe to use and to close.

#include "ops/Outcome.h"

#include <QDateTime>
#include <QString>

#include <functional>
#include <memory>

class TKLVSocket;
struct TDeviceEntry;

namespace ops {

class CommandSession;

// One report as the list shows it.
struct CodeRow {
    QString time;   // local date and time of arrival: the system's short date and its long time
    QString reader; // "Eingang (0x12)"
    QString code;   // hexadecimal digits of a binary code, the characters of a text code
};

// The arrival time of a report as the list shows it (without the time zone the long time format of
// some systems carries: the administrator reads it at the controller's own site).
QString ArrivalText(const QDateTime& when);
// The reader's name and bus address, "%s (0x%X)".
QString ReaderText(const QString& name, quint16 address);
// A code read at a reader that the controller's code field can't hold; it is not taken over.
inline QString CodeTooLongText(const QString& code) {
    return QStringLiteral("Der Code \"%1\" hat mehr als 10 Zeichen und passt nicht in das Codefeld dieses "
                          "Kelvora compact. Der Code wurde nicht übernommen.")
        .arg(code);
}
inline QString CodeNotBinaryText(const QString& code) {
    return QStringLiteral("Der Code \"%1\" ist keine Hexadezimalzahl mit höchstens 20 Stellen und passt "
                          "nicht in das Codefeld dieses Kelvora compact. Der Code wurde nicht übernommen.")
        .arg(code);
}

// A reported code as the transponder editor takes it over for this controller, or why it can't be.
struct CodeTakeover {
    QString code;    // as reported; a binary code of odd length with its leading zero digit
    QString refusal; // the message when the code does not fit the controller's code field
    bool ok() const { return refusal.isEmpty(); }
};

// A controller that stores the text form keeps up to 10 characters, as reported (a controller may
// report 11 without a terminator); one that stores the binary form up to 20 hexadecimal digits. A code
// that does not fit is refused rather than cut: a cut code would never match the transponder.
CodeTakeover CodeForEditor(const TDeviceEntry& entry, const QString& code);

class CodeReading {
public:
    using RowHandler = std::function<void(const CodeRow&)>;

    CodeReading(const TDeviceEntry& entry, RowHandler onRow);
    // Closes the session when it is still open.
    ~CodeReading();
    CodeReading(const CodeReading&) = delete;
    CodeReading& operator=(const CodeReading&) = delete;

    // Logs in and starts the keep-alive: Ok or LoginFailed.
    Outcome open();
    // Disconnects; reports that arrive later are not delivered. Harmless when not open.
    void close();

    bool isOpen() const;
    // The session's socket while open (tests look at its keep-alive and its flags).
    TKLVSocket* socket() const;

private:
    std::unique_ptr<CommandSession> m_session;
    RowHandler m_onRow;
    QString m_address;
    QString m_userName;
    QString m_password;
};

} // namespace ops
