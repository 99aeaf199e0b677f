// How long the sender waits before trying an unreachable server again: the first wait, then
// twice the last one, up to a ceiling; a success starts over from the first.
#pragma once

#include <algorithm>

class CentralBackoff {
public:
    constexpr CentralBackoff(int firstMs = 2000, int ceilingMs = 60000)
        : m_firstMs(firstMs)
        , m_ceilingMs(ceilingMs)
    {}

    // The wait after one more failure.
    int next()
    {
        m_lastMs = m_lastMs == 0 ? m_firstMs : std::min(m_lastMs * 2, m_ceilingMs);
        return m_lastMs;
    }
    void reset() { m_lastMs = 0; }
    // The last wait handed out, 0 after a success.
    int lastMs() const { return m_lastMs; }

private:
    int m_firstMs;
    int m_ceilingMs;
    int m_lastMs = 0;
};
