// The central store through the window, on the offscreen platform against a private
// PostgreSQL server: off without [central]; readings reaching the server with the status pane
// saying so, in both languages; the window storing and listing readings while the server hangs;
// Delete All mirrored, and not when the file could not be removed; the history's "All desks"
// showing two desks' readings.
#include "centraljournal.h"
#include "centralsync.h"
#include "controls/fonts.h"
#include "fakecentralstore.h"
#include "historywindow/historywindow.h"
#include "manualclock.h"
#include "pgcentralstore.h"
#include "pgcluster.h"
#include "reception/frame.h"
#include "recordingprompts.h"
#include "records/dayrecords.h"
#include "records/filesharing.h"
#include "window/ckestrimdlg.h"
#include "window/panestatusbar.h"
#include "windowtesting.h"
#include "workingfolder.h"

#include <QAbstractButton>
#include <QAction>
#include <QCheckBox>
#include <QElapsedTimer>
#include <QLabel>
#include <QListWidget>
#include <QRegularExpression>
#include <QScopeGuard>
#include <QTableView>
#include <QTcpServer>
#include <QTest>

namespace {

const QDate kToday(2026, 12, 9);

// Celsius, body mode, alarm limit 37.5 °C, R9 Pro fields.
QByteArray ReportFrame()
{
    return BuildFrame(FrameCode::Settings, QByteArray::fromHex("0001770102000001"));
}

QByteArray ReadingFrame(int tenths)
{
    const char value[] = {char(tenths & 0xFF), char(tenths >> 8)};
    return BuildFrame(FrameCode::Measurement, QByteArray(value, 2));
}

} // namespace

class TestCentralWindow : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();
    void offWithoutAServer();
    void readingsReachTheServerAndThePaneSaysSo();
    void windowGoesOnWhileTheServerHangs();
    void closingWithASilentServerIsImmediate();
    void refusedUrlIsShownInThePane();
    void deleteAllIsMirrored();
    void deleteAllOfAHeldFileKeepsTheServersRows();
    void allDesksShowsEveryDesk();

private:
    void needServer();
    void writeIni(const QString &desk = QStringLiteral("Entrance A"));
    void openWindow();
    void reading(int second, int tenths);
    void openWithTwoReadingsSent();
    QString pane() const { return m_window->findChild<PaneStatusBar *>()->paneText(6); }
    QVariant count(const QString &where = QStringLiteral("NOT deleted"));

    PgCluster m_server;
    bool m_serverUp = false;
    QString m_database;
    int m_databases = 0;
    // Central stores the window made: one for each sender it started.
    int m_storesMade = 0;
    std::unique_ptr<WorkingFolder> m_dir;
    std::shared_ptr<ManualClock> m_clock;
    std::shared_ptr<RecordingPrompts> m_prompts;
    std::unique_ptr<CKestrimDlg> m_window;
};

void TestCentralWindow::initTestCase()
{
    InstallFontSubstitutes();
    if (!PgCluster::programs().isEmpty()) {
        m_serverUp = m_server.start();
        QVERIFY2(m_serverUp, qPrintable(m_server.log()));
    }
}

void TestCentralWindow::init()
{
    m_dir = std::make_unique<WorkingFolder>();
    QVERIFY(m_dir->isValid());
    m_clock = std::make_shared<ManualClock>(QDateTime(kToday, QTime(8, 30)));
    m_prompts = std::make_shared<RecordingPrompts>();
    m_storesMade = 0;
    if (m_serverUp) {
        m_database = QStringLiteral("records_%1").arg(++m_databases);
        m_server.query(QStringLiteral("CREATE DATABASE ") + m_database);
    }
}

void TestCentralWindow::cleanup()
{
    m_window.reset();
    m_server.pause(false);
    m_dir.reset();
}

void TestCentralWindow::needServer()
{
    if (!m_serverUp)
        QSKIP("PostgreSQL 15 is not installed (postgresql-15): the window's tests against a "
              "real central server are skipped");
}

void TestCentralWindow::writeIni(const QString &desk)
{
    QFile ini(kPreferencesFile);
    QVERIFY(ini.open(QIODevice::WriteOnly));
    ini.write(QStringLiteral("[central]\nurl=postgresql://kestrim@/%1?host=%2&port=%3\n"
                             "desk=%4\n")
                  .arg(m_database, m_server.sockets())
                  .arg(m_server.port())
                  .arg(desk)
                  .toUtf8());
}

// The server is cut off after 1 s without an answer (10 s in use), to keep the test short.
void TestCentralWindow::openWindow()
{
    KestrimSeams seams = TestSeams(m_clock, m_prompts);
    seams.centralStore = [this](CentralSettings settings) {
        ++m_storesMade;
        settings.answerLimitMs = 1000;
        return std::make_unique<PgCentralStore>(settings);
    };
    m_window = std::make_unique<CKestrimDlg>(seams);
    m_window->show();
    m_window->OnTimer(CKestrimDlg::kClockTimer);
    Receive(*m_window, ReportFrame());
}

void TestCentralWindow::reading(int second, int tenths)
{
    m_clock->set(QDateTime(kToday, QTime(8, 31).addSecs(second)));
    Receive(*m_window, ReadingFrame(tenths));
}

QVariant TestCentralWindow::count(const QString &where)
{
    return m_server.query(QStringLiteral("SELECT count(*) FROM readings WHERE ") + where,
                          m_database);
}

void TestCentralWindow::openWithTwoReadingsSent()
{
    writeIni();
    openWindow();
    reading(1, 365);
    reading(2, 366);
    QTRY_COMPARE(count(), QVariant(2));
}

void TestCentralWindow::offWithoutAServer()
{
    QFile ini(kPreferencesFile);
    QVERIFY(ini.open(QIODevice::WriteOnly));
    ini.write("[device]\nport=3\n[central]\ndesk=Entrance A\n");
    ini.close();
    openWindow();
    reading(1, 365);
    QCOMPARE(m_storesMade, 0);
    QCOMPARE(pane(), QString());
    QVERIFY(!QFile::exists(kCentralCursorFile));
    m_window->findChild<QAction *>(QStringLiteral("history"))->trigger();
    QVERIFY(!m_window->findChild<HistoryWindow *>()
                 ->findChild<QCheckBox *>(QStringLiteral("historyAllDesks"))
                 ->isVisible());
}

void TestCentralWindow::readingsReachTheServerAndThePaneSaysSo()
{
    needServer();
    writeIni();
    openWindow();
    QCOMPARE(m_storesMade, 1);
    QTRY_COMPARE(pane(), QStringLiteral("central: up to date"));
    reading(1, 365);
    reading(2, 381); // abnormal
    reading(3, 366);
    QTRY_COMPARE(count(), QVariant(3));
    QCOMPARE(count(QStringLiteral("abnormal AND quantity = 2 AND value = 38.1")), QVariant(1));
    QCOMPARE(m_server.query(QStringLiteral("SELECT desk || ' COM' || port || ' ' || "
                                           "taken_at::text FROM readings WHERE quantity = 3"),
                            m_database),
             QVariant(QStringLiteral("Entrance A COM1 2026-12-09 08:31:03")));
    QCOMPARE(pane(), QStringLiteral("central: up to date"));

    m_window->findChild<QAbstractButton *>(QString::number(IDC_BUTTON_CHINESE))->click();
    QCOMPARE(pane(), QStringLiteral("中心库：已是最新"));
    Screenshot(m_window.get(), QStringLiteral("central-pane"));
}

void TestCentralWindow::windowGoesOnWhileTheServerHangs()
{
    needServer();
    writeIni();
    openWindow();
    reading(1, 365);
    QTRY_COMPARE(count(), QVariant(1));

    m_server.pause(true);
    for (int second = 2; second <= 6; ++second)
        reading(second, 360 + second);
    // Every reading is stored and listed at once, whatever the server does.
    QCOMPARE(
        m_window->findChild<QTableView *>(QString::number(IDC_LIST_RECORDS))->model()->rowCount(),
        6);
    QCOMPARE(LoadRecordRows(m_window->dayRecords().dayFilePath()).size(), 6);
    const QString why = QStringLiteral(" (the server did not answer within 1 s)");
    QTRY_COMPARE_WITH_TIMEOUT(pane(), QStringLiteral("central: unreachable%1, 5 waiting").arg(why),
                              15000);
    reading(7, 370);
    QTRY_COMPARE(pane(), QStringLiteral("central: unreachable%1, 6 waiting").arg(why));
    // The window made room for the longest state without a reason; the tooltip has it whole.
    QLabel *centralPane = m_window->findChild<PaneStatusBar *>()->pane(6);
    const QString brief = QStringLiteral("central: unreachable, 6 waiting");
    QVERIFY2(centralPane->contentsRect().width() >=
                 centralPane->fontMetrics().horizontalAdvance(brief),
             qPrintable(QString::number(centralPane->contentsRect().width())));
    QCOMPARE(centralPane->toolTip(), pane().toHtmlEscaped());
    Screenshot(m_window.get(), QStringLiteral("central-unreachable"));

    m_server.pause(false);
    QTRY_COMPARE_WITH_TIMEOUT(pane(), QStringLiteral("central: up to date"), 20000);
    QCOMPARE(count(), QVariant(7));
}

// A server that accepts and never answers: the window and the history's All desks wait on it,
// and closing the window still returns at once.
void TestCentralWindow::closingWithASilentServerIsImmediate()
{
    needServer();
    QTcpServer silent;
    QVERIFY(silent.listen(QHostAddress::LocalHost));
    QFile ini(kPreferencesFile);
    QVERIFY(ini.open(QIODevice::WriteOnly));
    ini.write(QStringLiteral("[central]\nurl=postgresql://kestrim@127.0.0.1:%1/kestrim\n")
                  .arg(silent.serverPort())
                  .toUtf8());
    ini.close();
    m_window = std::make_unique<CKestrimDlg>(TestSeams(m_clock, m_prompts));
    m_window->show();
    m_window->OnTimer(CKestrimDlg::kClockTimer);
    Receive(*m_window, ReportFrame());
    reading(1, 365);
    const auto accept = [&silent] {
        if (!silent.hasPendingConnections() && !silent.waitForNewConnection(10000))
            return false;
        return silent.nextPendingConnection() != nullptr;
    };
    QVERIFY(accept());
    m_window->findChild<QAction *>(QStringLiteral("history"))->trigger();
    m_window->findChild<HistoryWindow *>()
        ->findChild<QCheckBox *>(QStringLiteral("historyAllDesks"))
        ->setChecked(true);
    QVERIFY(accept());
    QTest::qWait(300);
    QElapsedTimer closing;
    closing.start();
    m_window.reset();
    QVERIFY2(closing.elapsed() < 1000, qPrintable(QString::number(closing.elapsed())));
}

// A url with an option that is not passed on: nothing is sent, and the pane says why, as plain
// text.
void TestCentralWindow::refusedUrlIsShownInThePane()
{
    QFile ini(kPreferencesFile);
    QVERIFY(ini.open(QIODevice::WriteOnly));
    ini.write("[central]\nurl=postgresql://kestrim@db.lan/kestrim?sslmod=require\n");
    ini.close();
    QTest::ignoreMessage(QtWarningMsg, QRegularExpression(QStringLiteral("sslmod")));
    openWindow();
    QCOMPARE(m_storesMade, 0);
    // No part of the url is quoted, not even the option's name.
    QCOMPARE(pane(), QStringLiteral("central: the url has an option Kestrim does not pass on (it "
                                    "passes host, port, sslmode, sslrootcert, sslcert, sslkey, "
                                    "sslcrl, require_auth)"));
    QCOMPARE(m_window->findChild<PaneStatusBar *>()->pane(6)->textFormat(), Qt::PlainText);
}

void TestCentralWindow::deleteAllIsMirrored()
{
    needServer();
    openWithTwoReadingsSent();
    m_prompts->answers = {true};
    m_window->findChild<QAction *>(QString::number(ID_DELETE_ALL))->trigger();
    QTRY_COMPARE(count(QStringLiteral("deleted")), QVariant(2));
    reading(3, 367);
    QTRY_COMPARE(count(), QVariant(1));
    QCOMPARE(m_server.query(QStringLiteral("SELECT to_char(taken_at, 'HH24:MI:SS') FROM "
                                           "current_readings WHERE quantity = 1"),
                            m_database),
             QVariant(QStringLiteral("08:31:03")));
}

// Another program holds the day file (on Windows the removal is then refused; injected here)
// while the sender looks, woken by a reading stored meanwhile: the deletion is noted but never
// made, so the server keeps every reading current, the note is withdrawn, and what comes next
// is sent as usual.
void TestCentralWindow::deleteAllOfAHeldFileKeepsTheServersRows()
{
    needServer();
    openWithTwoReadingsSent();
    const QString dayFile = DayRecords().dayFilePath(kToday, 1);
    bool woken = false;
    FileSharing::SetInjectedHold([&](const QString &path) {
        const bool held = QFileInfo(path) == QFileInfo(dayFile);
        if (held && !woken) {
            woken = true;
            emit const_cast<Station &>(m_window->station()).recordsChanged(dayFile);
        }
        return held;
    });
    auto release = qScopeGuard([] { FileSharing::SetInjectedHold({}); });
    m_prompts->answers = {true};
    m_window->findChild<QAction *>(QString::number(ID_DELETE_ALL))->trigger();
    release.dismiss();
    FileSharing::SetInjectedHold({});
    QVERIFY(woken);
    QCOMPARE(m_prompts->messages.size(), 1);
    QVERIFY(QFileInfo::exists(dayFile));

    // The sender takes the window's news in order: the next reading reaches the server after
    // anything the deletion's note could have done.
    reading(3, 367);
    QTRY_COMPARE(count(), QVariant(3));
    QCOMPARE(count(QStringLiteral("deleted")), QVariant(0));
    QVERIFY(CentralJournal().entries().isEmpty());
    QTRY_COMPARE(pane(), QStringLiteral("central: up to date"));
}

// Entrance B is another desk with its own working folder, sending to the same server.
void TestCentralWindow::allDesksShowsEveryDesk()
{
    needServer();
    QTemporaryDir deskB;
    QVERIFY(QDir::setCurrent(deskB.path()));
    {
        QFile day(DayRecords().dayFilePath(kToday, 4));
        QVERIFY(QDir().mkpath(QFileInfo(day).path()));
        QVERIFY(day.open(QIODevice::WriteOnly));
        day.write("1,08:10:00,36.6C,22.0C\r\n2,09:40:00,38.4C,22.5C\r\n3,10:05:00,97.9F,72.5F\r\n");
        QFile warnings(DayRecords().warningFilePath(kToday));
        QVERIFY(warnings.open(QIODevice::WriteOnly));
        warnings.write("2,09:40:00,38.4C,22.5C\r\n");
        day.close();
        warnings.close();
        const CentralSettings settings =
            m_server.settings(QStringLiteral("Entrance B"), m_database);
        CentralSync sync(std::make_unique<PgCentralStore>(settings),
                         CentralCursors(kCentralCursorFile, settings.identity()));
        sync.start();
        QTRY_COMPARE(sync.status(), (CentralStatus{CentralStatus::Link::Reachable, 0}));
    }
    QVERIFY(QDir::setCurrent(m_dir->path()));

    writeIni();
    openWindow();
    reading(1, 365);
    reading(2, 381);
    QTRY_COMPARE(count(), QVariant(5));

    m_window->findChild<QAction *>(QStringLiteral("history"))->trigger();
    HistoryWindow *history = m_window->findChild<HistoryWindow *>();
    auto *allDesks = history->findChild<QCheckBox *>(QStringLiteral("historyAllDesks"));
    QVERIFY(allDesks->isVisible());
    QCOMPARE(allDesks->text(), QStringLiteral("All desks"));
    allDesks->setChecked(true);
    auto *days = history->findChild<QListWidget *>(QStringLiteral("historyDays"));
    QTRY_COMPARE(days->count(), 1);
    QCOMPARE(days->item(0)->text(), QStringLiteral("2026-12-09  2 desks"));
    auto *summary = history->findChild<QLabel *>(QStringLiteral("historySummary"));
    QTRY_VERIFY2(summary->text().startsWith(QStringLiteral("Desks: 2   Readings: 5   Abnormal: 2")),
                 qPrintable(summary->text()));
    QVERIFY2(summary->text().contains(QStringLiteral("First: 08:10:00   Last: 10:05:00")),
             qPrintable(summary->text()));
    const QAbstractItemModel *table =
        history->findChild<QTableView *>(QStringLiteral("historyTable"))->model();
    QCOMPARE(table->rowCount(), 5);
    QCOMPARE(table->headerData(0, Qt::Horizontal).toString(), QStringLiteral("Desk"));
    QStringList rows;
    for (int row = 0; row < table->rowCount(); ++row) {
        QStringList cells;
        for (int column = 0; column < table->columnCount(); ++column)
            cells.append(table->index(row, column).data().toString());
        rows.append(cells.join(u','));
    }
    QCOMPARE(rows, (QStringList{"Entrance B,COM4,1,08:10:00,36.6C,22.0C",
                                "Entrance A,COM1,1,08:31:01,36.5C,0.0C",
                                "Entrance A,COM1,2,08:31:02,38.1C,0.0C",
                                "Entrance B,COM4,2,09:40:00,38.4C,22.5C",
                                "Entrance B,COM4,3,10:05:00,97.9F,72.5F"}));
    Screenshot(history, QStringLiteral("history-all-desks"));

    // In Chinese, and back to this desk's own days.
    m_window->findChild<QAbstractButton *>(QString::number(IDC_BUTTON_CHINESE))->click();
    QCOMPARE(days->item(0)->text(), QStringLiteral("2026-12-09  2 个工位"));
    QVERIFY(summary->text().startsWith(QStringLiteral("工位数：2   读数：5")));
    allDesks->setChecked(false);
    QCOMPARE(days->count(), 1);
    QCOMPARE(days->item(0)->text(), QStringLiteral("2026-12-09  COM1"));
    QVERIFY(table != history->findChild<QTableView *>(QStringLiteral("historyTable"))->model());
    QCOMPARE(history->findChild<QTableView *>(QStringLiteral("historyTable"))->model()->rowCount(),
             2);
}

QTEST_MAIN(TestCentralWindow)
#include "tst_central_window_posix.moc"
