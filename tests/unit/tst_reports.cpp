// The printed day report and the workbook, read back by programs made by others: the PDF by
// poppler (its text in both languages, its fonts, its pages as pictures), the workbook by
// Python's openpyxl (sheets, cells and their types). The day is a screening day of 123 readings
// on COM3 with two fevers in the warning file (and a warning line of another port), one reading
// in Fahrenheit, one count-mode value and one line a crash cut short.
#include "history/historyday.h"
#include "history/historytexts.h"
#include "reportexport.h"
#include "reportpdf.h"
#include "reportreaders.h"
#include "workingfolder.h"

#include <QDir>
#include <QFile>
#include <QImage>
#include <QJsonObject>
#include <QTest>

namespace {

const QString kFixture = QStringLiteral(KESTRIM_REPORT_FIXTURE);
const QString kDayFile = QStringLiteral("TempData/2026/12/20261208-03.txt");
const QDateTime kMade(QDate(2026, 12, 9), QTime(18, 30, 5));

QByteArray Read(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
}

void Write(const QString &path, const QByteArray &bytes)
{
    QVERIFY(QDir().mkpath(QFileInfo(path).path()));
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(bytes);
}

ReportContext Context(Language language)
{
    ReportContext context;
    context.settings.language = language;
    context.settings.tempUnit = TempUnit::Celsius;
    context.settings.alarmLimit = 37.5f;
    context.settings.desk = Bilingual{u"北门入口", u"Entrance A"}.in(language);
    context.made = kMade;
    return context;
}

ExportResult ExportTheDay(const QString &target, Language language)
{
    return ExportDayAs(kDayFile, {}, {}, Context(language), target);
}

// The day file's record lines, each as its four fields.
QList<QStringList> FixtureRecords()
{
    QList<QStringList> records;
    for (const QByteArray &line : Read(kFixture + "/20261208-03.txt").split('\n'))
        if (line.endsWith('\r'))
            records.append(QString::fromLatin1(line.chopped(1)).split(u','));
    return records;
}

const QSet<QString> kAbnormalQuantities{QStringLiteral("52"), QStringLiteral("103")};

} // namespace

using Outcome = ExportResult::Outcome;
Q_DECLARE_METATYPE(Outcome)
Q_DECLARE_METATYPE(ExportFormat)

class TestReports : public QObject {
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void endingNamesTheFormat_data();
    void endingNamesTheFormat();
    void unitOfTheDay_data();
    void unitOfTheDay();
    void pdfReadsBack_data();
    void pdfReadsBack();
    void pdfPagesRender();
    void pdfOfValuesNoThermometerSends_data();
    void pdfOfValuesNoThermometerSends();
    void dayWithoutFileWritesNothing_data();
    void dayWithoutFileWritesNothing();
    void workbookReadsBack_data();
    void workbookReadsBack();
    void rangeWorkbookHasASheetPerDayFile();

private:
    std::unique_ptr<WorkingFolder> m_dir;
};

void TestReports::init()
{
    m_dir = std::make_unique<WorkingFolder>();
    QVERIFY(m_dir->isValid());
    Write(kDayFile, Read(kFixture + "/20261208-03.txt"));
    Write(QStringLiteral("TempData/2026/12/20261208-warning.txt"),
          Read(kFixture + "/20261208-warning.txt"));
}

void TestReports::cleanup()
{
    m_dir.reset();
}

void TestReports::endingNamesTheFormat_data()
{
    QTest::addColumn<QString>("target");
    QTest::addColumn<ExportFormat>("format");
    QTest::newRow(".pdf") << "day.pdf" << ExportFormat::Report;
    QTest::newRow(".PDF") << "C:/out/day.PDF" << ExportFormat::Report;
    QTest::newRow(".xlsx") << "day.xlsx" << ExportFormat::Workbook;
    QTest::newRow(".XLSX") << "day.XLSX" << ExportFormat::Workbook;
    QTest::newRow(".xls") << "day.xls" << ExportFormat::Unsupported;
    QTest::newRow(".csv") << "day.csv" << ExportFormat::Csv;
    QTest::newRow(".txt") << "day.txt" << ExportFormat::Text;
}

void TestReports::endingNamesTheFormat()
{
    QFETCH(QString, target);
    QTEST(ExportFormatOf(target), "format");
}

void TestReports::unitOfTheDay_data()
{
    QTest::addColumn<QStringList>("values");
    QTest::addColumn<TempUnit>("unit");
    QTest::newRow("Celsius, then one Fahrenheit")
        << QStringList{"36.5C", "36.6C", "97.9F"} << TempUnit::Celsius;
    QTest::newRow("mostly Fahrenheit")
        << QStringList{"97.7F", "36.6C", "97.9F"} << TempUnit::Fahrenheit;
    QTest::newRow("as many of each") << QStringList{"97.7F", "36.6C"} << TempUnit::Celsius;
    QTest::newRow("counts only") << QStringList{"12", "13"} << TempUnit::Celsius;
}

// Without a window the report takes the unit most of the day's temperatures were taken in.
void TestReports::unitOfTheDay()
{
    QFETCH(QStringList, values);
    QList<HistoryReading> readings;
    for (const QString &value : values)
        readings.append(*ParseHistoryReading({"1", "09:00:00", value, "24.5C"}));
    QTEST(DayTempUnit(readings), "unit");
}

void TestReports::pdfReadsBack_data()
{
    QTest::addColumn<Language>("language");
    QTest::addColumn<QStringList>("heading"); // texts of the first page, in order
    QTest::addColumn<QString>("abnormal");    // the marker of an abnormal row
    QTest::addColumn<QString>("pageOf");      // "Page %1 of %2"
    QTest::addColumn<QString>("made");
    QTest::newRow("English")
        << Language::English
        << QStringList{"Day report 2026-12-08", "Port: COM3 Desk: Entrance A",
                       "Readings: 123 Abnormal: 2 Highest: 38.6°C Lowest: 36.2°C Mean: 36.6°C "
                       "First: 08:00:00 Last: 16:03:00 Counts: 1 Unreadable: 1",
                       "Readings Abnormal Alarm limit 37.5°C",
                       "Quantity Test Time Test Value Environment Temp. Abnormal"}
        << "Abnormal"
        << "Page %1 of %2"
        << "Made: 2026-12-09 18:30:05";
    QTest::newRow("Chinese")
        << Language::Chinese
        << QStringList{"测温日报 2026-12-08", "串口：COM3 工位：北门入口",
                       "读数：123 异常：2 最高：38.6°C 最低：36.2°C 平均：36.6°C "
                       "首次：08:00:00 末次：16:03:00 计数值：1 无法读取：1",
                       "读数 异常 报警上限 37.5°C", "数量 测试时间 测量数值 环境温度 异常"}
        << "异常"
        << "第 %1 页，共 %2 页"
        << "制表时间：2026-12-09 18:30:05";
}

// The text copied out of the PDF is the text drawn, in either language: the heading, the
// summary line, the chart's legend, every reading as a row of its own with the abnormal ones
// marked, the page numbers and the time the report was made; every font is embedded and maps
// its glyphs back to characters.
void TestReports::pdfReadsBack()
{
    if (!HavePoppler())
        QSKIP("pdftotext, pdftoppm or pdffonts is missing (Debian: poppler-utils)");
    QFETCH(Language, language);
    QFETCH(QStringList, heading);
    QFETCH(QString, abnormal);
    QFETCH(QString, pageOf);
    QFETCH(QString, made);
    QCOMPARE(ExportTheDay("day.pdf", language).outcome, Outcome::Written);
    QVERIFY(Read("day.pdf").startsWith("%PDF-"));

    const QStringList lines = PdfLines("day.pdf");
    // The summary may take two lines; the heading's texts are looked for in the whole text.
    const QString text = lines.join(u' ');
    qsizetype at = 0;
    for (const QString &part : heading) {
        at = text.indexOf(part, at);
        QVERIFY2(at >= 0, qPrintable(part + "\nnot in\n" + lines.mid(0, 12).join(u'\n')));
    }
    for (const QStringList &record : FixtureRecords()) {
        const QString row = record.join(u' ') +
                            (kAbnormalQuantities.contains(record[0]) ? u' ' + abnormal : QString());
        QVERIFY2(lines.contains(row), qPrintable(row));
    }
    QVERIFY(!lines.contains(QStringLiteral("124 16:0")));
    for (int page = 1; page <= 3; ++page)
        QVERIFY2(lines.contains(made + u' ' + pageOf.arg(page).arg(3)),
                 qPrintable(pageOf.arg(page).arg(3)));

    const QStringList fonts =
        QString::fromUtf8(RunReader("pdffonts", {"day.pdf"}).value_or("")).split(u'\n');
    QVERIFY(fonts.size() > 3);
    for (const QString &font : fonts.mid(2)) {
        const QStringList columns = font.simplified().split(u' ');
        if (columns.size() < 6)
            continue;
        QVERIFY2(columns[columns.size() - 5] == "yes", qPrintable("not embedded: " + font));
        QVERIFY2(columns[columns.size() - 3] == "yes", qPrintable("no character map: " + font));
    }
}

// Every page comes out of poppler as an A4 picture with something drawn on it: the first one
// with the chart's red marks.
void TestReports::pdfPagesRender()
{
    if (!HavePoppler())
        QSKIP("pdftoppm is missing (Debian: poppler-utils)");
    ReportLayout layout;
    const std::optional<DayReport> report =
        ReadDayReport(*HistoryDayOfFile(kDayFile), Context(Language::English));
    QVERIFY(report);
    Write("day.pdf", DayReportPdf(*report, &layout));
    QCOMPARE(layout.pages, 3);
    QVERIFY(RunReader("pdftoppm", {"-r", "40", "-png", "day.pdf", "page"}));
    for (int page = 1; page <= layout.pages; ++page) {
        const QImage image(QStringLiteral("page-%1.png").arg(page));
        QVERIFY2(!image.isNull(), qPrintable(QString::number(page)));
        QVERIFY(std::abs(double(image.height()) / image.width() - 297.0 / 210.0) < 0.01);
        int dark = 0, red = 0;
        for (int y = 0; y < image.height(); ++y)
            for (int x = 0; x < image.width(); ++x) {
                const QColor pixel = image.pixelColor(x, y);
                dark += pixel.value() < 100 ? 1 : 0;
                red += pixel.red() > 200 && pixel.green() < 90 && pixel.blue() < 90 ? 1 : 0;
            }
        QVERIFY2(dark > 500, qPrintable(QString::number(page)));
        if (page == 1)
            QVERIFY(red > 10);
    }
    QVERIFY(!QFile::exists(QStringLiteral("page-%1.png").arg(layout.pages + 1)));
}

// A value beyond what a thermometer can send is an unreadable line, not a reading whose chart
// needs millions of lines of degrees; even the widest span it can send draws at most twelve.
void TestReports::pdfOfValuesNoThermometerSends_data()
{
    QTest::addColumn<QByteArray>("day");
    QTest::addColumn<int>("readings");
    QTest::addColumn<int>("unreadable");
    QTest::newRow("eight nines") << QByteArray(
                                        "1,08:00:00,36.5C,24.5C\r\n2,08:00:02,99999999C,24.5C\r\n")
                                 << 1 << 1;
    QTest::newRow("twenty nines")
        << QByteArray("1,08:00:00,36.5C,24.5C\r\n2,08:00:02,99999999999999999999C,24.5C\r\n") << 1
        << 1;
    QTest::newRow("environment beyond") << QByteArray("1,08:00:00,36.5C,24.5C\r\n"
                                                      "2,08:00:02,36.6C,-99999999C\r\n")
                                        << 1 << 1;
    QTest::newRow("widest span sent")
        << QByteArray("1,08:00:00,0.0C,24.5C\r\n2,08:00:02,6553.5C,24.5C\r\n") << 2 << 0;
}

void TestReports::pdfOfValuesNoThermometerSends()
{
    QFETCH(QByteArray, day);
    const QString path = QStringLiteral("TempData/2026/12/20261210-03.txt");
    Write(path, day);
    const std::optional<DayReport> report =
        ReadDayReport(*HistoryDayOfFile(path), Context(Language::English));
    QVERIFY(report);
    QTEST(int(report->readings.size()), "readings");
    QTEST(report->unreadable, "unreadable");
    ReportLayout layout;
    const QByteArray pdf = DayReportPdf(*report, &layout);
    QCOMPARE(layout.pages, 1);
    QVERIFY2(layout.degreeLines >= 2 && layout.degreeLines <= 12,
             qPrintable(QString::number(layout.degreeLines)));
    QVERIFY2(pdf.size() < 200 * 1024, qPrintable(QString::number(pdf.size())));
    if (!HavePoppler())
        return;
    Write("day.pdf", pdf);
    const QString text = PdfLines("day.pdf").join(u' ');
    QVERIFY(!text.contains(QStringLiteral("99999999")));
    QCOMPARE(text.contains(QStringLiteral("Unreadable: 1")), report->unreadable == 1);
}

void TestReports::dayWithoutFileWritesNothing_data()
{
    QTest::addColumn<QString>("dayFile");
    QTest::addColumn<QString>("target");
    QTest::newRow("no day file yet, .pdf") << ""
                                           << "day.pdf";
    QTest::newRow("no day file yet, .xlsx") << ""
                                            << "day.xlsx";
    QTest::newRow("day file gone, .pdf") << "TempData/2026/12/20261207-03.txt"
                                         << "day.pdf";
}

void TestReports::dayWithoutFileWritesNothing()
{
    QFETCH(QString, dayFile);
    QFETCH(QString, target);
    QCOMPARE(ExportDayAs(dayFile, {}, {}, Context(Language::English), target).outcome,
             Outcome::NothingRecorded);
    QVERIFY(!QFile::exists(target));
}

void TestReports::workbookReadsBack_data()
{
    QTest::addColumn<Language>("language");
    QTest::addColumn<QStringList>("header");
    QTest::addColumn<QString>("countUnit");
    QTest::newRow("English") << Language::English
                             << QStringList{"Quantity", "Test Time",         "Test Value",
                                            "Unit",     "Environment Temp.", "Environment Unit",
                                            "Abnormal"}
                             << "count";
    QTest::newRow("Chinese") << Language::Chinese
                             << QStringList{"数量",     "测试时间",     "测量数值", "单位",
                                            "环境温度", "环境温度单位", "异常"}
                             << "计数";
}

// One sheet named by the day; the header in the language; a row for every reading with the
// numbers as numbers, the units beside them, the time as a time and the verdict as a boolean;
// the header frozen and every column given a width.
void TestReports::workbookReadsBack()
{
    const QString python = PythonWithOpenpyxl();
    if (python.isEmpty())
        QSKIP("Python's openpyxl is missing (Debian: python3-openpyxl)");
    QFETCH(Language, language);
    QFETCH(QStringList, header);
    QFETCH(QString, countUnit);
    QCOMPARE(ExportTheDay("day.xlsx", language).outcome, Outcome::Written);
    const QJsonArray sheets = WorkbookSheets(python, "day.xlsx");
    QCOMPARE(sheets.size(), 1);
    const QJsonObject sheet = sheets[0].toObject();
    QCOMPARE(sheet["name"].toString(), QStringLiteral("2026-12-08"));
    QCOMPARE(sheet["freeze"].toString(), QStringLiteral("A2"));
    for (const QJsonValue &width : sheet["widths"].toArray())
        QVERIFY(width.toDouble() >= 8.0);

    const QJsonArray rows = sheet["rows"].toArray();
    const QList<QStringList> records = FixtureRecords();
    QCOMPARE(rows.size(), records.size() + 1);
    QStringList captions;
    for (const QJsonValue &cell : rows[0].toArray())
        captions.append(cell.toArray()[1].toString());
    QCOMPARE(captions, header);

    const auto cells = [&](qsizetype row) {
        QStringList out;
        for (const QJsonValue &cell : rows[row].toArray()) {
            const QJsonArray pair = cell.toArray();
            out.append(pair[0].toString() + u':' + pair[1].toVariant().toString());
        }
        return out.join(u' ');
    };
    QCOMPARE(cells(1), "int:1 time:08:00:00 float:36.2 str:°C float:23.5 str:°C bool:false");
    QCOMPARE(cells(52), "int:52 time:11:24:12 float:38.3 str:°C float:23.5 str:°C bool:true");
    QCOMPARE(cells(122), "int:122 time:16:02:10 float:98.1 str:°F float:74.3 str:°F bool:false");
    QCOMPARE(cells(123),
             "int:123 time:16:03:00 int:12 str:" + countUnit + " float:23.5 str:°C bool:false");
    int abnormal = 0;
    for (qsizetype row = 1; row < rows.size(); ++row) {
        const QJsonArray cellsOfRow = rows[row].toArray();
        QCOMPARE(cellsOfRow[0].toArray()[1].toInt(), records[row - 1][0].toInt());
        QCOMPARE(cellsOfRow[1].toArray()[1].toString(), records[row - 1][1]);
        abnormal += cellsOfRow[6].toArray()[1].toBool() ? 1 : 0;
    }
    QCOMPARE(abnormal, 2);
}

// A range gives one workbook: a sheet for each day file from the first day to the last, oldest
// first; a day recorded on two ports has a sheet for each, named with its port.
void TestReports::rangeWorkbookHasASheetPerDayFile()
{
    const QString python = PythonWithOpenpyxl();
    if (python.isEmpty())
        QSKIP("Python's openpyxl is missing (Debian: python3-openpyxl)");
    Write("TempData/2026/12/20261208-01.txt", "1,10:00:00,36.6C,23.5C\r\n");
    Write("TempData/2026/11/20261130-03.txt",
          "1,09:00:00,36.5C,21.0C\r\n2,09:01:00,36.7C,21.0C\r\n");
    Write("TempData/2026/12/20261209-03.txt", "1,09:00:00,36.5C,21.0C\r\n");
    const QString header = HistoryTexts::kRangeCsvHeader.in(Language::English);
    QCOMPARE(ExportRangeAs(FindHistoryDays(), QDate(2026, 11, 30), QDate(2026, 12, 8), header,
                           Context(Language::English), "range.xlsx")
                 .outcome,
             Outcome::Written);
    QStringList names;
    QList<qsizetype> rows;
    for (const QJsonValue &sheet : WorkbookSheets(python, "range.xlsx")) {
        names.append(sheet["name"].toString());
        rows.append(sheet["rows"].toArray().size());
    }
    QCOMPARE(names, (QStringList{"2026-11-30", "2026-12-08 COM1", "2026-12-08 COM3"}));
    QCOMPARE(rows, (QList<qsizetype>{3, 2, 124}));

    QCOMPARE(ExportRangeAs(FindHistoryDays(), QDate(2026, 12, 1), QDate(2026, 12, 7), header,
                           Context(Language::English), "empty.xlsx")
                 .outcome,
             Outcome::NothingRecorded);
    QVERIFY(!QFile::exists("empty.xlsx"));
    QCOMPARE(ExportRangeAs(FindHistoryDays(), QDate(2026, 11, 30), QDate(2026, 12, 8), header,
                           Context(Language::English), "range.pdf")
                 .outcome,
             Outcome::Unsupported);
}

QTEST_MAIN(TestReports)
#include "tst_reports.moc"
