// A transponder list as the import reads it, against a small controller's tables. Oracles: the reader
// lists at most its limit of problems; a refused list changes no byte of the tables; an accepted one,
// applied, exported and read again, is accepted again and changes nothing (the export of what an import
// made reads back as it is), whatever the file held.

#include "FuzzSupport.h"

#include "data/DeviceEntry.h"
#include "data/NewRecords.h"
#include "data/TransponderList.h"
#include "device/Conversions.h"
#include "device/Cp1252.h"
#include "ops/Compare.h"
#include "ops/ListImport.h"

#include <QStringDecoder>

#include <algorithm>
#include <cstring>

namespace {

QByteArray bytesOf(const RecordList<TTransponderEntry>& records) {
    QByteArray bytes;
    for (const auto& r : records)
        bytes.append(reinterpret_cast<const char*>(r.get()), sizeof(TTransponderEntry));
    return bytes;
}

bool readsAsUtf8(const QByteArray& bytes) {
    const bool wide =
        std::any_of(bytes.begin(), bytes.end(), [](char c) { return static_cast<unsigned char>(c) >= 0x80; });
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    const QString text = utf8(bytes);
    return wide && !utf8.hasError() && IsAnsiRepresentable(text);
}

const TDeviceEntry& tables() {
    static const TDeviceEntry entry = [] {
        TDeviceEntry e;
        const char* names[] = {"Tor", "Lager", "Halle", "Halle", "Neues Modul"};
        const std::uint16_t addresses[] = {0x0012, 0x0003, 0x0020, 0x0021, 0x0000};
        for (int i = 0; i < 5; ++i) {
            TModuleEntry m = NewModule();
            std::memset(m.Name, 0, sizeof m.Name);
            std::memcpy(m.Name, names[i], std::strlen(names[i]));
            m.setModAddr(addresses[i]);
            e.Modules.push_back(std::make_unique<TModuleEntry>(m));
        }
        for (int i = 0; i < 3; ++i) {
            TTransponderEntry t = NewTransponder(TDefaultRestrictions{});
            StrToChars(QStringLiteral("Person %1").arg(i), t.Name, 20);
            HexToCode(QStringLiteral("1A2%1").arg(i), t.Code, 10);
            t.setModuleSlot(0, 0x0012);
            e.Transponders.push_back(std::make_unique<TTransponderEntry>(t));
        }
        return e;
    }();
    return entry;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const QByteArray file(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    const translist::ParsedList list = translist::ReadList(file);
    fuzz::check(list.problems.size() <= static_cast<std::size_t>(translist::kMaxProblems),
                "problems bounded");
    TDeviceEntry target;
    ops::CopyIdentity(tables(), target);
    ops::CopyTables(tables(), target);
    const QByteArray before = bytesOf(target.Transponders);
    for (const bool removeMissing : {false, true}) {
        ops::ImportPlan plan = ops::PlanImport(target, list, {removeMissing, {}});
        if (!plan.ok()) {
            fuzz::check(plan.transponders.empty() && plan.added.empty() && plan.changed.empty(),
                        "refusal plans nothing");
            ops::ApplyImport(target, plan);
            fuzz::check(bytesOf(target.Transponders) == before, "a refused list changes nothing");
            continue;
        }
        fuzz::check(static_cast<int>(plan.transponders.size()) <= ops::kMaxListTransponders, "limit kept");
        TDeviceEntry imported;
        ops::CopyIdentity(tables(), imported);
        ops::CopyTables(tables(), imported);
        ops::ApplyImport(imported, plan);
        const QByteArray made = bytesOf(imported.Transponders);
        const QByteArray exported = translist::ListFile(imported);
        // Windows-1252 bytes that happen to be UTF-8 as well read as UTF-8 ("Ã¼" as "ü"): no round trip
        // to check there.
        if (readsAsUtf8(exported))
            continue;
        ops::ImportPlan again = ops::PlanImport(imported, translist::ReadList(exported), {true, {}});
        fuzz::check(again.ok(), "the export of an import is accepted",
                    again.problems.empty() ? QString() : translist::ProblemText(again.problems.front()));
        fuzz::check(!again.changesAnything(), "the export of an import changes nothing");
        ops::ApplyImport(imported, again);
        fuzz::check(bytesOf(imported.Transponders) == made, "and no byte");
    }
    return 0;
}
