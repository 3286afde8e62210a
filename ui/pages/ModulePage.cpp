#include "ui/pages/ModulePage.h"

#include "data/DeviceEntry.h"
#include "device/Conversions.h"
#include "ui/ImageList.h"
#include "ui/KeyFilters.h"
#include "ui/Prompter.h"
#include "ui/pages/PageFrame.h"
#include "ui/pages/PageHost.h"

#include "ui_ModulePage.h"

#include <QLabel>
#include <QScopeGuard>
#include <QSignalBlocker>

#include <algorithm>
#include <cstring>

namespace {

// The two on-times are 16-bit milliseconds; the spin edits reach 100000.
constexpr int kMaxMilliseconds = 0xFFFF;
// What the spin edits offer for a time.
constexpr int kLowestTime = 100;
constexpr int kHighestTime = 100000;
// Relais and Mode are indexes into lists of three.
constexpr int kChoices = 3;

int choiceIndex(std::uint16_t value) {
    return value < kChoices ? value : -1;
}

// A time the record holds outside what the spin edit offers (a new module's 0 ms, a file from
// elsewhere) is shown as it is: the range widens to it until the next record is shown.
void showTime(QSpinBox* spin, int value) {
    spin->setRange(std::min(kLowestTime, value), std::max(kHighestTime, value));
    spin->setValue(value);
}

} // namespace

TModulePage::TModulePage(PageHost& host, QWidget* parent)
    : QWidget(parent), m_host(host), m_ui(std::make_unique<Ui::ModulePageForm>()) {
    m_body = pages::BuildPageFrame(
        this, QStringLiteral("Module"), QString(),
        QStringLiteral("Hier können Sie das Modul genau auf Ihre Anwendung konfigurieren. Auch den\r\n"
                       "Betriebsmodus des Moduls können Sie hier genau festlegen (z.B. Bistabil usw.)"),
        images::Module);
    m_ui->setupUi(m_body);
    InstallHexKeyFilter(m_ui->ModAddr_ED);
    m_body->setEnabled(false);

    connect(m_ui->ModAddr_ED, &QLineEdit::textChanged, this, [this] { ModAddr_EDChange(); });
    connect(m_ui->Relais_CB, &QComboBox::currentIndexChanged, this, [this] { Relais_CBChange(); });
    connect(m_ui->Mode_CB, &QComboBox::currentIndexChanged, this, [this] { Mode_CBChange(); });
    connect(m_ui->RelaisTime_SE, &QSpinBox::valueChanged, this, [this] { RelaisTime_SEChange(); });
    connect(m_ui->LEDTime_SE, &QSpinBox::valueChanged, this, [this] { LEDTime_SEChange(); });
    connect(m_ui->MaxEin_CB, &QCheckBox::toggled, this, [this] { MaxEin_CBClick(); });
    connect(m_ui->Nachlauf_CB, &QCheckBox::toggled, this, [this] { Nachlauf_CBClick(); });
    connect(m_ui->MaxEin_SE, &QSpinBox::valueChanged, this, [this] { MaxEin_SEChange(); });
    connect(m_ui->Nachlauf_SE, &QSpinBox::valueChanged, this, [this] { Nachlauf_SEChange(); });
}

TModulePage::~TModulePage() = default;

const QString& TModulePage::invalidInputText() {
    static const QString text = QStringLiteral("Die Eingabe ist nicht gültig.");
    return text;
}

void TModulePage::showRecord(TDeviceEntry& owner, TModuleEntry& module) {
    ++m_filling;
    const auto done = qScopeGuard([this] { --m_filling; });
    m_owner = &owner;
    m_module = &module;
    m_body->setEnabled(true);

    pages::PageTitle(this)->setText(CharsToStr(module.Name, 19));
    m_addressText = QStringLiteral("%1").arg(module.ModAddr(), 4, 16, QLatin1Char('0')).toUpper();
    m_ui->ModAddr_ED->setText(m_addressText);
    // A value the lists don't have (a file from elsewhere) shows no selection and stays as it is.
    m_ui->Relais_CB->setCurrentIndex(choiceIndex(module.Relais()));
    const int mode = choiceIndex(module.Mode());
    m_ui->Mode_CB->setCurrentIndex(mode);
    m_ui->Modus_NB->setCurrentIndex(std::max(mode, 0));
    m_ui->MaxEin_CB->setChecked(module.MaxEinEnabled() == 1);
    m_ui->MaxEin_SE->setEnabled(m_ui->MaxEin_CB->isChecked());
    m_ui->Nachlauf_CB->setChecked(module.NachlaufEnabled() == 1);
    m_ui->Nachlauf_SE->setEnabled(m_ui->Nachlauf_CB->isChecked());
    // What the page shows is what the record holds, also outside the range the spin edits offer.
    showTime(m_ui->Nachlauf_SE, module.NachlaufTime());
    showTime(m_ui->MaxEin_SE, module.MaxEinTime());
    showTime(m_ui->RelaisTime_SE, module.RelaisTime() * 100);
    showTime(m_ui->LEDTime_SE, module.LEDTime() * 100);
}

void TModulePage::forget() {
    m_owner = nullptr;
    m_module = nullptr;
    m_body->setEnabled(false);
}

void TModulePage::edit(const std::function<void(TModuleEntry&)>& change) {
    if (filling() || !m_module || !m_owner)
        return;
    const TModuleEntry before = *m_module;
    change(*m_module);
    if (std::memcmp(&before, m_module, sizeof before) != 0)
        m_owner->Changed = true;
}

void TModulePage::ModAddr_EDChange() {
    if (filling() || !m_module)
        return;
    const QString text = m_ui->ModAddr_ED->text();
    if (text == m_addressText)
        return;
    m_addressText = text;
    bool ok = false;
    const uint value = text.toUInt(&ok, 16);
    if (text.isEmpty() || !ok || value > 0xFFFF) {
        // The last valid address stays stored.
        m_host.prompter().message(this, invalidInputText(), MsgIcon::Warning);
        return;
    }
    edit([value](TModuleEntry& m) { m.setModAddr(static_cast<std::uint16_t>(value)); });
}

void TModulePage::Relais_CBChange() {
    const int index = m_ui->Relais_CB->currentIndex();
    if (index < 0)
        return;
    edit([index](TModuleEntry& m) { m.setRelais(static_cast<std::uint16_t>(index)); });
}

void TModulePage::Mode_CBChange() {
    const int index = m_ui->Mode_CB->currentIndex();
    if (index < 0)
        return;
    m_ui->Modus_NB->setCurrentIndex(index);
    edit([index](TModuleEntry& m) { m.setMode(static_cast<std::uint16_t>(index)); });
}

void TModulePage::RelaisTime_SEChange() {
    const int value = m_ui->RelaisTime_SE->value();
    edit([value](TModuleEntry& m) { m.setRelaisTime(static_cast<std::uint16_t>(value / 100)); });
}

void TModulePage::LEDTime_SEChange() {
    const int value = m_ui->LEDTime_SE->value();
    edit([value](TModuleEntry& m) { m.setLEDTime(static_cast<std::uint16_t>(value / 100)); });
}

void TModulePage::MaxEin_CBClick() {
    const bool checked = m_ui->MaxEin_CB->isChecked();
    m_ui->MaxEin_SE->setEnabled(checked);
    edit([checked](TModuleEntry& m) { m.setMaxEinEnabled(checked ? 1 : 0); });
    if (checked)
        bringIntoRange(m_ui->MaxEin_SE);
}

void TModulePage::Nachlauf_CBClick() {
    const bool checked = m_ui->Nachlauf_CB->isChecked();
    m_ui->Nachlauf_SE->setEnabled(checked);
    edit([checked](TModuleEntry& m) { m.setNachlaufEnabled(checked ? 1 : 0); });
    if (checked)
        bringIntoRange(m_ui->Nachlauf_SE);
}

void TModulePage::bringIntoRange(QSpinBox* spin) {
    // A time put in force gets at least the shortest the editor offers: 0 ms (a new module's) would
    // be in force without anybody having chosen it. Its value change stores it.
    if (filling() || !m_module || spin->value() >= kLowestTime)
        return;
    spin->setRange(kLowestTime, spin->maximum());
}

namespace {

// A value the 16-bit field can't hold is stored as 65535, and the spin edit shows what was stored.
int clampedMilliseconds(QSpinBox* spin) {
    const int value = spin->value();
    if (value <= kMaxMilliseconds)
        return value;
    const QSignalBlocker blocker(spin);
    spin->setValue(kMaxMilliseconds);
    return kMaxMilliseconds;
}

} // namespace

void TModulePage::MaxEin_SEChange() {
    if (filling() || !m_module)
        return;
    const int value = clampedMilliseconds(m_ui->MaxEin_SE);
    edit([value](TModuleEntry& m) { m.setMaxEinTime(static_cast<std::uint16_t>(value)); });
}

void TModulePage::Nachlauf_SEChange() {
    if (filling() || !m_module)
        return;
    const int value = clampedMilliseconds(m_ui->Nachlauf_SE);
    edit([value](TModuleEntry& m) { m.setNachlaufTime(static_cast<std::uint16_t>(value)); });
}
