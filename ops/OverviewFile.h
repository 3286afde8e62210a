#pragma once

// Saving an overview of a controller's transponders (data/OverviewReport.h builds its bytes): the
// window's buttons and the command line write it the same way and say the same.

#include "data/DeviceEntry.h"

#include <QByteArray>
#include <QString>

namespace ops {

inline const QString kOverviewSavedText = QStringLiteral("Die Übersicht wurde erfolgreich abgespeichert.");
inline const QString kNoTablesText = QStringLiteral(
    "Keine Übersicht: Für dieses Kelvora compact ist keine Konfiguration geladen. Bitte laden Sie zuerst "
    "die Konfiguration.");

// An overview reports on tables read from the controller or from a backup folder; empty tables give a
// valid report (an empty text file, the CSV's two header lines). Without tables read there is nothing
// to report on, and kNoTablesText says so. An offline configuration always has its tables (empty ones
// for a new one).
inline bool CanMakeOverview(const TDeviceEntry& entry) {
    return entry.TablesRead || entry.Offline;
}

// Written beside the target and renamed over it once complete: an existing file is replaced only by a
// whole report, never left half-written. False when any step fails (the target stays as it was).
bool SaveOverviewFile(const QString& target, const QByteArray& bytes);

} // namespace ops
