#pragma once

// The controller's logbook "kelvora.log": fixed 63-byte records without a header, kept by the
// controller as a ring of 1500 slots. Here: the record, its texts, the order in which a copy of the
// file is read, the export lines and the sort order of the list. Bytes in, texts and bytes out.

#include "device/ByteOrder.h"

#include <QByteArray>
#include <QDate>
#include <QString>
#include <QStringList>

#include <array>
#include <cstddef>
#include <cstdint>
#include <vector>

#pragma pack(push, 1)
struct TLogRecord {
    std::uint8_t Type;   // 0 "n/a", 1 "Anmeldung", 2 "Sabotage"
    std::uint8_t Status; // outcome; its meaning depends on the type
    std::uint8_t Second;
    std::uint8_t Minute;
    std::uint8_t Hour;
    std::uint8_t Day;
    std::uint8_t Month;
    std::uint8_t Year; // two digits
    std::uint8_t Reserved[2];
    std::uint8_t ModuleAddressLE[2];
    std::uint8_t ModuleName[20];
    std::uint8_t TransponderCode[11]; // 0xFF in the last byte: right-aligned binary code
    std::uint8_t TransponderName[20];

    std::uint16_t ModuleAddress() const { return GetLE16(ModuleAddressLE); }
    void setModuleAddress(std::uint16_t v) { SetLE16(ModuleAddressLE, v); }
};
#pragma pack(pop)

static_assert(sizeof(TLogRecord) == 63);
static_assert(offsetof(TLogRecord, Status) == 1);
static_assert(offsetof(TLogRecord, Second) == 2);
static_assert(offsetof(TLogRecord, Year) == 7);
static_assert(offsetof(TLogRecord, ModuleAddressLE) == 10);
static_assert(offsetof(TLogRecord, ModuleName) == 12);
static_assert(offsetof(TLogRecord, TransponderCode) == 32);
static_assert(offsetof(TLogRecord, TransponderName) == 43);

namespace logbook {

constexpr int kRecordSize = static_cast<int>(sizeof(TLogRecord));
constexpr int kRingSlots = 1500;

// ---- texts ----

enum Column {
    colDate,
    colTime,
    colType,
    colStatus,
    colModuleName,
    colModuleAddress,
    colTransponderName,
    colTransponderCode,
    kColumnCount
};

// "Datum", "Zeit", ... in column order.
const QStringList& ColumnTitles();
// The column's width in pixels; 0 for the list's default width.
int ColumnWidth(int column);

// Empty outside the table (a type above 2).
QString TypeText(std::uint8_t type);
// Empty for a type without statuses (0) and outside the tables.
QString StatusText(std::uint8_t type, std::uint8_t status);
// False for a type above 2 and for a status outside the table of type 1 (0 to 5) or type 2 (0 to 2).
bool InTables(const TLogRecord& record);

using RowTexts = std::array<QString, kColumnCount>;
// The list row of a record that is InTables (outside them the type and status columns stay empty).
RowTexts RowTextsOf(const TLogRecord& record);

// ---- reading order ----

// How a copy of the file is read: LogCount records, oldest first. Controllers with ring order
// (firmware 1.39 and later) put the oldest at slot LogPosition - LogCount (+1500 when negative); older
// ones write from slot 0.
struct LogRing {
    int count = 0;
    int position = 0;
    bool ringOrder = false;
};

// Slot of the i-th oldest record in ring order.
int RingSlot(const LogRing& ring, int i);

enum class LogEnd {
    Complete,       // all counted records were read
    ShortRead,      // the copy ends within the next record, or before it when read from slot 0
    SeekError,      // the next slot lies outside the copy
    TableViolation, // a record with a type or status outside its table
    Stopped,        // export only: a record that the export format has no line for
};

// Walks the records of a copy in reading order.
class LogReader {
public:
    LogReader(const QByteArray& file, const LogRing& ring);
    // The next record; false when the reading ended (see end()).
    bool next(TLogRecord& record);
    LogEnd end() const { return m_end; }
    int recordsRead() const { return m_read; }
    int lastSlot() const { return m_slot; }

private:
    QByteArray m_file;
    LogRing m_ring;
    int m_read = 0;
    int m_slot = -1;
    LogEnd m_end = LogEnd::Complete;
};

struct TableViolation {
    int record = 0; // 1-based, in reading order
    std::uint8_t type = 0;
    std::uint8_t status = 0;
};
// "Der Logbucheintrag Nr. 12 hat einen unbekannten Typ (7)."
QString TableViolationText(const TableViolation& violation);

struct LogbookContent {
    std::vector<TLogRecord> records; // in reading order, each InTables
    LogEnd end = LogEnd::Complete;
    TableViolation violation; // with end == TableViolation
};

// Reads a copy up to its end or up to the first record outside the tables.
LogbookContent ReadLogbookCopy(const QByteArray& file, const LogRing& ring);
// Every counted record was read. A copy that ends early (cut off at a record, or a slot outside it) does
// not hold what the controller counted: such a read failed, whatever it delivered before.
inline bool ReadToTheEnd(LogEnd end) {
    return end == LogEnd::Complete;
}

// ---- export ----

// One line of a type 1 or 2 record with a status in its table, in Windows-1252, ended by CR LF:
// date;time;type;status;module name;address (hex);transponder name;code; for type 1 (the name empty for
// status 0), date;time;type;status;module name;address;; for type 2.
QByteArray ExportLine(const TLogRecord& record);

struct LogbookExport {
    QByteArray text;
    int lines = 0;
    // Complete or Stopped (at a record of type 0 or above, or status above 5): the text is the whole
    // export. ShortRead, SeekError or TableViolation (type 2 with status 3 to 5): it is not.
    LogEnd end = LogEnd::Complete;
    TableViolation violation;
};
LogbookExport ExportLogbookCopy(const QByteArray& file, const LogRing& ring);
inline bool ExportComplete(LogEnd end) {
    return end == LogEnd::Complete || end == LogEnd::Stopped;
}

// ---- sorting ----

// A list row with the keys its "Datum" and "Zeit" columns sort by, computed once so that sorting a full
// ring costs only comparisons.
struct SortRow {
    SortRow() = default;
    explicit SortRow(const RowTexts& row);
    RowTexts texts;
    qint64 date = 0; // Julian day; the minimum for a text that is no valid date
    int time = 0;    // seconds of the day; -1 for a text that is no valid time
};

// Two-digit years lie in the hundred years up to 50 ahead of thisYear: with 2026, "98" is 1998 (an
// unset controller clock sorts as the oldest) and "76" is 2076.
qint64 DateSortKey(const QString& text, int thisYear = QDate::currentDate().year());
int TimeSortKey(const QString& text);
// The text columns' order: Windows-1252 byte order with ASCII letters compared upper-cased.
int CompareTexts(const QString& a, const QString& b);

// Negative when row a comes before row b in the column's order, 0 when equal: "Datum" newest first
// (texts that are no valid date as the oldest), "Zeit" earliest first (no valid time as the earliest),
// the text columns ascending by CompareTexts. Any column number is accepted; never throws.
int CompareRows(int column, const SortRow& a, const SortRow& b);

} // namespace logbook
