// A clock that stands still until the test moves it. Its timers are real ones by default (the
// window tests take the date from it and wait for the port in real time); made with
// Timers::Stepped, its timers run out only when advance() moves the clock past them, in the
// order they are due, so a test of 5 s of waiting takes no time.
#pragma once

#include "clock.h"

#include <algorithm>
#include <memory>
#include <vector>

class ManualClock : public Clock {
public:
    enum class Timers { Real, Stepped };

    explicit ManualClock(const QDateTime &now, Timers timers = Timers::Real)
        : m_state(std::make_shared<State>())
        , m_timers(timers)
    {
        m_state->now = now;
    }
    QDateTime now() const override { return m_state->now; }
    void set(const QDateTime &now) { m_state->now = now; }

    // Moves the clock on by `ms`, firing every timer that runs out meanwhile at its own moment.
    void advance(qint64 ms)
    {
        const qint64 end = m_state->elapsed + ms;
        for (;;) {
            Timer *due = nullptr;
            for (Timer *timer : m_state->timers) {
                if (timer->active && timer->deadline <= end &&
                    (!due || timer->deadline < due->deadline))
                    due = timer;
            }
            if (!due)
                break;
            m_state->now = m_state->now.addMSecs(due->deadline - m_state->elapsed);
            m_state->elapsed = due->deadline;
            if (due->repeat == Repeat::Repeating)
                due->deadline += qMax(1, due->interval);
            else
                due->active = false;
            due->timeout(); // may stop, start or destroy timers
        }
        m_state->now = m_state->now.addMSecs(end - m_state->elapsed);
        m_state->elapsed = end;
    }

    std::unique_ptr<ClockTimer> makeTimer(std::function<void()> timeout,
                                          Repeat repeat) const override
    {
        if (m_timers == Timers::Real)
            return Clock::makeTimer(std::move(timeout), repeat);
        return std::make_unique<Timer>(m_state, std::move(timeout), repeat);
    }

private:
    struct Timer;
    struct State {
        QDateTime now;
        qint64 elapsed = 0; // ms the clock was moved on since it was made
        std::vector<Timer *> timers;
    };
    struct Timer : ClockTimer {
        Timer(std::shared_ptr<State> state, std::function<void()> onTimeout, Repeat kind)
            : state(std::move(state))
            , timeout(std::move(onTimeout))
            , repeat(kind)
        {
            this->state->timers.push_back(this);
        }
        ~Timer() override
        {
            auto &timers = state->timers;
            timers.erase(std::remove(timers.begin(), timers.end(), this), timers.end());
        }
        void start(int ms) override
        {
            interval = ms;
            deadline = state->elapsed + ms;
            active = true;
        }
        void stop() override { active = false; }
        bool isActive() const override { return active; }

        std::shared_ptr<State> state;
        std::function<void()> timeout;
        Repeat repeat;
        int interval = 0;
        qint64 deadline = 0;
        bool active = false;
    };

    std::shared_ptr<State> m_state;
    Timers m_timers;
};
