// The day's record, warning and index files, checked byte for byte in a scratch working folder:
// first reading, ports, restarts, start-up clean-up, write failures, midnight and deletion.
#include "records/dayrecords.h"
#include "records/filesharing.h"
#include "testfiles.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

#ifdef Q_OS_UNIX
#include <sys/stat.h>
#endif

namespace {

const QDate kDay(2024, 5, 21);
const QByteArray kFreshIndex("[RECORD]\r\nTOTAL_NUM=0\r\nPATH=0\r\n");
// The program names files with the platform's separator; the tests write '/'.
QString Native(const QString &path)
{
    return QDir::toNativeSeparators(path);
}

const QString kIndex = Native("Ini/2024-05-21.ini");
const QString kDayFile3 = Native("TempData/2024/05/20240521-03.txt");

QByteArray Index(int count, const char *path)
{
    return "[RECORD]\r\nTOTAL_NUM=" + QByteArray::number(count) +
           "\r\nPATH=" + Native(path).toUtf8() + "\r\n";
}

// An instant of `day` at "HH:mm:ss".
QDateTime At(const QString &time, QDate day = kDay)
{
    return QDateTime(day, QTime::fromString(time, QStringLiteral("HH:mm:ss")));
}

// A run that has connected on `port`: the index loaded at start-up and prepared.
RecordRows Connect(DayRecords &records, int port, QDate day = kDay)
{
    records.LoadDayIndex(day);
    return records.PrepareDayRecords(port);
}

} // namespace

class TestDayRecords : public QObject {
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void firstReadingCreatesFiles();
    void pathWrittenOncePerRun();
    void portsShareWarningAndIndex();
    void restartSameDay_data();
    void restartSameDay();
    void indexReadPastNulBytes();
    void recordStartsOnItsOwnLine_data();
    void recordStartsOnItsOwnLine();
    void readingBeforeSettingsReport();
    void newDayRemovesOnlyIndexFiles_data();
    void newDayRemovesOnlyIndexFiles();
    void failedWriteChangesNothing_data();
    void failedWriteChangesNothing();
    void midnightRollsOver_data();
    void midnightRollsOver();
    void rollOverBeforeConnection();
    void readingTakesItsTimeFromItsInstant();
    void countCarriesOnAfterTheFile_data();
    void countCarriesOnAfterTheFile();
    void countCarriesOnAfterLongLines_data();
    void countCarriesOnAfterLongLines();
    void failedIndexWriteIsReported();
    void replaceAndDeleteDayFile();
    void deletionNeverTouchesIndexPath();
    void indexPathElsewhereIsNotFollowed_data();
    void indexPathElsewhereIsNotFollowed();
    void pipeInPlaceOfARecordFileIsNotOpened_data();
    void pipeInPlaceOfARecordFileIsNotOpened();
    void heldFilesAreWaitedForThenNamed_data();
    void heldFilesAreWaitedForThenNamed();

private:
    std::unique_ptr<QTemporaryDir> m_dir;
    QString m_previous;
};

void TestDayRecords::init()
{
    m_previous = QDir::currentPath();
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_dir->isValid());
    QVERIFY(QDir::setCurrent(m_dir->path()));
}

void TestDayRecords::cleanup()
{
    QDir::setCurrent(m_previous);
    m_dir.reset();
}

void TestDayRecords::firstReadingCreatesFiles()
{
    DayRecords records;
    QVERIFY(Connect(records, 3).isEmpty());
    QCOMPARE(records.indexFilePath(), kIndex);
    QCOMPARE(ReadFile(kIndex), kFreshIndex);

    const RecordWrite write = records.AppendReading(At("14:03:27"), "36.5C", "0.0C", 3);
    QVERIFY(write.ok);
    QCOMPARE(write.path, kDayFile3);
    QCOMPARE(ReadFile(kDayFile3), QByteArray("1,14:03:27,36.5C,0.0C\r\n"));
    QCOMPARE(ReadFile(kIndex), Index(1, "TempData/2024/05/20240521"));
    QCOMPARE(records.recordCount(), 1u);
    QCOMPARE(records.dayFilePath(), kDayFile3);
    QVERIFY(!records.pathPending());
}

void TestDayRecords::pathWrittenOncePerRun()
{
    DayRecords records;
    Connect(records, 3);
    QVERIFY(records.AppendReading(At("14:03:27"), "36.5C", "0.0C", 3).ok);
    // Someone else's PATH must survive the second reading: only TOTAL_NUM is written again.
    WriteFile(kIndex, Index(1, "elsewhere"));
    QVERIFY(records.AppendReading(At("14:03:30"), "36.6C", "0.0C", 3).ok);
    QCOMPARE(ReadFile(kIndex), Index(2, "elsewhere"));
    QCOMPARE(ReadFile(kDayFile3), QByteArray("1,14:03:27,36.5C,0.0C\r\n2,14:03:30,36.6C,0.0C\r\n"));
}

void TestDayRecords::portsShareWarningAndIndex()
{
    DayRecords records;
    Connect(records, 3);
    const RecordWrite first = records.AppendReading(At("14:03:27"), "38.5C", "25.0C", 3);
    QVERIFY(records.WriteWarningRecord(first.line, kDay).ok);
    QCOMPARE(records.dayFilePath(), kDayFile3);

    // Disconnect, choose COM4, connect again: the count goes on, the file is the port's own.
    QVERIFY(records.PrepareDayRecords(4).isEmpty());
    const RecordWrite second = records.AppendReading(At("14:05:00"), "38.7C", "25.0C", 4);
    const RecordWrite warning = records.WriteWarningRecord(second.line, kDay);
    QCOMPARE(warning.path, Native("TempData/2024/05/20240521-warning.txt"));

    QCOMPARE(ReadFile(kDayFile3), QByteArray("1,14:03:27,38.5C,25.0C\r\n"));
    QCOMPARE(ReadFile(Native("TempData/2024/05/20240521-04.txt")),
             QByteArray("2,14:05:00,38.7C,25.0C\r\n"));
    QCOMPARE(ReadFile(warning.path),
             QByteArray("1,14:03:27,38.5C,25.0C\r\n2,14:05:00,38.7C,25.0C\r\n"));
    QCOMPARE(ReadFile(kIndex), Index(2, "TempData/2024/05/20240521"));
}

void TestDayRecords::restartSameDay_data()
{
    QTest::addColumn<QByteArray>("pathValue");
    QTest::addColumn<bool>("damaged");
    QTest::addColumn<int>("rows");
    QTest::addColumn<quint64>("count");
    QTest::addColumn<QString>("dayFile");
    // The file holds 3 records and a blank line; TOTAL_NUM says 5.
    QTest::newRow("PATH names today")
        << QByteArray("TempData/2024/05/20240521") << false << 3 << quint64(3) << kDayFile3;
    // No record yet by the index; no file named "0" is ever listed.
    QTest::newRow("PATH 0 names no file") << QByteArray("0") << false << 0 << quint64(5) << "";
    // A damaged index: the day file is counted instead.
    QTest::newRow("PATH of another day")
        << QByteArray("TempData/2024/05/20240520") << true << 3 << quint64(3) << kDayFile3;
}

void TestDayRecords::restartSameDay()
{
    QFETCH(QByteArray, pathValue);
    QFETCH(bool, damaged);
    QFETCH(int, rows);
    QFETCH(quint64, count);
    QFETCH(QString, dayFile);
    WriteFile(kIndex, Index(5, pathValue.constData()));
    WriteFile(kDayFile3,
              "1,09:00:00,36.5C,0.0C\r\n\r\n2,09:00:01,36.5C,0.0C\r\n3,09:00:02,36.5C,0.0C\r\n");

    DayRecords records;
    records.LoadDayIndex(kDay);
    QCOMPARE(records.recordCount(), quint64(damaged ? 0 : 5));
    QCOMPARE(records.dayFilePath(), pathValue == "0" || damaged ? QString() : Native(pathValue));

    const RecordRows loaded = records.PrepareDayRecords(3);
    QCOMPARE(loaded.size(), rows);
    if (rows > 0)
        QCOMPARE(loaded.last(), (QStringList{"3", "09:00:02", "36.5C", "0.0C"}));
    QCOMPARE(records.recordCount(), count);
    QCOMPARE(records.dayFilePath(), Native(dayFile));
    // Once the rows are loaded, TOTAL_NUM follows them.
    QCOMPARE(ReadFile(kIndex), Index(int(rows > 0 ? count : 5), pathValue.constData()));

    const RecordWrite next = records.AppendReading(At("10:00:00"), "36.6C", "0.0C", 3);
    QCOMPARE(next.record.quantity, QString::number(count + 1));
}

// Found by fuzz_dayrecords: the index was read only up to its first NUL byte, so a restart lost
// the day's PATH and count behind a damaged block.
void TestDayRecords::indexReadPastNulBytes()
{
    WriteFile(kIndex, QByteArray(4, '\0') + Index(5, "TempData/2024/05/20240521") + '\0');
    WriteFile(kDayFile3, "1,09:00:00,36.5C,0.0C\r\n2,09:00:01,36.5C,0.0C\r\n");

    DayRecords records;
    records.LoadDayIndex(kDay);
    QCOMPARE(records.recordCount(), quint64(5));
    QCOMPARE(records.PrepareDayRecords(3).size(), 2);
    QCOMPARE(records.dayFilePath(), kDayFile3);
    QCOMPARE(records.AppendReading(At("10:00:00"), "36.6C", "0.0C", 3).record.quantity, "3");
    QCOMPARE(ReadFile(kIndex), Index(3, "TempData/2024/05/20240521"));
}

// Found by fuzz_dayrecords: a day file that did not end in a line break (written by hand, or
// cut short) had the new record glued to its last line.
void TestDayRecords::recordStartsOnItsOwnLine_data()
{
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<QByteArray>("appended");
    QTest::newRow("no line break at the end")
        << QByteArray("1,09:00:00,36.5C,0.0C") << QByteArray("\r\n2,10:00:00,36.6C,0.0C\r\n");
    QTest::newRow("cut inside a record") << QByteArray("1,09:00:00,36.5C,0.0C\r\n2,09:0")
                                         << QByteArray("\r\n3,10:00:00,36.6C,0.0C\r\n");
    QTest::newRow("cut between CR and LF")
        << QByteArray("1,09:00:00,36.5C,0.0C\r") << QByteArray("\n2,10:00:00,36.6C,0.0C\r\n");
    QTest::newRow("LF alone ends a line")
        << QByteArray("1,09:00:00,36.5C,0.0C\n") << QByteArray("2,10:00:00,36.6C,0.0C\r\n");
    QTest::newRow("empty file") << QByteArray() << QByteArray("1,10:00:00,36.6C,0.0C\r\n");
}

void TestDayRecords::recordStartsOnItsOwnLine()
{
    QFETCH(QByteArray, file);
    QFETCH(QByteArray, appended);
    WriteFile(kIndex, Index(0, "TempData/2024/05/20240521"));
    WriteFile(kDayFile3, file);
    DayRecords records;
    Connect(records, 3);
    QVERIFY(records.AppendReading(At("10:00:00"), "36.6C", "0.0C", 3).ok);
    QCOMPARE(ReadFile(kDayFile3), file + appended);
}

void TestDayRecords::readingBeforeSettingsReport()
{
    DayRecords records;
    records.LoadDayIndex(kDay);
    QVERIFY(records.AppendReading(At("14:03:27"), "36.5C", "0.0C", 3).ok);
    QVERIFY(!QFileInfo::exists("Ini"));
    QVERIFY(records.pathPending());

    // PATH waits for an index to write it to; the reload on reconnect depends on it.
    records.PrepareDayRecords(3);
    QVERIFY(records.AppendReading(At("14:03:30"), "36.6C", "0.0C", 3).ok);
    QCOMPARE(ReadFile(kIndex), Index(2, "TempData/2024/05/20240521"));
}

void TestDayRecords::newDayRemovesOnlyIndexFiles_data()
{
    QTest::addColumn<QStringList>("userFiles");
    QTest::addColumn<bool>("folderKept");
    QTest::newRow("only old indexes") << QStringList{} << false;
    QTest::newRow("operator's notes") << QStringList{"Ini/notes.txt"} << true;
    QTest::newRow("sub-folder") << QStringList{"Ini/keep/2024-05-19.ini"} << true;
}

void TestDayRecords::newDayRemovesOnlyIndexFiles()
{
    QFETCH(QStringList, userFiles);
    QFETCH(bool, folderKept);
    WriteFile("Ini/2024-05-20.ini", Index(7, "TempData/2024/05/20240520"));
    WriteFile("Ini/2024-05-19.INI", kFreshIndex);
    WriteFile("TempData/2024/05/20240520-03.txt", "1,09:00:00,36.5C,0.0C\r\n");
    for (const QString &file : userFiles)
        WriteFile(file, "mine");

    DayRecords records;
    records.LoadDayIndex(kDay);

    QCOMPARE(records.recordCount(), 0u);
    QVERIFY(!QFileInfo::exists("Ini/2024-05-20.ini"));
    QVERIFY(!QFileInfo::exists("Ini/2024-05-19.INI"));
    QCOMPARE(QFileInfo::exists("Ini"), folderKept);
    for (const QString &file : userFiles)
        QCOMPARE(ReadFile(file), QByteArray("mine"));
    QCOMPARE(ReadFile("TempData/2024/05/20240520-03.txt"), QByteArray("1,09:00:00,36.5C,0.0C\r\n"));
}

void TestDayRecords::failedWriteChangesNothing_data()
{
    QTest::addColumn<QString>("obstacle");
    QTest::addColumn<bool>("asFolder");
    QTest::newRow("folder in the day file's place") << kDayFile3 << true;
    QTest::newRow("file in the month folder's place") << "TempData/2024/05" << false;
}

void TestDayRecords::failedWriteChangesNothing()
{
    QFETCH(QString, obstacle);
    QFETCH(bool, asFolder);
    DayRecords records;
    Connect(records, 3);
    if (asFolder)
        QVERIFY(QDir().mkpath(obstacle));
    else
        WriteFile(obstacle, "");

    const RecordWrite write = records.AppendReading(At("14:03:27"), "36.5C", "0.0C", 3);
    QVERIFY(!write.ok);
    QCOMPARE(write.path, kDayFile3);
    QVERIFY(!write.error.isEmpty());
    QCOMPARE(write.line, QStringLiteral("1,14:03:27,36.5C,0.0C"));
    QCOMPARE(records.recordCount(), 0u);
    QVERIFY(records.dayFilePath().isEmpty());
    QVERIFY(records.pathPending());
    QCOMPARE(ReadFile(kIndex), kFreshIndex);

    // Once the way is clear the same quantity is stored: no gap, no double count.
    QVERIFY(asFolder ? QDir(obstacle).removeRecursively() : QFile::remove(obstacle));
    QCOMPARE(records.AppendReading(At("14:03:30"), "36.6C", "0.0C", 3).record.quantity, "1");
    QCOMPARE(ReadFile(kIndex), Index(1, "TempData/2024/05/20240521"));
}

void TestDayRecords::midnightRollsOver_data()
{
    QTest::addColumn<QDate>("from");
    QTest::addColumn<QDate>("to");
    QTest::addColumn<QString>("newFile");
    QTest::addColumn<QByteArray>("newPath");
    // Whether the clock's tick rolled the day over before the first reading of the new day.
    QTest::addColumn<bool>("tickFirst");
    QTest::newRow("next day") << kDay << QDate(2024, 5, 22) << "TempData/2024/05/20240522-03.txt"
                              << QByteArray("TempData/2024/05/20240522") << true;
    QTest::newRow("new year") << QDate(2024, 12, 31) << QDate(2025, 1, 1)
                              << "TempData/2025/01/20250101-03.txt"
                              << QByteArray("TempData/2025/01/20250101") << true;
    QTest::newRow("reading before the tick")
        << kDay << QDate(2024, 5, 22) << "TempData/2024/05/20240522-03.txt"
        << QByteArray("TempData/2024/05/20240522") << false;
}

void TestDayRecords::midnightRollsOver()
{
    QFETCH(QDate, from);
    QFETCH(QDate, to);
    QFETCH(QString, newFile);
    QFETCH(QByteArray, newPath);
    QFETCH(bool, tickFirst);
    DayRecords records;
    Connect(records, 3, from);
    records.AppendReading(At("23:59:58", from), "36.5C", "0.0C", 3);
    records.AppendReading(At("23:59:59", from), "36.5C", "0.0C", 3);
    const QByteArray oldIndex = ReadFile(records.indexFilePath());

    if (tickFirst) {
        records.rollOverTo(to);
        QCOMPARE(records.dateText(), to.toString("yyyy-MM-dd"));
        QCOMPARE(records.indexFilePath(), Native("Ini/" + to.toString("yyyy-MM-dd") + ".ini"));
        QCOMPARE(ReadFile(records.indexFilePath()), kFreshIndex);
        QCOMPARE(records.recordCount(), 0u);
        QVERIFY(records.pathPending());
    }

    // The reading belongs wholly to the new day: its file, its quantity, its index.
    const RecordWrite write = records.AppendReading(At("00:00:01", to), "36.6C", "0.0C", 3);
    QCOMPARE(records.dateText(), to.toString("yyyy-MM-dd"));
    QCOMPARE(write.path, Native(newFile));
    QCOMPARE(ReadFile(newFile), QByteArray("1,00:00:01,36.6C,0.0C\r\n"));
    QCOMPARE(ReadFile(records.indexFilePath()), Index(1, newPath.constData()));
    QCOMPARE(ReadFile("Ini/" + from.toString("yyyy-MM-dd") + ".ini"), oldIndex);
}

void TestDayRecords::rollOverBeforeConnection()
{
    DayRecords records;
    records.LoadDayIndex(kDay);
    WriteFile("Ini/2024-05-22.ini", Index(4, "TempData/2024/05/20240522"));
    records.rollOverTo(QDate(2024, 5, 22));
    // The new day's count is taken from its index; no index file is made without a connection.
    QCOMPARE(records.recordCount(), 4u);
    QVERIFY(records.indexFilePath().isEmpty());
    QVERIFY(!QFileInfo::exists(kIndex));
}

void TestDayRecords::readingTakesItsTimeFromItsInstant()
{
    DayRecords records;
    Connect(records, 3);
    const RecordWrite write = records.AppendReading(At("00:00:07"), "36.5C", "0.0C", 3);
    QCOMPARE(write.record.testTime, QStringLiteral("00:00:07"));
    // No instant, no line: a record never has an empty time.
    const RecordWrite timeless = records.AppendReading(QDateTime(), "36.6C", "0.0C", 3);
    QVERIFY(!timeless.ok);
    QVERIFY(!timeless.error.isEmpty());
    QCOMPARE(ReadFile(kDayFile3), QByteArray("1,00:00:07,36.5C,0.0C\r\n"));
    QCOMPARE(records.recordCount(), 1u);
}

void TestDayRecords::countCarriesOnAfterTheFile_data()
{
    QTest::addColumn<QByteArray>("index");
    QTest::addColumn<bool>("connect");
    // The file holds records 1 to 5; the index was last written at the third, or never got
    // PATH, when the run before ended.
    QTest::newRow("TOTAL_NUM behind, PATH today") << Index(3, "TempData/2024/05/20240521") << true;
    QTest::newRow("PATH never written") << Index(0, "0") << true;
    QTest::newRow("reading before the settings report")
        << Index(3, "TempData/2024/05/20240521") << false;
}

void TestDayRecords::countCarriesOnAfterTheFile()
{
    QFETCH(QByteArray, index);
    QFETCH(bool, connect);
    WriteFile(kIndex, index);
    QByteArray lines;
    for (int i = 1; i <= 5; ++i)
        lines += QByteArray::number(i) + ",09:00:0" + QByteArray::number(i) + ",36.5C,0.0C\r\n";
    WriteFile(kDayFile3, lines);

    DayRecords records;
    if (connect)
        Connect(records, 3);
    else
        records.LoadDayIndex(kDay);
    const RecordWrite write = records.AppendReading(At("10:00:00"), "36.6C", "0.0C", 3);
    QCOMPARE(write.record.quantity, QStringLiteral("6"));
    QCOMPARE(ReadFile(kDayFile3), lines + "6,10:00:00,36.6C,0.0C\r\n");
    QCOMPARE(records.recordCount(), 6u);
    QCOMPARE(records.AppendReading(At("10:00:01"), "36.6C", "0.0C", 3).record.quantity, "7");
    if (connect)
        QVERIFY(ReadFile(kIndex).startsWith("[RECORD]\r\nTOTAL_NUM=7\r\n"));
}

// Found while writing fuzz_dayrecords's check that quantities carry on after the last record:
// only the file's last 4 KB were looked at, so more than that after the last record restarted
// the quantities, and a record line cut by that boundary was read by the end of its quantity.
void TestDayRecords::countCarriesOnAfterLongLines_data()
{
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<QString>("quantity");
    QTest::newRow("5 KB of notes after the last record")
        << "5,09:00:00,36.5C,0.0C\r\n" + QByteArray(5000, 'x') + "\r\n"
        << "6";
    QTest::newRow("a record line cut inside its quantity by the 4 KB boundary")
        << "123456,09:00:00,36.5C," + QByteArray(4075, 'C') + "\r\n"
        << "123457";
    QTest::newRow("many blocks of notes")
        << "7,09:00:00,36.5C,0.0C\r\n" + QByteArray("note\r\n").repeated(3000) << "8";
}

void TestDayRecords::countCarriesOnAfterLongLines()
{
    QFETCH(QByteArray, file);
    WriteFile(kIndex, Index(1, "0"));
    WriteFile(kDayFile3, file);
    DayRecords records;
    Connect(records, 3);
    QTEST(records.AppendReading(At("10:00:00"), "36.6C", "0.0C", 3).record.quantity, "quantity");
}

void TestDayRecords::failedIndexWriteIsReported()
{
    DayRecords records;
    Connect(records, 3);
    // A folder where the index should be: the index cannot be read or replaced.
    QVERIFY(QFile::remove(kIndex));
    QVERIFY(QDir().mkpath(kIndex));

    const RecordWrite write = records.AppendReading(At("14:03:27"), "36.5C", "0.0C", 3);
    QVERIFY(write.ok); // the record is on disk and counted
    QCOMPARE(write.indexPath, kIndex);
    QVERIFY(!write.indexError.isEmpty());
    QCOMPARE(records.recordCount(), 1u);
    QVERIFY(records.pathPending());
    const RecordWrite deleted = records.deleteDayFile();
    QVERIFY(deleted.ok);
    QCOMPARE(deleted.indexPath, kIndex);

    // Once the index can be written again, count and PATH catch up.
    QVERIFY(QDir(kIndex).removeRecursively());
    const RecordWrite next = records.AppendReading(At("14:03:30"), "36.6C", "0.0C", 3);
    QVERIFY(next.indexError.isEmpty());
    QCOMPARE(ReadFile(kIndex), Index(1, "TempData/2024/05/20240521"));
}

void TestDayRecords::replaceAndDeleteDayFile()
{
    DayRecords records;
    Connect(records, 3);
    for (int i = 0; i < 5; ++i)
        records.AppendReading(At(QString::asprintf("09:00:%02d", i)), "36.5C", "0.0C", 3);

    const RecordRows kept{{"1", "09:00:00", "36.5C", "0.0C"}, {"2", "09:00:04", "36.5C", "0.0C"}};
    QVERIFY(records.replaceDayFile(kept, kDay, 3).ok);
    QCOMPARE(ReadFile(kDayFile3), QByteArray("1,09:00:00,36.5C,0.0C\r\n2,09:00:04,36.5C,0.0C\r\n"));
    QCOMPARE(records.recordCount(), 2u);
    QCOMPARE(ReadFile(kIndex), Index(2, "TempData/2024/05/20240521"));

    const RecordWrite deleted = records.deleteDayFile();
    QVERIFY(deleted.ok);
    QCOMPARE(deleted.path, kDayFile3);
    QVERIFY(!QFileInfo::exists(kDayFile3));
    QCOMPARE(ReadFile(kIndex), Index(0, "TempData/2024/05/20240521"));
    QCOMPARE(records.AppendReading(At("10:00:00"), "36.5C", "0.0C", 3).record.quantity, "1");
}

void TestDayRecords::deletionNeverTouchesIndexPath()
{
    // After a restart with PATH "0" the day file path is "0": a file of that name is not ours.
    WriteFile(kIndex, Index(3, "0"));
    WriteFile("0", "mine");
    WriteFile(kDayFile3, "1,09:00:00,36.5C,0.0C\r\n");
    DayRecords records;
    Connect(records, 3);

    QVERIFY(records.deleteDayFile().ok);
    QVERIFY(records.replaceDayFile({}, kDay, 3).ok);
    QCOMPARE(ReadFile("0"), QByteArray("mine"));
    QCOMPARE(ReadFile(kDayFile3), QByteArray("1,09:00:00,36.5C,0.0C\r\n"));
    QCOMPARE(ReadFile(kIndex), Index(0, "0"));
}

void TestDayRecords::indexPathElsewhereIsNotFollowed_data()
{
    QTest::addColumn<QString>("path");
    QTest::addColumn<bool>("damaged");
    QTest::addColumn<int>("next"); // the quantity of the next reading
    QTest::newRow("out of the working folder")
        << QStringLiteral("TempData/../elsewhere/20240521-03.txt") << true << 3;
    QTest::newRow("another day") << QStringLiteral("TempData/2024/05/20240520") << true << 3;
    // No record yet by the index, whose count is trusted.
    QTest::newRow("a file named 0") << QStringLiteral("0") << false << 8;
    QTest::newRow("the day's own prefix")
        << QStringLiteral("TempData/2024/05/20240521") << false << 3;
}

// Only the day's own prefix under TempData is taken from an index. Anything else is told once,
// and the count carries on from the day file; Delete All and Select Delete touch nothing else.
void TestDayRecords::indexPathElsewhereIsNotFollowed()
{
    QFETCH(QString, path);
    QFETCH(bool, damaged);
    WriteFile(kIndex, Index(7, path.toUtf8().constData()));
    WriteFile("elsewhere/20240521-03.txt", "1,08:00:00,30.0C,0.0C\r\n");
    WriteFile("0", "1,08:00:00,30.0C,0.0C\r\n");
    WriteFile(Native("TempData/2024/05/20240520-03.txt"), "1,08:00:00,30.0C,0.0C\r\n");
    WriteFile(kDayFile3, "1,09:00:00,36.5C,0.0C\r\n2,09:01:00,36.6C,0.0C\r\n");

    DayRecords records;
    records.LoadDayIndex(kDay);
    QCOMPARE(records.takeDamagedIndex(), damaged ? kIndex : QString());
    QVERIFY(records.takeDamagedIndex().isEmpty());
    const RecordRows rows = records.PrepareDayRecords(3);
    QVERIFY(records.takeDamagedIndex().isEmpty()); // told once
    if (path != u"0")
        QCOMPARE(rows.size(), 2);
    QVERIFY(records.dayFilePath() == kDayFile3 || records.dayFilePath().isEmpty());

    const RecordWrite write = records.AppendReading(At("10:00:00"), "36.7C", "0.0C", 3);
    QVERIFY(write.ok);
    QFETCH(int, next);
    QCOMPARE(write.record.quantity, QString::number(next));
    QCOMPARE(ReadFile(kIndex), Index(next, "TempData/2024/05/20240521"));
    QVERIFY(records.deleteDayFile().ok);
    QVERIFY(!QFile::exists(kDayFile3));
    QCOMPARE(ReadFile("elsewhere/20240521-03.txt"), QByteArray("1,08:00:00,30.0C,0.0C\r\n"));
    QCOMPARE(ReadFile("0"), QByteArray("1,08:00:00,30.0C,0.0C\r\n"));
    QCOMPARE(ReadFile(Native("TempData/2024/05/20240520-03.txt")),
             QByteArray("1,08:00:00,30.0C,0.0C\r\n"));
}

void TestDayRecords::pipeInPlaceOfARecordFileIsNotOpened_data()
{
    QTest::addColumn<QString>("pipe");
    QTest::newRow("day file") << kDayFile3;
    QTest::newRow("warning file") << Native("TempData/2024/05/20240521-warning.txt");
    QTest::newRow("index") << kIndex;
}

// A named pipe where a record file belongs would block the window in open() until someone
// writes to it: it is never opened, and the reason says what is wrong.
void TestDayRecords::pipeInPlaceOfARecordFileIsNotOpened()
{
#ifdef Q_OS_UNIX
    QFETCH(QString, pipe);
    QVERIFY(QDir().mkpath(QFileInfo(pipe).path()));
    QCOMPARE(::mkfifo(QFile::encodeName(pipe).constData(), 0600), 0);

    DayRecords records;
    Connect(records, 3);
    const RecordWrite reading = records.AppendReading(At("10:00:00"), "38.0C", "0.0C", 3);
    const RecordWrite warning = records.WriteWarningRecord(reading.line, kDay);
    const QString expected = QStringLiteral("not a regular file");
    if (pipe == kDayFile3) {
        QVERIFY(!reading.ok);
        QVERIFY2(reading.error.contains(expected), qPrintable(reading.error));
    } else if (pipe == kIndex) {
        QVERIFY(reading.ok);
        QVERIFY2(reading.indexError.contains(expected), qPrintable(reading.indexError));
    } else {
        QVERIFY(reading.ok);
        QVERIFY(!warning.ok);
        QVERIFY2(warning.error.contains(expected), qPrintable(warning.error));
    }
#else
    QSKIP("named pipes in the file system are a Unix thing");
#endif
}

// Another program holding a file (on Windows: a sharing violation) is injected for the first
// `held` attempts at one file. A short hold is waited out; a file held past the last attempt is
// reported as open in another program, and nothing changes on disk.
void TestDayRecords::heldFilesAreWaitedForThenNamed_data()
{
    QTest::addColumn<QString>("operation"); // append, replace, remove, index
    QTest::addColumn<int>("held");
    const int attempts = int(std::size(FileSharing::kWaitsMs)) + 1;
    for (const char *operation : {"append", "replace", "remove", "index"}) {
        QTest::addRow("%s, free", operation) << operation << 0;
        QTest::addRow("%s, held for two attempts", operation) << operation << 2;
        QTest::addRow("%s, held until the last attempt", operation) << operation << attempts - 1;
        QTest::addRow("%s, held throughout", operation) << operation << attempts;
    }
}

void TestDayRecords::heldFilesAreWaitedForThenNamed()
{
    QFETCH(QString, operation);
    QFETCH(int, held);
    DayRecords records;
    Connect(records, 3);
    QVERIFY(records.AppendReading(At("14:03:27"), "36.5C", "0.0C", 3).ok);
    const QByteArray dayBefore = ReadFile(kDayFile3);
    const QByteArray indexBefore = ReadFile(kIndex);

    // The index is written after the day file; it is the one held in "index".
    const QString target = operation == QLatin1String("index") ? kIndex : kDayFile3;
    int attempts = 0;
    FileSharing::SetInjectedHold([&](const QString &path) {
        if (QDir::toNativeSeparators(QDir::current().relativeFilePath(path)) != target)
            return false;
        return ++attempts <= held;
    });
    const auto release = qScopeGuard([] { FileSharing::SetInjectedHold({}); });

    QElapsedTimer timer;
    timer.start();
    RecordWrite write;
    if (operation == QLatin1String("replace"))
        write = records.replaceDayFile({{"1", "14:03:27", "36.9C", "0.0C"}}, kDay, 3);
    else if (operation == QLatin1String("remove"))
        write = records.replaceDayFile({}, kDay, 3);
    else
        write = records.AppendReading(At("14:03:30"), "36.6C", "0.0C", 3);
    const qint64 elapsed = timer.elapsed();
    const int all = int(std::size(FileSharing::kWaitsMs)) + 1;
    QCOMPARE(attempts, qMin(held + 1, all));
    // Never a frozen window: the waits stay short.
    QVERIFY2(elapsed < 3000, qPrintable(QString::number(elapsed)));

    if (held < all) {
        QVERIFY(write.ok);
        QVERIFY(write.indexError.isEmpty());
        if (operation == QLatin1String("replace"))
            QCOMPARE(ReadFile(kDayFile3), QByteArray("1,14:03:27,36.9C,0.0C\r\n"));
        else if (operation == QLatin1String("remove"))
            QCOMPARE(ReadFile(kDayFile3), QByteArray("<missing>"));
        else
            QCOMPARE(ReadFile(kDayFile3), dayBefore + "2,14:03:30,36.6C,0.0C\r\n");
        return;
    }
    const QString reason = FileSharing::HeldText();
    QVERIFY(reason.contains(QLatin1String("open in another program")));
    if (operation == QLatin1String("index")) {
        // The reading is stored; its count could not be, and the index is named.
        QVERIFY(write.ok);
        QCOMPARE(write.indexPath, kIndex);
        QCOMPARE(write.indexError, reason);
        QCOMPARE(ReadFile(kIndex), indexBefore);
    } else {
        QVERIFY(!write.ok);
        QCOMPARE(write.path, kDayFile3);
        QCOMPARE(write.error, reason);
        QCOMPARE(ReadFile(kDayFile3), dayBefore);
    }
}

QTEST_GUILESS_MAIN(TestDayRecords)
#include "tst_dayrecords.moc"
