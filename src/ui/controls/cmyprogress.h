// The main window's battery indicator. The window gives it its range and keeps it hidden; the
// class exists so that the indicator has its own type beside the standard progress bars.
#pragma once

#include <QProgressBar>

class CMyProgress : public QProgressBar {
    Q_OBJECT

public:
    explicit CMyProgress(QWidget *parent = nullptr);
};
