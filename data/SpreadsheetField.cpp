#include "data/SpreadsheetField.h"

QString SpreadsheetField(const QString& field) {
    QString safe = field;
    for (QChar& c : safe) {
        if (c == QLatin1Char('\r') || c == QLatin1Char('\n'))
            c = QLatin1Char(' ');
    }
    if (!safe.isEmpty()) {
        const QChar first = safe.front();
        if (first == QLatin1Char('=') || first == QLatin1Char('+') || first == QLatin1Char('-') ||
            first == QLatin1Char('@'))
            safe.prepend(QLatin1Char('\''));
    }
    return safe;
}
