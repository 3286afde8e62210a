// The information lines of a controller's 20-byte device-information block. Oracles: every number the
// lines show reads back to the byte or word it came from (decimal, at least two digits for the firmware
// minor and hardware revision; upper-case hex with at least five digits for the serial), the lines appear
// in their order and only where the firmware has them, and a byte outside its name table ends the list
// with "Range check error" exactly at its line, the lines before it handed out.

#include "FuzzSupport.h"

#include "data/DeviceInfoText.h"

#include <QRegularExpression>
#include <QStringList>

#include <stdexcept>

namespace {

// Compiled once: the targets run millions of inputs.
const QRegularExpression kFirmware(QStringLiteral("^Firmware Version : v(\\d+)\\.(\\d{2,})$"));
const QRegularExpression
    kBios(QStringLiteral("^BIOS Version : ([0-9A-F]+)\\.([0-9A-F]{2}) ([0-9A-F]+)\\.([0-9A-F]{2})$"));
const QRegularExpression kSerial(QStringLiteral("^Seriennummer : ([0-9A-F]{5,})$"));
const QRegularExpression kHardware(QStringLiteral("^Hardware : ([AR])(\\d{2,})$"));
const QRegularExpression kModules(QStringLiteral("^Max\\. Anzahl Module : (\\d+)$"));
const QRegularExpression kTransponders(QStringLiteral("^Max\\. Anzahl Transponder : (\\d+)$"));
const QRegularExpression kLogEntries(QStringLiteral("^Max\\. Anzahl Logbucheinträge : (\\d+)$"));

// The captured parts of the line; fails the oracle on another shape.
QStringList capture(const QString& line, const QRegularExpression& re) {
    const QRegularExpressionMatch m = re.match(line);
    fuzz::check(m.hasMatch(), "line shape", line + QStringLiteral("  !~  ") + re.pattern());
    return m.capturedTexts().mid(1);
}

unsigned number(const QString& text, int base) {
    bool ok = false;
    const unsigned v = text.toUInt(&ok, base);
    fuzz::check(ok, "a number", text);
    return v;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    fuzz::Input in(data, size);
    const bool valid = (in.byte() & 1) != 0;
    TDeviceInfo info{};
    std::size_t got = 0;
    const std::uint8_t* block = in.take(sizeof info, &got);
    std::memcpy(&info, block, got);

    QStringList lines;
    bool rangeError = false;
    try {
        DeviceInfoLines(valid, info, [&](const QString& line) { lines << line; });
    } catch (const std::range_error& e) {
        fuzz::check(QString::fromLatin1(e.what()) == QLatin1String("Range check error"), "range error text");
        rangeError = true;
    }

    if (!valid) {
        fuzz::check(!rangeError &&
                        lines == QStringList{QStringLiteral("Bitte aktualisieren Sie die Firmware"),
                                             QStringLiteral("Ihres Kelvora compact um diese Funktion"),
                                             QStringLiteral("nutzen zu können.")},
                    "lines without a valid block", lines.join(QLatin1Char('|')));
        return 0;
    }

    const bool extended = info.FirmwareMajor >= 1 && info.FirmwareMinor >= 39;
    // Where the list must stop: at the first name byte outside its table.
    const int namedLines = info.Language > 2 ? 0 : info.Version > 1 ? 1 : info.OperatingMode > 2 ? 2 : 3;
    fuzz::check(rangeError == (namedLines < 3), "range error exactly for a byte outside its table");
    const int expectedCount =
        3 + (extended ? 1 : 0) + namedLines + (namedLines == 3 ? 2 + (extended ? 1 : 0) : 0);
    fuzz::check(lines.size() == expectedCount, "number of lines", lines.join(QLatin1Char('|')));

    int at = 0;
    QStringList f = capture(lines.at(at++), kFirmware);
    fuzz::check(number(f[0], 10) == info.FirmwareMajor && number(f[1], 10) == info.FirmwareMinor, "firmware");
    fuzz::check(info.FirmwareMinor >= 10 || f[1].size() == 2, "firmware minor with two digits");
    f = capture(lines.at(at++), kBios);
    fuzz::check(number(f[0], 16) == info.BiosAMajor && number(f[1], 16) == info.BiosAMinor &&
                    number(f[2], 16) == info.BiosBMajor && number(f[3], 16) == info.BiosBMinor,
                "BIOS versions");
    f = capture(lines.at(at++), kSerial);
    fuzz::check(number(f[0], 16) == info.Serial(), "serial");
    fuzz::check(info.Serial() < 0x10000 || !f[0].startsWith(QLatin1Char('0')), "serial without extra zeros");
    if (extended) {
        f = capture(lines.at(at++), kHardware);
        fuzz::check(f[0] == QLatin1String(info.HardwareRevision < 4 ? "A" : "R"), "hardware letter");
        fuzz::check(number(f[1], 10) == info.HardwareRevision, "hardware revision");
    }
    const QString names[3][3] = {
        {QStringLiteral("Deutsch"), QStringLiteral("Englisch"), QStringLiteral("Französisch")},
        {QStringLiteral("Standard"), QStringLiteral("Angepasst"), QString()},
        {QStringLiteral("Offline (Standard)"), QStringLiteral("Konverter"),
         QStringLiteral("Konverter mit Rückfall")},
    };
    const QString labels[3] = {QStringLiteral("Sprache : "), QStringLiteral("Version : "),
                               QStringLiteral("Betriebsmodus : ")};
    const std::uint8_t bytes[3] = {info.Language, info.Version, info.OperatingMode};
    for (int i = 0; i < namedLines; ++i, ++at)
        fuzz::check(lines.at(at) == labels[i] + names[i][bytes[i]], "name line", lines.at(at));
    if (namedLines < 3)
        return 0;
    f = capture(lines.at(at++), kModules);
    fuzz::check(number(f[0], 10) == info.MaxModules(), "module maximum");
    f = capture(lines.at(at++), kTransponders);
    fuzz::check(number(f[0], 10) == info.MaxTransponders(), "transponder maximum");
    if (extended) {
        f = capture(lines.at(at++), kLogEntries);
        fuzz::check(number(f[0], 10) == info.MaxLogEntries(), "logbook maximum");
    }
    return 0;
}
