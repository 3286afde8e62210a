#include "ops/ListImport.h"

#include "data/DeviceEntry.h"
#include "data/NewRecords.h"
#include "data/Restrictions.h"
#include "data/TableDiff.h"
#include "device/Conversions.h"
#include "device/Cp1252.h"

#include <QHash>

#include <cstring>
#include <optional>

namespace ops {
namespace {

using translist::Column;
using translist::Problem;
using translist::Row;

constexpr int kCodeHigh = 10;

// A transponder's code as the controller tells codes apart: its form and its digits or characters.
struct Key {
    bool binary = false;
    QString code;
    QString text() const { return (binary ? QLatin1Char('B') : QLatin1Char('T')) + code; }
};

Key keyOf(const TTransponderEntry& transponder) {
    return {translist::IsBinaryCode(transponder), translist::CodeText(transponder)};
}

bool isHex(const QString& text) {
    return std::all_of(text.begin(), text.end(), [](QChar c) {
        return (c >= QLatin1Char('0') && c <= QLatin1Char('9')) ||
               (c >= QLatin1Char('A') && c <= QLatin1Char('F')) ||
               (c >= QLatin1Char('a') && c <= QLatin1Char('f'));
    });
}

// The modules of the target, found by address or by a name that names exactly one of them.
class ModuleIndex {
public:
    explicit ModuleIndex(const RecordList<TModuleEntry>& modules) {
        for (const auto& module : modules) {
            m_addresses.insert(module->ModAddr(), CharsToStr(module->Name, 19));
            const QString name = CharsToStr(module->Name, 19).trimmed().toCaseFolded();
            m_byName[name].push_back(module->ModAddr());
        }
    }

    // False with the reason when the item names no module, or several.
    bool resolve(const QString& item, std::uint16_t* address, QString* reason) const {
        const qsizetype blank = item.indexOf(QLatin1Char(' '));
        const QString first = blank < 0 ? item : item.left(blank);
        if (first.size() <= 4 && isHex(first)) {
            const auto value = static_cast<std::uint16_t>(first.toUInt(nullptr, 16));
            if (m_addresses.contains(value)) {
                if (value == 0) {
                    *reason =
                        QStringLiteral("Das Modul „%1“ hat die Adresse 0000 und kann keinem Transponder "
                                       "zugeordnet werden.")
                            .arg(m_addresses.value(value));
                    return false;
                }
                *address = value;
                return true;
            }
        }
        const auto named = m_byName.constFind(item.trimmed().toCaseFolded());
        if (named == m_byName.constEnd()) {
            *reason = QStringLiteral("Unbekanntes Modul „%1“.").arg(item);
            return false;
        }
        if (named->size() > 1) {
            *reason = QStringLiteral("„%1“ passt auf %2 Module; bitte die Adresse angeben.")
                          .arg(item)
                          .arg(named->size());
            return false;
        }
        if (named->front() == 0) {
            *reason =
                QStringLiteral("Das Modul „%1“ hat die Adresse 0000 und kann keinem Transponder zugeordnet "
                               "werden.")
                    .arg(item);
            return false;
        }
        *address = named->front();
        return true;
    }

private:
    QHash<std::uint16_t, QString> m_addresses;
    QHash<QString, std::vector<std::uint16_t>> m_byName;
};

struct Planner {
    const TDeviceEntry& target;
    const ImportOptions& options;
    ImportPlan& plan;
    ModuleIndex modules{target.Modules};
    translist::ModuleNames names = translist::NamesOf(target.Modules);
    // A text code's cell as the export writes it, for the code it stands for: the guard, a blank at the
    // end or a line break in the code do not make it another transponder's.
    QHash<QString, QString> textCodes = [this] {
        QHash<QString, QString> codes;
        for (const auto& transponder : target.Transponders) {
            if (!translist::IsBinaryCode(*transponder)) {
                const QString code = translist::CodeText(*transponder);
                codes.insert(translist::FieldText(code), code);
            }
        }
        return codes;
    }();

    void refuse(const Row& row, int column, const QString& reason) {
        const int number = column >= 0 ? row.columnNumber(column) : 0;
        if (static_cast<int>(plan.problems.size()) < translist::kMaxProblems)
            plan.problems.push_back(
                {row.line, number,
                 column >= 0 ? translist::Header(column) + QStringLiteral(": ") + reason : reason});
        else
            ++plan.moreProblems;
    }

    // The row's code in the form it names, or the form the controller's editor writes.
    std::optional<Key> codeOf(const Row& row) {
        Key key;
        key.binary = StoresBinaryCodes(target);
        if (row.given(Column::CodeForm)) {
            const QString form = row.value(Column::CodeForm);
            if (form.compare(QStringLiteral("binär"), Qt::CaseInsensitive) == 0 ||
                form.compare(QStringLiteral("binaer"), Qt::CaseInsensitive) == 0)
                key.binary = true;
            else if (form.compare(QStringLiteral("Text"), Qt::CaseInsensitive) == 0)
                key.binary = false;
            else {
                refuse(row, Column::CodeForm,
                       QStringLiteral("„%1“: erwartet wird „binär“ oder „Text“.").arg(form));
                return std::nullopt;
            }
        }
        QString code = row.value(Column::Code);
        if (key.binary) {
            if (!isHex(code)) {
                refuse(row, Column::Code, QStringLiteral("„%1“ ist keine Hexadezimalzahl.").arg(code));
                return std::nullopt;
            }
            code = code.toUpper();
            // The digits are a number: an odd count has its leading zero left out.
            if (code.size() % 2)
                code.prepend(QLatin1Char('0'));
            while (code.startsWith(QStringLiteral("00")))
                code.remove(0, 2);
            if (code.size() > kBinaryCodeDigits) {
                refuse(row, Column::Code,
                       QStringLiteral("„%1“ ist zu lang: ein binärer Code hat höchstens %2 Ziffern.")
                           .arg(row.value(Column::Code))
                           .arg(kBinaryCodeDigits));
                return std::nullopt;
            }
        } else if (const auto& cell = row.cells[Column::Code]; cell && textCodes.contains(cell->raw)) {
            code = textCodes.value(cell->raw);
        } else if (!IsAnsiRepresentable(code)) {
            refuse(row, Column::Code,
                   QStringLiteral("„%1“ enthält Zeichen, die das Gerät nicht speichern kann.").arg(code));
            return std::nullopt;
        }
        key.code = code;
        return key;
    }

    // A cell that holds exactly what the export writes for the transponder.
    bool asExported(const Row& row, int column, const TTransponderEntry& original) const {
        const auto& cell = row.cells[static_cast<std::size_t>(column)];
        return cell && cell->raw == translist::FieldText(translist::CellText(original, names, column));
    }

    // Writes the row's cells into the record; false when a cell was refused.
    bool applyCells(const Row& row, TTransponderEntry& record, const TTransponderEntry* original) {
        bool ok = true;
        const auto wanted = [&](int column) {
            return row.given(column) && !(original && asExported(row, column, *original));
        };
        if (wanted(Column::Name)) {
            const QString name = row.value(Column::Name).left(translist::kNameLength);
            if (!IsAnsiRepresentable(name)) {
                refuse(row, Column::Name,
                       QStringLiteral("„%1“ enthält Zeichen, die das Gerät nicht speichern kann.").arg(name));
                ok = false;
            } else {
                if (!original)
                    std::memset(record.Name, 0, sizeof record.Name);
                StrToChars(name, record.Name, sizeof record.Name);
            }
        }
        if (wanted(Column::Active)) {
            const QString active = row.value(Column::Active);
            const bool yes = active.compare(QStringLiteral("JA"), Qt::CaseInsensitive) == 0;
            if (!yes && active.compare(QStringLiteral("NEIN"), Qt::CaseInsensitive) != 0) {
                refuse(row, Column::Active, QStringLiteral("„%1“: erwartet wird JA oder NEIN.").arg(active));
                ok = false;
            } else if (((record.TransAkt() & 1) != 0) != yes) {
                record.setTransAkt(yes ? 1 : 0);
            }
        }
        if (wanted(Column::Modules)) {
            std::vector<std::uint16_t> addresses;
            const QString cell = row.value(Column::Modules);
            if (cell.compare(QStringLiteral("keine"), Qt::CaseInsensitive) != 0) {
                for (const QString& piece : cell.split(QLatin1Char(','))) {
                    const QString item = piece.trimmed();
                    if (item.isEmpty())
                        continue;
                    std::uint16_t address = 0;
                    QString reason;
                    if (!modules.resolve(item, &address, &reason)) {
                        refuse(row, Column::Modules, reason);
                        ok = false;
                    }
                    addresses.push_back(address);
                }
            }
            if (restrictions::SlotsNeeded(addresses) > kModuleSlots) {
                refuse(row, Column::Modules,
                       QStringLiteral("%1 Module; ein Transponder hat Platz für höchstens %2.")
                           .arg(addresses.size())
                           .arg(kModuleSlots));
                ok = false;
            } else if (ok) {
                restrictions::RewriteModuleSlots(record.ModulRestr, addresses);
            }
        }
        for (int row_ = 0; row_ < kDays; ++row_) {
            const int column = Column::FirstDay + row_;
            if (!wanted(column))
                continue;
            translist::DayValue day;
            QString reason;
            if (!translist::ParseDay(row.value(column), &day, &reason)) {
                refuse(row, column, reason);
                ok = false;
                continue;
            }
            const int number = restrictions::DayOfRow(row_);
            if (day.enabled)
                record.DayRestr = static_cast<std::uint8_t>(record.DayRestr | restrictions::DayBit(number));
            else
                record.DayRestr = static_cast<std::uint8_t>(record.DayRestr & ~restrictions::DayBit(number));
            // A locked day of a new transponder has no hours to keep.
            if (day.hoursGiven || !original)
                std::memcpy(record.DayMask(number), day.hours.data(), kDayMaskBytes);
        }
        if (wanted(Column::Bit7)) {
            const QString bit = row.value(Column::Bit7);
            if (bit == QStringLiteral("1"))
                record.DayRestr = static_cast<std::uint8_t>(record.DayRestr | 0x80);
            else if (bit == QStringLiteral("0"))
                record.DayRestr = static_cast<std::uint8_t>(record.DayRestr & 0x7F);
            else {
                refuse(row, Column::Bit7, QStringLiteral("„%1“: erwartet wird 1 oder 0.").arg(bit));
                ok = false;
            }
        }
        return ok;
    }

    TTransponderEntry newRecord(const Key& key) const {
        TTransponderEntry record = NewTransponder(options.defaults);
        std::memset(record.Code, 0, sizeof record.Code);
        if (key.binary) {
            HexToCode(key.code, record.Code, kCodeHigh);
        } else {
            const QByteArray bytes = ToAnsi(key.code);
            std::memcpy(record.Code, bytes.constData(), static_cast<std::size_t>(bytes.size()));
        }
        return record;
    }

    void run(const translist::ParsedList& list) {
        for (const Problem& problem : list.problems)
            plan.problems.push_back(problem);
        plan.moreProblems = list.moreProblems;
        if (!list.ok())
            return;

        QHash<QString, std::vector<std::size_t>> byKey;
        for (std::size_t i = 0; i < target.Transponders.size(); ++i)
            byKey[keyOf(*target.Transponders[i]).text()].push_back(i);
        QHash<QString, int> seen;
        QHash<QString, int> firstLine;
        std::vector<std::optional<TTransponderEntry>> updated(target.Transponders.size());
        std::vector<int> updatedLine(target.Transponders.size(), 0);
        std::vector<std::pair<TTransponderEntry, int>> created;
        const qsizetype kept = static_cast<qsizetype>(target.Transponders.size());

        for (const Row& row : list.rows) {
            const std::optional<Key> key = codeOf(row);
            if (!key)
                continue;
            const QString text = key->text();
            const std::vector<std::size_t>& existing = byKey.value(text);
            const int n = seen[text]++;
            if (n == 0)
                firstLine.insert(text, row.line);
            if (n < static_cast<int>(existing.size())) {
                const std::size_t index = existing[static_cast<std::size_t>(n)];
                const TTransponderEntry& original = *target.Transponders[index];
                TTransponderEntry record = original;
                if (applyCells(row, record, &original)) {
                    updated[index] = record;
                    updatedLine[index] = row.line;
                }
                continue;
            }
            if (!key->code.isEmpty() && n > 0) {
                refuse(row, Column::Code,
                       QStringLiteral("Der Code „%1“ steht schon in Zeile %2.")
                           .arg(key->code)
                           .arg(firstLine.value(text)));
                continue;
            }
            if (!key->binary && key->code.size() > kTextCodeLength) {
                refuse(row, Column::Code,
                       QStringLiteral("„%1“ ist zu lang: ein Code in Textform hat höchstens %2 Zeichen.")
                           .arg(key->code)
                           .arg(kTextCodeLength));
                continue;
            }
            TTransponderEntry record = newRecord(*key);
            if (applyCells(row, record, nullptr))
                created.emplace_back(record, row.line);
        }

        // Which transponders stay, which go.
        std::vector<bool> removed(target.Transponders.size(), false);
        qsizetype remaining = kept;
        if (options.removeMissing) {
            std::vector<bool> listed(target.Transponders.size(), false);
            for (auto it = byKey.constBegin(); it != byKey.constEnd(); ++it) {
                const int rows = seen.value(it.key());
                for (int n = 0; n < rows && n < static_cast<int>(it->size()); ++n)
                    listed[(*it)[static_cast<std::size_t>(n)]] = true;
            }
            for (std::size_t i = 0; i < listed.size(); ++i) {
                removed[i] = !listed[i];
                remaining -= removed[i] ? 1 : 0;
            }
        }
        for (std::size_t i = 0; i < created.size(); ++i) {
            if (remaining + static_cast<qsizetype>(i) + 1 > kMaxListTransponders) {
                plan.problems.push_back({created[i].second, 0,
                                         QStringLiteral("Mehr als %1 Transponder: dieser wäre der %2.")
                                             .arg(kMaxListTransponders)
                                             .arg(remaining + static_cast<qsizetype>(i) + 1)});
                break;
            }
        }
        if (!plan.ok())
            return;

        plan.transponders.reserve(static_cast<std::size_t>(remaining) + created.size());
        for (std::size_t i = 0; i < target.Transponders.size(); ++i) {
            const TTransponderEntry& original = *target.Transponders[i];
            if (removed[i]) {
                plan.removed.push_back({tablediff::TransponderLabel(original), 0, {}});
                continue;
            }
            const TTransponderEntry& record = updated[i] ? *updated[i] : original;
            if (updated[i] && std::memcmp(&record, &original, sizeof record) != 0)
                plan.changed.push_back(
                    {tablediff::TransponderLabel(record), updatedLine[i],
                     tablediff::TransponderChanges(original, target.Modules, record, target.Modules)});
            else
                plan.unchanged.push_back({tablediff::TransponderLabel(record), updatedLine[i], {}});
            plan.transponders.push_back(std::make_unique<TTransponderEntry>(record));
        }
        for (const auto& [record, line] : created) {
            plan.added.push_back({tablediff::TransponderLabel(record), line, {}});
            plan.transponders.push_back(std::make_unique<TTransponderEntry>(record));
        }
    }
};

} // namespace

ImportPlan PlanImport(const TDeviceEntry& target, const translist::ParsedList& list,
                      const ImportOptions& options) {
    ImportPlan plan;
    Planner planner{target, options, plan};
    planner.run(list);
    if (!plan.ok()) {
        plan.added.clear();
        plan.changed.clear();
        plan.removed.clear();
        plan.unchanged.clear();
        plan.transponders.clear();
    }
    return plan;
}

void ApplyImport(TDeviceEntry& target, ImportPlan& plan) {
    if (!plan.ok())
        return;
    if (plan.changesAnything())
        target.Changed = true;
    target.Transponders = std::move(plan.transponders);
    plan.transponders.clear();
}

QString RefusalText(const ImportPlan& plan) {
    QStringList lines;
    lines << QStringLiteral("Die Transponderliste kann nicht übernommen werden. Es wurde nichts geändert.");
    for (const translist::Problem& problem : plan.problems)
        lines << translist::ProblemText(problem);
    if (plan.moreProblems > 0)
        lines << QStringLiteral("… und %1 weitere Fehler.").arg(plan.moreProblems);
    return lines.join(QLatin1Char('\n'));
}

QString PlanCounts(const ImportPlan& plan) {
    return QStringLiteral("Neu: %1, geändert: %2, entfernt: %3, unverändert: %4")
        .arg(plan.added.size())
        .arg(plan.changed.size())
        .arg(plan.removed.size())
        .arg(plan.unchanged.size());
}

QStringList PlanLines(const ImportPlan& plan) {
    QStringList lines;
    lines << PlanCounts(plan);
    for (const PlanItem& item : plan.added)
        lines << QStringLiteral("Neu: ") + item.label;
    for (const PlanItem& item : plan.changed) {
        for (const QString& what : item.changes)
            lines << QStringLiteral("Geändert: ") + item.label + QStringLiteral(": ") + what;
    }
    for (const PlanItem& item : plan.removed)
        lines << QStringLiteral("Entfernt: ") + item.label;
    return lines;
}

} // namespace ops
