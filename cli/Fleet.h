#pragma once

// The controllers of one whole-site command, worked on several at once. Each worker is a thread with an
// event loop of its own: the command sessions, the FTP link and the data connections it makes live and
// die in it, and a working folder of its own keeps its local copies apart from the others'. The entries
// are handed to the workers before they start and come back when they have ended; besides them the
// workers share only the site, which they read. What a controller's operation prints is held back until
// every controller before it (by serial number) has printed, so the output reads the same whichever
// finishes first.

#include "cli/Commands.h"

#include <QStringList>

#include <vector>

struct TDeviceEntry;

namespace cli {

class Site;

constexpr int kDefaultJobs = 8;
constexpr int kMaxJobs = 64;

// The order of a whole-site command: by serial number; controllers whose serial is not known yet (0)
// last, by address.
void SortBySerial(std::vector<TDeviceEntry*>& entries);

// Logs in to every entry and runs `operation` on it, at most `jobs` at once (1: one after another on
// this thread). A failure, an exception included, ends only its own controller's work. Returns the
// labels of the controllers that failed, in the entries' order.
QStringList RunFleet(Site& site, const std::vector<TDeviceEntry*>& entries, int jobs,
                     const Operation& operation);

} // namespace cli
