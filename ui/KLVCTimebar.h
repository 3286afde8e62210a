#pragma once

// The week grid of the restriction editors: up to seven rows of 24 hour cells in which the administrator
// marks with the mouse the hours a transponder is allowed. Each row keeps its hours as a 3-byte mask in
// the controller's own layout (hour h is bit h mod 8 of byte h div 8), so the editors copy day masks in
// and out of the bar unchanged. The bar knows nothing of weekdays: the editors label the rows with check
// boxes of their own and switch whole rows off with SetRowEnabled.
//
// The look and the pixel geometry follow the classic Windows control the administrators know: 24 columns
// of (Width - 4) div 24 pixels starting at x = 2, a caption band, a band of hour labels, then one band per
// row. The bar shrinks itself to the largest size of the form 24·k + 4 by (rows + 2)·m + 4 that fits.

#include <QColor>
#include <QFont>
#include <QList>
#include <QString>
#include <QWidget>

#include <array>
#include <span>

class QPainter;

// Set (OR) or clear (AND NOT) the bits of a one-byte mask in place. The restriction editors use the same
// two for the weekday bits of a transponder.
void SetBits(quint8& value, quint8 mask);
void ClearBits(quint8& value, quint8 mask);

class TKLVCTimeBar : public QWidget {
    Q_OBJECT
    Q_PROPERTY(QColor Color READ Color WRITE SetColor)
    Q_PROPERTY(QColor LineColor READ LineColor WRITE SetLineColor)
    Q_PROPERTY(QColor ShadowColor READ ShadowColor WRITE SetShadowColor)
    Q_PROPERTY(QColor HighlightColor READ HighlightColor WRITE SetHighlightColor)
    Q_PROPERTY(QColor CaptionColor READ CaptionColor WRITE SetCaptionColor)
    Q_PROPERTY(QColor LineSelectColor READ LineSelectColor WRITE SetLineSelectColor)
    Q_PROPERTY(QColor DisabledColor READ DisabledColor WRITE SetDisabledColor)
    Q_PROPERTY(QFont CaptionFont READ CaptionFont WRITE SetCaptionFont)
    Q_PROPERTY(QColor CaptionFontColor READ CaptionFontColor WRITE SetCaptionFontColor)
    Q_PROPERTY(QString Caption READ Caption WRITE SetCaption)
    Q_PROPERTY(QColor SelectedColor READ SelectedColor WRITE SetSelectedColor)
    Q_PROPERTY(Qt::BrushStyle SelectBrushStyle READ SelectBrushStyle WRITE SetSelectBrushStyle)
    Q_PROPERTY(bool ShowButtons READ ShowButtons WRITE SetShowButtons)
    Q_PROPERTY(int ButtonHeight READ ButtonHeight WRITE SetButtonHeight)
    Q_PROPERTY(int ButtonIndent READ ButtonIndent WRITE SetButtonIndent)
    Q_PROPERTY(int NumberOfRows READ NumberOfRows WRITE SetNumberOfRows)

public:
    // The two scroll buttons, as OnButtonClick reports them.
    enum TButtons { btLeft = 0, btRight = 1 };
    Q_ENUM(TButtons)

    // The storage holds seven day masks, one per weekday.
    static constexpr int MaxRows = 7;

    explicit TKLVCTimeBar(QWidget* parent = nullptr);
    ~TKLVCTimeBar() override;

    // Colours, fonts and texts. Assigning a colour, the caption font (or its colour) or a changed caption
    // repaints; DisabledColor, SelectBrushStyle, ShowButtons and the button geometry are only stored and
    // show at the next paint.
    QColor Color() const { return m_Color; }
    void SetColor(const QColor& value);
    QColor LineColor() const { return m_LineColor; }
    void SetLineColor(const QColor& value);
    QColor ShadowColor() const { return m_ShadowColor; }
    void SetShadowColor(const QColor& value);
    QColor HighlightColor() const { return m_HighlightColor; }
    void SetHighlightColor(const QColor& value);
    QColor CaptionColor() const { return m_CaptionColor; }
    void SetCaptionColor(const QColor& value);
    QColor LineSelectColor() const { return m_LineSelectColor; }
    void SetLineSelectColor(const QColor& value);
    QColor DisabledColor() const { return m_DisabledColor; }
    void SetDisabledColor(const QColor& value);
    QColor SelectedColor() const { return m_SelectedColor; }
    void SetSelectedColor(const QColor& value);
    QFont CaptionFont() const { return m_CaptionFont; }
    void SetCaptionFont(const QFont& value);
    // A QFont has no colour of its own; the caption's text colour lives here.
    QColor CaptionFontColor() const { return m_CaptionFontColor; }
    void SetCaptionFontColor(const QColor& value);
    QString Caption() const { return m_Caption; }
    void SetCaption(const QString& value);
    Qt::BrushStyle SelectBrushStyle() const { return m_SelectBrushStyle; }
    void SetSelectBrushStyle(Qt::BrushStyle value);
    bool ShowButtons() const { return m_ShowButtons; }
    void SetShowButtons(bool value);
    int ButtonHeight() const { return m_ButtonHeight; }
    void SetButtonHeight(int value);
    int ButtonIndent() const { return m_ButtonIndent; }
    void SetButtonIndent(int value);

    // Assigning re-enables every row, also when the count stays the same; it does not repaint. The count
    // is kept within 0 to MaxRows, the rows the storage has.
    int NumberOfRows() const { return m_NumberOfRows; }
    void SetNumberOfRows(int value);

    // Rows beyond NumberOfRows - 1 (and negative ones) are ignored. Does not repaint: the caller updates.
    void SetRowEnabled(int Row, bool Enabled);
    bool isRowEnabled(int row) const;

    // Copy a day's 3-byte hour mask into or out of the bar. Day > 6 fails without a message and copies
    // nothing. The pointer forms take 3 bytes (a null pointer fails); the span forms copy what is there
    // and fail when fewer than 3 bytes are given. SetDayHours repaints, GetDayHours does not.
    bool SetDayHours(quint8 Day, const quint8* Value);
    bool SetDayHours(quint8 Day, std::span<const quint8> Value);
    bool GetDayHours(quint8 Day, quint8* Value) const;
    bool GetDayHours(quint8 Day, std::span<quint8> Value) const;

    // Geometry and drag state as the painting and the mouse handling see them.
    int columnCount() const { return m_columnCount; }
    int firstLabel() const { return m_firstLabel; }
    int columnWidth() const { return (width() - 4) / m_columnCount; }
    // Height of one band as computed by the last paint (0 before the first paint).
    int bandHeight() const { return m_bandHeight; }
    bool isDragging() const { return m_dragging; }
    struct DragRect {
        int anchorX = 0;
        int top = 0;
        int movingX = 0;
        int bottom = 0;
    };
    DragRect dragRect() const { return m_dragRect; }
    // The rectangle most recently filled by the selection painting (right and bottom excluded), or the
    // pixel range a completed drag affected.
    struct FillRect {
        int left = 0;
        int top = 0;
        int right = 0;
        int bottom = 0;
        bool operator==(const FillRect&) const = default;
    };
    FillRect lastFillRect() const { return m_fillRect; }

Q_SIGNALS:
    // After every completed drag, once the masks have changed, even when the drag changed no bit.
    void OnTimeSelected();
    // A press inside a scroll button's square (edges included): btLeft or btRight. Raised whether or not
    // the buttons are shown.
    void OnButtonClick(int button);
    // On every mouse move during a drag: the dragged range as "08:15 - 17:00".
    void OnSelectionHint(const QString& hint);

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void hideEvent(QHideEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    void snapSize();
    void setColorAndRepaint(QColor& field, const QColor& value);
    void paintSelection(QPainter& painter, int cw, int bh);
    void paintGrid(QPainter& painter, int cw, int bh);
    void paintScrollButtons(QPainter& painter);
    void paintDragRect(QPainter& painter);
    void finishDrag(Qt::MouseButton button);
    void cancelDrag();
    void setDragCursor();
    void restoreCursor();

    int m_ButtonIndent = 2;
    int m_ButtonHeight = 14;
    // Only the first 3 bytes of each slot are used.
    std::array<std::array<quint8, 4>, MaxRows> m_dayMasks{};
    Qt::BrushStyle m_SelectBrushStyle = Qt::SolidPattern;
    int m_NumberOfRows = 1;
    QList<bool> m_rowEnabled;
    QString m_Caption;
    QColor m_Color;
    QColor m_SelectedColor;
    QColor m_LineColor;
    QColor m_ShadowColor;
    QColor m_HighlightColor;
    QColor m_CaptionColor;
    QColor m_LineSelectColor;
    QColor m_DisabledColor;
    QFont m_CaptionFont;
    QColor m_CaptionFontColor;
    int m_columnCount = 24;
    int m_firstLabel = 0;
    bool m_ShowButtons = false;
    bool m_dragging = false;
    int m_bandHeight = 0;
    DragRect m_dragRect;
    FillRect m_fillRect;
    bool m_cursorOverridden = false;
};
