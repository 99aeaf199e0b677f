// Where the program takes the date and time from, and the timers that count that time; tests
// put a clock of their own in its place and move it on themselves.
#pragma once

#include <QDateTime>

#include <functional>
#include <memory>

// A timer that counts its clock's time. It calls its function on the thread that made it.
class ClockTimer {
public:
    virtual ~ClockTimer() = default;
    // Starts, or starts again from now, to run out after `ms` milliseconds.
    virtual void start(int ms) = 0;
    virtual void stop() = 0;
    virtual bool isActive() const = 0;
};

class Clock {
public:
    enum class Repeat { Once, Repeating };

    virtual ~Clock() = default;
    // The current local date and time.
    virtual QDateTime now() const { return QDateTime::currentDateTime(); }
    // A stopped timer that calls `timeout` each time it runs out, once or until stopped.
    virtual std::unique_ptr<ClockTimer> makeTimer(std::function<void()> timeout,
                                                  Repeat repeat) const;
};
