// The central store against a real PostgreSQL server (a private one, PgCluster): the schema made
// once, the password from the environment or the password file, readings arriving exactly once
// through resends, restarts, a server stopped in the middle of a flood, a desk offline for two
// days, two desks at once, deletions, and a server that hangs.
#include "centraljournal.h"
#include "centralreader.h"
#include "centralschema.h"
#include "centralsender.h"
#include "centralsync.h"
#include "fakecentralstore.h"
#include "pgcentralstore.h"
#include "pgcluster.h"
#include "records/dayrecords.h"
#include "workingfolder.h"

#include <QElapsedTimer>
#include <QSignalSpy>
#include <QTest>

#include <sys/socket.h>

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
    return DayRecords().dayFilePath(day, port);
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
    void selectDeleteKeepsTheRemovedAbnormalReading();
    void missingDayFilesAreNoDeletion();
    void installationsOfOneName();
    void upgradeFromVersionOne();
    void tls_data();
    void tls();
    void silentServerNeverHoldsTheWindow();
    void readOnlyDatabaseRecovers();
    void badRowsAreSetAsideAlone();
    void migrationLockOnlyToMigrate();
    void failedConnectionKeepsNoSocket();
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
             QVariant(QStringLiteral("1,2")));
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
    std::optional<CentralSettings> settings = ParseCentralSettings(
        url.arg(m_server.port()).arg(m_database), QStringLiteral("Entrance A"));
    QVERIFY(settings);
    settings->installation = QUuid::createUuid().toString(QUuid::WithoutBraces);
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
    // A password turned down, or none given, is told apart from a server out of reach; what
    // is shown keeps the server's words without its SQLSTATE or source location.
    QCOMPARE(store.passwordRefused(), !opens);
    if (!opens) {
        QVERIFY2(store.error().contains(QStringLiteral("password")), qPrintable(store.error()));
        QVERIFY2(!store.error().contains(QStringLiteral("28P01")) &&
                     !store.error().contains(QStringLiteral("LOCATION")),
                 qPrintable(store.error()));
    }
}

void TestCentralPg::resendsAndRestartsNeverDuplicate()
{
    Append(DayFile(), Lines(1, 1200));
    Append(DayRecords().warningFilePath(kToday), {Line(50, QStringLiteral("38.1C"))});
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
    QTRY_COMPARE_WITH_TIMEOUT(LinkAndWaiting(desk->status()),
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

// Deletions made with the program (in its journal): the removed readings stay, deleted, with
// their own time; the kept ones are current under their new numbers.
void TestCentralPg::deletionsAreMarked()
{
    Append(DayFile(), Lines(1, 6));
    Append(DayFile(kToday, 2), Lines(1, 2));
    auto desk = sync();
    desk->start();
    settle(*desk);

    // Select Delete of 2…4: the day file is rewritten as 1, 2, 3 (old 1, 5, 6).
    CentralJournal journal;
    const RecordRows after{{"1", "08:00:01", "36.5C", "24.5C"},
                           {"2", "08:00:05", "36.5C", "24.5C"},
                           {"3", "08:00:06", "36.5C", "24.5C"}};
    QVERIFY(journal.record(DayFile(), LoadRecordRows(DayFile()), after) > 0);
    QFile rewritten(DayFile());
    QVERIFY(rewritten.open(QIODevice::WriteOnly | QIODevice::Truncate));
    rewritten.write(
        "1,08:00:01,36.5C,24.5C\r\n2,08:00:05,36.5C,24.5C\r\n3,08:00:06,36.5C,24.5C\r\n");
    rewritten.close();
    desk->dayFileChanged(DayFile());
    // Delete All on the other port.
    QVERIFY(journal.record(DayFile(kToday, 2), {}, {}) > 0);
    QVERIFY(QFile::remove(DayFile(kToday, 2)));
    desk->dayFileChanged(DayFile(kToday, 2));
    settle(*desk);

    QCOMPARE(m_server.query(QStringLiteral("SELECT string_agg(port || '/' || quantity || '/' || "
                                           "to_char(taken_at, 'SS') || '/' || deleted, ' ' ORDER "
                                           "BY port, deleted, quantity) FROM readings"),
                            m_database),
             QVariant(QStringLiteral("1/1/01/false 1/2/05/false 1/3/06/false 1/2/02/true "
                                     "1/3/03/true 1/4/04/true 2/1/01/true 2/2/02/true")));
    QCOMPARE(desk->status().waiting, 0);
}

// Rows 1–3 sent, row 2 (39.9 °C, abnormal) removed with Select Delete.
void TestCentralPg::selectDeleteKeepsTheRemovedAbnormalReading()
{
    const QStringList before{Line(1), Line(2, QStringLiteral("39.9C")), Line(3)};
    Append(DayFile(), before);
    Append(DayRecords().warningFilePath(kToday), {Line(2, QStringLiteral("39.9C"))});
    auto desk = sync();
    desk->start();
    settle(*desk);

    const QString after = QStringLiteral("1,08:00:01,36.5C,24.5C\r\n2,08:00:03,36.5C,24.5C\r\n");
    QVERIFY(CentralJournal().record(
                DayFile(), LoadRecordRows(DayFile()),
                {Line(1).split(u','), QStringLiteral("2,08:00:03,36.5C,24.5C").split(u',')}) > 0);
    QFile file(DayFile());
    QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write(after.toUtf8());
    file.close();
    desk->dayFileChanged(DayFile());
    settle(*desk);
    QCOMPARE(m_server.query(QStringLiteral("SELECT string_agg(quantity || '/' || "
                                           "to_char(taken_at, 'SS') || '/' || value || '/' || "
                                           "abnormal || '/' || deleted, ' ' ORDER BY deleted, "
                                           "quantity) FROM readings"),
                            m_database),
             QVariant(QStringLiteral("1/01/36.5/false/false 2/03/36.5/false/false "
                                     "2/02/39.9/true/true")));
    QCOMPARE(m_server.query(QStringLiteral("SELECT count(*) FROM current_readings"), m_database),
             QVariant(2));
}

// A TempData renamed (a share not mounted, a folder archived) is no deletion: the server's rows
// stay current, and the pane says the files are missing.
void TestCentralPg::missingDayFilesAreNoDeletion()
{
    Append(DayFile(), Lines(1, 3));
    auto desk = sync();
    desk->start();
    settle(*desk);
    desk.reset();
    QVERIFY(QDir().rename(QStringLiteral("TempData"), QStringLiteral("TempData-archived")));
    auto restarted = sync();
    restarted->start();
    settle(*restarted);
    QCOMPARE(restarted->status().missing, 1);
    QCOMPARE(CentralStatusText(restarted->status(), Language::English),
             QStringLiteral("central: day files missing"));
    QCOMPARE(count(QStringLiteral("NOT deleted")), QVariant(3));

    // Back in place: nothing is sent, nothing is missing.
    restarted.reset();
    QVERIFY(QDir().rename(QStringLiteral("TempData-archived"), QStringLiteral("TempData")));
    auto back = sync();
    back->start();
    settle(*back);
    QCOMPARE(back->status(), (CentralStatus{CentralStatus::Link::Unknown, 0}));
}

// Two installations called alike keep their rows apart; the second is told. A desk renamed
// relabels its rows.
void TestCentralPg::installationsOfOneName()
{
    Append(DayFile(), Lines(1, 4));
    const auto desk = [this](const QString &installation, const QString &label) {
        CentralSettings settings = m_server.settings(label, m_database);
        settings.installation = installation;
        return std::make_unique<CentralSync>(
            std::make_unique<PgCentralStore>(settings),
            CentralCursors(installation + kCentralCursorFile, settings.identity()));
    };
    const QString first = QUuid::createUuid().toString(QUuid::WithoutBraces);
    const QString second = QUuid::createUuid().toString(QUuid::WithoutBraces);
    auto a = desk(first, QStringLiteral("Entrance"));
    a->start();
    settle(*a);
    QVERIFY(!a->status().nameShared);
    auto b = desk(second, QStringLiteral("Entrance"));
    b->start();
    settle(*b);
    QVERIFY(b->status().nameShared);
    QVERIFY(CentralStatusText(b->status(), Language::English)
                .contains(QStringLiteral("desk name used by another "
                                         "installation")));
    QCOMPARE(m_server.query(QStringLiteral("SELECT count(*) || '/' || count(DISTINCT installation) "
                                           "|| '/' || string_agg(DISTINCT desk, ',') FROM "
                                           "current_readings"),
                            m_database),
             QVariant(QStringLiteral("8/2/Entrance")));

    // The first renamed: its rows follow, and the names are no longer shared.
    a.reset();
    a = desk(first, QStringLiteral("Entrance North"));
    a->start();
    Append(DayFile(), {Line(5)});
    a->dayFileChanged(DayFile());
    settle(*a);
    QVERIFY(!a->status().nameShared);
    QCOMPARE(m_server.query(QStringLiteral("SELECT string_agg(desk || ':' || n, ' ' ORDER BY desk) "
                                           "FROM (SELECT desk, count(*) n FROM current_readings "
                                           "GROUP BY desk) d"),
                            m_database),
             QVariant(QStringLiteral("Entrance:4 Entrance North:5")));
}

// A server made by the earlier desks (version 1, rows keyed by the desk's name) is brought
// forward; the desk of that name takes its rows over, and sending again doubles none.
void TestCentralPg::upgradeFromVersionOne()
{
    m_server.query(QStringLiteral("CREATE TABLE schema_version (version integer PRIMARY KEY,"
                                  " applied_at timestamptz NOT NULL DEFAULT now())"),
                   m_database);
    for (const QString &statement : CentralMigrations().first())
        m_server.query(statement, m_database);
    m_server.query(QStringLiteral("INSERT INTO schema_version (version) VALUES (1)"), m_database);
    m_server.query(QStringLiteral("INSERT INTO readings (desk, port, day, quantity, taken_at, "
                                  "value, unit, environment, environment_unit, abnormal, deleted) "
                                  "SELECT 'Entrance A', 1, '2026-12-09', q, '2026-12-09 08:00:00'"
                                  "::timestamp + q * interval '1 s', 36.5, 'C', 24.5, 'C', false,"
                                  " false FROM generate_series(1, 3) q"),
                   m_database);
    Append(DayFile(), Lines(1, 4));
    auto desk = sync();
    desk->start();
    settle(*desk);
    QCOMPARE(desk->status(), (CentralStatus{CentralStatus::Link::Reachable, 0}));
    QCOMPARE(m_server.query(QStringLiteral("SELECT string_agg(version::text, ',' ORDER BY version)"
                                           " FROM schema_version"),
                            m_database),
             QVariant(QStringLiteral("1,2")));
    const QString mine = m_server.settings(QStringLiteral("Entrance A"), m_database).installation;
    QCOMPARE(m_server.query(QStringLiteral("SELECT count(*) || '/' || count(*) FILTER (WHERE "
                                           "installation = '%1') FROM readings")
                                .arg(mine),
                            m_database),
             QVariant(QStringLiteral("4/4")));
    QCOMPARE(m_server.query(QStringLiteral("SELECT string_agg(column_name, ',' ORDER BY "
                                           "ordinal_position) FROM information_schema.columns "
                                           "WHERE table_name = 'current_readings'"),
                            m_database),
             QVariant(QStringLiteral("desk,port,day,quantity,taken_at,value,unit,environment,"
                                     "environment_unit,abnormal,installation")));
}

void TestCentralPg::tls_data()
{
    QTest::addColumn<bool>("serverTls");
    QTest::addColumn<QString>("options");
    QTest::addColumn<QString>("why");
    QTest::newRow("verify-full, the server's CA")
        << true << QStringLiteral("sslmode=verify-full&sslrootcert=%1/ca.crt") << QString();
    QTest::newRow("verify-full, another CA")
        << true << QStringLiteral("sslmode=verify-full&sslrootcert=%1/other.crt")
        << QStringLiteral("certificate verify failed");
    QTest::newRow("require, a server without TLS") << false << QStringLiteral("sslmode=require")
                                                   << QStringLiteral("server does not support SSL");
}

// TLS as the url says: a server proven by the CA named is used over TLS; otherwise nothing is
// sent (the password included) and the status says why.
void TestCentralPg::tls()
{
    QFETCH(bool, serverTls);
    QFETCH(QString, options);
    QFETCH(QString, why);
    if (QStandardPaths::findExecutable(QStringLiteral("openssl")).isEmpty())
        QSKIP("openssl is not installed");
    QTemporaryDir keys;
    const auto openssl = [&keys](const QStringList &arguments) {
        QProcess process;
        process.setWorkingDirectory(keys.path());
        process.setProcessChannelMode(QProcess::MergedChannels);
        process.start(QStringLiteral("openssl"), arguments);
        process.waitForFinished(60000);
        return process.exitCode() == 0 ? QString() : QString::fromLocal8Bit(process.readAll());
    };
    const QStringList ec{QStringLiteral("-newkey"), QStringLiteral("ec"),
                         QStringLiteral("-pkeyopt"), QStringLiteral("ec_paramgen_curve:prime256v1"),
                         QStringLiteral("-nodes")};
    for (const QString &ca : {QStringLiteral("ca"), QStringLiteral("other")}) {
        const QString failed =
            openssl(QStringList{QStringLiteral("req"), QStringLiteral("-x509")} + ec +
                    QStringList{QStringLiteral("-keyout"), ca + QStringLiteral(".key"),
                                QStringLiteral("-out"), ca + QStringLiteral(".crt"),
                                QStringLiteral("-days"), QStringLiteral("2"),
                                QStringLiteral("-subj"), QStringLiteral("/CN=Kestrim test ") + ca});
        QVERIFY2(failed.isEmpty(), qPrintable(failed));
    }
    QFile extensions(keys.filePath(QStringLiteral("san.ext")));
    QVERIFY(extensions.open(QIODevice::WriteOnly));
    extensions.write("subjectAltName=IP:127.0.0.1\n");
    extensions.close();
    QString failed = openssl(QStringList{QStringLiteral("req")} + ec +
                             QStringList{QStringLiteral("-keyout"), QStringLiteral("server.key"),
                                         QStringLiteral("-out"), QStringLiteral("server.csr"),
                                         QStringLiteral("-subj"), QStringLiteral("/CN=127.0.0.1")});
    QVERIFY2(failed.isEmpty(), qPrintable(failed));
    failed = openssl({QStringLiteral("x509"), QStringLiteral("-req"), QStringLiteral("-in"),
                      QStringLiteral("server.csr"), QStringLiteral("-CA"), QStringLiteral("ca.crt"),
                      QStringLiteral("-CAkey"), QStringLiteral("ca.key"),
                      QStringLiteral("-CAcreateserial"), QStringLiteral("-out"),
                      QStringLiteral("server.crt"), QStringLiteral("-days"), QStringLiteral("2"),
                      QStringLiteral("-extfile"), QStringLiteral("san.ext")});
    QVERIFY2(failed.isEmpty(), qPrintable(failed));

    PgCluster tlsServer;
    PgCluster &server = serverTls ? tlsServer : m_server;
    QString database = m_database;
    if (serverTls) {
        const auto bytes = [&keys](const QString &name) {
            QFile file(keys.filePath(name));
            return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
        };
        const QString cert =
            tlsServer.serverFile(QStringLiteral("server.crt"), bytes(QStringLiteral("server.crt")));
        const QString key =
            tlsServer.serverFile(QStringLiteral("server.key"), bytes(QStringLiteral("server.key")));
        tlsServer.setOptions({QStringLiteral("ssl=on"), QStringLiteral("ssl_cert_file=") + cert,
                              QStringLiteral("ssl_key_file=") + key});
        QVERIFY2(tlsServer.start(), qPrintable(tlsServer.log()));
        database = QStringLiteral("records");
        tlsServer.query(QStringLiteral("CREATE DATABASE records"));
    }
    QString problem;
    std::optional<CentralSettings> settings = ParseCentralSettings(
        QStringLiteral("postgresql://kestrim@127.0.0.1:%1/%2?").arg(server.port()).arg(database) +
            options.arg(keys.path()),
        QStringLiteral("Entrance A"), &problem);
    QVERIFY2(settings, qPrintable(problem));
    settings->installation = QUuid::createUuid().toString(QUuid::WithoutBraces);
    qputenv("PGPASSWORD", PgCluster::kPassword.toUtf8());
    Append(DayFile(), Lines(1, 3));
    CentralSync desk(std::make_unique<PgCentralStore>(*settings),
                     CentralCursors(kCentralCursorFile, settings->identity()),
                     CentralBackoff(50, 400));
    desk.start();
    if (why.isEmpty()) {
        QTRY_COMPARE(desk.status(), (CentralStatus{CentralStatus::Link::Reachable, 0}));
        QCOMPARE(server.query(QStringLiteral("SELECT count(*) FROM readings"), database),
                 QVariant(3));
    } else {
        QTRY_COMPARE(desk.status().link, CentralStatus::Link::Unreachable);
        QVERIFY2(CentralStatusText(desk.status(), Language::English).contains(why),
                 qPrintable(CentralStatusText(desk.status(), Language::English)));
        QCOMPARE(desk.status().waiting, 3);
        // Not even the tables were made: nothing reached the server.
        QCOMPARE(server.query(QStringLiteral("SELECT to_regclass('readings') IS NULL"), database),
                 QVariant(true));
    }
    qunsetenv("PGPASSWORD");
}

// A server that accepts the connection and never answers: the sender and the history's reader
// give up on it, and letting go of them (closing the windows) takes well under a second.
void TestCentralPg::silentServerNeverHoldsTheWindow()
{
    QTcpServer silent;
    QVERIFY(silent.listen(QHostAddress::LocalHost));
    CentralSettings settings = m_server.settings(QStringLiteral("Entrance A"), m_database);
    settings.host = QStringLiteral("127.0.0.1");
    settings.port = silent.serverPort();
    settings.answerLimitMs = 60000;
    Append(DayFile(), Lines(1, 2));
    auto sender =
        std::make_unique<CentralSender>(std::make_unique<PgCentralStore>(settings),
                                        CentralCursors(kCentralCursorFile, settings.identity()));
    auto reader = std::make_unique<CentralReader>(settings);
    reader->readDays();
    // Both connect and wait for the answer (the connections stay open, unanswered).
    for (int accepted = 0; accepted < 2;) {
        if (silent.hasPendingConnections())
            accepted += silent.nextPendingConnection() ? 1 : 0;
        else
            QVERIFY(silent.waitForNewConnection(10000));
    }
    QTest::qWait(300);
    QElapsedTimer closing;
    closing.start();
    sender.reset();
    reader.reset();
    QVERIFY2(closing.elapsed() < 1000, qPrintable(QString::number(closing.elapsed())));

    // With a short limit, the silence counts as unreachable.
    settings.answerLimitMs = 1000;
    CentralSync desk(std::make_unique<PgCentralStore>(settings),
                     CentralCursors(kCentralCursorFile, settings.identity()),
                     CentralBackoff(60000, 60000));
    desk.start();
    QTRY_COMPARE(desk.status().link, CentralStatus::Link::Unreachable);
    QVERIFY2(desk.status().reason.contains(QStringLiteral("did not answer")),
             qPrintable(desk.status().reason));
}

// A database made read-only (SQLSTATE 25006) keeps the readings waiting, tried again; once
// writable again they arrive without anything changing on the desk.
void TestCentralPg::readOnlyDatabaseRecovers()
{
    auto desk = sender();
    QTRY_COMPARE(desk->status().link, CentralStatus::Link::Unknown);
    Append(DayFile(), Lines(1, 1));
    desk->dayFileChanged(DayFile());
    QTRY_COMPARE(desk->status(), (CentralStatus{CentralStatus::Link::Reachable, 0}));
    m_server.query(
        QStringLiteral("ALTER DATABASE %1 SET default_transaction_read_only = on").arg(m_database));
    m_server.query(QStringLiteral("SELECT pg_terminate_backend(pid) FROM pg_stat_activity WHERE "
                                  "application_name LIKE 'kestrim%'"));
    Append(DayFile(), Lines(2, 3));
    desk->dayFileChanged(DayFile());
    QTRY_COMPARE_WITH_TIMEOUT(desk->status().link, CentralStatus::Link::Refusing, 10000);
    QVERIFY2(desk->status().reason.contains(QStringLiteral("read-only")),
             qPrintable(desk->status().reason));
    QCOMPARE(desk->status().waiting, 2);
    m_server.query(QStringLiteral("ALTER DATABASE %1 SET default_transaction_read_only = off")
                       .arg(m_database));
    QTRY_COMPARE_WITH_TIMEOUT(desk->status(), (CentralStatus{CentralStatus::Link::Reachable, 0}),
                              10000);
    QCOMPARE(count(), QVariant(3));
}

// A line with full-width digits is no reading (not a failed file); a reading the server refuses
// as data (here a rule added to the table) is set aside alone and reported.
void TestCentralPg::badRowsAreSetAsideAlone()
{
    Append(DayFile(), {Line(1), QStringLiteral("2,08:00:02,３６.5C,24.5C"), Line(3),
                       Line(4, QStringLiteral("99.9C")), Line(5)});
    auto first = sync();
    first->start();
    settle(*first);
    first.reset();
    m_server.query(QStringLiteral("DELETE FROM readings"), m_database);
    m_server.query(QStringLiteral("ALTER TABLE readings ADD CONSTRAINT plausible CHECK (value < 60"
                                  " OR unit <> 'C')"),
                   m_database);
    QVERIFY(QFile::remove(kCentralCursorFile));
    auto desk = sync();
    desk->start();
    settle(*desk);
    QCOMPARE(m_server.query(QStringLiteral("SELECT string_agg(quantity::text, ',' ORDER BY "
                                           "quantity) FROM readings"),
                            m_database),
             QVariant(QStringLiteral("1,3,5")));
    QCOMPARE(desk->status().setAside, 1);
    QCOMPARE(desk->status().waiting, 0);
    QCOMPARE(CentralStatusText(desk->status(), Language::English),
             QStringLiteral("central: 1 reading refused"));
}

// A desk whose schema is current never waits for the migration lock; one that must migrate
// waits for it a few seconds at most.
void TestCentralPg::migrationLockOnlyToMigrate()
{
    {
        PgCentralStore store(m_server.settings(QStringLiteral("Entrance A"), m_database));
        QVERIFY(store.open());
    }
    m_server.query(QStringLiteral("CREATE DATABASE fresh_") + m_database);
    const QString holder = QStringLiteral("lock holder");
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QPSQL"), holder);
        db.setHostName(m_server.sockets());
        db.setPort(m_server.port());
        db.setUserName(PgCluster::kUser);
        db.setDatabaseName(QStringLiteral("postgres"));
        QVERIFY(db.open());
        QSqlQuery lock(db);
        QVERIFY(lock.exec(QStringLiteral("SELECT pg_advisory_lock(%1)").arg(0x4b657374726dLL)));
        QElapsedTimer timer;
        timer.start();
        PgCentralStore current(m_server.settings(QStringLiteral("Entrance B"), m_database));
        QVERIFY2(current.open(), qPrintable(current.error()));
        QVERIFY(timer.elapsed() < 3000);
        db.close();
    }
    QSqlDatabase::removeDatabase(holder);
}

// Connections that failed leave no socket number behind: letting go of the connection never
// touches a socket that took the number since.
void TestCentralPg::failedConnectionKeepsNoSocket()
{
    PgConnection connection(m_server.settings(QStringLiteral("Entrance A"), m_database),
                            QStringLiteral("sender"));
    QVERIFY(connection.open());
    QVERIFY(connection.socket() >= 0);
    m_server.stop();
    QVERIFY(!connection.run(QStringLiteral("SELECT 1")));
    QCOMPARE(connection.socket(), -1);
    QVERIFY(!connection.open());
    QCOMPARE(connection.socket(), -1);
    int pair[2];
    QCOMPARE(::socketpair(AF_UNIX, SOCK_STREAM, 0, pair), 0);
    connection.abort();
    connection.close();
    QCOMPARE(::write(pair[0], "x", 1), ssize_t(1));
    char c = 0;
    QCOMPARE(::read(pair[1], &c, 1), ssize_t(1));
    ::close(pair[0]);
    ::close(pair[1]);
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
    QTRY_COMPARE_WITH_TIMEOUT(LinkAndWaiting(desk->status()),
                              (CentralStatus{CentralStatus::Link::Unreachable, 3}), 15000);
    desk.reset(); // stopping does not wait for the server

    desk = sender(QStringLiteral("Entrance A"), 1000);
    QTRY_COMPARE_WITH_TIMEOUT(desk->status().link, CentralStatus::Link::Unreachable, 15000);
    m_server.pause(false);
    QTRY_COMPARE_WITH_TIMEOUT(desk->status(), (CentralStatus{CentralStatus::Link::Reachable, 0}),
                              20000);
    QCOMPARE(count(QStringLiteral("NOT deleted")), QVariant(5));
}

QTEST_GUILESS_MAIN(TestCentralPg)
#include "tst_central_pg_posix.moc"
