#include "boardquery.h"

#include "pgconnection.h"

QString BoardDayStatement()
{
    // The day's rows are read once (a materialized CTE) and give both parts: 0, a desk and port
    // with its counts; 1, an abnormal reading. Times as text in one fixed form, whatever the
    // server's DateStyle.
    return QStringLiteral(
               "WITH day_rows AS MATERIALIZED ("
               " SELECT installation, desk, port, quantity, taken_at, value, unit, abnormal"
               " FROM current_readings WHERE day = CAST($1 AS date))"
               " (SELECT 0 AS part, installation::text, desk, port, count(*) AS number,"
               " count(*) FILTER (WHERE abnormal) AS abnormal,"
               " to_char(max(taken_at), 'YYYY-MM-DD\"T\"HH24:MI:SS') AS at,"
               " NULL::text AS value, NULL::text AS unit"
               " FROM day_rows GROUP BY installation, desk, port ORDER BY desk, port LIMIT %1)"
               " UNION ALL"
               " (SELECT 1, installation::text, desk, port, quantity, NULL,"
               " to_char(taken_at, 'YYYY-MM-DD\"T\"HH24:MI:SS'), value::text, unit"
               " FROM day_rows WHERE abnormal"
               " ORDER BY taken_at DESC, desk, port, quantity DESC LIMIT %2)")
        .arg(kMaxDeskRows)
        .arg(kMaxAbnormal);
}

bool ReadBoardDay(PgConnection &connection, QDate day, BoardDay *read)
{
    PgResult result;
    if (!connection.run(BoardDayStatement(), {day.toString(Qt::ISODate)}, &result))
        return false;
    BoardDay board;
    board.date = day;
    for (int row = 0; row < result.rows(); ++row) {
        const QDateTime at = QDateTime::fromString(result.text(row, 6), Qt::ISODate);
        if (result.text(row, 0) == QStringLiteral("0")) {
            board.desks.append({result.text(row, 2), result.text(row, 1),
                                result.text(row, 3).toInt(), result.text(row, 4).toLongLong(),
                                result.text(row, 5).toLongLong(), at});
        } else {
            board.abnormal.append({result.text(row, 2), result.text(row, 3).toInt(),
                                   result.text(row, 4).toLongLong(), at, result.text(row, 7),
                                   result.text(row, 8)});
        }
    }
    *read = std::move(board);
    return true;
}
