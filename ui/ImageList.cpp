#include "ui/ImageList.h"

#include <QPainter>
#include <QPainterPath>

namespace images {
namespace {

const QColor kBlue(32, 74, 135);
const QColor kLightBlue(114, 159, 207);
const QColor kGreen(78, 154, 6);
const QColor kRed(204, 0, 0);
const QColor kGray(136, 138, 133);
const QColor kYellow(237, 212, 0);
const QColor kPaper(250, 250, 245);

void folder(QPainter& p, const QColor& color) {
    p.setPen(color.darker(160));
    p.setBrush(color);
    p.drawRect(1, 4, 13, 10);
    p.drawRect(1, 2, 6, 3);
}

void box(QPainter& p) {
    // A small controller housing with its status lamp.
    p.setPen(Qt::black);
    p.setBrush(kLightBlue);
    p.drawRoundedRect(1, 3, 14, 10, 2, 2);
    p.setBrush(kGreen);
    p.drawEllipse(QPointF(12, 6), 1.5, 1.5);
    p.setPen(kBlue);
    p.drawLine(3, 9, 9, 9);
    p.drawLine(3, 11, 7, 11);
}

void reader(QPainter& p, const QColor& lamp) {
    p.setPen(Qt::black);
    p.setBrush(kGray.lighter(130));
    p.drawRoundedRect(4, 1, 8, 14, 2, 2);
    p.setBrush(lamp);
    p.drawEllipse(QPointF(8, 4.5), 2, 2);
    p.setPen(QPen(kGray.darker(150), 1));
    p.drawArc(5, 7, 6, 6, 30 * 16, 120 * 16);
    p.drawArc(6, 9, 4, 4, 30 * 16, 120 * 16);
}

void tag(QPainter& p) {
    p.setPen(Qt::black);
    p.setBrush(kYellow);
    QPainterPath path;
    path.moveTo(2, 8);
    path.lineTo(7, 3);
    path.lineTo(14, 3);
    path.lineTo(14, 13);
    path.lineTo(7, 13);
    path.closeSubpath();
    p.drawPath(path);
    p.setBrush(Qt::white);
    p.drawEllipse(QPointF(6, 8), 1.5, 1.5);
}

void page(QPainter& p, const QColor& accent) {
    p.setPen(Qt::black);
    p.setBrush(kPaper);
    p.drawRect(3, 1, 10, 14);
    p.setPen(accent);
    for (int y = 4; y <= 12; y += 2)
        p.drawLine(5, y, 11, y);
}

void paint(QPainter& p, int index) {
    switch (index) {
    case Page:
        page(p, kBlue);
        break;
    case Logbook:
        page(p, kGreen);
        break;
    case Firmware:
        page(p, kRed);
        break;
    case Device:
        box(p);
        break;
    case Root: {
        p.setPen(Qt::black);
        p.setBrush(kLightBlue);
        p.drawEllipse(1, 1, 14, 14);
        p.setPen(kBlue);
        p.drawLine(1, 8, 15, 8);
        p.drawEllipse(5, 1, 6, 14);
        break;
    }
    case ModuleFolder:
        folder(p, kYellow);
        p.setPen(Qt::black);
        p.setBrush(kGray.lighter(130));
        p.drawRect(8, 7, 5, 6);
        break;
    case Module:
        reader(p, kGreen);
        break;
    case TransponderFolder:
        folder(p, kYellow);
        p.setPen(Qt::black);
        p.setBrush(kLightBlue);
        p.drawEllipse(7, 7, 6, 6);
        break;
    case Transponder:
        tag(p);
        break;
    case Information:
        p.setPen(Qt::black);
        p.setBrush(kBlue);
        p.drawEllipse(1, 1, 14, 14);
        p.setPen(QPen(Qt::white, 2));
        p.drawLine(8, 7, 8, 12);
        p.drawPoint(8, 4);
        break;
    case Configuration:
        p.setPen(Qt::black);
        p.setBrush(kGray);
        p.drawEllipse(2, 2, 12, 12);
        p.setBrush(Qt::white);
        p.drawEllipse(5, 5, 6, 6);
        break;
    case Backup:
        p.setPen(Qt::black);
        p.setBrush(kBlue);
        p.drawRect(2, 2, 12, 12);
        p.setBrush(Qt::white);
        p.drawRect(4, 2, 8, 5);
        break;
    case ModuleOffline:
        reader(p, kRed);
        p.setPen(QPen(kRed, 2));
        p.drawLine(2, 2, 14, 14);
        p.drawLine(14, 2, 2, 14);
        break;
    case ModuleOnline:
        reader(p, kGreen);
        p.setPen(QPen(kGreen.darker(130), 2));
        p.drawLine(1, 10, 4, 14);
        p.drawLine(4, 14, 10, 7);
        break;
    default:
        break;
    }
}

} // namespace

QPixmap pixmap(int index, int size) {
    QPixmap result(size, size);
    result.fill(Qt::transparent);
    QPainter p(&result);
    p.setRenderHint(QPainter::Antialiasing);
    p.scale(size / 16.0, size / 16.0);
    paint(p, index);
    return result;
}

QIcon icon(int index) {
    // Drawn once per image and shared by every node that shows it (QIcon is implicitly shared), so a
    // tree of ten thousand transponders holds two pixmaps, not twenty thousand.
    static QIcon cache[Count];
    if (index < 0 || index >= Count)
        return QIcon();
    QIcon& cached = cache[index];
    if (cached.isNull()) {
        cached.addPixmap(pixmap(index, 16));
        cached.addPixmap(pixmap(index, 32));
    }
    return cached;
}

QIcon exitIcon() {
    QPixmap px(24, 24);
    px.fill(Qt::transparent);
    QPainter p(&px);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(Qt::black);
    p.setBrush(QColor(193, 125, 17));
    p.drawRect(4, 2, 11, 20);
    p.setPen(QPen(kRed, 2.5));
    p.drawLine(11, 12, 21, 12);
    p.drawLine(17, 8, 21, 12);
    p.drawLine(17, 16, 21, 12);
    return QIcon(px);
}

QIcon refreshIcon() {
    QPixmap px(24, 24);
    px.fill(Qt::transparent);
    QPainter p(&px);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(kGreen, 3));
    p.drawArc(4, 4, 16, 16, 60 * 16, 280 * 16);
    p.setBrush(kGreen);
    p.setPen(Qt::NoPen);
    p.drawPolygon(QPolygonF({QPointF(13, 1), QPointF(19, 4.5), QPointF(13, 9)}));
    return QIcon(px);
}

QIcon manualIcon() {
    QPixmap px(24, 24);
    px.fill(Qt::transparent);
    QPainter p(&px);
    p.setRenderHint(QPainter::Antialiasing);
    p.scale(1.2, 1.2);
    box(p);
    p.resetTransform();
    p.setPen(QPen(kBlue, 3));
    p.drawLine(18, 12, 18, 22);
    p.drawLine(13, 17, 23, 17);
    return QIcon(px);
}

QPixmap productPicture() {
    QPixmap px(180, 130);
    px.fill(Qt::transparent);
    QPainter p(&px);
    p.setRenderHint(QPainter::Antialiasing);
    // Housing on a DIN rail with a row of terminals and the status lamps.
    p.setPen(QPen(Qt::black, 1.5));
    p.setBrush(QColor(200, 200, 200));
    p.drawRect(5, 58, 170, 14);
    QLinearGradient body(0, 10, 0, 120);
    body.setColorAt(0, QColor(245, 245, 245));
    body.setColorAt(1, QColor(190, 195, 205));
    p.setBrush(body);
    p.drawRoundedRect(30, 10, 120, 110, 8, 8);
    p.setBrush(kBlue);
    p.drawRect(40, 22, 100, 26);
    p.setPen(Qt::white);
    QFont font = p.font();
    font.setBold(true);
    font.setPixelSize(11);
    p.setFont(font);
    p.drawText(QRect(40, 22, 100, 26), Qt::AlignCenter, QStringLiteral("Kelvora compact"));
    p.setPen(Qt::black);
    for (int i = 0; i < 8; ++i) {
        p.setBrush(QColor(90, 160, 90));
        p.drawRect(38 + i * 13, 98, 10, 14);
    }
    const QColor lamps[] = {kGreen, kYellow, kRed};
    for (int i = 0; i < 3; ++i) {
        p.setBrush(lamps[i]);
        p.drawEllipse(QPointF(52 + i * 16, 70), 4, 4);
    }
    p.setBrush(QColor(60, 60, 60));
    p.drawRect(110, 62, 26, 20);
    return px;
}

} // namespace images
