#include "ui/pages/RestrictionControls.h"

#include "device/Conversions.h"
#include "ui/KLVCTimebar.h"
#include "ui/pages/PageHost.h"

#include <QCheckBox>
#include <QListWidget>
#include <QScopeGuard>
#include <QSignalBlocker>

namespace {

constexpr int kAddressRole = Qt::UserRole;

} // namespace

RestrictionControls::RestrictionControls(PageHost& host, QListWidget* list, TKLVCTimeBar* bar,
                                         std::array<QCheckBox*, 7> dayBoxes, Writer write)
    : m_host(host), m_list(list), m_bar(bar), m_dayBoxes(dayBoxes), m_write(std::move(write)) {
    for (int tag = 0; tag < kDays; ++tag)
        m_dayBoxes[static_cast<std::size_t>(tag)]->setProperty("Tag", tag);
}

const QString& RestrictionControls::tooManyModulesText() {
    static const QString text = QStringLiteral("Es können höchstens 17 Module freigegeben werden.");
    return text;
}

const QString& RestrictionControls::addressZeroText() {
    static const QString text =
        QStringLiteral("Ein Modul mit der Adresse 0000 wird nicht eingetragen. Bitte vergeben Sie zuerst "
                       "eine Adresse.");
    return text;
}

void RestrictionControls::show(const restrictions::Fields& target, const RecordList<TModuleEntry>* modules) {
    ++m_filling;
    const auto done = qScopeGuard([this] { --m_filling; });
    m_target = target;
    m_hasTarget = true;

    for (int row = 0; row < kDays; ++row)
        m_bar->SetDayHours(static_cast<quint8>(row), target.dayMask(restrictions::DayOfRow(row)));
    for (int tag = 0; tag < kDays; ++tag) {
        QCheckBox* box = m_dayBoxes[static_cast<std::size_t>(tag)];
        box->setChecked((*target.DayRestr & restrictions::DayBit(restrictions::DayOfRow(tag))) != 0);
        m_bar->SetRowEnabled(tag, box->isChecked());
    }
    m_bar->update();

    m_list->clear();
    if (!modules)
        return;
    for (const auto& module : *modules) {
        auto* item = new QListWidgetItem(CharsToStr(module->Name, 19));
        item->setFlags(Qt::ItemIsUserCheckable | Qt::ItemIsEnabled | Qt::ItemIsSelectable);
        item->setData(kAddressRole, module->ModAddr());
        item->setCheckState(restrictions::SlotsHold(target.ModulRestr, module->ModAddr()) ? Qt::Checked
                                                                                          : Qt::Unchecked);
        m_list->addItem(item);
    }
}

void RestrictionControls::forget() {
    ++m_filling;
    const auto done = qScopeGuard([this] { --m_filling; });
    m_hasTarget = false;
    m_target = {};
    m_list->clear();
}

std::vector<std::uint16_t> RestrictionControls::checkedAddresses() const {
    std::vector<std::uint16_t> addresses;
    for (int i = 0; i < m_list->count(); ++i) {
        const QListWidgetItem* item = m_list->item(i);
        if (item->checkState() == Qt::Checked)
            addresses.push_back(static_cast<std::uint16_t>(item->data(kAddressRole).toUInt()));
    }
    return addresses;
}

void RestrictionControls::moduleCheckChanged(QListWidgetItem* item) {
    if (filling() || !m_hasTarget || !item)
        return;
    const std::vector<std::uint16_t> addresses = checkedAddresses();
    const bool checked = item->checkState() == Qt::Checked;
    const auto address = static_cast<std::uint16_t>(item->data(kAddressRole).toUInt());
    if (checked && address != 0 && restrictions::SlotsNeeded(addresses) > kModuleSlots) {
        // The record has room for 17 addresses: this check would need an 18th slot.
        ++m_filling;
        item->setCheckState(Qt::Unchecked);
        --m_filling;
        m_host.showStatus(tooManyModulesText());
        return;
    }
    if (checked && address == 0)
        m_host.showStatus(addressZeroText());
    m_write([&] { restrictions::RewriteModuleSlots(m_target.ModulRestr, addresses); });
}

void RestrictionControls::timeSelected() {
    if (filling() || !m_hasTarget)
        return;
    m_write([&] {
        for (int row = 0; row < kDays; ++row)
            m_bar->GetDayHours(static_cast<quint8>(row), m_target.dayMask(restrictions::DayOfRow(row)));
    });
}

void RestrictionControls::dayBoxChanged(QCheckBox* box) {
    const int tag = box->property("Tag").toInt();
    if (tag < 0 || tag >= kDays)
        return;
    m_bar->SetRowEnabled(tag, box->isChecked());
    m_bar->update();
    if (filling() || !m_hasTarget)
        return;
    const std::uint8_t bit = restrictions::DayBit(restrictions::DayOfRow(tag));
    m_write([&] {
        if (box->isChecked())
            SetBits(*m_target.DayRestr, bit);
        else
            ClearBits(*m_target.DayRestr, bit);
    });
}
