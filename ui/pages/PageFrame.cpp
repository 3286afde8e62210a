#include "ui/pages/PageFrame.h"

#include "ui/ImageList.h"
#include "ui/Prompter.h"

#include <QFont>
#include <QFrame>
#include <QHBoxLayout>
#include <QLabel>
#include <QVBoxLayout>

namespace pages {

QWidget* BuildPageFrame(QWidget* page, const QString& name, const QString& title, const QString& description,
                        int image) {
    page->setObjectName(name);
    auto* layout = new QVBoxLayout(page);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);

    auto* header = new QFrame(page);
    header->setObjectName(name + QStringLiteral("_Header"));
    header->setAutoFillBackground(true);
    QPalette p = header->palette();
    p.setColor(QPalette::Window, Qt::white);
    p.setColor(QPalette::WindowText, Qt::black);
    header->setPalette(p);
    header->setFrameShape(QFrame::StyledPanel);
    auto* headerLayout = new QHBoxLayout(header);
    headerLayout->setContentsMargins(10, 8, 10, 8);
    auto* picture = new QLabel(header);
    picture->setPixmap(images::pixmap(image, 40));
    picture->setFixedSize(44, 44);
    headerLayout->addWidget(picture, 0, Qt::AlignTop);
    auto* texts = new QVBoxLayout;
    auto* titleLabel = new QLabel(header);
    titleLabel->setObjectName(name + QStringLiteral("_Title"));
    titleLabel->setTextFormat(Qt::PlainText);
    titleLabel->setText(QString(title).replace(QStringLiteral("&&"), QStringLiteral("&")));
    QFont bold = titleLabel->font();
    bold.setBold(true);
    titleLabel->setFont(bold);
    auto* descriptionLabel = new QLabel(DisplayText(description), header);
    descriptionLabel->setTextFormat(Qt::PlainText);
    descriptionLabel->setObjectName(name + QStringLiteral("_Description"));
    // The two lines keep their break; a narrow window wraps them further instead of cutting them off.
    descriptionLabel->setWordWrap(true);
    texts->addWidget(titleLabel);
    texts->addWidget(descriptionLabel);
    headerLayout->addLayout(texts, 1);
    layout->addWidget(header);

    auto* body = new QWidget(page);
    body->setObjectName(name + QStringLiteral("_Body"));
    layout->addWidget(body, 1);
    return body;
}

QLabel* PageTitle(QWidget* page) {
    return page->findChild<QLabel*>(page->objectName() + QStringLiteral("_Title"));
}

} // namespace pages
