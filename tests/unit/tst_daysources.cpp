// The history window's day sources without the window: this desk's day files in a scratch
// working folder (the day shown kept or replaced as files come and go, what changed in it told
// as the table needs it, nothing followed while paused), and the central records when the
// server cannot be reached.
#include "centraldaysource.h"
#include "centralsettings.h"
#include "history/localdaysource.h"
#include "workingfolder.h"

#include <QAbstractItemModel>
#include <QFile>
#include <QSignalSpy>
#include <QTest>

namespace {

const QString kDay8 = QStringLiteral("TempData/2026/12/20261208-01.txt");
const QString kDay9 = QStringLiteral("TempData/2026/12/20261209-02.txt");
const QString kDay30 = QStringLiteral("TempData/2026/11/20261130-01.txt");

void Write(const QString &path, const QByteArray &bytes,
           QIODevice::OpenMode mode = QIODevice::WriteOnly)
{
    QVERIFY(QDir().mkpath(QFileInfo(path).path()));
    QFile file(path);
    QVERIFY(file.open(mode));
    QCOMPARE(file.write(bytes), bytes.size());
}

QByteArray Lines(int from, int count)
{
    QByteArray lines;
    for (int quantity = from; quantity < from + count; ++quantity)
        lines += QByteArray::number(quantity) + ",09:" + QByteArray::number(10 + quantity % 50) +
                 ":00,36.6C,22.5C\r\n";
    return lines;
}

// What a source said, as the window hears it.
struct Heard {
    explicit Heard(HistoryDaySource &source)
        : days(&source, &HistoryDaySource::daysChanged)
        , day(&source, &HistoryDaySource::dayChanged)
        , shown(&source, &HistoryDaySource::dayShown)
        , inserted(source.rows(), &QAbstractItemModel::rowsInserted)
        , reset(source.rows(), &QAbstractItemModel::modelReset)
    {}
    void clear()
    {
        for (QSignalSpy *spy : {&days, &day, &shown, &inserted, &reset})
            spy->clear();
    }

    QSignalSpy days;
    QSignalSpy day;
    QSignalSpy shown;
    QSignalSpy inserted;
    QSignalSpy reset;
};

} // namespace

class TestDaySources : public QObject {
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void shownDayStaysWhileItIsThere();
    void shownDayChanges_data();
    void shownDayChanges();
    void pausedFollowsNothing();
    void nothingRecorded();
    void unreachableServerIsSaidInTheNote();

private:
    std::unique_ptr<WorkingFolder> m_dir;
};

void TestDaySources::init()
{
    m_dir = std::make_unique<WorkingFolder>();
    QVERIFY(m_dir->isValid());
}

void TestDaySources::cleanup()
{
    m_dir.reset();
}

// Days made and removed by the main window: the day chosen stays chosen, and when its file goes
// the newest day is shown from the top.
void TestDaySources::shownDayStaysWhileItIsThere()
{
    Write(kDay8, Lines(1, 3));
    Write(kDay30, Lines(1, 1));
    LocalDaySource source;
    Heard heard(source);
    source.refresh();
    QCOMPARE(source.dayCaptions(), (QStringList{"2026-12-08  COM1", "2026-11-30  COM1"}));
    QCOMPARE(source.shownIndex(), 0);
    QCOMPARE(source.rows()->rowCount(), 3);
    QCOMPARE(source.figures().day, QDate(2026, 12, 8));
    QCOMPARE(source.figures().readings.size(), 3);
    QVERIFY(!source.figures().desks);
    QVERIFY(source.note().isEmpty());
    QCOMPARE(heard.days.size(), 1);
    QCOMPARE(heard.shown.size(), 1);

    source.showDay(1);
    QCOMPARE(source.shownDay()->path, kDay30);
    QCOMPARE(source.rows()->rowCount(), 1);
    QCOMPARE(heard.shown.size(), 2);

    heard.clear();
    Write(kDay9, Lines(1, 2));
    source.recordsChanged(kDay9);
    QCOMPARE(source.dayCaptions().size(), 3);
    QCOMPARE(source.shownIndex(), 2);
    QCOMPARE(heard.days.size(), 1);
    QCOMPARE(heard.shown.size(), 0);
    QCOMPARE(source.rows()->rowCount(), 1);

    QVERIFY(QFile::remove(kDay30));
    source.recordsChanged(kDay30);
    QCOMPARE(source.dayCaptions(), (QStringList{"2026-12-09  COM2", "2026-12-08  COM1"}));
    QCOMPARE(source.shownIndex(), 0);
    QCOMPARE(source.shownDay()->path, kDay9);
    QCOMPARE(source.rows()->rowCount(), 2);
    QCOMPARE(heard.shown.size(), 1);
}

void TestDaySources::shownDayChanges_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<bool>("append");
    QTest::addColumn<int>("rows");
    QTest::addColumn<int>("inserted"); // rows added at the end, -1 for none
    QTest::addColumn<bool>("reset");
    QTest::newRow("nothing") << QByteArray() << true << 3 << -1 << false;
    QTest::newRow("lines added") << Lines(4, 2) << true << 5 << 2 << false;
    QTest::newRow("rewritten") << Lines(1, 2) << false << 2 << -1 << true;
    QTest::newRow("more added than the table takes one by one")
        << Lines(4, 1001) << true << 1004 << -1 << true;
}

// The shown day's file changed: appended lines are added to the table as one insertion, anything
// else fills it anew; the table is never sent back to the top while the same day is shown.
void TestDaySources::shownDayChanges()
{
    QFETCH(QByteArray, bytes);
    QFETCH(bool, append);
    QFETCH(int, rows);
    QFETCH(int, inserted);
    QFETCH(bool, reset);
    Write(kDay8, Lines(1, 3));
    LocalDaySource source;
    source.refresh();
    Heard heard(source);

    Write(kDay8, bytes, append ? QIODevice::Append : QIODevice::WriteOnly);
    source.recordsChanged(kDay8);
    QCOMPARE(source.rows()->rowCount(), rows);
    QCOMPARE(source.figures().readings.size(), rows);
    QCOMPARE(heard.inserted.size(), inserted < 0 ? 0 : 1);
    if (inserted > 0) {
        QCOMPARE(heard.inserted[0][1].toInt(), rows - inserted);
        QCOMPARE(heard.inserted[0][2].toInt(), rows - 1);
    }
    QCOMPARE(heard.reset.size(), reset ? 1 : 0);
    QCOMPARE(heard.day.size(), bytes.isEmpty() ? 0 : 1);
    QCOMPARE(heard.shown.size(), 0);
    QCOMPARE(heard.days.size(), 0);
}

// While another source is shown, this one neither reads nor watches; shown again, it catches up
// with the day it showed, and follows a file another program writes.
void TestDaySources::pausedFollowsNothing()
{
    Write(kDay8, Lines(1, 3));
    Write(kDay30, Lines(1, 1));
    LocalDaySource source;
    source.refresh();
    source.showDay(1);
    source.pause();
    Heard heard(source);

    Write(kDay30, Lines(2, 1), QIODevice::Append);
    source.recordsChanged(kDay30);
    Write(kDay9, Lines(1, 1));
    source.recordsChanged(kDay9);
    QTest::qWait(200); // the file events, if anything still watched
    QCOMPARE(heard.days.size() + heard.day.size() + heard.inserted.size() + heard.reset.size(), 0);
    QCOMPARE(source.rows()->rowCount(), 1);

    source.refresh();
    QCOMPARE(source.dayCaptions().size(), 3);
    QCOMPARE(source.shownDay()->path, kDay30);
    QCOMPARE(source.rows()->rowCount(), 2);

    heard.clear();
    Write(kDay30, Lines(3, 1), QIODevice::Append);
    QTRY_COMPARE(source.rows()->rowCount(), 3);
    QCOMPARE(heard.inserted.size(), 1);
}

void TestDaySources::nothingRecorded()
{
    LocalDaySource source;
    source.setLanguage(Language::Chinese);
    source.refresh();
    QVERIFY(source.dayCaptions().isEmpty());
    QCOMPARE(source.shownIndex(), -1);
    QVERIFY(!source.figures().day.isValid());
    QCOMPARE(source.note(), QStringLiteral("还没有任何测量记录。"));
    QCOMPARE(source.rows()->headerData(3, Qt::Horizontal).toString(), QStringLiteral("环境温度"));
    source.setLanguage(Language::English);
    QCOMPARE(source.note(), QStringLiteral("Nothing has been recorded yet."));
}

// No server where the settings say (a socket folder with no socket in it): no days, and the
// note says why, in the language of the moment.
void TestDaySources::unreachableServerIsSaidInTheNote()
{
    CentralSettings settings;
    settings.host = m_dir->path();
    settings.desk = QStringLiteral("Entrance A");
    settings.answerLimitMs = 2000;
    CentralDaySource source(settings);
    Heard heard(source);
    source.refresh();
    QCOMPARE(source.note(), QStringLiteral("Reading the central records…"));
    QCOMPARE(source.rows()->headerData(0, Qt::Horizontal).toString(), QStringLiteral("Desk"));
    QCOMPARE(source.columnWidths().size(), source.rows()->columnCount());

    QTRY_VERIFY(source.note().startsWith(QStringLiteral("The central records cannot be read: ")));
    QVERIFY2(source.note().size() > 40, qPrintable(source.note())); // with the client's words
    QVERIFY(source.dayCaptions().isEmpty());
    QCOMPARE(source.shownIndex(), -1);
    QVERIFY(!source.figures().day.isValid());
    QCOMPARE(heard.days.size(), 2);
    source.setLanguage(Language::Chinese);
    QVERIFY(source.note().startsWith(QStringLiteral("无法读取中心库：")));
}

QTEST_GUILESS_MAIN(TestDaySources)
#include "tst_daysources.moc"
