#include "reconnector.h"

Reconnector::Reconnector(std::function<bool()> tryConnect, QObject *parent)
    : QObject(parent)
    , m_tryConnect(std::move(tryConnect))
{
    m_timer.setSingleShot(true);
    m_timer.setInterval(kIntervalMs);
    connect(&m_timer, &QTimer::timeout, this, &Reconnector::attempt);
}

void Reconnector::start()
{
    m_active = true;
    m_attempts = 0;
    m_timer.start();
}

void Reconnector::stop()
{
    m_active = false;
    m_timer.stop();
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
    m_timer.start();
}
