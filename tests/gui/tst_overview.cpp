// The overview buttons of the configuration page: the save dialog, the file written whole or not at
// all, the messages, the progress bar and the busy guard.

#include "data/DeviceEntry.h"
#include "data/OverviewReport.h"
#include "support/TestPageHost.h"
#include "support/TestSupport.h"
#include "support/WidgetLookup.h"
#include "ui/pages/ConfigurationPage.h"

#include <QDir>
#include <QFile>
#include <QProgressBar>
#include <QTemporaryDir>
#include <QtTest>

#include <cstring>

namespace {

const QString kSaved = QStringLiteral("Die Übersicht wurde erfolgreich abgespeichert.");
const QString kNoTables =
    QStringLiteral("Keine Übersicht: Für dieses Kelvora compact ist keine Konfiguration "
                   "geladen. Bitte laden Sie zuerst die Konfiguration.");
const QString kTextFilter = QStringLiteral("Übersicht Textdatei *.TXT (*.TXT)");
const QString kCsvFilter = QStringLiteral("Übersicht Excel-Textdatei *.CSV (*.CSV)");

void fillTables(TDeviceEntry& entry, int transponders) {
    auto module = std::make_unique<TModuleEntry>();
    std::memset(module.get(), 0, sizeof(TModuleEntry));
    std::memcpy(module->Name, "T\xFCr", 3);
    module->setModAddr(0x12);
    entry.Modules.push_back(std::move(module));
    for (int i = 0; i < transponders; ++i) {
        auto t = std::make_unique<TTransponderEntry>();
        std::memset(t.get(), 0xFF, sizeof(TTransponderEntry));
        std::memcpy(t->Name, "Person\0", 7);
        t->setModuleSlot(0, 0x12);
        entry.Transponders.push_back(std::move(t));
    }
    entry.TablesRead = true;
}

} // namespace

class tst_Overview : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void init();
    void cleanup();

    void writesTheReport_data();
    void writesTheReport();
    void cancelWritesNothing();
    void unwritableTarget_data();
    void unwritableTarget();
    void nothingWithoutTables_data();
    void nothingWithoutTables();
    void emptyTablesGiveAValidReport_data();
    void emptyTablesGiveAValidReport();
    void progressAndBusyWhileBuilding();

private:
    void run(bool csv) { csv ? m_page->StartAWE_BTNClick() : m_page->StartAW_BTNClick(); }
    QString path(const QString& name) const { return m_dir->filePath(name); }

    std::unique_ptr<TestPageHost> m_host;
    std::unique_ptr<TConfigurationPage> m_page;
    std::unique_ptr<QTemporaryDir> m_dir;
    TDeviceEntry m_entry;
};

void tst_Overview::init() {
    m_host = std::make_unique<TestPageHost>();
    m_page = std::make_unique<TConfigurationPage>(*m_host);
    m_dir = std::make_unique<QTemporaryDir>();
    m_entry = TDeviceEntry();
    fillTables(m_entry, 3);
    m_host->current = &m_entry;
}

void tst_Overview::cleanup() {
    m_page.reset();
    m_host.reset();
    m_dir.reset();
}

void tst_Overview::writesTheReport_data() {
    QTest::addColumn<bool>("csv");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("written");
    QTest::addColumn<bool>("existing");

    QTest::newRow("text, name without extension") << false << "liste"
                                                  << "liste.TXT" << false;
    QTest::newRow("text, own extension kept") << false << "liste.txt"
                                              << "liste.txt" << false;
    QTest::newRow("csv, name without extension") << true << "rechte"
                                                 << "rechte.CSV" << false;
    QTest::newRow("csv replaces an existing file") << true << "rechte.CSV"
                                                   << "rechte.CSV" << true;
}

void tst_Overview::writesTheReport() {
    QFETCH(bool, csv);
    QFETCH(QString, typed);
    QFETCH(QString, written);
    QFETCH(bool, existing);

    if (existing)
        QVERIFY(testsupport::writeFile(path(written), QByteArray(5000, 'x')));
    m_host->scripted.fileAnswers.push_back(path(typed));
    run(csv);

    const QByteArray expected =
        csv ? overview::CsvOverviewFile(m_entry) : overview::TextOverviewFile(m_entry);
    QCOMPARE(testsupport::readFile(path(written)), expected);
    QCOMPARE(QDir(m_dir->path()).entryList(QDir::Files), QStringList{written}); // no temporary left
    const auto& shown = m_host->scripted.shown;
    QCOMPARE(int(shown.size()), 2);
    QCOMPARE(shown.at(0).kind, QStringLiteral("save"));
    QCOMPARE(m_host->scripted.filters, std::vector<QString>{csv ? kCsvFilter : kTextFilter});
    QCOMPARE(m_host->scripted.suffixes,
             std::vector<QString>{csv ? QStringLiteral("CSV") : QStringLiteral("TXT")});
    QCOMPARE(shown.at(1).kind, QStringLiteral("message"));
    QCOMPARE(shown.at(1).text, kSaved);
    QCOMPARE(shown.at(1).icon, MsgIcon::Information);
}

void tst_Overview::cancelWritesNothing() {
    for (const bool csv : {false, true}) {
        m_host->scripted.clear();
        run(csv); // no answer scripted: the dialog is cancelled
        QCOMPARE(int(m_host->scripted.shown.size()), 1);
        QCOMPARE(m_host->scripted.shown.at(0).kind, QStringLiteral("save"));
        QVERIFY(QDir(m_dir->path()).isEmpty());
        QCOMPARE(Child<QProgressBar>(*m_page, QStringLiteral("ProgressBar2"))->value(), 0);
        QCOMPARE(m_host->busyCount, 0);
    }
}

void tst_Overview::unwritableTarget_data() {
    QTest::addColumn<QString>("name");
    QTest::addColumn<bool>("existing");

    QTest::newRow("folder that does not exist") << QStringLiteral("fehlt/liste.TXT") << false;
    // A name of the longest length a folder takes: the file itself exists, but no temporary file
    // beside it can be named, so the new report can't be completed and the old file must stay.
    QTest::newRow("existing file, no room for the new one")
        << QString(251, QLatin1Char('a')) + ".TXT" << true;
}

void tst_Overview::unwritableTarget() {
    QFETCH(QString, name);
    QFETCH(bool, existing);

    const QByteArray old("alte Übersicht");
    if (existing)
        QVERIFY(testsupport::writeFile(path(name), old));
    m_host->scripted.fileAnswers.push_back(path(name));
    run(false);
    QCOMPARE(m_host->scripted.messages(),
             QStringList{QStringLiteral("Die Datei \"%1\" kann nicht geschrieben werden.")
                             .arg(QDir::toNativeSeparators(path(name)))});
    QCOMPARE(m_host->scripted.shown.back().icon, MsgIcon::Error);
    if (existing)
        QCOMPARE(testsupport::readFile(path(name)), old);
    else
        QVERIFY(!QFile::exists(path(name)));
    QCOMPARE(QDir(m_dir->path()).entryList(QDir::Files).size(), existing ? 1 : 0);
}

void tst_Overview::nothingWithoutTables_data() {
    QTest::addColumn<bool>("device");
    QTest::addColumn<bool>("busy");
    QTest::addColumn<QString>("status");

    QTest::newRow("no controller selected") << false << false << kNoTables;
    QTest::newRow("controller without tables") << true << false << kNoTables;
    QTest::newRow("another command runs") << true << true << QString();
}

void tst_Overview::nothingWithoutTables() {
    QFETCH(bool, device);
    QFETCH(bool, busy);
    QFETCH(QString, status);

    TDeviceEntry empty;
    if (!busy)
        m_host->current = device ? &empty : nullptr;
    m_host->busyCount = busy ? 1 : 0;
    for (const bool csv : {false, true}) {
        m_host->statusTexts.clear();
        run(csv);
        QVERIFY(m_host->scripted.shown.empty());
        QCOMPARE(m_host->statusTexts, status.isEmpty() ? QStringList() : QStringList{status});
        QCOMPARE(m_host->commandsBegun, 0);
    }
}

void tst_Overview::emptyTablesGiveAValidReport_data() {
    QTest::addColumn<bool>("csv");
    QTest::addColumn<int>("modules");
    QTest::addColumn<QByteArray>("written");
    QTest::newRow("text: an empty file") << false << 0 << QByteArray();
    QTest::newRow("text with modules: an empty file") << false << 1 << QByteArray();
    QTest::newRow("CSV: the two header lines")
        << true << 0 << QByteArray("Daten;;;Beschr\xE4nkungen\r\nName;Transpondercode;Aktiviert\r\n");
    QTest::newRow("CSV with a module: its column in the header")
        << true << 1
        << QByteArray("Daten;;;Beschr\xE4nkungen\r\nName;Transpondercode;Aktiviert;T\xFCr (0x12)\r\n");
}

void tst_Overview::emptyTablesGiveAValidReport() {
    QFETCH(bool, csv);
    QFETCH(int, modules);
    QFETCH(QByteArray, written);

    // Tables read from a controller that holds no transponders (and perhaps no modules).
    TDeviceEntry loaded;
    fillTables(loaded, 0);
    if (modules == 0)
        loaded.Modules.clear();
    m_host->current = &loaded;
    QVERIFY(testsupport::writeFile(path(QStringLiteral("alt.TXT")), "alte Übersicht"));
    m_host->scripted.fileAnswers.push_back(path(QStringLiteral("alt.TXT")));
    run(csv);
    QCOMPARE(testsupport::readFile(path(QStringLiteral("alt.TXT"))), written);
    QCOMPARE(m_host->scripted.messages(), QStringList{kSaved});
    QVERIFY(m_host->statusTexts.isEmpty() || m_host->statusTexts.back().isEmpty());
}

void tst_Overview::progressAndBusyWhileBuilding() {
    m_entry = TDeviceEntry();
    fillTables(m_entry, 250);
    auto* bar = Child<QProgressBar>(*m_page, QStringLiteral("ProgressBar2"));
    QCOMPARE(bar->maximum(), 100);
    QList<int> values;
    bool busyWhileBuilding = true;
    connect(bar, &QProgressBar::valueChanged, this, [&](int value) {
        values << value;
        busyWhileBuilding = busyWhileBuilding && m_host->busy();
    });
    m_host->scripted.fileAnswers.push_back(path(QStringLiteral("x")));
    run(true);
    QVERIFY(values.contains(50));
    QVERIFY(values.contains(100));
    QCOMPARE(values.back(), 0);
    QCOMPARE(bar->value(), 0);
    QVERIFY(busyWhileBuilding);
    QCOMPARE(m_host->commandsBegun, 1);
    QCOMPARE(m_host->busyCount, 0);
    QCOMPARE(m_host->scripted.messages(), QStringList{kSaved});
}

QTEST_MAIN(tst_Overview)
#include "tst_overview.moc"
