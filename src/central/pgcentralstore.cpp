#include "central/pgcentralstore.h"

namespace {

const QString kMarkDeleted =
    QStringLiteral("UPDATE readings SET deleted = true, updated_at = now()"
                   " WHERE desk = ? AND port = ? AND day = CAST(? AS date) AND NOT deleted");

const QString kInsert = QStringLiteral(
    "INSERT INTO readings (desk, port, day, quantity, taken_at, value, unit, environment,"
    " environment_unit, abnormal, deleted) VALUES %1"
    " ON CONFLICT (desk, port, day, quantity) DO UPDATE SET taken_at = EXCLUDED.taken_at,"
    " value = EXCLUDED.value, unit = EXCLUDED.unit, environment = EXCLUDED.environment,"
    " environment_unit = EXCLUDED.environment_unit, abnormal = EXCLUDED.abnormal,"
    " deleted = false, updated_at = now()");

const QString kRowValues =
    QStringLiteral("(?, ?, CAST(? AS date), ?, CAST(? AS timestamp), CAST(? AS numeric), ?,"
                   " CAST(? AS numeric), ?, ?, false)");

} // namespace

PgCentralStore::PgCentralStore(const CentralSettings &settings)
    : m_desk(settings.desk)
    , m_connection(settings, QStringLiteral("sender"))
{}

bool PgCentralStore::open()
{
    return m_connection.open();
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

CentralStore::Outcome PgCentralStore::write(const CentralBatch &batch)
{
    const QString day = batch.day.toString(Qt::ISODate);
    if (!m_connection.run(QStringLiteral("BEGIN")))
        return fail();
    if (batch.restart && !m_connection.run(kMarkDeleted, {m_desk, batch.port, day}))
        return fail();
    if (!batch.readings.isEmpty()) {
        QStringList rows;
        QVariantList values;
        rows.reserve(batch.readings.size());
        values.reserve(batch.readings.size() * 10);
        for (const CentralReading &reading : batch.readings) {
            rows.append(kRowValues);
            values << m_desk << batch.port << day << reading.quantity
                   << day + u'T' + reading.time.toString(Qt::ISODate) << reading.value
                   << reading.unit << reading.environment << reading.environmentUnit
                   << reading.abnormal;
        }
        if (!m_connection.run(kInsert.arg(rows.join(u',')), values))
            return fail();
    }
    if (!m_connection.run(QStringLiteral("COMMIT")))
        return fail();
    return Outcome::Written;
}

// A server that answered keeps its connection (the transaction is rolled back); one that did
// not is reached again later.
CentralStore::Outcome PgCentralStore::fail()
{
    if (m_connection.lost())
        return Outcome::Unreachable;
    m_connection.run(QStringLiteral("ROLLBACK"));
    if (m_connection.lost())
        return Outcome::Unreachable;
    return Outcome::Refused;
}
