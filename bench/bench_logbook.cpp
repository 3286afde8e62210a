// The logbook page against the simulator's wrapped 1500-entry ring on loopback: reading and filling the
// list (the operation includes the controller's 200 ms pause before the session closes; the rest should
// stay under 50 ms), sorting the full list by date (target 20 ms) and exporting it (target 20 ms).
// Usage: bench_logbook [rounds]

#include "data/DeviceEntry.h"
#include "data/Logbook.h"
#include "device/NetworkTargets.h"
#include "net/EventWait.h"
#include "ops/Logbook.h"
#include "sim/CommandService.h"
#include "sim/SimController.h"
#include "support/TestPageHost.h"
#include "ui/pages/LogbookPage.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QPushButton>
#include <QTcpServer>
#include <QTemporaryDir>
#include <QTextStream>
#include <QTreeWidget>

#include <algorithm>
#include <vector>

namespace {

quint16 freePort() {
    QTcpServer probe;
    probe.listen(QHostAddress(QStringLiteral("127.0.0.1")), 0);
    return probe.serverPort();
}

struct Figures {
    std::vector<double> values;
    void add(double ms) { values.push_back(ms); }
    double median() {
        std::sort(values.begin(), values.end());
        return values[values.size() / 2];
    }
    double best() { return *std::min_element(values.begin(), values.end()); }
    double worst() { return *std::max_element(values.begin(), values.end()); }
};

double msSince(const QElapsedTimer& clock) {
    return static_cast<double>(clock.nsecsElapsed()) / 1e6;
}

} // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QTextStream out(stdout);
    QTemporaryDir folder;
    ops::SetLogbookFolder(folder.filePath(QStringLiteral("data")));

    sim::ControllerConfig config; // demo data: a wrapped ring of 1500 entries
    config.commandPort = freePort();
    config.ftpPort = freePort();
    sim::SimController controller(config);
    QString error;
    if (!controller.start(&error)) {
        out << "simulator: " << error << Qt::endl;
        return 1;
    }
    NetworkTargets targets;
    targets.discoveryAddress = QHostAddress(QStringLiteral("127.0.0.1"));
    targets.commandPort = config.commandPort;
    targets.ftpPort = config.ftpPort;
    SetTargets(targets);

    TestPageHost host;
    TLogbookPage page(host);
    page.resize(900, 600);
    page.show();
    TDeviceEntry entry;
    entry.IPAddress = config.address.toString();
    entry.UserName = QStringLiteral("admin");
    entry.Password = QStringLiteral("admin");
    entry.InfoValid = true;
    entry.Info.FirmwareMajor = 1;
    entry.Info.FirmwareMinor = 39;
    host.current = &entry;
    auto* list = page.findChild<QTreeWidget*>(QStringLiteral("Logbuch_LV"));

    const int rounds = argc > 1 ? QString::fromLocal8Bit(argv[1]).toInt() : 10;
    Figures operations, reads, sorts, byDate, byTime, byName, exportTexts, exports, exportBytes;
    const QString target = folder.filePath(QStringLiteral("export.TXT"));
    for (int i = 0; i < std::max(rounds, 1); ++i) {
        QElapsedTimer clock;
        clock.start();
        net::waitUntil([&] { return !controller.commandService()->hasClient(); }, 1000);
        clock.restart();
        ops::KeptLogbook scratch;
        ops::ReadLogbook(entry, host.ftpLink(), scratch);
        operations.add(msSince(clock));

        // The controller takes a new connection only once it has seen the last one close.
        net::waitUntil([&] { return !controller.commandService()->hasClient(); }, 1000);
        clock.restart();
        page.Einlesen_BTNClick();
        QApplication::processEvents(); // the list's first paint after the fill
        reads.add(msSince(clock));
        if (list->topLevelItemCount() != 1500 || !host.scripted.messages().isEmpty()) {
            out << "read failed: " << list->topLevelItemCount() << " rows; "
                << host.scripted.messages().join(' ') << Qt::endl;
            return 1;
        }
        const auto sortBy = [&](int column, Figures& figures) {
            QElapsedTimer sortClock;
            sortClock.start();
            page.Logbuch_LVColumnClick(column);
            sorts.add(msSince(sortClock));
            QApplication::processEvents(); // and the repaint of the visible rows
            figures.add(msSince(sortClock));
        };
        sortBy(1, byTime); // from file order first, then from another order
        sortBy(0, byDate);
        sortBy(4, byName);
        sortBy(0, byDate);

        QFile copy(ops::LogbookCopyPath());
        copy.open(QIODevice::ReadOnly);
        const QByteArray copyBytes = copy.readAll();
        clock.restart();
        const logbook::LogbookExport text = logbook::ExportLogbookCopy(copyBytes, page.keptLogbook().ring);
        exportTexts.add(msSince(clock));
        if (text.lines != 1499) {
            out << "export text: " << text.lines << " lines" << Qt::endl;
            return 1;
        }

        clock.restart();
        const ops::LogbookExportResult result = ops::ExportLogbook(page.keptLogbook(), target);
        exports.add(msSince(clock));
        if (!result.written) {
            out << "export failed" << Qt::endl;
            return 1;
        }
        exportBytes.add(static_cast<double>(QFile(target).size()));
    }

    const auto line = [&](const char* what, Figures& figures, double target) {
        const double median = figures.median();
        out << qSetFieldWidth(38) << Qt::left << what << qSetFieldWidth(0) << " median "
            << QString::number(median, 'f', 1) << " ms, best " << QString::number(figures.best(), 'f', 1)
            << " ms, worst " << QString::number(figures.worst(), 'f', 1) << " ms (target " << target
            << " ms) " << (median <= target ? "ok" : "OVER") << Qt::endl;
    };
    out << "logbook of 1500 entries, " << reads.values.size() << " rounds" << Qt::endl;
    line("read operation (incl. 200 ms pause)", operations, 250);
    line("read + fill (incl. 200 ms pause)", reads, 250);
    line("sort alone (any column)", sorts, 20);
    line("sort by date + repaint", byDate, 20);
    line("sort by time + repaint", byTime, 20);
    line("sort by module name + repaint", byName, 20);
    line("export lines (1499, in memory)", exportTexts, 20);
    line("export to file (incl. disk sync)", exports, 20);
    out << "export size " << exportBytes.median() << " bytes" << Qt::endl;
    return 0;
}
