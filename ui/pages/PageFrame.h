#pragma once

// The header panel every page from 1 to 9 begins with: a picture on the left, a bold title and a
// two-line description. The page's own controls go into the returned body.

#include <QString>

class QLabel;
class QWidget;

namespace pages {

// Lays out `page` as header + body and returns the body. The objects are named <name>_Header,
// <name>_Title, <name>_Description and <name>_Body; "&&" in the title shows as one "&", each \r\n
// of the description is a line break.
QWidget* BuildPageFrame(QWidget* page, const QString& name, const QString& title, const QString& description,
                        int image);

// The title label of a page built by BuildPageFrame (the editors show their record's name there).
QLabel* PageTitle(QWidget* page);

} // namespace pages
