#pragma once

// The transponder list: one row per transponder in a semicolon-separated file that a German spreadsheet
// opens as it stands (Windows-1252, CR LF, one header row), and that reads back into a controller's
// tables. The columns are fixed once and for all; files written today must read in later versions:
//
//   Name; Transpondercode; Codeform; Aktiviert; Module; Montag; … ; Sonntag; Tagesmaske Bit 7
//
// Codeform "binär" or "Text"; Aktiviert "JA" or "NEIN"; Module the modules' hex addresses in slot order,
// each with the module's name beside it ("0101 Haupteingang, 0104 Lager Tor 2"), "keine" for none; a day
// "07-12,13-17" (allowed in these hours), "00-24" (the whole day), "keine Stunden" (allowed, no hour) or
// "gesperrt" (not allowed; hours kept for the day in brackets: "gesperrt (07-12)"); Tagesmaske Bit 7 "1"
// or "0". Fields a spreadsheet would take for a formula go out guarded (SpreadsheetField) and come back
// without the guard; a field holding a ';' or a '"' is quoted.
//
// Reading accepts Windows-1252 and UTF-8 with or without BOM, CR LF or LF, the columns in any order
// (named by the header row, "Transpondercode" required) and cells left empty or columns left out: such a
// value is "not given". It refuses what it can't read with the line, the column and the reason, and it
// takes a hostile file (huge, cut off, binary) without reading more than kMaxListBytes.

#include "data/Records.h"
#include "data/TableFiles.h"

#include <QByteArray>
#include <QHash>
#include <QString>
#include <QStringList>

#include <array>
#include <cstdint>
#include <optional>
#include <vector>

struct TDeviceEntry;

namespace translist {

enum Column {
    Name,
    Code,
    CodeForm,
    Active,
    Modules,
    FirstDay, // Monday; the seven days follow in the editors' order, Monday to Sunday
    LastDay = FirstDay + kDays - 1,
    Bit7,
    kColumnCount
};

// The header of each column as the file holds it.
QString Header(int column);

// A file larger than this is refused unread.
constexpr qsizetype kMaxListBytes = 4 * 1024 * 1024;
// Problems listed at most; the rest are counted.
constexpr int kMaxProblems = 50;

constexpr int kNameLength = 19; // what the tool writes into the 20-byte name field

// What each cell of a transponder's row holds, before the formula guard: the texts the reader compares
// a row with to find what changed. `modules` names the addresses of the slots.
QString NameText(const TTransponderEntry& transponder);
QString CodeText(const TTransponderEntry& transponder);
bool IsBinaryCode(const TTransponderEntry& transponder);
QString CodeFormText(bool binary);
QString ActiveText(const TTransponderEntry& transponder);
// What the Module cell gives for each address of the table: "0104 Lager Tor 2", with the name of the
// first module of the table with it, without commas (they separate the modules).
using ModuleNames = QHash<std::uint16_t, QString>;
ModuleNames NamesOf(const RecordList<TModuleEntry>& modules);
QString ModulesText(const TTransponderEntry& transponder, const ModuleNames& names);
QString ModulesText(const TTransponderEntry& transponder, const RecordList<TModuleEntry>& modules);
// `day` in the controller's numbering, Sunday 0.
QString DayText(const TTransponderEntry& transponder, int day);
QString Bit7Text(const TTransponderEntry& transponder);
QString CellText(const TTransponderEntry& transponder, const ModuleNames& names, int column);

// The hours of one day mask as runs "07-12,13-17"; "00-24" for the whole day; empty for none.
QString HoursText(const std::uint8_t* dayMask);
// An address as the Module cell writes it: four upper-case hexadecimal digits.
QString AddressText(std::uint16_t address);
// "07-12,13-17" (hours 0 to 24, one or two digits, runs separated by commas, blanks allowed) into a
// 3-byte mask; false with the reason.
bool ParseHours(const QString& text, std::uint8_t* dayMask, QString* reason);

// A day cell as read: whether the day is allowed, and its hours when the cell names them (a locked day
// without brackets keeps the hours it has).
struct DayValue {
    bool enabled = false;
    bool hoursGiven = false;
    std::array<std::uint8_t, kDayMaskBytes> hours{};
};
bool ParseDay(const QString& text, DayValue* value, QString* reason);

// The whole list of an entry's transponders, as the file holds it.
QByteArray ListFile(const TDeviceEntry& entry);

// One cell as the file held it (after unquoting) and its value with the formula guard taken off.
struct Cell {
    QString raw;
    QString value;
    int column = 0; // 1-based position in the file
};

struct Row {
    int line = 0; // where the row begins, 1-based
    std::array<std::optional<Cell>, kColumnCount> cells;

    // The trimmed value; empty when the column is missing or the cell is empty ("not given").
    QString value(int column) const;
    bool given(int column) const { return !value(column).isEmpty(); }
    int columnNumber(int column) const {
        return cells[static_cast<std::size_t>(column)] ? cells[static_cast<std::size_t>(column)]->column : 0;
    }
};

struct Problem {
    int line = 0;   // 0: the file as a whole
    int column = 0; // 0: the row as a whole
    QString reason;
};
// "Zeile 3, Spalte 2 (Transpondercode): …"
QString ProblemText(const Problem& problem);

struct ParsedList {
    std::vector<Row> rows;
    std::vector<Problem> problems;
    int moreProblems = 0; // beyond kMaxProblems
    std::array<bool, kColumnCount> present{};

    bool ok() const { return problems.empty(); }
    void add(Problem problem);
};

// Reads the file's bytes: header, rows, each cell's value. Only the form is checked here; what a row
// means for a controller is the import's to check.
ParsedList ReadList(const QByteArray& bytes);
// Reads the file at path (refusing a file larger than kMaxListBytes before reading it).
ParsedList ReadListFile(const QString& path);

// A value as its cell holds it (before quoting): each ';'-piece guarded by SpreadsheetField, and a piece
// that begins with an apostrophe of its own with a second one.
QString FieldText(const QString& value);
// The cell's value again: in each ';'-piece a doubled leading apostrophe halved, or the apostrophe the
// guard puts in front of a formula character taken off.
QString Unguarded(const QString& field);

} // namespace translist
