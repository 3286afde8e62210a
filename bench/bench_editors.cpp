// How quickly the editors answer in the window with a full table (16 modules, 1000 transponders):
// selecting a transponder until its page is painted, adding the 1000th transponder, and a drag across a
// whole row of the time bar with its repaint. Each figure should stay within one frame (16 ms).
// No controller is involved: the search goes to a silent loopback port and the tables are made here.

#include "data/DeviceEntry.h"
#include "data/NewRecords.h"
#include "device/NetworkTargets.h"
#include "support/ScriptedPrompter.h"
#include "ui/KLVCTimebar.h"
#include "ui/MainWindow.h"
#include "ui/TableCommands.h"

#include <QApplication>
#include <QComboBox>
#include <QDialog>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QMouseEvent>
#include <QTextStream>
#include <QTreeWidget>
#include <QUdpSocket>

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

void fillTables(TDeviceEntry& entry, int transponders) {
    TDefaultRestrictions defaults{};
    for (int i = 0; i < 16; ++i) {
        auto module = std::make_unique<TModuleEntry>(NewModule());
        module->setModAddr(static_cast<std::uint16_t>(0x0100 + i));
        entry.Modules.push_back(std::move(module));
    }
    for (int i = 0; i < transponders; ++i) {
        auto transponder = std::make_unique<TTransponderEntry>(NewTransponder(defaults, CodeForm::Binary));
        const QByteArray name = "Person " + QByteArray::number(i);
        std::memcpy(transponder->Name, name.constData(), static_cast<std::size_t>(name.size()));
        transponder->setModuleSlot(0, static_cast<std::uint16_t>(0x0100 + i % 16));
        entry.Transponders.push_back(std::move(transponder));
    }
}

void report(QTextStream& out, const char* what, const std::vector<double>& ms) {
    out << what << ": median " << median(ms) << " ms, max " << maximum(ms) << " ms (" << ms.size() << " runs)"
        << Qt::endl;
}

} // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QTextStream out(stdout);
    TempSettings settings;

    // The first search asks a loopback port nobody answers on.
    QUdpSocket silent;
    silent.bind(QHostAddress(QStringLiteral("127.0.0.1")), 0);
    NetworkTargets targets;
    targets.discoveryAddress = QHostAddress(QStringLiteral("127.0.0.1"));
    targets.discoveryPort = silent.localPort();
    SetTargets(targets);

    ScriptedPrompter prompter;
    TMain_Dlg window(prompter);
    window.setChangeDelay(0);
    window.show();
    // The first search ends with "nothing found" before the table is made.
    QElapsedTimer searching;
    searching.start();
    while (prompter.shown.empty() && searching.elapsed() < 10000)
        app.processEvents(QEventLoop::WaitForMoreEvents, 100);
    prompter.dialogAnswers.push_back([](QDialog& dialog) {
        dialog.findChild<QLineEdit*>(QStringLiteral("Serial_ED"))->setText(QStringLiteral("12AB3"));
        dialog.findChild<QLineEdit*>(QStringLiteral("IPAddr_ED"))->setText(QStringLiteral("127.0.0.2"));
        return int(QDialog::Accepted);
    });
    window.ManuellClick();
    TDeviceEntry& entry = window.deviceList().at(0);
    fillTables(entry, 999);
    window.tablesLoaded(entry);
    app.processEvents();
    auto* tree = window.findChild<QTreeWidget*>(QStringLiteral("Main_LV"));
    QTreeWidgetItem* folder = window.deviceTree().transponderFolder(entry);
    folder->setExpanded(true);
    app.processEvents();

    std::vector<double> selects;
    QElapsedTimer timer;
    for (int i = 0; i < folder->childCount(); i += 11) {
        timer.start();
        tree->setCurrentItem(folder->child(i));
        window.repaint();
        selects.push_back(timer.nsecsElapsed() / 1e6);
    }
    report(out, "select a transponder, page painted", selects);

    tree->setCurrentItem(folder->child(0));
    timer.start();
    window.tableCommands().Transponderhinzufgen1Click();
    window.repaint();
    const double add = timer.nsecsElapsed() / 1e6;
    out << "add the 1000th transponder, page painted: " << add << " ms (" << entry.Transponders.size()
        << " transponders)" << Qt::endl;

    window.findChild<QComboBox*>(QStringLiteral("Restr_CB"))->setCurrentIndex(1);
    auto* bar = window.findChild<TKLVCTimeBar*>(QStringLiteral("TimeBar1"));
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
    report(out, "full drag on the time bar (one move per pixel) with repaint", drags);
    report(out, "time bar repaint after the drag", repaints);
    return 0;
}
