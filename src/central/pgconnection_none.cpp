// The connection of a build without libpq: it never connects, and says why.
#include "pgconnection.h"

namespace {
QString Unavailable()
{
    return QStringLiteral("this Kestrim was built without the central store (libpq)");
}
} // namespace

PgResult::PgResult(pg_result *) {}

int PgResult::rows() const
{
    return 0;
}

QString PgResult::text(int, int) const
{
    return {};
}

bool PgResult::isNull(int, int) const
{
    return true;
}

PgConnection::PgConnection(CentralSettings settings, const QString &purpose)
    : m_settings(std::move(settings))
    , m_purpose(purpose)
{}

PgConnection::~PgConnection() = default;

bool PgConnection::open()
{
    return failLost(Unavailable());
}

bool PgConnection::isOpen() const
{
    return false;
}

void PgConnection::close() {}

void PgConnection::abort()
{
    m_aborted = true;
}

int PgConnection::socket() const
{
    return -1;
}

bool PgConnection::connect()
{
    return failLost(Unavailable());
}

bool PgConnection::wait(bool, QDeadlineTimer)
{
    return failLost(Unavailable());
}

bool PgConnection::failLost(const QString &why)
{
    m_error = why;
    m_sqlState.clear();
    m_failure = Failure::Lost;
    return false;
}

void PgConnection::rollback() {}

bool PgConnection::run(const QString &, const QStringList &, PgResult *)
{
    return failLost(Unavailable());
}
