#include "cli/SiteFile.h"

#include "cli/Credentials.h"
#include "cli/Site.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QStringList>

#include <algorithm>

namespace cli {

bool ParseSiteFile(const QByteArray& text, std::vector<SiteController>& controllers, QString* error) {
    controllers.clear();
    static const QRegularExpression entry(QStringLiteral("^(\\S+)(?:\\s+(\\S+)(?:\\s+(.*))?)?$"));
    const QList<QByteArray> lines = text.split('\n');
    for (qsizetype i = 0; i < lines.size(); ++i) {
        const QString line = QString::fromUtf8(lines[i]).trimmed();
        if (line.isEmpty() || line.startsWith(QLatin1Char('#')))
            continue;
        const QString where = QStringLiteral("Zeile %1: ").arg(i + 1);
        const QRegularExpressionMatch match = entry.match(line);
        SiteController controller;
        controller.address = match.captured(1);
        if (!match.hasMatch() || !IsDottedAddress(controller.address)) {
            *error = where + QStringLiteral("\"%1\" ist keine IP-Adresse (erwartet werden IP-Adresse, "
                                            "Seriennummer und Name; die beiden letzten dürfen fehlen).")
                                 .arg(match.captured(1));
            return false;
        }
        const QString serial = match.captured(2);
        if (!serial.isEmpty() && serial != QStringLiteral("-") && !ParseSerial(serial, controller.serial)) {
            *error = where + QStringLiteral("\"%1\" ist keine Seriennummer (hexadezimal, oder \"-\" für "
                                            "keine).")
                                 .arg(serial);
            return false;
        }
        // As in the search's answer: a name of at most 40 characters.
        controller.name = match.captured(3).trimmed().left(40);
        const auto sameAddress = [&](const SiteController& c) { return c.address == controller.address; };
        const auto sameSerial = [&](const SiteController& c) {
            return controller.serial != 0 && c.serial == controller.serial;
        };
        if (std::any_of(controllers.begin(), controllers.end(), sameAddress)) {
            *error = where + QStringLiteral("die Adresse %1 steht doppelt.").arg(controller.address);
            return false;
        }
        if (std::any_of(controllers.begin(), controllers.end(), sameSerial)) {
            *error = where + QStringLiteral("die Seriennummer %1 steht doppelt.").arg(serial);
            return false;
        }
        controllers.push_back(controller);
    }
    return true;
}

bool LoadSiteFile(const QString& path, std::vector<SiteController>& controllers, QString* error) {
    controllers.clear();
    if (path.isEmpty())
        return true;
    const QString shown = QDir::toNativeSeparators(path);
    if (!QFileInfo(path).isFile()) {
        *error = QStringLiteral("Die Standortdatei \"%1\" ist nicht vorhanden.").arg(shown);
        return false;
    }
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        *error = QStringLiteral("Die Standortdatei \"%1\" kann nicht gelesen werden.").arg(shown);
        return false;
    }
    QString reason;
    if (!ParseSiteFile(file.readAll(), controllers, &reason)) {
        *error = QStringLiteral("Standortdatei \"%1\", %2").arg(shown, reason);
        return false;
    }
    return true;
}

} // namespace cli
