#include "ui/pages/LogbookPage.h"

#include "ops/Messages.h"
#include "ui/ErrorHandler.h"
#include "ui/ImageList.h"
#include "ui/Prompter.h"
#include "ui/WaitCursor.h"
#include "ui/pages/PageFrame.h"
#include "ui/pages/PageHost.h"

#include "ui_LogbookPage.h"

#include <QDir>
#include <QFileInfo>
#include <QHeaderView>
#include <QTreeWidget>

namespace {

const QString kDescription =
    QStringLiteral("Hier können Sie das Logbuch Ihres Kelvora compact auslesen. Für den automatischen\r\n"
                   "Export des Logbuchs bieten wir Ihnen ein eigenes Programm an.");
const QString kNoEntriesText = QStringLiteral("Es sind keine Einträge im Logbuch vorhanden.");
const QString kSeekErrorText = QStringLiteral("Error seeking in logfile.");
const QString kExportDoneText = QStringLiteral("Der Export wurde erfolgreich durchgeführt.");
const QString kDeleteQuestion = QStringLiteral("Wollen Sie das Logbuch sicher löschen ?");
const QString kDeletedText = QStringLiteral("Das Logbuch wurde erfolgreich gelöscht.");
const QString kDeleteFailedText =
    QStringLiteral("Das Logbuch konnte nicht gelöscht werden. Bitte versuchen Sie den Vorgang erneut.");
const QString kExportFilter = QStringLiteral("Logbuch Export *.TXT (*.TXT)");
const QString kDefaultExtension = QStringLiteral("TXT");

QString copyNotSavedText() {
    return QStringLiteral("Die Kopie des Logbuchs kann im Ordner \"%1\" nicht gespeichert werden.")
        .arg(QDir::toNativeSeparators(ops::LogbookFolder()));
}

QString copyNotReadText() {
    return QStringLiteral("Die Kopie des Logbuchs in \"%1\" kann nicht gelesen werden. Bitte lesen Sie das "
                          "Logbuch erneut ein.")
        .arg(QDir::toNativeSeparators(ops::LogbookCopyPath()));
}

QString targetNotWrittenText(const QString& target) {
    return QStringLiteral("Die Datei \"%1\" kann nicht geschrieben werden.")
        .arg(QDir::toNativeSeparators(target));
}

// The save dialog's default extension: added to a typed name that has none.
QString withDefaultExtension(const QString& name) {
    if (QFileInfo(name).fileName().contains(QLatin1Char('.')))
        return name;
    return name + QLatin1Char('.') + kDefaultExtension;
}

// A list row with its sort keys computed once: a click on a column of a full ring sorts at once.
class LogItem final : public QTreeWidgetItem {
public:
    static constexpr int Type = QTreeWidgetItem::UserType + 3;

    explicit LogItem(const logbook::RowTexts& texts) : QTreeWidgetItem(Type), m_row(texts) {
        for (int c = 0; c < logbook::kColumnCount; ++c)
            setText(c, texts[static_cast<std::size_t>(c)]);
    }

    bool operator<(const QTreeWidgetItem& other) const override {
        if (other.type() != Type)
            return QTreeWidgetItem::operator<(other);
        const QTreeWidget* tree = treeWidget();
        const int column = tree ? tree->sortColumn() : 0;
        return logbook::CompareRows(column, m_row, static_cast<const LogItem&>(other).m_row) < 0;
    }

private:
    logbook::SortRow m_row;
};

// The list repaints once after a batch of changes, on every path.
class ListUpdate {
public:
    explicit ListUpdate(QWidget* list) : m_list(list), m_enabled(list->updatesEnabled()) {
        m_list->setUpdatesEnabled(false);
    }
    ~ListUpdate() { m_list->setUpdatesEnabled(m_enabled); }
    ListUpdate(const ListUpdate&) = delete;
    ListUpdate& operator=(const ListUpdate&) = delete;

private:
    QWidget* m_list;
    bool m_enabled;
};

} // namespace

TLogbookPage::TLogbookPage(PageHost& host, QWidget* parent)
    : QWidget(parent), m_host(host), m_ui(std::make_unique<Ui::LogbookPage>()) {
    QWidget* body = pages::BuildPageFrame(this, QStringLiteral("Logbuch"), QStringLiteral("Logbuch auslesen"),
                                          kDescription, images::Logbook);
    m_ui->setupUi(body);
    QTreeWidget* list = m_ui->Logbuch_LV;
    list->setHeaderLabels(logbook::ColumnTitles());
    for (int c = 0; c < logbook::kColumnCount; ++c) {
        if (logbook::ColumnWidth(c) > 0)
            list->header()->resizeSection(c, logbook::ColumnWidth(c));
    }
    list->header()->setSectionsClickable(true);
    list->header()->setSortIndicatorShown(false);

    const auto guarded = [this](void (TLogbookPage::*handler)()) {
        return
            [this, handler] { RunGuarded(m_host.prompter(), this, [this, handler] { (this->*handler)(); }); };
    };
    connect(m_ui->Einlesen_BTN, &QPushButton::clicked, this, guarded(&TLogbookPage::Einlesen_BTNClick));
    connect(m_ui->Export_BTN, &QPushButton::clicked, this, guarded(&TLogbookPage::Export_BTNClick));
    connect(m_ui->Delete_BTN, &QPushButton::clicked, this, guarded(&TLogbookPage::Delete_BTNClick));
    connect(list->header(), &QHeaderView::sectionClicked, this, [this](int column) {
        RunGuarded(m_host.prompter(), this, [this, column] { Logbuch_LVColumnClick(column); });
    });
}

TLogbookPage::~TLogbookPage() = default;

void TLogbookPage::fill(TDeviceEntry&) {
    m_ui->Logbuch_LV->clear();
    m_ui->Export_BTN->setEnabled(false);
}

void TLogbookPage::addRows(const std::vector<TLogRecord>& records) {
    QList<QTreeWidgetItem*> items;
    items.reserve(static_cast<qsizetype>(records.size()));
    for (const TLogRecord& record : records)
        items.append(new LogItem(logbook::RowTextsOf(record)));
    ListUpdate update(m_ui->Logbuch_LV);
    m_ui->Logbuch_LV->addTopLevelItems(items);
}

void TLogbookPage::Einlesen_BTNClick() {
    TDeviceEntry* device = m_host.currentDevice();
    if (!device || m_host.busy())
        return;
    const CommandScope command = m_host.beginCommand();
    ops::LogbookReadSteps steps;
    steps.counted = [this](int count) {
        m_ui->Status_ST->setText(QStringLiteral("%1 Einträge im Logbuch").arg(count));
    };
    steps.connected = [this] { m_ui->Logbuch_LV->clear(); };
    ops::LogbookRead read;
    {
        const WaitCursor wait;
        read = ops::ReadLogbook(*device, m_host.ftpLink(), m_kept, steps);
    }
    Prompter& prompter = m_host.prompter();
    switch (read.outcome) {
    case ops::Outcome::LoginFailed:
        prompter.message(this, ops::kConnectionFailedText, MsgIcon::Error);
        return;
    case ops::Outcome::FileAccessRefused:
        prompter.message(this, ops::kLoadAccessRefusedText, MsgIcon::Information);
        return;
    case ops::Outcome::CommandFailed:
        prompter.message(this, kNoEntriesText, MsgIcon::Information);
        return;
    case ops::Outcome::FtpConnectFailed:
    case ops::Outcome::TransferFailed:
        // The controller's logbook is simply not there this time; the last good copy stays for the export.
        return;
    case ops::Outcome::LocalFileFailed:
        addRows(read.content.records);
        prompter.message(this, copyNotSavedText(), MsgIcon::Error);
        return;
    case ops::Outcome::Ok:
        break;
    }
    addRows(read.content.records);
    switch (read.content.end) {
    case logbook::LogEnd::SeekError:
        prompter.message(this, kSeekErrorText, MsgIcon::Error);
        break;
    case logbook::LogEnd::TableViolation:
        prompter.message(this,
                         logbook::TableViolationText(read.content.violation) +
                             QStringLiteral(" Die Einträge davor werden angezeigt."),
                         MsgIcon::Error);
        break;
    case logbook::LogEnd::Complete:
    case logbook::LogEnd::ShortRead:
    case logbook::LogEnd::Stopped:
        break;
    }
    if (read.replaced)
        m_ui->Export_BTN->setEnabled(true);
}

void TLogbookPage::Export_BTNClick() {
    if (!m_host.currentDevice() || m_host.busy() || !m_kept.valid)
        return;
    const CommandScope command = m_host.beginCommand();
    Prompter& prompter = m_host.prompter();
    QString target = prompter.saveFileName(this, QString(), QString(), kExportFilter);
    if (target.isEmpty())
        return;
    target = withDefaultExtension(target);
    ops::LogbookExportResult result;
    {
        const WaitCursor wait;
        result = ops::ExportLogbook(m_kept, target);
    }
    switch (result.outcome) {
    case ops::Outcome::Ok:
        break;
    case ops::Outcome::LocalFileFailed:
        prompter.message(this, result.copyRead ? targetNotWrittenText(target) : copyNotReadText(),
                         MsgIcon::Error);
        return;
    case ops::Outcome::LoginFailed:
    case ops::Outcome::FileAccessRefused:
    case ops::Outcome::FtpConnectFailed:
    case ops::Outcome::TransferFailed:
    case ops::Outcome::CommandFailed:
        return; // the export does not talk to the controller
    }
    switch (result.exported.end) {
    case logbook::LogEnd::SeekError:
        prompter.message(this, kSeekErrorText, MsgIcon::Error);
        return;
    case logbook::LogEnd::TableViolation:
        prompter.message(this,
                         logbook::TableViolationText(result.exported.violation) +
                             QStringLiteral(" Der Export wurde nicht durchgeführt."),
                         MsgIcon::Error);
        return;
    case logbook::LogEnd::Complete:
    case logbook::LogEnd::ShortRead:
    case logbook::LogEnd::Stopped:
        break;
    }
    prompter.message(this, kExportDoneText, MsgIcon::Information);
}

void TLogbookPage::Delete_BTNClick() {
    TDeviceEntry* device = m_host.currentDevice();
    if (!device || m_host.busy())
        return;
    const CommandScope command = m_host.beginCommand();
    Prompter& prompter = m_host.prompter();
    if (!prompter.question(this, kDeleteQuestion, MsgIcon::Information))
        return;
    ops::Outcome outcome;
    {
        const WaitCursor wait;
        outcome = ops::DeleteLogbook(*device);
    }
    switch (outcome) {
    case ops::Outcome::Ok:
        // The status line, "Export", the local copy and the kept values stay: the export still writes
        // the logbook as it was last read.
        prompter.message(this, kDeletedText, MsgIcon::Information);
        m_ui->Logbuch_LV->clear();
        return;
    case ops::Outcome::LoginFailed:
        prompter.message(this, ops::kConnectionFailedText, MsgIcon::Error);
        return;
    case ops::Outcome::CommandFailed:
    case ops::Outcome::FileAccessRefused:
    case ops::Outcome::FtpConnectFailed:
    case ops::Outcome::TransferFailed:
    case ops::Outcome::LocalFileFailed:
        prompter.message(this, kDeleteFailedText, MsgIcon::Error);
        return;
    }
}

void TLogbookPage::Logbuch_LVColumnClick(int column) {
    if (column < 0 || column >= logbook::kColumnCount)
        return;
    ListUpdate update(m_ui->Logbuch_LV);
    m_ui->Logbuch_LV->sortItems(column, Qt::AscendingOrder);
}
