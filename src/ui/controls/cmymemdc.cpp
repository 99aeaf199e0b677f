#include "cmymemdc.h"

#include <QPaintDevice>

CMyMemDC::CMyMemDC(QPainter *target, const QRect &clipBox)
    : m_pTargetDC(target)
    , m_rcArea(clipBox)
{
    if (m_rcArea.isEmpty()) {
        return; // nothing to repaint; drawing calls on an inactive painter do nothing
    }
    const qreal ratio = m_pTargetDC->device()->devicePixelRatio();
    m_offscreenBitmap = QPixmap(m_rcArea.size() * ratio);
    m_offscreenBitmap.setDevicePixelRatio(ratio);
    begin(&m_offscreenBitmap);
    // The pixmap only covers the clip box; shifting the origin lets the painting routine use
    // the target's coordinates unchanged.
    translate(-m_rcArea.topLeft());
}

CMyMemDC::~CMyMemDC()
{
    if (!isActive()) {
        return;
    }
    end();
    // A block copy: the pixmap replaces what is there, whatever the target's composition mode.
    m_pTargetDC->save();
    m_pTargetDC->setCompositionMode(QPainter::CompositionMode_Source);
    m_pTargetDC->drawPixmap(m_rcArea.topLeft(), m_offscreenBitmap);
    m_pTargetDC->restore();
}
