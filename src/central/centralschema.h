// The central tables, made on first use and brought forward by numbered migrations. The table
// schema_version holds one row per migration applied; a desk applies the ones it knows that the
// server lacks, one desk at a time (an advisory lock), and never touches a schema newer than
// it knows.
//
// Version 1:
//   readings (desk, port, day, quantity) primary key, taken_at (the desk's local date and
//   time), value and unit ('C', 'F' or 'count'), environment and environment_unit, abnormal,
//   deleted, updated_at; the view current_readings: the readings not deleted.
#pragma once

#include <QStringList>

class PgConnection;

// The statements of each migration, version 1 first.
const QList<QStringList> &CentralMigrations();

// Applies what the server lacks. False (the connection's error says why) when it could not.
bool MigrateSchema(PgConnection &connection);
