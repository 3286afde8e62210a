#pragma once

// Hexadecimal entry for code and address fields: only the digits 0-9 and A-F can enter, typed or
// pasted; lower-case letters are taken in upper case. Text set from code is not checked (a field may
// show what a file holds); the edit then accepts changes again once its text is valid.

#include <QValidator>

class QLineEdit;

class HexValidator : public QValidator {
    Q_OBJECT
public:
    explicit HexValidator(QObject* parent = nullptr) : QValidator(parent) {}
    State validate(QString& input, int& pos) const override;
};

// Shows text in the edit exactly as given, without the validator's upper-casing.
void SetTextUnvalidated(QLineEdit* edit, const QString& text);
