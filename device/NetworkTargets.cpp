#include "device/NetworkTargets.h"

#include <QByteArray>
#include <QRegularExpression>

#include <optional>
#include <utility>

namespace {

const char* const kDiscoveryVariable = "KELVORA_DISCOVERY_TARGET";
const char* const kCommandPortVariable = "KELVORA_COMMAND_PORT";
const char* const kFtpPortVariable = "KELVORA_FTP_PORT";

std::optional<NetworkTargets>& current() {
    static std::optional<NetworkTargets> targets;
    return targets;
}

QString invalidValue(const char* variable, const QString& value, const QString& reason) {
    return QStringLiteral("Die Umgebungsvariable %1 hat den ungültigen Wert \u201E%2\u201C: %3")
        .arg(QLatin1String(variable), value, reason);
}

} // namespace

QString ParsePort(const QString& text, quint16* port) {
    // Digits only: toUInt would also take "+80" or " 80".
    static const QRegularExpression digits(QStringLiteral("^[0-9]{1,5}$"));
    const uint value = text.toUInt();
    if (!digits.match(text).hasMatch() || value == 0 || value > 65535)
        return QStringLiteral("Erwartet wird eine Portnummer von 1 bis 65535.");
    *port = static_cast<quint16>(value);
    return QString();
}

QString ParseDiscoveryTarget(const QString& text, QHostAddress* address, quint16* port) {
    const QString expected = QStringLiteral("Erwartet wird IPv4-Adresse:Port, zum Beispiel 127.0.0.1:18001.");
    static const QRegularExpression dotted(QStringLiteral("^[0-9]{1,3}(\\.[0-9]{1,3}){3}$"));
    const qsizetype colon = text.lastIndexOf(QLatin1Char(':'));
    if (colon < 0)
        return expected;
    const QString host = text.left(colon);
    QHostAddress parsed;
    // Dotted addresses only: a name would need a lookup, and "1" or "0x7f.1" are addresses to Qt too.
    if (!dotted.match(host).hasMatch() || !parsed.setAddress(host) ||
        parsed.protocol() != QAbstractSocket::IPv4Protocol)
        return expected;
    quint16 value = 0;
    if (!ParsePort(text.mid(colon + 1), &value).isEmpty())
        return expected;
    *address = parsed;
    *port = value;
    return QString();
}

NetworkTargets NetworkTargets::fromEnvironment(QString* error) {
    NetworkTargets targets;
    QStringList errors;
    const QString discovery = qEnvironmentVariable(kDiscoveryVariable);
    if (!discovery.isEmpty()) {
        targets.discoveryMoved = true;
        const QString reason =
            ParseDiscoveryTarget(discovery, &targets.discoveryAddress, &targets.discoveryPort);
        if (!reason.isEmpty()) {
            targets.discoveryAddress = QHostAddress();
            errors << invalidValue(kDiscoveryVariable, discovery, reason);
        }
    }
    for (const auto& [variable, field] :
         {std::pair<const char*, quint16*>{kCommandPortVariable, &targets.commandPort},
          std::pair<const char*, quint16*>{kFtpPortVariable, &targets.ftpPort}}) {
        const QString value = qEnvironmentVariable(variable);
        if (value.isEmpty())
            continue;
        const QString reason = ParsePort(value, field);
        if (!reason.isEmpty())
            errors << invalidValue(variable, value, reason);
    }
    if (error)
        *error = errors.join(QLatin1Char('\n'));
    return targets;
}

const NetworkTargets& Targets() {
    if (!current())
        current() = NetworkTargets::fromEnvironment();
    return *current();
}

void SetTargets(const NetworkTargets& targets) {
    current() = targets;
}
