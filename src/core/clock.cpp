#include "clock.h"

#include <QTimer>

namespace {

class QtClockTimer : public ClockTimer {
public:
    QtClockTimer(std::function<void()> timeout, Clock::Repeat repeat)
    {
        m_timer.setSingleShot(repeat == Clock::Repeat::Once);
        QObject::connect(&m_timer, &QTimer::timeout, &m_timer, std::move(timeout));
    }
    void start(int ms) override { m_timer.start(ms); }
    void stop() override { m_timer.stop(); }
    bool isActive() const override { return m_timer.isActive(); }

private:
    QTimer m_timer;
};

} // namespace

std::unique_ptr<ClockTimer> Clock::makeTimer(std::function<void()> timeout, Repeat repeat) const
{
    return std::make_unique<QtClockTimer>(std::move(timeout), repeat);
}
