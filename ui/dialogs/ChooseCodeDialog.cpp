#include "ui/dialogs/ChooseCodeDialog.h"

#include "ops/CodeReading.h"
#include "ops/Messages.h"
#include "ui/Prompter.h"
#include "ui/WaitCursor.h"
#include "ui_ChooseCodeDialog.h"

#include <QHeaderView>

namespace {

constexpr int kCodeColumn = 2;

} // namespace

TChooseCode_Dlg::TChooseCode_Dlg(QWidget* parent)
    : QDialog(parent), m_ui(std::make_unique<Ui::ChooseCodeDialog>()) {
    m_ui->setupUi(this);
    setWindowFlags(Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint |
                   Qt::WindowCloseButtonHint);
    m_ui->Label1->setText(DisplayText(QStringLiteral(
        "Bitte legen Sie jetzt einen Transponder an einen beliebigen Leser an. Der Code wird\r\n"
        "dann sofort in der Liste angezeigt soweit der Transponder noch nicht im System\r\n"
        "eingetragen ist.")));
    QHeaderView* header = m_ui->Trans_LV->header();
    header->setSectionsClickable(false);
    header->setSectionsMovable(false);
    header->setStretchLastSection(false);
    m_ui->Trans_LV->setColumnWidth(0, 150);
    m_ui->Trans_LV->setColumnWidth(1, 120);
    m_ui->Trans_LV->setColumnWidth(2, 120);
    layout()->setSizeConstraint(QLayout::SetFixedSize);

    // The selection, not the click, decides: a row chosen with the keyboard counts as well.
    connect(m_ui->Trans_LV, &QTreeWidget::itemSelectionChanged, this, &TChooseCode_Dlg::Trans_LVClick);
    connect(m_ui->Trans_LV, &QTreeWidget::itemDoubleClicked, this, &TChooseCode_Dlg::Trans_LVDblClick);
    connect(m_ui->Button1, &QPushButton::clicked, this, &TChooseCode_Dlg::Button1Click);
    connect(m_ui->Uebernehmen_BTN, &QPushButton::clicked, this, [this] {
        if (selectedCode())
            accept();
    });
    connect(m_ui->Abbrechen_BTN, &QPushButton::clicked, this, &QDialog::reject);
}

TChooseCode_Dlg::~TChooseCode_Dlg() = default;

void TChooseCode_Dlg::addRow(const ops::CodeRow& row) {
    auto* item = new QTreeWidgetItem(m_ui->Trans_LV, {row.time, row.reader, row.code});
    // The newest report stays in view; the selection does not move.
    m_ui->Trans_LV->scrollToItem(item);
}

int TChooseCode_Dlg::rowCount() const {
    return m_ui->Trans_LV->topLevelItemCount();
}

std::optional<QString> TChooseCode_Dlg::selectedCode() const {
    const QList<QTreeWidgetItem*> selected = m_ui->Trans_LV->selectedItems();
    if (selected.isEmpty())
        return std::nullopt;
    return selected.front()->text(kCodeColumn);
}

void TChooseCode_Dlg::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    FormShow();
}

void TChooseCode_Dlg::FormShow() {
    m_ui->Trans_LV->clearSelection();
    m_ui->Trans_LV->setCurrentItem(nullptr);
    m_ui->Uebernehmen_BTN->setEnabled(false);
}

void TChooseCode_Dlg::Trans_LVClick() {
    m_ui->Uebernehmen_BTN->setEnabled(selectedCode().has_value());
}

void TChooseCode_Dlg::Trans_LVDblClick() {
    if (selectedCode())
        accept();
}

void TChooseCode_Dlg::Button1Click() {
    m_ui->Trans_LV->clear();
    Trans_LVClick();
}

std::optional<QString> ReadCodeAtReader(Prompter& prompter, QWidget* parent, TChooseCode_Dlg& dialog,
                                        const TDeviceEntry& device) {
    ops::CodeReading reading(device, [&dialog](const ops::CodeRow& row) { dialog.addRow(row); });
    ops::Outcome opened;
    {
        WaitCursor hourglass;
        opened = reading.open();
    }
    if (opened != ops::Outcome::Ok) {
        prompter.message(parent, ops::kConnectionFailedText, MsgIcon::Error);
        return std::nullopt;
    }
    const int result = prompter.runDialog(dialog);
    reading.close();
    if (result != QDialog::Accepted)
        return std::nullopt;
    const std::optional<QString> code = dialog.selectedCode();
    if (!code)
        return std::nullopt;
    const ops::CodeTakeover takeover = ops::CodeForEditor(device, *code);
    if (!takeover.ok()) {
        prompter.message(parent, takeover.refusal, MsgIcon::Warning);
        return std::nullopt;
    }
    return takeover.code;
}
