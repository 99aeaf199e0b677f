// kestrim-board under a busy site's day: a private PostgreSQL (as the tests start it) holding 200
// desks and 20,000 readings today (one in twenty abnormal, so the abnormal list is at its bound
// of 500) and a year of earlier days (20,000 readings a day for 30 days). Measures:
//   - the day's statement, as the reader runs it every refresh (ReadBoardDay);
//   - /api/today as a client sees it (HTTP over loopback, 200 requests);
//   - in headless Chromium: a new abnormal reading committed on the server → its row on the
//     page, without a reload (10 times), and the page's first complete draw.
// The rows are written by SQL in bulk (the sender's own speed is bench_central's).
#include "boardquery.h"
#include "boardreader.h"
#include "boardserver.h"
#include "centralschema.h"
#include "headlesschromium.h"
#include "pgcluster.h"
#include "pgconnection.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTextStream>

#include <httplib.h>

#include <algorithm>
#include <vector>

namespace {

constexpr int kDesks = 200;
constexpr int kToday = 20000;

double Ms(const QElapsedTimer &timer)
{
    return double(timer.nsecsElapsed()) / 1e6;
}

QString Figures(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    const auto at = [&](double share) {
        return values[size_t(share * double(values.size() - 1))];
    };
    return QStringLiteral("median %1 ms, p90 %2 ms, max %3 ms (%4 runs)")
        .arg(at(0.5), 0, 'f', 1)
        .arg(at(0.9), 0, 'f', 1)
        .arg(values.back(), 0, 'f', 1)
        .arg(values.size());
}

bool Run(PgConnection &connection, const QString &sql)
{
    if (connection.run(sql))
        return true;
    qWarning().noquote() << sql << connection.error();
    return false;
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication application(argc, argv);
    QTextStream out(stdout);
    PgCluster server;
    if (PgCluster::programs().isEmpty() || !server.start()) {
        qWarning().noquote() << "no PostgreSQL server:" << server.log();
        return 1;
    }
    server.query(QStringLiteral("CREATE DATABASE board"));
    CentralSettings owner = server.settings(QStringLiteral("bench"), QStringLiteral("board"));
    owner.answerLimitMs = 120000;
    PgConnection connection(owner, QStringLiteral("bench"));
    if (!OpenCurrent(connection))
        return 1;
    const QDate today = QDate::currentDate();
    const int secondsToday =
        std::max(QTime(0, 0).secsTo(QTime::currentTime()) - 60, kToday / kDesks);
    // Today: 100 readings a desk, spread over the day so far; earlier: 30 days of the same.
    const QString insert = QStringLiteral(
        "INSERT INTO readings (installation, desk, port, day, quantity, taken_at, value, unit,"
        " environment, environment_unit, abnormal)"
        " SELECT md5('desk ' || (n % %1))::uuid, 'Desk ' || lpad((n % %1)::text, 3, '0'),"
        " 1 + (n % %1) % 3, CAST('%2' AS date) - d, n,"
        " CAST('%2' AS date) - d + make_interval(secs => (n::float8 * %3 / %4)::int),"
        " CASE WHEN n % 20 = 0 THEN 38.3 ELSE 36.6 END, 'C', 24.5, 'C', n % 20 = 0"
        " FROM generate_series(0, 30) AS d, generate_series(1, %4) AS n");
    QElapsedTimer timer;
    timer.start();
    if (!Run(connection,
             insert.arg(kDesks).arg(today.toString(Qt::ISODate)).arg(secondsToday).arg(kToday)) ||
        !Run(connection, QStringLiteral("ANALYZE readings")))
        return 1;
    out << "store: " << kDesks << " desks, " << kToday << " readings today, 31 days, written in "
        << qRound(Ms(timer)) << " ms\n";

    PgResult plan;
    connection.run(QStringLiteral("EXPLAIN (ANALYZE, BUFFERS) ") + BoardDayStatement(),
                   {today.toString(Qt::ISODate)}, &plan);
    out << "plan of today's statement:\n";
    for (int row = 0; row < plan.rows(); ++row)
        out << "  " << plan.text(row, 0) << '\n';

    std::vector<double> statement;
    BoardDay day;
    for (int run = 0; run < 30; ++run) {
        timer.restart();
        if (!ReadBoardDay(connection, today, &day))
            return 1;
        statement.push_back(Ms(timer));
    }
    out << "the day's statement (" << day.desks.size() << " desk rows, " << day.abnormal.size()
        << " abnormal): " << Figures(statement) << '\n';

    BoardReader reader(owner);
    BoardServer board(reader);
    QString error;
    if (!board.bind(QStringLiteral("127.0.0.1"), 0, &error))
        return 1;
    reader.start();
    board.start();
    while (!reader.today().known)
        QThread::msleep(50);
    httplib::Client client("127.0.0.1", board.port());
    std::vector<double> json;
    size_t bytes = 0;
    for (int run = 0; run < 200; ++run) {
        timer.restart();
        const httplib::Result result = client.Get("/api/today");
        json.push_back(Ms(timer));
        if (!result || result->status != 200)
            return 1;
        bytes = result->body.size();
        QThread::msleep(5);
    }
    out << "/api/today (" << bytes / 1024 << " KB): " << Figures(json) << '\n';

    if (HeadlessChromium::program().isEmpty()) {
        out << "no chromium: the page is not measured\n";
        return 0;
    }
    HeadlessChromium browser;
    if (!browser.start())
        return 1;
    timer.restart();
    browser.navigate(QStringLiteral("http://127.0.0.1:%1/").arg(board.port()));
    browser.waitFor(QStringLiteral("document.querySelectorAll('#desks tbody tr').length === %1")
                        .arg(day.desks.size()),
                    30000);
    out << "page opened and drawn (" << day.desks.size() << " desk rows, " << day.abnormal.size()
        << " abnormal rows): " << qRound(Ms(timer)) << " ms\n";
    std::vector<double> shown;
    for (int run = 0; run < 10; ++run) {
        const QString value = QStringLiteral("39.%1").arg(run);
        QThread::msleep(300 + 137 * run % 700); // not in step with the refreshes
        timer.restart();
        if (!Run(connection,
                 QStringLiteral("INSERT INTO readings (installation, desk, port, day, quantity,"
                                " taken_at, value, unit, environment, environment_unit, abnormal)"
                                " VALUES (md5('desk 7')::uuid, 'Desk 007', 2, CAST('%1' AS date),"
                                " %2, LOCALTIMESTAMP(0), %3, 'C', 24.5, 'C', true)")
                     .arg(today.toString(Qt::ISODate))
                     .arg(kToday + 1 + run)
                     .arg(value)))
            return 1;
        if (!browser.waitFor(QStringLiteral("document.querySelector('#abnormal tbody tr')"
                                            ".cells[3].textContent === '%1°C'")
                                 .arg(value),
                             10000))
            return 1;
        shown.push_back(Ms(timer));
    }
    out << "new abnormal reading committed → on the page: " << Figures(shown) << '\n';
    board.stop();
    return 0;
}
