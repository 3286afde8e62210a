#include "cli/Credentials.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QList>
#include <QRegularExpression>

#include <cctype>

#ifdef Q_OS_WIN
// Without it Qt reports every file on NTFS as readable by everyone.
extern Q_CORE_EXPORT int qt_ntfs_permission_lookup;
#else
#include <unistd.h>
#endif

namespace cli {
namespace {

const QString kDefaultKey = QStringLiteral("default");

QString octalMode(QFileDevice::Permissions p) {
    int mode = 0;
    const auto bit = [&](QFileDevice::Permission flag, int value) {
        if (p.testFlag(flag))
            mode |= value;
    };
    bit(QFileDevice::ReadOwner, 0400);
    bit(QFileDevice::WriteOwner, 0200);
    bit(QFileDevice::ExeOwner, 0100);
    bit(QFileDevice::ReadGroup, 040);
    bit(QFileDevice::WriteGroup, 020);
    bit(QFileDevice::ExeGroup, 010);
    bit(QFileDevice::ReadOther, 04);
    bit(QFileDevice::WriteOther, 02);
    bit(QFileDevice::ExeOther, 01);
    return QStringLiteral("%1").arg(mode, 4, 8, QLatin1Char('0'));
}

// Only the owner may read it, and nobody else may change it (and so the passwords we send).
bool privateFile(const QString& path, QString* error) {
#ifdef Q_OS_WIN
    ++qt_ntfs_permission_lookup;
#endif
    const QFileInfo info(path);
    const QFileDevice::Permissions permissions = info.permissions();
#ifdef Q_OS_WIN
    --qt_ntfs_permission_lookup;
#endif
    const QString shown = QDir::toNativeSeparators(path);
    if (!info.exists()) {
        *error = QStringLiteral("Die Zugangsdatei \"%1\" ist nicht vorhanden.").arg(shown);
        return false;
    }
    if (!info.isFile()) {
        *error = QStringLiteral("\"%1\" ist keine Datei.").arg(shown);
        return false;
    }
    constexpr QFileDevice::Permissions others =
        QFileDevice::ReadGroup | QFileDevice::WriteGroup | QFileDevice::ReadOther | QFileDevice::WriteOther;
    if (permissions & others) {
        *error =
            QStringLiteral("Die Zugangsdatei \"%1\" darf nur für ihren Besitzer lesbar sein (Rechte %2). "
                           "Bitte schützen Sie sie mit \"chmod 600 %1\".")
                .arg(shown, octalMode(permissions));
        return false;
    }
#ifndef Q_OS_WIN
    const uint owner = info.ownerId();
    if (owner != ::geteuid() && owner != 0) {
        *error = QStringLiteral("Die Zugangsdatei \"%1\" gehört einem anderen Benutzer.").arg(shown);
        return false;
    }
#endif
    return true;
}

} // namespace

bool ParseSerial(const QString& text, std::uint32_t& serial) {
    if (text.isEmpty() || text.size() > 8)
        return false;
    for (const QChar c : text) {
        if (!std::isxdigit(static_cast<unsigned char>(c.toLatin1())) || c.unicode() > 0x7F)
            return false;
    }
    serial = text.toUInt(nullptr, 16);
    return serial != 0;
}

bool ParseCredentials(const QByteArray& text, QHash<std::uint32_t, Credential>& bySerial,
                      std::optional<Credential>& fallback, QString* error) {
    static const QRegularExpression entry(QStringLiteral("^(\\S+)\\s+(\\S+)\\s+(.*\\S)\\s*$"));
    const QList<QByteArray> lines = text.split('\n');
    for (qsizetype i = 0; i < lines.size(); ++i) {
        const QString line = QString::fromUtf8(lines[i]);
        const QString trimmed = line.trimmed();
        if (trimmed.isEmpty() || trimmed.startsWith(QLatin1Char('#')))
            continue;
        const QString where = QStringLiteral("Zeile %1: ").arg(i + 1);
        const QRegularExpressionMatch match = entry.match(line.trimmed());
        if (!match.hasMatch()) {
            *error = where + QStringLiteral("erwartet werden Seriennummer (oder \"default\"), Benutzername "
                                            "und Kennwort.");
            return false;
        }
        // The controller takes the password as a C string: it would get only what comes before a NUL.
        if (line.contains(QChar(0))) {
            *error = where + QStringLiteral("Benutzername und Kennwort dürfen kein NUL-Zeichen enthalten.");
            return false;
        }
        const Credential credential{match.captured(2), match.captured(3)};
        const QString key = match.captured(1);
        if (key.compare(kDefaultKey, Qt::CaseInsensitive) == 0) {
            if (fallback) {
                *error = where + QStringLiteral("der Eintrag \"default\" steht doppelt.");
                return false;
            }
            fallback = credential;
            continue;
        }
        std::uint32_t serial = 0;
        if (!ParseSerial(key, serial)) {
            *error = where + QStringLiteral("\"%1\" ist keine Seriennummer (hexadezimal) und nicht "
                                            "\"default\".")
                                 .arg(key);
            return false;
        }
        if (bySerial.contains(serial)) {
            *error = where + QStringLiteral("die Seriennummer %1 steht doppelt.").arg(key);
            return false;
        }
        bySerial.insert(serial, credential);
    }
    return true;
}

bool Credentials::loadEnvironment(QString* error) {
    if (!qEnvironmentVariableIsSet("KELVORA_USER") || !qEnvironmentVariableIsSet("KELVORA_PASSWORD")) {
        *error = QStringLiteral("Keine Zugangsdaten: Bitte setzen Sie KELVORA_USER und KELVORA_PASSWORD "
                                "oder geben Sie mit --credentials eine Zugangsdatei an.");
        return false;
    }
    m_default = Credential{qEnvironmentVariable("KELVORA_USER"), qEnvironmentVariable("KELVORA_PASSWORD")};
    m_source = QStringLiteral("KELVORA_USER / KELVORA_PASSWORD");
    return true;
}

bool Credentials::loadFile(const QString& path, QString* error) {
    if (!privateFile(path, error))
        return false;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        *error = QStringLiteral("Die Zugangsdatei \"%1\" kann nicht gelesen werden.")
                     .arg(QDir::toNativeSeparators(path));
        return false;
    }
    QString reason;
    if (!ParseCredentials(file.readAll(), m_bySerial, m_default, &reason)) {
        *error = QStringLiteral("Zugangsdatei \"%1\", %2").arg(QDir::toNativeSeparators(path), reason);
        return false;
    }
    m_source = QDir::toNativeSeparators(path);
    return true;
}

std::optional<Credential> Credentials::find(std::uint32_t serial) const {
    const auto it = m_bySerial.constFind(serial);
    if (serial != 0 && it != m_bySerial.constEnd())
        return *it;
    return m_default;
}

} // namespace cli
