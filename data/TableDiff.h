#pragma once

// What differs between two configurations of a controller: modules matched by address, transponders by
// code (its form and its digits), the n-th of equal keys with the n-th. The result lists what was added,
// removed and changed, each change in words as the editors name the field ("Montag: 07-18 → 08-17",
// "Module: + Lager Tor 2").

#include "data/Records.h"
#include "data/TableFiles.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <vector>

struct TDeviceEntry;

namespace tablediff {

struct Entry {
    QString label;       // "Anna Müller (1A2B)", "Lager Tor 2 (0104)"
    QStringList changes; // for a changed entry
};

struct Section {
    std::vector<Entry> added;
    std::vector<Entry> removed;
    std::vector<Entry> changed;
    bool empty() const { return added.empty() && removed.empty() && changed.empty(); }
};

struct Diff {
    Section modules;
    Section transponders;
    bool empty() const { return modules.empty() && transponders.empty(); }
};

// From `before` to `after`.
Diff Compare(const TDeviceEntry& before, const TDeviceEntry& after);

QString TransponderLabel(const TTransponderEntry& transponder);
QString ModuleLabel(const TModuleEntry& module);

// The changes from a to b; the module names come from each side's own table.
QStringList TransponderChanges(const TTransponderEntry& a, const RecordList<TModuleEntry>& modulesA,
                               const TTransponderEntry& b, const RecordList<TModuleEntry>& modulesB);
QStringList ModuleChanges(const TModuleEntry& a, const TModuleEntry& b);

// One line per difference ("Transponder geändert: Anna Müller (1A2B): Montag: 07-18 → 08-17"), or
// "Keine Unterschiede."
QStringList Lines(const Diff& diff);
// {"modules": {"added": [...], "removed": [...], "changed": [{"label": ..., "changes": [...]}]},
//  "transponders": {...}, "equal": true|false}
QByteArray Json(const Diff& diff);

} // namespace tablediff
