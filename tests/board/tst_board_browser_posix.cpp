// kestrim-board in a real browser: a private PostgreSQL with desks sending through the real
// sending logic, the board as its own program reading as a role granted SELECT on the view
// alone, and the page in headless Chromium. The page shows the desks and the abnormal readings,
// takes in a new abnormal reading without a reload, speaks Chinese when asked, shows a hostile
// desk name as text, says when the records server or the board is gone and recovers, and fits
// a phone. Skipped without PostgreSQL 15 or Chromium.
//
// KESTRIM_BOARD_SCREENSHOTS=<folder> keeps screenshots of the page there (English, Chinese, a
// phone).
#include "boarddesks.h"
#include "headlesschromium.h"

#include <QElapsedTimer>
#include <QJsonArray>
#include <QRegularExpression>

namespace {

const QString kHostile = QStringLiteral("<img src=x onerror=alert(1)>");
const QString kReader = QStringLiteral("board_reader");
const QString kReaderPassword = QStringLiteral("board-pw");
const QDate kEarlier(2026, 1, 15);

// Every row of a table of the page, as the texts of its cells.
const QString kRows =
    QStringLiteral("JSON.stringify([...document.querySelectorAll('%1 tbody tr')].map("
                   "r => [...r.cells].map(c => c.textContent)))");

QJsonArray Rows(HeadlessChromium &browser, const QString &table)
{
    return QJsonDocument::fromJson(browser.evaluate(kRows.arg(table)).toString().toUtf8()).array();
}

QString Clock(const QDateTime &at)
{
    return at.toString(QStringLiteral("HH:mm:ss"));
}

} // namespace

class TestBoardBrowser : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanupTestCase();
    void showsDesksAndAbnormalReadings();
    void hostileNameIsText();
    void newAbnormalReadingArrivesWithoutReload();
    void earlierDayFromThePicker();
    void language_data();
    void language();
    void recordsServerStoppedAndRestarted();
    void boardStoppedAndRestarted();
    void fitsAPhone();

private:
    bool startBoard(int port = 0);
    QString page(const QString &query = {}) const
    {
        return QStringLiteral("http://127.0.0.1:%1/%2").arg(m_port).arg(query);
    }
    void keepScreenshot(const QString &name);

    PgCluster m_server;
    std::unique_ptr<BoardDesks> m_desks;
    QProcess m_board;
    int m_port = 0;
    HeadlessChromium m_browser;
    QDateTime m_start;
};

void TestBoardBrowser::initTestCase()
{
    if (PgCluster::programs().isEmpty())
        QSKIP("PostgreSQL 15 is not installed (postgresql-15): the board's browser tests are "
              "skipped");
    if (HeadlessChromium::program().isEmpty())
        QSKIP("Chromium is not installed (chromium): the board's browser tests are skipped");
    // Today's readings reach 20 minutes back, and the page is today's.
    if (QTime::currentTime() < QTime(0, 25))
        QSKIP("the first 25 minutes of a day have no room for today's readings of 20 minutes "
              "ago: the board's browser tests are skipped until 00:25");
    QVERIFY2(m_server.start(), qPrintable(m_server.log()));
    m_server.query(QStringLiteral("CREATE DATABASE board"));
    m_desks = std::make_unique<BoardDesks>(m_server, QStringLiteral("board"));

    // Two desks, one of them with a second port that went quiet, one reading in °F, and a
    // desk whose name is markup.
    m_start = QDateTime::currentDateTime();
    const QDateTime start = m_start;
    QVERIFY(m_desks->write(QStringLiteral("Entrance A"), 2, start.addSecs(-20 * 60),
                           {QStringLiteral("36.4C"), QStringLiteral("36.6C")}, {false, false}));
    QVERIFY(
        m_desks->write(QStringLiteral("Entrance A"), 1, start.addSecs(-120),
                       {QStringLiteral("36.5C"), QStringLiteral("38.2C"), QStringLiteral("36.7C")},
                       {false, true, false}));
    QVERIFY(m_desks->write(QStringLiteral("Entrance A"), 1, QDateTime(kEarlier, QTime(9, 0)),
                           {QStringLiteral("36.5C"), QStringLiteral("99.9F")}, {false, true}));
    QVERIFY(m_desks->send(QStringLiteral("Entrance A")));
    QVERIFY(m_desks->write(QStringLiteral("Hall B"), 1, start.addSecs(-60),
                           {QStringLiteral("97.7F"), QStringLiteral("100.4F")}, {false, true}));
    QVERIFY(m_desks->send(QStringLiteral("Hall B")));
    QVERIFY(m_desks->record(kHostile, 3, start.addSecs(-30), QStringLiteral("39.0C"), true));

    // The board's role may read the view and nothing else.
    m_server.query(
        QStringLiteral("CREATE ROLE %1 LOGIN PASSWORD '%2'").arg(kReader, kReaderPassword));
    m_server.query(QStringLiteral("GRANT SELECT ON current_readings TO ") + kReader,
                   QStringLiteral("board"));
    QVERIFY(startBoard());
    QVERIFY2(m_browser.start(), qPrintable(m_browser.error() + m_browser.log()));
}

void TestBoardBrowser::init()
{
    m_browser.setAcceptLanguage(QStringLiteral("en-US,en"));
    m_browser.setViewport(1280, 900, false);
}

void TestBoardBrowser::cleanupTestCase()
{
    m_browser.stop();
    if (m_board.state() != QProcess::NotRunning) {
        m_board.terminate();
        QVERIFY(m_board.waitForFinished(10000));
        QCOMPARE(m_board.exitCode(), 0);
    }
}

bool TestBoardBrowser::startBoard(int port)
{
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("PGPASSWORD"), kReaderPassword);
    environment.insert(QStringLiteral("PGPASSFILE"), QStringLiteral("/nonexistent"));
    m_board.setProcessEnvironment(environment);
    m_board.setProcessChannelMode(QProcess::SeparateChannels);
    m_board.start(
        QStringLiteral(KESTRIM_BOARD_PROGRAM),
        {QStringLiteral("--url"),
         QStringLiteral("postgresql://%1@127.0.0.1:%2/board").arg(kReader).arg(m_server.port()),
         QStringLiteral("--listen"), QStringLiteral("127.0.0.1:%1").arg(port)});
    if (!m_board.waitForStarted(10000))
        return false;
    static const QRegularExpression where(QStringLiteral("http://127\\.0\\.0\\.1:(\\d+)/"));
    QByteArray said;
    const QDeadlineTimer deadline(10000);
    while (!where.match(QString::fromUtf8(said)).hasMatch() && !deadline.hasExpired() &&
           m_board.state() == QProcess::Running) {
        m_board.waitForReadyRead(100);
        said += m_board.readAllStandardOutput();
    }
    const QRegularExpressionMatch match = where.match(QString::fromUtf8(said));
    if (!match.hasMatch()) {
        qWarning() << "kestrim-board said" << said << m_board.readAllStandardError();
        return false;
    }
    m_port = match.captured(1).toInt();
    return true;
}

void TestBoardBrowser::keepScreenshot(const QString &name)
{
    const QString folder = qEnvironmentVariable("KESTRIM_BOARD_SCREENSHOTS");
    if (folder.isEmpty())
        return;
    QDir().mkpath(folder);
    QFile file(folder + u'/' + name + QStringLiteral(".png"));
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(m_browser.screenshot());
}

void TestBoardBrowser::showsDesksAndAbnormalReadings()
{
    QVERIFY(m_browser.navigate(page(QStringLiteral("?lang=en"))));
    QVERIFY2(m_browser.waitFor(
                 QStringLiteral("document.querySelectorAll('#desks tbody tr').length >= 4")),
             qPrintable(m_browser.error()));
    const QDateTime start = m_start;
    // By name and port; the port that sent nothing for 20 minutes is quiet.
    const QJsonArray desks = Rows(m_browser, QStringLiteral("#desks"));
    const QJsonArray expectedDesks{
        QJsonArray{kHostile, "COM3", "1", "1", Clock(start.addSecs(-30)), "sending"},
        QJsonArray{"Entrance A", "COM1", "3", "1", Clock(start.addSecs(-118)), "sending"},
        QJsonArray{"Entrance A", "COM2", "2", "0", Clock(start.addSecs(-20 * 60 + 1)), "quiet"},
        QJsonArray{"Hall B", "COM1", "2", "1", Clock(start.addSecs(-59)), "sending"},
    };
    QCOMPARE(desks, expectedDesks);
    // Newest first, in the reading's own unit and in °C.
    const QJsonArray abnormal = Rows(m_browser, QStringLiteral("#abnormal"));
    const QJsonArray expectedAbnormal{
        QJsonArray{Clock(start.addSecs(-30)), kHostile, "COM3", "39.0°C", "39.0"},
        QJsonArray{Clock(start.addSecs(-59)), "Hall B", "COM1", "100.4°F", "38.0"},
        QJsonArray{Clock(start.addSecs(-119)), "Entrance A", "COM1", "38.2°C", "38.2"},
    };
    QCOMPARE(abnormal, expectedAbnormal);
    QCOMPARE(m_browser.evaluate(QStringLiteral("document.getElementById('banner').hidden")),
             QJsonValue(true));
    keepScreenshot(QStringLiteral("board-en"));
}

void TestBoardBrowser::hostileNameIsText()
{
    QVERIFY(m_browser.navigate(page()));
    QVERIFY(m_browser.waitFor(
        QStringLiteral("[...document.querySelectorAll('td.desk')].some(c => c.textContent === %1)")
            .arg(HeadlessChromium::Quoted(kHostile))));
    // Shown as text in both tables, and no element was made of it.
    QCOMPARE(m_browser.evaluate(QStringLiteral("[...document.querySelectorAll('td.desk')].filter(c "
                                               "=> c.textContent === %1).length")
                                    .arg(HeadlessChromium::Quoted(kHostile))),
             QJsonValue(2));
    QCOMPARE(
        m_browser.evaluate(QStringLiteral("document.querySelectorAll('img, [onerror]').length")),
        QJsonValue(0));
    QCOMPARE(m_browser.evaluate(QStringLiteral(
                 "[...document.querySelectorAll('td.desk')].every(c => c.children.length === 0)")),
             QJsonValue(true));
}

void TestBoardBrowser::newAbnormalReadingArrivesWithoutReload()
{
    QVERIFY(m_browser.navigate(page()));
    QVERIFY(m_browser.waitFor(
        QStringLiteral("document.querySelectorAll('#abnormal tbody tr').length >= 3")));
    const int before =
        m_browser.evaluate(QStringLiteral("document.querySelectorAll('#abnormal tbody tr').length"))
            .toInt();
    // A reload would lose this.
    m_browser.evaluate(QStringLiteral("window.keptAcrossUpdates = 42"));
    const QDateTime at = QDateTime::currentDateTime();
    QVERIFY(m_desks->record(QStringLiteral("Hall B"), 1, at, QStringLiteral("101.3F"), true));
    QElapsedTimer shown;
    shown.start();
    QVERIFY2(m_browser.waitFor(QStringLiteral(
                 "(r => r && r.cells[1].textContent === 'Hall B' && r.cells[3].textContent === "
                 "'101.3°F')(document.querySelector('#abnormal tbody tr'))")),
             qPrintable(m_browser.error()));
    qInfo("the new abnormal reading was on the page %lld ms after the server had it",
          shown.elapsed());
    QCOMPARE(m_browser.evaluate(
                 QStringLiteral("document.querySelectorAll('#abnormal tbody tr').length")),
             QJsonValue(before + 1));
    QCOMPARE(m_browser.evaluate(
                 QStringLiteral("document.querySelector('#abnormal tbody tr').className")),
             QJsonValue(QStringLiteral("new")));
    QCOMPARE(m_browser.evaluate(QStringLiteral("window.keptAcrossUpdates")), QJsonValue(42));
    QCOMPARE(Rows(m_browser, QStringLiteral("#abnormal"))[0].toArray()[4], QJsonValue("38.5"));
}

void TestBoardBrowser::earlierDayFromThePicker()
{
    QVERIFY(m_browser.navigate(page(QStringLiteral("?lang=en"))));
    QVERIFY(m_browser.waitFor(
        QStringLiteral("document.querySelectorAll('#desks tbody tr').length >= 4")));
    m_browser.evaluate(QStringLiteral("(p => { p.value = '2026-01-15'; "
                                      "p.dispatchEvent(new Event('change')); })"
                                      "(document.getElementById('day'))"));
    QVERIFY2(
        m_browser.waitFor(QStringLiteral(
            "location.search === '?lang=en&day=2026-01-15' && document.readyState === "
            "'complete' && document.getElementById('desks-title').textContent === "
            "'Desks on 2026-01-15' && document.querySelectorAll('#desks tbody tr').length === 1")),
        qPrintable(m_browser.error()));
    // That day's facts, and no "quiet" on a day that is over.
    QCOMPARE(Rows(m_browser, QStringLiteral("#desks")),
             (QJsonArray{QJsonArray{"Entrance A", "COM1", "2", "1", "09:00:01", ""}}));
    QCOMPARE(Rows(m_browser, QStringLiteral("#abnormal")),
             (QJsonArray{QJsonArray{"09:00:01", "Entrance A", "COM1", "99.9°F", "37.7"}}));
    QCOMPARE(m_browser.evaluate(QStringLiteral("document.getElementById('day').value")),
             QJsonValue(QStringLiteral("2026-01-15")));
}

void TestBoardBrowser::language_data()
{
    QTest::addColumn<QString>("query");
    QTest::addColumn<QString>("acceptLanguage");
    QTest::addColumn<QString>("htmlLang");
    QTest::addColumn<QString>("deskHeader");
    QTest::newRow("?lang=zh") << "?lang=zh"
                              << "en-US,en"
                              << "zh-CN"
                              << "测温台";
    QTest::newRow("browser prefers Chinese") << ""
                                             << "zh-CN,zh;q=0.9,en;q=0.8"
                                             << "zh-CN"
                                             << "测温台";
    QTest::newRow("?lang=en over the browser") << "?lang=en"
                                               << "zh-CN,zh"
                                               << "en"
                                               << "Desk";
    QTest::newRow("browser prefers English") << ""
                                             << "en-GB,zh;q=0.5"
                                             << "en"
                                             << "Desk";
}

void TestBoardBrowser::language()
{
    QFETCH(QString, query);
    QFETCH(QString, acceptLanguage);
    QFETCH(QString, htmlLang);
    QFETCH(QString, deskHeader);
    m_browser.setAcceptLanguage(acceptLanguage);
    QVERIFY(m_browser.navigate(page(query)));
    QVERIFY(m_browser.waitFor(
        QStringLiteral("document.querySelectorAll('#desks tbody tr').length >= 4")));
    QCOMPARE(m_browser.evaluate(QStringLiteral("document.documentElement.lang")),
             QJsonValue(htmlLang));
    QCOMPARE(m_browser.evaluate(QStringLiteral("document.querySelector('#desks th').textContent")),
             QJsonValue(deskHeader));
    if (htmlLang == QStringLiteral("zh-CN")) {
        // The quiet port in Chinese too.
        QVERIFY(m_browser.evaluate(QStringLiteral("document.body.innerText"))
                    .toString()
                    .contains(QStringLiteral("静默")));
        if (query.isEmpty())
            return;
        keepScreenshot(QStringLiteral("board-zh"));
    }
}

void TestBoardBrowser::recordsServerStoppedAndRestarted()
{
    QVERIFY(m_browser.navigate(page()));
    QVERIFY(m_browser.waitFor(
        QStringLiteral("document.querySelectorAll('#desks tbody tr').length >= 4")));
    const QString bannerShown =
        QStringLiteral("!document.getElementById('banner').hidden && "
                       "document.getElementById('banner').textContent.includes(%1)");
    m_server.stop();
    QVERIFY2(m_browser.waitFor(bannerShown.arg(HeadlessChromium::Quoted(
                                   QStringLiteral("The records server cannot be reached"))),
                               15000),
             qPrintable(m_browser.error()));
    // What was read last stays on the page.
    QVERIFY(
        m_browser
            .evaluate(QStringLiteral("document.querySelectorAll('#desks tbody tr').length >= 4"))
            .toBool());
    keepScreenshot(QStringLiteral("board-server-down"));

    QVERIFY2(m_server.start(), qPrintable(m_server.log()));
    QVERIFY2(m_browser.waitFor(QStringLiteral("document.getElementById('banner').hidden"), 20000),
             qPrintable(m_browser.error()));
    QVERIFY(m_desks->record(QStringLiteral("Entrance A"), 1, QDateTime::currentDateTime(),
                            QStringLiteral("38.9C"), true));
    QVERIFY(m_browser.waitFor(QStringLiteral(
        "document.querySelector('#abnormal tbody tr').cells[3].textContent === '38.9°C'")));
}

void TestBoardBrowser::boardStoppedAndRestarted()
{
    QVERIFY(m_browser.navigate(page()));
    QVERIFY(m_browser.waitFor(
        QStringLiteral("document.querySelectorAll('#desks tbody tr').length >= 4")));
    m_board.terminate();
    QVERIFY(m_board.waitForFinished(10000));
    QCOMPARE(m_board.exitStatus(), QProcess::NormalExit);
    QCOMPARE(m_board.exitCode(), 0);
    QVERIFY(m_browser.waitFor(QStringLiteral(
        "!document.getElementById('banner').hidden && "
        "document.getElementById('banner').textContent.includes('The board cannot be reached')")));
    QVERIFY(startBoard(m_port));
    QVERIFY2(m_browser.waitFor(QStringLiteral("document.getElementById('banner').hidden"), 15000),
             qPrintable(m_browser.error()));
}

void TestBoardBrowser::fitsAPhone()
{
    QVERIFY(m_browser.setViewport(390, 844, true));
    QVERIFY(m_browser.navigate(page(QStringLiteral("?lang=zh"))));
    QVERIFY(m_browser.waitFor(
        QStringLiteral("document.querySelectorAll('#desks tbody tr').length >= 4")));
    QCOMPARE(m_browser.evaluate(QStringLiteral("window.innerWidth")), QJsonValue(390));
    // Nothing wider than the screen, and each row a card with its column's names.
    QCOMPARE(m_browser.evaluate(
                 QStringLiteral("document.documentElement.scrollWidth <= window.innerWidth")),
             QJsonValue(true));
    QCOMPARE(m_browser.evaluate(
                 QStringLiteral("getComputedStyle(document.querySelector('#desks tr')).display")),
             QJsonValue(QStringLiteral("block")));
    keepScreenshot(QStringLiteral("board-phone"));
}

QTEST_GUILESS_MAIN(TestBoardBrowser)
#include "tst_board_browser_posix.moc"
