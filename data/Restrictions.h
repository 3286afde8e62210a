#pragma once

// What a transponder's restrictions mean and how the editors change them: the modules at which it is
// accepted (17 address slots) and the hours of each weekday (seven 3-byte hour masks and a weekday
// mask). A transponder record and the program-wide default block carry the same three fields, so the
// functions here work on either through Fields.

#include "data/Records.h"

#include <cstddef>
#include <cstdint>
#include <span>

namespace restrictions {

constexpr int kHours = 24;

// The controller numbers its days from Sunday (day 0) to Saturday (day 6); the editors' rows run from
// Monday (row 0) to Sunday (row 6).
constexpr int DayOfRow(int row) {
    return (row + 1) % kDays;
}
constexpr int RowOfDay(int day) {
    return (day + kDays - 1) % kDays;
}
// The bit of a day in the weekday mask. Bit 7 belongs to no day and is left as it is.
constexpr std::uint8_t DayBit(int day) {
    return static_cast<std::uint8_t>(1u << day);
}
// Where a day's hour mask sits in a transponder record.
constexpr std::size_t DayMaskOffset(int day) {
    return offsetof(TTransponderEntry, TimeRestr) + static_cast<std::size_t>(kDayMaskBytes * day);
}

// Hour h (h:00 to h+1:00) is bit h mod 8 of byte h div 8 of a day mask.
bool HourAllowed(const std::uint8_t* dayMask, int hour);
void SetHourAllowed(std::uint8_t* dayMask, int hour, bool allowed);

// The three restriction fields of a transponder record or of the default block.
struct Fields {
    std::uint8_t* ModulRestr = nullptr; // kModuleSlots little-endian addresses, 0 = free
    std::uint8_t* TimeRestr = nullptr;  // kDays day masks, Sunday first
    std::uint8_t* DayRestr = nullptr;   // bit d: day d enabled
    std::uint8_t* dayMask(int day) const { return TimeRestr + kDayMaskBytes * day; }
};
Fields FieldsOf(TTransponderEntry& transponder);
Fields FieldsOf(TDefaultRestrictions& block);

// True when one of the 17 slots holds the address. A free slot holds 0, so address 0 matches any
// record with a free slot, as the controller sees it.
bool SlotsHold(const std::uint8_t* modulRestr, std::uint16_t address);

struct SlotRewrite {
    int stored = 0;      // addresses written, from slot 0 on
    int skippedZero = 0; // checked modules with address 0, not written
    int dropped = 0;     // addresses beyond the 17th, not written
};

// Rewrites the slots from the addresses of the checked modules, in the order of the module list: all
// 34 bytes cleared, then one address per slot from slot 0. Address 0 is skipped: written into a slot
// it would read as a free slot and could end the controller's scan before the addresses after it.
// Never more than kModuleSlots addresses are written and nothing past the slots is touched.
SlotRewrite RewriteModuleSlots(std::uint8_t* modulRestr, std::span<const std::uint16_t> checkedAddresses);

// The number of slots the checked addresses take (address 0 takes none).
int SlotsNeeded(std::span<const std::uint16_t> checkedAddresses);

// The default block is given to new transponders only when its flag is exactly 1.
bool AppliesToNewTransponders(const TDefaultRestrictions& block);
void SetAppliesToNewTransponders(TDefaultRestrictions& block, bool apply);

// The restrictions of a new transponder: with the default block applied, its module slots, hour masks
// and weekday mask; otherwise every hour of every day and no module. Only the three restriction
// fields are written.
void ApplyNewTransponderRestrictions(TTransponderEntry& transponder, const TDefaultRestrictions& block);

} // namespace restrictions
