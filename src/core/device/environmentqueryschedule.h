// When the environment query goes out: every `period` ticks of the one-second timer while
// connected, and at the first tick after a settings report. While not connected the ticks keep
// counting and nothing is sent.
#pragma once

class EnvironmentQuerySchedule {
public:
    explicit EnvironmentQuerySchedule(int period = 25)
        : m_period(period)
    {}

    // A settings report arrived: query at the next tick.
    void requestNow() { m_queryNow = true; }

    // One timer tick; true when the query is to be sent now.
    bool tick(bool connected)
    {
        ++m_ticks;
        if (m_ticks % m_period != 0 && !m_queryNow)
            return false;
        if (!connected)
            return false;
        m_ticks = 0;
        m_queryNow = false;
        return true;
    }

    int ticks() const { return m_ticks; }
    bool queryNow() const { return m_queryNow; }

private:
    int m_period = 25;
    int m_ticks = 0;
    bool m_queryNow = false;
};
