#include "reconnector.h"

Reconnector::Reconnector(std::function<bool()> tryConnect, const Clock &clock, QObject *parent)
    : QObject(parent)
    , m_tryConnect(std::move(tryConnect))
    , m_timer(clock.makeTimer([this] { attempt(); }, Clock::Repeat::Once))
{}

void Reconnector::start()
{
    m_active = true;
    m_attempts = 0;
    m_timer->start(kIntervalMs);
}

void Reconnector::stop()
{
    m_active = false;
    m_timer->stop();
}

void Reconnector::attempt()
{
    if (!m_active)
        return;
    ++m_attempts;
    if (m_tryConnect()) {
        stop();
        emit reconnected();
        return;
    }
    m_timer->start(kIntervalMs);
}
