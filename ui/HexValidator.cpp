#include "ui/HexValidator.h"

#include <QLineEdit>
#include <QPointer>

QValidator::State HexValidator::validate(QString& input, int& pos) const {
    Q_UNUSED(pos);
    for (QChar& c : input) {
        const char16_t u = c.unicode();
        if (u >= 'a' && u <= 'f')
            c = QChar(static_cast<char16_t>(u - 'a' + 'A'));
        else if (!((u >= '0' && u <= '9') || (u >= 'A' && u <= 'F')))
            return Invalid;
    }
    return Acceptable;
}

void SetTextUnvalidated(QLineEdit* edit, const QString& text) {
    QPointer<const QValidator> validator = edit->validator();
    edit->setValidator(nullptr);
    edit->setText(text);
    edit->setValidator(validator.data());
}
