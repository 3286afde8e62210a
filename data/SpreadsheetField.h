#pragma once

// One field of a semicolon-separated text file meant for a spreadsheet. Names in such files come from
// the controller and may have been typed by anyone. A name may hold a ';' itself, which the file keeps
// (no quoting): a spreadsheet then reads each piece between the semicolons as a field of its own. So
// every such piece that a spreadsheet would take for a formula (one beginning with '=', '+', '-', '@' or
// a TAB) gets a leading apostrophe, which spreadsheets read as "text follows", and a line break inside
// a field (CR or LF, each) becomes a space so that one record stays one line. Nothing else changes: the
// separators and the field count stay as they are.

#include <QString>

QString SpreadsheetField(const QString& field);
