// Where the program takes the date and time from; tests put a clock of their own in its place.
#pragma once

#include <QDateTime>

class Clock {
public:
    virtual ~Clock() = default;
    // The current local date and time.
    virtual QDateTime now() const { return QDateTime::currentDateTime(); }
};
