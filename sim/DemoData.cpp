#include "sim/DemoData.h"

#include "data/Records.h"
#include "sim/LogbookRing.h"
#include "sim/SimController.h"

#include <QDate>
#include <QFile>

#include <cstring>

namespace sim {
namespace {

const char* const kModuleNames[16] = {
    "Haupteingang", "Nebeneingang", "Lager Tor 1",    "Lager Tor 2",    "B\xFCro EG", "B\xFCro OG",
    "Serverraum",   "Werkstatt",    "Tiefgarage Ein", "Tiefgarage Aus", "Kantine",    "Labor",
    "Archiv",       "Empfang",      "Hintert\xFCr",   "Technikraum",
};

const char* const kFirstNames[] = {"Anna",   "Bernd",  "Claudia",   "Dieter",  "Elke",  "Frank",  "Gabi",
                                   "Hans",   "Ilse",   "J\xFCrgen", "Karin",   "Lutz",  "Monika", "Norbert",
                                   "Olga",   "Peter",  "Rita",      "Stefan",  "Tanja", "Uwe",    "Vera",
                                   "Werner", "Yvonne", "Zora",      "Bj\xF6rn"};
const char* const kSurnames[] = {"M\xFCller",
                                 "Schmidt",
                                 "Schneider",
                                 "Fischer",
                                 "Weber",
                                 "Meyer",
                                 "Wagner",
                                 "Becker",
                                 "Schulz",
                                 "Hoffmann",
                                 "Sch\xE4"
                                 "fer",
                                 "Koch",
                                 "Bauer",
                                 "Richter",
                                 "Klein",
                                 "Wolf",
                                 "Schr\xF6"
                                 "der",
                                 "Neumann",
                                 "Schwarz",
                                 "Zimmermann",
                                 "Braun",
                                 "Kr\xFCger",
                                 "Hofmann",
                                 "Hartmann",
                                 "Lange",
                                 "Schmitt",
                                 "Werner",
                                 "Krause",
                                 "Meier",
                                 "Lehmann",
                                 "Gro\xDF",
                                 "Stein",
                                 "J\xE4ger",
                                 "Vogel",
                                 "Friedrich",
                                 "Keller",
                                 "G\xFCnther",
                                 "Frank",
                                 "Berger",
                                 "Winkler"};

// A small deterministic generator: the demo data is the same on every start.
class Lcg {
public:
    std::uint32_t next() {
        m_state = m_state * 1664525u + 1013904223u;
        return m_state >> 8;
    }
    std::uint32_t below(std::uint32_t n) { return next() % n; }

private:
    std::uint32_t m_state = 0x4B454C56u;
};

void putName(std::uint8_t* field, const char* name) {
    std::memset(field, 0, 20);
    std::strncpy(reinterpret_cast<char*>(field), name, 19);
}

void setHours(std::uint8_t* mask, int from, int to) {
    for (int h = from; h < to; ++h)
        mask[h / 8] |= static_cast<std::uint8_t>(1u << (h % 8));
}

std::uint16_t demoModuleAddress(int i) {
    return static_cast<std::uint16_t>(0x0100 + i * 3 + (i % 4));
}

// Readers being set up after the first sixteen; the last one was just added and has no address yet.
const char* const kExtraModuleNames[4] = {"Zufahrt Nord", "Zufahrt Ost", "Paketraum", "Neues Modul"};

QByteArray demoModules(int count) {
    QByteArray file;
    for (int i = 0; i < 16; ++i) {
        TModuleEntry m;
        std::memset(&m, 0, sizeof m);
        putName(m.Name, kModuleNames[i]);
        if (i == 3) // bytes behind the name's zero that only the controller knows about
            std::memcpy(m.Name + 12, "\x07\x08\x09", 3);
        m.setModAddr(demoModuleAddress(i));
        m.setUnnamed(1);
        m.setRelaisTime(static_cast<std::uint16_t>(10 + (i % 5) * 10));
        m.setLEDTime(static_cast<std::uint16_t>(5 + (i % 3) * 5));
        m.setRelais(static_cast<std::uint16_t>(i % 3));
        m.setMode(static_cast<std::uint16_t>(i == 5 || i == 11 ? 1 : (i == 8 || i == 9 ? 2 : 0)));
        m.setMaxEinEnabled(i == 5 ? 1 : 0);
        m.setMaxEinTime(i == 5 ? 60000 : 0);
        m.setNachlaufEnabled(i == 8 ? 1 : 0);
        m.setNachlaufTime(i == 8 ? 3000 : 0);
        file.append(reinterpret_cast<const char*>(&m), sizeof m);
    }
    for (int i = 16; i < count && i < 20; ++i) {
        TModuleEntry m;
        std::memset(&m, 0, sizeof m);
        putName(m.Name, kExtraModuleNames[i - 16]);
        const bool fresh = i == 19;
        m.setModAddr(fresh ? 0 : static_cast<std::uint16_t>(0x0200 + i));
        m.setUnnamed(1);
        m.setRelaisTime(20);
        m.setLEDTime(10);
        file.append(reinterpret_cast<const char*>(&m), sizeof m);
    }
    return file;
}

QByteArray demoTransponders() {
    Lcg random;
    QByteArray file;
    for (int i = 0; i < 1000; ++i) {
        TTransponderEntry t;
        std::memset(&t, 0, sizeof t);
        QByteArray name = QByteArray(kFirstNames[random.below(std::size(kFirstNames))]) + ' ' +
                          kSurnames[random.below(std::size(kSurnames))];
        putName(t.Name, name.constData());
        const std::uint32_t code = random.next();
        if (i % 3 != 2) {
            // Binary form: big-endian, right-aligned before the marker.
            t.Code[5] = static_cast<std::uint8_t>(i % 7);
            t.Code[6] = static_cast<std::uint8_t>(code >> 24);
            t.Code[7] = static_cast<std::uint8_t>(code >> 16);
            t.Code[8] = static_cast<std::uint8_t>(code >> 8);
            t.Code[9] = static_cast<std::uint8_t>(code);
            t.Code[10] = 0xFF;
        } else {
            const QByteArray text = QByteArray::number(code, 16).toUpper().left(10);
            std::memcpy(t.Code, text.constData(), static_cast<std::size_t>(text.size()));
        }
        t.setTransAkt(i % 17 == 0 ? 0 : 1);
        int slot = 0;
        for (int m = 0; m < 16 && slot < kModuleSlots; ++m) {
            if (m == 0 || random.below(4) == 0)
                t.setModuleSlot(slot++, static_cast<std::uint16_t>(0x0100 + m * 3 + (m % 4)));
        }
        switch (i % 4) {
        case 0: // around the clock
            std::memset(t.TimeRestr, 0xFF, sizeof t.TimeRestr);
            t.DayRestr = 0xFF;
            break;
        case 1: // office hours, Monday to Friday
            for (int day = 1; day <= 5; ++day)
                setHours(t.DayMask(day), 7, 18);
            t.DayRestr = 0x3E;
            break;
        case 2: // early shift all week, Saturday until noon
            for (int day = 0; day < 7; ++day)
                setHours(t.DayMask(day), 5, day == 6 ? 12 : 14);
            t.DayRestr = 0x7E;
            break;
        default: // night shift
            for (int day = 0; day < 7; ++day) {
                setHours(t.DayMask(day), 0, 6);
                setHours(t.DayMask(day), 22, 24);
            }
            t.DayRestr = 0x7F;
            break;
        }
        file.append(reinterpret_cast<const char*>(&t), sizeof t);
    }
    return file;
}

// The logbook record as the controller writes it (63 bytes, see kelvora.log).
struct LogEntry {
    std::uint8_t type;
    std::uint8_t status;
    std::uint8_t second, minute, hour, day, month, year;
    std::uint8_t reserved[2];
    std::uint8_t moduleAddress[2]; // little-endian
    std::uint8_t moduleName[20];
    std::uint8_t code[11];
    std::uint8_t transponderName[20];
};
static_assert(sizeof(LogEntry) == 63);

// A full ring that has wrapped: the oldest of the 1500 entries lies at slot kDemoRingPosition, the
// newest just before it. Five weeks of a working site: logins at the doors from early morning to the
// evening, now and then a refusal or a tamper alarm, and at the very end an entry of type 0.
constexpr int kDemoRingSlots = 1500;
constexpr int kDemoRingPosition = 437;

QByteArray demoLogbook(const QByteArray& transponders) {
    const int transponderCount = static_cast<int>(transponders.size() / sizeof(TTransponderEntry));
    Lcg random;
    QByteArray file(kDemoRingSlots * static_cast<int>(sizeof(LogEntry)), '\0');
    QDate date(2025, 3, 3);
    int seconds = 6 * 3600;
    for (int k = 0; k < kDemoRingSlots; ++k) {
        seconds += 60 + static_cast<int>(random.below(25 * 60));
        if (seconds >= 20 * 3600) {
            date = date.addDays(date.dayOfWeek() >= 5 ? 8 - date.dayOfWeek() : 1); // over the weekend
            seconds = 6 * 3600 + static_cast<int>(random.below(1800));
        }
        LogEntry e;
        std::memset(&e, 0, sizeof e);
        e.second = static_cast<std::uint8_t>(seconds % 60);
        e.minute = static_cast<std::uint8_t>(seconds / 60 % 60);
        e.hour = static_cast<std::uint8_t>(seconds / 3600);
        e.day = static_cast<std::uint8_t>(date.day());
        e.month = static_cast<std::uint8_t>(date.month());
        e.year = static_cast<std::uint8_t>(date.year() % 100);
        e.reserved[0] = static_cast<std::uint8_t>(k);
        e.reserved[1] = static_cast<std::uint8_t>(k >> 8);
        const int module = static_cast<int>(random.below(16));
        const std::uint16_t address = static_cast<std::uint16_t>(0x0100 + module * 3 + (module % 4));
        e.moduleAddress[0] = static_cast<std::uint8_t>(address);
        e.moduleAddress[1] = static_cast<std::uint8_t>(address >> 8);
        putName(e.moduleName, kModuleNames[module]);

        const std::uint32_t roll = random.below(100);
        if (k == kDemoRingSlots - 1) {
            e.type = 0;
        } else if (roll < 4) {
            e.type = 2;
            e.status = static_cast<std::uint8_t>(roll % 3);
        } else {
            e.type = 1;
            // 0 unknown code, 1 not activated, 2 admitted, 3 to 5 refused by time, day or module.
            e.status = roll < 9 ? 0 : roll < 13 ? 1 : roll < 89 ? 2 : roll < 94 ? 3 : roll < 97 ? 4 : 5;
        }
        if (e.type == 1 && e.status == 0) {
            // A transponder the controller does not know: its code only.
            const std::uint32_t code = random.next();
            e.code[7] = static_cast<std::uint8_t>(code >> 16);
            e.code[8] = static_cast<std::uint8_t>(code >> 8);
            e.code[9] = static_cast<std::uint8_t>(code);
            e.code[10] = 0xFF;
        } else if (e.type == 1 && transponderCount > 0) {
            // Not activated: the demo table deactivates every 17th transponder.
            int t = static_cast<int>(random.below(static_cast<std::uint32_t>(transponderCount)));
            if (e.status == 1)
                t -= t % 17;
            TTransponderEntry entry;
            std::memcpy(&entry, transponders.constData() + t * static_cast<int>(sizeof entry), sizeof entry);
            std::memcpy(e.code, entry.Code, sizeof e.code);
            std::memcpy(e.transponderName, entry.Name, sizeof e.transponderName);
        }
        const int slot = (kDemoRingPosition + k) % kDemoRingSlots;
        std::memcpy(file.data() + slot * static_cast<int>(sizeof e), &e, sizeof e);
    }
    return file;
}

bool writeIfMissing(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    if (file.exists() || !file.open(QIODevice::WriteOnly))
        return false;
    return file.write(bytes) == bytes.size();
}

} // namespace

QList<ModuleStatusEntry> demoModuleStatus(int variant) {
    // Module 4 shares its address with module 3 in the demo table; the bus has it once.
    const int modules[] = {0, 1, 2, 3, 5, 6, 7, 8};
    constexpr int kCount = static_cast<int>(std::size(modules));
    QList<ModuleStatusEntry> block;
    for (int slot = 0; slot < kCount; ++slot) {
        ModuleStatusEntry entry{demoModuleAddress(modules[slot]), 1, 0, 0};
        const int shifted = (slot - variant % kCount + kCount) % kCount;
        if (shifted == 1)
            entry.doorOpen = 1;
        else if (shifted == 3)
            entry.sabotage = 1;
        else if (shifted == 5)
            entry.ready = 0;
        block.append(entry);
    }
    block.append({0x0020, 1, 0, 0});
    return block;
}

void writeDemoData(SimController& controller) {
    const QByteArray transponders = demoTransponders();
    writeIfMissing(controller.dataFile(QStringLiteral("module.dat")),
                   demoModules(controller.config().demoModules));
    writeIfMissing(controller.dataFile(QStringLiteral("trans.dat")), transponders);
    if (writeIfMissing(controller.dataFile(QStringLiteral("kelvora.log")), demoLogbook(transponders)))
        writeRingState(controller, {kDemoRingSlots, kDemoRingPosition});
}

} // namespace sim
