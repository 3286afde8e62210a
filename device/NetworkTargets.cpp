#include "device/NetworkTargets.h"

#include <QByteArray>
#include <QString>

#include <optional>

namespace {

std::optional<quint16> portFrom(const QByteArray& text) {
    bool ok = false;
    const uint value = text.trimmed().toUInt(&ok);
    if (!ok || value == 0 || value > 65535)
        return std::nullopt;
    return static_cast<quint16>(value);
}

std::optional<NetworkTargets>& current() {
    static std::optional<NetworkTargets> targets;
    return targets;
}

} // namespace

NetworkTargets NetworkTargets::fromEnvironment() {
    NetworkTargets targets;
    const QByteArray discovery = qgetenv("KELVORA_DISCOVERY_TARGET");
    const qsizetype colon = discovery.lastIndexOf(':');
    if (colon > 0) {
        QHostAddress address;
        const auto port = portFrom(discovery.mid(colon + 1));
        if (address.setAddress(QString::fromLatin1(discovery.left(colon))) && port) {
            targets.discoveryAddress = address;
            targets.discoveryPort = *port;
        }
    }
    if (const auto port = portFrom(qgetenv("KELVORA_COMMAND_PORT")))
        targets.commandPort = *port;
    if (const auto port = portFrom(qgetenv("KELVORA_FTP_PORT")))
        targets.ftpPort = *port;
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
