#include "ui/pages/TransponderPage.h"

#include "data/DeviceEntry.h"
#include "device/Conversions.h"
#include "ui/ImageList.h"
#include "ui/KeyFilters.h"
#include "ui/pages/PageFrame.h"
#include "ui/pages/PageHost.h"
#include "ui/pages/RestrictionControls.h"

#include "ui_TransponderPage.h"

#include <QLabel>
#include <QScopeGuard>

#include <cstring>

TTransponderPage::TTransponderPage(PageHost& host, QWidget* parent)
    : QWidget(parent), m_host(host), m_ui(std::make_unique<Ui::TransponderPageForm>()) {
    m_body = pages::BuildPageFrame(
        this, QStringLiteral("Transponder"), QString(),
        QStringLiteral("Hier können Sie jedem Transponder seine individuellen Rechte zuweisen damit\r\n"
                       "keiner Person zur falschen Zeit und/oder an der falschen Tür Zugang gewährt wird."),
        images::Transponder);
    m_ui->setupUi(m_body);
    InstallHexKeyFilter(m_ui->Code_ED);
    m_ui->TimeBar1->SetNumberOfRows(7);
    m_ui->TimeBar1->SetCaption(QStringLiteral("Zeitrestriktionen"));
    m_ui->ModulRestr_CB->setColumns(3);
    const std::array<QCheckBox*, 7> days = {m_ui->CheckBox1, m_ui->CheckBox2, m_ui->CheckBox3,
                                            m_ui->CheckBox4, m_ui->CheckBox5, m_ui->CheckBox6,
                                            m_ui->CheckBox7};
    m_restrictions = std::make_unique<RestrictionControls>(
        host, m_ui->ModulRestr_CB, m_ui->TimeBar1, days,
        [this](const std::function<void()>& write) { edit([&](TTransponderEntry&) { write(); }); });
    m_body->setEnabled(false);

    connect(m_ui->TransAkt_CB, &QCheckBox::toggled, this, [this] { TransAkt_CBClick(); });
    connect(m_ui->Code_ED, &QLineEdit::textChanged, this, [this] { Code_EDChange(); });
    pages::Connect(m_host, m_ui->StartRec_BTN, this, &TTransponderPage::StartRec_BTNClick);
    connect(m_ui->Restr_CB, &QComboBox::currentIndexChanged, this, [this] { Restr_CBChange(); });
    connect(m_ui->ModulRestr_CB, &QListWidget::itemChanged, this,
            [this](QListWidgetItem* item) { ModulRestr_CBClick(item); });
    connect(m_ui->TimeBar1, &TKLVCTimeBar::OnTimeSelected, this, [this] { TimeBar1TimeSelected(); });
    for (QCheckBox* box : days)
        connect(box, &QCheckBox::toggled, this, [this, box] { CheckBox1Click(box); });
}

TTransponderPage::~TTransponderPage() = default;

bool TTransponderPage::writesBinaryCode() const {
    return m_owner && StoresBinaryCodes(*m_owner);
}

void TTransponderPage::showRecord(TDeviceEntry& owner, TTransponderEntry& transponder) {
    ++m_filling;
    const auto done = qScopeGuard([this] { --m_filling; });
    m_owner = &owner;
    m_transponder = &transponder;
    m_body->setEnabled(true);

    m_ui->Restr_CB->setCurrentIndex(0);
    m_ui->Restr_NB->setCurrentIndex(0);
    m_ui->TransAkt_CB->setChecked((transponder.TransAkt() & 1) != 0);
    m_ui->TransPanel->setEnabled(m_ui->TransAkt_CB->isChecked());
    pages::PageTitle(this)->setText(CharsToStr(transponder.Name, 19));
    const QString code = CodeToStr(transponder.Code, 10);
    // Controllers that read the text form hold 10 characters; a longer code from a file still shows whole.
    m_ui->Code_ED->setMaxLength(writesBinaryCode() ? kBinaryCodeDigits
                                                   : std::max<int>(kTextCodeLength, code.size()));
    SetTextUnvalidated(m_ui->Code_ED, code);
    m_restrictions->show(restrictions::FieldsOf(transponder), &owner.Modules);
}

void TTransponderPage::forget() {
    ++m_filling;
    const auto done = qScopeGuard([this] { --m_filling; });
    m_owner = nullptr;
    m_transponder = nullptr;
    m_restrictions->forget();
    m_body->setEnabled(false);
}

void TTransponderPage::edit(const std::function<void(TTransponderEntry&)>& change) {
    if (filling() || !m_transponder || !m_owner)
        return;
    const TTransponderEntry before = *m_transponder;
    change(*m_transponder);
    if (std::memcmp(&before, m_transponder, sizeof before) != 0)
        m_owner->Changed = true;
}

void TTransponderPage::TransAkt_CBClick() {
    const bool checked = m_ui->TransAkt_CB->isChecked();
    m_ui->TransPanel->setEnabled(checked);
    edit([checked](TTransponderEntry& t) { t.setTransAkt(checked ? 1 : 0); });
}

void TTransponderPage::Code_EDChange() {
    if (filling() || !m_transponder)
        return;
    const QString text = m_ui->Code_ED->text();
    const bool binary = writesBinaryCode();
    edit([&](TTransponderEntry& t) {
        if (binary) {
            HexToCode(text, t.Code, 10);
        } else {
            // The eleventh byte must stay a terminator: it would otherwise read as the binary marker, and
            // longer text would run into TransAkt and the module slots.
            std::memset(t.Code, 0, sizeof t.Code);
            StrToChars(text.left(kTextCodeLength), t.Code, kTextCodeLength + 1);
        }
    });
}

void TTransponderPage::takeCode(const QString& code) {
    if (!m_transponder)
        return;
    // As reported: the entry rule is for typed characters and would upper-case a text code.
    SetTextUnvalidated(m_ui->Code_ED, code);
}

void TTransponderPage::StartRec_BTNClick() {
    if (!m_transponder || !m_owner)
        return;
    // The page may be shown again for another record while the dialog is open: the code goes to the
    // record the button was pressed for, or nowhere.
    TTransponderEntry* const transponder = m_transponder;
    const std::optional<QString> code = m_host.chooseCodeAtReader(*m_owner);
    if (code && m_transponder == transponder)
        takeCode(*code);
}

void TTransponderPage::Restr_CBChange() {
    const int index = m_ui->Restr_CB->currentIndex();
    if (index >= 0)
        m_ui->Restr_NB->setCurrentIndex(index);
}

void TTransponderPage::ModulRestr_CBClick(QListWidgetItem* item) {
    m_restrictions->moduleCheckChanged(item);
}

void TTransponderPage::TimeBar1TimeSelected() {
    m_restrictions->timeSelected();
}

void TTransponderPage::CheckBox1Click(QCheckBox* sender) {
    m_restrictions->dayBoxChanged(sender);
}
