#pragma once

// Tables for the list and compare tests: modules and transponders made field by field, and the demo
// tables of the simulated controller.

#include "data/DeviceEntry.h"
#include "data/NewRecords.h"
#include "data/Restrictions.h"
#include "data/TableFiles.h"
#include "device/Conversions.h"
#include "sim/DemoData.h"
#include "sim/SimController.h"

#include <QTemporaryDir>

#include <cstring>
#include <initializer_list>
#include <memory>
#include <utility>

namespace fixtures {

inline void setName(std::uint8_t* field, const QByteArray& name) {
    std::memset(field, 0, 20);
    std::memcpy(field, name.constData(), static_cast<std::size_t>(std::min<qsizetype>(name.size(), 20)));
}

inline TModuleEntry module(const QByteArray& name, std::uint16_t address) {
    TModuleEntry m = NewModule();
    setName(m.Name, name);
    m.setModAddr(address);
    return m;
}

// A transponder with a binary code from hex digits (text form when `text`), active, no module, no day.
inline TTransponderEntry transponder(const QByteArray& name, const QString& code, bool text = false) {
    TTransponderEntry t;
    std::memset(&t, 0, sizeof t);
    setName(t.Name, name);
    if (text)
        std::memcpy(t.Code, code.toLatin1().constData(), static_cast<std::size_t>(code.size()));
    else
        HexToCode(code, t.Code, 10);
    t.setTransAkt(1);
    return t;
}

inline void setSlots(TTransponderEntry& t, std::initializer_list<std::uint16_t> addresses) {
    int slot = 0;
    for (const std::uint16_t a : addresses)
        t.setModuleSlot(slot++, a);
}

inline void allow(TTransponderEntry& t, int day, int from, int to) {
    t.DayRestr = static_cast<std::uint8_t>(t.DayRestr | restrictions::DayBit(day));
    for (int h = from; h < to; ++h)
        restrictions::SetHourAllowed(t.DayMask(day), h, true);
}

inline void add(TDeviceEntry& entry, const TModuleEntry& m) {
    entry.Modules.push_back(std::make_unique<TModuleEntry>(m));
}
inline void add(TDeviceEntry& entry, const TTransponderEntry& t) {
    entry.Transponders.push_back(std::make_unique<TTransponderEntry>(t));
}

inline QByteArray bytesOf(const RecordList<TTransponderEntry>& records) {
    QByteArray bytes;
    for (const auto& r : records)
        bytes.append(reinterpret_cast<const char*>(r.get()), sizeof(TTransponderEntry));
    return bytes;
}

inline QByteArray bytesOf(const TTransponderEntry& t) {
    return QByteArray(reinterpret_cast<const char*>(&t), sizeof t);
}

// The simulated controller's demo tables: 16 modules, 1000 transponders in both code forms.
inline void demoTables(TDeviceEntry& entry) {
    QTemporaryDir dir;
    sim::ControllerConfig config;
    config.dataDir = dir.path();
    sim::SimController controller(config);
    sim::writeDemoData(controller);
    ReadTableFile(dir.filePath(QStringLiteral("module.dat")), entry.Modules);
    ReadTableFile(dir.filePath(QStringLiteral("trans.dat")), entry.Transponders);
}

} // namespace fixtures
