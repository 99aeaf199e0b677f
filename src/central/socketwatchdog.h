// Cuts a connection's socket when a call on it takes too long, or at once when asked from any
// thread. PostgreSQL's client waits without limit for a server that accepted a request and
// then stopped answering (a hung server, a link that drops packets); shutting the socket down
// ends that wait with an error, on whatever thread is waiting.
//
// Its thread sleeps on a condition variable and wakes only when a deadline is set, moved or
// passed, or when it is told to stop.
#pragma once

#include <chrono>
#include <condition_variable>
#include <mutex>
#include <optional>
#include <thread>

class SocketWatchdog {
public:
    SocketWatchdog();
    ~SocketWatchdog();
    SocketWatchdog(const SocketWatchdog &) = delete;
    SocketWatchdog &operator=(const SocketWatchdog &) = delete;

    // The socket calls are made on; -1 for none.
    void setSocket(long long socket);
    // Until disarm(), the socket is cut when `limit` passes.
    void arm(std::chrono::milliseconds limit);
    void disarm();
    // Cuts the socket now, and every socket set after this: for the end of the program.
    void cutForGood();
    bool cutForever() const;

private:
    void watch();
    void cutLocked();

    mutable std::mutex m_mutex;
    std::condition_variable m_changed;
    long long m_socket = -1;
    std::optional<std::chrono::steady_clock::time_point> m_deadline;
    bool m_cutForGood = false;
    bool m_stop = false;
    std::thread m_thread;
};
