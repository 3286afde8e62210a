#pragma once

// Page 0 "Standard": the product, its version and editions, the terms-of-use notice, where to get help,
// and two links to the maker's web pages.

#include <QWidget>

class PageHost;
class QLabel;

class TStartPage : public QWidget {
    Q_OBJECT
public:
    TStartPage(PageHost& host, QWidget* parent = nullptr);

    // A click on one of the link labels: the desktop opens its caption.
    void WebLinkClick(QLabel* label);

private:
    PageHost& m_host;
};
