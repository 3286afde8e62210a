// How long filling the device tree with a large table takes, and what it costs in memory: ten thousand
// transponder nodes are made, shown and removed again. Every node shares the one drawn image of its kind.

#include "data/DeviceEntry.h"
#include "ui/DeviceTree.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QTextStream>
#include <QTreeWidget>

#include <cstring>
#include <memory>

namespace {

// Resident set size in MiB, from /proc (0 where there is none).
double residentMiB() {
    QFile statm(QStringLiteral("/proc/self/statm"));
    if (!statm.open(QIODevice::ReadOnly))
        return 0;
    const QList<QByteArray> fields = statm.readAll().split(' ');
    return fields.size() > 1 ? fields[1].toDouble() * 4096.0 / (1024.0 * 1024.0) : 0;
}

} // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QTextStream out(stdout);
    const int count = argc > 1 ? QString::fromLocal8Bit(argv[1]).toInt() : 10000;

    TDeviceEntry entry;
    entry.Name = QStringLiteral("Lager");
    for (int i = 0; i < count; ++i) {
        auto record = std::make_unique<TTransponderEntry>();
        const QByteArray name = QStringLiteral("Person %1").arg(i).toLatin1();
        std::memcpy(record->Name, name.constData(), static_cast<std::size_t>(name.size()));
        entry.Transponders.push_back(std::move(record));
    }
    QTreeWidget widget;
    widget.setUniformRowHeights(true);
    widget.resize(300, 600);
    widget.show();
    TDeviceTree tree(&widget);
    tree.reset();
    tree.addDevice(entry);
    QCoreApplication::processEvents();

    const double before = residentMiB();
    QElapsedTimer clock;
    clock.start();
    tree.buildTableNodes(entry);
    const double builtMs = clock.nsecsElapsed() / 1e6;
    tree.configNode(entry)->setExpanded(true);
    tree.transponderFolder(entry)->setExpanded(true);
    QCoreApplication::processEvents();
    const double filledMs = clock.nsecsElapsed() / 1e6;
    const double grown = residentMiB() - before;

    clock.restart();
    tree.removeTableNodes(entry);
    QCoreApplication::processEvents();
    const double removedMs = clock.nsecsElapsed() / 1e6;

    out << count << " transponder nodes: filled in " << builtMs << " ms (budget 20 ms), shown after "
        << filledMs << " ms, "
        << "resident memory +" << grown << " MiB (budget 10 MiB); removed in " << removedMs
        << " ms (budget 20 ms)" << Qt::endl;
    return builtMs <= 20 && removedMs <= 20 && grown <= 10 ? 0 : 2;
}
