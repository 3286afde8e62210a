#include "ui/KLVCTimebar.h"

#include <QFontMetrics>
#include <QGuiApplication>
#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>
#include <QPolygon>
#include <QtMath>

#include <algorithm>

void SetBits(quint8& value, quint8 mask) {
    value = static_cast<quint8>(value | mask);
}

void ClearBits(quint8& value, quint8 mask) {
    value = static_cast<quint8>(value & ~mask);
}

namespace {

// The drawing below keeps the pixel conventions of the Windows canvas the look was designed on: a filled
// rectangle from (l, t) to (r, b) leaves out its right column and bottom row, and a line leaves out its end
// point. These helpers take coordinates that way, so the layout numbers read as the designers wrote them.

void fill(QPainter& p, int l, int t, int r, int b, const QColor& color) {
    if (r > l && b > t) {
        p.fillRect(QRect(l, t, r - l, b - t), color);
    }
}

// Horizontal and vertical lines only; the grid has no others.
void line(QPainter& p, int x1, int y1, int x2, int y2, const QColor& color) {
    if (y1 == y2) {
        if (x2 >= x1) {
            fill(p, x1, y1, x2, y1 + 1, color);
        } else {
            fill(p, x2 + 1, y1, x1 + 1, y1 + 1, color);
        }
    } else if (x1 == x2) {
        if (y2 >= y1) {
            fill(p, x1, y1, x1 + 1, y2, color);
        } else {
            fill(p, x1, y2 + 1, x1 + 1, y1 + 1, color);
        }
    }
}

// A 3-pixel pen centred on x.
void wideVLine(QPainter& p, int x, int y1, int y2, const QColor& color) {
    fill(p, x - 1, y1, x + 2, y2, color);
}

// Outline in the pen colour on the outermost pixels of [l, r) x [t, b), inside filled with the brush.
void rectangle(QPainter& p, int l, int t, int r, int b, const QColor& pen, const QColor& brush) {
    if (r <= l || b <= t) {
        return;
    }
    fill(p, l + 1, t + 1, r - 1, b - 1, brush);
    fill(p, l, t, r, t + 1, pen);
    fill(p, l, b - 1, r, b, pen);
    fill(p, l, t, l + 1, b, pen);
    fill(p, r - 1, t, r, b, pen);
}

// Text whose cell (advance width by font height, top-left at (x, y)) is painted in the background colour
// first, as opaque text output on a Windows canvas is.
void opaqueText(QPainter& p, const QPaintDevice* device, int x, int y, const QString& text, const QFont& font,
                const QColor& foreground, const QColor& background) {
    if (text.isEmpty()) {
        return;
    }
    const QFontMetrics metrics(font, device);
    fill(p, x, y, x + metrics.horizontalAdvance(text), y + metrics.height(), background);
    p.setFont(font);
    p.setPen(foreground);
    p.drawText(QPoint(x, y + metrics.ascent()), text);
}

bool hourSet(const std::array<quint8, 4>& mask, int hour) {
    return (mask[static_cast<size_t>(hour / 8)] >> (hour % 8)) & 1;
}

} // namespace

TKLVCTimeBar::TKLVCTimeBar(QWidget* parent) : QWidget(parent) {
    setAttribute(Qt::WA_OpaquePaintEvent);

    // The classic system colours, taken from the roles that stand for them in a Qt palette.
    const QPalette pal = palette();
    m_Color = pal.color(QPalette::Button);
    m_LineColor = pal.color(QPalette::ButtonText);
    m_ShadowColor = pal.color(QPalette::Dark);
    m_HighlightColor = pal.color(QPalette::Light);
    m_CaptionColor = pal.color(QPalette::Highlight);
    m_LineSelectColor = QColor(128, 128, 128);
    m_DisabledColor = pal.color(QPalette::Disabled, QPalette::Text);
    m_SelectedColor = pal.color(QPalette::Highlight);
    m_CaptionFontColor = pal.color(QPalette::HighlightedText);
    m_rowEnabled = QList<bool>(m_NumberOfRows, true);

    resize(400, 58);

    // "Small Fonts" at 7 points is 9 pixels high on the 96-dpi screens the layout was made for; the hour
    // labels have to fit 16-pixel columns and 20-pixel bands, so the size is given in pixels.
    QFont small;
    small.setFamilies({QStringLiteral("Small Fonts"), QStringLiteral("DejaVu Sans"),
                       QStringLiteral("Noto Sans"), QStringLiteral("Nimbus Sans")});
    small.setStyleHint(QFont::SansSerif);
    small.setPixelSize(9);
    setFont(small);

    QFont caption = font();
    caption.setBold(true);
    SetCaptionFont(caption);
}

TKLVCTimeBar::~TKLVCTimeBar() {
    restoreCursor();
}

void TKLVCTimeBar::setColorAndRepaint(QColor& field, const QColor& value) {
    field = value;
    update();
}

void TKLVCTimeBar::SetColor(const QColor& value) {
    setColorAndRepaint(m_Color, value);
}

void TKLVCTimeBar::SetLineColor(const QColor& value) {
    setColorAndRepaint(m_LineColor, value);
}

void TKLVCTimeBar::SetShadowColor(const QColor& value) {
    setColorAndRepaint(m_ShadowColor, value);
}

void TKLVCTimeBar::SetHighlightColor(const QColor& value) {
    setColorAndRepaint(m_HighlightColor, value);
}

void TKLVCTimeBar::SetCaptionColor(const QColor& value) {
    setColorAndRepaint(m_CaptionColor, value);
}

void TKLVCTimeBar::SetLineSelectColor(const QColor& value) {
    setColorAndRepaint(m_LineSelectColor, value);
}

void TKLVCTimeBar::SetDisabledColor(const QColor& value) {
    m_DisabledColor = value;
}

void TKLVCTimeBar::SetSelectedColor(const QColor& value) {
    setColorAndRepaint(m_SelectedColor, value);
}

void TKLVCTimeBar::SetCaptionFont(const QFont& value) {
    // The caption font is a copy of its own: what it leaves unset must not follow the bar's font later.
    m_CaptionFont = value;
    m_CaptionFont.setResolveMask(QFont::AllPropertiesResolved);
    update();
}

void TKLVCTimeBar::SetCaptionFontColor(const QColor& value) {
    setColorAndRepaint(m_CaptionFontColor, value);
}

void TKLVCTimeBar::SetCaption(const QString& value) {
    if (value != m_Caption) {
        m_Caption = value;
        update();
    }
}

void TKLVCTimeBar::SetSelectBrushStyle(Qt::BrushStyle value) {
    m_SelectBrushStyle = value;
}

void TKLVCTimeBar::SetShowButtons(bool value) {
    m_ShowButtons = value;
}

void TKLVCTimeBar::SetButtonHeight(int value) {
    m_ButtonHeight = value;
}

void TKLVCTimeBar::SetButtonIndent(int value) {
    m_ButtonIndent = value;
}

void TKLVCTimeBar::SetNumberOfRows(int value) {
    // More rows than day masks would paint and edit storage that isn't there; a negative count would
    // leave no band height to divide by.
    m_NumberOfRows = std::clamp(value, 0, MaxRows);
    m_rowEnabled = QList<bool>(m_NumberOfRows, true);
}

void TKLVCTimeBar::SetRowEnabled(int Row, bool Enabled) {
    if (Row >= 0 && Row <= m_NumberOfRows - 1) {
        m_rowEnabled[Row] = Enabled;
    }
}

bool TKLVCTimeBar::isRowEnabled(int row) const {
    return row >= 0 && row < m_rowEnabled.size() && m_rowEnabled[row];
}

bool TKLVCTimeBar::SetDayHours(quint8 Day, const quint8* Value) {
    if (Value == nullptr) {
        return false;
    }
    return SetDayHours(Day, std::span<const quint8>(Value, 3));
}

bool TKLVCTimeBar::SetDayHours(quint8 Day, std::span<const quint8> Value) {
    if (Day > 6) {
        return false;
    }
    auto& slot = m_dayMasks[Day];
    const size_t n = std::min<size_t>(Value.size(), 3);
    std::copy_n(Value.begin(), n, slot.begin());
    if (n < 3) {
        return false;
    }
    update();
    return true;
}

bool TKLVCTimeBar::GetDayHours(quint8 Day, quint8* Value) const {
    if (Value == nullptr) {
        return false;
    }
    return GetDayHours(Day, std::span<quint8>(Value, 3));
}

bool TKLVCTimeBar::GetDayHours(quint8 Day, std::span<quint8> Value) const {
    if (Day > 6) {
        return false;
    }
    const auto& slot = m_dayMasks[Day];
    const size_t n = std::min<size_t>(Value.size(), 3);
    std::copy_n(slot.begin(), n, Value.begin());
    return n == 3;
}

void TKLVCTimeBar::snapSize() {
    const int bands = m_NumberOfRows + 2;
    int w = width();
    int h = height();
    while ((w - 4) % m_columnCount != 0 && w > 0) {
        --w;
    }
    while ((h - 4) % bands != 0 && h > 0) {
        --h;
    }
    if (w != width() || h != height()) {
        resize(w, h);
    }
}

void TKLVCTimeBar::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    // Snapping here as well as at paint time lets width() and height() report the final size as soon as
    // the bar has been laid out.
    snapSize();
}

void TKLVCTimeBar::paintEvent(QPaintEvent*) {
    snapSize();
    const int w = width();
    const int h = height();
    const int cw = (w - 4) / m_columnCount;
    const int bh = (h - 4) / (m_NumberOfRows + 2);
    m_bandHeight = bh;

    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing, false);
    const QColor black(0, 0, 0);
    const QColor textColor = palette().color(foregroundRole());

    fill(p, 0, 0, w, h, m_Color);
    rectangle(p, 2, 1, w - 1, h - 1, black, m_Color);

    // Hour ticks and labels. The 25th tick carries "24" at the right edge, where the border hides it.
    if (cw > 0) {
        int label = m_firstLabel;
        for (int x = 2; x < w; x += cw) {
            line(p, x, bh, x, 2 * bh, m_LineColor);
            opaqueText(p, this, x + 1, bh + 5, QString::asprintf("%.2d", label), font(), textColor, m_Color);
            ++label;
        }
    }

    fill(p, 3, 2, w, bh, m_CaptionColor);
    const int captionWidth = QFontMetrics(m_CaptionFont, this).horizontalAdvance(m_Caption);
    opaqueText(p, this, w / 2 - captionWidth / 2, 3, m_Caption, m_CaptionFont, m_CaptionFontColor,
               m_CaptionColor);

    if (m_ShowButtons) {
        paintScrollButtons(p);
    }

    line(p, 1, bh, w - 2, bh, m_ShadowColor);
    line(p, 1, bh - 1, w - 2, bh - 1, m_LineColor);
    line(p, w - 1, 1, w - 1, h - 1, m_HighlightColor);
    line(p, w - 1, h - 1, 1, h - 1, m_HighlightColor);
    line(p, 1, 0, w - 1, 0, m_ShadowColor);
    line(p, 1, 1, 1, h - 1, m_ShadowColor);

    paintSelection(p, cw, bh);

    if (m_dragging) {
        paintDragRect(p);
    }
}

void TKLVCTimeBar::paintSelection(QPainter& p, int cw, int bh) {
    for (int r = 0; r < m_NumberOfRows; ++r) {
        const int top = (r + 2) * bh + 3;
        const int bottom = (r + 3) * bh;
        if (!isRowEnabled(r)) {
            fill(p, 2, top, 2 + m_columnCount * cw, bottom, m_DisabledColor);
            m_fillRect = {2, top, 2 + m_columnCount * cw, bottom};
            continue;
        }
        const auto& mask = m_dayMasks[static_cast<size_t>(r)];
        int s = 0;
        while (s < m_columnCount) {
            if (!hourSet(mask, s)) {
                ++s;
                continue;
            }
            int e = s + 1;
            while (e < m_columnCount && hourSet(mask, e)) {
                ++e;
            }
            fill(p, 2 + s * cw, top, 2 + e * cw, bottom, m_SelectedColor);
            m_fillRect = {2 + s * cw, top, 2 + e * cw, bottom};
            s = e + 1;
        }
    }
    paintGrid(p, cw, bh);
}

void TKLVCTimeBar::paintGrid(QPainter& p, int cw, int bh) {
    const int w = width();
    const int h = height();
    // A background-coloured margin on both sides of every column line cuts a run of selected hours into
    // single cells.
    for (int c = 0; c <= m_columnCount; ++c) {
        const int x = 2 + c * cw;
        wideVLine(p, x, 2 * bh + 3, h - 4, m_Color);
        line(p, x, 2 * bh + 3, x, h - 3, m_LineSelectColor);
    }
    line(p, 2, 2 * bh, 2, h - 1, m_LineColor);
    line(p, w - 2, 2 * bh, w - 2, h - 1, m_LineColor);
    line(p, 1, 2 * bh, 1, h - 1, m_ShadowColor);
    line(p, w - 1, 2 * bh, w - 1, h - 1, m_HighlightColor);
    for (int i = 2; i <= m_NumberOfRows + 1; ++i) {
        line(p, 3, i * bh + 1, w - 2, i * bh + 1, m_LineColor);
    }
}

void TKLVCTimeBar::paintScrollButtons(QPainter& p) {
    const QColor black(0, 0, 0);
    const QColor white(255, 255, 255);
    const QColor gray(128, 128, 128);
    const int top = m_ButtonIndent;
    const int bottom = top + m_ButtonHeight;
    const int leftOfLeft = m_ButtonIndent + 2;
    const int rightOfRight = width() - m_ButtonIndent - 2;

    auto square = [&](int l, int r) {
        rectangle(p, l, top, r, bottom, black, m_Color);
        line(p, l + 1, top + 1, l + 1, bottom - 1, white);
        line(p, l + 1, top + 1, r - 1, top + 1, white);
        line(p, r - 2, top + 1, r - 2, bottom - 1, gray);
        line(p, l + 1, bottom - 2, r - 1, bottom - 2, gray);
    };
    auto triangle = [&](const QPolygon& corners) {
        p.setPen(QPen(black, 0));
        p.setBrush(black);
        p.drawPolygon(corners);
        p.setBrush(Qt::NoBrush);
    };

    {
        const int l = leftOfLeft;
        const int r = l + m_ButtonHeight;
        square(l, r);
        triangle(QPolygon({QPoint(r - 5, top + 3), QPoint(r - 5, bottom - 4), QPoint(l + 3, top + 7)}));
    }
    {
        const int r = rightOfRight;
        const int l = r - m_ButtonHeight;
        square(l, r);
        triangle(QPolygon({QPoint(l + 4, top + 3), QPoint(l + 4, bottom - 4), QPoint(r - 4, top + 7)}));
    }
}

// The drag rectangle inverts what lies under it, like a dotted "not" pen on a Windows canvas: with a solid
// brush the whole rectangle, otherwise the dots of its outline and the brush's pattern inside.
void TKLVCTimeBar::paintDragRect(QPainter& p) {
    const int l = std::min(m_dragRect.anchorX, m_dragRect.movingX);
    const int r = std::max(m_dragRect.anchorX, m_dragRect.movingX);
    const int t = std::min(m_dragRect.top, m_dragRect.bottom);
    const int b = std::max(m_dragRect.top, m_dragRect.bottom);
    if (r <= l || b <= t) {
        return;
    }
    p.save();
    p.setCompositionMode(QPainter::RasterOp_NotDestination);
    if (m_SelectBrushStyle == Qt::SolidPattern) {
        p.fillRect(QRect(l, t, r - l, b - t), Qt::black);
    } else {
        QList<QPoint> outline;
        for (int x = l; x < r; ++x) {
            outline.append(QPoint(x, t));
        }
        for (int y = t + 1; y < b; ++y) {
            outline.append(QPoint(r - 1, y));
        }
        for (int x = r - 2; x >= l && b - 1 > t; --x) {
            outline.append(QPoint(x, b - 1));
        }
        for (int y = b - 2; y > t && r - 1 > l; --y) {
            outline.append(QPoint(l, y));
        }
        for (qsizetype i = 0; i < outline.size(); i += 2) {
            p.fillRect(QRect(outline[i], QSize(1, 1)), Qt::black);
        }
        if (m_SelectBrushStyle != Qt::NoBrush && r - l > 2 && b - t > 2) {
            p.fillRect(QRect(l + 1, t + 1, r - l - 2, b - t - 2), QBrush(Qt::black, m_SelectBrushStyle));
        }
    }
    p.restore();
}

namespace {

QPoint pixelOf(const QMouseEvent* event) {
    const QPointF pos = event->position();
    return QPoint(qFloor(pos.x()), qFloor(pos.y()));
}

} // namespace

void TKLVCTimeBar::mousePressEvent(QMouseEvent* event) {
    event->accept();
    const QPoint pt = pixelOf(event);
    if (m_dragging) {
        // A further button ends the drag as that button's release.
        finishDrag(event->button());
        return;
    }

    const int top = m_ButtonIndent;
    const int bottom = m_ButtonIndent + m_ButtonHeight;
    const bool inButtonRows = pt.y() >= top && pt.y() <= bottom;
    const int leftOfLeft = m_ButtonIndent + 2;
    const int rightOfRight = width() - m_ButtonIndent - 2;
    if (inButtonRows && pt.x() >= leftOfLeft && pt.x() <= leftOfLeft + m_ButtonHeight) {
        Q_EMIT OnButtonClick(btLeft);
    }
    if (inButtonRows && pt.x() >= rightOfRight - m_ButtonHeight && pt.x() <= rightOfRight) {
        Q_EMIT OnButtonClick(btRight);
    }

    if (pt.y() > height() - 4) {
        return;
    }

    m_dragRect.anchorX = pt.x();
    m_dragRect.movingX = pt.x();
    const int bh = m_bandHeight;
    bool start = false;
    if (bh > 0) {
        for (int i = 2; i <= m_NumberOfRows + 1; ++i) {
            if (i * bh <= pt.y() && pt.y() < (i + 1) * bh) {
                m_dragRect.top = i * bh + 3;
                m_dragRect.bottom = (i + 1) * bh;
                start = pt.y() > i * bh && isRowEnabled(i - 2);
            }
        }
    }
    if (start) {
        m_dragging = true;
        setDragCursor();
        update();
    }
}

void TKLVCTimeBar::mouseMoveEvent(QMouseEvent* event) {
    event->accept();
    if (!m_dragging) {
        return;
    }
    int x = pixelOf(event).x();
    if (x > width() - 4) {
        x = width() - 4;
    }
    if (x < 2) {
        x = 2;
    }
    m_dragRect.movingX = x;
    update();

    const int q = columnWidth() / 4;
    if (q > 0) {
        const int a = m_dragRect.anchorX / q;
        const int b = m_dragRect.movingX / q;
        Q_EMIT OnSelectionHint(
            QString::asprintf("%.2d:%.2d - %.2d:%.2d", a / 4, (a % 4) * 15, b / 4, (b % 4) * 15));
    }
}

void TKLVCTimeBar::mouseReleaseEvent(QMouseEvent* event) {
    event->accept();
    if (m_dragging) {
        finishDrag(event->button());
    } else {
        update();
    }
}

void TKLVCTimeBar::finishDrag(Qt::MouseButton button) {
    m_dragging = false;
    const int w = width();
    const int cw = columnWidth();
    const int bh = m_bandHeight;

    // Columns narrower than a pixel (a bar squeezed below 28 pixels) leave no hour to change.
    if (cw > 0) {
        const int q = cw / 4;
        const int m = cw / 2;
        // Both edges snap down to the quarter hour they lie in; values left of the grid stay.
        auto snap = [&](int v) {
            for (int x0 = 2; x0 < w - 1; x0 += cw) {
                if (x0 <= v && v < x0 + q) {
                    v = x0;
                } else if (x0 + q <= v && v < x0 + m) {
                    v = x0 + q;
                } else if (x0 + m <= v && v < x0 + m + q) {
                    v = x0 + m;
                } else if (x0 + m + q <= v && v < x0 + cw) {
                    v = x0 + m + q;
                }
            }
            return v;
        };
        m_dragRect.anchorX = snap(m_dragRect.anchorX);
        m_dragRect.movingX = snap(m_dragRect.movingX);

        int left = 0;
        int right = 0;
        if (m_dragRect.movingX > m_dragRect.anchorX) {
            left = m_dragRect.anchorX;
            right = m_dragRect.movingX;
        } else {
            left = m_dragRect.movingX;
            right = m_dragRect.anchorX + cw;
        }

        // The row is found again from the band height of the last paint; a resize during the drag may
        // have moved it off the rows, and then nothing is changed.
        const int row = bh > 0 ? m_dragRect.top / bh - 2 : -1;
        if (row >= 0 && row < m_NumberOfRows) {
            auto& mask = m_dayMasks[static_cast<size_t>(row)];
            const int last = std::min(right / cw - 1, m_columnCount - 1);
            for (int hour = std::max(left / cw, 0); hour <= last; ++hour) {
                const auto bit = static_cast<quint8>(1u << (hour % 8));
                if (button == Qt::LeftButton) {
                    SetBits(mask[static_cast<size_t>(hour / 8)], bit);
                } else {
                    ClearBits(mask[static_cast<size_t>(hour / 8)], bit);
                }
            }
        }
        m_fillRect = {left, m_dragRect.top, right, m_dragRect.bottom};
    }

    restoreCursor();
    update();
    // Last, so that a handler may even delete the bar.
    Q_EMIT OnTimeSelected();
}

// A drag whose release can no longer arrive (the bar was hidden or disabled under the mouse) ends
// without changing anything, and the cursor must not stay a resize arrow.
void TKLVCTimeBar::cancelDrag() {
    if (m_dragging) {
        m_dragging = false;
        restoreCursor();
        update();
    }
}

void TKLVCTimeBar::hideEvent(QHideEvent* event) {
    cancelDrag();
    QWidget::hideEvent(event);
}

void TKLVCTimeBar::changeEvent(QEvent* event) {
    if (event->type() == QEvent::EnabledChange && !isEnabled()) {
        cancelDrag();
    }
    QWidget::changeEvent(event);
}

void TKLVCTimeBar::setDragCursor() {
    if (!m_cursorOverridden) {
        QGuiApplication::setOverrideCursor(QCursor(Qt::SizeHorCursor));
        m_cursorOverridden = true;
    }
}

void TKLVCTimeBar::restoreCursor() {
    if (m_cursorOverridden) {
        QGuiApplication::restoreOverrideCursor();
        m_cursorOverridden = false;
    }
}
