#include "centralreadworker.h"

#include "centralschema.h"
#include "logging.h"

CentralReadWorker::CentralReadWorker(const CentralSettings &settings)
    : m_connection(settings, QStringLiteral("reader"))
{}

void CentralReadWorker::readDays()
{
    PgResult result;
    if (!OpenCurrent(m_connection) ||
        !m_connection.run(QStringLiteral("SELECT day, count(DISTINCT installation), count(*)"
                                         " FROM readings WHERE NOT deleted"
                                         " GROUP BY day ORDER BY day DESC LIMIT %1")
                              .arg(kMaxDays),
                          {}, &result)) {
        qCInfo(lcCentral).noquote() << "the central days cannot be read:" << m_connection.error();
        emit daysRead({}, m_connection.error());
        return;
    }
    QList<CentralDay> days;
    for (int row = 0; row < result.rows(); ++row)
        days.append({QDate::fromString(result.text(row, 0), Qt::ISODate),
                     result.text(row, 1).toInt(), result.text(row, 2).toInt()});
    emit daysRead(days, {});
}

void CentralReadWorker::readDay(QDate day)
{
    PgResult result;
    if (!OpenCurrent(m_connection) ||
        !m_connection.run(QStringLiteral("SELECT desk, port, quantity,"
                                         " to_char(taken_at, 'HH24:MI:SS'), value::text, unit,"
                                         " environment::text, environment_unit, abnormal"
                                         " FROM readings WHERE day = CAST($1 AS date) AND NOT"
                                         " deleted ORDER BY taken_at, desk, port, quantity"
                                         " LIMIT %1")
                              .arg(kMaxRows),
                          {day.toString(Qt::ISODate)}, &result)) {
        emit dayRead(day, {}, m_connection.error());
        return;
    }
    if (result.rows() >= kMaxRows)
        qCInfo(lcCentral) << "the central day" << day << "holds more than" << kMaxRows
                          << "readings; the first are shown";
    QList<CentralRow> rows;
    rows.reserve(result.rows());
    for (int r = 0; r < result.rows(); ++r) {
        CentralRow row;
        row.desk = result.text(r, 0);
        row.port = result.text(r, 1).toInt();
        const QString unit = result.text(r, 5);
        row.fields = {result.text(r, 2), result.text(r, 3),
                      result.text(r, 4) + (unit == QStringLiteral("count") ? QString() : unit),
                      result.text(r, 6) + result.text(r, 7)};
        const std::optional<HistoryReading> reading = ParseHistoryReading(row.fields);
        if (!reading)
            continue;
        row.reading = *reading;
        row.reading.abnormal = result.text(r, 8) == QStringLiteral("t");
        rows.append(std::move(row));
    }
    emit dayRead(day, rows, {});
}
