// The board's reader of the central store: a thread of its own with its own connection, which
// reads today every refresh and the earlier days it is asked for, and keeps the last good
// answer of each. The HTTP threads only ever take what it holds: a server that is slow, hung or
// gone holds up this thread alone, and the page is answered from the last good state with its
// age.
//
// The board only reads: it opens the connection and never makes or migrates the schema, so a
// role granted SELECT on the view current_readings is all it needs.
#pragma once

#include "boardday.h"
#include "centralsettings.h"
#include "clock.h"

#include <condition_variable>
#include <map>
#include <memory>
#include <mutex>
#include <thread>

class PgConnection;

class BoardReader {
public:
    // Earlier days are kept this long before they are read again when asked for.
    static constexpr int kDayFreshSecs = 30;
    static constexpr int kKeptDays = 31;

    explicit BoardReader(const CentralSettings &settings, const Clock &clock = DefaultClock(),
                         int refreshMs = 500);
    // Cuts off whatever waits on the server and joins the thread.
    ~BoardReader();
    BoardReader(const BoardReader &) = delete;
    BoardReader &operator=(const BoardReader &) = delete;

    void start();

    // Today as last read; never waits.
    BoardAnswer today() const;
    // `day` as last read, read first when it is not fresh, waiting at most `waitMs` for that;
    // today's is today().
    BoardAnswer day(QDate day, int waitMs);

    QDateTime now() const { return m_clock.now(); }

    // The system's clock.
    static const Clock &DefaultClock();

private:
    void run();
    void read(QDate day);

    const Clock &m_clock;
    const int m_refreshMs;
    std::unique_ptr<PgConnection> m_connection;
    mutable std::mutex m_mutex;
    std::condition_variable m_wake;     // a day is wanted, or the reader is to stop
    std::condition_variable m_answered; // an answer came in
    bool m_stop = false;
    BoardAnswer m_today;
    std::map<QDate, BoardAnswer> m_days;
    QList<QDate> m_wanted;
    bool m_wasReachable = true;
    std::thread m_thread;
};
