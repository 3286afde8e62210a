#include "cli/Run.h"

#include "cli/Arguments.h"
#include "cli/Commands.h"
#include "cli/Site.h"
#include "cli/SiteFile.h"

#include <exception>

namespace cli {
namespace {

using Handler = int (*)(Site&, const Invocation&);

Handler handlerOf(const QString& name) {
    static const QHash<QString, Handler> handlers = {
        {QStringLiteral("find"), &RunFind},
        {QStringLiteral("ipconfig"), &RunIpConfig},
        {QStringLiteral("info"), &RunInfo},
        {QStringLiteral("backup"), &RunBackup},
        {QStringLiteral("restore"), &RunRestore},
        {QStringLiteral("update"), &RunUpdate},
        {QStringLiteral("restart"), &RunRestart},
        {QStringLiteral("log"), &RunLog},
        {QStringLiteral("status"), &RunStatus},
        {QStringLiteral("report"), &RunReport},
        {QStringLiteral("transponders"), &RunTransponders},
        {QStringLiteral("diff"), &RunDiff},
    };
    return handlers.value(name, nullptr);
}

} // namespace

int Run(const QStringList& arguments, const Console& console) {
    Invocation invocation;
    QString error;
    if (!ParseArguments(arguments, invocation, &error)) {
        console.error(error + QLatin1Char('\n') + UsageHint(invocation.command));
        return kExitUsage;
    }
    if (invocation.help || !invocation.command) {
        console.print(HelpText(invocation.command));
        return kExitOk;
    }
    const Handler handler = handlerOf(invocation.command->name);
    if (!handler)
        return kExitUsage;
    // Before anything is sent: a line the file does not hold as a controller is a usage error.
    const QString sitePath = invocation.hasValue(QStringLiteral("site"))
                                 ? invocation.value(QStringLiteral("site"))
                                 : qEnvironmentVariable("KELVORA_SITE");
    std::vector<SiteController> listed;
    QString siteError;
    if (!LoadSiteFile(sitePath, listed, &siteError)) {
        console.error(siteError);
        return kExitUsage;
    }
    Site site(console);
    if (!site.ready())
        return kExitFailed;
    site.setListed(std::move(listed));
    try {
        return handler(site, invocation);
    } catch (const std::exception& e) {
        // What the window's general error handler would show (a socket or a conversion error).
        console.error(QString::fromUtf8(e.what()));
        return kExitFailed;
    }
}

} // namespace cli
