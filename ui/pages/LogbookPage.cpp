#include "ui/pages/LogbookPage.h"

#include "ops/Notices.h"
#include "ui/ImageList.h"
#include "ui/NoticeBox.h"
#include "ui/Prompter.h"
#include "ui/SaveTarget.h"
#include "ui/WaitCursor.h"
#include "ui/pages/PageFrame.h"
#include "ui/pages/PageHost.h"

#include "ui_LogbookPage.h"

#include <QHeaderView>
#include <QTreeWidget>

namespace {

const QString kDescription =
    QStringLiteral("Hier können Sie das Logbuch Ihres Kelvora compact auslesen. Für den automatischen\r\n"
                   "Export des Logbuchs bieten wir Ihnen ein eigenes Programm an.");
const QString kDeleteQuestion = QStringLiteral("Wollen Sie das Logbuch sicher löschen ?");
const QString kExportFilter = QStringLiteral("Logbuch Export *.TXT (*.TXT)");
const QString kDefaultExtension = QStringLiteral("TXT");

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

    pages::Connect(m_host, m_ui->Einlesen_BTN, this, &TLogbookPage::Einlesen_BTNClick);
    pages::Connect(m_host, m_ui->Export_BTN, this, &TLogbookPage::Export_BTNClick);
    pages::Connect(m_host, m_ui->Delete_BTN, this, &TLogbookPage::Delete_BTNClick);
    pages::Connect(m_host, list->header(), &QHeaderView::sectionClicked, this,
                   &TLogbookPage::Logbuch_LVColumnClick, this);
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
    const auto command = m_host.tryBeginCommand();
    if (!command)
        return;
    ops::LogbookReadInput input;
    input.progress = pages::HostProgress(m_host, [this](const ProgressStep& step) {
        if (step.kind == ProgressStep::LogbookCounted)
            m_ui->Status_ST->setText(ops::LogbookCountText(static_cast<int>(step.value)));
        else if (step.kind == ProgressStep::DownloadBegins)
            m_ui->Logbuch_LV->clear();
    });
    const ops::LogbookRead read =
        WhileWaiting([&] { return ops::ReadLogbook(command->device, m_host.ftpLink(), m_kept, input); });
    // The records read so far are shown also when the copy could not be kept.
    if (read.outcome == ops::Outcome::Ok || read.outcome == ops::Outcome::LocalFileFailed)
        addRows(read.content.records);
    ShowNotice(m_host.prompter(), this, read.notice);
    if (read.replaced)
        m_ui->Export_BTN->setEnabled(true);
}

void TLogbookPage::Export_BTNClick() {
    if (!m_kept.valid)
        return;
    const auto command = m_host.tryBeginCommand();
    if (!command)
        return;
    Prompter& prompter = m_host.prompter();
    const QString target =
        prompter.saveFileName(this, {QString(), QString(), kExportFilter, kDefaultExtension});
    if (target.isEmpty())
        return;
    const ops::LogbookExportResult result = WhileWaiting([&] { return ops::ExportLogbook(m_kept, target); });
    ShowNotice(prompter, this, result.notice);
}

void TLogbookPage::Delete_BTNClick() {
    const auto command = m_host.tryBeginCommand();
    if (!command)
        return;
    Prompter& prompter = m_host.prompter();
    if (!prompter.question(this, kDeleteQuestion, MsgIcon::Information))
        return;
    const ops::Result deleted = WhileWaiting([&] { return ops::DeleteLogbook(command->device); });
    ShowNotice(prompter, this, deleted.notice);
    // The status line, "Export", the local copy and the kept values stay: the export still writes the
    // logbook as it was last read.
    if (deleted.ok())
        m_ui->Logbuch_LV->clear();
}

void TLogbookPage::Logbuch_LVColumnClick(int column) {
    if (column < 0 || column >= logbook::kColumnCount)
        return;
    ListUpdate update(m_ui->Logbuch_LV);
    m_ui->Logbuch_LV->sortItems(column, Qt::AscendingOrder);
}
