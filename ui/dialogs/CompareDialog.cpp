#include "ui/dialogs/CompareDialog.h"

#include "ui_CompareDialog.h"

namespace {

QString countsText(const tablediff::Section& section) {
    return QStringLiteral("%1 neu, %2 entfernt, %3 geändert")
        .arg(section.added.size())
        .arg(section.removed.size())
        .arg(section.changed.size());
}

} // namespace

TCompare_Dlg::TCompare_Dlg(const QString& title, const tablediff::Diff& diff, Mode mode, QWidget* parent)
    : QDialog(parent), m_ui(std::make_unique<Ui::CompareDialog>()) {
    m_ui->setupUi(this);
    m_ui->Title_ST->setText(title);
    if (diff.empty()) {
        m_ui->Counts_ST->setText(QStringLiteral("Keine Unterschiede."));
    } else {
        m_ui->Counts_ST->setText(QStringLiteral("Module: ") + countsText(diff.modules) +
                                 QStringLiteral(". Transponder: ") + countsText(diff.transponders) +
                                 QLatin1Char('.'));
    }
    addSection(QStringLiteral("Module"), diff.modules);
    addSection(QStringLiteral("Transponder"), diff.transponders);
    if (mode == ConfirmSave) {
        setWindowTitle(QStringLiteral("Konfiguration speichern"));
        m_ui->OK_BTN->setText(QStringLiteral("Speichern"));
    } else if (mode == ConfirmTransfer) {
        setWindowTitle(QStringLiteral("Auf System übertragen"));
        m_ui->OK_BTN->setText(QStringLiteral("Ja"));
        m_ui->Cancel_BTN->setText(QStringLiteral("Nein"));
    } else {
        m_ui->Cancel_BTN->hide();
    }
    connect(m_ui->OK_BTN, &QPushButton::clicked, this, &QDialog::accept);
    connect(m_ui->Cancel_BTN, &QPushButton::clicked, this, &QDialog::reject);
}

TCompare_Dlg::~TCompare_Dlg() = default;

void TCompare_Dlg::addSection(const QString& plural, const tablediff::Section& section) {
    const auto group = [this](const QString& title, const std::vector<tablediff::Entry>& entries) {
        if (entries.empty())
            return;
        auto* node =
            new QTreeWidgetItem(m_ui->Diff_LV, {QStringLiteral("%1 (%2)").arg(title).arg(entries.size())});
        for (const tablediff::Entry& entry : entries) {
            auto* item = new QTreeWidgetItem(node, {entry.label});
            for (const QString& change : entry.changes)
                new QTreeWidgetItem(item, {change});
            item->setExpanded(true);
        }
        node->setExpanded(true);
    };
    group(QStringLiteral("Neue ") + plural, section.added);
    group(QStringLiteral("Entfernte ") + plural, section.removed);
    group(QStringLiteral("Geänderte ") + plural, section.changed);
}
