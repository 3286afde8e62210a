#include "ui/KeyFilters.h"

#include <QLineEdit>
#include <QPointer>

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

QValidator::State THexValidator::validate(QString& input, int& pos) const {
    Q_UNUSED(pos);
    for (qsizetype i = 0; i < input.size(); ++i) {
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
