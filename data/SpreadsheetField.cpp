#include "data/SpreadsheetField.h"

namespace {

bool startsFormula(QChar c) {
    return c == QLatin1Char('=') || c == QLatin1Char('+') || c == QLatin1Char('-') || c == QLatin1Char('@') ||
           c == QLatin1Char('\t');
}

} // namespace

QString SpreadsheetField(const QString& field) {
    QString safe;
    safe.reserve(field.size() + 1);
    bool pieceBegins = true;
    for (const QChar c : field) {
        if (pieceBegins && startsFormula(c))
            safe += QLatin1Char('\'');
        pieceBegins = c == QLatin1Char(';');
        safe += c == QLatin1Char('\r') || c == QLatin1Char('\n') ? QLatin1Char(' ') : c;
    }
    return safe;
}
