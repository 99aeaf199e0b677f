#include "releasedcapture.h"

#include <QEvent>
#include <QWidget>

ReleasedCapture::ReleasedCapture(QWidget *control)
    : QObject(control)
{
    control->installEventFilter(this);
}

bool ReleasedCapture::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::MouseButtonRelease) {
        // Let the control take the release first, so that its value is final.
        QMetaObject::invokeMethod(this, &ReleasedCapture::released, Qt::QueuedConnection);
    }
    return QObject::eventFilter(watched, event);
}
