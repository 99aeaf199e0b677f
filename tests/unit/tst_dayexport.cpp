// Exporting the day file as .txt (a copy) or .csv (UTF-8, header, CR-ended lines), checked byte
// for byte: endings in either case, an unsupported ending, replacing an earlier export, no day
// file, and a target that cannot be written.
#include "records/dayexport.h"
#include "records/recordline.h"
#include "testfiles.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

namespace {

const QString kDayFile = QStringLiteral("20240521-03.txt");
const QByteArray kDayBytes("1,09:15:02,36.4C,24.5C\r\n2,09:16:40,36.6C,24.5C\r\n");
const QString kEnglishHeader = QStringLiteral("Quantity,Test Time,Test Value,Envrionment Temp.");
const QByteArray kEnglishCsv("Quantity,Test Time,Test Value,Envrionment Temp.\r"
                             "1,09:15:02,36.4C,24.5C\r2,09:16:40,36.6C,24.5C\r");

ExportResult Export(const QString &target, const QString &header = kEnglishHeader)
{
    return ExportDay(kDayFile, ReadTextLines(kDayFile), header, target);
}

} // namespace

using Outcome = ExportResult::Outcome;
Q_DECLARE_METATYPE(Outcome)

class TestDayExport : public QObject {
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void endingDecides_data();
    void endingDecides();
    void secondExportReplacesTheFirst_data();
    void secondExportReplacesTheFirst();
    void chineseHeaderIsUtf8WithoutMark();
    void noDayFile();
    void targetThatCannotBeWritten_data();
    void targetThatCannotBeWritten();

private:
    std::unique_ptr<QTemporaryDir> m_dir;
    QString m_previous;
};

void TestDayExport::init()
{
    m_previous = QDir::currentPath();
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(QDir::setCurrent(m_dir->path()));
    WriteFile(kDayFile, kDayBytes);
}

void TestDayExport::cleanup()
{
    QDir::setCurrent(m_previous);
    m_dir.reset();
}

void TestDayExport::endingDecides_data()
{
    QTest::addColumn<QString>("target");
    QTest::addColumn<Outcome>("outcome");
    QTest::addColumn<QByteArray>("bytes");
    QTest::newRow(".txt") << "day.txt" << Outcome::Written << kDayBytes;
    QTest::newRow(".TXT") << "day.TXT" << Outcome::Written << kDayBytes;
    QTest::newRow(".csv") << "day.csv" << Outcome::Written << kEnglishCsv;
    QTest::newRow(".CSV") << "day.CSV" << Outcome::Written << kEnglishCsv;
    QTest::newRow(".dat") << "day.dat" << Outcome::Unsupported << QByteArray("<missing>");
}

void TestDayExport::endingDecides()
{
    QFETCH(QString, target);
    QFETCH(Outcome, outcome);
    QFETCH(QByteArray, bytes);
    QCOMPARE(Export(target).outcome, outcome);
    QCOMPARE(ReadFile(target), bytes);
    QCOMPARE(ReadFile(kDayFile), kDayBytes);
}

void TestDayExport::secondExportReplacesTheFirst_data()
{
    QTest::addColumn<QString>("target");
    QTest::addColumn<QByteArray>("bytes");
    const QByteArray third("3,09:20:00,36.5C,24.5C\r\n");
    QTest::newRow(".txt") << "day.txt" << kDayBytes + third;
    QTest::newRow(".csv") << "day.csv" << kEnglishCsv + third.chopped(2) + '\r';
}

// The operator confirmed replacing the earlier export; the day has a record more since then.
void TestDayExport::secondExportReplacesTheFirst()
{
    QFETCH(QString, target);
    QFETCH(QByteArray, bytes);
    QCOMPARE(Export(target).outcome, Outcome::Written);
    WriteFile(kDayFile, kDayBytes + "3,09:20:00,36.5C,24.5C\r\n");
    QCOMPARE(Export(target).outcome, Outcome::Written);
    QCOMPARE(ReadFile(target), bytes);
}

void TestDayExport::chineseHeaderIsUtf8WithoutMark()
{
    QCOMPARE(Export("day.csv", QStringLiteral("数量,测试时间,测量数值,环境温度")).outcome,
             Outcome::Written);
    const QByteArray header = QByteArray::fromHex("E695B0E9878F2C"             // 数量,
                                                  "E6B58BE8AF95E697B6E997B42C" // 测试时间,
                                                  "E6B58BE9878FE695B0E580BC2C" // 测量数值,
                                                  "E78EAFE5A283E6B8A9E5BAA60D" // 环境温度 CR
    );
    QCOMPARE(ReadFile("day.csv"), header + kEnglishCsv.sliced(kEnglishCsv.indexOf('\r') + 1));
}

void TestDayExport::noDayFile()
{
    // Nothing recorded today: no copy, and no empty file either; a CSV is the header alone.
    const ExportResult text = ExportDay(QString(), {}, kEnglishHeader, "day.txt");
    QCOMPARE(text.outcome, Outcome::NothingRecorded);
    QVERIFY(!QFileInfo::exists("day.txt"));
    QCOMPARE(ExportDay("missing-03.txt", {}, kEnglishHeader, "day.TXT").outcome,
             Outcome::NothingRecorded);
    QCOMPARE(ExportDay(QString(), {}, kEnglishHeader, "day.csv").outcome, Outcome::Written);
    QCOMPARE(ReadFile("day.csv"), kEnglishHeader.toUtf8() + '\r');
}

void TestDayExport::targetThatCannotBeWritten_data()
{
    QTest::addColumn<QString>("target");
    QTest::newRow("folder missing, .txt") << "no-such-folder/day.txt";
    QTest::newRow("folder is a file, .csv") << kDayFile + "/day.csv";
    QTest::newRow("target is a folder, .txt") << "folder.txt";
}

void TestDayExport::targetThatCannotBeWritten()
{
    QFETCH(QString, target);
    QVERIFY(QDir().mkpath("folder.txt/inside"));
    const ExportResult result = Export(target);
    QCOMPARE(result.outcome, Outcome::NotWritten);
    QCOMPARE(result.path, target);
    QVERIFY(!result.error.isEmpty());
    // Nothing half-written beside it, and what was there is still there.
    QCOMPARE(QDir().entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden),
             (QStringList{kDayFile, "folder.txt"}));
    QVERIFY(QFileInfo("folder.txt/inside").isDir());
    QCOMPARE(ReadFile(kDayFile), kDayBytes);
}

QTEST_GUILESS_MAIN(TestDayExport)
#include "tst_dayexport.moc"
