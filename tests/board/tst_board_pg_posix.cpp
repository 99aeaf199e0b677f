// kestrim-board against a private PostgreSQL (skipped without postgresql-15): it reads as a
// role granted SELECT on the view alone and never makes the schema; a day is one query through
// the index on the day; a server that hangs or stops never holds up an answer, which then comes
// from the last good state with its age; the JSON endpoints.
#include "boarddesks.h"
#include "boardquery.h"
#include "boardreader.h"
#include "boardserver.h"

#include <QElapsedTimer>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <httplib.h>

namespace {

const QString kReader = QStringLiteral("board_reader");
const QString kReaderPassword = QStringLiteral("board-pw");
const QDate kEarlier(2026, 1, 15);

// The settings of the board's read-only role, over TCP (its password from PGPASSWORD).
CentralSettings ReaderSettings(const PgCluster &server, const QString &database)
{
    CentralSettings settings;
    settings.host = QStringLiteral("127.0.0.1");
    settings.port = server.port();
    settings.user = kReader;
    settings.database = database;
    settings.answerLimitMs = 2000;
    return settings;
}

} // namespace

class TestBoardPg : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanup();
    void readsAsAReadOnlyRole();
    void neverMakesTheSchema();
    void aDayIsOneIndexedQuery();
    void hungOrStoppedServerNeverHoldsAnAnswer();
    void endpoints_data();
    void endpoints();

private:
    // GET `path` from the board; the status and the JSON.
    std::pair<int, QJsonObject> get(int port, const std::string &path);

    PgCluster m_server;
};

void TestBoardPg::initTestCase()
{
    if (PgCluster::programs().isEmpty())
        QSKIP("PostgreSQL 15 is not installed (postgresql-15): the board's tests against a "
              "real server are skipped");
    // Today's readings reach a minute back.
    if (QTime::currentTime() < QTime(0, 2))
        QSKIP("the first two minutes of a day have no room for today's readings of a minute "
              "ago: the board's tests are skipped until 00:02");
    QVERIFY2(m_server.start(), qPrintable(m_server.log()));
    m_server.query(QStringLiteral("CREATE DATABASE board"));
    m_server.query(QStringLiteral("CREATE DATABASE empty"));
    BoardDesks desks(m_server, QStringLiteral("board"));
    const QDateTime now = QDateTime::currentDateTime();
    QVERIFY(desks.write(QStringLiteral("Entrance A"), 1, now.addSecs(-30),
                        {QStringLiteral("36.5C"), QStringLiteral("38.2C")}, {false, true}));
    QVERIFY(desks.write(QStringLiteral("Entrance A"), 1, QDateTime(kEarlier, QTime(9, 0)),
                        {QStringLiteral("36.5C"), QStringLiteral("36.6C"), QStringLiteral("99.9F")},
                        {false, false, true}));
    QVERIFY(desks.send(QStringLiteral("Entrance A")));
    QVERIFY(desks.record(QStringLiteral("Hall B"), 2, now.addSecs(-10), QStringLiteral("36.9C"),
                         false));
    m_server.query(
        QStringLiteral("CREATE ROLE %1 LOGIN PASSWORD '%2'").arg(kReader, kReaderPassword));
    m_server.query(QStringLiteral("GRANT SELECT ON current_readings TO ") + kReader,
                   QStringLiteral("board"));
    qputenv("PGPASSWORD", kReaderPassword.toUtf8());
    qputenv("PGPASSFILE", "/nonexistent");
}

void TestBoardPg::cleanup()
{
    m_server.pause(false);
    if (!m_server.running())
        QVERIFY2(m_server.start(), qPrintable(m_server.log()));
}

std::pair<int, QJsonObject> TestBoardPg::get(int port, const std::string &path)
{
    httplib::Client client("127.0.0.1", port);
    // An answer that waited on the server would miss this.
    client.set_read_timeout(2, 0);
    const httplib::Result result = client.Get(path);
    if (!result)
        return {0, {}};
    return {result->status,
            QJsonDocument::fromJson(QByteArray::fromStdString(result->body)).object()};
}

void TestBoardPg::readsAsAReadOnlyRole()
{
    BoardReader reader(ReaderSettings(m_server, QStringLiteral("board")),
                       BoardReader::DefaultClock(), 100);
    reader.start();
    QTRY_VERIFY(reader.today().known);
    const BoardAnswer today = reader.today();
    QVERIFY2(today.reachable, qPrintable(today.error));
    QCOMPARE(today.day.desks.size(), 2);
    QCOMPARE(today.day.desks[0].desk, QStringLiteral("Entrance A"));
    QCOMPARE(today.day.desks[0].readings, 2);
    QCOMPARE(today.day.desks[0].abnormal, 1);
    QCOMPARE(today.day.desks[1].desk, QStringLiteral("Hall B"));
    QCOMPARE(today.day.desks[1].port, 2);
    QCOMPARE(today.day.abnormal.size(), 1);
    QCOMPARE(today.day.abnormal[0].value + today.day.abnormal[0].unit, QStringLiteral("38.2C"));
    // The same role cannot read the table itself: the view is all it was given.
    PgConnection connection(ReaderSettings(m_server, QStringLiteral("board")),
                            QStringLiteral("test"));
    QVERIFY(connection.open());
    QVERIFY(!connection.run(QStringLiteral("SELECT count(*) FROM readings")));
    QCOMPARE(connection.sqlState(), QStringLiteral("42501"));
}

void TestBoardPg::neverMakesTheSchema()
{
    CentralSettings settings = m_server.settings(QStringLiteral("board"), QStringLiteral("empty"));
    BoardReader reader(settings, BoardReader::DefaultClock(), 100);
    reader.start();
    QTRY_VERIFY(!reader.today().error.isEmpty());
    const BoardAnswer today = reader.today();
    QVERIFY(!today.known);
    QVERIFY(!today.reachable);
    QVERIFY2(today.error.contains(QStringLiteral("current_readings")), qPrintable(today.error));
    // Even as the owner of the database, the board made nothing there.
    QCOMPARE(m_server.query(QStringLiteral("SELECT count(*) FROM pg_tables WHERE schemaname = "
                                           "'public'"),
                            QStringLiteral("empty")),
             QVariant(0));
}

void TestBoardPg::aDayIsOneIndexedQuery()
{
    // 60,000 readings over 300 days, analysed, as a store of a year looks to the planner.
    m_server.query(QStringLiteral("CREATE DATABASE planned"));
    BoardDesks desks(m_server, QStringLiteral("planned"));
    QVERIFY(desks.record(QStringLiteral("Entrance A"), 1, QDateTime::currentDateTime(),
                         QStringLiteral("36.5C"), false));
    m_server.query(
        QStringLiteral("INSERT INTO readings (installation, desk, port, day, quantity, taken_at,"
                       " value, unit, environment, environment_unit, abnormal)"
                       " SELECT md5('desk' || (n % 40))::uuid, 'Desk ' || (n % 40), 1,"
                       " DATE '2026-01-01' + n / 200, n, TIMESTAMP '2026-01-01 08:00' + n / 200 * "
                       " INTERVAL '1 day', 36.5, 'C', 24.5, 'C', n % 50 = 0"
                       " FROM generate_series(1, 60000) AS n"),
        QStringLiteral("planned"));
    m_server.query(QStringLiteral("ANALYZE readings"), QStringLiteral("planned"));
    PgConnection connection(m_server.settings(QStringLiteral("board"), QStringLiteral("planned")),
                            QStringLiteral("test"));
    QVERIFY(connection.open());
    PgResult plan;
    QVERIFY2(
        connection.run(QStringLiteral("EXPLAIN ") + BoardDayStatement(), {"2026-03-01"}, &plan),
        qPrintable(connection.error()));
    QString text;
    for (int row = 0; row < plan.rows(); ++row)
        text += plan.text(row, 0) + u'\n';
    qInfo().noquote() << text;
    QVERIFY2(text.contains(QStringLiteral("readings_by_day")), qPrintable(text));
    QVERIFY2(!text.contains(QStringLiteral("Seq Scan on readings")), qPrintable(text));
    // The table is read once for both parts.
    QCOMPARE(text.count(QStringLiteral(" on readings")), 1);
    BoardDay day;
    QVERIFY(ReadBoardDay(connection, QDate(2026, 3, 1), &day));
    QCOMPARE(day.desks.size(), 40);
    QCOMPARE(day.abnormal.size(), 4);
}

void TestBoardPg::hungOrStoppedServerNeverHoldsAnAnswer()
{
    BoardReader reader(ReaderSettings(m_server, QStringLiteral("board")),
                       BoardReader::DefaultClock(), 100);
    BoardServer server(reader);
    QString error;
    QVERIFY2(server.bind(QStringLiteral("127.0.0.1"), 0, &error), qPrintable(error));
    reader.start();
    server.start();
    QTRY_VERIFY(get(server.port(), "/api/today").second[QStringLiteral("known")].toBool());

    // Hung: every answer at once, from what was read, which grows old and is then said stale.
    m_server.pause(true);
    QElapsedTimer hung;
    hung.start();
    QJsonObject answer;
    while (hung.elapsed() < 7000) {
        const auto [status, json] = get(server.port(), "/api/today");
        QCOMPARE(status, 200);
        answer = json;
        QTest::qWait(500);
    }
    QVERIFY2(answer[QStringLiteral("stale")].toBool(), QJsonDocument(answer).toJson());
    QVERIFY(answer[QStringLiteral("ageSeconds")].toDouble() >= 5);
    QCOMPARE(answer[QStringLiteral("desks")].toArray().size(), 2);
    // An earlier day never read is not waited for past its limit either.
    QCOMPARE(get(server.port(), "/api/day/2026-01-15").first, 503);

    // Stopped: said, with the reason; then back.
    m_server.pause(false);
    m_server.stop();
    QTRY_VERIFY_WITH_TIMEOUT(
        !get(server.port(), "/api/today").second[QStringLiteral("reachable")].toBool(), 10000);
    answer = get(server.port(), "/api/today").second;
    QVERIFY(!answer[QStringLiteral("error")].toString().isEmpty());
    QCOMPARE(answer[QStringLiteral("desks")].toArray().size(), 2);
    QVERIFY2(m_server.start(), qPrintable(m_server.log()));
    QTRY_VERIFY_WITH_TIMEOUT(
        !get(server.port(), "/api/today").second[QStringLiteral("stale")].toBool(), 15000);
    server.stop();
}

void TestBoardPg::endpoints_data()
{
    QTest::addColumn<QString>("path");
    QTest::addColumn<int>("status");
    QTest::addColumn<int>("readings");
    QTest::addColumn<QString>("abnormal"); // the first abnormal reading: value, unit, °C
    QTest::newRow("today") << "/api/today" << 200 << 3 << "38.2 C 38.2";
    QTest::newRow("an earlier day") << "/api/day/2026-01-15" << 200 << 3 << "99.9 F 37.7";
    QTest::newRow("a day without readings") << "/api/day/2025-06-01" << 200 << 0 << "";
    QTest::newRow("no such date") << "/api/day/2026-02-30" << 400 << 0 << "";
    QTest::newRow("not a date") << "/api/day/yesterday" << 404 << 0 << "";
    QTest::newRow("nothing there") << "/api/desks" << 404 << 0 << "";
}

void TestBoardPg::endpoints()
{
    QFETCH(QString, path);
    QFETCH(int, status);
    BoardReader reader(ReaderSettings(m_server, QStringLiteral("board")),
                       BoardReader::DefaultClock(), 100);
    BoardServer server(reader);
    QString error;
    QVERIFY2(server.bind(QStringLiteral("127.0.0.1"), 0, &error), qPrintable(error));
    reader.start();
    server.start();
    QTRY_VERIFY(reader.today().known);
    const auto [answered, json] = get(server.port(), path.toStdString());
    QCOMPARE(answered, status);
    if (status != 200) {
        QVERIFY(!json[QStringLiteral("error")].toString().isEmpty());
        return;
    }
    QTEST(json[QStringLiteral("readings")].toInt(), "readings");
    const QJsonObject first = json[QStringLiteral("abnormal")][0].toObject();
    QTEST(QStringList({first[QStringLiteral("value")].toString(),
                       first[QStringLiteral("unit")].toString(),
                       first[QStringLiteral("celsius")].toString()})
              .join(u' ')
              .trimmed(),
          "abnormal");
}

QTEST_GUILESS_MAIN(TestBoardPg)
#include "tst_board_pg_posix.moc"
