#include "ops/Paste.h"

#include "data/DeviceEntry.h"
#include "data/TableDiff.h"
#include "device/Conversions.h"

#include <QHash>
#include <QSet>

#include <algorithm>
#include <cstring>

namespace ops {
namespace {

constexpr std::uint8_t kBinaryMarker = 0xFF;

bool isBinary(const std::uint8_t* code) {
    return code[kTextCodeLength] == kBinaryMarker;
}

QString codeText(const std::uint8_t* code) {
    return CodeToStr(code, kTextCodeLength).toUpper();
}

bool isHex(const QString& text) {
    return std::all_of(text.begin(), text.end(), [](QChar c) {
        return (c >= QLatin1Char('0') && c <= QLatin1Char('9')) ||
               (c >= QLatin1Char('A') && c <= QLatin1Char('F'));
    });
}

template <typename Record> RecordList<Record> copies(const RecordList<Record>& records) {
    RecordList<Record> result;
    result.reserve(records.size());
    for (const auto& record : records)
        result.push_back(std::make_unique<Record>(*record));
    return result;
}

QString moduleName(const RecordList<TModuleEntry>& modules, std::uint16_t address) {
    for (const auto& module : modules)
        if (module->ModAddr() == address)
            return tablediff::ModuleLabel(*module);
    return QStringLiteral("%1").arg(address, 4, 16, QLatin1Char('0')).toUpper();
}

void planModules(const CopiedEntries& copied, PastePlan& plan) {
    for (const auto& module : copied.modules) {
        const QString label = tablediff::ModuleLabel(*module);
        const auto match = std::find_if(plan.modules.begin(), plan.modules.end(),
                                        [&](const auto& m) { return m->ModAddr() == module->ModAddr(); });
        if (match != plan.modules.end()) {
            if (!plan.updateMatches) {
                plan.skipped.push_back({label, 0, {}});
                continue;
            }
            const QStringList changes = tablediff::ModuleChanges(**match, *module);
            if (changes.isEmpty()) {
                plan.skipped.push_back({label, 0, {QStringLiteral("bereits gleich")}});
                continue;
            }
            **match = *module;
            plan.updated.push_back({label, 0, changes});
            continue;
        }
        if (static_cast<int>(plan.modules.size()) >= kMaxListModules) {
            plan.refused.push_back(
                {label, 0, {QStringLiteral("mehr als %1 Module sind nicht möglich").arg(kMaxListModules)}});
            continue;
        }
        plan.modules.push_back(std::make_unique<TModuleEntry>(*module));
        plan.added.push_back({label, 0, {}});
    }
}

void planTransponders(const TDeviceEntry& target, const CopiedEntries& copied, PastePlan& plan) {
    const bool toBinary = StoresBinaryCodes(target);
    QSet<std::uint16_t> addresses;
    for (const auto& module : plan.modules)
        addresses.insert(module->ModAddr());
    for (const auto& source : copied.transponders) {
        TTransponderEntry record = *source;
        const QString label = tablediff::TransponderLabel(*source);
        QString reason;
        if (isBinary(source->Code) != toBinary &&
            !ConvertCode(source->Code, toBinary, record.Code, &reason)) {
            plan.refused.push_back({label, 0, {reason}});
            continue;
        }
        // Permissions for modules the target has, from slot 0 without gaps; the others are said.
        QStringList lost;
        std::vector<std::uint16_t> kept;
        for (int slot = 0; slot < kModuleSlots; ++slot) {
            const std::uint16_t address = source->ModuleSlot(slot);
            if (address == 0)
                continue;
            if (addresses.contains(address))
                kept.push_back(address);
            else
                lost << QStringLiteral("Modul %1 fehlt").arg(moduleName(copied.sourceModules, address));
        }
        if (!lost.isEmpty()) {
            for (int slot = 0; slot < kModuleSlots; ++slot)
                record.setModuleSlot(
                    slot, slot < static_cast<int>(kept.size()) ? kept[static_cast<std::size_t>(slot)] : 0);
        }
        const QString code = codeText(record.Code);
        const auto match = code.isEmpty()
                               ? plan.transponders.end()
                               : std::find_if(plan.transponders.begin(), plan.transponders.end(),
                                              [&](const auto& t) { return codeText(t->Code) == code; });
        if (match != plan.transponders.end()) {
            if (!plan.updateMatches) {
                plan.skipped.push_back({label, 0, {}});
                continue;
            }
            const QStringList changes =
                tablediff::TransponderChanges(**match, target.Modules, record, plan.modules);
            if (changes.isEmpty()) {
                plan.skipped.push_back({label, 0, {QStringLiteral("bereits gleich")}});
                continue;
            }
            **match = record;
            plan.updated.push_back({label, 0, changes});
        } else if (static_cast<int>(plan.transponders.size()) >= kMaxListTransponders) {
            plan.refused.push_back(
                {label,
                 0,
                 {QStringLiteral("mehr als %1 Transponder sind nicht möglich").arg(kMaxListTransponders)}});
            continue;
        } else {
            plan.transponders.push_back(std::make_unique<TTransponderEntry>(record));
            plan.added.push_back({label, 0, {}});
        }
        if (!lost.isEmpty())
            plan.dropped.push_back({label, 0, lost});
    }
}

} // namespace

bool ConvertCode(const std::uint8_t* from, bool toBinary, std::uint8_t* to, QString* reason) {
    const QString text = codeText(from);
    std::uint8_t code[kTextCodeLength + 1];
    if (toBinary) {
        if (!isHex(text)) {
            *reason =
                QStringLiteral("der Code „%1“ ist keine Hexadezimalzahl und passt nicht in die Binärform")
                    .arg(CodeToStr(from, kTextCodeLength));
            return false;
        }
        if (text.size() > kBinaryCodeDigits) {
            *reason =
                QStringLiteral("der Code „%1“ hat mehr als %2 Stellen").arg(text).arg(kBinaryCodeDigits);
            return false;
        }
        HexToCode(text.size() % 2 ? QLatin1Char('0') + text : text, code, kTextCodeLength);
    } else {
        if (text.size() > kTextCodeLength) {
            *reason = QStringLiteral("der Code „%1“ hat mehr als %2 Stellen und passt nicht in die Textform")
                          .arg(text)
                          .arg(kTextCodeLength);
            return false;
        }
        std::memset(code, 0, sizeof code);
        const QByteArray digits = text.toLatin1();
        std::memcpy(code, digits.constData(), static_cast<std::size_t>(digits.size()));
    }
    std::memcpy(to, code, sizeof code);
    return true;
}

CopiedEntries CopyEntries(const TDeviceEntry& source, const std::vector<const TModuleEntry*>& modules,
                          const std::vector<const TTransponderEntry*>& transponders) {
    CopiedEntries copied;
    copied.binaryCodes = StoresBinaryCodes(source);
    copied.sourceModules = copies(source.Modules);
    for (const TModuleEntry* module : modules)
        copied.modules.push_back(std::make_unique<TModuleEntry>(*module));
    for (const TTransponderEntry* transponder : transponders)
        copied.transponders.push_back(std::make_unique<TTransponderEntry>(*transponder));
    return copied;
}

PastePlan PlanPaste(const TDeviceEntry& target, const CopiedEntries& copied, bool updateMatches) {
    PastePlan plan;
    plan.updateMatches = updateMatches;
    plan.modules = copies(target.Modules);
    plan.transponders = copies(target.Transponders);
    planModules(copied, plan);
    planTransponders(target, copied, plan);
    return plan;
}

void ApplyPaste(TDeviceEntry& target, PastePlan& plan) {
    if (!plan.changesAnything())
        return;
    target.Modules = std::move(plan.modules);
    target.Transponders = std::move(plan.transponders);
    target.Changed = true;
}

QString PasteCounts(const PastePlan& plan) {
    return QStringLiteral("Neu: %1, aktualisiert: %2, übersprungen: %3, abgelehnt: %4")
        .arg(plan.added.size())
        .arg(plan.updated.size())
        .arg(plan.skipped.size())
        .arg(plan.refused.size());
}

} // namespace ops
