// The configuration page's transponder lists and comparisons against a simulated controller: the import's
// plan dialog answered Nein (nothing changes) and Ja (the tables change and count as changed), a refused
// list, the comparison with every source, and the look at a save's changes before anything is sent.

#include "data/DeviceEntry.h"
#include "data/NewRecords.h"
#include "data/TableFiles.h"
#include "data/TransponderList.h"
#include "device/Conversions.h"
#include "ops/Compare.h"
#include "ops/ListImport.h"
#include "sim/DemoData.h"
#include "support/PageSite.h"
#include "support/TestSupport.h"
#include "support/WidgetLookup.h"
#include "ui/dialogs/CompareDialog.h"
#include "ui/dialogs/CompareSourceDialog.h"
#include "ui/dialogs/ImportPlanDialog.h"
#include "ui/pages/ConfigurationPage.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QTreeWidget>
#include <QtTest>

#include <memory>

namespace {

QByteArray bytesOf(const RecordList<TTransponderEntry>& records) {
    QByteArray bytes;
    for (const auto& r : records)
        bytes.append(reinterpret_cast<const char*>(r.get()), sizeof(TTransponderEntry));
    return bytes;
}

// The texts of a tree's top items and their children, one line each, children indented.
QStringList treeLines(const QTreeWidget& tree) {
    QStringList lines;
    const std::function<void(const QTreeWidgetItem*, int)> walk = [&](const QTreeWidgetItem* item,
                                                                      int depth) {
        lines << QString(depth * 2, QLatin1Char(' ')) + item->text(0);
        for (int i = 0; i < item->childCount(); ++i)
            walk(item->child(i), depth + 1);
    };
    for (int i = 0; i < tree.topLevelItemCount(); ++i)
        walk(tree.topLevelItem(i), 0);
    return lines;
}

QString label(const QDialog& dialog, const char* name) {
    return Child<QLabel>(dialog, QString::fromLatin1(name))->text();
}

} // namespace

class TestListPage : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void init();
    void cleanup();

    void importAnsweredNeinThenJa();
    void refusedListShowsWhyAndChangesNothing();
    void compareWithEverySource();
    void saveShowsItsChangesFirst();

private:
    void click(const char* button) { Child<QPushButton>(*m_page, QString::fromLatin1(button))->click(); }
    ScriptedPrompter& prompter() { return m_site->host().scripted; }
    TDeviceEntry& entry() { return m_site->entry; }
    QString path(const QString& name) const { return m_dir->filePath(name); }
    // The loaded list with the second transponder's Monday changed and a new transponder.
    QString editedList();

    std::unique_ptr<PageSite> m_site;
    std::unique_ptr<TConfigurationPage> m_page;
    std::unique_ptr<QTemporaryDir> m_dir;
};

void TestListPage::init() {
    m_site = std::make_unique<PageSite>();
    m_dir = std::make_unique<QTemporaryDir>();
    QString error;
    QVERIFY2(m_site->start(&error), qPrintable(error));
    sim::writeDemoData(*m_site->controller);
    const QString trans = m_site->controller->dataFile(QStringLiteral("trans.dat"));
    QVERIFY(testsupport::writeFile(trans, testsupport::readFile(trans).left(20 * 89)));
    m_page = std::make_unique<TConfigurationPage>(m_site->host());
    click("LoadConfig_BTN");
    QCOMPARE(entry().Transponders.size(), 20u);
    QVERIFY(Child<QPushButton>(*m_page, QStringLiteral("ImportList_BTN"))->isEnabled());
    m_site->mark();
    prompter().clear();
    m_site->host().cleared.clear();
    m_site->host().loaded.clear();
}

void TestListPage::cleanup() {
    m_page.reset();
    m_site.reset();
    m_dir.reset();
}

QString TestListPage::editedList() {
    QList<QByteArray> lines = translist::ListFile(entry()).split('\n');
    QList<QByteArray> cells = lines[2].split(';');
    cells[5] = "08-17";
    lines[2] = cells.join(';');
    lines.insert(lines.size() - 1, "Neu Person;ABCDEF01;bin\xE4r;JA;0100 Haupteingang;;;;;;;;\r");
    testsupport::writeFile(path("neu.csv"), lines.join('\n'));
    return path("neu.csv");
}

void TestListPage::importAnsweredNeinThenJa() {
    const QString file = editedList();
    const QByteArray before = bytesOf(entry().Transponders);
    const QString second = QStringLiteral("%1 (%2)").arg(translist::NameText(*entry().Transponders[1]),
                                                         translist::CodeText(*entry().Transponders[1]));
    const QStringList plan = {
        QStringLiteral("Neu (1)"),
        QStringLiteral("  Neu Person (ABCDEF01)"),
        QStringLiteral("Geändert (1)"),
        QStringLiteral("  ") + second,
        QStringLiteral("    Montag: 07-18 → 08-17"),
        QStringLiteral("Entfernt (0)"),
        QStringLiteral("Unverändert (19)"),
    };
    QStringList shown;
    QString counts;
    prompter().fileAnswers = {file};
    prompter().dialogAnswers.push_back([&](QDialog& dialog) {
        counts = label(dialog, "Counts_ST");
        shown = treeLines(*Child<QTreeWidget>(dialog, QStringLiteral("Plan_LV"))).mid(0, 7);
        return QDialog::Rejected; // Nein
    });
    click("ImportList_BTN");
    QCOMPARE(counts, QStringLiteral("Neu: 1, geändert: 1, entfernt: 0, unverändert: 19"));
    QCOMPARE(shown, plan);
    QCOMPARE(bytesOf(entry().Transponders), before);
    QVERIFY(!entry().Changed);
    QVERIFY(m_site->host().cleared.empty());

    // Ja, after a look at the removal of the transponders the list does not name.
    QString removing;
    prompter().fileAnswers = {file};
    prompter().dialogAnswers.push_back([&](QDialog& dialog) {
        Child<QCheckBox>(dialog, QStringLiteral("RemoveMissing_CB"))->click();
        removing = label(dialog, "Counts_ST");
        Child<QCheckBox>(dialog, QStringLiteral("RemoveMissing_CB"))->click();
        Child<QPushButton>(dialog, QStringLiteral("Yes_BTN"))->click();
        return dialog.result();
    });
    click("ImportList_BTN");
    QCOMPARE(removing, QStringLiteral("Neu: 1, geändert: 1, entfernt: 0, unverändert: 19"));
    QCOMPARE(entry().Transponders.size(), 21u);
    QVERIFY(entry().Changed);
    QCOMPARE(m_site->host().cleared, std::vector<TDeviceEntry*>({&entry()}));
    QCOMPARE(m_site->host().loaded.back(), &entry());
    QCOMPARE(translist::NameText(*entry().Transponders[20]), QStringLiteral("Neu Person"));
    QCOMPARE(translist::DayText(*entry().Transponders[1], 1), QStringLiteral("08-17"));
    QCOMPARE(bytesOf(entry().Transponders).left(89), before.left(89));
    QCOMPARE(Child<QLabel>(*m_page, QStringLiteral("TransInfo_ST"))->text(),
             QStringLiteral("Transponder : 21 Einträge insgesamt. 979 Einträge verfügbar."));
    QCOMPARE(
        m_site->host().statusTexts.last(),
        QStringLiteral("Transponderliste übernommen (Neu: 1, geändert: 1, entfernt: 0, unverändert: 19). "
                       "Gespeichert wird mit „Konfiguration speichern“."));
    QVERIFY(!m_site->eventSeen(QStringLiteral("ftp STOR trans.dat"))); // saved as any edit, not at once
}

void TestListPage::refusedListShowsWhyAndChangesNothing() {
    testsupport::writeFile(path("falsch.csv"), "Transpondercode;Montag\r\n1A2B;8 bis 12\r\n");
    const QByteArray before = bytesOf(entry().Transponders);
    prompter().fileAnswers = {path("falsch.csv")};
    click("ImportList_BTN");
    QCOMPARE(prompter().dialogsRun, 0);
    QCOMPARE(prompter().messages(),
             QStringList(
                 {QStringLiteral("Die Transponderliste kann nicht übernommen werden. Es wurde nichts "
                                 "geändert.\nZeile 2, Spalte 2: Montag: „8 bis 12“ ist keine Zeitangabe wie "
                                 "07-12,13-17.")}));
    QCOMPARE(prompter().shown.back().icon, MsgIcon::Error);
    QCOMPARE(bytesOf(entry().Transponders), before);
    QVERIFY(!entry().Changed);
}

void TestListPage::compareWithEverySource() {
    // The loaded tables differ from the controller's in one name.
    TTransponderEntry& first = *entry().Transponders[0];
    const QString name = translist::NameText(first);
    const QString code = translist::CodeText(first);
    StrToChars(QStringLiteral("Umbenannt"), first.Name, 20);
    const QString changed = QStringLiteral("  Umbenannt (%1)").arg(code);
    const QString nameChange = QStringLiteral("    Name: %1 → Umbenannt").arg(name);

    QDir().mkpath(path("sicherung"));
    testsupport::writeFile(path("sicherung/module.dat"), m_site->stored(QStringLiteral("module.dat")));
    testsupport::writeFile(path("sicherung/trans.dat"), m_site->stored(QStringLiteral("trans.dat")));
    TDeviceEntry saved;
    ReadTableFile(path("sicherung/module.dat"), saved.Modules);
    ReadTableFile(path("sicherung/trans.dat"), saved.Transponders);
    testsupport::writeFile(path("liste.csv"), translist::ListFile(saved));
    TDeviceEntry& other =
        m_site->host().devices.addManual(QStringLiteral("12AB4"), QStringLiteral("127.0.0.9"));
    other.Name = QStringLiteral("Lager");
    ops::CopyTables(saved, other);
    other.Modules.pop_back();

    struct Case {
        const char* radio;
        QString answer;
        QString title;
        QStringList tree;
    };
    const QString loadedOf =
        QStringLiteral(" zu den geladenen Tabellen von %1 (%2):").arg(entry().Name, entry().IPAddress);
    const QList<Case> cases = {
        {"Now_RB",
         QString(),
         QStringLiteral("Unterschiede von dem, was jetzt auf dem Kelvora compact gespeichert ist,") +
             loadedOf,
         {QStringLiteral("Geänderte Transponder (1)"), changed, nameChange}},
        {"Backup_RB",
         path("sicherung"),
         QStringLiteral("Unterschiede von der Sicherung „%1“")
                 .arg(QDir::toNativeSeparators(path("sicherung"))) +
             loadedOf,
         {QStringLiteral("Geänderte Transponder (1)"), changed, nameChange}},
        {"List_RB",
         path("liste.csv"),
         QStringLiteral("Unterschiede von der Transponderliste „%1“")
                 .arg(QDir::toNativeSeparators(path("liste.csv"))) +
             loadedOf,
         {QStringLiteral("Geänderte Transponder (1)"), changed, nameChange}},
        {"Other_RB",
         QString(),
         QStringLiteral("Unterschiede von den geladenen Tabellen von Lager (127.0.0.9)") + loadedOf,
         {QStringLiteral("Neue Module (1)"), QStringLiteral("  Technikraum (0130)"),
          QStringLiteral("Geänderte Transponder (1)"), changed, nameChange}},
    };
    for (const Case& c : cases) {
        prompter().clear();
        if (!c.answer.isEmpty())
            prompter().fileAnswers = {c.answer};
        QString title;
        QStringList tree;
        prompter().dialogAnswers.push_back([&](QDialog& dialog) {
            Child<QRadioButton>(dialog, QString::fromLatin1(c.radio))->setChecked(true);
            return QDialog::Accepted;
        });
        prompter().dialogAnswers.push_back([&](QDialog& dialog) {
            title = label(dialog, "Title_ST");
            tree = treeLines(*Child<QTreeWidget>(dialog, QStringLiteral("Diff_LV")));
            return QDialog::Accepted;
        });
        click("Compare_BTN");
        QCOMPARE(prompter().messages(), QStringList());
        QCOMPARE(title, c.title);
        QCOMPARE(tree, c.tree);
    }
    QVERIFY(!m_site->eventSeen(QStringLiteral("ftp STOR trans.dat")));
}

void TestListPage::saveShowsItsChangesFirst() {
    Child<QCheckBox>(*m_page, QStringLiteral("SaveDiff_CB"))->setChecked(true);
    TTransponderEntry& first = *entry().Transponders[0];
    first.setTransAkt((first.TransAkt() & 1) ? 0 : 1);
    const QByteArray before = m_site->stored(QStringLiteral("trans.dat"));
    QString counts;
    QString okText;
    prompter().dialogAnswers.push_back([&](QDialog& dialog) {
        counts = label(dialog, "Counts_ST");
        okText = Child<QPushButton>(dialog, QStringLiteral("OK_BTN"))->text();
        return QDialog::Rejected; // Abbrechen
    });
    click("SaveConfig_BTN");
    QCOMPARE(
        counts,
        QStringLiteral("Module: 0 neu, 0 entfernt, 0 geändert. Transponder: 0 neu, 0 entfernt, 1 geändert."));
    QCOMPARE(okText, QStringLiteral("Speichern"));
    QCOMPARE(prompter().messages(), QStringList());
    QVERIFY(!m_site->eventSeen(QStringLiteral("ftp STOR module.dat")));
    QCOMPARE(m_site->stored(QStringLiteral("trans.dat")), before);

    prompter().dialogAnswers.push_back([](QDialog&) { return QDialog::Accepted; }); // Speichern
    prompter().questionAnswers = {false};                                           // not activated
    click("SaveConfig_BTN");
    QCOMPARE(prompter().messages().last(), QStringLiteral("Der Vorgang wurde erfolgreich durchgeführt."));
    QCOMPARE(m_site->stored(QStringLiteral("trans.dat")), bytesOf(entry().Transponders));
}

QTEST_MAIN(TestListPage)
#include "tst_listpage.moc"
