// Tells when the operator lets go of the mouse on a control (after a drag or a click), the
// moment a slider's value is taken; keyboard moves alone do not count.
#pragma once

#include <QObject>

class QWidget;

class ReleasedCapture : public QObject {
    Q_OBJECT

public:
    explicit ReleasedCapture(QWidget *control);

signals:
    void released();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
};
