// Import and compare of transponder lists for 1000 transponders × 16 modules each (target: 50 ms each,
// the controller's own waits not counted): the list read from its bytes, the import planned (every row
// checked and merged), the plan applied, and the differences of two such tables in words.
// Usage: bench_lists [rounds]

#include "data/DeviceEntry.h"
#include "data/NewRecords.h"
#include "data/Restrictions.h"
#include "data/TableDiff.h"
#include "data/TransponderList.h"
#include "device/Conversions.h"
#include "ops/Compare.h"
#include "ops/ListImport.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTextStream>

#include <algorithm>
#include <cstring>
#include <vector>

namespace {

struct Figures {
    std::vector<double> values;
    void add(double ms) { values.push_back(ms); }
    double median() {
        std::sort(values.begin(), values.end());
        return values.empty() ? 0 : values[values.size() / 2];
    }
    double max() const { return values.empty() ? 0 : *std::max_element(values.begin(), values.end()); }
};

void print(const char* what, Figures& f, double target) {
    QTextStream(stdout) << QStringLiteral("%1: median %2 ms, max %3 ms (target %4 ms)\n")
                               .arg(QString::fromUtf8(what))
                               .arg(f.median(), 0, 'f', 3)
                               .arg(f.max(), 0, 'f', 3)
                               .arg(target);
}

// 16 modules; 1000 transponders, each at all 16 modules, a binary code and hours on every day.
void fill(TDeviceEntry& entry) {
    for (int m = 0; m < 16; ++m) {
        TModuleEntry module = NewModule();
        StrToChars(QStringLiteral("Tür %1 Halle").arg(m), module.Name, 20);
        module.setModAddr(static_cast<std::uint16_t>(0x0100 + m));
        entry.Modules.push_back(std::make_unique<TModuleEntry>(module));
    }
    for (int t = 0; t < 1000; ++t) {
        TTransponderEntry transponder = NewTransponder(TDefaultRestrictions{}, CodeForm::Binary);
        StrToChars(QStringLiteral("Person Nummer %1").arg(t), transponder.Name, 20);
        HexToCode(
            QStringLiteral("%1").arg(0x10000000u + static_cast<unsigned>(t) * 7919u, 8, 16, QLatin1Char('0')),
            transponder.Code, 10);
        for (int m = 0; m < 16; ++m)
            transponder.setModuleSlot(m, static_cast<std::uint16_t>(0x0100 + (m + t) % 16));
        std::memset(transponder.TimeRestr, 0, sizeof transponder.TimeRestr);
        for (int day = 0; day < kDays; ++day) {
            for (int h = 6 + day % 3; h < 12; ++h)
                restrictions::SetHourAllowed(transponder.DayMask(day), h, true);
            for (int h = 13; h < 18 + day % 4; ++h)
                restrictions::SetHourAllowed(transponder.DayMask(day), h, true);
        }
        entry.Transponders.push_back(std::make_unique<TTransponderEntry>(transponder));
    }
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const int rounds = argc > 1 ? std::max(1, QString::fromLocal8Bit(argv[1]).toInt()) : 20;
    TDeviceEntry entry;
    fill(entry);
    // The file as exported, then edited: every tenth transponder with other Monday hours and one module
    // fewer, 100 removed from the file (an import with removal), names typed in another case.
    const QByteArray exported = translist::ListFile(entry);
    QList<QByteArray> lines = exported.split('\n');
    for (qsizetype i = 1; i + 1 < lines.size(); i += 10) {
        QList<QByteArray> cells = lines[i].split(';');
        cells[translist::FirstDay] = "08-17";
        cells[translist::Modules] =
            cells[translist::Modules].left(cells[translist::Modules].lastIndexOf(','));
        lines[i] = cells.join(';') + '\r';
    }
    lines.remove(500, 100);
    const QByteArray edited = lines.join('\n');

    Figures parse, plan, apply, diff, whole;
    for (int r = 0; r < rounds; ++r) {
        QElapsedTimer timer;
        timer.start();
        const translist::ParsedList list = translist::ReadList(edited);
        parse.add(static_cast<double>(timer.nsecsElapsed()) / 1e6);
        timer.restart();
        ops::ImportPlan p = ops::PlanImport(entry, list, {true, {}});
        plan.add(static_cast<double>(timer.nsecsElapsed()) / 1e6);
        if (!p.ok() || p.changed.size() != 90 || p.removed.size() != 100) {
            QTextStream(stderr) << QStringLiteral("unexpected plan: %1\n").arg(ops::PlanCounts(p));
            return 1;
        }
        TDeviceEntry target;
        ops::CopyTables(entry, target);
        timer.restart();
        ops::ApplyImport(target, p);
        apply.add(static_cast<double>(timer.nsecsElapsed()) / 1e6);
        timer.restart();
        const tablediff::Diff d = tablediff::Compare(entry, target);
        const QStringList words = tablediff::Lines(d);
        diff.add(static_cast<double>(timer.nsecsElapsed()) / 1e6);
        if (d.transponders.changed.size() != 90 || words.size() != 100 + 90 * 2) {
            QTextStream(stderr) << QStringLiteral("unexpected differences: %1 lines\n").arg(words.size());
            return 1;
        }
        timer.restart();
        // What "diff HOST LIST" does once both are in memory: the list's tables, then the differences.
        TDeviceEntry ofList;
        QString refusal;
        ops::TablesOfList(entry, translist::ReadList(edited), ofList, &refusal);
        tablediff::Lines(tablediff::Compare(entry, ofList));
        whole.add(static_cast<double>(timer.nsecsElapsed()) / 1e6);
    }
    QTextStream(stdout) << QStringLiteral("1000 transponders x 16 modules, list of %1 bytes, %2 rounds\n")
                               .arg(edited.size())
                               .arg(rounds);
    print("read the list (parse)", parse, 50);
    print("plan the import (check and merge)", plan, 50);
    print("apply the plan", apply, 50);
    print("compare two tables, in words", diff, 50);
    print("list against tables: parse, merge, compare", whole, 50);
    return 0;
}
