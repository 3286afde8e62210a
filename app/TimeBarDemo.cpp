// A window with nothing but the time bar, set up as the restriction editors set it up, so that its look and
// its mouse handling can be tried by themselves.
//
//   kelvora-timebar-demo [--system-palette] [--drag] [--screenshot FILE]
//
// --system-palette keeps the platform's colours instead of the classic grey Windows scheme,
// --drag shows a drag in progress (rows Montag, 09:00 to 14:00), and --screenshot writes the window into a
// PNG file and exits.

#include "ui/KLVCTimebar.h"

#include <QApplication>
#include <QCheckBox>
#include <QCommandLineParser>
#include <QLabel>
#include <QMouseEvent>
#include <QPalette>
#include <QStyleFactory>
#include <QTimer>
#include <QWidget>

#include <array>

namespace {

const std::array<QString, 7> dayNames = {QStringLiteral("Montag"),   QStringLiteral("Dienstag"),
                                         QStringLiteral("Mittwoch"), QStringLiteral("Donnerstag"),
                                         QStringLiteral("Freitag"),  QStringLiteral("Samstag"),
                                         QStringLiteral("Sonntag")};

QPalette classicPalette() {
    QPalette pal;
    const QColor face(192, 192, 192);
    for (auto group : {QPalette::Active, QPalette::Inactive, QPalette::Disabled}) {
        pal.setColor(group, QPalette::Window, face);
        pal.setColor(group, QPalette::Button, face);
        pal.setColor(group, QPalette::Light, QColor(255, 255, 255));
        pal.setColor(group, QPalette::Midlight, QColor(223, 223, 223));
        pal.setColor(group, QPalette::Mid, QColor(160, 160, 160));
        pal.setColor(group, QPalette::Dark, QColor(128, 128, 128));
        pal.setColor(group, QPalette::Shadow, QColor(0, 0, 0));
        pal.setColor(group, QPalette::Base, QColor(255, 255, 255));
        pal.setColor(group, QPalette::Highlight, QColor(0, 0, 128));
        pal.setColor(group, QPalette::HighlightedText, QColor(255, 255, 255));
        const QColor text = group == QPalette::Disabled ? QColor(128, 128, 128) : QColor(0, 0, 0);
        pal.setColor(group, QPalette::WindowText, text);
        pal.setColor(group, QPalette::ButtonText, text);
        pal.setColor(group, QPalette::Text, text);
    }
    return pal;
}

QString masksText(const TKLVCTimeBar& bar) {
    QStringList lines;
    for (int row = 0; row < bar.NumberOfRows(); ++row) {
        std::array<quint8, 3> mask{};
        bar.GetDayHours(static_cast<quint8>(row), mask.data());
        const QString hex = QStringLiteral("%1 %2 %3")
                                .arg(mask[0], 2, 16, QLatin1Char('0'))
                                .arg(mask[1], 2, 16, QLatin1Char('0'))
                                .arg(mask[2], 2, 16, QLatin1Char('0'))
                                .toUpper();
        lines << QStringLiteral("%1 %2")
                     .arg(dayNames[static_cast<size_t>(row)] + QLatin1Char(':'), -12)
                     .arg(hex);
    }
    return lines.join(QLatin1Char('\n'));
}

void sendMouse(QWidget* target, QEvent::Type type, QPoint pos, Qt::MouseButton button,
               Qt::MouseButtons buttons) {
    QMouseEvent event(type, pos, target->mapToGlobal(pos), button, buttons, Qt::NoModifier);
    QApplication::sendEvent(target, &event);
}

} // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("kelvora-timebar-demo"));

    QCommandLineParser parser;
    parser.addHelpOption();
    const QCommandLineOption screenshotOption(QStringLiteral("screenshot"),
                                              QStringLiteral("Write the window into FILE (PNG) and exit."),
                                              QStringLiteral("FILE"));
    const QCommandLineOption systemPaletteOption(QStringLiteral("system-palette"),
                                                 QStringLiteral("Keep the platform's colours."));
    const QCommandLineOption dragOption(QStringLiteral("drag"), QStringLiteral("Show a drag in progress."));
    parser.addOptions({screenshotOption, systemPaletteOption, dragOption});
    parser.process(app);

    if (!parser.isSet(systemPaletteOption)) {
        QApplication::setStyle(QStyleFactory::create(QStringLiteral("Fusion")));
        QApplication::setPalette(classicPalette());
    }

    QWidget window;
    window.setWindowTitle(QStringLiteral("Zeitrestriktionen – Zeitbalken"));
    window.resize(560, 400);

    // Set up like the restriction editors' bars.
    auto* bar = new TKLVCTimeBar(&window);
    QFont barFont = bar->font();
    barFont.setItalic(true);
    bar->setFont(barFont);
    QFont captionFont = bar->CaptionFont();
    captionFont.setPixelSize(11);
    bar->SetCaptionFont(captionFont);
    bar->SetNumberOfRows(7);
    bar->SetCaption(QStringLiteral("Zeitrestriktionen"));
    bar->setGeometry(120, 10, 388, 184);

    // Monday to Friday 07:00 to 18:00, Saturday 08:00 to 12:00, Sunday off (its hours kept for later).
    const std::array<quint8, 3> workday = {0x80, 0xFF, 0x03};
    const std::array<quint8, 3> saturday = {0x00, 0x0F, 0x00};
    const std::array<quint8, 3> sunday = {0x00, 0x3C, 0x00};
    for (quint8 row = 0; row < 5; ++row) {
        bar->SetDayHours(row, workday.data());
    }
    bar->SetDayHours(5, saturday.data());
    bar->SetDayHours(6, sunday.data());

    auto* hintLabel = new QLabel(QStringLiteral("Auswahl: –"), &window);
    hintLabel->setGeometry(120, 200, 388, 20);
    auto* masksLabel = new QLabel(&window);
    masksLabel->setGeometry(120, 222, 388, 150);
    masksLabel->setFont(QFont(QStringLiteral("DejaVu Sans Mono"), 9));
    masksLabel->setAlignment(Qt::AlignTop | Qt::AlignLeft);
    masksLabel->setText(masksText(*bar));

    for (int row = 0; row < 7; ++row) {
        auto* box = new QCheckBox(dayNames[static_cast<size_t>(row)], &window);
        box->setGeometry(10, 10 + (row + 2) * 20 + 1, 105, 19);
        box->setChecked(row != 6);
        bar->SetRowEnabled(row, box->isChecked());
        QObject::connect(box, &QCheckBox::toggled, bar, [bar, row](bool checked) {
            bar->SetRowEnabled(row, checked);
            bar->update();
        });
    }

    QObject::connect(bar, &TKLVCTimeBar::OnSelectionHint, hintLabel, [hintLabel](const QString& hint) {
        hintLabel->setText(QStringLiteral("Auswahl: ") + hint);
    });
    QObject::connect(bar, &TKLVCTimeBar::OnTimeSelected, masksLabel,
                     [bar, masksLabel] { masksLabel->setText(masksText(*bar)); });

    window.show();

    if (parser.isSet(dragOption)) {
        QTimer::singleShot(100, bar, [bar] {
            // The bar takes its band height from its last paint.
            bar->grab();
            const int y = 2 * 20 + 10;
            sendMouse(bar, QEvent::MouseButtonPress, QPoint(2 + 9 * 16, y), Qt::LeftButton, Qt::LeftButton);
            sendMouse(bar, QEvent::MouseMove, QPoint(2 + 14 * 16, y), Qt::NoButton, Qt::LeftButton);
        });
    }

    if (parser.isSet(screenshotOption)) {
        const QString file = parser.value(screenshotOption);
        QTimer::singleShot(400, &window, [&window, file] {
            const bool saved = window.grab().save(file, "PNG");
            QApplication::exit(saved ? 0 : 1);
        });
    }
    return QApplication::exec();
}
