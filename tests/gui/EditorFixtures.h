#pragma once

// Records and controllers for the editor tests, built in the test itself.

#include "data/DeviceEntry.h"
#include "data/Records.h"
#include "support/TestSupport.h"

#include <QApplication>
#include <QListWidget>
#include <QStyle>
#include <QStyleOptionViewItem>

#include <cstring>
#include <memory>
#include <random>
#include <vector>

namespace editortest {

template <typename Record> QByteArray bytesOf(const Record& record) {
    return QByteArray(reinterpret_cast<const char*>(&record), sizeof record);
}

template <typename Record> QString hexOf(const Record& record, int offset, int length) {
    return testsupport::hexDump(bytesOf(record).mid(offset, length));
}

inline void putName(std::uint8_t* field, const QByteArray& name) {
    std::memset(field, 0, 20);
    std::memcpy(field, name.constData(), static_cast<std::size_t>(std::min<qsizetype>(name.size(), 20)));
}

inline std::unique_ptr<TModuleEntry> module(const QByteArray& name, std::uint16_t address) {
    auto m = std::make_unique<TModuleEntry>();
    std::memset(m.get(), 0, sizeof *m);
    putName(m->Name, name);
    m->setModAddr(address);
    m->setUnnamed(1);
    m->setRelaisTime(20);
    m->setLEDTime(10);
    return m;
}

// A controller whose information block says firmware major.minor (none read when valid is false).
inline std::unique_ptr<TDeviceEntry> controller(bool valid, int major, int minor) {
    auto entry = std::make_unique<TDeviceEntry>();
    entry->Name = QStringLiteral("Lager");
    entry->InfoValid = valid;
    entry->Info.FirmwareMajor = static_cast<std::uint8_t>(major);
    entry->Info.FirmwareMinor = static_cast<std::uint8_t>(minor);
    return entry;
}

inline void addModules(TDeviceEntry& entry, const std::vector<std::uint16_t>& addresses) {
    for (std::size_t i = 0; i < addresses.size(); ++i)
        entry.Modules.push_back(module(QByteArray("Modul ") + QByteArray::number(int(i)), addresses[i]));
}

// A record of random bytes with a readable name: every field as a file from elsewhere might hold it.
template <typename Record>
std::unique_ptr<Record> randomRecord(std::mt19937& random, const QByteArray& name) {
    auto record = std::make_unique<Record>();
    auto* bytes = reinterpret_cast<std::uint8_t*>(record.get());
    for (std::size_t i = 0; i < sizeof(Record); ++i)
        bytes[i] = static_cast<std::uint8_t>(random());
    std::memcpy(bytes, name.constData(), static_cast<std::size_t>(name.size()));
    bytes[name.size()] = 0;
    return record;
}

// Where a click toggles an item's check box.
inline QPoint checkIndicator(QListWidget* list, QListWidgetItem* item) {
    QStyleOptionViewItem option;
    option.initFrom(list);
    option.rect = list->visualItemRect(item);
    option.features = QStyleOptionViewItem::HasCheckIndicator | QStyleOptionViewItem::HasDisplay;
    option.text = item->text();
    option.checkState = item->checkState();
    return list->style()->subElementRect(QStyle::SE_ItemViewItemCheckIndicator, &option, list).center();
}

} // namespace editortest
