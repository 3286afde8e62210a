// find, ipconfig, info, status, restart: the commands that move no files of their own.

#include "cli/Commands.h"
#include "cli/Site.h"
#include "data/DeviceEntry.h"
#include "data/DeviceInfoText.h"
#include "data/ModuleStatusRows.h"
#include "ops/ModuleStatus.h"
#include "ops/Update.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <stdexcept>

namespace cli {
namespace {

QString jsonText(const QJsonDocument& document) {
    return QString::fromUtf8(document.toJson(QJsonDocument::Indented)).trimmed();
}

QJsonObject identity(const TDeviceEntry& entry) {
    return {
        {QStringLiteral("serial"), SerialText(static_cast<std::uint32_t>(entry.Serial))},
        {QStringLiteral("dhcp"), entry.DHCP},
        {QStringLiteral("ip"), entry.IPAddress},
        {QStringLiteral("mask"), entry.SubnetMask},
        {QStringLiteral("gateway"), entry.Gateway},
        {QStringLiteral("name"), entry.Name},
    };
}

bool showInfo(const Job& job, bool json, const TDeviceEntry& entry) {
    // The window shows its lines without the block too; a script must not take them for the controller's.
    if (!entry.InfoValid) {
        job.report(entry, QStringLiteral("Kelvora compact hat keine Geräteinformationen gesendet."), true);
        return false;
    }
    QStringList lines;
    try {
        DeviceInfoLines(entry.InfoValid, entry.Info, [&](const QString& line) {
            lines << line;
            if (!json)
                job.console().print(line);
        });
    } catch (const std::range_error& e) {
        // As on the page: the lines before the byte outside its table stay.
        job.report(entry, QString::fromUtf8(e.what()), true);
        return false;
    }
    if (!json) {
        job.console().print(QStringLiteral("Name des Gerätes : %1").arg(entry.Name));
        return true;
    }
    QJsonObject object = identity(entry);
    object.insert(QStringLiteral("infoValid"), entry.InfoValid);
    if (entry.InfoValid) {
        const TDeviceInfo& info = entry.Info;
        object.insert(
            QStringLiteral("firmware"),
            QStringLiteral("%1.%2").arg(info.FirmwareMajor).arg(info.FirmwareMinor, 2, 10, QLatin1Char('0')));
        object.insert(QStringLiteral("language"), LanguageName(info.Language));
        object.insert(QStringLiteral("version"), VersionName(info.Version));
        object.insert(QStringLiteral("operatingMode"), OperatingModeName(info.OperatingMode));
        object.insert(QStringLiteral("maxModules"), info.MaxModules());
        object.insert(QStringLiteral("maxTransponders"), info.MaxTransponders());
        object.insert(QStringLiteral("maxLogEntries"), info.MaxLogEntries());
        object.insert(QStringLiteral("hardwareRevision"), info.HardwareRevision);
    }
    object.insert(QStringLiteral("lines"), QJsonArray::fromStringList(lines));
    job.console().print(jsonText(QJsonDocument(object)));
    return true;
}

bool showStatus(Job& job, TDeviceEntry& entry) {
    // The rows are named from the module table, as on the page after "Konfiguration laden".
    QString failure;
    if (!LoadTables(job, entry, &failure))
        job.report(entry, QStringLiteral("Ohne Modulnamen: ") + failure, true);
    const ops::ModuleStatusRead read = ops::ReadModuleStatus(entry);
    if (!read.ok()) {
        job.report(entry, read.notice);
        return false;
    }
    for (const ModuleStatusRow& row : ModuleStatusRows(read.block, entry.Modules))
        job.console().print(row.name + QLatin1Char('\t') + row.address + QLatin1Char('\t') + row.status);
    return true;
}

} // namespace

int RunFind(Site& site, const Invocation& invocation) {
    const bool searched = site.search();
    std::vector<TDeviceEntry*> entries;
    QStringList silent;
    for (TDeviceEntry* entry : site.entries()) {
        if (site.unanswered(entry))
            silent << Site::Label(*entry) + QStringLiteral(": antwortet nicht auf die Suche.");
        else
            entries.push_back(entry);
    }
    if (invocation.has(QStringLiteral("json"))) {
        QJsonArray list;
        for (const TDeviceEntry* entry : entries)
            list.append(identity(*entry));
        site.console().print(jsonText(QJsonDocument(list)));
    } else {
        for (const TDeviceEntry* entry : entries) {
            site.console().print(QStringLiteral("%1 %2 %3 %4 %5 %6")
                                     .arg(SerialText(static_cast<std::uint32_t>(entry->Serial)),
                                          entry->DHCP ? QStringLiteral("1") : QStringLiteral("0"),
                                          entry->IPAddress, entry->SubnetMask, entry->Gateway, entry->Name));
        }
    }
    for (const QString& line : silent)
        site.console().error(line);
    if (entries.empty() && searched)
        site.console().error(ops::kNoDevicesFoundText);
    return searched && !entries.empty() && silent.isEmpty() ? kExitOk : kExitFailed;
}

int RunIpConfig(Site& site, const Invocation& invocation) {
    std::uint32_t serial = 0;
    if (!ParseSerial(invocation.operands.value(0), serial))
        return UsageError(site, invocation,
                          QStringLiteral("Keine gültige Seriennummer: %1").arg(invocation.operands.value(0)));
    const bool dhcp = invocation.has(QStringLiteral("dhcp"));
    QStringList addresses;
    for (const QString& name : {QStringLiteral("ip"), QStringLiteral("mask"), QStringLiteral("gateway")}) {
        if (dhcp && invocation.hasValue(name))
            return UsageError(site, invocation,
                              QStringLiteral("--dhcp und --%1 schließen sich aus.").arg(name));
        if (dhcp)
            continue;
        if (!invocation.hasValue(name))
            return UsageError(site, invocation,
                              QStringLiteral("Ohne --dhcp werden --ip, --mask und --gateway verlangt."));
        // The window sends what was typed; a typo in a script would leave the controller unreachable.
        if (!IsDottedAddress(invocation.value(name)))
            return UsageError(
                site, invocation,
                QStringLiteral("Keine gültige Adresse für --%1: %2").arg(name, invocation.value(name)));
        addresses << invocation.value(name);
    }
    TDeviceEntry entry;
    entry.Serial = static_cast<std::int32_t>(serial);
    site.deviceList().createDiscovery();
    site.deviceList().sendIPConfig(entry, dhcp, addresses.value(0), addresses.value(1), addresses.value(2));
    site.console().print(
        QStringLiteral("Die IP-Konfiguration wurde an Kelvora compact %1 gesendet.").arg(SerialText(serial)));
    return kExitOk;
}

int RunInfo(Site& site, const Invocation& invocation) {
    const bool json = invocation.has(QStringLiteral("json"));
    return ForEachController(site, invocation, invocation.operands.value(0), QString(),
                             [&](Job& job, TDeviceEntry& entry) { return showInfo(job, json, entry); });
}

int RunStatus(Site& site, const Invocation& invocation) {
    return ForEachController(site, invocation, invocation.operands.value(0), QString(),
                             [](Job& job, TDeviceEntry& entry) { return showStatus(job, entry); });
}

int RunRestart(Site& site, const Invocation& invocation) {
    return ForEachController(site, invocation, invocation.operands.value(0), QString(),
                             [](Job& job, TDeviceEntry& entry) {
                                 const ops::Result restart = ops::RestartController(entry);
                                 job.report(entry, restart.notice);
                                 return restart.ok();
                             });
}

} // namespace cli
