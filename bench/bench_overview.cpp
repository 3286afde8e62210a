// The overviews of 1000 transponders × 16 modules, each written to a file (target: 50 ms each), built by
// the report functions alone and through the page's buttons (with the progress bar and the save); and
// the time from the simulator's push of a code report to its row in the code-choice list (target 5 ms).
// Usage: bench_overview [rounds]

#include "data/DeviceEntry.h"
#include "data/OverviewReport.h"
#include "device/CommandSocket.h"
#include "device/NetworkTargets.h"
#include "net/EventWait.h"
#include "ops/CodeReading.h"
#include "sim/CommandService.h"
#include "sim/SimController.h"
#include "support/TestPageHost.h"
#include "ui/dialogs/ChooseCodeDialog.h"
#include "ui/pages/ConfigurationPage.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QSaveFile>
#include <QTcpServer>
#include <QTemporaryDir>
#include <QTextStream>

#include <algorithm>
#include <cstring>
#include <ctime>
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

// A full site: every transponder with a name, a binary code, 17 slots and hours on every day.
void fill(TDeviceEntry& entry) {
    for (int m = 0; m < 16; ++m) {
        auto module = std::make_unique<TModuleEntry>();
        std::memset(module.get(), 0, sizeof(TModuleEntry));
        const QByteArray name = QStringLiteral("Tür %1").arg(m).toLatin1();
        std::memcpy(module->Name, name.constData(), static_cast<std::size_t>(name.size()));
        module->setModAddr(static_cast<std::uint16_t>(m + 1));
        entry.Modules.push_back(std::move(module));
    }
    for (int t = 0; t < 1000; ++t) {
        auto record = std::make_unique<TTransponderEntry>();
        std::memset(record.get(), 0, sizeof(TTransponderEntry));
        const QByteArray name = QStringLiteral("Mitarbeiter %1").arg(t).toLatin1();
        std::memcpy(record->Name, name.constData(), static_cast<std::size_t>(name.size()));
        for (int b = 0; b < 10; ++b)
            record->Code[b] = static_cast<std::uint8_t>(t * 7 + b);
        record->Code[10] = 0xFF;
        record->setTransAkt(t % 2);
        for (int s = 0; s < kModuleSlots; ++s)
            record->setModuleSlot(s, static_cast<std::uint16_t>((t + s) % 18));
        for (int i = 0; i < kDays * kDayMaskBytes; ++i)
            record->TimeRestr[i] = static_cast<std::uint8_t>(0x5A ^ (t + i));
        record->DayRestr = 0x7F;
        entry.Transponders.push_back(std::move(record));
    }
    entry.TablesRead = true;
}

double threadCpuMs() {
    timespec t{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return t.tv_sec * 1e3 + t.tv_nsec / 1e6;
}

quint16 freePort() {
    QTcpServer probe;
    probe.listen(QHostAddress(QStringLiteral("127.0.0.1")), 0);
    return probe.serverPort();
}

} // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const int rounds = argc > 1 ? std::max(1, atoi(argv[1])) : 20;
    QTemporaryDir dir;
    TDeviceEntry entry;
    fill(entry);

    // Wall time (what the user waits, the file's sync to disk included) and the thread's processor time
    // (what the report itself costs, whatever else the machine is doing), by phase.
    Figures text, csv, textCpu, csvCpu, textWrite, csvWrite;
    for (int r = 0; r < rounds; ++r) {
        for (const bool asCsv : {false, true}) {
            QElapsedTimer clock;
            clock.start();
            const double cpu0 = threadCpuMs();
            const QByteArray bytes =
                asCsv ? overview::CsvOverviewFile(entry) : overview::TextOverviewFile(entry);
            (asCsv ? csvCpu : textCpu).add(threadCpuMs() - cpu0);
            QElapsedTimer writing;
            writing.start();
            QSaveFile file(dir.filePath(asCsv ? QStringLiteral("a.CSV") : QStringLiteral("a.TXT")));
            if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size() || !file.commit())
                return 1;
            (asCsv ? csvWrite : textWrite).add(writing.nsecsElapsed() / 1e6);
            (asCsv ? csv : text).add(clock.nsecsElapsed() / 1e6);
            if (r == 0)
                QTextStream(stdout) << (asCsv ? "CSV" : "text") << " file: " << bytes.size() << " bytes\n";
        }
    }
    print("text overview, processor time to build", textCpu, 50);
    print("text overview, writing the file (synced to disk)", textWrite, 50);
    print("text overview, built and written", text, 50);
    print("CSV overview, processor time to build", csvCpu, 50);
    print("CSV overview, writing the file (synced to disk)", csvWrite, 50);
    print("CSV overview, built and written", csv, 50);

    TestPageHost host;
    host.current = &entry;
    TConfigurationPage page(host);
    Figures textButton;
    Figures csvButton;
    for (int r = 0; r < rounds; ++r) {
        for (const bool asCsv : {false, true}) {
            host.scripted.fileAnswers.push_back(dir.filePath(QStringLiteral("b")));
            QElapsedTimer clock;
            clock.start();
            asCsv ? page.StartAWE_BTNClick() : page.StartAW_BTNClick();
            (asCsv ? csvButton : textButton).add(clock.nsecsElapsed() / 1e6);
        }
    }
    print("\"Textübersicht erstellen\", with progress bar and save", textButton, 50);
    print("\"Excelübersicht erstellen\", with progress bar and save", csvButton, 50);

    // Code reports: from the simulator's push to the row in the list.
    sim::ControllerConfig config;
    config.address = QHostAddress(QStringLiteral("127.0.0.2"));
    config.commandPort = 0;
    config.ftpPort = freePort();
    config.demoData = false;
    sim::SimController controller(config);
    if (!controller.start())
        return 1;
    NetworkTargets targets = Targets();
    targets.commandPort = controller.config().commandPort;
    SetTargets(targets);
    TDeviceEntry device;
    device.IPAddress = QStringLiteral("127.0.0.2");
    device.UserName = QStringLiteral("admin");
    device.Password = QStringLiteral("admin");
    TChooseCode_Dlg dialog;
    dialog.show();
    QElapsedTimer pushed;
    Figures latency;
    ops::CodeReading reading(device, [&](const ops::CodeRow& row) {
        dialog.addRow(row);
        latency.add(pushed.nsecsElapsed() / 1e6);
    });
    if (reading.open() != ops::Outcome::Ok)
        return 1;
    for (int r = 0; r < rounds * 5; ++r) {
        const int rows = dialog.rowCount();
        pushed.start();
        controller.commandService()->pushCodeRead();
        net::waitUntil([&] { return dialog.rowCount() > rows; }, 2000);
        net::pause(5);
    }
    reading.close();
    print("code report, push to row", latency, 5);
    return 0;
}
