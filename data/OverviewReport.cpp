#include "data/OverviewReport.h"

#include "data/DeviceEntry.h"
#include "data/SpreadsheetField.h"
#include "device/Conversions.h"
#include "device/Cp1252.h"

#include <QStringBuilder>

#include <algorithm>
#include <array>
#include <vector>

namespace overview {
namespace {

constexpr int kNameHigh = 19;
constexpr int kCodeHigh = 10;
constexpr int kHoursPerDay = 24;

// The report runs Monday to Sunday; the controller numbers its days from Sunday (0) to Saturday (6),
// and bit d of the weekday mask enables day d.
constexpr std::array<const char16_t*, kDays> kDayNames = {
    u"Montag", u"Dienstag", u"Mittwoch", u"Donnerstag", u"Freitag", u"Samstag", u"Sonntag",
};
constexpr int DayOfReportRow(int row) {
    return (row + 1) % kDays;
}

// Hour h (h:00 to h+1:00) is bit h mod 8 of byte h div 8.
bool hourAllowed(const std::uint8_t* dayMask, int hour) {
    return (dayMask[hour / 8] >> (hour % 8)) & 1;
}

bool slotsHold(const TTransponderEntry& transponder, std::uint16_t address) {
    for (int slot = 0; slot < kModuleSlots; ++slot) {
        if (transponder.ModuleSlot(slot) == address)
            return true;
    }
    return false;
}

// "Name (0x12)" of every module, in table order: both reports name the modules this way.
struct ModuleLabel {
    std::uint16_t address;
    QString text;
};

std::vector<ModuleLabel> moduleLabels(const TDeviceEntry& entry) {
    std::vector<ModuleLabel> labels;
    labels.reserve(entry.Modules.size());
    for (const auto& module : entry.Modules) {
        const std::uint16_t address = module->ModAddr();
        labels.push_back({address, CharsToStr(module->Name, kNameHigh) + QStringLiteral(" (0x") +
                                       QString::number(address, 16).toUpper() + QLatin1Char(')')});
    }
    return labels;
}

class ProgressSteps {
public:
    ProgressSteps(const Progress& progress, std::size_t count) : m_progress(progress), m_count(count) {}
    void done(std::size_t index) {
        if (!m_progress)
            return;
        const int percent = static_cast<int>((index + 1) * 100 / m_count);
        if (percent != m_last) {
            m_last = percent;
            Report(m_progress, ProgressStep::Percent, percent);
        }
    }

private:
    const Progress& m_progress;
    std::size_t m_count;
    int m_last = -1;
};

} // namespace

QString HoursLine(const std::uint8_t* dayMask) {
    // "0" to "24", made once: a full table asks for some 100 000 of them.
    static const std::array<QString, kHoursPerDay + 1> numbers = [] {
        std::array<QString, kHoursPerDay + 1> n;
        for (int i = 0; i <= kHoursPerDay; ++i)
            n[static_cast<std::size_t>(i)] = QString::number(i);
        return n;
    }();
    QString line;
    int hour = 0;
    while (hour < kHoursPerDay) {
        if (!hourAllowed(dayMask, hour)) {
            ++hour;
            continue;
        }
        const int from = hour;
        while (hour < kHoursPerDay && hourAllowed(dayMask, hour))
            ++hour;
        if (line.isEmpty())
            line.reserve(4 + 12 * 12);
        line += line.isEmpty() ? QLatin1String("    ") : QLatin1String(",");
        line += numbers[static_cast<std::size_t>(from)];
        line += QLatin1String("Uhr-");
        line += numbers[static_cast<std::size_t>(hour)];
        line += QLatin1String("Uhr");
    }
    return line;
}

namespace {

// The reports are written line by line straight into the file's bytes, so that a full table's megabyte
// of text is never held twice.
struct FileText {
    QByteArray bytes;
    void add(const QString& line) {
        const qsizetype at = bytes.size();
        const qsizetype needed = at + line.size() + 2;
        if (needed > bytes.capacity())
            bytes.reserve(std::max(needed, 2 * bytes.capacity()));
        bytes.resize(needed);
        char* out = bytes.data() + at;
        for (const QChar c : line) {
            const char16_t u = c.unicode();
            // ASCII and Latin-1 letters are their own Windows-1252 bytes; the rest is looked up.
            if (u < 0x80 || (u >= 0xA0 && u <= 0xFF))
                *out++ = static_cast<char>(u);
            else
                *out++ = ToAnsi(QString(c)).at(0);
        }
        *out++ = '\r';
        *out = '\n';
    }
};

void writeText(const TDeviceEntry& entry, const Progress& progress, FileText& sink) {
    // Every line that does not depend on the transponder is made once and shared by all of them.
    const std::vector<ModuleLabel> modules = moduleLabels(entry);
    std::vector<QString> moduleLines;
    moduleLines.reserve(modules.size());
    for (const ModuleLabel& module : modules)
        moduleLines.push_back(QStringLiteral("    ") % module.text % QLatin1Char(' '));
    std::array<QString, kDays> dayLines;
    for (int row = 0; row < kDays; ++row)
        dayLines[static_cast<std::size_t>(row)] =
            QStringLiteral("  Berechtige Zeiten am ") %
            QString::fromUtf16(kDayNames[static_cast<std::size_t>(row)]) % QLatin1Char(':');
    const QString modulesLine = QStringLiteral("  Berechtige Lesemodule:");
    const QString empty;

    ProgressSteps steps(progress, entry.Transponders.size());
    for (std::size_t i = 0; i < entry.Transponders.size(); ++i) {
        const TTransponderEntry& transponder = *entry.Transponders[i];
        sink.add(QStringLiteral("Übersicht für ") % CharsToStr(transponder.Name, kNameHigh) %
                 QStringLiteral(" (") % CodeToStr(transponder.Code, kCodeHigh) % QStringLiteral("):"));
        sink.add(modulesLine);
        // Slot by slot: a module in two slots is listed twice, one with address 0 once per free slot,
        // and a slot whose module has left the table lists nothing.
        for (int slot = 0; slot < kModuleSlots; ++slot) {
            const std::uint16_t address = transponder.ModuleSlot(slot);
            for (std::size_t m = 0; m < modules.size(); ++m) {
                if (modules[m].address == address)
                    sink.add(moduleLines[m]);
            }
        }
        sink.add(empty);
        for (int row = 0; row < kDays; ++row) {
            const int day = DayOfReportRow(row);
            if (!(transponder.DayRestr & (1u << day)))
                continue;
            sink.add(dayLines[static_cast<std::size_t>(row)]);
            sink.add(HoursLine(transponder.DayMask(day)));
            sink.add(empty);
        }
        sink.add(empty);
        steps.done(i);
    }
}

void writeCsv(const TDeviceEntry& entry, const Progress& progress, FileText& sink) {
    const std::vector<ModuleLabel> modules = moduleLabels(entry);
    sink.add(QStringLiteral("Daten;;;Beschränkungen"));
    QString header = QStringLiteral("Name;Transpondercode;Aktiviert");
    for (const ModuleLabel& module : modules)
        header += QLatin1Char(';') + SpreadsheetField(module.text);
    sink.add(header);
    ProgressSteps steps(progress, entry.Transponders.size());
    QString row;
    for (std::size_t i = 0; i < entry.Transponders.size(); ++i) {
        const TTransponderEntry& transponder = *entry.Transponders[i];
        row = SpreadsheetField(CharsToStr(transponder.Name, kNameHigh)) % QLatin1Char(';') %
              SpreadsheetField(CodeToStr(transponder.Code, kCodeHigh)) % QLatin1Char(';') %
              ChooseStr((transponder.TransAkt() & 1) != 0, QStringLiteral("JA"), QStringLiteral("NEIN"));
        for (const ModuleLabel& module : modules) {
            row += QLatin1Char(';');
            if (slotsHold(transponder, module.address))
                row += QLatin1Char('X');
        }
        sink.add(row);
        steps.done(i);
    }
}

} // namespace

QByteArray TextOverviewFile(const TDeviceEntry& entry, const Progress& progress) {
    FileText sink;
    writeText(entry, progress, sink);
    return sink.bytes;
}

QByteArray CsvOverviewFile(const TDeviceEntry& entry, const Progress& progress) {
    FileText sink;
    writeCsv(entry, progress, sink);
    return sink.bytes;
}

} // namespace overview
