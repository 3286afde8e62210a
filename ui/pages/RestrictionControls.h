#pragma once

// The restriction controls of the transponder page and of the default-restrictions page: a module
// check list, a seven-row time bar and one weekday box beside each row. Both sets behave alike; this
// class shows a target's fields in them and writes the user's changes back into the target.

#include "data/Restrictions.h"
#include "data/TableFiles.h"

#include <QObject>

#include <array>
#include <cstdint>
#include <functional>
#include <vector>

class PageHost;
class QCheckBox;
class QListWidget;
class QListWidgetItem;
class TKLVCTimeBar;

class RestrictionControls {
public:
    // Every write into the target runs inside this wrapper (the page records what changed).
    using Writer = std::function<void(const std::function<void()>&)>;

    RestrictionControls(PageHost& host, QListWidget* list, TKLVCTimeBar* bar,
                        std::array<QCheckBox*, 7> dayBoxes, Writer write);

    // Shows the target in the controls without writing to it. The list offers the given modules (none
    // when null), in table order.
    void show(const restrictions::Fields& target, const RecordList<TModuleEntry>* modules);
    // Drops the target: later control changes write nothing.
    void forget();

    // A check changed in the list (mouse or keyboard): the slots are rewritten from the list. A check
    // that would need an 18th slot is taken back with a note in the status bar.
    void moduleCheckChanged(QListWidgetItem* item);
    // A drag on the bar ended: all seven day masks are read back.
    void timeSelected();
    // A weekday box changed: its row is switched on or off and the day's bit follows; the row's hours
    // stay as they are.
    void dayBoxChanged(QCheckBox* box);

    // True while the controls are set from code; their change signals then write nothing.
    bool filling() const { return m_filling > 0; }

    static const QString& tooManyModulesText();
    static const QString& addressZeroText();

private:
    std::vector<std::uint16_t> checkedAddresses() const;

    PageHost& m_host;
    QListWidget* m_list;
    TKLVCTimeBar* m_bar;
    std::array<QCheckBox*, 7> m_dayBoxes;
    Writer m_write;
    restrictions::Fields m_target;
    bool m_hasTarget = false;
    int m_filling = 0;
};
