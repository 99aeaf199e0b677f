// The rules of range deletion: confirmation texts with their suffixes, when Del is refused,
// removing a range with renumbering, and readings that arrived meanwhile numbered on.
#include "records/recorddeletion.h"

#include <QTest>

namespace {

// Rows 1..n, each with its own time so that moved rows can be recognised.
RecordRows Day(int n)
{
    RecordRows rows;
    for (int i = 1; i <= n; ++i)
        rows.append({QString::number(i), QString::asprintf("09:00:%02d", i), "36.5C", "0.0C"});
    return rows;
}

// The times of `rows`, and whether their quantities run 1..n.
QStringList Times(const RecordRows &rows)
{
    QStringList times;
    for (qsizetype i = 0; i < rows.size(); ++i) {
        if (rows[i].value(0) != QString::number(i + 1))
            return {QStringLiteral("quantity %1 at row %2").arg(rows[i].value(0)).arg(i + 1)};
        times.append(rows[i].value(1).right(2));
    }
    return times;
}

} // namespace

class TestRecordDeletion : public QObject {
    Q_OBJECT

private slots:
    void confirmations_data();
    void confirmations();
    void delRefusal_data();
    void delRefusal();
    void removeLines_data();
    void removeLines();
    void arrivedRowsFollowOn();
};

void TestRecordDeletion::confirmations_data()
{
    QTest::addColumn<int>("line");
    QTest::addColumn<bool>("start");
    QTest::addColumn<QString>("text");
    const auto row = [](int line, bool start, const char *suffix) {
        QTest::addRow("%d %s", line, start ? "start" : "end")
            << line << start
            << QStringLiteral("Are you sure to set the %1%2 row as the %3 row?")
                   .arg(line)
                   .arg(QLatin1String(suffix), start ? "start" : "end");
    };
    row(1, true, "st");
    row(2, false, "nd");
    row(3, true, "rd");
    row(4, false, "th");
    row(11, true, "th");
    row(12, true, "th");
    row(21, false, "th");
    row(22, true, "th");
    row(103, false, "th");
}

void TestRecordDeletion::confirmations()
{
    QFETCH(int, line);
    QFETCH(bool, start);
    QTEST(LineConfirmation(line, start ? LineEnd::Start : LineEnd::End), "text");
}

void TestRecordDeletion::delRefusal_data()
{
    QTest::addColumn<int>("startLine");
    QTest::addColumn<int>("endLine");
    QTest::addColumn<QString>("message");
    const QString neither = QStringLiteral("Please Select starting line and end line");
    const QString end = QStringLiteral("Please Select end line");
    QTest::newRow("neither chosen") << 0 << 0 << neither;
    QTest::newRow("start only") << 3 << 0 << end;
    QTest::newRow("end only") << 0 << 4 << neither;
    QTest::newRow("start after end") << 6 << 2 << end;
    QTest::newRow("one line") << 4 << 4 << QString();
    QTest::newRow("a range") << 3 << 5 << QString();
}

void TestRecordDeletion::delRefusal()
{
    QFETCH(int, startLine);
    QFETCH(int, endLine);
    QTEST(DelRefusal(startLine, endLine), "message");
}

void TestRecordDeletion::removeLines_data()
{
    QTest::addColumn<RecordRows>("rows");
    QTest::addColumn<int>("startLine");
    QTest::addColumn<int>("endLine");
    QTest::addColumn<QStringList>("times");
    QTest::newRow("3 to 5 of 10") << Day(10) << 3 << 5
                                  << QStringList{"01", "02", "06", "07", "08", "09", "10"};
    QTest::newRow("4 to 4") << Day(5) << 4 << 4 << QStringList{"01", "02", "03", "05"};
    QTest::newRow("all") << Day(3) << 1 << 3 << QStringList{};
    RecordRows withBlank = Day(4);
    withBlank.insert(1, QStringList{});
    QTest::newRow("a line without fields") << withBlank << 4 << 4 << QStringList{"01", "02", "04"};
}

void TestRecordDeletion::removeLines()
{
    QFETCH(RecordRows, rows);
    QFETCH(int, startLine);
    QFETCH(int, endLine);
    QTEST(Times(RemoveLines(rows, startLine, endLine)), "times");
}

void TestRecordDeletion::arrivedRowsFollowOn()
{
    const RecordRows arrived{{"11", "10:00:00", "36.7C", "0.0C"},
                             {"12", "10:00:05", "37.9C", "0.0C"}};
    const RecordRows rows = FollowOn(RemoveLines(Day(10), 3, 5), arrived);
    QCOMPARE(rows.size(), 9);
    QCOMPARE(rows[7], (QStringList{"8", "10:00:00", "36.7C", "0.0C"}));
    QCOMPARE(rows[8], (QStringList{"9", "10:00:05", "37.9C", "0.0C"}));
}

QTEST_APPLESS_MAIN(TestRecordDeletion)
#include "tst_recorddeletion.moc"
