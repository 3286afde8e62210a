#include "ui/KeyFilters.h"

#include <QLineEdit>
#include <QPointer>

#include <algorithm>

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

THexValidator::THexValidator(QLineEdit* edit) : QValidator(edit), m_before(edit->text()) {
    connect(edit, &QLineEdit::textChanged, this, [this](const QString& text) { m_before = text; });
}

QValidator::State THexValidator::validate(QString& input, int& pos) const {
    // The entered piece ends at the cursor, and what follows the cursor is the end of the text before;
    // where the cursor says otherwise, the longest common end is taken.
    qsizetype enteredEnd = std::clamp<qsizetype>(pos, 0, input.size());
    if (input.size() - enteredEnd > m_before.size() ||
        !m_before.endsWith(QStringView(input).mid(enteredEnd))) {
        qsizetype tail = 0;
        while (tail < input.size() && tail < m_before.size() &&
               input.at(input.size() - 1 - tail) == m_before.at(m_before.size() - 1 - tail))
            ++tail;
        enteredEnd = input.size() - tail;
    }
    const qsizetype keptHead = m_before.size() - (input.size() - enteredEnd);
    qsizetype enteredBegin = 0;
    while (enteredBegin < enteredEnd && enteredBegin < keptHead &&
           input.at(enteredBegin) == m_before.at(enteredBegin))
        ++enteredBegin;
    for (qsizetype i = enteredBegin; i < enteredEnd; ++i) {
        const QChar accepted = FilterHexKey(input.at(i));
        if (accepted.isNull() || accepted.unicode() == 0x08)
            return Invalid;
        input[i] = accepted;
    }
    return Acceptable;
}

QValidator::State TAddressValidator::validate(QString& input, int& pos) const {
    Q_UNUSED(pos);
    for (QChar c : input) {
        const char16_t u = c.unicode();
        if (u != '.' && (u < '0' || u > '9'))
            return Invalid;
    }
    return Acceptable;
}

void InstallHexKeyFilter(QLineEdit* edit) {
    edit->setValidator(new THexValidator(edit));
}

void InstallAddressKeyFilter(QLineEdit* edit) {
    edit->setValidator(new TAddressValidator(edit));
}

void SetTextUnvalidated(QLineEdit* edit, const QString& text) {
    QPointer<const QValidator> validator = edit->validator();
    edit->setValidator(nullptr);
    edit->setText(text);
    edit->setValidator(validator.data());
}
