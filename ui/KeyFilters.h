#pragma once

// What may enter the code, address and serial fields. The rule sits in a validator, so it holds for
// everything that reaches the field: typed keys with any modifier, text from an input method, pasted
// or dropped text. Text set by the program itself is not checked.

#include <QValidator>

class QLineEdit;

// The hexadecimal entry rule of code, address and serial fields for one character: the character in
// upper case when it is backspace or a hex digit, a null QChar when it is to be dropped.
QChar FilterHexKey(QChar typed);

// The hexadecimal entry rule for what is entered into a field: each entered a to f becomes A to F, and
// an entry holding anything but hex digits is refused as a whole. The rule looks only at what comes in:
// what the field already holds stays as it is, lower case and other characters included (a code loaded
// from a file), and deleting is always allowed.
class THexValidator : public QValidator {
    Q_OBJECT
public:
    explicit THexValidator(QLineEdit* edit);
    State validate(QString& input, int& pos) const override;

private:
    QString m_before; // the field's text since its last change
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

// Shows text in the edit exactly as given, without the entry rule (a field may show what a file or the
// controller holds, even characters the rule would refuse); the rule applies to what is entered later.
void SetTextUnvalidated(QLineEdit* edit, const QString& text);
