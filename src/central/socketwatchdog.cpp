#include "central/socketwatchdog.h"

#include "logging.h"

#ifdef Q_OS_WIN
#include <winsock2.h>
#else
#include <sys/socket.h>
#endif

SocketWatchdog::SocketWatchdog()
    : m_thread([this] { watch(); })
{}

SocketWatchdog::~SocketWatchdog()
{
    {
        const std::lock_guard lock(m_mutex);
        m_stop = true;
    }
    m_changed.notify_one();
    m_thread.join();
}

void SocketWatchdog::setSocket(long long socket)
{
    const std::lock_guard lock(m_mutex);
    m_socket = socket;
    m_deadline.reset();
    if (m_cutForGood)
        cutLocked();
}

void SocketWatchdog::arm(std::chrono::milliseconds limit)
{
    {
        const std::lock_guard lock(m_mutex);
        m_deadline = std::chrono::steady_clock::now() + limit;
    }
    m_changed.notify_one();
}

void SocketWatchdog::disarm()
{
    const std::lock_guard lock(m_mutex);
    m_deadline.reset();
}

void SocketWatchdog::cutForGood()
{
    const std::lock_guard lock(m_mutex);
    m_cutForGood = true;
    cutLocked();
}

bool SocketWatchdog::cutForever() const
{
    const std::lock_guard lock(m_mutex);
    return m_cutForGood;
}

void SocketWatchdog::watch()
{
    std::unique_lock lock(m_mutex);
    while (!m_stop) {
        if (!m_deadline) {
            m_changed.wait(lock);
            continue;
        }
        if (m_changed.wait_until(lock, *m_deadline) == std::cv_status::timeout && m_deadline &&
            std::chrono::steady_clock::now() >= *m_deadline) {
            qCWarning(lcCentral) << "the server did not answer in time; the connection is cut";
            m_deadline.reset();
            cutLocked();
        }
    }
}

// Shutting down (not closing) leaves the socket to its owner, who closes it when it sees the
// error; the number is never reused while it is set here.
void SocketWatchdog::cutLocked()
{
    if (m_socket < 0)
        return;
#ifdef Q_OS_WIN
    ::shutdown(static_cast<SOCKET>(m_socket), SD_BOTH);
#else
    ::shutdown(static_cast<int>(m_socket), SHUT_RDWR);
#endif
}
