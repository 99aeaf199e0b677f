// One connection to the central PostgreSQL server through QtSql's QPSQL driver, made and used on
// one thread (a QSqlDatabase connection belongs to the thread that made it), with the schema
// brought up to date each time it connects. Every statement runs under a watchdog that cuts the
// connection when the server does not answer in time; abort() cuts it from any thread.
#pragma once

#include "central/centralsettings.h"
#include "central/socketwatchdog.h"

#include <QSqlQuery>
#include <QString>
#include <QVariantList>

class PgConnection {
public:
    // `purpose` names the connection ("sender", "reader") in the server's view and the log.
    PgConnection(CentralSettings settings, const QString &purpose);
    // Closes and removes the connection; on the thread that opened it.
    ~PgConnection();
    PgConnection(const PgConnection &) = delete;
    PgConnection &operator=(const PgConnection &) = delete;

    // Connects when not connected and makes the schema current. False: see error().
    bool open();
    bool isOpen() const;
    void close();
    // From any thread: cuts the connection now and refuses every later open().
    void abort();

    // Prepares `sql`, binds `values` in order and runs it (without values: runs it as it is).
    // False: see error() and lost().
    bool run(QSqlQuery &query, const QString &sql, const QVariantList &values = {});
    bool run(const QString &sql, const QVariantList &values = {});
    QSqlDatabase database() const;

    const QString &error() const { return m_error; }
    // Whether the connection is gone (the server went away, did not answer, or was never
    // reached), as opposed to the server refusing a statement.
    bool lost() const;
    const CentralSettings &settings() const { return m_settings; }

private:
    bool connect();
    void publishSocket();

    CentralSettings m_settings;
    QString m_name;
    QString m_error;
    bool m_added = false;
    SocketWatchdog m_watchdog;
};
