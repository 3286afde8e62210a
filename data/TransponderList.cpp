#include "data/TransponderList.h"

#include "data/DeviceEntry.h"
#include "data/Restrictions.h"
#include "data/SpreadsheetField.h"
#include "device/Conversions.h"
#include "device/Cp1252.h"

#include <QDir>
#include <QFile>
#include <QStringDecoder>

#include <algorithm>

namespace translist {
namespace {

constexpr int kNameHigh = 19;
constexpr int kCodeHigh = 10;

const QString kNoModules = QStringLiteral("keine");
const QString kNoHours = QStringLiteral("keine Stunden");
const QString kLocked = QStringLiteral("gesperrt");

// Monday to Sunday, as the columns run.
constexpr std::array<const char16_t*, kDays> kDayNames = {
    u"Montag", u"Dienstag", u"Mittwoch", u"Donnerstag", u"Freitag", u"Samstag", u"Sonntag",
};

QString twoDigits(int n) {
    return QStringLiteral("%1").arg(n, 2, 10, QLatin1Char('0'));
}

bool needsQuotes(const QString& field) {
    return field.contains(QLatin1Char(';')) || field.contains(QLatin1Char('"'));
}

QString fileField(const QString& value) {
    const QString guarded = FieldText(value);
    if (!needsQuotes(guarded))
        return guarded;
    QString quoted = guarded;
    quoted.replace(QLatin1Char('"'), QStringLiteral("\"\""));
    return QLatin1Char('"') + quoted + QLatin1Char('"');
}

// The records of the file, split into fields, each with the line it begins on.
struct RawRecord {
    int line = 0;
    QStringList fields;
};

class CsvSplitter {
public:
    explicit CsvSplitter(const QString& text) : m_text(text) {}

    // False at the end of the text.
    bool next(RawRecord* record, std::optional<Problem>* problem) {
        if (m_pos >= m_text.size())
            return false;
        record->line = m_line;
        record->fields.clear();
        QString field;
        bool quoted = false;
        bool wasQuoted = false;
        while (m_pos < m_text.size()) {
            const QChar c = m_text[m_pos++];
            if (quoted) {
                if (c == QLatin1Char('"')) {
                    if (m_pos < m_text.size() && m_text[m_pos] == QLatin1Char('"')) {
                        field += c;
                        ++m_pos;
                    } else {
                        quoted = false;
                    }
                } else {
                    countLine(c);
                    field += c;
                }
                continue;
            }
            if (c == QLatin1Char('"') && field.isEmpty() && !wasQuoted) {
                quoted = true;
                wasQuoted = true;
            } else if (c == QLatin1Char(';')) {
                record->fields << field;
                field.clear();
                wasQuoted = false;
            } else if (c == QLatin1Char('\r') || c == QLatin1Char('\n')) {
                countLine(c);
                record->fields << field;
                return true;
            } else {
                field += c;
            }
        }
        if (quoted)
            *problem = Problem{record->line, static_cast<int>(record->fields.size()) + 1,
                               QStringLiteral("Das Anführungszeichen dieses Feldes wird nicht geschlossen.")};
        record->fields << field;
        return true;
    }

private:
    // CR LF, LF and a lone CR each end one line.
    void countLine(QChar c) {
        if (c == QLatin1Char('\n')) {
            ++m_line;
        } else if (c == QLatin1Char('\r')) {
            if (m_pos < m_text.size() && m_text[m_pos] == QLatin1Char('\n'))
                ++m_pos;
            ++m_line;
        }
    }

    const QString& m_text;
    qsizetype m_pos = 0;
    int m_line = 1;
};

QString decoded(const QByteArray& bytes) {
    static const QByteArray bom("\xEF\xBB\xBF");
    if (bytes.startsWith(bom))
        return QString::fromUtf8(bytes.constData() + bom.size(), bytes.size() - bom.size());
    // Windows-1252 text with umlauts is practically never valid UTF-8; plain ASCII is both. Where it is
    // (a name holding "ï»¿"), UTF-8 that brings characters the controller can't store while Windows-1252
    // reads without the control characters of its gaps is taken for Windows-1252.
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    const QString asUtf8 = utf8(bytes);
    if (utf8.hasError())
        return FromAnsi(bytes);
    if (IsAnsiRepresentable(asUtf8))
        return asUtf8;
    const QString asAnsi = FromAnsi(bytes);
    const bool gaps = std::any_of(asAnsi.begin(), asAnsi.end(),
                                  [](QChar c) { return c.unicode() >= 0x80 && c.unicode() < 0xA0; });
    return gaps ? asUtf8 : asAnsi;
}

Problem tooLarge() {
    return {0, 0,
            QStringLiteral("Die Datei ist größer als %1 MB und keine Transponderliste.")
                .arg(kMaxListBytes / (1024 * 1024))};
}

int columnOfHeader(const QString& header) {
    const QString wanted = header.trimmed();
    for (int column = 0; column < kColumnCount; ++column) {
        if (Header(column).compare(wanted, Qt::CaseInsensitive) == 0)
            return column;
    }
    return -1;
}

} // namespace

QString Header(int column) {
    switch (column) {
    case Name:
        return QStringLiteral("Name");
    case Code:
        return QStringLiteral("Transpondercode");
    case CodeForm:
        return QStringLiteral("Codeform");
    case Active:
        return QStringLiteral("Aktiviert");
    case Modules:
        return QStringLiteral("Module");
    case Bit7:
        return QStringLiteral("Tagesmaske Bit 7");
    default:
        break;
    }
    if (column >= FirstDay && column <= LastDay)
        return QString::fromUtf16(kDayNames[static_cast<std::size_t>(column - FirstDay)]);
    return QString();
}

QString NameText(const TTransponderEntry& transponder) {
    return CharsToStr(transponder.Name, kNameHigh);
}

QString CodeText(const TTransponderEntry& transponder) {
    return CodeToStr(transponder.Code, kCodeHigh);
}

bool IsBinaryCode(const TTransponderEntry& transponder) {
    return transponder.Code[kCodeHigh] == 0xFF;
}

QString CodeFormText(bool binary) {
    return binary ? QStringLiteral("binär") : QStringLiteral("Text");
}

QString ActiveText(const TTransponderEntry& transponder) {
    return (transponder.TransAkt() & 1) ? QStringLiteral("JA") : QStringLiteral("NEIN");
}

QString AddressText(std::uint16_t address) {
    static const char digits[] = "0123456789ABCDEF";
    const QChar text[4] = {QLatin1Char(digits[(address >> 12) & 0xF]),
                           QLatin1Char(digits[(address >> 8) & 0xF]),
                           QLatin1Char(digits[(address >> 4) & 0xF]), QLatin1Char(digits[address & 0xF])};
    return QString(text, 4);
}

ModuleNames NamesOf(const RecordList<TModuleEntry>& modules) {
    ModuleNames names;
    names.reserve(static_cast<qsizetype>(modules.size()));
    for (const auto& module : modules) {
        if (names.contains(module->ModAddr()))
            continue;
        QString name = CharsToStr(module->Name, kNameHigh);
        name.remove(QLatin1Char(','));
        name = name.trimmed();
        names.insert(module->ModAddr(), name.isEmpty()
                                            ? AddressText(module->ModAddr())
                                            : AddressText(module->ModAddr()) + QLatin1Char(' ') + name);
    }
    return names;
}

QString ModulesText(const TTransponderEntry& transponder, const ModuleNames& names) {
    QString text;
    for (int slot = 0; slot < kModuleSlots; ++slot) {
        const std::uint16_t address = transponder.ModuleSlot(slot);
        if (address == 0)
            continue;
        if (!text.isEmpty())
            text += QStringLiteral(", ");
        const auto found = names.constFind(address);
        text += found == names.constEnd() ? AddressText(address) : *found;
    }
    return text.isEmpty() ? kNoModules : text;
}

QString ModulesText(const TTransponderEntry& transponder, const RecordList<TModuleEntry>& modules) {
    return ModulesText(transponder, NamesOf(modules));
}

QString HoursText(const std::uint8_t* dayMask) {
    QStringList runs;
    int hour = 0;
    while (hour < restrictions::kHours) {
        if (!restrictions::HourAllowed(dayMask, hour)) {
            ++hour;
            continue;
        }
        const int from = hour;
        while (hour < restrictions::kHours && restrictions::HourAllowed(dayMask, hour))
            ++hour;
        runs << twoDigits(from) + QLatin1Char('-') + twoDigits(hour);
    }
    return runs.join(QLatin1Char(','));
}

QString DayText(const TTransponderEntry& transponder, int day) {
    const std::uint8_t* mask = transponder.DayMask(day);
    const QString hours = HoursText(mask);
    if (transponder.DayRestr & restrictions::DayBit(day))
        return hours.isEmpty() ? kNoHours : hours;
    return hours.isEmpty() ? kLocked : kLocked + QStringLiteral(" (") + hours + QLatin1Char(')');
}

QString Bit7Text(const TTransponderEntry& transponder) {
    return (transponder.DayRestr & 0x80) ? QStringLiteral("1") : QStringLiteral("0");
}

QString CellText(const TTransponderEntry& transponder, const ModuleNames& names, int column) {
    switch (column) {
    case Name:
        return NameText(transponder);
    case Code:
        return CodeText(transponder);
    case CodeForm:
        return CodeFormText(IsBinaryCode(transponder));
    case Active:
        return ActiveText(transponder);
    case Modules:
        return ModulesText(transponder, names);
    case Bit7:
        return Bit7Text(transponder);
    default:
        break;
    }
    return DayText(transponder, restrictions::DayOfRow(column - FirstDay));
}

bool ParseHours(const QString& text, std::uint8_t* dayMask, QString* reason) {
    std::uint8_t mask[kDayMaskBytes] = {};
    const QStringList runs = text.split(QLatin1Char(','));
    for (const QString& piece : runs) {
        const QString run = piece.trimmed();
        const qsizetype dash = run.indexOf(QLatin1Char('-'));
        bool fromOk = false;
        bool toOk = false;
        const int from = dash > 0 && dash <= 2 ? run.left(dash).trimmed().toInt(&fromOk) : -1;
        const QString toText = dash > 0 ? run.mid(dash + 1).trimmed() : QString();
        const int to = toText.size() >= 1 && toText.size() <= 2 ? toText.toInt(&toOk) : -1;
        const bool digitsOnly = std::all_of(run.begin(), run.end(), [](QChar c) {
            return c.isDigit() || c == QLatin1Char('-') || c == QLatin1Char(' ');
        });
        if (!fromOk || !toOk || !digitsOnly) {
            *reason = QStringLiteral("„%1“ ist keine Zeitangabe wie 07-12,13-17.").arg(run);
            return false;
        }
        if (from < 0 || to > restrictions::kHours || from >= to) {
            *reason =
                QStringLiteral("„%1“: die Stunden laufen von 00 bis 24, das Ende nach dem Anfang.").arg(run);
            return false;
        }
        for (int hour = from; hour < to; ++hour)
            restrictions::SetHourAllowed(mask, hour, true);
    }
    std::copy(std::begin(mask), std::end(mask), dayMask);
    return true;
}

bool ParseDay(const QString& text, DayValue* value, QString* reason) {
    const QString cell = text.trimmed();
    DayValue day;
    if (cell.compare(kNoHours, Qt::CaseInsensitive) == 0) {
        day.enabled = true;
        day.hoursGiven = true;
    } else if (cell.startsWith(kLocked, Qt::CaseInsensitive)) {
        const QString rest = cell.mid(kLocked.size()).trimmed();
        if (!rest.isEmpty()) {
            if (!rest.startsWith(QLatin1Char('(')) || !rest.endsWith(QLatin1Char(')'))) {
                *reason = QStringLiteral("Nach „gesperrt“ stehen nur die Stunden in Klammern, etwa "
                                         "„gesperrt (07-12)“.");
                return false;
            }
            if (!ParseHours(rest.mid(1, rest.size() - 2), day.hours.data(), reason))
                return false;
            day.hoursGiven = true;
        }
    } else {
        day.enabled = true;
        day.hoursGiven = true;
        if (!ParseHours(cell, day.hours.data(), reason))
            return false;
    }
    *value = day;
    return true;
}

QByteArray ListFile(const TDeviceEntry& entry) {
    QStringList header;
    for (int column = 0; column < kColumnCount; ++column)
        header << Header(column);
    QByteArray file = ToAnsi(header.join(QLatin1Char(';'))) + "\r\n";
    file.reserve(file.size() + static_cast<qsizetype>(entry.Transponders.size()) * 400);
    const ModuleNames names = NamesOf(entry.Modules);
    QStringList fields;
    for (const auto& transponder : entry.Transponders) {
        fields.clear();
        for (int column = 0; column < kColumnCount; ++column)
            fields << fileField(CellText(*transponder, names, column));
        file += ToAnsi(fields.join(QLatin1Char(';')));
        file += "\r\n";
    }
    return file;
}

QString Row::value(int column) const {
    const auto& cell = cells[static_cast<std::size_t>(column)];
    return cell ? cell->value.trimmed() : QString();
}

QString ProblemText(const Problem& problem) {
    QString where;
    if (problem.line > 0)
        where = QStringLiteral("Zeile %1").arg(problem.line);
    if (problem.column > 0)
        where += QStringLiteral(", Spalte %1").arg(problem.column);
    return where.isEmpty() ? problem.reason : where + QStringLiteral(": ") + problem.reason;
}

void ParsedList::add(Problem problem) {
    if (static_cast<int>(problems.size()) < kMaxProblems)
        problems.push_back(std::move(problem));
    else
        ++moreProblems;
}

QString FieldText(const QString& value) {
    // Piece by piece, as a spreadsheet splits a field at its ';': each guarded, and a piece that begins
    // with an apostrophe of its own gets a second one, so that it is never taken for the guard's.
    QStringList pieces = value.split(QLatin1Char(';'));
    for (QString& piece : pieces)
        piece = piece.startsWith(QLatin1Char('\'')) ? QLatin1Char('\'') + SpreadsheetField(piece)
                                                    : SpreadsheetField(piece);
    return pieces.join(QLatin1Char(';'));
}

QString Unguarded(const QString& field) {
    if (!field.contains(QLatin1Char('\'')))
        return field;
    QStringList pieces = field.split(QLatin1Char(';'));
    for (QString& piece : pieces) {
        if (piece.startsWith(QStringLiteral("''")))
            piece.remove(0, 1);
        else if (piece.startsWith(QLatin1Char('\'')) && SpreadsheetField(piece.mid(1)) == piece)
            piece.remove(0, 1);
    }
    return pieces.join(QLatin1Char(';'));
}

ParsedList ReadList(const QByteArray& bytes) {
    ParsedList list;
    if (bytes.size() > kMaxListBytes) {
        list.add(tooLarge());
        return list;
    }
    const QString text = decoded(bytes);
    const qsizetype nul = text.indexOf(QChar(0));
    if (nul >= 0) {
        list.add({static_cast<int>(text.left(nul).count(QLatin1Char('\n'))) + 1, 0,
                  QStringLiteral("Die Datei enthält Binärdaten und ist keine Transponderliste.")});
        return list;
    }
    CsvSplitter splitter(text);
    RawRecord record;
    std::optional<Problem> problem;
    if (!splitter.next(&record, &problem) ||
        (record.fields.size() == 1 && record.fields.front().trimmed().isEmpty())) {
        list.add({1, 0, QStringLiteral("Die Kopfzeile mit den Spaltennamen fehlt.")});
        return list;
    }
    if (problem) {
        list.add(*problem);
        return list;
    }
    // The header names the columns; a column named twice or unknown would lose what the user wrote.
    std::vector<int> columnOf;
    for (qsizetype i = 0; i < record.fields.size(); ++i) {
        const QString name = Unguarded(record.fields[i]).trimmed();
        const int column = columnOfHeader(name);
        const int number = static_cast<int>(i) + 1;
        if (name.isEmpty()) {
            columnOf.push_back(-1);
            continue;
        }
        if (column < 0)
            list.add({record.line, number, QStringLiteral("Unbekannte Spalte „%1“.").arg(name)});
        else if (list.present[static_cast<std::size_t>(column)])
            list.add({record.line, number, QStringLiteral("Die Spalte „%1“ steht doppelt.").arg(name)});
        else
            list.present[static_cast<std::size_t>(column)] = true;
        columnOf.push_back(column);
    }
    if (!list.present[Code])
        list.add({record.line, 0, QStringLiteral("Die Spalte „Transpondercode“ fehlt.")});
    if (!list.ok())
        return list;

    while (splitter.next(&record, &problem)) {
        if (problem) {
            list.add(*problem);
            break;
        }
        const bool empty = std::all_of(record.fields.begin(), record.fields.end(),
                                       [](const QString& f) { return f.trimmed().isEmpty(); });
        if (empty)
            continue;
        Row row;
        row.line = record.line;
        for (qsizetype i = 0; i < record.fields.size(); ++i) {
            const int number = static_cast<int>(i) + 1;
            const int column =
                i < static_cast<qsizetype>(columnOf.size()) ? columnOf[static_cast<std::size_t>(i)] : -1;
            if (column < 0) {
                if (!record.fields[i].trimmed().isEmpty())
                    list.add({record.line, number,
                              QStringLiteral("Dieses Feld hat keine Spalte in der Kopfzeile.")});
                continue;
            }
            row.cells[static_cast<std::size_t>(column)] =
                Cell{record.fields[i], Unguarded(record.fields[i]), number};
        }
        list.rows.push_back(std::move(row));
    }
    return list;
}

ParsedList ReadListFile(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        ParsedList list;
        list.add({0, 0,
                  QStringLiteral("Die Datei „%1“ kann nicht gelesen werden.")
                      .arg(QDir::toNativeSeparators(path))});
        return list;
    }
    if (file.size() > kMaxListBytes) {
        ParsedList list;
        list.add(tooLarge());
        return list;
    }
    // A file that grows while it is read still stops at the limit.
    return ReadList(file.read(kMaxListBytes + 1));
}

} // namespace translist
