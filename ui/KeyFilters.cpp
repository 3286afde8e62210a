#include "ui/KeyFilters.h"

#include <QKeyEvent>
#include <QLineEdit>

KeyFilter::KeyFilter(QLineEdit* edit, std::function<QChar(QChar)> filter)
    : QObject(edit), m_edit(edit), m_filter(std::move(filter)) {
    edit->installEventFilter(this);
}

bool KeyFilter::eventFilter(QObject* watched, QEvent* event) {
    if (watched != m_edit || event->type() != QEvent::KeyPress)
        return false;
    auto* key = static_cast<QKeyEvent*>(event);
    // Shortcuts (paste, select all, undo) and keys without text (arrows, Delete, Enter, Esc) pass.
    if (key->modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier))
        return false;
    const QString text = key->text();
    if (text.size() != 1)
        return !text.isEmpty();
    const QChar typed = text.at(0);
    if (typed.unicode() < 0x20 && typed.unicode() != 0x08)
        return false;
    if (key->key() == Qt::Key_Backspace)
        return false;
    const QChar accepted = m_filter(typed);
    if (accepted.isNull())
        return true;
    if (accepted != typed) {
        m_edit->insert(QString(accepted));
        return true;
    }
    return false;
}

QChar FilterHexKey(QChar typed) {
    if (typed.unicode() == 0x08)
        return typed;
    const char16_t u = typed.unicode();
    const QChar upper = (u >= 'a' && u <= 'z') ? QChar(u - 'a' + 'A') : typed;
    const char16_t v = upper.unicode();
    if ((v >= '0' && v <= '9') || (v >= 'A' && v <= 'F'))
        return upper;
    return QChar();
}

void InstallHexKeyFilter(QLineEdit* edit) {
    new KeyFilter(edit, FilterHexKey);
}

void InstallAddressKeyFilter(QLineEdit* edit) {
    new KeyFilter(edit, [](QChar c) {
        const char16_t u = c.unicode();
        return (u == 0x08 || u == '.' || (u >= '0' && u <= '9')) ? c : QChar();
    });
}
