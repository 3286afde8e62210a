// report: the overviews of all transponders, from a backup folder or from a controller.

#include "cli/Commands.h"
#include "cli/Site.h"

namespace cli {

int RunReport(Site& site, const Invocation& invocation) {
    site.console().error(QStringLiteral("Die Übersichten sind noch nicht verfügbar."));
    Q_UNUSED(invocation);
    return kExitFailed;
}

} // namespace cli
