#include "boardreader.h"

#include "boardquery.h"
#include "pgconnection.h"

#include <QLoggingCategory>

Q_LOGGING_CATEGORY(lcBoard, "kestrim.board", QtInfoMsg)

const Clock &BoardReader::DefaultClock()
{
    static const Clock clock;
    return clock;
}

BoardReader::BoardReader(const CentralSettings &settings, const Clock &clock, int refreshMs)
    : m_clock(clock)
    , m_refreshMs(refreshMs)
    , m_connection(std::make_unique<PgConnection>(settings, QStringLiteral("board")))
{
    m_today.day.date = m_clock.now().date();
}

BoardReader::~BoardReader()
{
    {
        const std::lock_guard lock(m_mutex);
        m_stop = true;
    }
    m_connection->abort();
    m_wake.notify_all();
    if (m_thread.joinable())
        m_thread.join();
}

void BoardReader::start()
{
    m_thread = std::thread([this] { run(); });
}

BoardAnswer BoardReader::today() const
{
    const std::lock_guard lock(m_mutex);
    return m_today;
}

BoardAnswer BoardReader::day(QDate day, int waitMs)
{
    const QDateTime now = m_clock.now();
    if (day == now.date())
        return today();
    std::unique_lock lock(m_mutex);
    const auto fresh = [&] {
        const auto kept = m_days.find(day);
        return kept != m_days.end() && kept->second.reachable &&
               kept->second.readAt.secsTo(m_clock.now()) < kDayFreshSecs;
    };
    if (!fresh()) {
        if (!m_wanted.contains(day))
            m_wanted.append(day);
        m_wake.notify_all();
        // Any answer for the day after this call counts, good or not: the reader tried.
        const QDateTime asked = now;
        m_answered.wait_for(lock, std::chrono::milliseconds(waitMs), [&] {
            const auto kept = m_days.find(day);
            return m_stop || (kept != m_days.end() && kept->second.readAt >= asked) ||
                   (kept != m_days.end() && !kept->second.reachable && !m_wanted.contains(day));
        });
    }
    const auto kept = m_days.find(day);
    if (kept != m_days.end())
        return kept->second;
    BoardAnswer unknown;
    unknown.day.date = day;
    unknown.reachable = m_today.reachable;
    unknown.error = m_today.error;
    return unknown;
}

void BoardReader::run()
{
    for (;;) {
        QList<QDate> wanted;
        {
            const std::lock_guard lock(m_mutex);
            if (m_stop)
                return;
            wanted = m_wanted;
        }
        read(m_clock.now().date());
        for (const QDate day : wanted)
            read(day);
        std::unique_lock lock(m_mutex);
        for (const QDate day : wanted)
            m_wanted.removeOne(day);
        m_answered.notify_all();
        m_wake.wait_for(lock, std::chrono::milliseconds(m_refreshMs),
                        [this] { return m_stop || !m_wanted.isEmpty(); });
    }
}

void BoardReader::read(QDate day)
{
    BoardDay read;
    const bool ok =
        (m_connection->isOpen() || m_connection->open()) && ReadBoardDay(*m_connection, day, &read);
    const QDateTime now = m_clock.now();
    if (ok != m_wasReachable) {
        if (ok)
            qCInfo(lcBoard) << "the central store answers again";
        else
            qCWarning(lcBoard).noquote()
                << "the central store cannot be read:" << m_connection->error();
        m_wasReachable = ok;
    }
    const std::lock_guard lock(m_mutex);
    const bool isToday = day == now.date();
    BoardAnswer &answer = isToday ? m_today : m_days[day];
    if (ok) {
        answer = {std::move(read), true, true, {}, now};
    } else {
        // The last good state stays, with its age; a new day has none yet.
        if (answer.day.date != day)
            answer = {};
        answer.day.date = day;
        answer.reachable = false;
        answer.error = m_connection->error();
    }
    if (!isToday && m_days.size() > size_t(kKeptDays)) {
        // The day read longest ago goes.
        auto oldest = m_days.begin();
        for (auto kept = m_days.begin(); kept != m_days.end(); ++kept)
            if (kept->first != day && kept->second.readAt < oldest->second.readAt)
                oldest = kept;
        if (oldest->first != day)
            m_days.erase(oldest);
    }
    m_answered.notify_all();
}
