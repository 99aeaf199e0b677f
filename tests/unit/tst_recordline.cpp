// Record lines and the readers of day files: the comma split with its stopping rule, and lines
// as they come from files written on Windows, on Linux or by hand.
#include "records/recordline.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>

class TestRecordLine : public QObject {
    Q_OBJECT

private slots:
    void splitFields_data();
    void splitFields();
    void formatRecordLine();
    void readsLines_data();
    void readsLines();
    void missingFileReadsEmpty();
};

void TestRecordLine::splitFields_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QStringList>("fields");
    QTest::newRow("month names") << "Jan,Feb,Mar,Apr,May,Jun,Jul,Aug,Sep,Oct,Nov,Dec"
                                 << QStringList{"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                                "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
    QTest::newRow("spaces around fields")
        << " 1 ,12:00:00 , 36.5C, 0.0C" << QStringList{"1", "12:00:00", "36.5C", "0.0C"};
    QTest::newRow("tabs and CR trimmed") << "\t1\t,2\r" << QStringList{"1", "2"};
    // A field's place is its meaning: an empty value never moves the environment into its
    // column.
    QTest::newRow("empty field kept in place")
        << "1,08:00:00,,24.5C" << QStringList{"1", "08:00:00", "", "24.5C"};
    QTest::newRow("leading and trailing commas") << ",,1,2,,," << QStringList{"", "", "1", "2"};
    QTest::newRow("blank-only field kept in place")
        << "1, ,36.5C,0.0C" << QStringList{"1", "", "36.5C", "0.0C"};
    QTest::newRow("blank first field") << "  ,36.5C" << QStringList{"", "36.5C"};
    QTest::newRow("only commas") << ",,," << QStringList{};
    QTest::newRow("empty") << "" << QStringList{};
    QTest::newRow("one field") << "36.5C" << QStringList{"36.5C"};
    QTest::newRow("inner spaces kept") << "a b, c d" << QStringList{"a b", "c d"};
}

void TestRecordLine::splitFields()
{
    QFETCH(QString, text);
    QFETCH(QStringList, fields);
    QCOMPARE(SplitFields(text), fields);
}

void TestRecordLine::formatRecordLine()
{
    const MeasurementRecord record{"12", "14:03:27", "36.5C", "25.0C"};
    QCOMPARE(FormatRecordLine(record), QStringLiteral("12,14:03:27,36.5C,25.0C"));
    QCOMPARE(SplitFields(FormatRecordLine(record)),
             (QStringList{record.quantity, record.testTime, record.testValue, record.envTemp}));
}

void TestRecordLine::readsLines_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QStringList>("lines");
    QTest::addColumn<RecordRows>("rows");
    QTest::newRow("CR LF") << QByteArray("1,09:15:02,36.4C,24.5C\r\n2,09:16:40,36.6C,24.5C\r\n")
                           << QStringList{"1,09:15:02,36.4C,24.5C", "2,09:16:40,36.6C,24.5C"}
                           << RecordRows{{"1", "09:15:02", "36.4C", "24.5C"},
                                         {"2", "09:16:40", "36.6C", "24.5C"}};
    QTest::newRow("blank lines, LF, no end")
        << QByteArray("\r\n1,a\n\n\r\n2,b\r\n\r\n3,c") << QStringList{"1,a", "2,b", "3,c"}
        << RecordRows{{"1", "a"}, {"2", "b"}, {"3", "c"}};
    QTest::newRow("blank-only line is an empty row")
        << QByteArray("1,a\r\n   \r\n2,b\r\n") << QStringList{"1,a", "   ", "2,b"}
        << RecordRows{{"1", "a"}, {}, {"2", "b"}};
    QTest::newRow("empty file") << QByteArray() << QStringList{} << RecordRows{};
}

void TestRecordLine::readsLines()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QStringList, lines);
    QFETCH(RecordRows, rows);
    QTemporaryDir dir;
    const QString path = dir.filePath("20240521-03.txt");
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(bytes);
    file.close();

    QCOMPARE(ReadTextLines(path), lines);
    QCOMPARE(LoadRecordRows(path), rows);
}

void TestRecordLine::missingFileReadsEmpty()
{
    QTemporaryDir dir;
    QVERIFY(ReadTextLines(dir.filePath("none.txt")).isEmpty());
    QVERIFY(LoadRecordRows(dir.filePath("none.txt")).isEmpty());
    // A folder in the file's place reads like a missing file.
    QVERIFY(LoadRecordRows(dir.path()).isEmpty());
}

QTEST_GUILESS_MAIN(TestRecordLine)
#include "tst_recordline.moc"
