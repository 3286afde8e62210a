#pragma once

// Key filters of entry fields: each typed character is checked (and may be changed) before the edit
// sees it. Pasted text is not filtered, so callers still check what they read.

#include <QObject>

#include <functional>

class QLineEdit;

class KeyFilter : public QObject {
    Q_OBJECT
public:
    // The filter returns the character to insert, or a null QChar to drop it.
    KeyFilter(QLineEdit* edit, std::function<QChar(QChar)> filter);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QLineEdit* m_edit;
    std::function<QChar(QChar)> m_filter;
};

// The hexadecimal entry filter of code, address and serial fields: the typed character in upper
// case when it is backspace or a hex digit, a null QChar when it is to be dropped.
QChar FilterHexKey(QChar typed);

// Hexadecimal digits, upper-cased (code, module address and serial fields).
void InstallHexKeyFilter(QLineEdit* edit);
// Digits and points (IP address fields).
void InstallAddressKeyFilter(QLineEdit* edit);
