#pragma once

// The controller's table records, byte for byte as in "module.dat" and "trans.dat". Records are edited
// in place and written back unchanged, so every byte the tool does not interpret (the unnamed module
// word, whatever follows a name's terminating zero) survives a load and save.

#include "device/ByteOrder.h"

#include <array>
#include <cstddef>
#include <cstdint>

#pragma pack(push, 1)

struct TModuleEntry {
    std::uint8_t Name[20];
    std::uint8_t ModAddrLE[2];
    std::uint8_t UnnamedLE[2];
    std::uint8_t RelaisTimeLE[2];
    std::uint8_t LEDTimeLE[2];
    std::uint8_t RelaisLE[2];
    std::uint8_t ModeLE[2];
    std::uint8_t MaxEinEnabledLE[2];
    std::uint8_t MaxEinTimeLE[2];
    std::uint8_t NachlaufEnabledLE[2];
    std::uint8_t NachlaufTimeLE[2];

    std::uint16_t ModAddr() const { return GetLE16(ModAddrLE); }
    std::uint16_t Unnamed() const { return GetLE16(UnnamedLE); }
    std::uint16_t RelaisTime() const { return GetLE16(RelaisTimeLE); }
    std::uint16_t LEDTime() const { return GetLE16(LEDTimeLE); }
    std::uint16_t Relais() const { return GetLE16(RelaisLE); }
    std::uint16_t Mode() const { return GetLE16(ModeLE); }
    std::uint16_t MaxEinEnabled() const { return GetLE16(MaxEinEnabledLE); }
    std::uint16_t MaxEinTime() const { return GetLE16(MaxEinTimeLE); }
    std::uint16_t NachlaufEnabled() const { return GetLE16(NachlaufEnabledLE); }
    std::uint16_t NachlaufTime() const { return GetLE16(NachlaufTimeLE); }

    void setModAddr(std::uint16_t v) { SetLE16(ModAddrLE, v); }
    void setUnnamed(std::uint16_t v) { SetLE16(UnnamedLE, v); }
    void setRelaisTime(std::uint16_t v) { SetLE16(RelaisTimeLE, v); }
    void setLEDTime(std::uint16_t v) { SetLE16(LEDTimeLE, v); }
    void setRelais(std::uint16_t v) { SetLE16(RelaisLE, v); }
    void setMode(std::uint16_t v) { SetLE16(ModeLE, v); }
    void setMaxEinEnabled(std::uint16_t v) { SetLE16(MaxEinEnabledLE, v); }
    void setMaxEinTime(std::uint16_t v) { SetLE16(MaxEinTimeLE, v); }
    void setNachlaufEnabled(std::uint16_t v) { SetLE16(NachlaufEnabledLE, v); }
    void setNachlaufTime(std::uint16_t v) { SetLE16(NachlaufTimeLE, v); }
};

// Module address slots, hour masks and weekday mask, shared by a transponder record (from offset 33)
// and the default restrictions (from offset 1).
constexpr int kModuleSlots = 17;
constexpr int kDays = 7;
constexpr int kDayMaskBytes = 3;

// The two forms of a transponder's 11-byte code, told apart by its last byte (0xFF: binary): the text form
// holds this many characters and a terminator; the binary form ten bytes before the marker, shown as this
// many hexadecimal digits.
constexpr int kTextCodeLength = 10;
constexpr int kBinaryCodeDigits = 20;

struct TTransponderEntry {
    std::uint8_t Name[20];
    std::uint8_t Code[11];
    std::uint8_t TransAktLE[2];
    std::uint8_t ModulRestr[kModuleSlots * 2];
    std::uint8_t TimeRestr[kDays * kDayMaskBytes];
    std::uint8_t DayRestr;

    std::uint16_t TransAkt() const { return GetLE16(TransAktLE); }
    void setTransAkt(std::uint16_t v) { SetLE16(TransAktLE, v); }
    std::uint16_t ModuleSlot(int i) const { return GetLE16(ModulRestr + 2 * i); }
    void setModuleSlot(int i, std::uint16_t v) { SetLE16(ModulRestr + 2 * i, v); }
    std::uint8_t* DayMask(int day) { return TimeRestr + kDayMaskBytes * day; }
    const std::uint8_t* DayMask(int day) const { return TimeRestr + kDayMaskBytes * day; }
};

struct TDefaultRestrictions {
    std::uint8_t ApplyRestr;
    std::uint8_t ModulRestr[kModuleSlots * 2];
    std::uint8_t TimeRestr[kDays * kDayMaskBytes];
    std::uint8_t DayRestr;

    std::uint16_t ModuleSlot(int i) const { return GetLE16(ModulRestr + 2 * i); }
    void setModuleSlot(int i, std::uint16_t v) { SetLE16(ModulRestr + 2 * i, v); }
    std::uint8_t* DayMask(int day) { return TimeRestr + kDayMaskBytes * day; }
    const std::uint8_t* DayMask(int day) const { return TimeRestr + kDayMaskBytes * day; }
};

#pragma pack(pop)

static_assert(sizeof(TModuleEntry) == 40);
static_assert(offsetof(TModuleEntry, ModAddrLE) == 20);
static_assert(offsetof(TModuleEntry, UnnamedLE) == 22);
static_assert(offsetof(TModuleEntry, RelaisTimeLE) == 24);
static_assert(offsetof(TModuleEntry, LEDTimeLE) == 26);
static_assert(offsetof(TModuleEntry, RelaisLE) == 28);
static_assert(offsetof(TModuleEntry, ModeLE) == 30);
static_assert(offsetof(TModuleEntry, MaxEinEnabledLE) == 32);
static_assert(offsetof(TModuleEntry, MaxEinTimeLE) == 34);
static_assert(offsetof(TModuleEntry, NachlaufEnabledLE) == 36);
static_assert(offsetof(TModuleEntry, NachlaufTimeLE) == 38);

static_assert(sizeof(TTransponderEntry) == 89);
static_assert(offsetof(TTransponderEntry, Code) == 20);
static_assert(offsetof(TTransponderEntry, TransAktLE) == 31);
static_assert(offsetof(TTransponderEntry, ModulRestr) == 33);
static_assert(offsetof(TTransponderEntry, TimeRestr) == 67);
static_assert(offsetof(TTransponderEntry, DayRestr) == 88);

static_assert(sizeof(TDefaultRestrictions) == 57);
static_assert(offsetof(TDefaultRestrictions, ModulRestr) == 1);
static_assert(offsetof(TDefaultRestrictions, TimeRestr) == 35);
static_assert(offsetof(TDefaultRestrictions, DayRestr) == 56);
