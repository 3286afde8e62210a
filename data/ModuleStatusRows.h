#pragma once

// The rows of the module-status list, made from the 16 status records a controller reports and the
// module table the tool holds for it.

#include "data/TableFiles.h"
#include "device/CommandSocket.h"

#include <QString>

#include <vector>

struct ModuleStatusRow {
    bool operational = false; // the module answers on the bus
    QString name;             // of the first module in the table with this address; empty when none
    QString address;          // "0x1A"
    QString status;
};

inline const QString kModuleOperationalText = QStringLiteral("Modul betriebsbereit, ");
inline const QString kSabotageOnText = QStringLiteral("Sabotage EIN, ");
inline const QString kSabotageOffText = QStringLiteral("Sabotage AUS, ");
inline const QString kDoorOpenText = QStringLiteral("Tür offen");
inline const QString kDoorClosedText = QStringLiteral("Tür geschlossen");
inline const QString kModuleNotAnsweringText =
    QStringLiteral("Bitte kontrollieren Sie die Adresse und die Verkabelung");

// One row per used slot (address not 0), in the order of the block.
std::vector<ModuleStatusRow> ModuleStatusRows(const TModuleStatusBlock& block,
                                              const RecordList<TModuleEntry>& modules);
