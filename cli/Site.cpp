#include "cli/Site.h"

#include "data/DeviceEntry.h"
#include "data/DeviceInfoText.h"
#include "device/ProgramFolder.h"
#include "ops/Logbook.h"
#include "ops/Login.h"

#include <QStringList>

#include <algorithm>
#include <exception>

namespace cli {

Site::Site(const Console& console)
    : m_console(console), m_previousAppDir(AppDir()), m_job(console, m_ftp, m_workDir.path()) {
    m_ready = m_workDir.isValid();
    if (!m_ready) {
        m_console.error(
            QStringLiteral("Der Arbeitsordner für die lokalen Kopien kann nicht angelegt werden."));
        return;
    }
    // The window keeps its copies (the last read logbook, the tables in transfer) in the per-user
    // folder; ours stay apart, owner-only, and go when the command ends.
    SetAppDir(m_workDir.path());
    ops::SetLogbookFolder(m_workDir.path());
}

Site::~Site() {
    if (!m_ready)
        return;
    if (m_previousAppDir.isEmpty())
        ClearAppDir();
    else
        SetAppDir(m_previousAppDir);
    ops::SetLogbookFolder(QString());
}

bool Site::search() {
    m_searched = true;
    m_devices.clear();
    m_unanswered.clear();
    QList<QHostAddress> ask;
    for (const SiteController& listed : m_listed)
        ask.append(QHostAddress(listed.address));
    bool searched = true;
    try {
        if (!m_devices.hasDiscovery())
            m_devices.createDiscovery();
        m_console.step(QStringLiteral("Suche nach Kelvora compact ..."));
        m_devices.search({}, ask);
        if (m_devices.ignoredReplies() > 0)
            m_console.error(ops::IgnoredRepliesText(m_devices.ignoredReplies()));
    } catch (const std::exception& e) {
        m_console.error(QString::fromUtf8(e.what()));
        searched = false;
    }
    addUnanswered();
    return searched;
}

void Site::addUnanswered() {
    for (const SiteController& listed : m_listed) {
        const std::vector<TDeviceEntry*> found = entries();
        if (std::any_of(found.begin(), found.end(), [&](const TDeviceEntry* entry) {
                return (listed.serial != 0 && static_cast<std::uint32_t>(entry->Serial) == listed.serial) ||
                       entry->IPAddress == listed.address;
            }))
            continue;
        TDeviceEntry& entry = m_devices.addManual(QStringLiteral("0"), listed.address);
        entry.Serial = static_cast<std::int32_t>(listed.serial);
        if (!listed.name.isEmpty())
            entry.Name = listed.name;
        m_unanswered.push_back(&entry);
    }
}

bool Site::unanswered(const TDeviceEntry* entry) const {
    return std::find(m_unanswered.begin(), m_unanswered.end(), entry) != m_unanswered.end();
}

std::vector<TDeviceEntry*> Site::entries() const {
    std::vector<TDeviceEntry*> list;
    for (const auto& entry : m_devices.entries())
        list.push_back(entry.get());
    return list;
}

TDeviceEntry* Site::resolve(const QString& host) {
    if (!m_searched)
        search();
    if (IsDottedAddress(host)) {
        for (TDeviceEntry* entry : entries()) {
            if (entry->IPAddress == host)
                return entry;
        }
        // Not in the search (another segment, or it does not answer it): addressed directly, its serial
        // number known after the login.
        return &m_devices.addManual(QStringLiteral("0"), host);
    }
    std::uint32_t serial = 0;
    if (ParseSerial(host, serial)) {
        for (TDeviceEntry* entry : entries()) {
            if (static_cast<std::uint32_t>(entry->Serial) == serial)
                return entry;
        }
    }
    m_console.error(QStringLiteral("Kelvora compact %1 wurde bei der Suche nicht gefunden.").arg(host));
    return nullptr;
}

bool Site::login(Job& job, TDeviceEntry& entry) const {
    const std::optional<Credential> credential = m_credentials.find(static_cast<std::uint32_t>(entry.Serial));
    if (!credential) {
        job.report(
            entry,
            QStringLiteral("Keine Zugangsdaten für dieses Gerät (kein Eintrag für seine Seriennummer und "
                           "kein Eintrag \"default\" in %1).")
                .arg(m_credentials.source()),
            true);
        return false;
    }
    job.console().step(QStringLiteral("Anmeldung bei %1 ...").arg(Label(entry)));
    // The operation goes on over this session where its commands allow: the controller takes one
    // connection at a time and may still be closing the first when a second arrives.
    ops::KeptSession& kept = job.keepSession(entry.IPAddress, credential->userName, credential->password);
    const ops::LoginResult result = ops::LogIn(entry, kept, credential->userName, credential->password);
    if (!result.ok()) {
        job.report(entry, result.notice);
        return false;
    }
    // A controller addressed directly is known by its serial number from here on.
    if (entry.Serial == 0 && result.infoValid)
        entry.Serial = static_cast<std::int32_t>(result.info.Serial());
    return true;
}

QString Site::Label(const TDeviceEntry& entry) {
    QString label = entry.Serial != 0 ? SerialText(static_cast<std::uint32_t>(entry.Serial)) : QString();
    if (!entry.Name.isEmpty())
        label += (label.isEmpty() ? QString() : QStringLiteral(" ")) + entry.Name;
    return label + QStringLiteral(" (%1)").arg(entry.IPAddress);
}

QString Site::FolderName(const TDeviceEntry& entry) {
    QString name;
    for (const QChar c : entry.Name) {
        // Characters no file system of the workstations takes in a name, and control characters.
        const bool unsafe = c.unicode() < 0x20 || QStringLiteral("<>:\"/\\|?*").contains(c);
        name += unsafe ? QLatin1Char('_') : c;
    }
    name = name.trimmed();
    while (name.endsWith(QLatin1Char('.')) || name.endsWith(QLatin1Char(' ')))
        name.chop(1);
    const QString serial = SerialText(static_cast<std::uint32_t>(entry.Serial));
    return name.isEmpty() ? serial : serial + QLatin1Char('-') + name;
}

ops::KeptSession& Job::keepSession(const QString& address, const QString& userName, const QString& password) {
    m_session.reset();
    m_session = std::make_unique<ops::KeptSession>(address, userName, password);
    return *m_session;
}

void Job::report(const TDeviceEntry& entry, const QString& text, bool failure) const {
    const QString line = Site::Label(entry) + QStringLiteral(": ") + ConsoleText(text);
    if (failure)
        m_console.error(line);
    else
        m_console.print(line);
}

void Job::report(const TDeviceEntry& entry, const ops::Notice& notice) const {
    report(entry, notice.scriptText(), notice.failed);
}

bool IsDottedAddress(const QString& text) {
    const QStringList parts = text.split(QLatin1Char('.'));
    if (parts.size() != 4)
        return false;
    for (const QString& part : parts) {
        if (part.isEmpty() || part.size() > 3)
            return false;
        for (const QChar c : part) {
            if (c < QLatin1Char('0') || c > QLatin1Char('9'))
                return false;
        }
        if (part.toInt() > 255)
            return false;
    }
    return true;
}

bool IsHostText(const QString& text) {
    std::uint32_t serial = 0;
    return IsDottedAddress(text) || ParseSerial(text, serial);
}

} // namespace cli
