#include "data/OverviewReport.h"

#include "data/DeviceEntry.h"
#include "data/SpreadsheetField.h"
#include "device/Conversions.h"
#include "device/Cp1252.h"

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
            m_progress(percent);
        }
    }

private:
    const Progress& m_progress;
    std::size_t m_count;
    int m_last = -1;
};

} // namespace

QString HoursLine(const std::uint8_t* dayMask) {
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
        line += line.isEmpty() ? QStringLiteral("    ") : QStringLiteral(",");
        line +=
            QString::number(from) + QStringLiteral("Uhr-") + QString::number(hour) + QStringLiteral("Uhr");
    }
    return line;
}

QStringList TextOverview(const TDeviceEntry& entry, const Progress& progress) {
    const std::vector<ModuleLabel> modules = moduleLabels(entry);
    QStringList lines;
    ProgressSteps steps(progress, entry.Transponders.size());
    for (std::size_t i = 0; i < entry.Transponders.size(); ++i) {
        const TTransponderEntry& transponder = *entry.Transponders[i];
        lines << QStringLiteral("Übersicht für ") + CharsToStr(transponder.Name, kNameHigh) +
                     QStringLiteral(" (") + CodeToStr(transponder.Code, kCodeHigh) + QStringLiteral("):");
        lines << QStringLiteral("  Berechtige Lesemodule:");
        // Slot by slot: a module in two slots is listed twice, one with address 0 once per free slot,
        // and a slot whose module has left the table lists nothing.
        for (int slot = 0; slot < kModuleSlots; ++slot) {
            const std::uint16_t address = transponder.ModuleSlot(slot);
            for (const ModuleLabel& module : modules) {
                if (module.address == address)
                    lines << QStringLiteral("    ") + module.text + QLatin1Char(' ');
            }
        }
        lines << QString();
        for (int row = 0; row < kDays; ++row) {
            const int day = DayOfReportRow(row);
            if (!(transponder.DayRestr & (1u << day)))
                continue;
            lines << QStringLiteral("  Berechtige Zeiten am ") + QString::fromUtf16(kDayNames[row]) +
                         QLatin1Char(':');
            lines << HoursLine(transponder.DayMask(day));
            lines << QString();
        }
        lines << QString();
        steps.done(i);
    }
    return lines;
}

QStringList CsvOverview(const TDeviceEntry& entry, const Progress& progress) {
    const std::vector<ModuleLabel> modules = moduleLabels(entry);
    QStringList lines;
    lines << QStringLiteral("Daten;;;Beschränkungen");
    QString header = QStringLiteral("Name;Transpondercode;Aktiviert");
    for (const ModuleLabel& module : modules)
        header += QLatin1Char(';') + SpreadsheetField(module.text);
    lines << header;
    ProgressSteps steps(progress, entry.Transponders.size());
    for (std::size_t i = 0; i < entry.Transponders.size(); ++i) {
        const TTransponderEntry& transponder = *entry.Transponders[i];
        QString row =
            SpreadsheetField(CharsToStr(transponder.Name, kNameHigh)) + QLatin1Char(';') +
            SpreadsheetField(CodeToStr(transponder.Code, kCodeHigh)) + QLatin1Char(';') +
            ChooseStr((transponder.TransAkt() & 1) != 0, QStringLiteral("JA"), QStringLiteral("NEIN"));
        for (const ModuleLabel& module : modules) {
            row += QLatin1Char(';');
            if (slotsHold(transponder, module.address))
                row += QLatin1Char('X');
        }
        lines << row;
        steps.done(i);
    }
    return lines;
}

QByteArray FileBytes(const QStringList& lines) {
    if (lines.isEmpty())
        return QByteArray();
    const QString crlf = QStringLiteral("\r\n");
    return ToAnsi(lines.join(crlf) + crlf);
}

} // namespace overview
