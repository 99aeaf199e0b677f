#include "centralschema.h"

#include "logging.h"
#include "pgconnection.h"

namespace {

// Any fixed number: the key of the advisory lock that lets one desk migrate at a time.
constexpr qint64 kMigrationLock = 0x4b657374726d; // "Kestrm"

// The version the server's schema is at: 0 without the table.
std::optional<int> SchemaVersion(PgConnection &connection)
{
    PgResult exists;
    // The catalog itself, not its cache: a table another desk made while this one waited for
    // the lock is seen.
    if (!connection.run(QStringLiteral("SELECT EXISTS (SELECT 1 FROM pg_catalog.pg_tables WHERE"
                                       " schemaname = current_schema()"
                                       " AND tablename = 'schema_version')"),
                        {}, &exists) ||
        exists.rows() != 1)
        return std::nullopt;
    if (exists.text(0, 0) != QStringLiteral("t"))
        return 0;
    PgResult version;
    if (!connection.run(QStringLiteral("SELECT coalesce(max(version), 0) FROM schema_version"), {},
                        &version) ||
        version.rows() != 1)
        return std::nullopt;
    return version.text(0, 0).toInt();
}

} // namespace

QString LegacyInstallation(const QString &desk)
{
    return QStringLiteral("CAST(md5('kestrim desk ' || %1) AS uuid)").arg(desk);
}

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
        // 2: rows keyed by the installation; deleted readings kept under their own removal.
        {
            QStringLiteral("ALTER TABLE readings ADD COLUMN installation uuid,"
                           " ADD COLUMN removal bigint NOT NULL DEFAULT 0"),
            QStringLiteral("UPDATE readings SET installation = ") +
                LegacyInstallation(QStringLiteral("desk")),
            QStringLiteral("ALTER TABLE readings ALTER COLUMN installation SET NOT NULL,"
                           " DROP CONSTRAINT readings_pkey,"
                           " ADD PRIMARY KEY (installation, port, day, quantity, removal)"),
            QStringLiteral("CREATE TABLE installations ("
                           " installation uuid PRIMARY KEY,"
                           " desk text NOT NULL,"
                           " removals_done bigint NOT NULL DEFAULT 0,"
                           " seen_at timestamptz NOT NULL DEFAULT now())"),
            QStringLiteral("INSERT INTO installations (installation, desk)"
                           " SELECT DISTINCT ") +
                LegacyInstallation(QStringLiteral("desk")) + QStringLiteral(", desk FROM readings"),
            QStringLiteral("CREATE OR REPLACE VIEW current_readings AS"
                           " SELECT desk, port, day, quantity, taken_at, value, unit,"
                           " environment, environment_unit, abnormal, installation"
                           " FROM readings WHERE NOT deleted"),
        },
    };
    return migrations;
}

bool MigrateSchema(PgConnection &connection)
{
    const QList<QStringList> &migrations = CentralMigrations();
    const std::optional<int> seen = SchemaVersion(connection);
    if (!seen)
        return false;
    if (*seen >= migrations.size()) {
        if (*seen > migrations.size())
            qCInfo(lcCentral) << "the central schema is at version" << *seen
                              << ", newer than this desk's" << migrations.size();
        return true;
    }
    const auto fail = [&connection] {
        qCWarning(lcCentral).noquote()
            << "the central schema could not be brought up to date:" << connection.error();
        connection.rollback();
        return false;
    };
    // Another desk may be migrating: wait for it a little, then count as refused for now.
    if (!connection.run(QStringLiteral("BEGIN")) ||
        !connection.run(QStringLiteral("SET LOCAL lock_timeout = '5s'")) ||
        !connection.run(QStringLiteral("SELECT pg_advisory_xact_lock(%1)").arg(kMigrationLock)))
        return fail();
    const std::optional<int> current = SchemaVersion(connection);
    if (!current)
        return fail();
    if (*current == 0 &&
        !connection.run(QStringLiteral("CREATE TABLE schema_version ("
                                       " version integer PRIMARY KEY,"
                                       " applied_at timestamptz NOT NULL DEFAULT now())")))
        return fail();
    for (int next = *current + 1; next <= migrations.size(); ++next) {
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

bool OpenCurrent(PgConnection &connection)
{
    if (connection.isOpen())
        return true;
    if (!connection.open())
        return false;
    if (!MigrateSchema(connection)) {
        connection.close();
        return false;
    }
    return true;
}
