// The central tables, made on first use and brought forward by numbered migrations. The table
// schema_version holds one row per migration applied. A desk first reads the version without
// any lock; only when the server lacks a migration it knows does it take the migration lock (an
// advisory lock, waited for at most a few seconds) and apply the ones still missing then, so a
// desk whose schema is current never waits on another. It never touches a schema newer than it
// knows.
//
// Version 1:
//   readings (desk, port, day, quantity) primary key, taken_at (the desk's local date and
//   time), value and unit ('C', 'F' or 'count'), environment and environment_unit, abnormal,
//   deleted, updated_at; the view current_readings: the readings not deleted.
// Version 2:
//   readings.installation (uuid): the desk's own identity, which keys its rows with port, day,
//   quantity and removal; `desk` stays as the readable label. The rows of version 1 get an
//   installation made from their desk's name (LegacyInstallation), which the desk of that name
//   claims when it first connects. readings.removal: 0 for a reading as the day file holds it
//   now; a deletion on the desk moves the deleted reading to its own removal number, so a
//   reading sent once is never overwritten by the renumbered rows after it.
//   installations (installation, desk, removals_done, seen_at): every desk, its label, and the
//   last deletion of its journal the server has mirrored.
//   current_readings gains the column installation (at its end).
#pragma once

#include <QStringList>

class PgConnection;

// The statements of each migration, version 1 first.
const QList<QStringList> &CentralMigrations();

// The SQL expression of the installation a row of version 1 gets from its `desk` expression.
QString LegacyInstallation(const QString &desk);

// Applies what the server lacks. False (the connection's error says why) when it could not.
bool MigrateSchema(PgConnection &connection);

// Opens `connection` when it is not open and makes the schema current; a connection that cannot
// migrate is closed. False (the connection's error says why) when either fails.
bool OpenCurrent(PgConnection &connection);
