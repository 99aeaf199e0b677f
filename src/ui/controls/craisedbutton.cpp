#include "craisedbutton.h"

#include "cmymemdc.h"

#include <QApplication>
#include <QImage>
#include <QPaintEvent>

#include <algorithm>

namespace {

const QString kCaptionFace = QStringLiteral("黑体");
constexpr qreal kCaptionPointSize = 15.4;
constexpr int kCaptionFlags = Qt::TextSingleLine | Qt::TextShowMnemonic;

void FillIfNotEmpty(QPainter &dc, const QRect &rect, const QBrush &brush)
{
    if (!rect.isEmpty()) {
        dc.fillRect(rect, brush);
    }
}

// A one-pixel frame just inside rect.
void FrameRect(QPainter &dc, const QRect &rect, const QColor &colour)
{
    if (rect.isEmpty()) {
        return;
    }
    FillIfNotEmpty(dc, QRect(rect.left(), rect.top(), rect.width(), 1), colour);
    FillIfNotEmpty(dc, QRect(rect.left(), rect.bottom(), rect.width(), 1), colour);
    FillIfNotEmpty(dc, QRect(rect.left(), rect.top() + 1, 1, rect.height() - 2), colour);
    FillIfNotEmpty(dc, QRect(rect.right(), rect.top() + 1, 1, rect.height() - 2), colour);
}

// A horizontal or vertical line that leaves out its end point, so that the edges below meet in
// the corners the way the classic look has them.
void LineTo(QPainter &dc, const QPoint &from, const QPoint &to, const QColor &colour)
{
    if (from == to) {
        return;
    }
    const QPoint step((to.x() > from.x()) - (to.x() < from.x()),
                      (to.y() > from.y()) - (to.y() < from.y()));
    const QPoint last = to - step;
    dc.fillRect(QRect(QPoint(std::min(from.x(), last.x()), std::min(from.y(), last.y())),
                      QPoint(std::max(from.x(), last.x()), std::max(from.y(), last.y()))),
                colour);
}

void EdgeLine(QPainter &dc, const QColor &colour, const QPoint &from, const QPoint &via,
              const QPoint &to)
{
    LineTo(dc, from, via, colour);
    LineTo(dc, via, to, colour);
}

// The platform's focus rectangle: a checkerboard brush XOR-ed onto a one-pixel frame. The brush
// is monochrome, so its set pixels take the surface's background colour and its clear pixels
// the text colour: on a fresh surface every other pixel is inverted; after a caption the dots
// come out as face XOR face, black. The pattern is anchored to the button, not to the clip box,
// so that a partial repaint matches the rest of the frame.
void DrawFocusRect(QPainter &dc, const QRect &f, const QColor &text, const QColor &back)
{
    if (f.isEmpty()) {
        return;
    }
    QImage pattern(2, 2, QImage::Format_RGB32);
    pattern.setPixelColor(0, 0, back);
    pattern.setPixelColor(1, 1, back);
    pattern.setPixelColor(1, 0, text);
    pattern.setPixelColor(0, 1, text);
    const QBrush brush(pattern);

    dc.save();
    dc.setBrushOrigin(0, 0);
    dc.setCompositionMode(QPainter::RasterOp_SourceXorDestination);
    // The sides must not overlap: a pixel XOR-ed twice would vanish.
    FillIfNotEmpty(dc, QRect(f.left(), f.top(), f.width(), 1), brush);
    FillIfNotEmpty(dc, QRect(f.left(), f.bottom(), f.width(), 1), brush);
    FillIfNotEmpty(dc, QRect(f.left(), f.top() + 1, 1, f.height() - 2), brush);
    FillIfNotEmpty(dc, QRect(f.right(), f.top() + 1, 1, f.height() - 2), brush);
    dc.restore();
}

} // namespace

CRaisedButton::CRaisedButton(QWidget *parent)
    : QPushButton(parent)
{}

QColor CRaisedButton::SystemColour(const QWidget *button, QPalette::ColorRole role)
{
    return QApplication::palette(button).color(role);
}

void CRaisedButton::paintEvent(QPaintEvent *event)
{
    QPainter painter(this);
    CMyMemDC dc(&painter, event->rect());
    DrawItem(dc, rect(), {isDown(), hasFocus(), !isEnabled()});
}

void CRaisedButton::DrawItem(QPainter &dc, const QRect &item, const ItemState &state) const
{
    QRect r = item;
    if (state.focused) {
        FrameRect(dc, r, Qt::black);
        r.adjust(1, 1, -1, -1);
    }
    FillIfNotEmpty(dc, r, state.pressed ? m_crPressedBack : m_crRestBack);

    if (state.pressed) {
        FrameRect(dc, r, SystemColour(this, QPalette::Dark));
    } else {
        // Right and bottom as one past the last pixel, the way the edge table is laid out.
        const int left = r.left();
        const int top = r.top();
        const int right = r.left() + r.width();
        const int bottom = r.top() + r.height();
        EdgeLine(dc, SystemColour(this, QPalette::Light), {left, bottom - 1}, {left, top},
                 {right, top});
        EdgeLine(dc, SystemColour(this, QPalette::Midlight), {left + 1, bottom - 1},
                 {left + 1, top + 1}, {right, top + 1});
        EdgeLine(dc, SystemColour(this, QPalette::Shadow), {left, bottom - 1},
                 {right - 1, bottom - 1}, {right - 1, top - 1});
        EdgeLine(dc, SystemColour(this, QPalette::Dark), {left + 1, bottom - 2},
                 {right - 2, bottom - 2}, {right - 2, top});
    }

    SurfaceColours surface;
    DrawCaption(dc, item, state, surface);

    if (state.focused) {
        DrawFocusRect(dc, r.adjusted(3, 3, -3, -3), surface.text, surface.back);
    }
}

void CRaisedButton::DrawCaption(QPainter &dc, const QRect &item, const ItemState &state,
                                SurfaceColours &surface) const
{
    const QString caption = text();
    if (caption.isEmpty()) {
        return;
    }
    // Centred on the whole button, not on the face inside the frames.
    QRect cap = item;
    if (state.pressed) {
        cap.translate(1, 1);
    }
    QFont font(kCaptionFace);
    font.setPointSizeF(kCaptionPointSize);
    dc.setFont(font); // resolved for the surface's resolution

    surface.text = state.pressed ? m_crPressedText : m_crRestText;
    surface.back = state.pressed ? m_crPressedBack : m_crRestBack;

    QRect t(cap.topLeft(), dc.fontMetrics().size(kCaptionFlags, caption));
    // Signed division truncating toward zero: a caption larger than the button overhangs
    // both sides equally and is cut off by the button's edges.
    t.translate((cap.width() - t.width()) / 2, (cap.height() - t.height()) / 2);

    // Not clipped to t, only to the button: glyphs may reach past their advance box.
    const int drawFlags = kCaptionFlags | Qt::TextDontClip;
    if (state.disabled) {
        // Embossed: a highlight copy one pixel down and right, the shadow copy on top.
        dc.setPen(SystemColour(this, QPalette::Light));
        dc.drawText(t.translated(1, 1), drawFlags, caption);
        dc.setPen(SystemColour(this, QPalette::Dark));
    } else {
        dc.setPen(surface.text);
    }
    dc.drawText(t, drawFlags, caption);
}
