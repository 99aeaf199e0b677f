// Brings a lost connection back by itself: while the thermometer is gone, one attempt every
// two seconds on the same port until one succeeds or the operator stops it. Nothing is armed
// while connected or after a deliberate disconnect.
#pragma once

#include "clock.h"

#include <QObject>

#include <functional>
#include <memory>

class Reconnector : public QObject {
    Q_OBJECT

public:
    static constexpr int kIntervalMs = 2000;

    // `tryConnect` makes one attempt and says whether the port is open again.
    Reconnector(std::function<bool()> tryConnect, const Clock &clock, QObject *parent = nullptr);

    // The connection was lost: the first attempt comes after one interval.
    void start();
    // The operator gave up, or the connection is back.
    void stop();
    bool isActive() const { return m_active; }
    int attempts() const { return m_attempts; }

signals:
    void reconnected();

private:
    void attempt();

    std::function<bool()> m_tryConnect;
    std::unique_ptr<ClockTimer> m_timer;
    bool m_active = false;
    int m_attempts = 0;
};
