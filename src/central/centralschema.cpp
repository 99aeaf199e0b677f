#include "central/centralschema.h"

#include "central/pgconnection.h"
#include "logging.h"

#include <QSqlQuery>

namespace {

// Any fixed number: the key of the advisory lock that lets one desk migrate at a time.
constexpr qint64 kMigrationLock = 0x4b657374726d; // "Kestrm"

} // namespace

const QList<QStringList> &CentralMigrations()
{
    static const QList<QStringList> migrations{
        // 1: the readings of every desk.
        {
            QStringLiteral("CREATE TABLE readings ("
                           " desk text NOT NULL,"
                           " port integer NOT NULL,"
                           " day date NOT NULL,"
                           " quantity bigint NOT NULL,"
                           " taken_at timestamp NOT NULL,"
                           " value numeric NOT NULL,"
                           " unit text NOT NULL CHECK (unit IN ('C', 'F', 'count')),"
                           " environment numeric NOT NULL,"
                           " environment_unit text NOT NULL CHECK (environment_unit IN ('C', 'F')),"
                           " abnormal boolean NOT NULL,"
                           " deleted boolean NOT NULL DEFAULT false,"
                           " updated_at timestamptz NOT NULL DEFAULT now(),"
                           " PRIMARY KEY (desk, port, day, quantity))"),
            QStringLiteral("CREATE INDEX readings_by_day ON readings (day) WHERE NOT deleted"),
            QStringLiteral("CREATE VIEW current_readings AS"
                           " SELECT desk, port, day, quantity, taken_at, value, unit,"
                           " environment, environment_unit, abnormal"
                           " FROM readings WHERE NOT deleted"),
        },
    };
    return migrations;
}

bool MigrateSchema(PgConnection &connection)
{
    const QList<QStringList> &migrations = CentralMigrations();
    if (!connection.run(QStringLiteral("BEGIN")))
        return false;
    const auto fail = [&connection] {
        if (!connection.lost())
            connection.run(QStringLiteral("ROLLBACK"));
        qCWarning(lcCentral) << "the central schema could not be brought up to date:"
                             << connection.error();
        return false;
    };
    QSqlQuery exists(connection.database());
    QSqlQuery version(connection.database());
    if (!connection.run(QStringLiteral("SELECT pg_advisory_xact_lock(%1)").arg(kMigrationLock)) ||
        !connection.run(exists,
                        QStringLiteral("SELECT to_regclass('schema_version') IS NOT NULL")) ||
        !exists.next())
        return fail();
    if (!exists.value(0).toBool() &&
        !connection.run(QStringLiteral("CREATE TABLE schema_version ("
                                       " version integer PRIMARY KEY,"
                                       " applied_at timestamptz NOT NULL DEFAULT now())")))
        return fail();
    if (!connection.run(version, QStringLiteral("SELECT coalesce(max(version), 0) FROM "
                                                "schema_version")) ||
        !version.next())
        return fail();
    const int current = version.value(0).toInt();
    if (current > migrations.size())
        qCInfo(lcCentral) << "the central schema is at version" << current
                          << ", newer than this desk's" << migrations.size();
    for (int next = current + 1; next <= migrations.size(); ++next) {
        for (const QString &statement : migrations[next - 1])
            if (!connection.run(statement))
                return fail();
        if (!connection.run(
                QStringLiteral("INSERT INTO schema_version (version) VALUES (%1)").arg(next)))
            return fail();
        qCInfo(lcCentral) << "central schema migrated to version" << next;
    }
    return connection.run(QStringLiteral("COMMIT")) || fail();
}
