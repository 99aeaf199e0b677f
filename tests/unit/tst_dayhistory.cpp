// The history's reading of the files on disk, without widgets, over a small folder of day files
// (fixtures/history): the days found in a tree of months, ports and stray files; a day's
// summary in both units and languages; which readings the shared warning file makes abnormal;
// malformed lines skipped and counted; a day file followed while it grows, is rewritten or
// vanishes; the chart's points; and the range export byte for byte in both languages.
#include "history/dayhistory.h"
#include "history/daysummary.h"
#include "history/historychartdata.h"
#include "history/historyday.h"
#include "history/historytexts.h"
#include "history/rangeexport.h"
#include "testfiles.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

namespace {

const QString kFixture = QStringLiteral(KESTRIM_HISTORY_FIXTURE);
// Port 3 of 8 December: two abnormal readings (one renumbered by a deletion since its warning
// line was written), one in Fahrenheit, one count-mode value and a last line cut short.
const QString kMixedDay = QStringLiteral("TempData/2026/12/20261208-03.txt");
const QString kMixedWarnings = QStringLiteral("TempData/2026/12/20261208-warning.txt");

void Write(const QString &path, const QByteArray &bytes, QIODevice::OpenMode mode)
{
    QFile file(path);
    QVERIFY(file.open(mode));
    QCOMPARE(file.write(bytes), bytes.size());
}

QStringList Labels(const QList<HistoryDay> &days)
{
    QStringList labels;
    for (const HistoryDay &day : days)
        labels.append(day.label());
    return labels;
}

QStringList Times(const QList<HistoryReading> &readings, bool abnormalOnly)
{
    QStringList times;
    for (const HistoryReading &reading : readings)
        if (!abnormalOnly || reading.abnormal)
            times.append(reading.time.toString(QStringLiteral("HH:mm:ss")));
    return times;
}

} // namespace

using Outcome = ExportResult::Outcome;
Q_DECLARE_METATYPE(Outcome)

class TestDayHistory : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanupTestCase();
    void daysFoundInTheFolderTree();
    void summary_data();
    void summary();
    void warningLinesMatchTheirOwnRows_data();
    void warningLinesMatchTheirOwnRows();
    void recordLines_data();
    void recordLines();
    void followsTheFile();
    void chartPoints();
    void chartThinsALongDayKeepingPeaks();
    void chartStepsWithTheLimitsInForce();
    void rangeExport_data();
    void rangeExport();

private:
    QString m_previousDir;
    QTemporaryDir m_scratch;
};

void TestDayHistory::initTestCase()
{
    m_previousDir = QDir::currentPath();
    QVERIFY(m_scratch.isValid());
    // The history reads the data folder of the working folder, as the window does.
    QVERIFY(QDir::setCurrent(kFixture));
}

void TestDayHistory::cleanupTestCase()
{
    QDir::setCurrent(m_previousDir);
}

// Newest first, a port to an entry; warning files, notes, copies, impossible dates, one-digit
// ports, files in another day's folder and folders that are no year are passed over.
void TestDayHistory::daysFoundInTheFolderTree()
{
    const QList<HistoryDay> days = FindHistoryDays();
    QCOMPARE(Labels(days), (QStringList{"2026-12-09  COM3", "2026-12-08  COM3", "2026-12-08  COM4",
                                        "2026-11-30  COM3", "2025-01-15  COM1"}));
    QCOMPARE(QDir::fromNativeSeparators(days[1].path), kMixedDay);
    QCOMPARE(QDir::fromNativeSeparators(days[2].warningPath), kMixedWarnings);
}

void TestDayHistory::summary_data()
{
    QTest::addColumn<QString>("dayFile");
    QTest::addColumn<TempUnit>("tempUnit");
    QTest::addColumn<Language>("language");
    QTest::addColumn<QString>("text");
    QTest::newRow("mixed day in Celsius")
        << kMixedDay << TempUnit::Celsius << Language::English
        << "Readings: 5   Abnormal: 2   Highest: 38.2°C   Lowest: 36.3°C   Mean: 37.2°C   "
           "First: 09:15:02   Last: 10:05:30   Counts: 1   Unreadable: 1";
    // 36.3C → 97.3F, 37.9C → 100.2F, 97.7F, 38.2C → 100.8F: the program's own rounding.
    QTest::newRow("mixed day in Fahrenheit")
        << kMixedDay << TempUnit::Fahrenheit << Language::English
        << "Readings: 5   Abnormal: 2   Highest: 100.8°F   Lowest: 97.3°F   Mean: 99.0°F   "
           "First: 09:15:02   Last: 10:05:30   Counts: 1   Unreadable: 1";
    QTest::newRow("mixed day, Chinese")
        << kMixedDay << TempUnit::Celsius << Language::Chinese
        << "读数：5   异常：2   最高：38.2°C   最低：36.3°C   平均：37.2°C   首次：09:15:02   "
           "末次：10:05:30   计数值：1   无法读取：1";
    QTest::newRow("Fahrenheit day in Celsius")
        << "TempData/2025/01/20250115-01.txt" << TempUnit::Celsius << Language::English
        << "Readings: 1   Abnormal: 0   Highest: 36.8°C   Lowest: 36.8°C   Mean: 36.8°C   "
           "First: 07:59:59   Last: 07:59:59";
    QTest::newRow("no file") << "TempData/2026/12/20261210-03.txt" << TempUnit::Celsius
                             << Language::English
                             << "Readings: 0   Abnormal: 0   Highest: -   Lowest: -   Mean: -   "
                                "First: -   Last: -";
}

void TestDayHistory::summary()
{
    QFETCH(QString, dayFile);
    QFETCH(TempUnit, tempUnit);
    QFETCH(Language, language);
    DayHistory day;
    day.load(dayFile, kMixedWarnings);
    QTEST(SummaryText(SummariseDay(day.readings(), day.unreadable(), tempUnit), tempUnit, language),
          "text");
}

void TestDayHistory::warningLinesMatchTheirOwnRows_data()
{
    QTest::addColumn<QString>("dayFile");
    QTest::addColumn<QStringList>("abnormal");
    // 09:16:40 by its own line, 10:05:30 by a line whose quantity a deletion changed since;
    // the warning line of port 4 and that of a deleted row match nothing here.
    QTest::newRow("port 3") << kMixedDay << QStringList{"09:16:40", "10:05:30"};
    QTest::newRow("port 4") << "TempData/2026/12/20261208-04.txt" << QStringList{"09:40:00"};
}

void TestDayHistory::warningLinesMatchTheirOwnRows()
{
    QFETCH(QString, dayFile);
    DayHistory day;
    day.load(dayFile, kMixedWarnings);
    QTEST(Times(day.readings(), true), "abnormal");
}

void TestDayHistory::recordLines_data()
{
    QTest::addColumn<QByteArray>("line");
    QTest::addColumn<bool>("readable");
    QTest::newRow("Celsius") << QByteArray("7,11:00:00,36.5C,24.5C") << true;
    QTest::newRow("Fahrenheit") << QByteArray("7,11:00:00,97.7F,76.1F") << true;
    QTest::newRow("count") << QByteArray("7,11:00:00,12,24.5C") << true;
    QTest::newRow("below zero") << QByteArray("7,11:00:00,36.5C,-3.6C") << true;
    QTest::newRow("spaces around fields") << QByteArray(" 7 ,11:00:00 ,36.5C, 24.5C") << true;
    QTest::newRow("cut short") << QByteArray("7,11:0") << false;
    QTest::newRow("no environment") << QByteArray("7,11:00:00,36.5C") << false;
    QTest::newRow("empty field") << QByteArray("7,,36.5C,24.5C") << false;
    QTest::newRow("a fifth field") << QByteArray("7,11:00:00,36.5C,24.5C,x") << false;
    QTest::newRow("quantity not a number") << QByteArray("x7,11:00:00,36.5C,24.5C") << false;
    QTest::newRow("hour 25") << QByteArray("7,25:00:00,36.5C,24.5C") << false;
    QTest::newRow("one-digit hour") << QByteArray("7,9:00:00,36.5C,24.5C") << false;
    QTest::newRow("unknown unit") << QByteArray("7,11:00:00,36.5K,24.5C") << false;
    QTest::newRow("two points") << QByteArray("7,11:00:00,36.5.1C,24.5C") << false;
    QTest::newRow("environment cut") << QByteArray("7,11:00:00,36.5C,24.") << false;
    QTest::newRow("not text") << QByteArray("\xff\xfe\x01,\x80") << false;
    // The thermometer sends 16-bit tenths: 0.0 to 6553.5 in its unit, the other unit converted.
    QTest::newRow("highest Celsius") << QByteArray("7,11:00:00,6553.5C,24.5C") << true;
    QTest::newRow("highest Fahrenheit") << QByteArray("7,11:00:00,11828.3F,76.1F") << true;
    QTest::newRow("lowest Celsius") << QByteArray("7,11:00:00,36.5C,-17.7C") << true;
    QTest::newRow("highest count") << QByteArray("7,11:00:00,65535,24.5C") << true;
    QTest::newRow("beyond 16 bits, Celsius") << QByteArray("7,11:00:00,6553.6C,24.5C") << false;
    QTest::newRow("beyond 16 bits, Fahrenheit") << QByteArray("7,11:00:00,11828.4F,76.1F") << false;
    QTest::newRow("colder than 0.0F") << QByteArray("7,11:00:00,36.5C,-17.9C") << false;
    QTest::newRow("below 0.0F") << QByteArray("7,11:00:00,-0.1F,76.1F") << false;
    QTest::newRow("absurd value") << QByteArray("2,08:00:02,99999999999999999999C,24.5C") << false;
    QTest::newRow("absurd environment") << QByteArray("7,11:00:00,36.5C,99999999C") << false;
    QTest::newRow("count beyond 16 bits") << QByteArray("7,11:00:00,65536,24.5C") << false;
    QTest::newRow("absurd count") << QByteArray("7,11:00:00,99999999999999999999,24.5C") << false;
}

// A line between two good ones: read, or skipped and counted without losing the next.
void TestDayHistory::recordLines()
{
    QFETCH(QByteArray, line);
    QFETCH(bool, readable);
    const QString path = m_scratch.filePath(QStringLiteral("lines.txt"));
    Write(path, "1,10:00:00,36.6C,24.5C\r\n" + line + "\r\n2,12:00:00,36.7C,24.5C\r\n",
          QIODevice::WriteOnly);
    DayHistory day;
    day.load(path, {});
    QCOMPARE(day.unreadable(), readable ? 0 : 1);
    QCOMPARE(day.rows().size(), readable ? 3 : 2);
    QCOMPARE(day.readings().size(), day.rows().size());
    QCOMPARE(day.readings().last().time, QTime(12, 0));
    if (readable)
        QCOMPARE(day.readings()[1].time, QTime(11, 0));
}

void TestDayHistory::followsTheFile()
{
    const QString path = m_scratch.filePath(QStringLiteral("20261209-03.txt"));
    const QString warnings = m_scratch.filePath(QStringLiteral("20261209-warning.txt"));
    Write(path, "1,08:30:05,36.4C,22.5C\r\n", QIODevice::WriteOnly);
    DayHistory day;
    day.load(path, warnings);
    QCOMPARE(day.refresh(), DayHistory::Change::Unchanged);

    // A reading, then an abnormal one with its warning line, as the main window stores them.
    Write(path, "2,08:31:10,36.6C,22.5C\r\n", QIODevice::Append);
    QCOMPARE(day.refresh(), DayHistory::Change::Appended);
    QCOMPARE(day.firstNewRow(), 1);
    QCOMPARE(day.rows().last(), (QStringList{"2", "08:31:10", "36.6C", "22.5C"}));
    Write(path, "3,08:32:00,38.1C,22.5C\r\n", QIODevice::Append);
    Write(warnings, "3,08:32:00,38.1C,22.5C\r\n", QIODevice::Append);
    QCOMPARE(day.refresh(), DayHistory::Change::Appended);
    QCOMPARE(day.firstNewRow(), 2);
    QCOMPARE(Times(day.readings(), true), QStringList{"08:32:00"});

    // Select Delete: the file is replaced by one renumbered row, which is read anew.
    QVERIFY(QFile::remove(path));
    Write(path, "1,08:32:00,38.1C,22.5C\r\n", QIODevice::WriteOnly);
    QCOMPARE(day.refresh(), DayHistory::Change::Reloaded);
    QCOMPARE(day.rows(), (RecordRows{{"1", "08:32:00", "38.1C", "22.5C"}}));
    QCOMPARE(Times(day.readings(), true), QStringList{"08:32:00"});

    // A rewrite that leaves the file longer is no append.
    Write(path, "1,09:00:00,36.9C,22.5C\r\n2,09:00:01,37.0C,22.5C\r\n", QIODevice::WriteOnly);
    QCOMPARE(day.refresh(), DayHistory::Change::Reloaded);
    QCOMPARE(Times(day.readings(), false), (QStringList{"09:00:00", "09:00:01"}));

    // Delete All.
    QVERIFY(QFile::remove(path));
    QCOMPARE(day.refresh(), DayHistory::Change::Reloaded);
    QVERIFY(!day.exists());
    QVERIFY(day.rows().isEmpty());
}

// Temperatures in the unit asked for, count-mode values left out, abnormal ones again.
void TestDayHistory::chartPoints()
{
    DayHistory day;
    day.load(kMixedDay, kMixedWarnings);
    const HistoryChartData data = BuildChartData(day.readings(), TempUnit::Fahrenheit);
    const auto at = [](int h, int m, int s) {
        return double(QTime(h, m, s).msecsSinceStartOfDay());
    };
    QCOMPARE(data.readings, (QList<QPointF>{{at(9, 15, 2), 97.3f},
                                            {at(9, 16, 40), 100.2f},
                                            {at(9, 18, 11), 97.7f},
                                            {at(10, 5, 30), 100.8f}}));
    QCOMPARE(data.abnormal, (QList<QPointF>{{at(9, 16, 40), 100.2f}, {at(10, 5, 30), 100.8f}}));
    QCOMPARE(data.lowest, 97.3f);
    QCOMPARE(data.highest, 100.8f);
    // 09:15:02 to 10:05:30 on round ten minutes.
    QCOMPARE(data.axisFromMs, QTime(9, 10).msecsSinceStartOfDay());
    QCOMPARE(data.axisToMs, QTime(10, 10).msecsSinceStartOfDay());
    QCOMPARE(data.axisTicks, 7);
}

// With the day's settings on record, the limit is a step line over the time axis (in the
// chart's unit, a limit kept in °F converted) and surface readings are left out of the line
// and of the summary's figures;
// without them there are no steps and the window's limit is drawn.
void TestDayHistory::chartStepsWithTheLimitsInForce()
{
    const auto settings = [](quint64 next, WorkMode mode, TempUnit unit, float limit) {
        DaySettingsLine line;
        line.nextQuantity = next;
        line.mode = mode;
        line.unit = unit;
        line.alarmLimit = limit;
        return line;
    };
    QList<HistoryReading> readings;
    const QList<std::pair<const char *, DaySettingsLine>> day{
        {"36.5C", settings(1, WorkMode::Body, TempUnit::Celsius, 37.5f)},
        {"36.6C", settings(1, WorkMode::Body, TempUnit::Celsius, 37.5f)},
        {"37.7C", settings(3, WorkMode::Body, TempUnit::Celsius, 38.0f)},
        {"33.0C", settings(4, WorkMode::Surface, TempUnit::Celsius, 38.0f)},
        {"98.8F", settings(5, WorkMode::Body, TempUnit::Fahrenheit, 100.4f)}};
    for (qsizetype at = 0; at < day.size(); ++at) {
        HistoryReading reading = *ParseHistoryReading(
            {QString::number(at + 1), QStringLiteral("09:%1:00").arg(10 * (at + 1)), day[at].first,
             "24.0C"});
        readings.append(reading);
    }
    const HistoryChartData without = BuildChartData(readings, TempUnit::Celsius);
    QVERIFY(without.limitSteps.isEmpty());
    QCOMPARE(without.readings.size(), 5);

    for (qsizetype at = 0; at < day.size(); ++at)
        readings[at].inForce = day[at].second;
    const HistoryChartData data = BuildChartData(readings, TempUnit::Celsius);
    QCOMPARE(data.readings.size(), 4);
    QCOMPARE(data.lowest, 36.5f);
    const double from = data.axisFromMs, to = data.axisToMs, at30 = 9.5 * 3600 * 1000;
    QCOMPARE(data.limitSteps,
             (QList<QPointF>{{from, 37.5}, {at30, 37.5}, {at30, 38.0}, {to, 38.0}}));
    // The history's summary line leaves the surface reading out of its figures too.
    QCOMPARE(SummaryText(SummariseDay(readings, 0, TempUnit::Celsius), TempUnit::Celsius,
                         Language::English),
             QStringLiteral("Readings: 5   Abnormal: 0   Highest: 37.7°C   Lowest: 36.5°C   "
                            "Mean: 37.0°C   First: 09:10:00   Last: 09:50:00   Surface: 1"));
}

void TestDayHistory::chartThinsALongDayKeepingPeaks()
{
    QList<HistoryReading> readings;
    for (int second = 0; second < 20000; ++second) {
        HistoryReading reading;
        reading.time = QTime(8, 0).addSecs(second);
        reading.value = second == 12345 ? 39.9f : (second == 777 ? 35.1f : 36.5f);
        readings.append(reading);
    }
    const HistoryChartData data = BuildChartData(readings, TempUnit::Celsius, 400);
    QVERIFY2(data.readings.size() <= 402, qPrintable(QString::number(data.readings.size())));
    const auto has = [&](float value) {
        return std::any_of(data.readings.begin(), data.readings.end(),
                           [&](const QPointF &point) { return float(point.y()) == value; });
    };
    QVERIFY(has(39.9f));
    QVERIFY(has(35.1f));
    QVERIFY(std::is_sorted(data.readings.begin(), data.readings.end(),
                           [](const QPointF &a, const QPointF &b) { return a.x() < b.x(); }));
}

void TestDayHistory::rangeExport_data()
{
    QTest::addColumn<QDate>("first");
    QTest::addColumn<QDate>("last");
    QTest::addColumn<QString>("header");
    QTest::addColumn<QString>("target");
    QTest::addColumn<Outcome>("outcome");
    QTest::addColumn<QByteArray>("bytes");
    const QString english = HistoryTexts::kRangeCsvHeader.in(Language::English);
    const QString chinese = HistoryTexts::kRangeCsvHeader.in(Language::Chinese);
    // The lines as they are in the files, the cut-short one too, each behind its date and port
    // and followed by its verdict (the cut-short one has none); oldest day first, then by port.
    // The warning file's line of 09:40:00 belongs to COM4's file, not COM3's.
    const QByteArray rows = "2026-12-08,COM3,1,09:15:02,36.3C,24.5C,FALSE\r"
                            "2026-12-08,COM3,2,09:16:40,37.9C,24.5C,TRUE\r"
                            "2026-12-08,COM3,3,09:18:11,97.7F,76.1F,FALSE\r"
                            "2026-12-08,COM3,4,09:20:00,12,24.5C,FALSE\r"
                            "2026-12-08,COM3,5,10:05:30,38.2C,24.6C,TRUE\r"
                            "2026-12-08,COM3,6,10:07:1\r"
                            "2026-12-08,COM4,1,09:40:00,38.0C,24.5C,TRUE\r"
                            "2026-12-08,COM4,2,09:41:00,36.7C,24.5C,FALSE\r"
                            "2026-12-09,COM3,1,08:30:05,36.4C,22.5C,FALSE\r"
                            "2026-12-09,COM3,2,08:31:10,36.6C,22.5C,FALSE\r";
    const QByteArray englishHeader =
        "Date,Port,Quantity,Test Time,Test Value,Envrionment Temp.,Abnormal\r";
    QTest::newRow("English") << QDate(2026, 12, 1) << QDate(2026, 12, 31) << english << "range.csv"
                             << Outcome::Written << englishHeader + rows;
    QTest::newRow("Chinese")
        << QDate(2026, 12, 8) << QDate(2026, 12, 9) << chinese << "range.CSV" << Outcome::Written
        << QString("日期,串口,数量,测试时间,测量数值,环境温度,异常\r").toUtf8() + rows;
    QTest::newRow("one day") << QDate(2026, 11, 30) << QDate(2026, 11, 30) << english << "day.csv"
                             << Outcome::Written
                             << englishHeader + "2026-11-30,COM3,1,16:02:44,36.8C,21.0C,FALSE\r";
    QTest::newRow("no day in it") << QDate(2026, 10, 1) << QDate(2026, 10, 31) << english
                                  << "none.csv" << Outcome::NothingRecorded
                                  << QByteArray("<missing>");
    QTest::newRow("not .csv") << QDate(2026, 12, 1) << QDate(2026, 12, 31) << english << "range.txt"
                              << Outcome::Unsupported << QByteArray("<missing>");
}

void TestDayHistory::rangeExport()
{
    QFETCH(QDate, first);
    QFETCH(QDate, last);
    QFETCH(QString, header);
    QFETCH(QString, target);
    const QString path = m_scratch.filePath(target);
    QFile::remove(path);
    QTEST(ExportDayRange(FindHistoryDays(), first, last, header, path).outcome, "outcome");
    QTEST(ReadFile(path), "bytes");
}

QTEST_GUILESS_MAIN(TestDayHistory)
#include "tst_dayhistory.moc"
