#include "cli/Commands.h"

#include "cli/Fleet.h"
#include "cli/Site.h"
#include "data/DeviceEntry.h"
#include "ops/Configuration.h"

#include <QDir>
#include <QFileInfo>
#include <QRegularExpression>

namespace cli {

int UsageError(const Site& site, const Invocation& invocation, const QString& reason) {
    site.console().error(reason + QLatin1Char('\n') + UsageHint(invocation.command));
    return kExitUsage;
}

bool LoadCredentials(Site& site, const Invocation& invocation) {
    Credentials credentials;
    QString error;
    const bool loaded = invocation.hasValue(QStringLiteral("credentials"))
                            ? credentials.loadFile(invocation.value(QStringLiteral("credentials")), &error)
                            : credentials.loadEnvironment(&error);
    if (!loaded) {
        site.console().error(error);
        return false;
    }
    site.setCredentials(std::move(credentials));
    return true;
}

bool LoadTables(Job& job, TDeviceEntry& entry, QString* failure, QString* remark) {
    ops::LoadInput input;
    input.copies.folder = job.folder();
    const ops::ConfigurationLoad load = ops::LoadConfiguration(entry, job.ftp(), input);
    if (!load.ok())
        *failure = load.notice.scriptText();
    if (remark)
        *remark = load.remark;
    return load.ok();
}

int ForEachController(Site& site, const Invocation& invocation, const QString& host, const QString& doneWord,
                      const Operation& operation, const std::function<bool()>& before) {
    const Console& console = site.console();
    const bool all = invocation.has(QStringLiteral("all"));
    if (!all && !IsHostText(host))
        return UsageError(site, invocation, QStringLiteral("Kein gültiger HOST: %1").arg(host));
    int jobs = kDefaultJobs;
    if (invocation.hasValue(QStringLiteral("jobs"))) {
        static const QRegularExpression number(QStringLiteral("^[0-9]{1,3}$"));
        const QString text = invocation.value(QStringLiteral("jobs"));
        jobs = number.match(text).hasMatch() ? text.toInt() : 0;
        if (jobs < 1 || jobs > kMaxJobs)
            return UsageError(site, invocation,
                              QStringLiteral("Ungültiger Wert für --jobs: %1 (erlaubt sind 1 bis %2).")
                                  .arg(text)
                                  .arg(kMaxJobs));
        if (!all)
            return UsageError(site, invocation, QStringLiteral("--jobs gilt nur mit --all."));
    }
    if (!LoadCredentials(site, invocation))
        return kExitUsage;
    if (before && !before())
        return kExitFailed;
    if (!all) {
        TDeviceEntry* entry = site.resolve(host);
        const bool ok = entry && site.login(site.job(), *entry) && operation(site.job(), *entry);
        site.job().endController();
        return ok ? kExitOk : kExitFailed;
    }
    const bool searched = site.search();
    std::vector<TDeviceEntry*> entries = site.entries();
    if (entries.empty()) {
        if (searched)
            console.error(ops::kNoDevicesFoundText);
        return kExitFailed;
    }
    SortBySerial(entries);
    const QStringList failed = RunFleet(site, entries, jobs, operation);
    const int total = static_cast<int>(entries.size());
    QString summary = QStringLiteral("Zusammenfassung: %1 von %2 Kelvora compact %3.")
                          .arg(total - failed.size())
                          .arg(total)
                          .arg(doneWord);
    if (!failed.isEmpty())
        summary += QStringLiteral(" Fehlgeschlagen: ") + failed.join(QStringLiteral(", "));
    if (!searched)
        summary += QStringLiteral(" Die Suche wurde mit einem Fehler beendet.");
    console.print(summary);
    return failed.isEmpty() && searched ? kExitOk : kExitFailed;
}

QString TimeStamp(const QDateTime& when) {
    return when.toString(QStringLiteral("yyyy-MM-dd_HH-mm-ss"));
}

QString FreePath(const QString& parent, const QString& base, const QString& suffix) {
    const QDir dir(parent);
    const auto taken = [](const QString& path) {
        return QFileInfo::exists(path) || QFileInfo(path).isSymLink();
    };
    QString candidate = dir.filePath(base + suffix);
    for (int n = 2; n <= 1000 && taken(candidate); ++n)
        candidate = dir.filePath(QStringLiteral("%1-%2%3").arg(base).arg(n).arg(suffix));
    return taken(candidate) ? QString() : candidate;
}

} // namespace cli
