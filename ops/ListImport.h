#pragma once

// A transponder list read into a controller's tables: every row checked against the controller first,
// then one plan of what the import does, then (only when nothing was refused) the plan applied as a
// whole. Rows are matched to the transponders by code, the n-th row of a code with the n-th transponder
// of that code; a matched row changes only what its cells say, and a cell that holds exactly what the
// export writes for the transponder changes nothing, so the bytes the file does not carry stay. An
// unmatched row becomes a new transponder with the defaults of "Transponder hinzufügen" for what the file
// leaves out; transponders the file does not list stay unless their removal is asked for.

#include "data/Records.h"
#include "data/TableFiles.h"
#include "data/TransponderList.h"

#include <QString>
#include <QStringList>

#include <vector>

struct TDeviceEntry;

namespace ops {

// The editor's limit for a controller's transponders, whatever it reports.
constexpr int kMaxListTransponders = 1000;

struct ImportOptions {
    bool removeMissing = false;
    // The restrictions a new transponder gets (all zero: not applied, every hour and no module).
    TDefaultRestrictions defaults{};
};

struct PlanItem {
    QString label;       // "Anna Müller (1A2B)"
    int line = 0;        // of the row; 0 for a removed transponder
    QStringList changes; // of a changed one, in words
};

struct ImportPlan {
    std::vector<translist::Problem> problems;
    int moreProblems = 0;
    std::vector<PlanItem> added;
    std::vector<PlanItem> changed;
    std::vector<PlanItem> removed;
    std::vector<PlanItem> unchanged;
    // The transponder table as the import leaves it.
    RecordList<TTransponderEntry> transponders;

    bool ok() const { return problems.empty(); }
    bool changesAnything() const { return !added.empty() || !changed.empty() || !removed.empty(); }
};

ImportPlan PlanImport(const TDeviceEntry& target, const translist::ParsedList& list,
                      const ImportOptions& options = {});

// Gives the target the plan's table (it must be ok()); marks the target changed when the plan changes
// anything. The target's earlier transponder records are freed.
void ApplyImport(TDeviceEntry& target, ImportPlan& plan);

// "Die Transponderliste kann nicht übernommen werden. Es wurde nichts geändert." and one line per problem.
QString RefusalText(const ImportPlan& plan);
// "Neu: 2, geändert: 1, entfernt: 0, unverändert: 997" and, for a script, one line per entry.
QString PlanCounts(const ImportPlan& plan);
QStringList PlanLines(const ImportPlan& plan);

} // namespace ops
