#include "ui/NoticeBox.h"

#include "ops/Notices.h"
#include "ui/Prompter.h"

void ShowNotice(Prompter& prompter, QWidget* parent, const ops::Notice& notice) {
    if (notice.empty())
        return;
    MsgIcon icon = MsgIcon::Information;
    switch (notice.kind) {
    case ops::Notice::Information:
        icon = MsgIcon::Information;
        break;
    case ops::Notice::Warning:
        icon = MsgIcon::Warning;
        break;
    case ops::Notice::Error:
        icon = MsgIcon::Error;
        break;
    }
    prompter.message(parent, notice.text, icon);
}
