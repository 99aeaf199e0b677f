// A push button that paints itself in the classic raised three-dimensional look: a face and
// caption in the button colours of the system when the button was made, edges in the current
// system colours, a large CJK caption on one line, a shadow frame and shifted caption while
// pressed, a black frame and dotted focus rectangle while focused, an embossed caption while
// disabled. Every paint is composed off-screen and copied in one block, so it never flickers.
#pragma once

#include <QColor>
#include <QPalette>
#include <QPushButton>

class CRaisedButton : public QPushButton {
    Q_OBJECT

public:
    explicit CRaisedButton(QWidget *parent = nullptr);

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    // The look depends on these alone; nothing else is kept between paints.
    struct ItemState {
        bool pressed = false;
        bool focused = false;
        bool disabled = false;
    };
    // What the platform's device context remembers between drawing calls: the caption sets the
    // colours and the focus rectangle's pattern brush takes them up afterwards.
    struct SurfaceColours {
        QColor text = Qt::black;
        QColor back = Qt::white;
    };

    static QColor SystemColour(const QWidget *button, QPalette::ColorRole role);
    void DrawItem(QPainter &dc, const QRect &item, const ItemState &state) const;
    void DrawCaption(QPainter &dc, const QRect &item, const ItemState &state,
                     SurfaceColours &surface) const;

    // Captured once: a later change of the system colours reaches only the edges, which are
    // read on every paint.
    const QColor m_crRestBack = SystemColour(this, QPalette::Button);
    const QColor m_crRestText = SystemColour(this, QPalette::ButtonText);
    const QColor m_crPressedBack = SystemColour(this, QPalette::Button);
    const QColor m_crPressedText = SystemColour(this, QPalette::ButtonText);
};
