// The central store against a real PostgreSQL server (a private one, PgCluster): the schema made
// once, the password from the environment or the password file, readings arriving exactly once
// through resends, restarts, a server stopped in the middle of a flood, a desk offline for two
// days, two desks at once, deletions, and a server that hangs.
#include "central/centralsender.h"
#include "central/centralsync.h"
#include "central/pgcentralstore.h"
#include "fakecentralstore.h"
#include "pgcluster.h"
#include "records/dayrecords.h"
#include "workingfolder.h"

#include <QSignalSpy>
#include <QTest>

namespace {

const QDate kToday(2026, 12, 9);

QString Line(qint64 quantity, const QString &value = QStringLiteral("36.5C"))
{
    return QStringLiteral("%1,%2,%3,24.5C")
        .arg(quantity)
        .arg(QTime(8, 0).addSecs(int(quantity)).toString(QStringLiteral("HH:mm:ss")), value);
}

void Append(const QString &path, const QStringList &lines)
{
    QVERIFY(QDir().mkpath(QFileInfo(path).path()));
    QFile file(path);
    QVERIFY(file.open(QIODevice::Append));
    QByteArray bytes;
    for (const QString &line : lines)
        bytes += line.toUtf8() + "\r\n";
    QCOMPARE(file.write(bytes), bytes.size());
}

QStringList Lines(qint64 first, qint64 last)
{
    QStringList lines;
    for (qint64 q = first; q <= last; ++q)
        lines.append(Line(q, q % 50 == 0 ? QStringLiteral("38.1C") : QStringLiteral("36.5C")));
    return lines;
}

QString DayFile(QDate day = kToday, int port = 1)
{
    return DayRecords().DayFilePath(day, port);
}

} // namespace

class TestCentralPg : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();
    void schemaIsMadeOnceWhenDesksStartTogether();
    void passwordFromTheEnvironmentOrThePasswordFile_data();
    void passwordFromTheEnvironmentOrThePasswordFile();
    void resendsAndRestartsNeverDuplicate();
    void serverStoppedMidFloodGetsEveryReadingOnce();
    void deskOfflineForTwoDaysCatchesUp();
    void twoDesksWriteAtOnce();
    void deletionsAreMarked();
    void hungServerIsCutOffAndCaughtUp();

private:
    std::unique_ptr<CentralSender> sender(const QString &desk = QStringLiteral("Entrance A"),
                                          int answerLimitMs = 10000);
    QVariant count(const QString &where = QStringLiteral("true"));
    std::unique_ptr<CentralSync> sync(const QString &desk = QStringLiteral("Entrance A"));
    void settle(CentralSync &sync) { QTRY_VERIFY(!sync.busy()); }

    PgCluster m_server;
    QString m_database;
    int m_databases = 0;
    std::unique_ptr<WorkingFolder> m_dir;
};

void TestCentralPg::initTestCase()
{
    if (PgCluster::programs().isEmpty())
        QSKIP("PostgreSQL 15 is not installed (postgresql-15): the central store's tests "
              "against a real server are skipped");
    QVERIFY2(m_server.start(), qPrintable(m_server.log()));
}

// Each test has a database of its own, and a working folder.
void TestCentralPg::init()
{
    m_database = QStringLiteral("records_%1").arg(++m_databases);
    m_server.query(QStringLiteral("CREATE DATABASE ") + m_database);
    m_dir = std::make_unique<WorkingFolder>();
    QVERIFY(m_dir->isValid());
}

void TestCentralPg::cleanup()
{
    m_server.pause(false);
    if (!m_server.running())
        QVERIFY2(m_server.start(), qPrintable(m_server.log()));
    m_dir.reset();
}

std::unique_ptr<CentralSender> TestCentralPg::sender(const QString &desk, int answerLimitMs)
{
    CentralSettings settings = m_server.settings(desk, m_database);
    settings.answerLimitMs = answerLimitMs;
    return std::make_unique<CentralSender>(
        std::make_unique<PgCentralStore>(settings),
        CentralCursors(desk + u'-' + kCentralCursorFile, settings.identity()),
        CentralBackoff(50, 400));
}

std::unique_ptr<CentralSync> TestCentralPg::sync(const QString &desk)
{
    const CentralSettings settings = m_server.settings(desk, m_database);
    return std::make_unique<CentralSync>(std::make_unique<PgCentralStore>(settings),
                                         CentralCursors(kCentralCursorFile, settings.identity()));
}

QVariant TestCentralPg::count(const QString &where)
{
    return m_server.query(QStringLiteral("SELECT count(*) FROM readings WHERE ") + where,
                          m_database);
}

void TestCentralPg::schemaIsMadeOnceWhenDesksStartTogether()
{
    QList<QThread *> desks;
    std::atomic<int> opened = 0;
    for (int desk = 0; desk < 3; ++desk) {
        desks.append(QThread::create([&, desk] {
            PgCentralStore store(m_server.settings(QString::number(desk), m_database));
            opened += store.open() ? 1 : 0;
        }));
        desks.last()->start();
    }
    for (QThread *desk : desks) {
        QVERIFY(desk->wait(30000));
        delete desk;
    }
    QCOMPARE(opened.load(), 3);
    QCOMPARE(m_server.query(QStringLiteral("SELECT string_agg(version::text, ',') FROM "
                                           "schema_version"),
                            m_database),
             QVariant(QStringLiteral("1")));
    QCOMPARE(m_server.query(QStringLiteral("SELECT count(*) FROM current_readings"), m_database),
             QVariant(0));
}

void TestCentralPg::passwordFromTheEnvironmentOrThePasswordFile_data()
{
    QTest::addColumn<QString>("url");
    QTest::addColumn<QString>("environment");
    QTest::addColumn<QString>("passwordFile");
    QTest::addColumn<bool>("opens");
    const QString url = QStringLiteral("postgresql://kestrim@127.0.0.1:%1/%2");
    const QString line = QStringLiteral("127.0.0.1:%1:*:kestrim:") + PgCluster::kPassword;
    QTest::newRow("PGPASSWORD") << url << PgCluster::kPassword << QString() << true;
    QTest::newRow("password file") << url << QString() << line << true;
    QTest::newRow("wrong password") << url << QStringLiteral("guess") << QString() << false;
    QTest::newRow("none") << url << QString() << QString() << false;
    QTest::newRow("only in the url")
        << QStringLiteral("postgresql://kestrim:%1@127.0.0.1:%2/%3").arg(PgCluster::kPassword)
        << QString() << QString() << false;
}

void TestCentralPg::passwordFromTheEnvironmentOrThePasswordFile()
{
    QFETCH(QString, url);
    QFETCH(QString, environment);
    QFETCH(QString, passwordFile);
    QFETCH(bool, opens);
    const std::optional<CentralSettings> settings = ParseCentralSettings(
        url.arg(m_server.port()).arg(m_database), QStringLiteral("Entrance A"));
    QVERIFY(settings);
    QFile file(QStringLiteral("pgpass"));
    QVERIFY(file.open(QIODevice::WriteOnly));
    if (!passwordFile.isEmpty())
        file.write(passwordFile.arg(m_server.port()).toUtf8() + '\n');
    file.close();
    QVERIFY(file.setPermissions(QFile::ReadOwner | QFile::WriteOwner));
    qputenv("PGPASSFILE", QFileInfo(file).absoluteFilePath().toUtf8());
    if (environment.isEmpty())
        qunsetenv("PGPASSWORD");
    else
        qputenv("PGPASSWORD", environment.toUtf8());

    PgCentralStore store(*settings);
    const bool opened = store.open();
    qunsetenv("PGPASSWORD");
    qunsetenv("PGPASSFILE");
    QVERIFY2(opened == opens, qPrintable(store.error()));
    if (!opens)
        QVERIFY2(store.error().contains(QStringLiteral("password")), qPrintable(store.error()));
}

void TestCentralPg::resendsAndRestartsNeverDuplicate()
{
    Append(DayFile(), Lines(1, 1200));
    Append(DayRecords().WarningFilePath(kToday), {Line(50, QStringLiteral("38.1C"))});
    auto first = sync();
    first->start();
    settle(*first);
    QCOMPARE(first->status(), (CentralStatus{CentralStatus::Link::Reachable, 0}));
    QCOMPARE(count(), QVariant(1200));
    QCOMPARE(count(QStringLiteral("abnormal")), QVariant(1));
    QCOMPARE(m_server.query(QStringLiteral("SELECT value::text || unit || ' ' || taken_at::text "
                                           "FROM readings WHERE quantity = 50"),
                            m_database),
             QVariant(QStringLiteral("38.1C 2026-12-09 08:00:50")));
    first.reset();

    // The cursors lost: everything is sent again, and still once.
    QVERIFY(QFile::remove(kCentralCursorFile));
    auto again = sync();
    again->start();
    settle(*again);
    QCOMPARE(count(), QVariant(1200));
    QCOMPARE(count(QStringLiteral("deleted")), QVariant(0));
    again.reset();

    // With its cursors, a restart sends nothing at all.
    const QVariant lastWrite =
        m_server.query(QStringLiteral("SELECT max(updated_at)::text FROM readings"), m_database);
    auto restarted = sync();
    restarted->start();
    settle(*restarted);
    Append(DayFile(), {Line(1201)});
    restarted->dayFileChanged(DayFile());
    settle(*restarted);
    QCOMPARE(count(), QVariant(1201));
    QCOMPARE(count(QStringLiteral("updated_at <= CAST('") + lastWrite.toString() +
                   QStringLiteral("' AS timestamptz)")),
             QVariant(1200));
}

void TestCentralPg::serverStoppedMidFloodGetsEveryReadingOnce()
{
    auto desk = sender();
    constexpr int kReadings = 900;
    for (int q = 1; q <= kReadings; ++q) {
        Append(DayFile(), {Line(q)});
        desk->dayFileChanged(DayFile());
        if (q == 300)
            m_server.stop();
        if (q == 600)
            QVERIFY2(m_server.start(), qPrintable(m_server.log()));
        if (q % 10 == 0)
            QCoreApplication::processEvents();
    }
    QTRY_COMPARE_WITH_TIMEOUT(desk->status(), (CentralStatus{CentralStatus::Link::Reachable, 0}),
                              20000);
    QCOMPARE(count(), QVariant(kReadings));
    QCOMPARE(m_server.query(QStringLiteral("SELECT count(DISTINCT quantity) FROM readings "
                                           "WHERE quantity BETWEEN 1 AND 900 AND NOT deleted"),
                            m_database),
             QVariant(kReadings));
}

void TestCentralPg::deskOfflineForTwoDaysCatchesUp()
{
    m_server.stop();
    Append(DayFile(kToday.addDays(-2)), Lines(1, 700));
    Append(DayFile(kToday.addDays(-1), 2), Lines(1, 40));
    Append(DayFile(), Lines(1, 3));
    auto desk = sender();
    QTRY_COMPARE_WITH_TIMEOUT(desk->status(),
                              (CentralStatus{CentralStatus::Link::Unreachable, 743}), 10000);
    QVERIFY2(m_server.start(), qPrintable(m_server.log()));
    QTRY_COMPARE_WITH_TIMEOUT(desk->status(), (CentralStatus{CentralStatus::Link::Reachable, 0}),
                              20000);
    QCOMPARE(m_server.query(QStringLiteral("SELECT string_agg(day::text || '/' || port || ':' || "
                                           "n, ' ' ORDER BY day) FROM (SELECT day, port, count(*) "
                                           "n FROM readings GROUP BY day, port) d"),
                            m_database),
             QVariant(QStringLiteral("2026-12-07/1:700 2026-12-08/2:40 2026-12-09/1:3")));
}

void TestCentralPg::twoDesksWriteAtOnce()
{
    // Two desks sharing this working folder's day files, each under its own name.
    auto a = sender(QStringLiteral("Entrance A"));
    auto b = sender(QStringLiteral("Entrance B"));
    for (qint64 q = 1; q <= 400; ++q) {
        Append(DayFile(), {Line(q)});
        a->dayFileChanged(DayFile());
        b->dayFileChanged(DayFile());
        if (q % 10 == 0)
            QCoreApplication::processEvents();
    }
    // "Up to date" is no proof here: it held before the last readings were looked at.
    const QString perDesk = QStringLiteral("SELECT string_agg(desk || ':' || n, ' ' ORDER BY desk)"
                                           " FROM (SELECT desk, count(*) n FROM current_readings"
                                           " GROUP BY desk) d");
    QTRY_COMPARE_WITH_TIMEOUT(m_server.query(perDesk, m_database),
                              QVariant(QStringLiteral("Entrance A:400 Entrance B:400")), 20000);
    const CentralStatus done{CentralStatus::Link::Reachable, 0};
    QTRY_COMPARE(a->status(), done);
    QTRY_COMPARE(b->status(), done);
    QCOMPARE(count(), QVariant(800));
}

void TestCentralPg::deletionsAreMarked()
{
    Append(DayFile(), Lines(1, 6));
    Append(DayFile(kToday, 2), Lines(1, 2));
    auto desk = sync();
    desk->start();
    settle(*desk);

    // Select Delete of 2…4: the day file is rewritten as 1, 2, 3 (old 1, 5, 6).
    QFile rewritten(DayFile());
    QVERIFY(rewritten.open(QIODevice::WriteOnly | QIODevice::Truncate));
    rewritten.write(
        "1,08:00:01,36.5C,24.5C\r\n2,08:00:05,36.5C,24.5C\r\n3,08:00:06,36.5C,24.5C\r\n");
    rewritten.close();
    desk->dayFileChanged(DayFile());
    // Delete All on the other port.
    QVERIFY(QFile::remove(DayFile(kToday, 2)));
    desk->dayFileChanged(DayFile(kToday, 2));
    settle(*desk);

    QCOMPARE(m_server.query(QStringLiteral("SELECT string_agg(port || '/' || quantity || '/' || "
                                           "to_char(taken_at, 'SS') || '/' || deleted, ' ' ORDER "
                                           "BY port, quantity) FROM readings"),
                            m_database),
             QVariant(QStringLiteral("1/1/01/false 1/2/05/false 1/3/06/false 1/4/04/true "
                                     "1/5/05/true 1/6/06/true 2/1/01/true 2/2/02/true")));
}

// A hung server (paused, as a dropped link looks) is cut off after the answer limit and shows
// as unreachable; the sender can be stopped meanwhile; once it answers, the readings arrive.
void TestCentralPg::hungServerIsCutOffAndCaughtUp()
{
    Append(DayFile(), Lines(1, 2));
    auto desk = sender(QStringLiteral("Entrance A"), 1000);
    QTRY_COMPARE(desk->status(), (CentralStatus{CentralStatus::Link::Reachable, 0}));

    m_server.pause(true);
    Append(DayFile(), Lines(3, 5));
    desk->dayFileChanged(DayFile());
    QTRY_COMPARE_WITH_TIMEOUT(desk->status(), (CentralStatus{CentralStatus::Link::Unreachable, 3}),
                              15000);
    desk.reset(); // stopping does not wait for the server

    desk = sender(QStringLiteral("Entrance A"), 1000);
    QTRY_COMPARE_WITH_TIMEOUT(desk->status().link, CentralStatus::Link::Unreachable, 15000);
    m_server.pause(false);
    QTRY_COMPARE_WITH_TIMEOUT(desk->status(), (CentralStatus{CentralStatus::Link::Reachable, 0}),
                              20000);
    QCOMPARE(count(QStringLiteral("NOT deleted")), QVariant(5));
}

QTEST_GUILESS_MAIN(TestCentralPg)
#include "tst_central_pg.moc"
