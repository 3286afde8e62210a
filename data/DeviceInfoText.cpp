#include "data/DeviceInfoText.h"

#include <stdexcept>

namespace {

QString nameFrom(std::uint8_t index, std::initializer_list<const char16_t*> names) {
    if (index >= names.size())
        throw std::range_error("Range check error");
    return QString::fromUtf16(names.begin()[index]);
}

// "%0.2d" / "%0.2X": at least two digits.
QString dec2(int value) {
    return QStringLiteral("%1").arg(value, 2, 10, QLatin1Char('0'));
}

QString hex(unsigned value, int minDigits) {
    return QStringLiteral("%1").arg(value, minDigits, 16, QLatin1Char('0')).toUpper();
}

} // namespace

QString SerialText(std::uint32_t serial) {
    return hex(serial, 5);
}

QString LanguageName(std::uint8_t index) {
    return nameFrom(index, {u"Deutsch", u"Englisch", u"Französisch"});
}

QString VersionName(std::uint8_t index) {
    return nameFrom(index, {u"Standard", u"Angepasst"});
}

QString OperatingModeName(std::uint8_t index) {
    return nameFrom(index, {u"Offline (Standard)", u"Konverter", u"Konverter mit Rückfall"});
}

void DeviceInfoLines(bool infoValid, const TDeviceInfo& info,
                     const std::function<void(const QString&)>& addLine) {
    if (!infoValid) {
        addLine(QStringLiteral("Bitte aktualisieren Sie die Firmware"));
        addLine(QStringLiteral("Ihres Kelvora compact um diese Funktion"));
        addLine(QStringLiteral("nutzen zu können."));
        return;
    }
    const bool extended = ReportsHardwareAndLogSize(infoValid, info);
    addLine(QStringLiteral("Firmware Version : v%1.%2")
                .arg(int(info.FirmwareMajor))
                .arg(dec2(info.FirmwareMinor)));
    addLine(QStringLiteral("BIOS Version : %1.%2 %3.%4")
                .arg(hex(info.BiosAMajor, 1), hex(info.BiosAMinor, 2), hex(info.BiosBMajor, 1),
                     hex(info.BiosBMinor, 2)));
    addLine(QStringLiteral("Seriennummer : %1").arg(SerialText(info.Serial())));
    if (extended) {
        const QChar letter = info.HardwareRevision < 4 ? QLatin1Char('A') : QLatin1Char('R');
        addLine(QStringLiteral("Hardware : %1%2").arg(letter).arg(dec2(info.HardwareRevision)));
    }
    addLine(QStringLiteral("Sprache : %1").arg(LanguageName(info.Language)));
    addLine(QStringLiteral("Version : %1").arg(VersionName(info.Version)));
    addLine(QStringLiteral("Betriebsmodus : %1").arg(OperatingModeName(info.OperatingMode)));
    addLine(QStringLiteral("Max. Anzahl Module : %1").arg(info.MaxModules()));
    addLine(QStringLiteral("Max. Anzahl Transponder : %1").arg(info.MaxTransponders()));
    if (extended)
        addLine(QStringLiteral("Max. Anzahl Logbucheinträge : %1").arg(info.MaxLogEntries()));
}
