#include "ui/pages/StartPage.h"

#include "ui/ImageList.h"
#include "ui/Prompter.h"
#include "ui/pages/PageHost.h"

#include <QFont>
#include <QGridLayout>
#include <QLabel>
#include <QMouseEvent>
#include <QUrl>

#include <functional>

namespace {

QLabel* plainLabel(const QString& text, QWidget* parent, const char* name) {
    auto* label = new QLabel(DisplayText(text), parent);
    label->setTextFormat(Qt::PlainText);
    label->setObjectName(QString::fromLatin1(name));
    return label;
}

// Opens its caption in the browser when clicked.
class LinkLabel : public QLabel {
public:
    LinkLabel(const QString& address, std::function<void(QLabel*)> onClick, QWidget* parent)
        : QLabel(address, parent), m_onClick(std::move(onClick)) {
        setTextFormat(Qt::PlainText);
        setCursor(Qt::PointingHandCursor);
        QFont f = font();
        f.setUnderline(true);
        setFont(f);
        QPalette p = palette();
        p.setColor(QPalette::WindowText, QColor(0, 0, 204));
        setPalette(p);
    }

protected:
    void mouseReleaseEvent(QMouseEvent* event) override {
        QLabel::mouseReleaseEvent(event);
        if (event->button() == Qt::LeftButton)
            m_onClick(this);
    }

private:
    std::function<void(QLabel*)> m_onClick;
};

} // namespace

TStartPage::TStartPage(PageHost& host, QWidget* parent) : QWidget(parent), m_host(host) {
    setObjectName(QStringLiteral("Standard"));
    auto* layout = new QGridLayout(this);
    layout->setContentsMargins(24, 24, 24, 24);
    auto* picture = new QLabel(this);
    picture->setObjectName(QStringLiteral("Product_IMG"));
    picture->setPixmap(images::productPicture());
    layout->addWidget(picture, 0, 0, 4, 1, Qt::AlignTop);

    auto* title = new QLabel(QStringLiteral("Kelvora compact Administrator"), this);
    title->setObjectName(QStringLiteral("Title_ST"));
    QFont big = title->font();
    big.setBold(true);
    big.setPointSizeF(big.pointSizeF() * 1.6);
    title->setFont(big);
    layout->addWidget(title, 0, 1);
    layout->addWidget(
        plainLabel(QStringLiteral("Version 1.3\r\nfür Kelvora compact der Hardware-Ausgaben A und R"), this,
                   "Version_ST"),
        1, 1);
    QLabel* notice =
        plainLabel(QStringLiteral("Bitte lesen Sie die Nutzungsbedingungen, bevor Sie mit diesem "
                                  "Programm arbeiten. Mit der Nutzung des Programms erkennen Sie "
                                  "diese an."),
                   this, "Notice_ST");
    notice->setWordWrap(true);
    layout->addWidget(notice, 2, 1);
    QLabel* help = plainLabel(QStringLiteral("Hilfe, Handbücher und Updates erhalten Sie im Internet unter:"),
                              this, "Help_ST");
    help->setWordWrap(true);
    layout->addWidget(help, 3, 1);
    const auto clicked = [this](QLabel* label) {
        pages::Run(m_host, this, [this, label] { WebLinkClick(label); });
    };
    auto* link1 = new LinkLabel(QStringLiteral("http://www.kelvora.de"), clicked, this);
    link1->setObjectName(QStringLiteral("WebLink1"));
    auto* link2 = new LinkLabel(QStringLiteral("http://www.nopra.de"), clicked, this);
    link2->setObjectName(QStringLiteral("WebLink2"));
    layout->addWidget(link1, 4, 1);
    layout->addWidget(link2, 5, 1);
    layout->setRowStretch(6, 1);
    layout->setColumnStretch(1, 1);
}

void TStartPage::WebLinkClick(QLabel* label) {
    m_host.openUrl(QUrl(label->text()));
}
