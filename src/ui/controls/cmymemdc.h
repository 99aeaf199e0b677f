// An off-screen surface for one paint: drawing calls made on it land in a pixmap with the same
// coordinates as the target painter, and the finished picture reaches the target in one copy
// when the surface goes out of scope, so a control is never seen half painted.
#pragma once

#include <QPainter>
#include <QPixmap>
#include <QRect>

class CMyMemDC : public QPainter {
public:
    // clipBox is the part of the target to repaint, in the target's logical coordinates
    // (normally the paint event's rectangle). The pixmap starts uninitialised: the painting
    // routine must cover every pixel of clipBox that it wants to show.
    CMyMemDC(QPainter *target, const QRect &clipBox);
    ~CMyMemDC();

    CMyMemDC(const CMyMemDC &) = delete;
    CMyMemDC &operator=(const CMyMemDC &) = delete;

private:
    QPainter *m_pTargetDC = nullptr;
    QRect m_rcArea;
    QPixmap m_offscreenBitmap;
};
