#pragma once

// The lines of the information list on the "Allgemein" page, made from a controller's device
// information block.

#include "device/DeviceInfo.h"

#include <QString>
#include <QStringList>

#include <functional>

// Hands the lines to addLine one by one, in the list's order. A language, version or operating-mode
// byte outside its table throws std::range_error("Range check error") at its line; the lines handed
// out before stay with the caller. Without a valid block the three lines asking for a firmware update.
void DeviceInfoLines(bool infoValid, const TDeviceInfo& info,
                     const std::function<void(const QString&)>& addLine);

// A serial number as the tool shows it: upper-case hexadecimal, at least five digits.
QString SerialText(std::uint32_t serial);

// The names behind the language, version and operating-mode bytes; std::range_error outside the tables.
QString LanguageName(std::uint8_t index);
QString VersionName(std::uint8_t index);
QString OperatingModeName(std::uint8_t index);
