// What differs between two configurations, in words: every kind of difference of a module and of a
// transponder, matching by address and by code (the n-th of equal keys with the n-th), and the JSON.

#include "ListFixtures.h"

#include "data/TableDiff.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QtTest>

#include <functional>

using namespace fixtures;

namespace {

using Change = std::function<void(TDeviceEntry&)>;

void base(TDeviceEntry& entry) {
    add(entry, module("Haupteingang", 0x0100));
    add(entry, module("Lager Tor 2", 0x0104));
    add(entry, module("Archiv", 0x0110));
    TTransponderEntry anna = transponder("Anna M\xFCller", QStringLiteral("1A2B"));
    setSlots(anna, {0x0100, 0x0110});
    allow(anna, 1, 7, 18);
    allow(anna, 2, 7, 18);
    add(entry, anna);
    add(entry, transponder("Bernd", QStringLiteral("2222"), true));
    add(entry, transponder("Ohne Code 1", QString()));
    add(entry, transponder("Ohne Code 2", QString()));
}

TTransponderEntry& anna(TDeviceEntry& entry) {
    return *entry.Transponders[0];
}

} // namespace

Q_DECLARE_METATYPE(Change)

class TestTableDiff : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void differences_data();
    void differences();
    void json();
};

void TestTableDiff::differences_data() {
    QTest::addColumn<Change>("change");
    QTest::addColumn<QStringList>("lines");
    QTest::newRow("equal") << Change([](TDeviceEntry&) {})
                           << QStringList({QStringLiteral("Keine Unterschiede.")});
    QTest::newRow("module added and removed")
        << Change([](TDeviceEntry& e) {
               e.Modules.erase(e.Modules.begin() + 2);
               add(e, module("Tiefgarage", 0x0120));
           })
        << QStringList({QStringLiteral("Modul neu: Tiefgarage (0120)"),
                        QStringLiteral("Modul entfernt: Archiv (0110)")});
    QTest::newRow("module fields")
        << Change([](TDeviceEntry& e) {
               TModuleEntry& m = *e.Modules[1];
               setName(m.Name, "Lager Tor II");
               m.setRelais(2);
               m.setMode(1);
               m.setRelaisTime(15);
               m.setLEDTime(30);
               m.setMaxEinEnabled(1);
               m.setMaxEinTime(60000);
               m.setNachlaufEnabled(1);
               m.setNachlaufTime(3000);
           })
        << QStringList({
               QStringLiteral("Modul geändert: Lager Tor II (0104): Name: Lager Tor 2 → Lager Tor II"),
               QStringLiteral("Modul geändert: Lager Tor II (0104): Relais: Relais auf dem Lesemodul → "
                              "Relais 2 (intern)"),
               QStringLiteral("Modul geändert: Lager Tor II (0104): Betriebsmodus: Standard-Modus → EIN/AUS "
                              "Modus (bistabil)"),
               QStringLiteral("Modul geändert: Lager Tor II (0104): Relaisanzugszeit: 2000 ms → 1500 ms"),
               QStringLiteral("Modul geändert: Lager Tor II (0104): Sperrzeit: 1000 ms → 3000 ms"),
               QStringLiteral("Modul geändert: Lager Tor II (0104): Max. Zeit aktiviert: nein → ja"),
               QStringLiteral("Modul geändert: Lager Tor II (0104): Maximale Einschaltzeit: 0 ms → 60000 ms"),
               QStringLiteral("Modul geändert: Lager Tor II (0104): Nachlaufzeit aktiviert: nein → ja"),
               QStringLiteral("Modul geändert: Lager Tor II (0104): Nachlaufzeit: 0 ms → 3000 ms"),
           });
    QTest::newRow("module: a byte the editors don't show")
        << Change([](TDeviceEntry& e) { e.Modules[0]->setUnnamed(7); })
        << QStringList({QStringLiteral("Modul geändert: Haupteingang (0100): weitere Bytes geändert")});
    QTest::newRow("transponder added and removed")
        << Change([](TDeviceEntry& e) {
               e.Transponders.erase(e.Transponders.begin() + 1);
               add(e, transponder("Dora", QStringLiteral("4444")));
           })
        << QStringList({QStringLiteral("Transponder neu: Dora (4444)"),
                        QStringLiteral("Transponder entfernt: Bernd (2222)")});
    QTest::newRow("same digits, the other form")
        << Change([](TDeviceEntry& e) { *e.Transponders[1] = transponder("Bernd", QStringLiteral("2222")); })
        << QStringList({QStringLiteral("Transponder neu: Bernd (2222)"),
                        QStringLiteral("Transponder entfernt: Bernd (2222)")});
    QTest::newRow("transponder fields")
        << Change([](TDeviceEntry& e) {
               TTransponderEntry& t = anna(e);
               setName(t.Name, "Anna Meier");
               t.setTransAkt(0);
               setSlots(t, {0x0104, 0x0110});
               std::memset(t.DayMask(1), 0, 3);
               allow(t, 1, 8, 17);              // Montag: other hours
               std::memset(t.DayMask(2), 0, 3); // Dienstag: no hour
               t.DayRestr = static_cast<std::uint8_t>(t.DayRestr & ~restrictions::DayBit(1)); // and locked
               allow(t, 0, 0, 24); // Sonntag: whole day
               allow(t, 6, 0, 0);  // Samstag: no hour
               t.DayRestr |= 0x80;
           })
        << QStringList({
               QStringLiteral("Transponder geändert: Anna Meier (1A2B): Name: Anna Müller → Anna Meier"),
               QStringLiteral("Transponder geändert: Anna Meier (1A2B): Aktiviert: JA → NEIN"),
               QStringLiteral("Transponder geändert: Anna Meier (1A2B): Module: + Lager Tor 2"),
               QStringLiteral("Transponder geändert: Anna Meier (1A2B): Module: - Haupteingang"),
               QStringLiteral("Transponder geändert: Anna Meier (1A2B): Montag: 07-18 → gesperrt (08-17)"),
               QStringLiteral("Transponder geändert: Anna Meier (1A2B): Dienstag: 07-18 → keine Stunden"),
               QStringLiteral("Transponder geändert: Anna Meier (1A2B): Samstag: gesperrt → keine Stunden"),
               QStringLiteral("Transponder geändert: Anna Meier (1A2B): Sonntag: gesperrt → 00-24"),
               QStringLiteral("Transponder geändert: Anna Meier (1A2B): Tagesmaske Bit 7: 0 → 1"),
           });
    QTest::newRow("module order")
        << Change([](TDeviceEntry& e) {
               setSlots(anna(e), {0x0110, 0x0100});
           })
        << QStringList(
               {QStringLiteral("Transponder geändert: Anna Müller (1A2B): Module: Reihenfolge geändert")});
    QTest::newRow("a module no longer in the table") << Change([](TDeviceEntry& e) {
        setSlots(anna(e), {0x0100, 0x0110, 0x0777});
    }) << QStringList({QStringLiteral("Transponder geändert: Anna Müller (1A2B): Module: + 0777")});
    QTest::newRow("transponder: bytes behind the name")
        << Change([](TDeviceEntry& e) { anna(e).Name[19] = 'x'; })
        << QStringList({QStringLiteral("Transponder geändert: Anna Müller (1A2B): weitere Bytes geändert")});
    QTest::newRow("equal codes matched in order")
        << Change([](TDeviceEntry& e) {
               setName(e.Transponders[3]->Name, "Carla");
               add(e, transponder("Ohne Code 3", QString()));
           })
        << QStringList({QStringLiteral("Transponder neu: Ohne Code 3 ()"),
                        QStringLiteral("Transponder geändert: Carla (): Name: Ohne Code 2 → Carla")});
}

void TestTableDiff::differences() {
    QFETCH(Change, change);
    QFETCH(QStringList, lines);
    TDeviceEntry before;
    TDeviceEntry after;
    base(before);
    base(after);
    change(after);
    const tablediff::Diff diff = tablediff::Compare(before, after);
    QCOMPARE(tablediff::Lines(diff), lines);
    QCOMPARE(diff.empty(), lines.size() == 1 && lines[0] == QStringLiteral("Keine Unterschiede."));
}

void TestTableDiff::json() {
    TDeviceEntry before;
    TDeviceEntry after;
    base(before);
    base(after);
    after.Modules.erase(after.Modules.begin());
    setName(anna(after).Name, "Anna Meier");
    const QJsonObject json =
        QJsonDocument::fromJson(tablediff::Json(tablediff::Compare(before, after))).object();
    const QJsonObject expected{
        {QStringLiteral("equal"), false},
        {QStringLiteral("modules"),
         QJsonObject{{QStringLiteral("added"), QJsonArray()},
                     {QStringLiteral("removed"), QJsonArray({QStringLiteral("Haupteingang (0100)")})},
                     {QStringLiteral("changed"), QJsonArray()}}},
        {QStringLiteral("transponders"),
         QJsonObject{
             {QStringLiteral("added"), QJsonArray()},
             {QStringLiteral("removed"), QJsonArray()},
             {QStringLiteral("changed"),
              QJsonArray({QJsonObject{{QStringLiteral("label"), QStringLiteral("Anna Meier (1A2B)")},
                                      {QStringLiteral("changes"),
                                       QJsonArray({QStringLiteral("Name: Anna Müller → Anna Meier")})}}})}}},
    };
    QCOMPARE(json, expected);
}

QTEST_GUILESS_MAIN(TestTableDiff)
#include "tst_tablediff.moc"
