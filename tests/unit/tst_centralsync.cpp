// The sending logic against a server in memory (FakeCentralStore): what reaches the server,
// in which batches, after restarts, server failures, deletions on the desk and late warning
// lines; the status the window would show; and the thread the window runs it on.
#include "centraljournal.h"
#include "centralsender.h"
#include "centralsync.h"
#include "fakecentralstore.h"
#include "records/dayrecords.h"

#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#ifdef Q_OS_LINUX
#include <sys/fsuid.h>
#include <unistd.h>
#endif

namespace {

const QString kDesk = QStringLiteral("Entrance A");
const QString kIdentity = QStringLiteral("postgresql://kestrim@db:5432/kestrim desk=Entrance A");
const QDate kToday(2026, 12, 9);

QString DayFile(QDate day, int port = 1)
{
    return DayRecords().dayFilePath(day, port);
}

QString Line(qint64 quantity, int second, const QString &value = QStringLiteral("36.5C"))
{
    return QStringLiteral("%1,%2,%3,24.5C")
        .arg(quantity)
        .arg(QTime(9, 0).addSecs(second).toString(QStringLiteral("HH:mm:ss")), value);
}

void Write(const QString &path, const QStringList &lines, QIODevice::OpenMode mode)
{
    QVERIFY(QDir().mkpath(QFileInfo(path).path()));
    QFile file(path);
    QVERIFY(file.open(mode));
    for (const QString &line : lines)
        file.write(line.toUtf8() + "\r\n");
}

void Replace(const QString &path, const QStringList &lines)
{
    Write(path, lines, QIODevice::WriteOnly | QIODevice::Truncate);
}

void Append(const QString &path, const QStringList &lines)
{
    Write(path, lines, QIODevice::WriteOnly | QIODevice::Append);
}

// `count` readings from quantity `first` on, a second apart.
QStringList Lines(qint64 first, int count)
{
    QStringList lines;
    for (int i = 0; i < count; ++i)
        lines.append(Line(first + i, int(first) + i));
    return lines;
}

QList<qint64> Range(qint64 first, qint64 last)
{
    QList<qint64> range;
    for (qint64 q = first; q <= last; ++q)
        range.append(q);
    return range;
}

// The times of the server's rows, deleted or current, as seconds after 09:00, in order.
QList<int> SecondsOnServer(FakeCentralServer &server, bool deleted)
{
    QList<int> seconds;
    const QMutexLocker lock(&server.mutex);
    for (auto it = server.rows.begin(); it != server.rows.end(); ++it)
        if (it->deleted == deleted)
            seconds.append(QTime(9, 0).secsTo(it->reading.time));
    std::sort(seconds.begin(), seconds.end());
    return seconds;
}

RecordRows Rows(const QStringList &lines)
{
    RecordRows rows;
    for (const QString &line : lines)
        rows.append(line.split(u','));
    return rows;
}

QList<qsizetype> BatchSizes(const QList<CentralBatch> &batches)
{
    QList<qsizetype> sizes;
    for (const CentralBatch &batch : batches)
        sizes.append(batch.readings.size());
    return sizes;
}

} // namespace

class TestCentralSync : public QObject {
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void sendsEachReadingOnceAcrossRestarts();
    void sendsInBatchesOldestDayFirst();
    void waitsAndRetriesWhileTheServerIsAway();
    void connectionBreakingMidCatchUpLosesNothing();
    void deletionsAreMarked_data();
    void deletionsAreMarked();
    void deletionCountsOnlyOnceTheFileShowsIt_data();
    void deletionCountsOnlyOnceTheFileShowsIt();
    void journalOfTheFirstFormIsStillMirrored();
    void dayFileMadeUnreadableIsMissing();
    void lateWarningLineMakesTheReadingAbnormal();
    void refusedBatchIsTriedAgain();
    void refusedPasswordHasItsOwnState();
    void readingRefusedAsDataIsSetAside();
    void repeatedQuantityIsSentOnce();
    void cursorsOfAnotherServerStartOver();
    void readingsSentAtOnceDoNotChangeTheStatus();
    void senderThreadReportsAndStopsWhileTheServerHangs();

private:
    std::unique_ptr<CentralSync> makeSync(const QString &identity = kIdentity);
    void settle();
    CentralReading reading(qint64 quantity, int port = 1, QDate day = kToday) const;

    std::unique_ptr<QTemporaryDir> m_dir;
    QString m_previousDir;
    std::shared_ptr<FakeCentralServer> m_server;
    std::unique_ptr<CentralSync> m_sync;
};

void TestCentralSync::init()
{
    m_previousDir = QDir::currentPath();
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(QDir::setCurrent(m_dir->path()));
    m_server = std::make_shared<FakeCentralServer>();
}

void TestCentralSync::cleanup()
{
    m_sync.reset();
    QDir::setCurrent(m_previousDir);
    m_dir.reset();
}

// Waits short (5 ms doubling to 40 ms) so the retries happen within the test.
std::unique_ptr<CentralSync> TestCentralSync::makeSync(const QString &identity)
{
    return std::make_unique<CentralSync>(std::make_unique<FakeCentralStore>(m_server, kDesk),
                                         CentralCursors(kCentralCursorFile, identity),
                                         CentralBackoff(5, 40));
}

// Until no step is due (a retry may be).
void TestCentralSync::settle()
{
    QTRY_VERIFY(!m_sync->busy());
}

CentralReading TestCentralSync::reading(qint64 quantity, int port, QDate day) const
{
    const auto row = m_server->row(kDesk, port, day, quantity);
    return row ? row->reading : CentralReading();
}

void TestCentralSync::sendsEachReadingOnceAcrossRestarts()
{
    const QString today = DayFile(kToday);
    Replace(today, {Line(1, 0), Line(2, 1, QStringLiteral("37.9C")), Line(3, 2, "98.1F")});
    Append(DayRecords().warningFilePath(kToday), {Line(2, 1, QStringLiteral("37.9C"))});
    m_sync = makeSync();
    m_sync->start();
    settle();

    QCOMPARE(m_server->quantities(kDesk, 1, kToday, false), Range(1, 3));
    const CentralReading second = reading(2);
    QCOMPARE(second.time, QTime(9, 0, 1));
    QCOMPARE(second.value, QStringLiteral("37.9"));
    QCOMPARE(second.unit, QStringLiteral("C"));
    QCOMPARE(second.environment, QStringLiteral("24.5"));
    QCOMPARE(second.environmentUnit, QStringLiteral("C"));
    QVERIFY(second.abnormal);
    QVERIFY(!reading(1).abnormal);
    QCOMPARE(reading(3).unit, QStringLiteral("F"));
    QCOMPARE(reading(3).value, QStringLiteral("98.1"));
    QCOMPARE(m_sync->status(), (CentralStatus{CentralStatus::Link::Reachable, 0}));

    // Two more readings: only they are sent.
    Append(today, {Line(4, 3), Line(5, 4, QStringLiteral("12"))});
    m_sync->dayFileChanged(today);
    settle();
    QCOMPARE(m_server->quantities(kDesk, 1, kToday, false), Range(1, 5));
    QCOMPARE(BatchSizes(m_server->takenBatches()), (QList<qsizetype>{3, 2}));
    QVERIFY(m_server->takenBatches().at(0).restart);
    QVERIFY(!m_server->takenBatches().at(1).restart);
    QCOMPARE(reading(5).unit, QStringLiteral("count"));
    QCOMPARE(reading(5).value, QStringLiteral("12"));

    // A restart sends nothing, and does not even connect.
    m_sync = makeSync();
    const int opens = m_server->opens;
    m_sync->start();
    settle();
    QCOMPARE(m_server->takenBatches().size(), 2);
    QCOMPARE(m_server->opens, opens);
    QCOMPARE(m_sync->status().waiting, 0);

    // After a restart, the next reading is sent alone.
    Append(today, {Line(6, 5)});
    m_sync->dayFileChanged(today);
    settle();
    QCOMPARE(BatchSizes(m_server->takenBatches()), (QList<qsizetype>{3, 2, 1}));
    QCOMPARE(m_server->quantities(kDesk, 1, kToday, false), Range(1, 6));
    QCOMPARE(m_sync->retryInMs(), 0);
}

void TestCentralSync::sendsInBatchesOldestDayFirst()
{
    const QDate earlier = kToday.addDays(-2), yesterday = kToday.addDays(-1);
    Replace(DayFile(kToday), Lines(1, 1234));
    Replace(DayFile(earlier, 3), Lines(1, 2));
    Replace(DayFile(yesterday), Lines(1, 501));
    m_sync = makeSync();
    QSignalSpy statuses(m_sync.get(), &CentralSync::statusChanged);
    m_sync->start();
    settle();

    const QList<CentralBatch> batches = m_server->takenBatches();
    QCOMPARE(BatchSizes(batches), (QList<qsizetype>{2, 500, 1, 500, 500, 234}));
    QList<QDate> days;
    for (const CentralBatch &batch : batches)
        days.append(batch.day);
    QCOMPARE(days, (QList<QDate>{earlier, yesterday, yesterday, kToday, kToday, kToday}));
    QCOMPARE(batches[3].readings.first().quantity, 1);
    QCOMPARE(batches[5].readings.last().quantity, 1234);
    QCOMPARE(m_server->quantities(kDesk, 1, kToday, false), Range(1, 1234));
    QCOMPARE(m_server->quantities(kDesk, 3, earlier, false), Range(1, 2));

    // The window sees the backlog shrink batch by batch.
    QList<int> waiting;
    for (const QList<QVariant> &signal : statuses)
        waiting.append(signal.at(0).value<CentralStatus>().waiting);
    QCOMPARE(waiting, (QList<int>{1737, 1735, 1235, 1234, 734, 234, 0}));
}

void TestCentralSync::waitsAndRetriesWhileTheServerIsAway()
{
    const QString today = DayFile(kToday);
    Replace(today, Lines(1, 3));
    m_server->setReachable(false);
    m_sync = makeSync();
    m_sync->start();
    settle();
    QCOMPARE(LinkAndWaiting(m_sync->status()),
             (CentralStatus{CentralStatus::Link::Unreachable, 3}));
    QCOMPARE(m_server->opens, 1);

    // The waits double up to their ceiling; nothing happens between two tries.
    QList<int> waits{m_sync->retryInMs()};
    while (waits.size() < 5) {
        const int opens = m_server->opens;
        while (m_server->opens == opens)
            QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
        QCOMPARE(m_server->opens, opens + 1);
        waits.append(m_sync->retryInMs());
    }
    QCOMPARE(waits, (QList<int>{5, 10, 20, 40, 40}));

    // Readings stored meanwhile wait for the next try, counted.
    const int opens = m_server->opens;
    Append(today, Lines(4, 2));
    m_sync->dayFileChanged(today);
    QCOMPARE(LinkAndWaiting(m_sync->status()),
             (CentralStatus{CentralStatus::Link::Unreachable, 5}));
    QCOMPARE(m_server->opens, opens);

    m_server->setReachable(true);
    QTRY_COMPARE(m_sync->status(), (CentralStatus{CentralStatus::Link::Reachable, 0}));
    QCOMPARE(m_server->quantities(kDesk, 1, kToday, false), Range(1, 5));
    QCOMPARE(m_server->takenBatches().size(), 1);
    QCOMPARE(m_sync->retryInMs(), 0);
    QVERIFY(!m_sync->busy());
}

void TestCentralSync::connectionBreakingMidCatchUpLosesNothing()
{
    const QString today = DayFile(kToday);
    Replace(today, Lines(1, 1200));
    m_server->writesBeforeBreak = 1;
    m_sync = makeSync();
    m_sync->start();
    settle();
    QCOMPARE(LinkAndWaiting(m_sync->status()),
             (CentralStatus{CentralStatus::Link::Unreachable, 700}));
    QCOMPARE(m_server->quantities(kDesk, 1, kToday, false), Range(1, 500));

    // Kestrim ends here: its cursors hold what the server confirmed, no more.
    m_sync = makeSync();
    m_server->setReachable(true);
    m_sync->start();
    settle();
    QCOMPARE(m_server->quantities(kDesk, 1, kToday, false), Range(1, 1200));
    QCOMPARE(BatchSizes(m_server->takenBatches()), (QList<qsizetype>{500, 500, 200}));
    QVERIFY(!m_server->takenBatches().at(1).restart);
}

enum class Interruption {
    RewriteFails,
    StoppedBeforeRewrite,
    StoppedAfterRewrite,
};

enum class Deletion {
    SelectDelete,
    DeleteAll,
    DeleteAllThenReading,
    WhileStopped,
    FileGone,
    RewrittenByHand,
};

// Only the deletions in the journal are mirrored; the removed readings stay on the server,
// deleted, with their own time; the kept ones are current under their new numbers.
void TestCentralSync::deletionsAreMarked_data()
{
    QTest::addColumn<Deletion>("deletion");
    QTest::addColumn<QList<int>>("liveSeconds");
    QTest::addColumn<QList<int>>("deletedSeconds");
    QTest::addColumn<QList<qsizetype>>("batches");
    QTest::addColumn<int>("missing");
    // Rows 1…5 taken at seconds 1…5. Select Delete of rows 2 and 3: the rest renumbered 1…3.
    QTest::newRow("Select Delete") << Deletion::SelectDelete << QList<int>{1, 4, 5}
                                   << QList<int>{2, 3} << QList<qsizetype>{5, 3} << 0;
    QTest::newRow("Delete All") << Deletion::DeleteAll << QList<int>{} << QList<int>{1, 2, 3, 4, 5}
                                << QList<qsizetype>{5} << 0;
    QTest::newRow("Delete All, then a reading")
        << Deletion::DeleteAllThenReading << QList<int>{90} << QList<int>{1, 2, 3, 4, 5}
        << QList<qsizetype>{5, 1} << 0;
    QTest::newRow("Delete All, Kestrim stopped before it was mirrored")
        << Deletion::WhileStopped << QList<int>{} << QList<int>{1, 2, 3, 4, 5}
        << QList<qsizetype>{5} << 0;
    // A folder renamed, a share not mounted: nothing is deleted, the pane says so.
    QTest::newRow("file gone, no deletion") << Deletion::FileGone << QList<int>{1, 2, 3, 4, 5}
                                            << QList<int>{} << QList<qsizetype>{5} << 1;
    // Edited outside Kestrim: sent again as it is now, nothing marked deleted.
    QTest::newRow("rewritten by hand") << Deletion::RewrittenByHand << QList<int>{1, 3, 4, 5, 6}
                                       << QList<int>{} << QList<qsizetype>{5, 5} << 0;
}

void TestCentralSync::deletionsAreMarked()
{
    QFETCH(Deletion, deletion);
    const QString today = DayFile(kToday);
    const QStringList before = Lines(1, 5);
    Replace(today, before);
    m_sync = makeSync();
    m_sync->start();
    settle();
    QCOMPARE(m_server->quantities(kDesk, 1, kToday, false), Range(1, 5));

    CentralJournal journal;
    switch (deletion) {
    case Deletion::SelectDelete: {
        const QStringList after{Line(1, 1), Line(2, 4), Line(3, 5)};
        QVERIFY(journal.record(today, Rows(before), Rows(after)) > 0);
        Replace(today, after);
        break;
    }
    case Deletion::DeleteAll:
        QVERIFY(journal.record(today, {}, {}) > 0);
        QVERIFY(QFile::remove(today));
        break;
    case Deletion::DeleteAllThenReading:
        QVERIFY(journal.record(today, {}, {}) > 0);
        QVERIFY(QFile::remove(today));
        Replace(today, {Line(1, 90)});
        break;
    case Deletion::WhileStopped:
        m_sync.reset();
        QVERIFY(journal.record(today, {}, {}) > 0);
        QVERIFY(QFile::remove(today));
        m_sync = makeSync();
        m_sync->start();
        break;
    case Deletion::FileGone:
        QVERIFY(QDir().rename(QStringLiteral("TempData"), QStringLiteral("TempData-archived")));
        m_sync = makeSync();
        m_sync->start();
        break;
    case Deletion::RewrittenByHand:
        Replace(today, {Line(1, 1), Line(2, 3), Line(3, 4), Line(4, 5), Line(5, 6)});
        break;
    }
    if (deletion != Deletion::WhileStopped && deletion != Deletion::FileGone)
        m_sync->dayFileChanged(today);
    settle();

    QFETCH(QList<int>, liveSeconds);
    QFETCH(QList<int>, deletedSeconds);
    QFETCH(QList<qsizetype>, batches);
    QFETCH(int, missing);
    QCOMPARE(SecondsOnServer(*m_server, false), liveSeconds);
    QCOMPARE(SecondsOnServer(*m_server, true), deletedSeconds);
    QCOMPARE(BatchSizes(m_server->takenBatches()), batches);
    // What is current is what the day file says, number by number.
    const RecordRows now = LoadRecordRows(today);
    for (const QStringList &row : now)
        QCOMPARE(reading(row[0].toLongLong()).time, QTime::fromString(row[1], Qt::ISODate));
    QCOMPARE(m_sync->status().waiting, 0);
    QCOMPARE(m_sync->status().missing, missing);
    QVERIFY(journal.entries().isEmpty());
    if (missing > 0)
        QCOMPARE(CentralStatusText(m_sync->status(), Language::English),
                 QStringLiteral("central: day files missing"));

    // And stays so across a restart: nothing more is sent, nothing mirrored again.
    const qsizetype mirrors = m_server->mirrors.size();
    m_sync = makeSync();
    m_sync->start();
    settle();
    QCOMPARE(BatchSizes(m_server->takenBatches()), batches);
    QCOMPARE(m_server->mirrors.size(), mirrors);
    QCOMPARE(m_sync->status().missing, missing);
}

// The journal's note is written before the day file is rewritten. The server drops readings
// only once the file shows the deletion: not while the rewrite is under way (the sender may
// look at any moment), not when it failed (a file held open on Windows), not when the desk
// stopped between the two; a rewrite made before the stop counts.
void TestCentralSync::deletionCountsOnlyOnceTheFileShowsIt_data()
{
    QTest::addColumn<bool>("all");
    QTest::addColumn<Interruption>("interruption");
    QTest::addColumn<QList<int>>("liveSeconds");
    QTest::addColumn<QList<int>>("deletedSeconds");
    const QList<int> untouched{1, 2, 3, 4, 5};
    for (const bool all : {false, true}) {
        const char *name = all ? "Delete All" : "Select Delete";
        QTest::addRow("%s, the rewrite fails", name)
            << all << Interruption::RewriteFails << untouched << QList<int>{};
        QTest::addRow("%s, stopped before the rewrite", name)
            << all << Interruption::StoppedBeforeRewrite << untouched << QList<int>{};
        // A reading taken after the rewrite, before the stop.
        QTest::addRow("%s, stopped after the rewrite", name)
            << all << Interruption::StoppedAfterRewrite
            << (all ? QList<int>{90} : QList<int>{1, 4, 5, 90})
            << (all ? untouched : QList<int>{2, 3});
    }
}

void TestCentralSync::deletionCountsOnlyOnceTheFileShowsIt()
{
    QFETCH(bool, all);
    QFETCH(Interruption, interruption);
    const QString today = DayFile(kToday);
    const QStringList before = Lines(1, 5);
    const QStringList after = all ? QStringList{} : QStringList{Line(1, 1), Line(2, 4), Line(3, 5)};
    Replace(today, before);
    m_sync = makeSync();
    m_sync->start();
    settle();

    CentralJournal journal;
    const qint64 note = journal.record(today, all ? RecordRows{} : Rows(before), Rows(after));
    QVERIFY(note > 0);
    // The sender looks while the rewrite is under way: nothing is mirrored, nothing sent.
    m_sync->dayFileChanged(today);
    settle();
    QVERIFY(m_server->mirrors.isEmpty());
    QCOMPARE(m_sync->status().waiting, 1);

    switch (interruption) {
    case Interruption::RewriteFails:
        journal.withdraw(note);
        m_sync->dayFileChanged(today);
        break;
    case Interruption::StoppedBeforeRewrite:
        m_sync.reset();
        QTest::ignoreMessage(QtWarningMsg, QRegularExpression("never made; it is withdrawn"));
        journal.settle();
        m_sync = makeSync();
        m_sync->start();
        break;
    case Interruption::StoppedAfterRewrite:
        if (all)
            QVERIFY(QFile::remove(today));
        Replace(today, after);
        Append(today, {Line(after.size() + 1, 90)});
        m_sync.reset();
        journal.settle();
        m_sync = makeSync();
        m_sync->start();
        break;
    }
    settle();

    QFETCH(QList<int>, liveSeconds);
    QFETCH(QList<int>, deletedSeconds);
    QCOMPARE(SecondsOnServer(*m_server, false), liveSeconds);
    QCOMPARE(SecondsOnServer(*m_server, true), deletedSeconds);
    QVERIFY(journal.entries().isEmpty());
    QCOMPARE(m_sync->status().waiting, 0);
    QCOMPARE(m_sync->status().missing, 0);
}

// A journal written before notes had states and prints holds deletions made and not yet
// mirrored when the desk was updated: they are mirrored as they were.
void TestCentralSync::journalOfTheFirstFormIsStillMirrored()
{
    const QString today = DayFile(kToday);
    Replace(today, Lines(1, 3));
    m_sync = makeSync();
    m_sync->start();
    settle();
    m_sync.reset();
    QVERIFY(QFile::remove(today));
    QFile journal(kCentralJournalFile);
    QVERIFY(journal.open(QIODevice::WriteOnly));
    journal.write("kestrim-deletions 1\nnext 8\n7\t" + today.toUtf8() + "\tall\n");
    journal.close();

    m_sync = makeSync();
    m_sync->start();
    settle();
    QCOMPARE(m_server->mirrors.size(), 1);
    QCOMPARE(m_server->quantities(kDesk, 1, kToday, false), QList<qint64>{});
    QVERIFY(CentralJournal().entries().isEmpty());
}

// Access to a day file the server holds taken away (its permissions changed, which leaves its
// size and time as they were): the pane says files are missing, not that all is up to date;
// once it can be read again, nothing is missing. As root, the look is made with the file
// system rights of an ordinary user.
void TestCentralSync::dayFileMadeUnreadableIsMissing()
{
#ifndef Q_OS_LINUX
    QSKIP("file permissions and setfsuid are Linux's");
#else
    const QString today = DayFile(kToday);
    Replace(today, Lines(1, 3));
    m_sync = makeSync();
    m_sync->start();
    settle();
    QCOMPARE(m_sync->status().missing, 0);

    // Every folder on the way may be passed through by others; the file is the owner's alone.
    for (QDir dir = QFileInfo(today).absoluteDir(); dir.absolutePath().startsWith(m_dir->path());
         dir.cdUp())
        QVERIFY(QFile::setPermissions(dir.absolutePath(), QFile::ReadOwner | QFile::WriteOwner |
                                                              QFile::ExeOwner | QFile::ExeOther));
    QVERIFY(QFile::setPermissions(today, QFile::WriteOwner));
    const auto lookAs = [&](uid_t user) {
        const bool root = ::geteuid() == 0;
        if (root) {
            ::setfsgid(user);
            ::setfsuid(user);
        }
        m_sync->dayFileChanged(today);
        settle();
        if (root) {
            ::setfsuid(0);
            ::setfsgid(0);
        }
    };
    QTest::ignoreMessage(QtWarningMsg, QRegularExpression("cannot read"));
    QTest::ignoreMessage(QtWarningMsg, QRegularExpression("cannot be read while the server"));
    lookAs(65534);
    QCOMPARE(m_sync->status().missing, 1);
    QCOMPARE(CentralStatusText(m_sync->status(), Language::English),
             QStringLiteral("central: day files missing"));

    QVERIFY(QFile::setPermissions(today, QFile::ReadOwner | QFile::WriteOwner | QFile::ReadOther));
    lookAs(65534);
    QCOMPARE(m_sync->status().missing, 0);
    QCOMPARE(m_server->quantities(kDesk, 1, kToday, false), Range(1, 3));
#endif
}

void TestCentralSync::lateWarningLineMakesTheReadingAbnormal()
{
    const QString today = DayFile(kToday), warnings = DayRecords().warningFilePath(kToday);
    Replace(today, {Line(1, 0), Line(2, 1, QStringLiteral("38.2C"))});
    Replace(DayFile(kToday, 2), {Line(1, 5)});
    m_sync = makeSync();
    m_sync->start();
    settle();
    QVERIFY(!reading(2).abnormal);

    // The warning line lands after the reading was sent: the reading is sent again.
    Append(warnings, {Line(2, 1, QStringLiteral("38.2C"))});
    m_sync->dayFileChanged(today);
    settle();
    QVERIFY(reading(2).abnormal);
    QCOMPARE(m_server->takenBatches().size(), 3);
    QCOMPARE(m_server->takenBatches().last().readings.size(), 1);

    // The other port's file has no line in the warning file: nothing to send for it, now or
    // after a restart.
    m_sync->dayFileChanged(DayFile(kToday, 2));
    settle();
    m_sync = makeSync();
    m_sync->start();
    settle();
    QCOMPARE(m_server->takenBatches().size(), 3);
    QVERIFY(!reading(1, 2).abnormal);

    // A new abnormal reading with its warning line: only that reading goes, not again every
    // abnormal reading of the day.
    Append(today, {Line(3, 2, QStringLiteral("38.4C"))});
    Append(warnings, {Line(3, 2, QStringLiteral("38.4C"))});
    m_sync->dayFileChanged(today);
    settle();
    QCOMPARE(m_server->takenBatches().size(), 4);
    QCOMPARE(m_server->takenBatches().last().readings.size(), 1);
    QVERIFY(reading(3).abnormal);
    QVERIFY(reading(2).abnormal);
}

// An error that is not about the data (a read-only database) keeps the batch waiting and tries
// again with the waits; nothing has to change on the desk for it to go once the server takes it.
// A server that refuses the password is shown as that, not as out of reach, and the readings
// wait; once the password is right, they go.
void TestCentralSync::refusedPasswordHasItsOwnState()
{
    Replace(DayFile(kToday, 7), Lines(1, 2));
    m_server->refusePassword = true;
    m_sync = makeSync();
    QTest::ignoreMessage(QtWarningMsg, QRegularExpression("the server refused the password"));
    m_sync->start();
    QTRY_COMPARE(m_sync->status().link, CentralStatus::Link::PasswordRefused);
    QCOMPARE(m_sync->status().waiting, 2);
    QCOMPARE(CentralStatusText(m_sync->status(), Language::English),
             QStringLiteral("central: the server refused the password, 2 waiting"));
    QCOMPARE(CentralStatusText(m_sync->status(), Language::Chinese),
             QStringLiteral("中心库：服务器拒绝了密码，2 条待发送"));
    {
        const QMutexLocker lock(&m_server->mutex);
        m_server->refusePassword = false;
    }
    QTRY_COMPARE(m_sync->status(), (CentralStatus{CentralStatus::Link::Reachable, 0}));
    QCOMPARE(m_server->quantities(kDesk, 7, kToday, false), Range(1, 2));
}

void TestCentralSync::refusedBatchIsTriedAgain()
{
    Replace(DayFile(kToday, 7), Lines(1, 2));
    m_server->refusePort = 7;
    m_sync = makeSync();
    m_sync->start();
    QTRY_COMPARE(m_sync->status().link, CentralStatus::Link::Refusing);
    QCOMPARE(m_sync->status().waiting, 2);
    QVERIFY(m_sync->retryInMs() > 0);
    QCOMPARE(CentralStatusText(m_sync->status(), Language::English),
             QStringLiteral("central: server error (cannot execute INSERT in a read-only "
                            "transaction), 2 waiting"));
    {
        const QMutexLocker lock(&m_server->mutex);
        m_server->refusePort = 0;
    }
    QTRY_COMPARE(m_sync->status(), (CentralStatus{CentralStatus::Link::Reachable, 0}));
    QCOMPARE(m_server->quantities(kDesk, 7, kToday, false), Range(1, 2));
}

// A reading the server refuses as data is set aside and reported; the rest of the file goes.
void TestCentralSync::readingRefusedAsDataIsSetAside()
{
    Replace(DayFile(kToday), {Line(1, 1), Line(2, 2, QStringLiteral("99.9C")), Line(3, 3)});
    m_server->badValue = QStringLiteral("99.9");
    m_sync = makeSync();
    m_sync->start();
    settle();
    QCOMPARE(m_server->quantities(kDesk, 1, kToday, false), (QList<qint64>{1, 3}));
    QCOMPARE(m_sync->status().setAside, 1);
    QCOMPARE(m_sync->status().waiting, 0);
    QCOMPARE(CentralStatusText(m_sync->status(), Language::English),
             QStringLiteral("central: 1 reading refused"));
}

void TestCentralSync::repeatedQuantityIsSentOnce()
{
    Replace(DayFile(kToday), {Line(1, 0), Line(2, 1), Line(2, 2, QStringLiteral("36.9C"))});
    m_sync = makeSync();
    m_sync->start();
    settle();
    QCOMPARE(m_server->quantities(kDesk, 1, kToday, false), Range(1, 2));
    QCOMPARE(reading(2).value, QStringLiteral("36.9"));
    QCOMPARE(m_sync->status().waiting, 0);
}

void TestCentralSync::cursorsOfAnotherServerStartOver()
{
    Replace(DayFile(kToday), Lines(1, 4));
    m_sync = makeSync();
    m_sync->start();
    settle();

    // The same desk pointed at another server: everything goes there, each file started over.
    m_sync =
        makeSync(QStringLiteral("postgresql://kestrim@elsewhere:5432/kestrim desk=Entrance A"));
    m_sync->start();
    settle();
    QCOMPARE(BatchSizes(m_server->takenBatches()), (QList<qsizetype>{4, 4}));
    QVERIFY(m_server->takenBatches().last().restart);
    QCOMPARE(m_server->quantities(kDesk, 1, kToday, false), Range(1, 4));
    QCOMPARE(m_server->quantities(kDesk, 1, kToday, true), QList<qint64>{});

    // A damaged cursor file: the same.
    m_sync.reset();
    QFile file(kCentralCursorFile);
    QVERIFY(file.open(QIODevice::Append));
    file.write("TempData/2026/12/20261209-01.txt\tmany\n");
    file.close();
    m_sync =
        makeSync(QStringLiteral("postgresql://kestrim@elsewhere:5432/kestrim desk=Entrance A"));
    m_sync->start();
    settle();
    QCOMPARE(BatchSizes(m_server->takenBatches()), (QList<qsizetype>{4, 4, 4}));
    QCOMPARE(m_server->quantities(kDesk, 1, kToday, false), Range(1, 4));
}

void TestCentralSync::readingsSentAtOnceDoNotChangeTheStatus()
{
    const QString today = DayFile(kToday);
    Replace(today, Lines(1, 1));
    m_sync = makeSync();
    m_sync->start();
    settle();
    QSignalSpy statuses(m_sync.get(), &CentralSync::statusChanged);
    for (int q = 2; q <= 11; ++q) {
        Append(today, {Line(q, q)});
        m_sync->dayFileChanged(today);
        settle();
    }
    QCOMPARE(m_server->quantities(kDesk, 1, kToday, false), Range(1, 11));
    QCOMPARE(statuses.size(), 0);
}

// The window's side: the status arrives on the window's thread, and closing does not wait for a
// server that never answers.
void TestCentralSync::senderThreadReportsAndStopsWhileTheServerHangs()
{
    const QString today = DayFile(kToday);
    Replace(today, Lines(1, 2));
    auto sender = std::make_unique<CentralSender>(
        std::make_unique<FakeCentralStore>(m_server, kDesk),
        CentralCursors(kCentralCursorFile, kIdentity), CentralBackoff(5, 40));
    QSignalSpy statuses(sender.get(), &CentralSender::statusChanged);
    QTRY_COMPARE(sender->status(), (CentralStatus{CentralStatus::Link::Reachable, 0}));
    QCOMPARE(statuses.first().at(0).value<CentralStatus>(),
             (CentralStatus{CentralStatus::Link::Unknown, 2}));
    QCOMPARE(m_server->quantities(kDesk, 1, kToday, false), Range(1, 2));

    {
        const QMutexLocker lock(&m_server->mutex);
        m_server->hang = true;
    }
    Append(today, Lines(3, 1));
    sender->dayFileChanged(today);
    QTRY_VERIFY(m_server->isHanging());
    sender.reset();
    QCOMPARE(m_server->quantities(kDesk, 1, kToday, false), Range(1, 2));
}

QTEST_GUILESS_MAIN(TestCentralSync)
#include "tst_centralsync.moc"
