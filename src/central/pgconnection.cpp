#include "central/pgconnection.h"

#include "central/centralschema.h"
#include "logging.h"

#include <QSqlDriver>
#include <QSqlError>

#if KESTRIM_CENTRAL
#include <libpq-fe.h>
#endif

#include <atomic>

namespace {

#if KESTRIM_CENTRAL
PGconn *Handle(const QSqlDatabase &db)
{
    if (!db.isValid() || !db.driver())
        return nullptr;
    const QVariant handle = db.driver()->handle();
    if (!handle.isValid() || qstrcmp(handle.typeName(), "pg_conn*") != 0)
        return nullptr;
    return *static_cast<PGconn *const *>(handle.constData());
}
#endif

QString Describe(const QSqlError &error)
{
    const QString text = error.databaseText().trimmed();
    return text.isEmpty() ? error.text().trimmed() : text;
}

} // namespace

PgConnection::PgConnection(CentralSettings settings, const QString &purpose)
    : m_settings(std::move(settings))
{
    static std::atomic<int> serial = 0;
    m_name = QStringLiteral("kestrim-central-%1-%2").arg(purpose).arg(++serial);
}

PgConnection::~PgConnection()
{
    if (!m_added)
        return;
    close();
    QSqlDatabase::removeDatabase(m_name);
}

QSqlDatabase PgConnection::database() const
{
    return m_added ? QSqlDatabase::database(m_name, false) : QSqlDatabase();
}

bool PgConnection::isOpen() const
{
    const QSqlDatabase db = database();
    return db.isOpen() && !lost();
}

bool PgConnection::lost() const
{
#if KESTRIM_CENTRAL
    const PGconn *handle = Handle(database());
    return !handle || PQstatus(handle) != CONNECTION_OK;
#else
    return true;
#endif
}

bool PgConnection::open()
{
    if (isOpen())
        return true;
    if (!connect())
        return false;
    if (!MigrateSchema(*this)) {
        close();
        return false;
    }
    return true;
}

bool PgConnection::connect()
{
    if (m_watchdog.cutForever()) {
        m_error = QStringLiteral("stopped");
        return false;
    }
#if !KESTRIM_CENTRAL
    // Without libpq a hung server could not be cut off, so there is no connection at all.
    m_error = QStringLiteral("this Kestrim was built without the central store (libpq)");
    return false;
#endif
    if (!m_added) {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QPSQL"), m_name);
        m_added = true;
        if (!db.isValid()) {
            m_error = QStringLiteral("the PostgreSQL driver of QtSql (QPSQL) is not installed");
            return false;
        }
    }
    QSqlDatabase db = database();
    db.close();
    db.setHostName(m_settings.host);
    db.setPort(m_settings.port);
    db.setUserName(m_settings.user);
    db.setDatabaseName(m_settings.database);
    // No password: libpq takes it from PGPASSWORD or the password file.
    db.setPassword({});
    db.setConnectOptions(m_settings.connectOptions());
    // The time limit of connecting is libpq's connect_timeout; the watchdog needs a socket.
    if (!db.open()) {
        m_error = Describe(db.lastError());
        return false;
    }
    publishSocket();
    qCInfo(lcCentral) << m_name << "connected to" << m_settings.identity();
    return true;
}

void PgConnection::publishSocket()
{
#if KESTRIM_CENTRAL
    const PGconn *handle = Handle(database());
    m_watchdog.setSocket(handle ? PQsocket(handle) : -1);
#endif
}

void PgConnection::close()
{
    m_watchdog.setSocket(-1);
    if (m_added)
        QSqlDatabase::database(m_name, false).close();
}

void PgConnection::abort()
{
    m_watchdog.cutForGood();
}

bool PgConnection::run(QSqlQuery &query, const QString &sql, const QVariantList &values)
{
    m_watchdog.arm(std::chrono::milliseconds(m_settings.answerLimitMs));
    bool ok = false;
    // Statements without values run as they are: BEGIN, COMMIT and CREATE cannot be prepared.
    if (values.isEmpty()) {
        ok = query.exec(sql);
    } else if (query.prepare(sql)) {
        for (const QVariant &value : values)
            query.addBindValue(value);
        ok = query.exec();
    }
    m_watchdog.disarm();
    if (!ok)
        m_error = Describe(query.lastError());
    return ok;
}

bool PgConnection::run(const QString &sql, const QVariantList &values)
{
    QSqlQuery query(database());
    return run(query, sql, values);
}
