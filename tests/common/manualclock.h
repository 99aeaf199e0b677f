// A clock that stands still until the test moves it.
#pragma once

#include "clock.h"

class ManualClock : public Clock {
public:
    explicit ManualClock(const QDateTime &now)
        : m_now(now)
    {}
    QDateTime now() const override { return m_now; }
    void set(const QDateTime &now) { m_now = now; }

private:
    QDateTime m_now;
};
