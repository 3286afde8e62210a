#pragma once

// One field of a semicolon-separated text file meant for a spreadsheet. Names in such files come from
// the controller and may have been typed by anyone, so a field that a spreadsheet would take for a
// formula (one beginning with '=', '+', '-' or '@') gets a leading apostrophe, which spreadsheets read
// as "text follows", and a line break inside a field (CR or LF, each) becomes a space so that one record
// stays one line. Nothing else changes: no quoting, the separators and the field count stay as they are.

#include <QString>

QString SpreadsheetField(const QString& field);
