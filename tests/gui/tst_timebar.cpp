// The time bar on the offscreen platform: its masks, its pixels and its mouse handling, on the 388 x 184
// seven-row bar of the restriction editors (16-pixel columns from x = 2, 20-pixel bands).

#include "net/EventWait.h"
#include "ui/KLVCTimebar.h"

#include <QApplication>
#include <QImage>
#include <QMouseEvent>
#include <QSignalSpy>
#include <QTest>

#include <array>
#include <memory>

using Mask = std::array<quint8, 3>;
Q_DECLARE_METATYPE(Mask)

namespace {

constexpr int cw = 16;
constexpr int bh = 20;

int colStart(int col) {
    return 2 + col * cw;
}
int colCenter(int col) {
    return colStart(col) + cw / 2;
}
// Top and bottom (excluded) of a row's selectable area.
int rowTop(int row) {
    return (row + 2) * bh + 3;
}
int rowBottom(int row) {
    return (row + 3) * bh;
}
int rowCenter(int row) {
    return (row + 2) * bh + 11;
}

// Colours that differ from each other and from every palette, so that a pixel tells what painted it.
const QColor testColor(200, 200, 200);
const QColor testSelected(0, 0, 160);
const QColor testLine(10, 20, 30);
const QColor testShadow(100, 100, 100);
const QColor testHighlight(250, 250, 250);
const QColor testCaption(0, 0, 120);
const QColor testDisabled(170, 160, 150);
const QColor gray128(128, 128, 128);
const QColor black(0, 0, 0);

QColor inverted(const QColor& c) {
    return QColor(255 - c.red(), 255 - c.green(), 255 - c.blue());
}

class PaintCounter : public QObject {
public:
    int paints = 0;
    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() == QEvent::Paint) {
            ++paints;
            // Waits look again once the paint has run.
            QMetaObject::invokeMethod(
                this, [] { net::wakeWaiters(); }, Qt::QueuedConnection);
        }
        return false;
    }
};

// Takes the stray releases that tests send past a bar that can no longer receive them.
class Window : public QWidget {
protected:
    void mouseReleaseEvent(QMouseEvent* event) override { event->accept(); }
};

// A shown window holding one bar, already painted once (the mouse handling uses the band height of the
// last paint).
struct Fixture {
    Window window;
    TKLVCTimeBar* bar = nullptr;
    PaintCounter counter;

    explicit Fixture(int rows = 7, QSize size = QSize(388, 184), bool testColours = true) {
        window.resize(440, 240);
        bar = new TKLVCTimeBar(&window);
        bar->SetNumberOfRows(rows);
        bar->setGeometry(10, 10, size.width(), size.height());
        if (testColours) {
            bar->SetColor(testColor);
            bar->SetSelectedColor(testSelected);
            bar->SetLineColor(testLine);
            bar->SetShadowColor(testShadow);
            bar->SetHighlightColor(testHighlight);
            bar->SetCaptionColor(testCaption);
            bar->SetDisabledColor(testDisabled);
        }
        bar->installEventFilter(&counter);
        window.show();
        net::waitUntil([this] { return counter.paints > 0 && bar->bandHeight() > 0; }, 10000);
    }

    void setAll(const Mask& mask) {
        for (quint8 day = 0; day < 7; ++day) {
            bar->SetDayHours(day, mask.data());
        }
    }
    Mask day(int d) const {
        Mask m{0xEE, 0xEE, 0xEE};
        bar->GetDayHours(static_cast<quint8>(d), m.data());
        return m;
    }
    QImage image() const { return bar->grab().toImage(); }
    // Waits until no paint has come for a while, so that a later paint can only come from what follows.
    void settle() {
        for (int i = 0; i < 50; ++i) {
            const int before = counter.paints;
            net::pause(100);
            if (counter.paints == before) {
                break;
            }
        }
    }
};

void move(QWidget* w, QPoint pos, Qt::MouseButtons held) {
    // QTest::mouseMove does not reliably carry the held buttons, so the event is built here.
    QMouseEvent event(QEvent::MouseMove, pos, w->mapToGlobal(pos), Qt::NoButton, held, Qt::NoModifier);
    QApplication::sendEvent(w, &event);
}

QString hex(const Mask& m) {
    return QString::asprintf("%02X %02X %02X", m[0], m[1], m[2]);
}

QString colorName(const QColor& c) {
    return QString::asprintf("(%d,%d,%d)", c.red(), c.green(), c.blue());
}

#define COMPARE_PIXEL(image, x, y, expected)                                                                 \
    QCOMPARE(colorName((image).pixelColor((x), (y))), colorName(expected))

} // namespace

class TimeBarTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void defaults();
    void propertyRepaints_data();
    void propertyRepaints();
    void methodsRepaint();
    void sizeSnapping_data();
    void sizeSnapping();
    void snappingFollowsRowCountAtPaint();
    void dayHoursRange_data();
    void dayHoursRange();
    void shortValues();
    void bitHelpers();
    void rowEnabling();
    void paintedHours_data();
    void paintedHours();
    void separatorsInOneRun();
    void frameAndBands_data();
    void frameAndBands();
    void hourLabels();
    void disabledRows();
    void scrollButtonsPainted();
    void mouseDrags_data();
    void mouseDrags();
    void pressesStartingNothing_data();
    void pressesStartingNothing();
    void secondButtonEndsDrag_data();
    void secondButtonEndsDrag();
    void timeSelectedPerDrag();
    void selectionHint_data();
    void selectionHint();
    void dragRectangleInverts();
    void dottedDragRectangle();
    void cursorRestored_data();
    void cursorRestored();
    void scrollButtonPresses_data();
    void scrollButtonPresses();
};

void TimeBarTest::defaults() {
    TKLVCTimeBar bar;
    const QPalette pal = bar.palette();
    QCOMPARE(bar.width(), 400);
    QCOMPARE(bar.height(), 58);
    QCOMPARE(bar.Color(), pal.color(QPalette::Button));
    QCOMPARE(bar.LineColor(), pal.color(QPalette::ButtonText));
    QCOMPARE(bar.ShadowColor(), pal.color(QPalette::Dark));
    QCOMPARE(bar.HighlightColor(), pal.color(QPalette::Light));
    QCOMPARE(bar.CaptionColor(), pal.color(QPalette::Highlight));
    QCOMPARE(bar.LineSelectColor(), QColor(128, 128, 128));
    QCOMPARE(bar.DisabledColor(), pal.color(QPalette::Disabled, QPalette::Text));
    QCOMPARE(bar.SelectedColor(), pal.color(QPalette::Highlight));
    QCOMPARE(bar.CaptionFontColor(), pal.color(QPalette::HighlightedText));
    QVERIFY(bar.CaptionFont().bold());
    QCOMPARE(bar.CaptionFont().pixelSize(), bar.font().pixelSize());
    QCOMPARE(bar.CaptionFont().families(), bar.font().families());
    QCOMPARE(bar.font().pixelSize(), 9);
    QVERIFY(!bar.font().bold());
    QCOMPARE(bar.Caption(), QString());
    QCOMPARE(bar.SelectBrushStyle(), Qt::SolidPattern);
    QCOMPARE(bar.ShowButtons(), false);
    QCOMPARE(bar.ButtonHeight(), 14);
    QCOMPARE(bar.ButtonIndent(), 2);
    QCOMPARE(bar.NumberOfRows(), 1);
    QVERIFY(bar.isRowEnabled(0));
    QVERIFY(!bar.isRowEnabled(1));
    QCOMPARE(bar.columnCount(), 24);
    QCOMPARE(bar.firstLabel(), 0);
    QCOMPARE(bar.bandHeight(), 0);
    QVERIFY(!bar.isDragging());
    for (quint8 day = 0; day < 7; ++day) {
        Mask m{1, 2, 3};
        QVERIFY(bar.GetDayHours(day, m.data()));
        QCOMPARE(hex(m), QStringLiteral("00 00 00"));
    }

    // A caption font of its own: later changes of the bar's font don't reach it.
    QFont italic = bar.font();
    italic.setItalic(true);
    italic.setPixelSize(13);
    bar.setFont(italic);
    QVERIFY(!bar.CaptionFont().italic());
    QCOMPARE(bar.CaptionFont().pixelSize(), 9);
}

void TimeBarTest::propertyRepaints_data() {
    QTest::addColumn<QByteArray>("property");
    QTest::addColumn<QVariant>("value");
    QTest::addColumn<bool>("repaints");

    QTest::newRow("Color") << QByteArray("Color") << QVariant(QColor(1, 2, 3)) << true;
    QTest::newRow("LineColor") << QByteArray("LineColor") << QVariant(QColor(1, 2, 3)) << true;
    QTest::newRow("ShadowColor") << QByteArray("ShadowColor") << QVariant(QColor(1, 2, 3)) << true;
    QTest::newRow("HighlightColor") << QByteArray("HighlightColor") << QVariant(QColor(1, 2, 3)) << true;
    QTest::newRow("CaptionColor") << QByteArray("CaptionColor") << QVariant(QColor(1, 2, 3)) << true;
    QTest::newRow("LineSelectColor") << QByteArray("LineSelectColor") << QVariant(QColor(1, 2, 3)) << true;
    QTest::newRow("SelectedColor") << QByteArray("SelectedColor") << QVariant(QColor(1, 2, 3)) << true;
    QTest::newRow("CaptionFont") << QByteArray("CaptionFont")
                                 << QVariant(QFont(QStringLiteral("DejaVu Sans"), 8)) << true;
    QTest::newRow("CaptionFontColor") << QByteArray("CaptionFontColor") << QVariant(QColor(1, 2, 3)) << true;
    QTest::newRow("Caption changed") << QByteArray("Caption") << QVariant(QStringLiteral("Zeitrestriktionen"))
                                     << true;
    QTest::newRow("Caption unchanged") << QByteArray("Caption") << QVariant(QString()) << false;
    QTest::newRow("DisabledColor") << QByteArray("DisabledColor") << QVariant(QColor(1, 2, 3)) << false;
    QTest::newRow("SelectBrushStyle")
        << QByteArray("SelectBrushStyle") << QVariant::fromValue(Qt::NoBrush) << false;
    QTest::newRow("ShowButtons") << QByteArray("ShowButtons") << QVariant(true) << false;
    QTest::newRow("ButtonHeight") << QByteArray("ButtonHeight") << QVariant(10) << false;
    QTest::newRow("ButtonIndent") << QByteArray("ButtonIndent") << QVariant(5) << false;
    QTest::newRow("NumberOfRows") << QByteArray("NumberOfRows") << QVariant(7) << false;
}

void TimeBarTest::propertyRepaints() {
    QFETCH(QByteArray, property);
    QFETCH(QVariant, value);
    QFETCH(bool, repaints);

    Fixture f(1, QSize(388, 58), false);
    f.settle();
    f.counter.paints = 0;
    QVERIFY(f.bar->setProperty(property.constData(), value));
    QCOMPARE(f.bar->property(property.constData()), value);
    if (repaints) {
        QVERIFY(net::waitUntil([&] { return f.counter.paints > 0; }, 10000));
    } else {
        net::pause(150);
        QCOMPARE(f.counter.paints, 0);
    }
}

void TimeBarTest::methodsRepaint() {
    Fixture f(7);
    f.settle();
    const Mask m{1, 2, 3};
    Mask out{};

    f.counter.paints = 0;
    QVERIFY(f.bar->GetDayHours(3, out.data()));
    f.bar->SetRowEnabled(3, false);
    net::pause(150);
    QCOMPARE(f.counter.paints, 0);

    QVERIFY(f.bar->SetDayHours(3, m.data()));
    QVERIFY(net::waitUntil([&] { return f.counter.paints > 0; }, 10000));
}

void TimeBarTest::sizeSnapping_data() {
    QTest::addColumn<int>("rows");
    QTest::addColumn<QSize>("given");
    QTest::addColumn<QSize>("snapped");

    QTest::newRow("default size, one row") << 1 << QSize(400, 58) << QSize(388, 58);
    QTest::newRow("editor size, seven rows") << 7 << QSize(388, 184) << QSize(388, 184);
    QTest::newRow("one pixel too many") << 7 << QSize(389, 185) << QSize(388, 184);
    QTest::newRow("seven rows in 400 x 200") << 7 << QSize(400, 200) << QSize(388, 193);
    QTest::newRow("just below a step") << 7 << QSize(387, 183) << QSize(364, 175);
    QTest::newRow("three rows") << 3 << QSize(100, 50) << QSize(100, 49);
}

void TimeBarTest::sizeSnapping() {
    QFETCH(int, rows);
    QFETCH(QSize, given);
    QFETCH(QSize, snapped);

    Fixture f(rows, given);
    QCOMPARE(f.bar->size(), snapped);
    QCOMPARE(f.bar->bandHeight(), (snapped.height() - 4) / (rows + 2));
    QCOMPARE(f.image().size(), snapped);
}

void TimeBarTest::snappingFollowsRowCountAtPaint() {
    // Without any explicit size the bar keeps its constructor's 400 x 58 until it is laid out.
    QWidget window;
    auto* bar = new TKLVCTimeBar(&window);
    PaintCounter counter;
    bar->installEventFilter(&counter);
    QCOMPARE(bar->size(), QSize(400, 58));
    window.show();
    QVERIFY(net::waitUntil([&] { return bar->bandHeight() > 0; }, 10000));
    QCOMPARE(bar->size(), QSize(388, 58));
    QCOMPARE(bar->bandHeight(), 18);

    // 62 = 3 * 19 + 4 + 1 shrinks to 61 for one row; seven rows need 9 * m + 4, which the next paint makes.
    bar->resize(388, 62);
    QCOMPARE(bar->height(), 61);
    bar->SetNumberOfRows(7);
    QCOMPARE(bar->height(), 61);
    bar->grab();
    QCOMPARE(bar->height(), 58);
    QCOMPARE(bar->bandHeight(), 6);
}

void TimeBarTest::dayHoursRange_data() {
    QTest::addColumn<int>("day");
    QTest::addColumn<bool>("ok");
    for (int day : {0, 1, 5, 6}) {
        QTest::addRow("day %d", day) << day << true;
    }
    for (int day : {7, 8, 200, 255}) {
        QTest::addRow("day %d", day) << day << false;
    }
}

void TimeBarTest::dayHoursRange() {
    QFETCH(int, day);
    QFETCH(bool, ok);

    TKLVCTimeBar bar;
    bar.SetNumberOfRows(7);
    for (quint8 d = 0; d < 7; ++d) {
        const Mask m{static_cast<quint8>(0x10 + d), static_cast<quint8>(0x20 + d),
                     static_cast<quint8>(0x30 + d)};
        QVERIFY(bar.SetDayHours(d, m.data()));
    }

    const Mask value{0xA1, 0xB2, 0xC3};
    QCOMPARE(bar.SetDayHours(static_cast<quint8>(day), value.data()), ok);
    for (quint8 d = 0; d < 7; ++d) {
        Mask m{};
        QVERIFY(bar.GetDayHours(d, m.data()));
        const Mask expected = (ok && d == day)
                                  ? value
                                  : Mask{static_cast<quint8>(0x10 + d), static_cast<quint8>(0x20 + d),
                                         static_cast<quint8>(0x30 + d)};
        QCOMPARE(hex(m), hex(expected));
    }

    Mask out{0xAB, 0xCD, 0xEF};
    QCOMPARE(bar.GetDayHours(static_cast<quint8>(day), out.data()), ok);
    QCOMPARE(hex(out), ok ? hex(value) : QStringLiteral("AB CD EF"));
}

void TimeBarTest::shortValues() {
    TKLVCTimeBar bar;
    const Mask start{0x11, 0x22, 0x33};
    QVERIFY(bar.SetDayHours(2, start.data()));

    // Fewer than three bytes: what is there is copied, and the call fails.
    const std::array<quint8, 2> two{0xA1, 0xB2};
    QVERIFY(!bar.SetDayHours(2, std::span<const quint8>(two)));
    Mask m{};
    QVERIFY(bar.GetDayHours(2, m.data()));
    QCOMPARE(hex(m), QStringLiteral("A1 B2 33"));

    std::array<quint8, 2> outTwo{0, 0};
    QVERIFY(!bar.GetDayHours(2, std::span<quint8>(outTwo)));
    QCOMPARE(outTwo[0], quint8(0xA1));
    QCOMPARE(outTwo[1], quint8(0xB2));

    std::array<quint8, 4> four{0xFF, 0xFF, 0xFF, 0xFF};
    QVERIFY(bar.GetDayHours(2, std::span<quint8>(four)));
    QCOMPARE(four[3], quint8(0xFF));

    QVERIFY(!bar.SetDayHours(2, static_cast<const quint8*>(nullptr)));
    QVERIFY(!bar.GetDayHours(2, static_cast<quint8*>(nullptr)));
}

void TimeBarTest::bitHelpers() {
    quint8 v = 0x81;
    SetBits(v, 0x06);
    QCOMPARE(v, quint8(0x87));
    SetBits(v, 0x01);
    QCOMPARE(v, quint8(0x87));
    ClearBits(v, 0x82);
    QCOMPARE(v, quint8(0x05));
    ClearBits(v, 0x40);
    QCOMPARE(v, quint8(0x05));
    ClearBits(v, 0xFF);
    QCOMPARE(v, quint8(0x00));
}

void TimeBarTest::rowEnabling() {
    TKLVCTimeBar bar;
    bar.SetNumberOfRows(3);
    bar.SetRowEnabled(1, false);
    bar.SetRowEnabled(3, false);
    bar.SetRowEnabled(-1, false);
    QVERIFY(bar.isRowEnabled(0));
    QVERIFY(!bar.isRowEnabled(1));
    QVERIFY(bar.isRowEnabled(2));
    QVERIFY(!bar.isRowEnabled(3));

    // Assigning the row count, even the same one, enables every row again.
    bar.SetNumberOfRows(3);
    QVERIFY(bar.isRowEnabled(1));

    bar.SetNumberOfRows(9);
    QCOMPARE(bar.NumberOfRows(), 7);
    QVERIFY(bar.isRowEnabled(6));
    bar.SetNumberOfRows(-2);
    QCOMPARE(bar.NumberOfRows(), 0);
    bar.resize(388, 58);
    QCOMPARE(bar.grab().size(), QSize(388, 58));
}

void TimeBarTest::paintedHours_data() {
    QTest::addColumn<Mask>("mask");
    QTest::addColumn<QList<int>>("hours");
    QTest::addColumn<QList<int>>("lastRun");

    QTest::newRow("08:00-09:00") << Mask{0x00, 0x01, 0x00} << QList<int>{8} << QList<int>{8, 9};
    QTest::newRow("whole day") << Mask{0xFF, 0xFF, 0xFF}
                               << QList<int>{0,  1,  2,  3,  4,  5,  6,  7,  8,  9,  10, 11,
                                             12, 13, 14, 15, 16, 17, 18, 19, 20, 21, 22, 23}
                               << QList<int>{0, 24};
    QTest::newRow("07:00-18:00") << Mask{0x80, 0xFF, 0x03}
                                 << QList<int>{7, 8, 9, 10, 11, 12, 13, 14, 15, 16, 17} << QList<int>{7, 18};
    QTest::newRow("00:00-01:00") << Mask{0x01, 0x00, 0x00} << QList<int>{0} << QList<int>{0, 1};
    QTest::newRow("23:00-24:00") << Mask{0x00, 0x00, 0x80} << QList<int>{23} << QList<int>{23, 24};
    QTest::newRow("two runs") << Mask{0x06, 0x00, 0xC0} << QList<int>{1, 2, 22, 23} << QList<int>{22, 24};
    QTest::newRow("every other hour")
        << Mask{0x55, 0x55, 0x55} << QList<int>{0, 2, 4, 6, 8, 10, 12, 14, 16, 18, 20, 22}
        << QList<int>{22, 23};
}

void TimeBarTest::paintedHours() {
    QFETCH(Mask, mask);
    QFETCH(QList<int>, hours);
    QFETCH(QList<int>, lastRun);

    Fixture f(7);
    const int row = 3;
    QVERIFY(f.bar->SetDayHours(row, mask.data()));
    const QImage img = f.image();
    for (int hour = 0; hour < 24; ++hour) {
        const QColor expected = hours.contains(hour) ? testSelected : testColor;
        for (int y : {rowTop(row), rowCenter(row), rowBottom(row) - 1}) {
            for (int x : {colStart(hour) + 2, colCenter(hour), colStart(hour) + cw - 2}) {
                COMPARE_PIXEL(img, x, y, expected);
            }
        }
        // Nothing of the selection above or below the row's area, nor in the neighbouring rows.
        COMPARE_PIXEL(img, colCenter(hour), rowTop(row) - 1, testColor);
        COMPARE_PIXEL(img, colCenter(hour), rowBottom(row), testColor);
        COMPARE_PIXEL(img, colCenter(hour), rowCenter(row - 1), testColor);
        COMPARE_PIXEL(img, colCenter(hour), rowCenter(row + 1), testColor);
    }
    const TKLVCTimeBar::FillRect expectedRun{colStart(lastRun[0]), rowTop(row), colStart(lastRun[1]),
                                             rowBottom(row)};
    QCOMPARE(f.bar->lastFillRect(), expectedRun);
    QCOMPARE(hex(f.day(row)), hex(mask));
}

void TimeBarTest::separatorsInOneRun() {
    Fixture f(7);
    f.setAll(Mask{0xFF, 0xFF, 0xFF});
    const QImage img = f.image();
    QCOMPARE(f.bar->lastFillRect(), (TKLVCTimeBar::FillRect{2, rowTop(6), 386, rowBottom(6)}));
    for (int row = 0; row < 7; ++row) {
        const int y = rowCenter(row);
        for (int c = 1; c < 24; ++c) {
            const int x = colStart(c);
            COMPARE_PIXEL(img, x, y, gray128);
            COMPARE_PIXEL(img, x - 1, y, testColor);
            COMPARE_PIXEL(img, x + 1, y, testColor);
            COMPARE_PIXEL(img, x - 2, y, testSelected);
            COMPARE_PIXEL(img, x + 2, y, testSelected);
        }
    }
    // The column lines run from just below the first row separator to 4 pixels above the bottom edge.
    for (int c = 1; c < 24; ++c) {
        COMPARE_PIXEL(img, colStart(c), 2 * bh + 2, testColor);
        COMPARE_PIXEL(img, colStart(c), 2 * bh + 3, gray128);
        COMPARE_PIXEL(img, colStart(c), 180, gray128);
        COMPARE_PIXEL(img, colStart(c) - 1, 180, testColor);
        COMPARE_PIXEL(img, colStart(c), 181, testColor);
        // Row separators cross them.
        COMPARE_PIXEL(img, colStart(c), 4 * bh + 1, testLine);
    }
}

void TimeBarTest::frameAndBands_data() {
    QTest::addColumn<QPoint>("pixel");
    QTest::addColumn<QColor>("expected");

    QTest::newRow("outer corner") << QPoint(0, 0) << testColor;
    QTest::newRow("top edge start") << QPoint(1, 0) << testShadow;
    QTest::newRow("top edge end") << QPoint(386, 0) << testShadow;
    QTest::newRow("top right corner") << QPoint(387, 0) << testColor;
    QTest::newRow("left edge") << QPoint(1, 100) << testShadow;
    QTest::newRow("left edge bottom") << QPoint(1, 182) << testShadow;
    QTest::newRow("bottom left corner") << QPoint(1, 183) << testColor;
    QTest::newRow("bottom edge start") << QPoint(2, 183) << testHighlight;
    QTest::newRow("bottom edge") << QPoint(200, 183) << testHighlight;
    QTest::newRow("right edge") << QPoint(387, 1) << testHighlight;
    QTest::newRow("right edge bottom") << QPoint(387, 183) << testHighlight;
    QTest::newRow("frame top") << QPoint(2, 1) << black;
    QTest::newRow("frame left in caption") << QPoint(2, 10) << black;
    QTest::newRow("frame bottom") << QPoint(200, 182) << black;
    QTest::newRow("grid side right bottom") << QPoint(386, 182) << testLine;
    QTest::newRow("tick 24 under the border") << QPoint(386, 30) << testLine;
    QTest::newRow("caption band") << QPoint(5, 2) << testCaption;
    QTest::newRow("caption band right") << QPoint(386, 10) << testCaption;
    QTest::newRow("line under caption") << QPoint(5, 19) << testLine;
    QTest::newRow("line under caption end") << QPoint(385, 19) << testLine;
    QTest::newRow("caption band bottom right") << QPoint(386, 19) << testCaption;
    QTest::newRow("shadow under caption") << QPoint(5, 20) << testShadow;
    QTest::newRow("tick 24 under the shadow line") << QPoint(386, 20) << testLine;
    QTest::newRow("shadow under caption end") << QPoint(385, 20) << testShadow;
    QTest::newRow("tick top") << QPoint(18, 21) << testLine;
    QTest::newRow("tick bottom") << QPoint(18, 39) << testLine;
    QTest::newRow("tick 23") << QPoint(370, 30) << testLine;
    QTest::newRow("below the ticks") << QPoint(18, 40) << testColor;
    QTest::newRow("label band background") << QPoint(17, 22) << testColor;
    QTest::newRow("first row separator") << QPoint(3, 41) << testLine;
    QTest::newRow("first row separator end") << QPoint(385, 41) << testLine;
    QTest::newRow("gap above row 0") << QPoint(10, 42) << testColor;
    QTest::newRow("last row separator") << QPoint(10, 161) << testLine;
    QTest::newRow("grid side left") << QPoint(2, 100) << testLine;
    QTest::newRow("grid side right") << QPoint(386, 100) << testLine;
    QTest::newRow("grid side left top") << QPoint(2, 40) << testLine;
    QTest::newRow("below the last row") << QPoint(10, 180) << testColor;
    QTest::newRow("bottom gap") << QPoint(10, 181) << testColor;
}

void TimeBarTest::frameAndBands() {
    QFETCH(QPoint, pixel);
    QFETCH(QColor, expected);

    Fixture f(7);
    const QImage img = f.image();
    COMPARE_PIXEL(img, pixel.x(), pixel.y(), expected);
}

void TimeBarTest::hourLabels() {
    Fixture f(7);
    const QImage img = f.image();
    // Each of the 24 columns carries its label's ink between its tick and the next one.
    for (int c = 0; c < 24; ++c) {
        int ink = 0;
        for (int x = colStart(c) + 1; x < colStart(c + 1); ++x) {
            for (int y = bh + 5; y < 2 * bh; ++y) {
                ink += img.pixelColor(x, y) != testColor ? 1 : 0;
            }
        }
        QVERIFY2(ink > 5, qPrintable(QStringLiteral("column %1").arg(c)));
    }
}

void TimeBarTest::disabledRows() {
    Fixture f(7);
    f.setAll(Mask{0xFF, 0x00, 0xF0});
    f.bar->SetRowEnabled(2, false);
    f.bar->SetRowEnabled(6, false);
    const QImage img = f.image();
    for (int row = 0; row < 7; ++row) {
        const bool disabled = row == 2 || row == 6;
        for (int hour = 0; hour < 24; ++hour) {
            const bool selected = hour < 8 || hour >= 20;
            const QColor expected = disabled ? testDisabled : (selected ? testSelected : testColor);
            COMPARE_PIXEL(img, colCenter(hour), rowCenter(row), expected);
        }
        if (disabled) {
            // The column lines still divide the grey row into cells.
            COMPARE_PIXEL(img, colStart(5), rowCenter(row), gray128);
            COMPARE_PIXEL(img, colStart(5) + 1, rowCenter(row), testColor);
            COMPARE_PIXEL(img, colStart(5) + 2, rowTop(row), testDisabled);
        }
        QCOMPARE(hex(f.day(row)), QStringLiteral("FF 00 F0"));
    }
}

void TimeBarTest::scrollButtonsPainted() {
    Fixture f(7);
    const QImage without = f.image();
    COMPARE_PIXEL(without, 4, 2, testCaption);
    f.bar->SetShowButtons(true);
    const QImage with = f.image();
    // Left square from (4, 2), right square ending at x = 384, 14 pixels; black outline, white and gray
    // bevel, black arrow.
    COMPARE_PIXEL(with, 4, 2, black);
    COMPARE_PIXEL(with, 17, 15, black);
    COMPARE_PIXEL(with, 5, 5, QColor(255, 255, 255));
    COMPARE_PIXEL(with, 16, 5, gray128);
    COMPARE_PIXEL(with, 13, 9, black);
    COMPARE_PIXEL(with, 370, 2, black);
    COMPARE_PIXEL(with, 374, 9, black);
    COMPARE_PIXEL(with, 18, 5, testCaption);
}

void TimeBarTest::mouseDrags_data() {
    QTest::addColumn<Qt::MouseButton>("button");
    QTest::addColumn<Mask>("initial");
    QTest::addColumn<QPoint>("press");
    QTest::addColumn<QList<int>>("moves");
    QTest::addColumn<Mask>("expected");
    // The pixel range [left, right) the release worked on, after snapping to the quarter hour.
    QTest::addColumn<QList<int>>("range");

    const int y = rowCenter(1);
    const Mask none{0, 0, 0};
    const Mask all{0xFF, 0xFF, 0xFF};
    QTest::newRow("rightward 08 to 17")
        << Qt::LeftButton << none << QPoint(colStart(8), y) << QList<int>{200, colStart(17)}
        << Mask{0x00, 0xFF, 0x01} << QList<int>{130, 274};
    QTest::newRow("leftward 17 to 08")
        << Qt::LeftButton << none << QPoint(colStart(17), y) << QList<int>{200, colStart(8)}
        << Mask{0x00, 0xFF, 0x03} << QList<int>{130, 290};
    QTest::newRow("right click clears the hour")
        << Qt::RightButton << all << QPoint(colCenter(10), y) << QList<int>{} << Mask{0xFF, 0xFB, 0xFF}
        << QList<int>{170, 186};
    QTest::newRow("left click selects the hour")
        << Qt::LeftButton << none << QPoint(colCenter(10), y) << QList<int>{} << Mask{0x00, 0x04, 0x00}
        << QList<int>{170, 186};
    QTest::newRow("left click on a selected hour")
        << Qt::LeftButton << all << QPoint(colCenter(10), y) << QList<int>{} << all << QList<int>{170, 186};
    QTest::newRow("right click on an unselected hour") << Qt::RightButton << none << QPoint(colCenter(10), y)
                                                       << QList<int>{} << none << QList<int>{170, 186};
    QTest::newRow("click on hour 23") << Qt::LeftButton << none << QPoint(colCenter(23), y) << QList<int>{}
                                      << Mask{0x00, 0x00, 0x80} << QList<int>{378, 394};
    QTest::newRow("click on the last pixel of hour 23")
        << Qt::LeftButton << none << QPoint(colStart(24) - 1, y) << QList<int>{} << Mask{0x00, 0x00, 0x80}
        << QList<int>{382, 398};
    QTest::newRow("rightward drag stops short of 23")
        << Qt::LeftButton << none << QPoint(colStart(20), y) << QList<int>{380, 500} << Mask{0x00, 0x00, 0x70}
        << QList<int>{322, 382};
    QTest::newRow("leftward drag from 23")
        << Qt::LeftButton << none << QPoint(colCenter(23), y) << QList<int>{colStart(20)}
        << Mask{0x00, 0x00, 0xF0} << QList<int>{322, 394};
    QTest::newRow("short rightward drag inside a column")
        << Qt::LeftButton << none << QPoint(colStart(8), y) << QList<int>{colStart(8) + 5} << none
        << QList<int>{130, 134};
    QTest::newRow("edges snap to the quarter hour")
        << Qt::LeftButton << none << QPoint(colStart(8) + 10, y) << QList<int>{200, colStart(17) + 5}
        << Mask{0x00, 0xFF, 0x01} << QList<int>{138, 278};
    QTest::newRow("last quarter of the release column")
        << Qt::LeftButton << none << QPoint(colStart(8), y) << QList<int>{colStart(17) + 15}
        << Mask{0x00, 0xFF, 0x01} << QList<int>{130, 286};
    QTest::newRow("middle button clears")
        << Qt::MiddleButton << all << QPoint(colStart(8), y) << QList<int>{colStart(17)}
        << Mask{0xFF, 0x00, 0xFE} << QList<int>{130, 274};
    QTest::newRow("right button leftward clears both ends")
        << Qt::RightButton << all << QPoint(colStart(17), y) << QList<int>{colStart(8)}
        << Mask{0xFF, 0x00, 0xFC} << QList<int>{130, 290};
    QTest::newRow("click on the right border")
        << Qt::LeftButton << none << QPoint(387, y) << QList<int>{} << none << QList<int>{386, 402};
    QTest::newRow("press left of the grid") << Qt::LeftButton << none << QPoint(0, y) << QList<int>{}
                                            << Mask{0x01, 0x00, 0x00} << QList<int>{0, 16};
    QTest::newRow("back to the anchor is a click")
        << Qt::LeftButton << none << QPoint(colCenter(10), y) << QList<int>{250, colCenter(10)}
        << Mask{0x00, 0x04, 0x00} << QList<int>{170, 186};
    QTest::newRow("leftward past the left edge")
        << Qt::LeftButton << none << QPoint(colStart(3) + 10, y) << QList<int>{-40} << Mask{0x0F, 0x00, 0x00}
        << QList<int>{2, 74};
    QTest::newRow("second pixel row of the band")
        << Qt::LeftButton << none << QPoint(colCenter(5), 3 * bh + 1) << QList<int>{}
        << Mask{0x20, 0x00, 0x00} << QList<int>{90, 106};
    QTest::newRow("last pixel row of the band")
        << Qt::LeftButton << none << QPoint(colCenter(5), 4 * bh - 1) << QList<int>{}
        << Mask{0x20, 0x00, 0x00} << QList<int>{90, 106};
}

void TimeBarTest::mouseDrags() {
    QFETCH(Qt::MouseButton, button);
    QFETCH(Mask, initial);
    QFETCH(QPoint, press);
    QFETCH(QList<int>, moves);
    QFETCH(Mask, expected);
    QFETCH(QList<int>, range);

    Fixture f(7);
    const Mask other{0x5A, 0xA5, 0x3C};
    f.setAll(other);
    QVERIFY(f.bar->SetDayHours(1, initial.data()));

    QList<Mask> atSignal;
    connect(f.bar, &TKLVCTimeBar::OnTimeSelected, f.bar, [&] { atSignal.append(f.day(1)); });

    QTest::mousePress(f.bar, button, Qt::NoModifier, press);
    QVERIFY(f.bar->isDragging());
    QPoint last = press;
    for (int x : moves) {
        last = QPoint(x, press.y());
        move(f.bar, last, button);
    }
    QCOMPARE(hex(f.day(1)), hex(initial));
    QVERIFY(atSignal.isEmpty());
    QTest::mouseRelease(f.bar, button, Qt::NoModifier, last);

    QVERIFY(!f.bar->isDragging());
    QCOMPARE(atSignal.size(), 1);
    QCOMPARE(hex(atSignal[0]), hex(expected));
    QCOMPARE(hex(f.day(1)), hex(expected));
    QCOMPARE(f.bar->lastFillRect(), (TKLVCTimeBar::FillRect{range[0], rowTop(1), range[1], rowBottom(1)}));
    for (int row : {0, 2, 3, 4, 5, 6}) {
        QCOMPARE(hex(f.day(row)), hex(other));
    }

    // The next paint shows exactly the stored mask.
    const QImage img = f.image();
    for (int hour = 0; hour < 24; ++hour) {
        const bool set = (expected[static_cast<size_t>(hour / 8)] >> (hour % 8)) & 1;
        COMPARE_PIXEL(img, colCenter(hour), rowCenter(1), set ? testSelected : testColor);
    }
}

void TimeBarTest::pressesStartingNothing_data() {
    QTest::addColumn<int>("y");
    QTest::addColumn<Qt::MouseButton>("button");
    QTest::addColumn<bool>("disableRow1");
    // Whether the press still takes its x as the drag rectangle's anchor (only the bottom rows are ignored
    // entirely).
    QTest::addColumn<bool>("anchors");

    QTest::newRow("first pixel row of a band") << 3 * bh << Qt::LeftButton << false << true;
    QTest::newRow("first pixel row of a band, right") << 3 * bh << Qt::RightButton << false << true;
    QTest::newRow("caption band") << 5 << Qt::LeftButton << false << true;
    QTest::newRow("label band") << 30 << Qt::LeftButton << false << true;
    QTest::newRow("label band last row") << 2 * bh - 1 << Qt::LeftButton << false << true;
    QTest::newRow("first pixel row of row 0") << 2 * bh << Qt::LeftButton << false << true;
    QTest::newRow("below the last band") << 180 << Qt::LeftButton << false << true;
    QTest::newRow("bottom row 181") << 181 << Qt::LeftButton << false << false;
    QTest::newRow("bottom row 182") << 182 << Qt::LeftButton << false << false;
    QTest::newRow("bottom row 183") << 183 << Qt::RightButton << false << false;
    QTest::newRow("disabled row") << rowCenter(1) << Qt::LeftButton << true << true;
    QTest::newRow("disabled row, right") << rowCenter(1) << Qt::RightButton << true << true;
    QTest::newRow("disabled row, second pixel row") << 3 * bh + 1 << Qt::LeftButton << true << true;
}

void TimeBarTest::pressesStartingNothing() {
    QFETCH(int, y);
    QFETCH(Qt::MouseButton, button);
    QFETCH(bool, disableRow1);
    QFETCH(bool, anchors);

    Fixture f(7);
    const Mask other{0x5A, 0xA5, 0x3C};
    f.setAll(other);
    if (disableRow1) {
        f.bar->SetRowEnabled(1, false);
    }
    QSignalSpy selected(f.bar, &TKLVCTimeBar::OnTimeSelected);
    QSignalSpy hints(f.bar, &TKLVCTimeBar::OnSelectionHint);
    QSignalSpy buttons(f.bar, &TKLVCTimeBar::OnButtonClick);

    QCOMPARE(f.bar->dragRect().anchorX, 0);
    QTest::mousePress(f.bar, button, Qt::NoModifier, QPoint(colStart(8), y));
    QVERIFY(!f.bar->isDragging());
    QCOMPARE(f.bar->dragRect().anchorX, anchors ? colStart(8) : 0);
    QVERIFY(QApplication::overrideCursor() == nullptr);
    move(f.bar, QPoint(colStart(17), y), button);
    QTest::mouseRelease(f.bar, button, Qt::NoModifier, QPoint(colStart(17), y));

    QCOMPARE(selected.size(), 0);
    QCOMPARE(hints.size(), 0);
    QCOMPARE(buttons.size(), 0);
    for (int row = 0; row < 7; ++row) {
        QCOMPARE(hex(f.day(row)), hex(other));
    }
}

void TimeBarTest::secondButtonEndsDrag_data() {
    QTest::addColumn<Qt::MouseButton>("first");
    QTest::addColumn<Qt::MouseButton>("second");
    QTest::addColumn<Mask>("initial");
    QTest::addColumn<Mask>("expected");

    QTest::newRow("left drag ended by right")
        << Qt::LeftButton << Qt::RightButton << Mask{0xFF, 0xFF, 0xFF} << Mask{0xFF, 0xF0, 0xFF};
    QTest::newRow("right drag ended by left")
        << Qt::RightButton << Qt::LeftButton << Mask{0x00, 0x00, 0x00} << Mask{0x00, 0x0F, 0x00};
    QTest::newRow("left drag ended by middle")
        << Qt::LeftButton << Qt::MiddleButton << Mask{0xFF, 0xFF, 0xFF} << Mask{0xFF, 0xF0, 0xFF};
}

void TimeBarTest::secondButtonEndsDrag() {
    QFETCH(Qt::MouseButton, first);
    QFETCH(Qt::MouseButton, second);
    QFETCH(Mask, initial);
    QFETCH(Mask, expected);

    Fixture f(7);
    QVERIFY(f.bar->SetDayHours(0, initial.data()));
    QSignalSpy selected(f.bar, &TKLVCTimeBar::OnTimeSelected);
    const int y = rowCenter(0);

    QTest::mousePress(f.bar, first, Qt::NoModifier, QPoint(colStart(8), y));
    move(f.bar, QPoint(colStart(12), y), first);
    // The second press counts as that button's release at the same point; the press itself starts nothing,
    // and the later releases find no drag.
    QTest::mousePress(f.bar, second, Qt::NoModifier, QPoint(colStart(3), y));
    QVERIFY(!f.bar->isDragging());
    QCOMPARE(selected.size(), 1);
    QCOMPARE(hex(f.day(0)), hex(expected));
    QVERIFY(QApplication::overrideCursor() == nullptr);

    move(f.bar, QPoint(colStart(20), y), first | second);
    QTest::mouseRelease(f.bar, second, Qt::NoModifier, QPoint(colStart(20), y));
    QTest::mouseRelease(f.bar, first, Qt::NoModifier, QPoint(colStart(20), y));
    QCOMPARE(selected.size(), 1);
    QCOMPARE(hex(f.day(0)), hex(expected));
}

void TimeBarTest::timeSelectedPerDrag() {
    Fixture f(7);
    QSignalSpy selected(f.bar, &TKLVCTimeBar::OnTimeSelected);
    const int y = rowCenter(4);
    for (int i = 1; i <= 3; ++i) {
        // A right click on an empty hour changes nothing and still reports.
        QTest::mousePress(f.bar, Qt::RightButton, Qt::NoModifier, QPoint(colCenter(i), y));
        QTest::mouseRelease(f.bar, Qt::RightButton, Qt::NoModifier, QPoint(colCenter(i), y));
        QCOMPARE(selected.size(), i);
        QCOMPARE(selected.last().size(), 0);
    }
    // A release without a drag reports nothing.
    QTest::mouseRelease(f.bar, Qt::LeftButton, Qt::NoModifier, QPoint(colCenter(5), y));
    QCOMPARE(selected.size(), 3);
    QCOMPARE(hex(f.day(4)), QStringLiteral("00 00 00"));
}

void TimeBarTest::selectionHint_data() {
    QTest::addColumn<int>("pressX");
    QTest::addColumn<int>("moveX");
    QTest::addColumn<int>("movingX");
    QTest::addColumn<QString>("hint");

    QTest::newRow("08 to 17") << colStart(8) << colStart(17) << colStart(17)
                              << QStringLiteral("08:00 - 17:00");
    QTest::newRow("quarter past") << colStart(8) + 3 << colStart(17) << colStart(17)
                                  << QStringLiteral("08:15 - 17:00");
    QTest::newRow("quarters") << colStart(8) + 10 << colStart(17) + 5 << colStart(17) + 5
                              << QStringLiteral("08:45 - 17:15");
    QTest::newRow("leftward") << colStart(17) << colStart(8) << colStart(8)
                              << QStringLiteral("17:00 - 08:00");
    QTest::newRow("clamped left") << colStart(17) << -50 << 2 << QStringLiteral("17:00 - 00:00");
    QTest::newRow("clamped right") << colStart(8) << 1000 << 384 << QStringLiteral("08:00 - 24:00");
    QTest::newRow("one past the right limit") << colStart(8) << 385 << 384 << QStringLiteral("08:00 - 24:00");
    QTest::newRow("at the right limit") << colStart(8) << 384 << 384 << QStringLiteral("08:00 - 24:00");
    QTest::newRow("one short of the left limit") << colStart(8) << 1 << 2 << QStringLiteral("08:00 - 00:00");
    QTest::newRow("from the left margin") << 0 << 10 << 10 << QStringLiteral("00:00 - 00:30");
}

void TimeBarTest::selectionHint() {
    QFETCH(int, pressX);
    QFETCH(int, moveX);
    QFETCH(int, movingX);
    QFETCH(QString, hint);

    Fixture f(7);
    QSignalSpy hints(f.bar, &TKLVCTimeBar::OnSelectionHint);
    const int y = rowCenter(5);
    QTest::mousePress(f.bar, Qt::LeftButton, Qt::NoModifier, QPoint(pressX, y));
    QCOMPARE(hints.size(), 0);
    move(f.bar, QPoint(moveX, y), Qt::LeftButton);
    QCOMPARE(hints.size(), 1);
    QCOMPARE(hints[0][0].toString(), hint);
    QCOMPARE(f.bar->dragRect().anchorX, pressX);
    QCOMPARE(f.bar->dragRect().movingX, movingX);
    QCOMPARE(f.bar->dragRect().top, rowTop(5));
    QCOMPARE(f.bar->dragRect().bottom, rowBottom(5));
    move(f.bar, QPoint(moveX, y), Qt::LeftButton);
    QCOMPARE(hints.size(), 2);
    QTest::mouseRelease(f.bar, Qt::LeftButton, Qt::NoModifier, QPoint(moveX, y));
    QCOMPARE(hints.size(), 2);
    // Moves without a drag say nothing.
    move(f.bar, QPoint(moveX + 16, y), Qt::NoButton);
    QCOMPARE(hints.size(), 2);
}

void TimeBarTest::dragRectangleInverts() {
    Fixture f(7);
    f.setAll(Mask{0x00, 0x04, 0x00});
    const int y = rowCenter(1);
    QTest::mousePress(f.bar, Qt::LeftButton, Qt::NoModifier, QPoint(colStart(8), y));
    move(f.bar, QPoint(colStart(17), y), Qt::LeftButton);
    const QImage during = f.image();
    // [130, 274) over the row's selectable height is inverted, nothing else.
    COMPARE_PIXEL(during, colCenter(9), y, inverted(testColor));
    COMPARE_PIXEL(during, colCenter(10), y, inverted(testSelected));
    COMPARE_PIXEL(during, colStart(8), rowTop(1), inverted(gray128));
    COMPARE_PIXEL(during, colStart(17) - 1, rowBottom(1) - 1, inverted(testColor));
    COMPARE_PIXEL(during, colStart(17), y, gray128);
    COMPARE_PIXEL(during, colStart(8) - 1, y, testColor);
    COMPARE_PIXEL(during, colCenter(9), rowTop(1) - 1, testColor);
    COMPARE_PIXEL(during, colCenter(9), rowBottom(1), testColor);
    COMPARE_PIXEL(during, colCenter(10), rowCenter(0), testSelected);
    QTest::mouseRelease(f.bar, Qt::LeftButton, Qt::NoModifier, QPoint(colStart(17), y));

    const QImage after = f.image();
    for (int hour = 8; hour < 17; ++hour) {
        COMPARE_PIXEL(after, colCenter(hour), y, testSelected);
    }
    COMPARE_PIXEL(after, colStart(8), y, gray128);
    COMPARE_PIXEL(after, colCenter(17), y, testColor);
}

void TimeBarTest::dottedDragRectangle() {
    Fixture f(7);
    f.bar->SetSelectBrushStyle(Qt::NoBrush);
    const int y = rowCenter(1);
    QTest::mousePress(f.bar, Qt::LeftButton, Qt::NoModifier, QPoint(colStart(8), y));
    move(f.bar, QPoint(colStart(17), y), Qt::LeftButton);
    const QImage img = f.image();
    // Every other pixel of the outline is inverted; the inside stays as it is.
    COMPARE_PIXEL(img, colStart(8) + 2, rowTop(1), inverted(testColor));
    COMPARE_PIXEL(img, colStart(8) + 3, rowTop(1), testColor);
    COMPARE_PIXEL(img, colCenter(10), y, testColor);
    QTest::mouseRelease(f.bar, Qt::LeftButton, Qt::NoModifier, QPoint(colStart(17), y));
}

void TimeBarTest::cursorRestored_data() {
    QTest::addColumn<QString>("ending");
    QTest::addColumn<bool>("reported");
    QTest::addColumn<Mask>("expected");

    QTest::newRow("release") << QStringLiteral("release") << true << Mask{0x00, 0x0F, 0x00};
    QTest::newRow("second button") << QStringLiteral("second") << true << Mask{0x00, 0x00, 0x00};
    QTest::newRow("hidden during the drag") << QStringLiteral("hide") << false << Mask{0x00, 0x00, 0x00};
    QTest::newRow("disabled during the drag") << QStringLiteral("disable") << false << Mask{0x00, 0x00, 0x00};
    QTest::newRow("destroyed during the drag")
        << QStringLiteral("destroy") << false << Mask{0x00, 0x00, 0x00};
}

void TimeBarTest::cursorRestored() {
    QFETCH(QString, ending);
    QFETCH(bool, reported);
    QFETCH(Mask, expected);

    auto f = std::make_unique<Fixture>(7);
    QSignalSpy selected(f->bar, &TKLVCTimeBar::OnTimeSelected);
    const int y = rowCenter(2);
    QVERIFY(QApplication::overrideCursor() == nullptr);
    QTest::mousePress(f->bar, Qt::LeftButton, Qt::NoModifier, QPoint(colStart(8), y));
    move(f->bar, QPoint(colStart(12), y), Qt::LeftButton);
    QVERIFY(QApplication::overrideCursor() != nullptr);
    QCOMPARE(QApplication::overrideCursor()->shape(), Qt::SizeHorCursor);

    if (ending == QLatin1String("release")) {
        QTest::mouseRelease(f->bar, Qt::LeftButton, Qt::NoModifier, QPoint(colStart(12), y));
    } else if (ending == QLatin1String("second")) {
        QTest::mousePress(f->bar, Qt::RightButton, Qt::NoModifier, QPoint(colStart(12), y));
        QTest::mouseRelease(f->bar, Qt::RightButton, Qt::NoModifier, QPoint(colStart(12), y));
        QTest::mouseRelease(f->bar, Qt::LeftButton, Qt::NoModifier, QPoint(colStart(12), y));
    } else if (ending == QLatin1String("hide")) {
        f->bar->hide();
        QTest::mouseRelease(f->bar, Qt::LeftButton, Qt::NoModifier, QPoint(colStart(12), y));
    } else if (ending == QLatin1String("disable")) {
        f->bar->setEnabled(false);
        QTest::mouseRelease(&f->window, Qt::LeftButton, Qt::NoModifier, QPoint(1, 1));
    } else {
        delete f->bar;
        f->bar = nullptr;
        QTest::mouseRelease(&f->window, Qt::LeftButton, Qt::NoModifier, QPoint(1, 1));
    }
    QVERIFY(QApplication::overrideCursor() == nullptr);
    QCOMPARE(selected.size(), reported ? 1 : 0);
    if (f->bar != nullptr) {
        QVERIFY(!f->bar->isDragging());
        QCOMPARE(hex(f->day(2)), hex(expected));
    }
}

void TimeBarTest::scrollButtonPresses_data() {
    QTest::addColumn<bool>("shown");
    QTest::addColumn<int>("indent");
    QTest::addColumn<int>("side");
    QTest::addColumn<QPoint>("press");
    QTest::addColumn<QList<int>>("reported");

    for (bool shown : {false, true}) {
        const char* s = shown ? "shown" : "hidden";
        QTest::addRow("%s: left top-left corner", s) << shown << 2 << 14 << QPoint(4, 2) << QList<int>{0};
        QTest::addRow("%s: left bottom-right corner", s)
            << shown << 2 << 14 << QPoint(18, 16) << QList<int>{0};
        QTest::addRow("%s: left middle", s) << shown << 2 << 14 << QPoint(11, 9) << QList<int>{0};
        QTest::addRow("%s: left of the left square", s) << shown << 2 << 14 << QPoint(3, 9) << QList<int>{};
        QTest::addRow("%s: right of the left square", s) << shown << 2 << 14 << QPoint(19, 9) << QList<int>{};
        QTest::addRow("%s: above the left square", s) << shown << 2 << 14 << QPoint(10, 1) << QList<int>{};
        QTest::addRow("%s: below the left square", s) << shown << 2 << 14 << QPoint(10, 17) << QList<int>{};
        QTest::addRow("%s: right top-left corner", s) << shown << 2 << 14 << QPoint(370, 2) << QList<int>{1};
        QTest::addRow("%s: right bottom-right corner", s)
            << shown << 2 << 14 << QPoint(384, 16) << QList<int>{1};
        QTest::addRow("%s: left of the right square", s)
            << shown << 2 << 14 << QPoint(369, 9) << QList<int>{};
        QTest::addRow("%s: right of the right square", s)
            << shown << 2 << 14 << QPoint(385, 9) << QList<int>{};
        QTest::addRow("%s: caption middle", s) << shown << 2 << 14 << QPoint(194, 9) << QList<int>{};
        QTest::addRow("%s: other geometry, left", s) << shown << 5 << 10 << QPoint(17, 15) << QList<int>{0};
        QTest::addRow("%s: other geometry, outside", s) << shown << 5 << 10 << QPoint(18, 15) << QList<int>{};
        QTest::addRow("%s: other geometry, right", s) << shown << 5 << 10 << QPoint(371, 5) << QList<int>{1};
        QTest::addRow("%s: other geometry, right end", s)
            << shown << 5 << 10 << QPoint(381, 15) << QList<int>{1};
    }
}

void TimeBarTest::scrollButtonPresses() {
    QFETCH(bool, shown);
    QFETCH(int, indent);
    QFETCH(int, side);
    QFETCH(QPoint, press);
    QFETCH(QList<int>, reported);

    Fixture f(7);
    f.bar->SetShowButtons(shown);
    f.bar->SetButtonIndent(indent);
    f.bar->SetButtonHeight(side);
    QSignalSpy buttons(f.bar, &TKLVCTimeBar::OnButtonClick);
    QSignalSpy selected(f.bar, &TKLVCTimeBar::OnTimeSelected);
    QTest::mousePress(f.bar, Qt::LeftButton, Qt::NoModifier, press);
    QVERIFY(!f.bar->isDragging());
    QTest::mouseRelease(f.bar, Qt::LeftButton, Qt::NoModifier, press);
    QList<int> got;
    for (const auto& args : buttons) {
        got.append(args[0].toInt());
    }
    QCOMPARE(got, reported);
    QCOMPARE(selected.size(), 0);
}

QTEST_MAIN(TimeBarTest)
#include "tst_timebar.moc"
