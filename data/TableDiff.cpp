#include "data/TableDiff.h"

#include "data/DeviceEntry.h"
#include "data/Restrictions.h"
#include "data/TransponderList.h"
#include "device/Conversions.h"

#include <QHash>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <algorithm>
#include <cstring>
#include <map>

namespace tablediff {
namespace {

constexpr int kNameHigh = 19;
const QString kArrow = QStringLiteral(" → ");
const QString kMoreBytes = QStringLiteral("weitere Bytes geändert");

QString change(const QString& field, const QString& from, const QString& to) {
    return field + QStringLiteral(": ") + from + kArrow + to;
}

QString moduleWord(const RecordList<TModuleEntry>& modules, std::uint16_t address) {
    for (const auto& module : modules) {
        if (module->ModAddr() == address)
            return CharsToStr(module->Name, kNameHigh);
    }
    return translist::AddressText(address);
}

QString relaisText(std::uint16_t relais) {
    switch (relais) {
    case 0:
        return QStringLiteral("Relais auf dem Lesemodul");
    case 1:
        return QStringLiteral("Relais 1 (intern)");
    case 2:
        return QStringLiteral("Relais 2 (intern)");
    default:
        return QString::number(relais);
    }
}

QString modeText(std::uint16_t mode) {
    switch (mode) {
    case 0:
        return QStringLiteral("Standard-Modus");
    case 1:
        return QStringLiteral("EIN/AUS Modus (bistabil)");
    case 2:
        return QStringLiteral("Sicherheitsmodus");
    default:
        return QString::number(mode);
    }
}

QString msText(int ms) {
    return QStringLiteral("%1 ms").arg(ms);
}

QString onOff(std::uint16_t flag) {
    return flag == 1 ? QStringLiteral("ja") : flag == 0 ? QStringLiteral("nein") : QString::number(flag);
}

std::vector<std::uint16_t> usedSlots(const TTransponderEntry& transponder) {
    std::vector<std::uint16_t> addresses;
    for (int slot = 0; slot < kModuleSlots; ++slot) {
        if (transponder.ModuleSlot(slot) != 0)
            addresses.push_back(transponder.ModuleSlot(slot));
    }
    return addresses;
}

// Pairs the n-th record of a key in `before` with the n-th of the same key in `after`.
template <typename Record, typename KeyOf>
void compareSection(const RecordList<Record>& before, const RecordList<Record>& after, KeyOf keyOf,
                    Section& section, const std::function<QString(const Record&)>& label,
                    const std::function<QStringList(const Record&, const Record&)>& changes) {
    QHash<QString, std::vector<std::size_t>> afterByKey;
    afterByKey.reserve(static_cast<qsizetype>(after.size()));
    for (std::size_t i = 0; i < after.size(); ++i)
        afterByKey[keyOf(*after[i])].push_back(i);
    QHash<QString, std::size_t> taken;
    std::vector<bool> matched(after.size(), false);
    for (const auto& record : before) {
        const QString key = keyOf(*record);
        std::size_t& n = taken[key];
        const auto found = afterByKey.constFind(key);
        if (found == afterByKey.constEnd() || n >= found->size()) {
            section.removed.push_back({label(*record), {}});
            continue;
        }
        const std::size_t other = (*found)[n++];
        matched[other] = true;
        if (std::memcmp(record.get(), after[other].get(), sizeof(Record)) != 0)
            section.changed.push_back({label(*after[other]), changes(*record, *after[other])});
    }
    for (std::size_t i = 0; i < after.size(); ++i) {
        if (!matched[i])
            section.added.push_back({label(*after[i]), {}});
    }
}

QString transponderKey(const TTransponderEntry& transponder) {
    return (translist::IsBinaryCode(transponder) ? QLatin1Char('B') : QLatin1Char('T')) +
           translist::CodeText(transponder);
}

QJsonObject sectionJson(const Section& section) {
    const auto labels = [](const std::vector<Entry>& entries) {
        QJsonArray array;
        for (const Entry& entry : entries)
            array.append(entry.label);
        return array;
    };
    QJsonArray changed;
    for (const Entry& entry : section.changed)
        changed.append(QJsonObject{{QStringLiteral("label"), entry.label},
                                   {QStringLiteral("changes"), QJsonArray::fromStringList(entry.changes)}});
    return {{QStringLiteral("added"), labels(section.added)},
            {QStringLiteral("removed"), labels(section.removed)},
            {QStringLiteral("changed"), changed}};
}

void sectionLines(const Section& section, const QString& kind, QStringList& lines) {
    for (const Entry& entry : section.added)
        lines << kind + QStringLiteral(" neu: ") + entry.label;
    for (const Entry& entry : section.removed)
        lines << kind + QStringLiteral(" entfernt: ") + entry.label;
    for (const Entry& entry : section.changed) {
        for (const QString& what : entry.changes)
            lines << kind + QStringLiteral(" geändert: ") + entry.label + QStringLiteral(": ") + what;
    }
}

} // namespace

QString TransponderLabel(const TTransponderEntry& transponder) {
    return translist::NameText(transponder) + QStringLiteral(" (") + translist::CodeText(transponder) +
           QLatin1Char(')');
}

QString ModuleLabel(const TModuleEntry& module) {
    return CharsToStr(module.Name, kNameHigh) + QStringLiteral(" (") +
           translist::AddressText(module.ModAddr()) + QLatin1Char(')');
}

QStringList TransponderChanges(const TTransponderEntry& a, const RecordList<TModuleEntry>& modulesA,
                               const TTransponderEntry& b, const RecordList<TModuleEntry>& modulesB) {
    QStringList changes;
    if (translist::NameText(a) != translist::NameText(b))
        changes << change(QStringLiteral("Name"), translist::NameText(a), translist::NameText(b));
    if (translist::CodeText(a) != translist::CodeText(b) ||
        translist::IsBinaryCode(a) != translist::IsBinaryCode(b))
        changes << change(QStringLiteral("Code"),
                          translist::CodeText(a) + QStringLiteral(" (") +
                              translist::CodeFormText(translist::IsBinaryCode(a)) + QLatin1Char(')'),
                          translist::CodeText(b) + QStringLiteral(" (") +
                              translist::CodeFormText(translist::IsBinaryCode(b)) + QLatin1Char(')'));
    if (translist::ActiveText(a) != translist::ActiveText(b))
        changes << change(QStringLiteral("Aktiviert"), translist::ActiveText(a), translist::ActiveText(b));

    const std::vector<std::uint16_t> slotsA = usedSlots(a);
    const std::vector<std::uint16_t> slotsB = usedSlots(b);
    std::map<std::uint16_t, int> balance;
    for (const std::uint16_t address : slotsA)
        --balance[address];
    for (const std::uint16_t address : slotsB)
        ++balance[address];
    // In the order of the slots, so that the words follow the module lists.
    for (const std::uint16_t address : slotsB) {
        if (balance[address] > 0) {
            --balance[address];
            changes << QStringLiteral("Module: + ") + moduleWord(modulesB, address);
        }
    }
    for (const std::uint16_t address : slotsA) {
        if (balance[address] < 0) {
            ++balance[address];
            changes << QStringLiteral("Module: - ") + moduleWord(modulesA, address);
        }
    }
    if (slotsA != slotsB && std::is_permutation(slotsA.begin(), slotsA.end(), slotsB.begin(), slotsB.end()))
        changes << QStringLiteral("Module: Reihenfolge geändert");

    for (int row = 0; row < kDays; ++row) {
        const int day = restrictions::DayOfRow(row);
        const QString dayA = translist::DayText(a, day);
        const QString dayB = translist::DayText(b, day);
        if (dayA != dayB)
            changes << change(translist::Header(translist::FirstDay + row), dayA, dayB);
    }
    if (translist::Bit7Text(a) != translist::Bit7Text(b))
        changes << change(translist::Header(translist::Bit7), translist::Bit7Text(a), translist::Bit7Text(b));
    if (changes.isEmpty() && std::memcmp(&a, &b, sizeof a) != 0)
        changes << kMoreBytes;
    return changes;
}

QStringList ModuleChanges(const TModuleEntry& a, const TModuleEntry& b) {
    QStringList changes;
    const QString nameA = CharsToStr(a.Name, kNameHigh);
    const QString nameB = CharsToStr(b.Name, kNameHigh);
    if (nameA != nameB)
        changes << change(QStringLiteral("Name"), nameA, nameB);
    if (a.Relais() != b.Relais())
        changes << change(QStringLiteral("Relais"), relaisText(a.Relais()), relaisText(b.Relais()));
    if (a.Mode() != b.Mode())
        changes << change(QStringLiteral("Betriebsmodus"), modeText(a.Mode()), modeText(b.Mode()));
    if (a.RelaisTime() != b.RelaisTime())
        changes << change(QStringLiteral("Relaisanzugszeit"), msText(a.RelaisTime() * 100),
                          msText(b.RelaisTime() * 100));
    if (a.LEDTime() != b.LEDTime())
        changes << change(QStringLiteral("Sperrzeit"), msText(a.LEDTime() * 100), msText(b.LEDTime() * 100));
    if (a.MaxEinEnabled() != b.MaxEinEnabled())
        changes << change(QStringLiteral("Max. Zeit aktiviert"), onOff(a.MaxEinEnabled()),
                          onOff(b.MaxEinEnabled()));
    if (a.MaxEinTime() != b.MaxEinTime())
        changes << change(QStringLiteral("Maximale Einschaltzeit"), msText(a.MaxEinTime()),
                          msText(b.MaxEinTime()));
    if (a.NachlaufEnabled() != b.NachlaufEnabled())
        changes << change(QStringLiteral("Nachlaufzeit aktiviert"), onOff(a.NachlaufEnabled()),
                          onOff(b.NachlaufEnabled()));
    if (a.NachlaufTime() != b.NachlaufTime())
        changes << change(QStringLiteral("Nachlaufzeit"), msText(a.NachlaufTime()), msText(b.NachlaufTime()));
    if (changes.isEmpty() && std::memcmp(&a, &b, sizeof a) != 0)
        changes << kMoreBytes;
    return changes;
}

Diff Compare(const TDeviceEntry& before, const TDeviceEntry& after) {
    Diff diff;
    compareSection<TModuleEntry>(
        before.Modules, after.Modules,
        [](const TModuleEntry& m) { return translist::AddressText(m.ModAddr()); }, diff.modules, &ModuleLabel,
        &ModuleChanges);
    compareSection<TTransponderEntry>(before.Transponders, after.Transponders, &transponderKey,
                                      diff.transponders, &TransponderLabel,
                                      [&](const TTransponderEntry& a, const TTransponderEntry& b) {
                                          return TransponderChanges(a, before.Modules, b, after.Modules);
                                      });
    return diff;
}

QStringList Lines(const Diff& diff) {
    QStringList lines;
    sectionLines(diff.modules, QStringLiteral("Modul"), lines);
    sectionLines(diff.transponders, QStringLiteral("Transponder"), lines);
    if (lines.isEmpty())
        lines << QStringLiteral("Keine Unterschiede.");
    return lines;
}

QByteArray Json(const Diff& diff) {
    const QJsonObject object{{QStringLiteral("equal"), diff.empty()},
                             {QStringLiteral("modules"), sectionJson(diff.modules)},
                             {QStringLiteral("transponders"), sectionJson(diff.transponders)}};
    return QJsonDocument(object).toJson(QJsonDocument::Indented);
}

} // namespace tablediff
