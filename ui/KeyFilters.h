#pragma once

// What may enter the code, address and serial fields. The rule sits in a validator, so it holds for
// everything that reaches the field: typed keys with any modifier, text from an input method, pasted
// or dropped text. Text set by the program itself is not checked.

#include <QValidator>

class QLineEdit;

// The hexadecimal entry rule of code, address and serial fields for one character: the character in
// upper case when it is backspace or a hex digit, a null QChar when it is to be dropped.
QChar FilterHexKey(QChar typed);

// Hexadecimal digits; lower-case a to f become upper case.
class THexValidator : public QValidator {
    Q_OBJECT
public:
    using QValidator::QValidator;
    State validate(QString& input, int& pos) const override;
};

// Digits and points (IP address fields).
class TAddressValidator : public QValidator {
    Q_OBJECT
public:
    using QValidator::QValidator;
    State validate(QString& input, int& pos) const override;
};

void InstallHexKeyFilter(QLineEdit* edit);
void InstallAddressKeyFilter(QLineEdit* edit);

// Shows text in the edit exactly as given (a field may show what a file holds, even when the entry
// rule would refuse it); the edit accepts changes again once its text is valid.
void SetTextUnvalidated(QLineEdit* edit, const QString& text);
