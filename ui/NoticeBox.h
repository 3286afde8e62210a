#pragma once

// An operation's notice as the window shows it: one message box with the notice's icon, or nothing
// where the notice is empty.

class Prompter;
class QWidget;

namespace ops {
struct Notice;
} // namespace ops

void ShowNotice(Prompter& prompter, QWidget* parent, const ops::Notice& notice);
