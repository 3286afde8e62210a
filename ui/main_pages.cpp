// The pages of the main window's notebook: header panels and the controls of each page.

#include "device/Discovery.h"
#include "ui/ImageList.h"
#include "ui/Prompter.h"
#include "ui/main.h"

#include <QCheckBox>
#include <QEvent>
#include <QFont>
#include <QFrame>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QStackedWidget>
#include <QVBoxLayout>

namespace {

QLabel* plainLabel(const QString& text, QWidget* parent) {
    auto* label = new QLabel(DisplayText(text), parent);
    label->setTextFormat(Qt::PlainText);
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
        m_onClick(this);
    }

private:
    std::function<void(QLabel*)> m_onClick;
};

} // namespace

QWidget* TMain_Dlg::addPage(const QString& name, const QString& title, const QString& description,
                            int image) {
    auto* page = new QWidget(Main_NB);
    page->setObjectName(name);
    auto* layout = new QVBoxLayout(page);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);

    auto* header = new QFrame(page);
    header->setObjectName(name + QStringLiteral("_Header"));
    header->setAutoFillBackground(true);
    QPalette p = header->palette();
    p.setColor(QPalette::Window, Qt::white);
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
    // "&&" in a caption shows one "&".
    titleLabel->setText(QString(title).replace(QStringLiteral("&&"), QStringLiteral("&")));
    QFont bold = titleLabel->font();
    bold.setBold(true);
    titleLabel->setFont(bold);
    auto* descriptionLabel = plainLabel(description, header);
    descriptionLabel->setObjectName(name + QStringLiteral("_Description"));
    texts->addWidget(titleLabel);
    texts->addWidget(descriptionLabel);
    headerLayout->addLayout(texts, 1);
    layout->addWidget(header);

    auto* body = new QWidget(page);
    body->setObjectName(name + QStringLiteral("_Body"));
    layout->addWidget(body, 1);
    Main_NB->addWidget(page);
    return body;
}

void TMain_Dlg::buildPages() {
    buildStartPage();
    buildInformationPage();
    buildGeneralPage();
    PageBody[3] = addPage(
        QStringLiteral("Logbuch"), QStringLiteral("Logbuch auslesen"),
        QStringLiteral("Hier können Sie das Logbuch Ihres Kelvora compact auslesen. Für den automatischen\r\n"
                       "Export des Logbuchs bieten wir Ihnen ein eigenes Programm an."),
        images::Logbook);
    PageBody[4] =
        addPage(QStringLiteral("Software"), QStringLiteral("Software Update"),
                QStringLiteral("Mit Hilfe dieser Funktionen können Sie ein Update der Firmware von "
                               "Kelvora\r\ncompact durchführen. Ihr Gerät halten Sie damit immer auf "
                               "dem neuesten Stand."),
                images::Firmware);
    buildConfigurationPage();
    PageBody[6] =
        addPage(QStringLiteral("ModulNode"), QStringLiteral("Module"),
                QStringLiteral("Die Konfiguration von Transponderlesemodulen - oder Geräten können Sie "
                               "hier\r\ndurchführen."),
                images::ModuleFolder);
    PageBody[7] =
        addPage(QStringLiteral("TransNode"), QStringLiteral("Transponder"),
                QStringLiteral("Die Transponderverwaltung erlaubt Ihnen eine komfortable Administration "
                               "aller\r\nTransponder. In diesem Fenster können Sie die "
                               "Standardrestriktionen festlegen."),
                images::TransponderFolder);
    PageBody[8] =
        addPage(QStringLiteral("Module"), QString(),
                QStringLiteral("Hier können Sie das Modul genau auf Ihre Anwendung konfigurieren. Auch "
                               "den\r\nBetriebsmodus des Moduls können Sie hier genau festlegen (z.B. "
                               "Bistabil usw.)"),
                images::Module);
    PageBody[9] =
        addPage(QStringLiteral("Transponder"), QString(),
                QStringLiteral("Hier können Sie jedem Transponder seine individuellen Rechte zuweisen "
                               "damit\r\nkeiner Person zur falschen Zeit und/oder an der falschen Tür "
                               "Zugang gewährt wird."),
                images::Transponder);
}

void TMain_Dlg::buildStartPage() {
    auto* page = new QWidget(Main_NB);
    page->setObjectName(QStringLiteral("Standard"));
    auto* layout = new QGridLayout(page);
    layout->setContentsMargins(24, 24, 24, 24);
    auto* picture = new QLabel(page);
    picture->setObjectName(QStringLiteral("Product_IMG"));
    picture->setPixmap(images::productPicture());
    layout->addWidget(picture, 0, 0, 4, 1, Qt::AlignTop);

    auto* title = new QLabel(QStringLiteral("Kelvora compact Administrator"), page);
    QFont big = title->font();
    big.setBold(true);
    big.setPointSizeF(big.pointSizeF() * 1.6);
    title->setFont(big);
    layout->addWidget(title, 0, 1);
    auto* version =
        plainLabel(QStringLiteral("Version 1.3\r\nfür Kelvora compact der Hardware-Ausgaben A und R"), page);
    version->setObjectName(QStringLiteral("Version_ST"));
    layout->addWidget(version, 1, 1);
    auto* notice = plainLabel(QStringLiteral("Bitte lesen Sie die Nutzungsbedingungen, bevor Sie mit diesem "
                                             "Programm arbeiten. Mit der Nutzung des Programms erkennen Sie "
                                             "diese an."),
                              page);
    notice->setObjectName(QStringLiteral("Notice_ST"));
    notice->setWordWrap(true);
    layout->addWidget(notice, 2, 1);
    auto* help =
        plainLabel(QStringLiteral("Hilfe, Handbücher und Updates erhalten Sie im Internet unter:"), page);
    help->setObjectName(QStringLiteral("Help_ST"));
    help->setWordWrap(true);
    layout->addWidget(help, 3, 1);
    auto clicked = [this](QLabel* label) { WebLinkClick(label); };
    WebLink1 = new LinkLabel(QStringLiteral("http://www.kelvora.de"), clicked, page);
    WebLink1->setObjectName(QStringLiteral("WebLink1"));
    WebLink2 = new LinkLabel(QStringLiteral("http://www.nopra.de"), clicked, page);
    WebLink2->setObjectName(QStringLiteral("WebLink2"));
    layout->addWidget(WebLink1, 4, 1);
    layout->addWidget(WebLink2, 5, 1);
    layout->setRowStretch(6, 1);
    layout->setColumnStretch(1, 1);
    Main_NB->addWidget(page);
    PageBody[0] = page;
}

void TMain_Dlg::buildInformationPage() {
    QWidget* body = addPage(QStringLiteral("Information"), QStringLiteral("Information && IP-Konfiguration"),
                            QStringLiteral("Hier können Sie die Grundlegenden TCP/IP Einstellungen Ihres\r\n"
                                           "Kelvora compact vornehmen."),
                            images::Information);
    PageBody[1] = body;
    auto* layout = new QVBoxLayout(body);
    auto* group = new QGroupBox(QStringLiteral("IP Konfiguration ändern "), body);
    group->setObjectName(QStringLiteral("IPConfig_GB"));
    auto* grid = new QGridLayout(group);
    auto* explanation =
        plainLabel(QStringLiteral("Ändern Sie hier die IP-Konfiguration von Kelvora compact. Hier "
                                  "benötigen Sie\r\nkein Kennwort um die Änderungen zu speichern."),
                   group);
    explanation->setObjectName(QStringLiteral("IPConfig_ST"));
    grid->addWidget(explanation, 0, 0, 1, 3);
    grid->addWidget(plainLabel(QStringLiteral("Seriennummer : "), group), 1, 0);
    Serial_ST = new QLabel(group);
    Serial_ST->setObjectName(QStringLiteral("Serial_ST"));
    grid->addWidget(Serial_ST, 1, 1);
    DHCP_CB = new QCheckBox(QStringLiteral("DHCP verwenden"), group);
    DHCP_CB->setObjectName(QStringLiteral("DHCP_CB"));
    grid->addWidget(DHCP_CB, 2, 1);
    const struct {
        const char* label;
        QLineEdit** edit;
        const char* name;
    } edits[] = {
        {"IP Adresse : ", &IPAddr_ED, "IPAddr_ED"},
        {"Subnet Mask : ", &SubnetMask_ED, "SubnetMask_ED"},
        {"Gateway : ", &Gateway_ED, "Gateway_ED"},
    };
    int row = 3;
    for (const auto& e : edits) {
        grid->addWidget(plainLabel(QString::fromUtf8(e.label), group), row, 0);
        *e.edit = new QLineEdit(group);
        (*e.edit)->setObjectName(QString::fromLatin1(e.name));
        (*e.edit)->setMaxLength(15);
        (*e.edit)->setFixedWidth(140);
        grid->addWidget(*e.edit, row, 1);
        ++row;
    }
    Save_BTN = new QPushButton(QStringLiteral("Speichern"), group);
    Save_BTN->setObjectName(QStringLiteral("Save_BTN"));
    grid->addWidget(Save_BTN, row, 1, Qt::AlignLeft);
    grid->setColumnStretch(2, 1);
    layout->addWidget(group);

    StartWeb_BTN = new QPushButton(QStringLiteral("Weboberfläche starten"), body);
    StartWeb_BTN->setObjectName(QStringLiteral("StartWeb_BTN"));
    layout->addWidget(StartWeb_BTN, 0, Qt::AlignLeft);
    layout->addStretch(1);

    connect(DHCP_CB, &QCheckBox::clicked, this, [this] { guarded([this] { DHCP_CBClick(); }); });
    connect(Save_BTN, &QPushButton::clicked, this, [this] { guarded([this] { Save_BTNClick(); }); });
    connect(StartWeb_BTN, &QPushButton::clicked, this, [this] { guarded([this] { StartWeb_BTNClick(); }); });
}

void TMain_Dlg::buildGeneralPage() {
    QWidget* body =
        addPage(QStringLiteral("Allgemein"), QStringLiteral("Allgemeines"),
                QStringLiteral("Hier können Sie die allgemeine Einstellungen und Funktionen\r\nmit "
                               "Ihrem Kelvora compact vornehmen."),
                images::Page);
    PageBody[2] = body;
    auto* layout = new QVBoxLayout(body);
    auto* infoGroup = new QGroupBox(QStringLiteral("Erweiterte Systeminformationen"), body);
    infoGroup->setObjectName(QStringLiteral("Info_GB"));
    auto* infoLayout = new QVBoxLayout(infoGroup);
    Info_LB = new QListWidget(infoGroup);
    Info_LB->setObjectName(QStringLiteral("Info_LB"));
    // Two columns, read-only look: the lines flow top to bottom and wrap into the second column.
    Info_LB->setFlow(QListView::TopToBottom);
    Info_LB->setWrapping(true);
    Info_LB->setResizeMode(QListView::Adjust);
    Info_LB->setSelectionMode(QAbstractItemView::NoSelection);
    Info_LB->setFocusPolicy(Qt::NoFocus);
    QPalette p = Info_LB->palette();
    p.setColor(QPalette::Base, p.color(QPalette::Window));
    Info_LB->setPalette(p);
    Info_LB->setMinimumHeight(110);
    infoLayout->addWidget(Info_LB);
    layout->addWidget(infoGroup);

    auto* nameGroup = new QGroupBox(QStringLiteral("Name des Gerätes festlegen"), body);
    nameGroup->setObjectName(QStringLiteral("Name_GB"));
    auto* nameLayout = new QGridLayout(nameGroup);
    auto* nameText =
        plainLabel(QStringLiteral("Hier können Sie den Namen des Gerätes festlegen der bei\r\nder "
                                  "Suche nach Geräten angezeigt wird."),
                   nameGroup);
    nameText->setObjectName(QStringLiteral("Name_ST"));
    nameLayout->addWidget(nameText, 0, 0, 1, 2);
    DeviceName_ED = new QLineEdit(nameGroup);
    DeviceName_ED->setObjectName(QStringLiteral("DeviceName_ED"));
    DeviceName_ED->setMaxLength(40);
    nameLayout->addWidget(DeviceName_ED, 1, 0);
    SetName_BTN = new QPushButton(QStringLiteral("Speichern"), nameGroup);
    SetName_BTN->setObjectName(QStringLiteral("SetName_BTN"));
    nameLayout->addWidget(SetName_BTN, 1, 1);
    layout->addWidget(nameGroup);
    layout->addStretch(1);
    connect(DeviceName_ED, &QLineEdit::textChanged, this,
            [this] { guarded([this] { DeviceName_EDChange(); }); });
    connect(SetName_BTN, &QPushButton::clicked, this, [this] { guarded([this] { SetName_BTNClick(); }); });
}

void TMain_Dlg::buildConfigurationPage() {
    QWidget* body =
        addPage(QStringLiteral("Konfiguration"), QStringLiteral("Konfiguration"),
                QStringLiteral("Hier können Sie komfortabel die Modul- und Transponderkonfiguration "
                               "Ihres \r\nKelvora compact durchführen."),
                images::Configuration);
    PageBody[5] = body;
    auto* layout = new QVBoxLayout(body);
    auto* buttons = new QHBoxLayout;
    LoadConfig_BTN = new QPushButton(QStringLiteral("Konfiguration laden"), body);
    LoadConfig_BTN->setObjectName(QStringLiteral("LoadConfig_BTN"));
    SaveConfig_BTN = new QPushButton(QStringLiteral("Konfiguration speichern"), body);
    SaveConfig_BTN->setObjectName(QStringLiteral("SaveConfig_BTN"));
    SaveConfig_BTN->setEnabled(false);
    buttons->addWidget(LoadConfig_BTN);
    buttons->addWidget(SaveConfig_BTN);
    buttons->addStretch(1);
    layout->addLayout(buttons);

    auto* statistics = new QGroupBox(QStringLiteral("Statistik"), body);
    statistics->setObjectName(QStringLiteral("Statistik_GB"));
    auto* statisticsLayout = new QVBoxLayout(statistics);
    ModulInfo_ST = new QLabel(QStringLiteral("Keine Konfiguration geladen"), statistics);
    ModulInfo_ST->setObjectName(QStringLiteral("ModulInfo_ST"));
    TransInfo_ST = new QLabel(QStringLiteral("Keine Konfiguration geladen"), statistics);
    TransInfo_ST->setObjectName(QStringLiteral("TransInfo_ST"));
    statisticsLayout->addWidget(ModulInfo_ST);
    statisticsLayout->addWidget(TransInfo_ST);
    layout->addWidget(statistics);

    auto* overview = new QGroupBox(QStringLiteral("Übersicht"), body);
    overview->setObjectName(QStringLiteral("Uebersicht_GB"));
    auto* overviewLayout = new QHBoxLayout(overview);
    StartAW_BTN = new QPushButton(QStringLiteral("Textübersicht erstellen"), overview);
    StartAW_BTN->setObjectName(QStringLiteral("StartAW_BTN"));
    StartAW_BTN->setEnabled(false);
    StartAWE_BTN = new QPushButton(QStringLiteral("Excelübersicht erstellen"), overview);
    StartAWE_BTN->setObjectName(QStringLiteral("StartAWE_BTN"));
    StartAWE_BTN->setEnabled(false);
    overviewLayout->addWidget(StartAW_BTN);
    overviewLayout->addWidget(StartAWE_BTN);
    overviewLayout->addStretch(1);
    layout->addWidget(overview);
    layout->addStretch(1);
    connect(LoadConfig_BTN, &QPushButton::clicked, this,
            [this] { guarded([this] { LoadConfig_BTNClick(); }); });
    connect(SaveConfig_BTN, &QPushButton::clicked, this,
            [this] { guarded([this] { SaveConfig_BTNClick(); }); });
}

void TMain_Dlg::FillIPConfigPage() {
    if (!CurrentDevice)
        return;
    Serial_ST->setText(QStringLiteral("%1")
                           .arg(static_cast<quint32>(CurrentDevice->Serial), 5, 16, QLatin1Char('0'))
                           .toUpper());
    DHCP_CB->setChecked(CurrentDevice->DHCP);
    IPAddr_ED->setText(CurrentDevice->IPAddress);
    SubnetMask_ED->setText(CurrentDevice->SubnetMask);
    Gateway_ED->setText(CurrentDevice->Gateway);
    for (QLineEdit* edit : {IPAddr_ED, SubnetMask_ED, Gateway_ED})
        edit->setEnabled(!CurrentDevice->DHCP);
}

void TMain_Dlg::DHCP_CBClick() {
    if (!CurrentDevice)
        return;
    CurrentDevice->DHCP = DHCP_CB->isChecked();
    for (QLineEdit* edit : {IPAddr_ED, SubnetMask_ED, Gateway_ED})
        edit->setEnabled(!CurrentDevice->DHCP);
}

void TMain_Dlg::Save_BTNClick() {
    if (!CurrentDevice || !IPCInfo)
        return;
    IPCInfo->SendIPConfig(CurrentDevice->Serial, DHCP_CB->isChecked(), IPAddr_ED->text(),
                          SubnetMask_ED->text(), Gateway_ED->text());
}
