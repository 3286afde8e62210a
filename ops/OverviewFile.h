#pragma once

// Saving an overview of a controller's transponders (data/OverviewReport.h builds its bytes): the
// window's buttons and the command line write it the same way and say the same.

#include <QByteArray>
#include <QString>

namespace ops {

inline const QString kOverviewSavedText = QStringLiteral("Die Übersicht wurde erfolgreich abgespeichert.");

// Written beside the target and renamed over it once complete: an existing file is replaced only by a
// whole report, never left half-written. False when any step fails (the target stays as it was).
bool SaveOverviewFile(const QString& target, const QByteArray& bytes);

} // namespace ops
