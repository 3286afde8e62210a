#include "data/ModuleStatusRows.h"

#include "device/Conversions.h"

std::vector<ModuleStatusRow> ModuleStatusRows(const TModuleStatusBlock& block,
                                              const RecordList<TModuleEntry>& modules) {
    std::vector<ModuleStatusRow> rows;
    for (const TModuleStatusRec& record : block) {
        const std::uint16_t address = record.Address();
        if (address == 0)
            continue;
        ModuleStatusRow row;
        // Any non-zero ready byte means operational; the text has always said so, and the picture
        // follows it rather than counting on the device to send only 0 and 1.
        row.operational = record.Ready != 0;
        for (const auto& module : modules) {
            if (module->ModAddr() == address) {
                row.name = CharsToStr(module->Name, 19);
                break;
            }
        }
        row.address = QStringLiteral("0x") + QString::number(address, 16).toUpper();
        if (row.operational)
            row.status = kModuleOperationalText + (record.Sabotage ? kSabotageOnText : kSabotageOffText) +
                         (record.DoorOpen ? kDoorOpenText : kDoorClosedText);
        else
            row.status = kModuleNotAnsweringText;
        rows.push_back(row);
    }
    return rows;
}
