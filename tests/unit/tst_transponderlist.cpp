// The transponder list: the file as it is written, its reading back into the tables it came from
// (no byte changes), into an empty table (every field the editors change survives), the rows that are
// refused with their line, column and reason, and a merge of new, changed, unchanged and removed rows.

#include "ListFixtures.h"

#include "data/TransponderList.h"
#include "device/Cp1252.h"
#include "ops/ListImport.h"
#include "support/TestSupport.h"

#include <QtTest>

using namespace fixtures;

namespace {

// Tor 0012, Lager 0003, two modules named Halle, and one that has no address yet.
void crafted(TDeviceEntry& entry) {
    add(entry, module("Tor", 0x0012));
    add(entry, module("Lager", 0x0003));
    add(entry, module("Halle", 0x0020));
    add(entry, module("Halle", 0x0021));
    add(entry, module("Neues Modul", 0x0000));

    TTransponderEntry anna = transponder("Anna M\xFCller", QStringLiteral("1A2B"));
    setSlots(anna, {0x0003, 0x0012});
    allow(anna, 1, 7, 12);
    allow(anna, 1, 13, 17);
    allow(anna, 2, 0, 24);
    allow(anna, 3, 0, 0); // Wednesday allowed, no hour
    allow(anna, 5, 8, 10);
    anna.DayRestr = static_cast<std::uint8_t>(anna.DayRestr & ~restrictions::DayBit(5)); // hours kept
    allow(anna, 0, 22, 24);
    anna.DayRestr |= 0x80;
    add(entry, anna);

    TTransponderEntry chef = transponder("=Chef;B\xFCro", QStringLiteral("0A1B2C"), true);
    chef.setTransAkt(0);
    add(entry, chef);

    TTransponderEntry max = transponder("Max \"Maxi\" Ku", QStringLiteral("00"));
    setSlots(max, {0x0777});
    std::memset(max.TimeRestr, 0xFF, sizeof max.TimeRestr);
    max.DayRestr = 0xFF;
    add(entry, max);
}

// Records with every byte the file does not carry set to something, and every corner of the fields.
void hidden(TDeviceEntry& entry) {
    crafted(entry);
    TTransponderEntry t = transponder("Kurz", QStringLiteral("CAFE"));
    std::memcpy(t.Name + 5, "\x07rest", 5); // behind the name's zero
    t.setTransAkt(0x0101);                  // bit 0 set, the high byte too
    for (int slot = 0; slot < kModuleSlots; ++slot)
        t.setModuleSlot(slot, slot % 2 ? 0x0012 : 0x0003);
    allow(t, 4, 6, 7);
    add(entry, t);
    TTransponderEntry full =
        transponder("Zwanzig Zeichen Name", QStringLiteral("ABCDEFGHIJK"), true); // no zeros
    full.Code[10] = 'K';
    std::memset(full.TimeRestr, 0x5A, sizeof full.TimeRestr);
    full.DayRestr = 0x2A;
    add(entry, full);
    TTransponderEntry gaps = transponder("L\xFC"
                                         "cke\rZeile",
                                         QStringLiteral("0102030405060708090A"));
    gaps.setModuleSlot(0, 0x0012);
    gaps.setModuleSlot(3, 0x0003); // slots 1 and 2 free
    add(entry, gaps);
    // Two new transponders that have no code yet, and a text code that is empty.
    add(entry, NewTransponder(TDefaultRestrictions{}));
    add(entry, NewTransponder(TDefaultRestrictions{}));
    TTransponderEntry emptyText = transponder("Ohne Code", QString(), true);
    std::memcpy(emptyText.Code + 1, "alt", 3); // behind the empty text
    add(entry, emptyText);
    TTransponderEntry apostrophe = transponder("'Hochkomma", QStringLiteral("77"));
    add(entry, apostrophe);
    TTransponderEntry dash = transponder("-", QStringLiteral("78"));
    add(entry, dash);
    // Text codes whose cells the export changes: guarded, a blank at the end, a line break.
    add(entry, transponder("Formel", QStringLiteral("=A1"), true));
    add(entry, transponder("Formel 2", QStringLiteral("'=A1"), true));
    add(entry, transponder("Blank", QStringLiteral("12 "), true));
    add(entry, transponder("Umbruch", QStringLiteral("1\r2"), true));
}

QByteArray encoded(const QByteArray& cp1252, const QString& encoding) {
    const QString text = FromAnsi(cp1252);
    if (encoding == QStringLiteral("utf8"))
        return text.toUtf8();
    if (encoding == QStringLiteral("utf8bom"))
        return "\xEF\xBB\xBF" + text.toUtf8();
    if (encoding == QStringLiteral("lf"))
        return QByteArray(cp1252).replace("\r\n", "\n");
    return cp1252;
}

ops::ImportPlan plan(const TDeviceEntry& entry, const QByteArray& file, ops::ImportOptions options = {}) {
    return ops::PlanImport(entry, translist::ReadList(file), options);
}

QString firstProblem(const ops::ImportPlan& p) {
    return p.problems.empty() ? QString() : translist::ProblemText(p.problems.front());
}

const QByteArray kHeader =
    "Name;Transpondercode;Codeform;Aktiviert;Module;Montag;Dienstag;Mittwoch;Donnerstag;"
    "Freitag;Samstag;Sonntag;Tagesmaske Bit 7\r\n";

} // namespace

class TestTransponderList : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void fileAsWritten();
    void roundTripChangesNoByte_data();
    void roundTripChangesNoByte();
    void fieldsSurviveIntoAnEmptyTable();
    void refusedRows_data();
    void refusedRows();
    void mergeNewChangedUnchangedRemoved();
    void valuesAsTyped_data();
    void valuesAsTyped();
    void hostileFiles_data();
    void hostileFiles();
};

void TestTransponderList::fileAsWritten() {
    TDeviceEntry entry;
    crafted(entry);
    const QByteArray expected =
        kHeader + "Anna M\xFCller;1A2B;bin\xE4r;JA;0003 Lager, 0012 Tor;07-12,13-17;00-24;keine Stunden;"
                  "gesperrt;gesperrt (08-10);gesperrt;22-24;1\r\n"
                  "\"'=Chef;B\xFCro\";0A1B2C;Text;NEIN;keine;gesperrt;gesperrt;gesperrt;gesperrt;gesperrt;"
                  "gesperrt;gesperrt;0\r\n"
                  "\"Max \"\"Maxi\"\" Ku\";;bin\xE4r;JA;0777;00-24;00-24;00-24;00-24;00-24;00-24;00-24;1\r\n";
    QCOMPARE(translist::ListFile(entry), expected);
}

void TestTransponderList::roundTripChangesNoByte_data() {
    QTest::addColumn<QString>("tables");
    QTest::addColumn<QString>("encoding");
    for (const QString& tables : {QStringLiteral("demo"), QStringLiteral("hidden")}) {
        for (const QString& encoding : {QStringLiteral("cp1252"), QStringLiteral("utf8"),
                                        QStringLiteral("utf8bom"), QStringLiteral("lf")})
            QTest::addRow("%s %s", qPrintable(tables), qPrintable(encoding)) << tables << encoding;
    }
}

void TestTransponderList::roundTripChangesNoByte() {
    QFETCH(QString, tables);
    QFETCH(QString, encoding);
    TDeviceEntry entry;
    if (tables == QStringLiteral("demo"))
        demoTables(entry);
    else
        hidden(entry);
    const QByteArray before = bytesOf(entry.Transponders);
    for (const bool removeMissing : {false, true}) {
        ops::ImportPlan p = plan(entry, encoded(translist::ListFile(entry), encoding), {removeMissing, {}});
        QCOMPARE(firstProblem(p), QString());
        QCOMPARE(p.added.size(), 0u);
        QCOMPARE(p.changed.size(), 0u);
        QCOMPARE(p.removed.size(), 0u);
        QCOMPARE(p.unchanged.size(), entry.Transponders.size());
        QVERIFY(!p.changesAnything());
        ops::ApplyImport(entry, p);
        QCOMPARE(testsupport::hexDump(bytesOf(entry.Transponders)), testsupport::hexDump(before));
        QVERIFY(!entry.Changed);
    }
}

void TestTransponderList::fieldsSurviveIntoAnEmptyTable() {
    // Read into a table of the same modules but no transponders, every row is new and made from its cells
    // alone: name, code in its form, active, the slots in order, the hours, the day mask with bit 7.
    TDeviceEntry source;
    crafted(source);
    TTransponderEntry full = transponder("Voll", QStringLiteral("FFEEDDCCBBAA99887766"));
    for (int slot = 0; slot < kModuleSlots; ++slot)
        full.setModuleSlot(slot, slot % 3 ? 0x0012 : 0x0003);
    allow(full, 6, 5, 6);
    add(source, full);
    // Guarded piece by piece; apostrophes of its own at the start of pieces.
    add(source, transponder("Po;-sten;'x;'=y", QStringLiteral("99")));
    add(source, transponder("'=z;\tTab", QStringLiteral("98")));
    TDeviceEntry target;
    for (const auto& m : source.Modules)
        add(target, *m);
    add(target, module("Alt", 0x0777)); // the module whose address Max keeps
    ops::ImportPlan p = plan(target, translist::ListFile(source));
    QCOMPARE(firstProblem(p), QString());
    QCOMPARE(p.added.size(), source.Transponders.size());
    ops::ApplyImport(target, p);
    QVERIFY(target.Changed);
    QCOMPARE(testsupport::hexDump(bytesOf(target.Transponders)),
             testsupport::hexDump(bytesOf(source.Transponders)));
}

void TestTransponderList::refusedRows_data() {
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<int>("existing");
    QTest::addColumn<QString>("problem");
    const QByteArray h = "Name;Transpondercode;Codeform;Aktiviert;Module;Montag;Tagesmaske Bit 7\r\n";
    const auto row = [&h](const QByteArray& rows) { return h + rows; };
    QTest::newRow("unknown module") << row("Anna;1A2B;bin\xE4r;JA;Keller;;\r\n") << 0
                                    << QStringLiteral(
                                           "Zeile 2, Spalte 5: Module: Unbekanntes Modul „Keller“.");
    QTest::newRow("unknown address") << row("Anna;1A2B;bin\xE4r;JA;0012 Tor, 0099;;\r\n") << 0
                                     << QStringLiteral(
                                            "Zeile 2, Spalte 5: Module: Unbekanntes Modul „0099“.");
    QTest::newRow("name of two modules")
        << row("Anna;1A2B;bin\xE4r;JA;Halle;;\r\n") << 0
        << QStringLiteral(
               "Zeile 2, Spalte 5: Module: „Halle“ passt auf 2 Module; bitte die Adresse angeben.");
    QTest::newRow("module without address")
        << row("Anna;1A2B;bin\xE4r;JA;Neues Modul;;\r\n") << 0
        << QStringLiteral("Zeile 2, Spalte 5: Module: Das Modul „Neues Modul“ hat die Adresse 0000 und kann "
                          "keinem Transponder zugeordnet werden.");
    QTest::newRow("18 modules") << row("Anna;1A2B;bin\xE4r;JA;" + QByteArray("Tor,").repeated(18) + ";;\r\n")
                                << 0
                                << QStringLiteral(
                                       "Zeile 2, Spalte 5: Module: 18 Module; ein Transponder hat Platz "
                                       "für höchstens 17.");
    QTest::newRow("hour past 24") << row("Anna;1A2B;bin\xE4r;JA;Tor;07-25;\r\n") << 0
                                  << QStringLiteral(
                                         "Zeile 2, Spalte 6: Montag: „07-25“: die Stunden laufen von 00 bis "
                                         "24, das Ende nach dem Anfang.");
    QTest::newRow("end before start")
        << row("Anna;1A2B;bin\xE4r;JA;Tor;12-08;\r\n") << 0
        << QStringLiteral("Zeile 2, Spalte 6: Montag: „12-08“: die Stunden laufen von 00 "
                          "bis 24, das Ende nach dem Anfang.");
    QTest::newRow("words for hours") << row("Anna;1A2B;bin\xE4r;JA;Tor;8 bis 12;\r\n") << 0
                                     << QStringLiteral(
                                            "Zeile 2, Spalte 6: Montag: „8 bis 12“ ist keine Zeitangabe wie "
                                            "07-12,13-17.");
    QTest::newRow("empty run") << row("Anna;1A2B;bin\xE4r;JA;Tor;07-12,,13-17;\r\n") << 0
                               << QStringLiteral(
                                      "Zeile 2, Spalte 6: Montag: „“ ist keine Zeitangabe wie 07-12,13-17.");
    QTest::newRow("locked without brackets")
        << row("Anna;1A2B;bin\xE4r;JA;Tor;gesperrt 07-12;\r\n") << 0
        << QStringLiteral(
               "Zeile 2, Spalte 6: Montag: Nach „gesperrt“ stehen nur die Stunden in Klammern, etwa "
               "„gesperrt (07-12)“.");
    QTest::newRow("duplicate code") << row("Anna;1A2B;bin\xE4r;;;;\r\nBernd;001a2b;bin\xE4r;;;;\r\n") << 0
                                    << QStringLiteral(
                                           "Zeile 3, Spalte 2: Transpondercode: Der Code „1A2B“ steht schon "
                                           "in Zeile 2.");
    QTest::newRow("duplicate of a listed transponder")
        << row("Anna;1001;bin\xE4r;;;;\r\nBernd;1001;bin\xE4r;;;;\r\n") << 3
        << QStringLiteral("Zeile 3, Spalte 2: Transpondercode: Der Code „1001“ steht schon in Zeile 2.");
    QTest::newRow("binary code too long")
        << row("Anna;0102030405060708090A0B;bin\xE4r;;;;\r\n") << 0
        << QStringLiteral(
               "Zeile 2, Spalte 2: Transpondercode: „0102030405060708090A0B“ ist zu lang: ein binärer "
               "Code hat höchstens 20 Ziffern.");
    QTest::newRow("text code too long")
        << row("Anna;0123456789A;Text;;;;\r\n") << 0
        << QStringLiteral(
               "Zeile 2, Spalte 2: Transpondercode: „0123456789A“ ist zu lang: ein Code in Textform hat "
               "höchstens 10 Zeichen.");
    QTest::newRow("text code by the controller's form")
        << QByteArray("Transpondercode\r\n0123456789A\r\n") << 0
        << QStringLiteral(
               "Zeile 2, Spalte 1: Transpondercode: „0123456789A“ ist zu lang: ein Code in Textform hat "
               "höchstens 10 Zeichen.");
    QTest::newRow("binary code not hex")
        << row("Anna;12G4;bin\xE4r;;;;\r\n") << 0
        << QStringLiteral("Zeile 2, Spalte 2: Transpondercode: „12G4“ ist keine "
                          "Hexadezimalzahl.");
    QTest::newRow("code form")
        << row("Anna;12;hex;;;;\r\n") << 0
        << QStringLiteral("Zeile 2, Spalte 3: Codeform: „hex“: erwartet wird „binär“ oder „Text“.");
    QTest::newRow("active") << row("Anna;12;bin\xE4r;vielleicht;;;\r\n") << 0
                            << QStringLiteral(
                                   "Zeile 2, Spalte 4: Aktiviert: „vielleicht“: erwartet wird JA oder NEIN.");
    QTest::newRow("bit 7") << row("Anna;12;bin\xE4r;;;;2\r\n") << 0
                           << QStringLiteral(
                                  "Zeile 2, Spalte 7: Tagesmaske Bit 7: „2“: erwartet wird 1 oder 0.");
    QTest::newRow("name the controller can't store")
        << QByteArray("Name;Transpondercode\r\n\xC5\x81ukasz;12\r\n") << 0
        << QStringLiteral(
               "Zeile 2, Spalte 1: Name: „Łukasz“ enthält Zeichen, die das Gerät nicht speichern kann.");
    QTest::newRow("over the limit") << row("Anna;AA01;bin\xE4r;;;;\r\nBernd;AA02;bin\xE4r;;;;\r\n") << 999
                                    << QStringLiteral(
                                           "Zeile 3: Mehr als 1000 Transponder: dieser wäre der 1001.");
    QTest::newRow("unknown column") << QByteArray("Name;Transpondercode;Abteilung\r\nAnna;12;Einkauf\r\n")
                                    << 0
                                    << QStringLiteral("Zeile 1, Spalte 3: Unbekannte Spalte „Abteilung“.");
    QTest::newRow("column twice") << QByteArray("Name;Transpondercode;name\r\n") << 0
                                  << QStringLiteral("Zeile 1, Spalte 3: Die Spalte „name“ steht doppelt.");
    QTest::newRow("no code column") << QByteArray("Name;Aktiviert\r\nAnna;JA\r\n") << 0
                                    << QStringLiteral("Zeile 1: Die Spalte „Transpondercode“ fehlt.");
    QTest::newRow("field without column")
        << QByteArray("Name;Transpondercode\r\nAnna;12;mehr\r\n") << 0
        << QStringLiteral("Zeile 2, Spalte 3: Dieses Feld hat keine Spalte in der "
                          "Kopfzeile.");
    QTest::newRow("quote not closed")
        << row("Anna;12;bin\xE4r;JA;\"Tor;;\r\n") << 0
        << QStringLiteral("Zeile 2, Spalte 5: Das Anführungszeichen dieses Feldes wird "
                          "nicht geschlossen.");
    QTest::newRow("no header") << QByteArray() << 0
                               << QStringLiteral("Zeile 1: Die Kopfzeile mit den Spaltennamen fehlt.");
    QTest::newRow("binary data")
        << row(QByteArray("Anna;12\r\n\0\x01\x02", 12)) << 0
        << QStringLiteral("Zeile 3: Die Datei enthält Binärdaten und ist keine Transponderliste.");
    QTest::newRow("huge") << row(QByteArray(translist::kMaxListBytes, 'A')) << 0
                          << QStringLiteral("Die Datei ist größer als 4 MB und keine Transponderliste.");
}

void TestTransponderList::refusedRows() {
    QFETCH(QByteArray, file);
    QFETCH(int, existing);
    QFETCH(QString, problem);
    TDeviceEntry entry;
    crafted(entry);
    entry.Transponders.clear();
    for (int i = 0; i < existing; ++i)
        add(entry, transponder("Da", QString::number(0x1001 + i, 16)));
    const QByteArray before = bytesOf(entry.Transponders);
    ops::ImportPlan p = plan(entry, file);
    QCOMPARE(firstProblem(p), problem);
    QCOMPARE(p.problems.size(), 1u);
    QVERIFY(p.transponders.empty() && p.added.empty() && p.changed.empty() && p.removed.empty());
    ops::ApplyImport(entry, p);
    QCOMPARE(bytesOf(entry.Transponders), before);
    QVERIFY(!entry.Changed);
    QVERIFY(ops::RefusalText(p).startsWith(
        QStringLiteral("Die Transponderliste kann nicht übernommen werden. Es wurde nichts geändert.\n") +
        problem));
}

void TestTransponderList::mergeNewChangedUnchangedRemoved() {
    TDeviceEntry entry;
    add(entry, module("Tor", 0x0012));
    add(entry, module("Lager", 0x0003));
    TTransponderEntry anna = transponder("Anna", QStringLiteral("1111"));
    setSlots(anna, {0x0012});
    allow(anna, 1, 7, 18);
    TTransponderEntry bernd = anna;
    setName(bernd.Name, "Bernd\0alt"); // bytes behind the name stay
    bernd.Name[6] = 'x';
    HexToCode(QStringLiteral("2222"), bernd.Code, 10);
    TTransponderEntry carla = anna;
    setName(carla.Name, "Carla");
    HexToCode(QStringLiteral("3333"), carla.Code, 10);
    for (const auto& t : {anna, bernd, carla})
        add(entry, t);

    TDefaultRestrictions defaults{};
    restrictions::SetAppliesToNewTransponders(defaults, true);
    defaults.setModuleSlot(0, 0x0003);
    defaults.DayRestr = 0x41;
    defaults.TimeRestr[0] = 0x0F;

    const QByteArray file =
        kHeader +
        // Anna as exported: unchanged.
        "Anna;1111;bin\xE4r;JA;0012 Tor;07-18;gesperrt;gesperrt;gesperrt;gesperrt;gesperrt;gesperrt;0\r\n"
        // Bernd: other hours on Monday, Lager added, named as typed.
        "Bernd;2222;bin\xE4r;JA;0012 Tor, Lager;08-17;;;;;;;\r\n"
        // New, with name and code only: the defaults' restrictions.
        "'=Dora;4444;bin\xE4r;;;;;;;;;;\r\n";
    for (const bool removeMissing : {false, true}) {
        TDeviceEntry target;
        for (const auto& m : entry.Modules)
            add(target, *m);
        for (const auto& t : entry.Transponders)
            add(target, *t);
        TTransponderEntry expectedBernd = bernd;
        expectedBernd.setModuleSlot(1, 0x0003);
        std::memset(expectedBernd.DayMask(1), 0, 3);
        for (int h = 8; h < 17; ++h)
            restrictions::SetHourAllowed(expectedBernd.DayMask(1), h, true);
        TTransponderEntry dora = NewTransponder(defaults);
        setName(dora.Name, "=Dora");
        HexToCode(QStringLiteral("4444"), dora.Code, 10);

        ops::ImportPlan p = plan(target, file, {removeMissing, defaults});
        QCOMPARE(firstProblem(p), QString());
        QCOMPARE(p.changed.size(), 1u);
        QCOMPARE(p.changed[0].label, QStringLiteral("Bernd (2222)"));
        QCOMPARE(p.changed[0].line, 3);
        QCOMPARE(p.changed[0].changes,
                 QStringList({QStringLiteral("Module: + Lager"), QStringLiteral("Montag: 07-18 → 08-17")}));
        QCOMPARE(p.added.size(), 1u);
        QCOMPARE(p.added[0].label, QStringLiteral("=Dora (4444)"));
        QCOMPARE(p.removed.size(), removeMissing ? 1u : 0u);
        QCOMPARE(p.unchanged.size(), removeMissing ? 1u : 2u);
        QCOMPARE(p.unchanged[0].label, QStringLiteral("Anna (1111)"));
        QCOMPARE(ops::PlanCounts(p),
                 removeMissing ? QStringLiteral("Neu: 1, geändert: 1, entfernt: 1, unverändert: 1")
                               : QStringLiteral("Neu: 1, geändert: 1, entfernt: 0, unverändert: 2"));
        ops::ApplyImport(target, p);
        QVERIFY(target.Changed);
        QByteArray expected = bytesOf(anna) + bytesOf(expectedBernd);
        if (!removeMissing)
            expected += bytesOf(carla);
        expected += bytesOf(dora);
        QCOMPARE(testsupport::hexDump(bytesOf(target.Transponders)), testsupport::hexDump(expected));
    }
}

void TestTransponderList::valuesAsTyped_data() {
    QTest::addColumn<QByteArray>("row");
    QTest::addColumn<QString>("recordHex"); // bytes 20 to 88: code, active, slots, hours, days
    const QString noModules =
        QStringLiteral("00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 "
                       "00 00 00 00 00 00 00 00 00 00");
    const QString allHours = QStringLiteral("FF FF FF FF FF FF FF FF FF FF FF FF FF FF FF FF FF FF FF FF FF");
    QTest::newRow("odd digits mean a leading zero")
        << QByteArray("a;a1b;bin\xE4r")
        << QStringLiteral("00 00 00 00 00 00 00 00 0A 1B FF 01 00 ") + noModules + QLatin1Char(' ') +
               allHours + QStringLiteral(" FF");
    QTest::newRow("text code, lower case kept")
        << QByteArray("a;0a1b2c;Text;nein")
        << QStringLiteral("30 61 31 62 32 63 00 00 00 00 00 00 00 ") + noModules + QLatin1Char(' ') +
               allHours + QStringLiteral(" FF");
    QTest::newRow("hours in any order, blanks, one digit")
        << QByteArray("a;01;bin\xE4r;JA;12, 3;13-17 , 7-12;keine Stunden;gesperrt (0-1);;;;;0")
        << QStringLiteral("00 00 00 00 00 00 00 00 00 01 FF 01 00 12 00 03 ") + noModules.mid(9) +
               QStringLiteral(" FF FF FF 80 EF 01 00 00 00 01 00 00 FF FF FF FF FF FF FF FF FF 77");
}

void TestTransponderList::valuesAsTyped() {
    // Typed by hand into a controller with the text form by default, no default restrictions.
    QFETCH(QByteArray, row);
    QFETCH(QString, recordHex);
    TDeviceEntry entry;
    add(entry, module("Tor", 0x0012));
    add(entry, module("Lager", 0x0003));
    ops::ImportPlan p = plan(entry, kHeader + row + "\r\n");
    QCOMPARE(firstProblem(p), QString());
    QCOMPARE(p.transponders.size(), 1u);
    QCOMPARE(testsupport::hexDump(bytesOf(*p.transponders[0]).mid(20)), recordHex);
}

void TestTransponderList::hostileFiles_data() {
    QTest::addColumn<QByteArray>("file");
    TDeviceEntry entry;
    demoTables(entry);
    const QByteArray list = translist::ListFile(entry);
    for (const qsizetype cut :
         {qsizetype(1), qsizetype(150), qsizetype(777), list.size() / 2, list.size() - 3})
        QTest::addRow("cut at %lld", static_cast<long long>(cut)) << list.left(cut);
    QTest::newRow("pattern") << testsupport::pattern(100000, 7);
    QTest::newRow("one long line") << QByteArray("Transpondercode;") + QByteArray(3 * 1024 * 1024, ';');
    QTest::newRow("quotes") << QByteArray("Transpondercode\r\n\"") + QByteArray(100000, '"');
}

void TestTransponderList::hostileFiles() {
    // Whatever the file holds: no crash, a plan or a refusal, and a refusal changes nothing.
    QFETCH(QByteArray, file);
    TDeviceEntry entry;
    demoTables(entry);
    const QByteArray before = bytesOf(entry.Transponders);
    ops::ImportPlan p = plan(entry, file);
    QVERIFY(p.ok() || !p.problems.empty());
    QVERIFY(p.problems.size() <= static_cast<std::size_t>(translist::kMaxProblems));
    if (!p.ok()) {
        ops::ApplyImport(entry, p);
        QCOMPARE(bytesOf(entry.Transponders), before);
    }
}

QTEST_GUILESS_MAIN(TestTransponderList)
#include "tst_transponderlist.moc"
