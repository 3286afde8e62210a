#include "data/Restrictions.h"

#include <cstring>

namespace restrictions {

bool HourAllowed(const std::uint8_t* dayMask, int hour) {
    return (dayMask[hour / 8] >> (hour % 8)) & 1u;
}

void SetHourAllowed(std::uint8_t* dayMask, int hour, bool allowed) {
    const auto bit = static_cast<std::uint8_t>(1u << (hour % 8));
    if (allowed)
        dayMask[hour / 8] = static_cast<std::uint8_t>(dayMask[hour / 8] | bit);
    else
        dayMask[hour / 8] = static_cast<std::uint8_t>(dayMask[hour / 8] & ~bit);
}

Fields FieldsOf(TTransponderEntry& transponder) {
    return {transponder.ModulRestr, transponder.TimeRestr, &transponder.DayRestr};
}

Fields FieldsOf(TDefaultRestrictions& block) {
    return {block.ModulRestr, block.TimeRestr, &block.DayRestr};
}

bool SlotsHold(const std::uint8_t* modulRestr, std::uint16_t address) {
    for (int slot = 0; slot < kModuleSlots; ++slot) {
        if (GetLE16(modulRestr + 2 * slot) == address)
            return true;
    }
    return false;
}

SlotRewrite RewriteModuleSlots(std::uint8_t* modulRestr, std::span<const std::uint16_t> checkedAddresses) {
    SlotRewrite result;
    std::memset(modulRestr, 0, kModuleSlots * 2);
    for (const std::uint16_t address : checkedAddresses) {
        if (address == 0) {
            ++result.skippedZero;
        } else if (result.stored < kModuleSlots) {
            SetLE16(modulRestr + 2 * result.stored, address);
            ++result.stored;
        } else {
            ++result.dropped;
        }
    }
    return result;
}

int SlotsNeeded(std::span<const std::uint16_t> checkedAddresses) {
    int needed = 0;
    for (const std::uint16_t address : checkedAddresses)
        needed += address != 0 ? 1 : 0;
    return needed;
}

bool AppliesToNewTransponders(const TDefaultRestrictions& block) {
    return block.ApplyRestr == 1;
}

void SetAppliesToNewTransponders(TDefaultRestrictions& block, bool apply) {
    block.ApplyRestr = apply ? 1 : 0;
}

void ApplyNewTransponderRestrictions(TTransponderEntry& transponder, const TDefaultRestrictions& block) {
    if (AppliesToNewTransponders(block)) {
        std::memcpy(transponder.ModulRestr, block.ModulRestr, sizeof transponder.ModulRestr);
        std::memcpy(transponder.TimeRestr, block.TimeRestr, sizeof transponder.TimeRestr);
        transponder.DayRestr = block.DayRestr;
    } else {
        std::memset(transponder.ModulRestr, 0, sizeof transponder.ModulRestr);
        std::memset(transponder.TimeRestr, 0xFF, sizeof transponder.TimeRestr);
        transponder.DayRestr = 0xFF;
    }
}

} // namespace restrictions

// The row-to-record mapping the editors rely on: Monday's mask is the second one, Sunday's the first.
static_assert(restrictions::DayMaskOffset(restrictions::DayOfRow(0)) == 70);
static_assert(restrictions::DayMaskOffset(restrictions::DayOfRow(6)) == 67);
static_assert(restrictions::RowOfDay(0) == 6 && restrictions::RowOfDay(1) == 0);
