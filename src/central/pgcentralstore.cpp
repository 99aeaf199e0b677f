#include "pgcentralstore.h"

#include "centralschema.h"
#include "logging.h"

#include <QMap>

namespace {

constexpr int kRowValues = 11;

const QString kInsert = QStringLiteral(
    "INSERT INTO readings (installation, desk, port, day, quantity, taken_at, value, unit,"
    " environment, environment_unit, abnormal, deleted, removal) VALUES %1"
    " ON CONFLICT (installation, port, day, quantity, removal) DO UPDATE SET"
    " desk = EXCLUDED.desk, taken_at = EXCLUDED.taken_at, value = EXCLUDED.value,"
    " unit = EXCLUDED.unit, environment = EXCLUDED.environment,"
    " environment_unit = EXCLUDED.environment_unit, abnormal = EXCLUDED.abnormal,"
    " deleted = false, updated_at = now()");

QString RowPlaceholders(int first)
{
    QStringList p;
    for (int i = 0; i < kRowValues; ++i)
        p.append(QStringLiteral("$%1").arg(first + i));
    return QStringLiteral("(CAST(%1 AS uuid), %2, CAST(%3 AS integer), CAST(%4 AS date),"
                          " CAST(%5 AS bigint), CAST(%6 AS timestamp), CAST(%7 AS numeric), %8,"
                          " CAST(%9 AS numeric), %10, CAST(%11 AS boolean), false, 0)")
        .arg(p[0], p[1], p[2], p[3], p[4], p[5], p[6], p[7], p[8], p[9], p[10]);
}

QString TakenAt(QDate day, const CentralReading &reading)
{
    return day.toString(Qt::ISODate) + u'T' + reading.time.toString(Qt::ISODate);
}

} // namespace

PgCentralStore::PgCentralStore(const CentralSettings &settings)
    : m_installation(settings.installation)
    , m_desk(settings.desk)
    , m_connection(settings, QStringLiteral("sender"))
{}

bool PgCentralStore::open()
{
    if (m_connection.isOpen())
        return true;
    if (!OpenCurrent(m_connection))
        return false;
    if (!introduce()) {
        qCWarning(lcCentral).noquote() << "the desk cannot be recorded:" << m_connection.error();
        m_connection.close();
        return false;
    }
    return true;
}

// The installation's row, the rows its name stored before installations had identities, its
// label on its rows, and whether another installation goes by the same name.
bool PgCentralStore::introduce()
{
    const QStringList me{m_installation, m_desk};
    const QString legacy = LegacyInstallation(QStringLiteral("$2"));
    PgResult shared;
    const bool ok =
        m_connection.run(QStringLiteral("BEGIN")) &&
        m_connection.run(QStringLiteral("INSERT INTO installations (installation, desk)"
                                        " VALUES (CAST($1 AS uuid), $2) ON CONFLICT"
                                        " (installation) DO UPDATE SET desk = EXCLUDED.desk,"
                                        " seen_at = now()"),
                         me) &&
        m_connection.run(QStringLiteral("UPDATE readings SET installation = CAST($1 AS uuid)"
                                        " WHERE installation = ") +
                             legacy,
                         me) &&
        m_connection.run(QStringLiteral("DELETE FROM installations WHERE installation = ") +
                             legacy + QStringLiteral(" AND installation <> CAST($1 AS uuid)"),
                         me) &&
        m_connection.run(QStringLiteral("UPDATE readings SET desk = $2"
                                        " WHERE installation = CAST($1 AS uuid) AND desk <> $2"),
                         me) &&
        m_connection.run(QStringLiteral("SELECT count(*) FROM installations"
                                        " WHERE desk = $2 AND installation <> CAST($1 AS uuid)"),
                         me, &shared) &&
        m_connection.run(QStringLiteral("COMMIT"));
    if (!ok) {
        m_connection.rollback();
        return false;
    }
    m_nameShared = shared.rows() == 1 && shared.text(0, 0).toInt() > 0;
    if (m_nameShared)
        qCWarning(lcCentral).noquote()
            << "another installation already uses the desk name" << m_desk
            << "; the rows stay apart (keyed by installation), but name this desk differently"
               " in Kestrim.ini to tell them apart";
    return true;
}

bool PgCentralStore::isOpen() const
{
    return m_connection.isOpen();
}

void PgCentralStore::close()
{
    m_connection.close();
}

void PgCentralStore::abort()
{
    m_connection.abort();
}

bool PgCentralStore::insert(const CentralBatch &batch, const QList<CentralReading> &readings)
{
    const QString day = batch.day.toString(Qt::ISODate);
    QStringList rows;
    QStringList values;
    rows.reserve(readings.size());
    values.reserve(readings.size() * kRowValues);
    for (const CentralReading &reading : readings) {
        rows.append(RowPlaceholders(int(values.size()) + 1));
        values << m_installation << m_desk << QString::number(batch.port) << day
               << QString::number(reading.quantity) << TakenAt(batch.day, reading) << reading.value
               << reading.unit << reading.environment << reading.environmentUnit
               << (reading.abnormal ? QStringLiteral("true") : QStringLiteral("false"));
    }
    return m_connection.run(kInsert.arg(rows.join(u',')), values);
}

CentralStore::Outcome PgCentralStore::write(const CentralBatch &batch)
{
    m_setAside.clear();
    if (batch.readings.isEmpty())
        return Outcome::Written;
    if (!m_connection.run(QStringLiteral("BEGIN")))
        return fail();
    if (!insert(batch, batch.readings)) {
        if (m_connection.failure() != PgConnection::Failure::Data)
            return fail();
        if (!m_connection.run(QStringLiteral("ROLLBACK")))
            return fail();
        return writeRowByRow(batch);
    }
    if (!m_connection.run(QStringLiteral("COMMIT")))
        return fail();
    return Outcome::Written;
}

// The server refused a value of the batch: each reading alone, the refused ones left out.
CentralStore::Outcome PgCentralStore::writeRowByRow(const CentralBatch &batch)
{
    if (!m_connection.run(QStringLiteral("BEGIN")))
        return fail();
    QList<CentralSetAside> setAside;
    for (const CentralReading &reading : batch.readings) {
        if (!m_connection.run(QStringLiteral("SAVEPOINT reading")))
            return fail();
        if (insert(batch, {reading})) {
            if (!m_connection.run(QStringLiteral("RELEASE SAVEPOINT reading")))
                return fail();
            continue;
        }
        if (m_connection.failure() != PgConnection::Failure::Data)
            return fail();
        setAside.append({reading.quantity, m_connection.error()});
        if (!m_connection.run(QStringLiteral("ROLLBACK TO SAVEPOINT reading")))
            return fail();
    }
    if (!m_connection.run(QStringLiteral("COMMIT")))
        return fail();
    m_setAside = setAside;
    return Outcome::Written;
}

CentralStore::Outcome PgCentralStore::mirror(const QList<CentralDeletion> &deletions)
{
    PgResult done;
    if (!m_connection.run(QStringLiteral("BEGIN")) ||
        !m_connection.run(QStringLiteral("SELECT removals_done FROM installations"
                                         " WHERE installation = CAST($1 AS uuid) FOR UPDATE"),
                          {m_installation}, &done) ||
        done.rows() != 1)
        return fail();
    const qint64 mirrored = done.text(0, 0).toLongLong();
    // Each file's rows beyond what it kept are dropped once its last deletion is mirrored:
    // an earlier deletion's removed readings may still lie there.
    QMap<std::pair<int, QDate>, qint64> keptAtLast;
    qint64 last = mirrored;
    for (const CentralDeletion &deletion : deletions) {
        if (deletion.number <= mirrored)
            continue;
        last = std::max(last, deletion.number);
        const QString day = deletion.day.toString(Qt::ISODate);
        const QStringList file{m_installation, QString::number(deletion.port), day,
                               QString::number(deletion.number)};
        if (deletion.all) {
            if (!m_connection.run(QStringLiteral("UPDATE readings SET deleted = true,"
                                                 " removal = CAST($4 AS bigint), updated_at = now()"
                                                 " WHERE installation = CAST($1 AS uuid)"
                                                 " AND port = CAST($2 AS integer)"
                                                 " AND day = CAST($3 AS date) AND removal = 0"),
                                  file))
                return fail();
            keptAtLast[{deletion.port, deletion.day}] = 0;
            continue;
        }
        for (const CentralReading &reading : deletion.removed) {
            // The reading itself, wherever the renumbering left it: the same quantity first.
            if (!m_connection.run(
                    QStringLiteral("UPDATE readings SET deleted = true,"
                                   " removal = CAST($4 AS bigint), updated_at = now()"
                                   " WHERE ctid = (SELECT ctid FROM readings"
                                   " WHERE installation = CAST($1 AS uuid)"
                                   " AND port = CAST($2 AS integer) AND day = CAST($3 AS date)"
                                   " AND removal = 0 AND taken_at = CAST($5 AS timestamp)"
                                   " AND value = CAST($6 AS numeric) AND unit = $7"
                                   " ORDER BY quantity = CAST($8 AS bigint) DESC, quantity"
                                   " LIMIT 1)"),
                    file + QStringList{TakenAt(deletion.day, reading), reading.value, reading.unit,
                                       QString::number(reading.quantity)}))
                return fail();
        }
        keptAtLast[{deletion.port, deletion.day}] = deletion.kept;
    }
    for (auto it = keptAtLast.begin(); it != keptAtLast.end(); ++it)
        if (!m_connection.run(QStringLiteral("DELETE FROM readings"
                                             " WHERE installation = CAST($1 AS uuid)"
                                             " AND port = CAST($2 AS integer)"
                                             " AND day = CAST($3 AS date) AND removal = 0"
                                             " AND quantity > CAST($4 AS bigint)"),
                              {m_installation, QString::number(it.key().first),
                               it.key().second.toString(Qt::ISODate), QString::number(it.value())}))
            return fail();
    if (!m_connection.run(QStringLiteral("UPDATE installations SET removals_done = $2"
                                         " WHERE installation = CAST($1 AS uuid)"),
                          {m_installation, QString::number(last)}) ||
        !m_connection.run(QStringLiteral("COMMIT")))
        return fail();
    return Outcome::Written;
}

// A server that answered keeps its connection (the transaction is rolled back); one that did
// not is reached again later.
CentralStore::Outcome PgCentralStore::fail()
{
    if (m_connection.lost())
        return Outcome::Unreachable;
    m_connection.rollback();
    return m_connection.lost() ? Outcome::Unreachable : Outcome::Refused;
}
