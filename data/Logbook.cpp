#include "data/Logbook.h"

#include "data/SpreadsheetField.h"
#include "device/Conversions.h"
#include "device/Cp1252.h"

#include <QDate>

#include <algorithm>
#include <cstring>
#include <limits>

namespace logbook {
namespace {

const QString kTypeTexts[] = {
    QStringLiteral("n/a"),
    QStringLiteral("Anmeldung"),
    QStringLiteral("Sabotage"),
};

const QString kLoginStatusTexts[] = {
    QStringLiteral("Transponder nicht gefunden"), QStringLiteral("Transponder nicht aktiviert"),
    QStringLiteral("Anmeldung erfolgreich"),      QStringLiteral("Keine Berechtigung (Zeit)"),
    QStringLiteral("Keine Berechtigung (Tag)"),   QStringLiteral("Keine Berechtigung (Modul)"),
};

const QString kSabotageStatusTexts[] = {
    QStringLiteral("Eintrag im Logbuch"),
    QStringLiteral("Sabotiertes Modul gesperrt"),
    QStringLiteral("Alle Module gesperrt"),
};

constexpr int kColumnWidths[kColumnCount] = {60, 0, 75, 120, 100, 100, 100, 100};

constexpr std::uint8_t kLogin = 1;
constexpr std::uint8_t kSabotage = 2;

QString moduleName(const TLogRecord& r) {
    return CharsToStr(r.ModuleName, 19);
}

QString transponderName(const TLogRecord& r) {
    return CharsToStr(r.TransponderName, 19);
}

QString transponderCode(const TLogRecord& r) {
    return CodeToStr(r.TransponderCode, 10);
}

// "%0.2d<sep>%0.2d<sep>%0.2d": at least two digits each (a byte above 99 keeps its three).
QString threeFields(int a, int b, int c, char separator) {
    char text[12];
    int n = 0;
    for (const int value : {a, b, c}) {
        if (n > 0)
            text[n++] = separator;
        if (value >= 100)
            text[n++] = static_cast<char>('0' + value / 100);
        text[n++] = static_cast<char>('0' + value / 10 % 10);
        text[n++] = static_cast<char>('0' + value % 10);
    }
    return QString::fromLatin1(text, n);
}

QString hex(std::uint16_t value) {
    return QString::number(value, 16).toUpper();
}

// Two decimal digits at text[at]; -1 when they are not.
int digitsAt(const QString& text, int at) {
    const QChar a = text.at(at);
    const QChar b = text.at(at + 1);
    if (a < QLatin1Char('0') || a > QLatin1Char('9') || b < QLatin1Char('0') || b > QLatin1Char('9'))
        return -1;
    return (a.unicode() - '0') * 10 + (b.unicode() - '0');
}

// "dd<sep>mm<sep>yy" as three numbers; false for any other shape.
bool threeNumbers(const QString& text, QChar separator, int values[3]) {
    if (text.size() != 8 || text.at(2) != separator || text.at(5) != separator)
        return false;
    for (int i = 0; i < 3; ++i) {
        values[i] = digitsAt(text, 3 * i);
        if (values[i] < 0)
            return false;
    }
    return true;
}

template <typename T> int compareValues(const T& a, const T& b) {
    return a < b ? -1 : (b < a ? 1 : 0);
}

} // namespace

const QStringList& ColumnTitles() {
    static const QStringList titles = {
        QStringLiteral("Datum"),
        QStringLiteral("Zeit"),
        QStringLiteral("Typ"),
        QStringLiteral("Status"),
        QStringLiteral("Modulname"),
        QStringLiteral("Moduladresse"),
        QStringLiteral("Transpondername"),
        QStringLiteral("Transpondercode"),
    };
    return titles;
}

int ColumnWidth(int column) {
    return column >= 0 && column < kColumnCount ? kColumnWidths[column] : 0;
}

QString TypeText(std::uint8_t type) {
    return type < std::size(kTypeTexts) ? kTypeTexts[type] : QString();
}

QString StatusText(std::uint8_t type, std::uint8_t status) {
    if (type == kLogin && status < std::size(kLoginStatusTexts))
        return kLoginStatusTexts[status];
    if (type == kSabotage && status < std::size(kSabotageStatusTexts))
        return kSabotageStatusTexts[status];
    return QString();
}

bool InTables(const TLogRecord& record) {
    if (record.Type == kLogin)
        return record.Status < std::size(kLoginStatusTexts);
    if (record.Type == kSabotage)
        return record.Status < std::size(kSabotageStatusTexts);
    return record.Type < std::size(kTypeTexts);
}

RowTexts RowTextsOf(const TLogRecord& r) {
    RowTexts row;
    row[colDate] = threeFields(r.Day, r.Month, r.Year, '.');
    row[colTime] = threeFields(r.Hour, r.Minute, r.Second, ':');
    row[colType] = TypeText(r.Type);
    row[colStatus] = StatusText(r.Type, r.Status);
    row[colModuleName] = moduleName(r);
    row[colModuleAddress] = hex(r.ModuleAddress()) + QStringLiteral(" Hex");
    if (r.Type == kLogin) {
        // Status 0: the code is none of the controller's transponders, so the record has no name.
        if (r.Status != 0)
            row[colTransponderName] = transponderName(r);
        row[colTransponderCode] = transponderCode(r);
    }
    return row;
}

int RingSlot(const LogRing& ring, int i) {
    int slot = ring.position + i - ring.count;
    if (slot < 0)
        slot += kRingSlots;
    return slot;
}

LogReader::LogReader(const QByteArray& file, const LogRing& ring) : m_file(file), m_ring(ring) {}

bool LogReader::next(TLogRecord& record) {
    if (m_read >= m_ring.count) {
        m_end = LogEnd::Complete;
        return false;
    }
    const int slot = m_ring.ringOrder ? RingSlot(m_ring, m_read) : m_read;
    const qint64 offset = static_cast<qint64>(slot) * kRecordSize;
    // Only ring order positions the copy; reading on from slot 0 can only run out of records.
    if (m_ring.ringOrder && (slot < 0 || offset >= m_file.size())) {
        m_end = LogEnd::SeekError;
        return false;
    }
    if (offset + kRecordSize > m_file.size()) {
        m_end = LogEnd::ShortRead;
        return false;
    }
    std::memcpy(&record, m_file.constData() + offset, sizeof record);
    ++m_read;
    m_slot = slot;
    return true;
}

QString TableViolationText(const TableViolation& v) {
    if (v.type > kSabotage)
        return QStringLiteral("Der Logbucheintrag Nr. %1 hat einen unbekannten Typ (%2).")
            .arg(v.record)
            .arg(v.type);
    return QStringLiteral("Der Logbucheintrag Nr. %1 hat einen unbekannten Status (%2) für den Typ \"%3\".")
        .arg(v.record)
        .arg(v.status)
        .arg(TypeText(v.type));
}

LogbookContent ReadLogbookCopy(const QByteArray& file, const LogRing& ring) {
    LogbookContent content;
    LogReader reader(file, ring);
    content.records.reserve(static_cast<std::size_t>(qBound(0, ring.count, kRingSlots)));
    TLogRecord record;
    while (reader.next(record)) {
        if (!InTables(record)) {
            content.end = LogEnd::TableViolation;
            content.violation = {reader.recordsRead(), record.Type, record.Status};
            return content;
        }
        content.records.push_back(record);
    }
    content.end = reader.end();
    return content;
}

QByteArray ExportLine(const TLogRecord& r) {
    const RowTexts row = RowTextsOf(r);
    QString fields[kColumnCount] = {
        row[colDate], row[colTime], row[colType], row[colStatus], row[colModuleName], hex(r.ModuleAddress()),
    };
    if (r.Type == kLogin) {
        fields[colTransponderName] = row[colTransponderName];
        fields[colTransponderCode] = row[colTransponderCode];
    }
    QByteArray line;
    line.reserve(128);
    for (const QString& field : fields) {
        line += ToAnsi(SpreadsheetField(field));
        line += ';';
    }
    line += "\r\n";
    return line;
}

LogbookExport ExportLogbookCopy(const QByteArray& file, const LogRing& ring) {
    LogbookExport result;
    result.text.reserve(static_cast<qsizetype>(qBound(0, ring.count, kRingSlots)) * 128);
    LogReader reader(file, ring);
    TLogRecord record;
    while (reader.next(record)) {
        // The export format has lines for logins and sabotage only; a record it has no line for ends
        // the export there.
        if ((record.Type != kLogin && record.Type != kSabotage) || record.Status > 5) {
            result.end = LogEnd::Stopped;
            return result;
        }
        if (!InTables(record)) {
            result.end = LogEnd::TableViolation;
            result.violation = {reader.recordsRead(), record.Type, record.Status};
            return result;
        }
        result.text += ExportLine(record);
        ++result.lines;
    }
    result.end = reader.end();
    return result;
}

qint64 DateSortKey(const QString& text, int thisYear) {
    int v[3];
    if (!threeNumbers(text, QLatin1Char('.'), v))
        return std::numeric_limits<qint64>::min();
    int year = thisYear / 100 * 100 + v[2];
    if (year > thisYear + 50)
        year -= 100;
    else if (year <= thisYear - 50)
        year += 100;
    const QDate date(year, v[1], v[0]);
    return date.isValid() ? date.toJulianDay() : std::numeric_limits<qint64>::min();
}

int TimeSortKey(const QString& text) {
    int v[3];
    if (!threeNumbers(text, QLatin1Char(':'), v) || v[0] > 23 || v[1] > 59 || v[2] > 59)
        return -1;
    return v[0] * 3600 + v[1] * 60 + v[2];
}

namespace {

// The character's Windows-1252 byte, ASCII letters upper-cased.
int textOrder(QChar c) {
    const char16_t u = c.unicode();
    if (u >= 'a' && u <= 'z')
        return u - 'a' + 'A';
    if (u < 0x80 || (u >= 0xA0 && u <= 0xFF))
        return u;
    return static_cast<unsigned char>(ToAnsi(QString(c)).at(0));
}

} // namespace

int CompareTexts(const QString& a, const QString& b) {
    const qsizetype common = std::min(a.size(), b.size());
    for (qsizetype i = 0; i < common; ++i) {
        const int difference = textOrder(a.at(i)) - textOrder(b.at(i));
        if (difference != 0)
            return difference;
    }
    return compareValues(a.size(), b.size());
}

SortRow::SortRow(const RowTexts& row)
    : texts(row), date(DateSortKey(row[colDate])), time(TimeSortKey(row[colTime])) {}

int CompareRows(int column, const SortRow& a, const SortRow& b) {
    switch (column) {
    case colDate:
        return compareValues(b.date, a.date); // newest first
    case colTime:
        return compareValues(a.time, b.time);
    default:
        if (column < colType || column >= kColumnCount)
            return 0;
        return CompareTexts(a.texts[static_cast<std::size_t>(column)],
                            b.texts[static_cast<std::size_t>(column)]);
    }
}

} // namespace logbook
