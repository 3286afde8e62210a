#pragma once

// The two overviews of all rights of a controller's transponders, built from its tables in memory
// (unsaved edits included): a readable text and a semicolon-separated table for a spreadsheet. Both are
// lists of lines; a file holds them in Windows-1252 with CR LF after every line, the last one too.
//
// Text: per transponder its header, the modules it may use (slot by slot, each module of the table
// whose address the slot holds), then Monday to Sunday each enabled day with its runs of allowed
// hours. CSV: two header lines, then one row per transponder with an "X" under every module whose
// address one of its slots holds. Names come from the controller and from anyone who typed them, so
// every CSV field goes through SpreadsheetField.

#include "data/Progress.h"

#include <QByteArray>
#include <QString>

#include <cstdint>

struct TDeviceEntry;

namespace overview {

// The reports as the file holds them (Windows-1252, CR LF after every line). While a report grows it
// reports the share of the transponders done as Percent, (i + 1) * 100 / n after transponder i of n,
// once per change.
QByteArray TextOverviewFile(const TDeviceEntry& entry, const Progress& progress = {});
QByteArray CsvOverviewFile(const TDeviceEntry& entry, const Progress& progress = {});

// The hours line of one enabled day from its 3-byte hour mask: every maximal run of allowed hours as
// "<from>Uhr-<to>Uhr", the first after four spaces, the others after a comma; a run to midnight ends
// with 24. Empty when no hour is allowed.
QString HoursLine(const std::uint8_t* dayMask);

} // namespace overview
