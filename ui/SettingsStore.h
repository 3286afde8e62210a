#pragma once

// The two things the program keeps between runs: the default restrictions for new transponders
// (57 raw bytes, per machine) and the window position (per user).

#include "data/Records.h"

#include <QByteArray>

class QWidget;

namespace settings {

// Missing, unreadable, not binary or longer than 57 bytes: all zero. Shorter: the beginning filled.
TDefaultRestrictions LoadDefaultRestrictions();
// Written on every close as exactly 57 bytes: per machine where that may be written, else per user.
// False when neither store accepted it.
bool SaveDefaultRestrictions(const TDefaultRestrictions& block);

// The decoding rule of the stored value, by itself.
TDefaultRestrictions DefaultRestrictionsFromValue(const class QVariant& value);

// The tree's width is kept beside the window position (value "TreeWidth"; 0 when none).
void SaveWindowPlacement(const QWidget& window, int treeWidth = 0);
int RestoreTreeWidth();
// False when nothing usable was stored (the caller then centres the window).
bool RestoreWindowPlacement(QWidget& window);

} // namespace settings
