#include "data/NewRecords.h"

#include "data/Restrictions.h"

#include <cstring>

namespace {

template <std::size_t N> void putName(std::uint8_t (&field)[N], const char* name) {
    const std::size_t length = std::strlen(name);
    std::memcpy(field, name, length);
    field[length] = 0;
}

} // namespace

TModuleEntry NewModule() {
    TModuleEntry module;
    std::memset(&module, 0, sizeof module);
    putName(module.Name, "Neues Modul");
    module.setUnnamed(1);
    module.setRelaisTime(20);
    module.setLEDTime(10);
    return module;
}

TTransponderEntry NewTransponder(const TDefaultRestrictions& defaults, CodeForm form) {
    TTransponderEntry transponder;
    std::memset(&transponder, 0, sizeof transponder);
    restrictions::ApplyNewTransponderRestrictions(transponder, defaults);
    putName(transponder.Name, "Neuer Transponder");
    if (form == CodeForm::Binary)
        transponder.Code[10] = 0xFF;
    transponder.setTransAkt(1);
    return transponder;
}
