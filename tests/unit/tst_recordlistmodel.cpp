// The record list's model: rows as read (short and long ones), centred text, captions that the
// language switch replaces, and the signals a view relies on.
#include "records/recordlistmodel.h"

#include <QAbstractItemModelTester>
#include <QSignalSpy>
#include <QTest>

class TestRecordListModel : public QObject {
    Q_OBJECT

private slots:
    void showsFields_data();
    void showsFields();
    void centresText();
    void captions();
    void appendAndReset();
};

void TestRecordListModel::showsFields_data()
{
    QTest::addColumn<QStringList>("row");
    QTest::addColumn<QStringList>("shown");
    QTest::newRow("four fields") << QStringList{"1", "14:03:27", "36.5C", "0.0C"}
                                 << QStringList{"1", "14:03:27", "36.5C", "0.0C"};
    // 1,,36.5C,0.0C splits into three fields: the value lands under Test Time.
    QTest::newRow("missing field")
        << QStringList{"1", "36.5C", "0.0C"} << QStringList{"1", "36.5C", "0.0C", ""};
    QTest::newRow("empty row") << QStringList{} << QStringList{"", "", "", ""};
    QTest::newRow("fifth field not shown")
        << QStringList{"1", "a", "b", "c", "d"} << QStringList{"1", "a", "b", "c"};
}

void TestRecordListModel::showsFields()
{
    QFETCH(QStringList, row);
    QFETCH(QStringList, shown);
    RecordListModel model;
    QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::QtTest);
    model.setRows({{"0", "x", "y", "z"}, row});

    QCOMPARE(model.rowCount(), 2);
    QCOMPARE(model.columnCount(), 4);
    for (int column = 0; column < 4; ++column)
        QCOMPARE(model.index(1, column).data().toString(), shown[column]);
    QVERIFY(!model.index(1, 4).data().isValid());
}

void TestRecordListModel::centresText()
{
    RecordListModel model;
    model.setRows({{"1", "14:03:27", "36.5C", "0.0C"}});
    QCOMPARE(model.index(0, 3).data(Qt::TextAlignmentRole).toInt(), int(Qt::AlignCenter));
    QCOMPARE(model.headerData(0, Qt::Horizontal, Qt::TextAlignmentRole).toInt(),
             int(Qt::AlignCenter));
}

void TestRecordListModel::captions()
{
    RecordListModel model;
    QStringList captions;
    for (int column = 0; column < 4; ++column)
        captions << model.headerData(column, Qt::Horizontal).toString();
    QCOMPARE(captions, (QStringList{"Quantity", "Test Time", "Test Value", "Envrionment Temp."}));

    QSignalSpy changed(&model, &QAbstractItemModel::headerDataChanged);
    QVERIFY(model.setHeaderData(3, Qt::Horizontal, QStringLiteral("环境温度")));
    QCOMPARE(model.headerData(3, Qt::Horizontal).toString(), QStringLiteral("环境温度"));
    QCOMPARE(changed.size(), 1);
    QCOMPARE(changed[0][1].toInt(), 3);
    QVERIFY(!model.setHeaderData(4, Qt::Horizontal, QStringLiteral("x")));
}

void TestRecordListModel::appendAndReset()
{
    RecordListModel model;
    QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::QtTest);
    QSignalSpy inserted(&model, &QAbstractItemModel::rowsInserted);
    QSignalSpy reset(&model, &QAbstractItemModel::modelReset);

    model.setRows({{"1", "a", "b", "c"}, {"2", "a", "b", "c"}, {"3", "a", "b", "c"}});
    QCOMPARE(reset.size(), 1);
    model.appendRow({"4", "14:03:27", "36.5C", "0.0C"});
    QCOMPARE(inserted.size(), 1);
    QCOMPARE(inserted[0][1].toInt(), 3);
    QCOMPARE(inserted[0][2].toInt(), 3);
    QCOMPARE(model.rows().size(), 4);
    QCOMPARE(model.index(3, 0).data().toString(), QStringLiteral("4"));

    // Several rows at once are one insertion; none is no insertion at all.
    model.appendRows({{"5", "14:03:28", "36.6C", "0.0C"}, {"6", "14:03:29", "36.7C", "0.0C"}});
    model.appendRows({});
    QCOMPARE(inserted.size(), 2);
    QCOMPARE(inserted[1][1].toInt(), 4);
    QCOMPARE(inserted[1][2].toInt(), 5);
    QCOMPARE(model.index(5, 2).data().toString(), QStringLiteral("36.7C"));

    model.setRows({});
    QCOMPARE(reset.size(), 2);
    QCOMPARE(model.rowCount(), 0);
}

QTEST_GUILESS_MAIN(TestRecordListModel)
#include "tst_recordlistmodel.moc"
