#include "ops/CodeReading.h"

#include "data/DeviceEntry.h"
#include "ops/CommandSession.h"

#include <QLocale>
#include <QRegularExpression>

namespace ops {

QString ArrivalText(const QDateTime& when) {
    const QLocale locale = QLocale::system();
    const QDateTime local = when.toLocalTime();
    static const QRegularExpression zone(QStringLiteral("(^|\\s+)t+(?=\\s|$)"));
    const QString timeFormat = locale.timeFormat(QLocale::LongFormat).remove(zone).trimmed();
    return locale.toString(local.date(), QLocale::ShortFormat) + QLatin1Char(' ') +
           locale.toString(local.time(), timeFormat);
}

QString ReaderText(const QString& name, quint16 address) {
    return name + QStringLiteral(" (0x") + QString::number(address, 16).toUpper() + QLatin1Char(')');
}

CodeTakeover CodeForEditor(const TDeviceEntry& entry, const QString& code) {
    CodeTakeover takeover;
    if (!StoresBinaryCodes(entry)) {
        if (code.size() <= kTextCodeLength)
            takeover.code = code;
        else
            takeover.refusal = CodeTooLongText(code);
        return takeover;
    }
    static const QRegularExpression hexDigits(QStringLiteral("^[0-9A-Fa-f]*$"));
    if (code.size() > kBinaryCodeDigits || !hexDigits.match(code).hasMatch()) {
        takeover.refusal = CodeNotBinaryText(code);
        return takeover;
    }
    // The binary form is a number: an odd count of digits gets its leading zero instead of losing
    // its first digit to the pairing.
    takeover.code = code.size() % 2 == 0 ? code : QLatin1Char('0') + code;
    return takeover;
}

CodeReading::CodeReading(const TDeviceEntry& entry, RowHandler onRow)
    : m_onRow(std::move(onRow)), m_address(entry.IPAddress), m_userName(entry.UserName),
      m_password(entry.Password) {}

CodeReading::~CodeReading() {
    close();
}

Outcome CodeReading::open() {
    close();
    m_session = std::make_unique<CommandSession>(m_address, m_userName, m_password);
    TKLVSocket& socket = m_session->socket();
    socket.OnCodeRead = [this](TKLVSocket*, const QString& readerName, quint16 readerAddress,
                               const QString& code) {
        if (m_onRow)
            m_onRow({ArrivalText(QDateTime::currentDateTime()), ReaderText(readerName, readerAddress), code});
    };
    if (!m_session->login()) {
        close();
        return Outcome::LoginFailed;
    }
    socket.StartKeepAlive();
    return Outcome::Ok;
}

void CodeReading::close() {
    if (!m_session)
        return;
    // No report may reach a list after the session was given up, not even one still in the buffer.
    m_session->socket().OnCodeRead = nullptr;
    m_session.reset();
}

bool CodeReading::isOpen() const {
    return m_session && m_session->socket().isConnected();
}

TKLVSocket* CodeReading::socket() const {
    return m_session ? &m_session->socket() : nullptr;
}

} // namespace ops
