#pragma once

// Transponders and modules copied from one configuration (a controller's loaded tables or an offline
// one) into another, planned before anything changes as an import is: each copied entry is new, matches
// one already there (a transponder by its code, a module by its address: updated or skipped), or is
// refused (over the editor's limit, or a code the target's form cannot hold). Codes go into the target's
// form where they can; a transponder's module permissions that name an address the target does not have
// are dropped, and the plan says so.

#include "data/Records.h"
#include "data/TableFiles.h"
#include "ops/ListImport.h"

#include <QString>
#include <QStringList>

#include <vector>

struct TDeviceEntry;

namespace ops {

// The editor's limit for a controller's modules, whatever it reports.
constexpr int kMaxListModules = 16;

// What was copied, with what the plan needs of its configuration: the code form it stores and its
// modules (for the names of permitted modules).
struct CopiedEntries {
    bool binaryCodes = true;
    RecordList<TModuleEntry> sourceModules;
    RecordList<TModuleEntry> modules;
    RecordList<TTransponderEntry> transponders;

    bool empty() const { return modules.empty() && transponders.empty(); }
};

// Copies of the records (in the order given) and of the source's modules.
CopiedEntries CopyEntries(const TDeviceEntry& source, const std::vector<const TModuleEntry*>& modules,
                          const std::vector<const TTransponderEntry*>& transponders);

struct PastePlan {
    bool updateMatches = true;
    std::vector<PlanItem> added;
    std::vector<PlanItem> updated; // matched, taken over
    std::vector<PlanItem> skipped; // matched, left as they are
    std::vector<PlanItem> refused; // each with its reason as its one change
    std::vector<PlanItem> dropped; // transponders whose permissions lost a module, each module a change
    // The tables as the paste leaves them (the target's records copied, the changes made).
    RecordList<TModuleEntry> modules;
    RecordList<TTransponderEntry> transponders;

    bool changesAnything() const { return !added.empty() || !updated.empty(); }
};

PastePlan PlanPaste(const TDeviceEntry& target, const CopiedEntries& copied, bool updateMatches);

// Gives the target the plan's tables and marks it changed when the plan changes anything.
void ApplyPaste(TDeviceEntry& target, PastePlan& plan);

// "Neu: 2, aktualisiert: 1, übersprungen: 0, abgelehnt: 1"
QString PasteCounts(const PastePlan& plan);

// A code in the other form: the binary form's digits as text (at most 10), the text's hex digits as a
// binary code (at most 20, an odd count with a leading zero). False (and `reason`) when it can't be held.
bool ConvertCode(const std::uint8_t* from, bool toBinary, std::uint8_t* to, QString* reason);

} // namespace ops
