#include "sim/DemoData.h"

#include "data/Records.h"
#include "sim/SimController.h"

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
        m.setModAddr(static_cast<std::uint16_t>(0x0100 + i * 3 + (i % 4)));
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

void writeIfMissing(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    if (file.exists() || !file.open(QIODevice::WriteOnly))
        return;
    file.write(bytes);
}

} // namespace

void writeDemoData(SimController& controller) {
    writeIfMissing(controller.dataFile(QStringLiteral("module.dat")),
                   demoModules(controller.config().demoModules));
    writeIfMissing(controller.dataFile(QStringLiteral("trans.dat")), demoTransponders());
}

} // namespace sim
