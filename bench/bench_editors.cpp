// How quickly the editors answer with a full table (16 modules, 1000 transponders): showing a
// transponder's page, and a drag across a whole row of the time bar with its repaint. Each figure
// should stay within one frame (16 ms).

#include "data/DeviceEntry.h"
#include "data/NewRecords.h"
#include "support/TestPageHost.h"
#include "ui/KLVCTimebar.h"
#include "ui/pages/TransponderPage.h"

#include <QApplication>
#include <QComboBox>
#include <QElapsedTimer>
#include <QMouseEvent>
#include <QTextStream>

#include <algorithm>
#include <cstring>
#include <vector>

namespace {

double median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

double maximum(const std::vector<double>& values) {
    return *std::max_element(values.begin(), values.end());
}

void send(QWidget* target, QEvent::Type type, QPoint pos, Qt::MouseButton button, Qt::MouseButtons held) {
    QMouseEvent event(type, pos, target->mapToGlobal(pos), button, held, Qt::NoModifier);
    QApplication::sendEvent(target, &event);
}

void fillTables(TDeviceEntry& entry) {
    TDefaultRestrictions defaults{};
    for (int i = 0; i < 16; ++i) {
        auto module = std::make_unique<TModuleEntry>(NewModule());
        module->setModAddr(static_cast<std::uint16_t>(0x0100 + i));
        entry.Modules.push_back(std::move(module));
    }
    for (int i = 0; i < 1000; ++i) {
        auto transponder = std::make_unique<TTransponderEntry>(NewTransponder(defaults));
        transponder->setModuleSlot(0, static_cast<std::uint16_t>(0x0100 + i % 16));
        entry.Transponders.push_back(std::move(transponder));
    }
}

} // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QTextStream out(stdout);

    TestPageHost host;
    TDeviceEntry entry;
    entry.InfoValid = true;
    entry.Info.FirmwareMajor = 1;
    entry.Info.FirmwareMinor = 39;
    fillTables(entry);

    TTransponderPage page(host);
    page.resize(620, 560);
    page.QWidget::show();
    app.processEvents();

    // Showing a transponder, painted.
    std::vector<double> shows;
    QElapsedTimer timer;
    for (int i = 0; i < 1000; i += 7) {
        timer.start();
        page.show(entry, *entry.Transponders[static_cast<std::size_t>(i)]);
        page.repaint();
        shows.push_back(timer.nsecsElapsed() / 1e6);
    }
    out << "show a transponder's page: median " << median(shows) << " ms, max " << maximum(shows) << " ms"
        << Qt::endl;

    // A drag over all 24 hours of a row, one move per pixel, and the repaint that follows it.
    page.findChild<QComboBox*>(QStringLiteral("Restr_CB"))->setCurrentIndex(1);
    auto* bar = page.findChild<TKLVCTimeBar*>(QStringLiteral("TimeBar1"));
    bar->repaint();
    const int bh = bar->bandHeight();
    std::vector<double> drags;
    std::vector<double> repaints;
    for (int round = 0; round < 30; ++round) {
        const int y = (round % 7 + 2) * bh + 11;
        const Qt::MouseButton button = round % 2 ? Qt::RightButton : Qt::LeftButton;
        timer.start();
        send(bar, QEvent::MouseButtonPress, QPoint(3, y), button, button);
        for (int x = 4; x < bar->width() - 2; ++x)
            send(bar, QEvent::MouseMove, QPoint(x, y), Qt::NoButton, button);
        send(bar, QEvent::MouseButtonRelease, QPoint(bar->width() - 3, y), button, Qt::NoButton);
        QElapsedTimer paint;
        paint.start();
        bar->repaint();
        repaints.push_back(paint.nsecsElapsed() / 1e6);
        drags.push_back(timer.nsecsElapsed() / 1e6);
    }
    out << "full drag on the time bar (" << bar->width() - 6 << " moves) with repaint: median "
        << median(drags) << " ms, max " << maximum(drags) << " ms" << Qt::endl;
    out << "time bar repaint after the drag: median " << median(repaints) << " ms, max " << maximum(repaints)
        << " ms" << Qt::endl;
    return 0;
}
