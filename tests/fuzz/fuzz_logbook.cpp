// A logbook copy and the ring figures the controller reported (16-bit words, as on the wire), read and
// exported the way the logbook page does. Oracles: a reference walk over the ring decides which slots are
// read and why the reading ends — never a byte beyond the copy; the records read are those slots' bytes;
// the export has one CR LF line of eight fields per record it takes, and stops where the reference says;
// the list texts read back to the record's date and time; the sort order is antisymmetric and
// reflexive for every column.

#include "FuzzSupport.h"

#include "data/Logbook.h"

#include <QDate>

#include <vector>

using namespace logbook;

namespace {

struct Walk {
    std::vector<int> order; // slots read, in reading order
    LogEnd end = LogEnd::Complete;
};

// Reading order: ring order starts at position - count (wrapped once into the ring), older firmware at
// slot 0; either way the walk stops at the first slot whose record the copy does not hold whole.
Walk referenceWalk(qsizetype fileSize, const LogRing& ring) {
    Walk w;
    for (int i = 0; i < ring.count; ++i) {
        int slot = i;
        if (ring.ringOrder) {
            slot = ring.position - ring.count + i;
            if (slot < 0)
                slot += kRingSlots;
            if (slot < 0 || qint64(slot) * kRecordSize >= fileSize) {
                w.end = LogEnd::SeekError;
                return w;
            }
        }
        if (qint64(slot) * kRecordSize + kRecordSize > fileSize) {
            w.end = LogEnd::ShortRead;
            return w;
        }
        w.order.push_back(slot);
    }
    return w;
}

bool inTables(const TLogRecord& r) {
    switch (r.Type) {
    case 0:
        return true;
    case 1:
        return r.Status <= 5;
    case 2:
        return r.Status <= 2;
    default:
        return false;
    }
}

int sign(int v) {
    return (v > 0) - (v < 0);
}

// "dd.mm.yy" / "hh:mm:ss" with at least two digits each.
QString three(int a, int b, int c, QChar sep) {
    const auto two = [](int v) { return QStringLiteral("%1").arg(v, 2, 10, QLatin1Char('0')); };
    return two(a) + sep + two(b) + sep + two(c);
}

void checkRowTexts(const TLogRecord& r, const SortRow& row) {
    fuzz::check(row.texts[colDate] == three(r.Day, r.Month, r.Year, QLatin1Char('.')), "date text",
                row.texts[colDate]);
    fuzz::check(row.texts[colTime] == three(r.Hour, r.Minute, r.Second, QLatin1Char(':')), "time text",
                row.texts[colTime]);
    // A two-digit year is the one of the hundred years around this one that ends in those digits.
    const int thisYear = QDate::currentDate().year();
    int year = 0;
    for (int y = thisYear - 49; y <= thisYear + 50; ++y)
        if (y % 100 == r.Year)
            year = y;
    const QDate date(year, r.Month, r.Day);
    const bool dateKeyed = r.Day < 100 && r.Month < 100 && r.Year < 100 && date.isValid();
    fuzz::check(row.date == (dateKeyed ? date.toJulianDay() : std::numeric_limits<qint64>::min()), "date key",
                row.texts[colDate]);
    const bool timeKeyed = r.Hour < 24 && r.Minute < 60 && r.Second < 60;
    fuzz::check(row.time == (timeKeyed ? r.Hour * 3600 + r.Minute * 60 + r.Second : -1), "time key",
                row.texts[colTime]);
    fuzz::check(row.texts[colModuleAddress] ==
                    QString::number(r.ModuleAddress(), 16).toUpper() + QStringLiteral(" Hex"),
                "module address text");
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    fuzz::Input in(data, size);
    LogRing ring;
    ring.ringOrder = (in.byte() & 1) != 0;
    // Small counts and positions are the interesting ones; the top bit of each word reaches the rest.
    const std::uint16_t count = in.le16();
    const std::uint16_t position = in.le16();
    ring.count = count & 0x8000 ? count : count % 20;
    ring.position = position & 0x8000 ? position : position % 20;
    std::size_t n = 0;
    const std::uint8_t* p = in.rest(&n);
    const QByteArray file(reinterpret_cast<const char*>(p), static_cast<qsizetype>(n));

    const Walk walk = referenceWalk(file.size(), ring);

    // Reading: the walk's slots up to the first record outside the tables.
    const LogbookContent content = ReadLogbookCopy(file, ring);
    std::size_t read = 0;
    LogEnd end = walk.end;
    for (; read < walk.order.size(); ++read) {
        TLogRecord r;
        std::memcpy(&r, file.constData() + qsizetype(walk.order[read]) * kRecordSize, sizeof r);
        if (!inTables(r)) {
            end = LogEnd::TableViolation;
            fuzz::check(content.violation.record == int(read) + 1 && content.violation.type == r.Type &&
                            content.violation.status == r.Status,
                        "the violation names its record");
            const QString text = TableViolationText(content.violation);
            fuzz::check(text.startsWith(
                            QStringLiteral("Der Logbucheintrag Nr. %1 hat einen unbekannten ").arg(read + 1)),
                        "violation text", text);
            break;
        }
        fuzz::check(read < content.records.size(), "a record in the tables read");
        fuzz::check(std::memcmp(&content.records[read], &r, sizeof r) == 0, "record bytes are its slot's");
    }
    fuzz::check(content.records.size() == read, "records read", QString::number(content.records.size()));
    fuzz::check(content.end == end, "end of the reading", QString::number(int(content.end)));

    // Export: a line per login or sabotage record; any other record stops it.
    const LogbookExport exported = ExportLogbookCopy(file, ring);
    int lines = 0;
    std::vector<qsizetype> separators; // per line: eight, and those inside the controller's texts
    LogEnd exportEnd = walk.end;
    for (int slot : walk.order) {
        TLogRecord r;
        std::memcpy(&r, file.constData() + qsizetype(slot) * kRecordSize, sizeof r);
        if ((r.Type != 1 && r.Type != 2) || r.Status > 5) {
            exportEnd = LogEnd::Stopped;
            break;
        }
        if (!inTables(r)) {
            exportEnd = LogEnd::TableViolation;
            break;
        }
        ++lines;
        const RowTexts texts = RowTextsOf(r);
        separators.push_back(8 + texts[colModuleName].count(QLatin1Char(';')) +
                             texts[colTransponderName].count(QLatin1Char(';')) +
                             texts[colTransponderCode].count(QLatin1Char(';')));
    }
    fuzz::check(exported.lines == lines && exported.end == exportEnd, "export lines and end");
    fuzz::check(exported.text.count("\r\n") == lines && (lines == 0 || exported.text.endsWith("\r\n")),
                "one CR LF per line");
    // A name may hold the separator itself: the export writes names as they are (no quoting), so such a
    // line has more separators than fields.
    const QList<QByteArray> exportLines = exported.text.split('\n');
    for (int i = 0; i < lines; ++i) {
        const QByteArray& line = exportLines.at(i);
        fuzz::check(line.count(';') == separators[std::size_t(i)] && line.endsWith(";\r") &&
                        line.count('\r') == 1,
                    "eight fields per line", QString::fromLatin1(line));
    }

    // The list rows and their order.
    std::vector<SortRow> rows;
    for (const TLogRecord& r : content.records) {
        rows.emplace_back(RowTextsOf(r));
        checkRowTexts(r, rows.back());
    }
    for (std::size_t i = 0; i < rows.size() && i < 8; ++i) {
        for (std::size_t j = 0; j < rows.size() && j < 8; ++j) {
            for (int column = -1; column <= kColumnCount; ++column) {
                const int ab = CompareRows(column, rows[i], rows[j]);
                fuzz::check(sign(ab) == -sign(CompareRows(column, rows[j], rows[i])), "antisymmetric order");
                if (i == j)
                    fuzz::check(ab == 0, "a row equals itself");
            }
        }
    }
    return 0;
}
