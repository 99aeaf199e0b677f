#include "central/centralreadworker.h"

#include "logging.h"

CentralReadWorker::CentralReadWorker(const CentralSettings &settings)
    : m_connection(settings, QStringLiteral("reader"))
{}

void CentralReadWorker::readDays()
{
    if (!m_connection.open()) {
        emit daysRead({}, m_connection.error());
        return;
    }
    QSqlQuery query(m_connection.database());
    if (!m_connection.run(query, QStringLiteral("SELECT day, count(DISTINCT desk), count(*)"
                                                " FROM readings WHERE NOT deleted"
                                                " GROUP BY day ORDER BY day DESC"))) {
        qCInfo(lcCentral) << "the central days cannot be read:" << m_connection.error();
        emit daysRead({}, m_connection.error());
        return;
    }
    QList<CentralDay> days;
    while (query.next())
        days.append({query.value(0).toDate(), query.value(1).toInt(), query.value(2).toInt()});
    emit daysRead(days, {});
}

void CentralReadWorker::readDay(QDate day)
{
    if (!m_connection.open()) {
        emit dayRead(day, {}, m_connection.error());
        return;
    }
    QSqlQuery query(m_connection.database());
    if (!m_connection.run(query,
                          QStringLiteral("SELECT desk, port, quantity,"
                                         " to_char(taken_at, 'HH24:MI:SS'), value::text, unit,"
                                         " environment::text, environment_unit, abnormal"
                                         " FROM readings WHERE day = CAST(? AS date) AND NOT"
                                         " deleted ORDER BY taken_at, desk, port, quantity"),
                          {day.toString(Qt::ISODate)})) {
        emit dayRead(day, {}, m_connection.error());
        return;
    }
    QList<CentralRow> rows;
    while (query.next()) {
        CentralRow row;
        row.desk = query.value(0).toString();
        row.port = query.value(1).toInt();
        const QString unit = query.value(5).toString();
        row.fields = {query.value(2).toString(), query.value(3).toString(),
                      query.value(4).toString() +
                          (unit == QStringLiteral("count") ? QString() : unit),
                      query.value(6).toString() + query.value(7).toString()};
        const std::optional<HistoryReading> reading = ParseHistoryReading(row.fields);
        if (!reading)
            continue;
        row.reading = *reading;
        row.reading.abnormal = query.value(8).toBool();
        rows.append(std::move(row));
    }
    emit dayRead(day, rows, {});
}
