// The day's settings file: its lines read back as written and hand-edited ones passed over;
// which settings were in force for each reading, carried over midnight from the day before;
// the quantity the window's next reading takes, and settings reported again not written twice;
// and a deletion renumbering the lines with the readings they describe.
#include "records/dayrecords.h"
#include "records/daysettingsfile.h"
#include "testfiles.h"
#include "workingfolder.h"

#include <QFile>
#include <QTest>

namespace {

const QString kDay = QStringLiteral("TempData/2026/12/20261209-03.txt");
const QString kDayBefore = QStringLiteral("TempData/2026/12/20261208-03.txt");

DaySettingsLine Line(quint64 next, float limit, WorkMode mode = WorkMode::Body,
                     TempUnit unit = TempUnit::Celsius)
{
    DaySettingsLine line;
    line.time = QTime(9, 0, 0);
    line.nextQuantity = next;
    line.model = MachineType::R9Pro;
    line.unit = unit;
    line.mode = mode;
    line.alarmLimit = limit;
    return line;
}

RecordRows Rows(const QList<int> &times)
{
    RecordRows rows;
    for (int at = 0; at < times.size(); ++at)
        rows.append({QString::number(at + 1),
                     QStringLiteral("09:%1:00").arg(times[at], 2, 10, QChar(u'0')),
                     QStringLiteral("36.5C"), QStringLiteral("24.0C")});
    return rows;
}

} // namespace

Q_DECLARE_METATYPE(std::optional<DaySettingsLine>)

class TestDaySettings : public QObject {
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void lineFormat_data();
    void lineFormat();
    void settingsInForce();
    void nextQuantityAndRepeats();
    void deletionRenumbers_data();
    void deletionRenumbers();

private:
    std::unique_ptr<WorkingFolder> m_dir;
};

void TestDaySettings::init()
{
    m_dir = std::make_unique<WorkingFolder>();
    QVERIFY(m_dir->isValid());
}

void TestDaySettings::cleanup()
{
    m_dir.reset();
}

void TestDaySettings::lineFormat_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<std::optional<DaySettingsLine>>("line");
    DaySettingsLine fahrenheit = Line(41, 100.4f, WorkMode::Surface, TempUnit::Fahrenheit);
    fahrenheit.time = QTime(14, 2, 11);
    fahrenheit.model = MachineType::R9;
    QTest::newRow("R9  Pro, body, °C")
        << "09:00:00,1,R9Pro,C,body,37.5C" << std::optional(Line(1, 37.5f));
    QTest::newRow("R9, surface, °F")
        << "14:02:11,41,R9,F,surface,100.4F" << std::optional(fahrenheit);
    QTest::newRow("count") << "09:00:00,7,R9Pro,C,count,38.0C"
                           << std::optional(Line(7, 38.0f, WorkMode::Count));
    for (const char *bad : {"09:00:00,1,R9Pro,C,body", "09:00:00,0,R9Pro,C,body,37.5C",
                            "9:00,1,R9Pro,C,body,37.5C", "09:00:00,1,R8,C,body,37.5C",
                            "09:00:00,1,R9Pro,K,body,37.5C", "09:00:00,1,R9Pro,C,ear,37.5C",
                            "09:00:00,1,R9Pro,C,body,37.5F", "09:00:00,1,R9Pro,C,body,highC"})
        QTest::newRow(bad) << bad << std::optional<DaySettingsLine>();
}

// A line is written as documented and read back to the same settings; anything else is no line.
void TestDaySettings::lineFormat()
{
    QFETCH(QString, text);
    QFETCH(std::optional<DaySettingsLine>, line);
    QCOMPARE(ParseDaySettingsLine(text), line);
    if (line)
        QCOMPARE(FormatDaySettingsLine(*line), text);
}

// Each reading takes the last line that starts at or before its quantity; readings before the
// day's first line take the day before's last line (a run over midnight); a day without either
// has nothing on record. A damaged line is passed over.
void TestDaySettings::settingsInForce()
{
    QCOMPARE(DaySettings::Read(kDay, kDayBefore).recorded(), false);
    QCOMPARE(DaySettings::Read(kDay, kDayBefore).inForce(1), std::nullopt);

    QString error;
    QVERIFY(QDir().mkpath(QStringLiteral("TempData/2026/12")));
    QVERIFY(AppendDaySettings(kDayBefore, Line(1, 37.3f), &error));
    QVERIFY(AppendDaySettings(kDayBefore, Line(9, 37.8f), &error));
    WriteFile(DaySettingsPath(kDay), "09:00:00,4,R9Pro,C,body,38.0C\r\nthe cat walked here\r\n"
                                     "09:30:00,10,R9Pro,F,surface,100.0F\r\n");
    QCOMPARE(DaySettingsPath(kDay), "TempData/2026/12/20261209-03-settings.txt");
    QCOMPARE(ReadFile(DaySettingsPath(kDayBefore)),
             "09:00:00,1,R9Pro,C,body,37.3C\r\n09:00:00,9,R9Pro,C,body,37.8C\r\n");

    const DaySettings day = DaySettings::Read(kDay, kDayBefore);
    QVERIFY(day.recorded());
    QCOMPARE(day.lines().size(), 2);
    QCOMPARE(day.inForce(1)->alarmLimit, 37.8f); // carried from the day before
    QCOMPARE(day.inForce(3)->alarmLimit, 37.8f);
    QCOMPARE(day.inForce(4)->alarmLimit, 38.0f);
    QCOMPARE(day.inForce(9)->alarmLimit, 38.0f);
    QCOMPARE(day.inForce(10)->mode, WorkMode::Surface);
    QCOMPARE(day.inForce(10)->alarmLimitIn(TempUnit::Celsius), 37.8f);
    QCOMPARE(day.inForce(500)->alarmLimit, 100.0f);
    // Without the day before, the first readings have nothing on record.
    QCOMPARE(DaySettings::Read(kDay, QString()).inForce(3), std::nullopt);
}

// The line names the quantity the next reading will take, from the records' count or the day
// file itself (a count that lags behind it, another day); the same settings reported again are
// not written twice.
void TestDaySettings::nextQuantityAndRepeats()
{
    DayRecords records;
    const QDate day(2026, 12, 9);
    records.LoadDayIndex(day);
    records.PrepareDayRecords(3);
    const QDateTime morning(day, QTime(8, 0, 0));
    QVERIFY(records.AppendSettings(morning, Line(0, 37.5f), 3).ok);
    QVERIFY(records.AppendReading(morning.addSecs(60), "36.5C", "24.0C", 3).ok);
    QVERIFY(records.AppendReading(morning.addSecs(120), "36.6C", "24.0C", 3).ok);
    // Reported again after a refused command: nothing new.
    QVERIFY(records.AppendSettings(morning.addSecs(150), Line(0, 37.5f), 3).ok);
    QVERIFY(records.AppendSettings(morning.addSecs(180), Line(0, 38.0f), 3).ok);
    // Just after midnight, before the first reading of the new day rolls the records over.
    QVERIFY(
        records.AppendSettings(QDateTime(day.addDays(1), QTime(0, 0, 5)), Line(0, 38.5f), 3).ok);
    QCOMPARE(ReadFile(DaySettingsPath(records.dayFilePath(day, 3))),
             "08:00:00,1,R9Pro,C,body,37.5C\r\n08:03:00,3,R9Pro,C,body,38.0C\r\n");
    QCOMPARE(ReadFile(DaySettingsPath(records.dayFilePath(day.addDays(1), 3))),
             "00:00:05,1,R9Pro,C,body,38.5C\r\n");
    // The day file and the index are as they would be without the settings file.
    QCOMPARE(ReadFile(records.dayFilePath(day, 3)),
             "1,08:01:00,36.5C,24.0C\r\n2,08:02:00,36.6C,24.0C\r\n");
}

void TestDaySettings::deletionRenumbers_data()
{
    QTest::addColumn<QByteArray>("before"); // the settings file
    QTest::addColumn<QList<int>>("kept");   // the minutes of the rows kept, of readings at 1..8
    QTest::addColumn<QByteArray>("after");
    const QByteArray three = "09:00:00,1,R9Pro,C,body,37.5C\r\n"
                             "09:00:00,4,R9Pro,C,body,38.0C\r\n"
                             "09:00:00,7,R9Pro,C,surface,38.0C\r\n";
    QTest::newRow("lines 2 and 3 removed")
        << three << QList<int>{1, 4, 5, 6, 7, 8}
        << QByteArray("09:00:00,1,R9Pro,C,body,37.5C\r\n09:00:00,2,R9Pro,C,body,38.0C\r\n"
                      "09:00:00,5,R9Pro,C,surface,38.0C\r\n");
    QTest::newRow("every reading of the second line removed")
        << three << QList<int>{1, 2, 3, 7, 8}
        << QByteArray("09:00:00,1,R9Pro,C,body,37.5C\r\n09:00:00,4,R9Pro,C,surface,38.0C\r\n");
    QTest::newRow("the last readings removed")
        << three << QList<int>{1, 2}
        << QByteArray("09:00:00,1,R9Pro,C,body,37.5C\r\n09:00:00,3,R9Pro,C,surface,38.0C\r\n");
    QTest::newRow("Delete All: the settings in force go on from 1")
        << three << QList<int>{} << QByteArray("09:00:00,1,R9Pro,C,surface,38.0C\r\n");
    QTest::newRow("no settings file") << QByteArray() << QList<int>{1} << QByteArray("<missing>");
}

// After a deletion each line starts at the new quantity of the first reading it was in force
// for; a line left with no reading gives way to the one that starts where it did.
void TestDaySettings::deletionRenumbers()
{
    QFETCH(QByteArray, before);
    QFETCH(QList<int>, kept);
    if (!before.isEmpty())
        WriteFile(DaySettingsPath(kDay), before);
    const RecordRows all = Rows({1, 2, 3, 4, 5, 6, 7, 8});
    RecordRows after = Rows(kept);
    QString error;
    QVERIFY2(RenumberDaySettings(kDay, all, after, &error), qPrintable(error));
    QTEST(ReadFile(DaySettingsPath(kDay)), "after");
}

QTEST_GUILESS_MAIN(TestDaySettings)
#include "tst_daysettings.moc"
