// The printed day report and the workbook, read back by programs made by others: the PDF by
// poppler (its text in both languages, its fonts, its pages as pictures), the workbook by
// Python's openpyxl (sheets, cells and their types). The day is a screening day of 123 readings
// on COM3 with two fevers in the warning file (and a warning line of another port), one reading
// in Fahrenheit, one count-mode value and one line a crash cut short.
#include "history/dayreport.h"
#include "history/historyday.h"
#include "history/historytexts.h"
#include "reportexport.h"
#include "reportpdf.h"
#include "reportreaders.h"
#include "testfiles.h"
#include "workingfolder.h"

#include <QDir>
#include <QFile>
#include <QImage>
#include <QJsonObject>
#include <QRegularExpression>
#include <QTest>

namespace {

const QString kFixture = QStringLiteral(KESTRIM_REPORT_FIXTURE);
const QString kDayFile = QStringLiteral("TempData/2026/12/20261208-03.txt");
const QDateTime kMade(QDate(2026, 12, 9), QTime(18, 30, 5));

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
    for (const QByteArray &line : ReadFile(kFixture + "/20261208-03.txt").split('\n'))
        if (line.endsWith('\r'))
            records.append(QString::fromLatin1(line.chopped(1)).split(u','));
    return records;
}

const QSet<QString> kAbnormalQuantities{QStringLiteral("52"), QStringLiteral("103")};

// A record as the report's table shows it: temperatures with a degree sign ("36.4 °C").
QStringList Shown(QStringList record)
{
    for (qsizetype field = 2; field < record.size(); ++field)
        if (record[field].endsWith(u'C') || record[field].endsWith(u'F'))
            record[field] = record[field].chopped(1) + QStringLiteral(" °") + record[field].back();
    return record;
}

// The recorded day of 10 December on COM3: 90 readings, the limit raised from 37.5 to 38.0 °C
// after the 40th, readings 61–70 in °F, 71–78 in surface mode, 79–80 counts, four abnormal.
const QString kRecordedDay = QStringLiteral("TempData/2026/12/20261210-03.txt");

void WriteRecordedDay()
{
    for (const QString &name :
         {QStringLiteral("20261210-03.txt"), QStringLiteral("20261210-03-settings.txt"),
          QStringLiteral("20261210-warning.txt")})
        WriteFile(QStringLiteral("TempData/2026/12/") + name, ReadFile(kFixture + u'/' + name));
}

ExportResult ExportRecordedDay(const QString &target, Language language,
                               ReportForm form = ReportForm::Full)
{
    ReportContext context = Context(language);
    context.form = form;
    return ExportDayAs(kRecordedDay, {}, {}, context, target);
}

} // namespace

using Outcome = ExportResult::Outcome;
Q_DECLARE_METATYPE(Outcome)
Q_DECLARE_METATYPE(ExportFormat)
Q_DECLARE_METATYPE(ReportForm)

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
    void recordedDayReadsBack_data();
    void recordedDayReadsBack();
    void longDeskNameWraps();
    void reportForms_data();
    void reportForms();
    void workbookSummaryAndPrinting();
    void rangeReportReadsBack();
    void workbookAsASpreadsheetPrintsIt();

private:
    std::unique_ptr<WorkingFolder> m_dir;
};

void TestReports::init()
{
    m_dir = std::make_unique<WorkingFolder>();
    QVERIFY(m_dir->isValid());
    WriteFile(kDayFile, ReadFile(kFixture + "/20261208-03.txt"));
    WriteFile(QStringLiteral("TempData/2026/12/20261208-warning.txt"),
              ReadFile(kFixture + "/20261208-warning.txt"));
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
        << QStringList{"Day report 2026-12-08",
                       "Port: COM3 Desk: Entrance A",
                       "Alarm limit: not recorded",
                       "Readings: 123 Abnormal: 2 Highest: 38.6 °C Lowest: 36.2 °C Mean: 36.6 °C "
                       "Median: 36.6 °C First: 08:00:00 Last: 16:03:00 Counts: 1 Unreadable: 1",
                       "Readings Abnormal Alarm limit 37.5°C",
                       "Quantity Test Time Test Value Environment Temp. Abnormal"}
        << "Abnormal"
        << "Page %1 of %2"
        << "Made: 2026-12-09 18:30:05";
    QTest::newRow("Chinese")
        << Language::Chinese
        << QStringList{"测温日报 2026-12-08",
                       "串口：COM3 工位：北门入口",
                       "报警上限：未记录",
                       "读数：123 异常：2 最高：38.6 °C 最低：36.2 °C 平均：36.6 °C "
                       "中位数：36.6 °C 首次：08:00:00 末次：16:03:00 计数值：1 无法读取：1",
                       "读数 异常 报警上限 37.5°C",
                       "数量 测试时间 测量数值 环境温度 异常"}
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
    QVERIFY(ReadFile("day.pdf").startsWith("%PDF-"));

    const QStringList lines = PdfLines("day.pdf");
    // The summary may take two lines; the heading's texts are looked for in the whole text.
    const QString text = lines.join(u' ');
    qsizetype at = 0;
    for (const QString &part : heading) {
        at = text.indexOf(part, at);
        QVERIFY2(at >= 0, qPrintable(part + "\nnot in\n" + lines.mid(0, 12).join(u'\n')));
    }
    for (const QStringList &record : FixtureRecords()) {
        const QString row = Shown(record).join(u' ') +
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
    WriteFile("day.pdf", DayReportPdf(*report, &layout));
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
    WriteFile(path, day);
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
    WriteFile("day.pdf", pdf);
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
    QTest::addColumn<QString>("summarySheet");
    QTest::newRow("English") << Language::English
                             << QStringList{"Quantity", "Test Time",         "Test Value",
                                            "Unit",     "Environment Temp.", "Environment Unit",
                                            "Abnormal"}
                             << "count"
                             << "Summary";
    QTest::newRow("Chinese") << Language::Chinese
                             << QStringList{"数量",     "测试时间",     "测量数值", "单位",
                                            "环境温度", "环境温度单位", "异常"}
                             << "计数"
                             << "汇总";
}

// The Summary, then one sheet named by the day and port; the header in the language; a row for
// every reading with the numbers as numbers, the units beside them, the time as a time and the
// verdict as a boolean; the header frozen and every column given a width.
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
    QCOMPARE(sheets.size(), 2);
    QTEST(sheets[0]["name"].toString(), "summarySheet");
    const QJsonObject sheet = sheets[1].toObject();
    QCOMPARE(sheet["name"].toString(), QStringLiteral("2026-12-08 COM3"));
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

// A range gives one workbook: the Summary, every reading on one sheet, then a sheet for each day
// file from the first day to the last, oldest first, named with its port.
void TestReports::rangeWorkbookHasASheetPerDayFile()
{
    const QString python = PythonWithOpenpyxl();
    if (python.isEmpty())
        QSKIP("Python's openpyxl is missing (Debian: python3-openpyxl)");
    WriteFile("TempData/2026/12/20261208-01.txt", "1,10:00:00,36.6C,23.5C\r\n");
    WriteFile("TempData/2026/11/20261130-03.txt",
              "1,09:00:00,36.5C,21.0C\r\n2,09:01:00,36.7C,21.0C\r\n");
    WriteFile("TempData/2026/12/20261209-03.txt", "1,09:00:00,36.5C,21.0C\r\n");
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
    QCOMPARE(names, (QStringList{"Summary", "All readings", "2026-11-30 COM3", "2026-12-08 COM1",
                                 "2026-12-08 COM3"}));
    QCOMPARE(rows, (QList<qsizetype>{4, 1 + 2 + 1 + 123, 3, 2, 124}));

    QCOMPARE(ExportRangeAs(FindHistoryDays(), QDate(2026, 12, 1), QDate(2026, 12, 7), header,
                           Context(Language::English), "empty.xlsx")
                 .outcome,
             Outcome::NothingRecorded);
    QVERIFY(!QFile::exists("empty.xlsx"));
    QCOMPARE(ExportRangeAs(FindHistoryDays(), QDate(2026, 11, 30), QDate(2026, 12, 8), header,
                           Context(Language::English), "range.txt")
                 .outcome,
             Outcome::Unsupported);
}

void TestReports::recordedDayReadsBack_data()
{
    QTest::addColumn<Language>("language");
    QTest::addColumn<QStringList>("summary"); // lines of the first page, in order
    QTest::addColumn<QStringList>("rows");    // some rows of the table
    QTest::addColumn<QString>("signOff");
    QTest::newRow("English")
        << Language::English
        << QStringList{"Model: R9 Pro Mode: body (1–70), surface (71–78), count (79–80), body "
                       "(81–90)",
                       "Alarm limit: 37.5 °C (1–40), 38.0 °C (41–90)",
                       "Readings: 90 Abnormal: 4 Body temperatures: 80 Highest: 38.4 °C Lowest: "
                       "36.2 °C Mean: 36.9 °C Median: 36.9 °C First: 08:01:59 Last: 12:06:07 "
                       "Surface: 8 (32.5–35.2 °C) Counts: 2",
                       "Readings Abnormal Alarm limit 37.5°C–38.0°C"}
        << QStringList{"12 08:26:40 37.9 °C 23.5 °C Abnormal", "44 09:52:56 37.7 °C 23.6 °C",
                       "65 10:50:53 101.1 °F 74.5 °F Abnormal", "79 11:34:23 3 23.8 °C"}
        << "Checked by: Signature: Date:";
    QTest::newRow("Chinese")
        << Language::Chinese
        << QStringList{"型号：R9 Pro 模式：人体 (1–70)，表面 (71–78)，计数 (79–80)，人体 (81–90)",
                       "报警上限：37.5 °C (1–40)，38.0 °C (41–90)",
                       "读数：90 异常：4 人体温度：80 最高：38.4 °C 最低：36.2 °C 平均：36.9 °C "
                       "中位数：36.9 °C 首次：08:01:59 末次：12:06:07 表面温度：8 (32.5–35.2 °C) "
                       "计数值：2"}
        << QStringList{"12 08:26:40 37.9 °C 23.5 °C 异常"} << "审核人： 签名： 日期：";
}

// A day whose settings are on record: the report names the model and the modes with the
// readings each covered, each alarm limit with its readings, body-temperature statistics with
// the surface readings and counts apart, temperatures with their degree signs, and a line to
// sign at the end.
void TestReports::recordedDayReadsBack()
{
    if (!HavePoppler())
        QSKIP("pdftotext is missing (Debian: poppler-utils)");
    QFETCH(Language, language);
    QFETCH(QStringList, summary);
    QFETCH(QStringList, rows);
    QFETCH(QString, signOff);
    WriteRecordedDay();
    QCOMPARE(ExportRecordedDay("day.pdf", language).outcome, Outcome::Written);
    const QStringList lines = PdfLines("day.pdf");
    const QString text = lines.join(u' ');
    qsizetype at = 0;
    for (const QString &part : summary) {
        at = text.indexOf(part, at);
        QVERIFY2(at >= 0, qPrintable(part + "\nnot in\n" + lines.mid(0, 12).join(u'\n')));
    }
    for (const QString &row : rows)
        QVERIFY2(lines.contains(row), qPrintable(row));
    QVERIFY2(lines.contains(signOff), qPrintable(lines.mid(lines.size() - 4).join(u'\n')));
    QVERIFY(lines.indexOf(signOff) > lines.indexOf(rows.first()));
}

// A desk name longer than the line goes on over the next line, on the first page and in the
// running head of the others, instead of running off the page.
void TestReports::longDeskNameWraps()
{
    if (!HavePoppler())
        QSKIP("pdftotext is missing (Debian: poppler-utils)");
    ReportContext context = Context(Language::English);
    context.settings.desk = QStringLiteral("Entrance A of the north wing, second floor, beside "
                                           "the pharmacy and the lifts, morning shift desk");
    WriteFile("long.pdf", DayReportPdf(*ReadDayReport(*HistoryDayOfFile(kDayFile), context)));
    const QStringList lines = PdfLines("long.pdf");
    const QString text = lines.join(u' ');
    QVERIFY2(text.contains("Port: COM3 Desk: " + context.settings.desk),
             qPrintable(lines.mid(0, 4).join(u'\n')));
    QCOMPARE(text.count(context.settings.desk), 3); // page 1 and the heads of pages 2 and 3
    QVERIFY2(lines.contains("shift desk"), qPrintable(lines.mid(0, 4).join(u'\n')));
}

void TestReports::reportForms_data()
{
    QTest::addColumn<ReportForm>("form");
    QTest::addColumn<int>("pages");
    QTest::addColumn<int>("tableRows"); // rows of readings listed
    QTest::newRow("every reading") << ReportForm::Full << 3 << 90;
    QTest::newRow("abnormal only") << ReportForm::AbnormalOnly << 1 << 4;
    QTest::newRow("summary") << ReportForm::Summary << 1 << 0;
}

// The abnormal-only form lists the same summary and chart and only the abnormal rows; the
// summary form is one page with no table. Both end with the line to sign.
void TestReports::reportForms()
{
    if (!HavePoppler())
        QSKIP("pdftotext is missing (Debian: poppler-utils)");
    QFETCH(ReportForm, form);
    QFETCH(int, pages);
    QFETCH(int, tableRows);
    WriteRecordedDay();
    ReportContext context = Context(Language::English);
    context.form = form;
    ReportLayout layout;
    WriteFile("form.pdf",
              DayReportPdf(*ReadDayReport(*HistoryDayOfFile(kRecordedDay), context), &layout));
    QCOMPARE(layout.pages, pages);
    const QStringList lines = PdfLines("form.pdf");
    static const QRegularExpression row(QStringLiteral("^\\d+ \\d\\d:\\d\\d:\\d\\d "));
    QCOMPARE(lines.filter(row).size(), tableRows);
    QVERIFY(lines.join(u' ').contains("Alarm limit: 37.5 °C (1–40), 38.0 °C (41–90)"));
    QVERIFY(lines.contains("Checked by: Signature: Date:"));
    if (form == ReportForm::AbnormalOnly) {
        QVERIFY(lines.first().contains("(Abnormal readings only)"));
        QCOMPARE(lines.filter(row).filter("Abnormal").size(), 4);
    }
}

// The workbook's first sheet is the Summary: where each day file comes from (date, port,
// desk), its model, modes and limits, its counts and figures; every day sheet names its port;
// every sheet prints A4 landscape, one page wide, its header row on each page.
void TestReports::workbookSummaryAndPrinting()
{
    const QString python = PythonWithOpenpyxl();
    if (python.isEmpty())
        QSKIP("Python's openpyxl is missing (Debian: python3-openpyxl)");
    WriteRecordedDay();
    QCOMPARE(ExportRecordedDay("day.xlsx", Language::English).outcome, Outcome::Written);
    static const QString script = QStringLiteral(R"(
import json, sys, openpyxl
book = openpyxl.load_workbook(sys.argv[1])
out = []
for sheet in book.worksheets:
    setup = sheet.page_setup
    out.append({'name': sheet.title, 'orientation': setup.orientation, 'paper': setup.paperSize,
                # absent means 1, the file format's default
                'fitToWidth': 1 if setup.fitToWidth is None else setup.fitToWidth,
                'fitToHeight': setup.fitToHeight,
                'fit': sheet.sheet_properties.pageSetUpPr.fitToPage,
                'titles': sheet.print_title_rows,
                'first': [str(c) for c in next(sheet.iter_rows(min_row=2, max_row=2, values_only=True))]})
print(json.dumps(out, ensure_ascii=False))
)");
    const QJsonArray sheets =
        QJsonDocument::fromJson(RunReader(python, {"-c", script, "day.xlsx"}).value_or("")).array();
    QCOMPARE(sheets.size(), 2);
    QCOMPARE(sheets[0]["name"].toString(), QStringLiteral("Summary"));
    QCOMPARE(sheets[1]["name"].toString(), QStringLiteral("2026-12-10 COM3"));
    QStringList summary;
    for (const QJsonValue &cell : sheets[0]["first"].toArray())
        summary.append(cell.toString());
    QCOMPARE(summary, (QStringList{"2026-12-10 00:00:00", "COM3", "Entrance A", "R9  Pro",
                                   "body (1–70), surface (71–78), count (79–80), body (81–90)",
                                   "37.5 °C (1–40), 38.0 °C (41–90)", "90", "4", "38.4", "36.2",
                                   "36.9", "36.9", "°C"}));
    for (const QJsonValue &sheet : sheets) {
        const QString name = sheet["name"].toString();
        QCOMPARE(sheet["orientation"].toString(), QStringLiteral("landscape"));
        QCOMPARE(sheet["paper"].toInt(), 9); // A4
        QVERIFY2(sheet["fit"].toBool(), qPrintable(name));
        QCOMPARE(sheet["fitToWidth"].toInt(), 1);
        QCOMPARE(sheet["fitToHeight"].toInt(), 0);
        QCOMPARE(sheet["titles"].toString(), QStringLiteral("$1:$1"));
    }
}

// A week as one PDF: page 1 is the table of days with their ports, counts, highest body
// temperature and the limits in force ("not recorded" for a day from before the settings were
// kept); the daily chart follows, then every abnormal reading with the limit it was judged
// against. A range workbook has the Summary and an "All readings" sheet with Date and Port.
void TestReports::rangeReportReadsBack()
{
    if (!HavePoppler())
        QSKIP("pdftotext is missing (Debian: poppler-utils)");
    WriteRecordedDay();
    WriteFile("TempData/2026/12/20261209-01.txt", "1,09:00:00,36.5C,21.0C\r\n");
    const QString header = HistoryTexts::kRangeCsvHeader.in(Language::English);
    QCOMPARE(ExportRangeAs(FindHistoryDays(), QDate(2026, 12, 7), QDate(2026, 12, 13), header,
                           Context(Language::English), "week.pdf")
                 .outcome,
             Outcome::Written);
    const QStringList lines = PdfLines("week.pdf");
    for (const char *line :
         {"Range report 2026-12-07 to 2026-12-13", "Port: COM1, COM3 Desk: Entrance A",
          "Days: 3 Readings: 214 Abnormal: 6", "Date Port Readings Abnormal Highest Alarm limit",
          "2026-12-08 COM3 123 2 38.6 °C not recorded", "2026-12-09 COM1 1 0 36.5 °C not recorded",
          "2026-12-10 COM3 90 4 38.4 °C 37.5 °C, 38.0 °C", "Readings and abnormal readings per day",
          "Abnormal readings", "Port Quantity Test Time Test Value Environment Temp. Alarm limit",
          "COM3 12 08:26:40 37.9 °C 23.5 °C 37.5 °C", "COM3 65 10:50:53 101.1 °F 74.5 °F 38.0 °C",
          "COM3 52 11:24:12 38.3 °C 23.5 °C", "Checked by: Signature: Date:"})
        QVERIFY2(lines.contains(QString::fromUtf8(line)),
                 qPrintable(QString::fromUtf8(line) + "\nnot in\n" + lines.join(u'\n')));
    QVERIFY(lines.indexOf("2026-12-10 COM3 90 4 38.4 °C 37.5 °C, 38.0 °C") <
            lines.indexOf("Readings and abnormal readings per day"));

    const QString python = PythonWithOpenpyxl();
    if (python.isEmpty())
        QSKIP("Python's openpyxl is missing (Debian: python3-openpyxl)");
    QCOMPARE(ExportRangeAs(FindHistoryDays(), QDate(2026, 12, 7), QDate(2026, 12, 13), header,
                           Context(Language::English), "week.xlsx")
                 .outcome,
             Outcome::Written);
    const QJsonArray sheets = WorkbookSheets(python, "week.xlsx");
    QStringList names;
    for (const QJsonValue &sheet : sheets)
        names.append(sheet["name"].toString());
    QCOMPARE(names, (QStringList{"Summary", "All readings", "2026-12-08 COM3", "2026-12-09 COM1",
                                 "2026-12-10 COM3"}));
    QCOMPARE(sheets[0]["rows"].toArray().size(), 4);
    const QJsonArray all = sheets[1]["rows"].toArray();
    QCOMPARE(all.size(), 1 + 123 + 1 + 90);
    QCOMPARE(all[0].toArray()[0].toArray()[1].toString(), QStringLiteral("Date"));
    QCOMPARE(all[0].toArray()[1].toArray()[1].toString(), QStringLiteral("Port"));
    const QJsonArray last = all[all.size() - 1].toArray();
    QCOMPARE(last[0].toArray()[0].toString(), QStringLiteral("datetime"));
    QCOMPARE(last[1].toArray()[1].toString(), QStringLiteral("COM3"));
    QCOMPARE(last[2].toArray()[1].toInt(), 90);
}

// The workbook as a spreadsheet application prints it: LibreOffice turns the day sheet into
// PDF pages on which every column of the header stands on the first page.
void TestReports::workbookAsASpreadsheetPrintsIt()
{
    const QString office = QStandardPaths::findExecutable(QStringLiteral("soffice"));
    if (office.isEmpty() || !HavePoppler())
        QSKIP("LibreOffice (soffice) or poppler is missing (Debian: libreoffice-calc-nogui, "
              "poppler-utils)");
    WriteRecordedDay();
    QCOMPARE(ExportRecordedDay("day.xlsx", Language::English).outcome, Outcome::Written);
    QProcess convert;
    // A profile of its own, so a running LibreOffice or another test never shares it.
    convert.start(office, {"-env:UserInstallation=file://" + QDir::current().absoluteFilePath("lo"),
                           "--headless", "--convert-to", "pdf", "--outdir", "printed", "day.xlsx"});
    QVERIFY(convert.waitForFinished(180000));
    QCOMPARE(convert.exitCode(), 0);
    const QStringList lines = PdfLines("printed/day.pdf");
    QVERIFY2(!lines.isEmpty(), convert.readAllStandardError().constData());
    // The Summary sheet prints first, then the day sheet: its header row whole on one line.
    const QString header =
        "Quantity Test Time Test Value Unit Environment Temp. Environment Unit Abnormal";
    QVERIFY2(lines.count(header) >= 2, qPrintable(lines.mid(0, 20).join(u'\n')));
    QVERIFY(lines.contains("Date Port Desk Model Mode Alarm limit Readings Abnormal Highest "
                           "Lowest Mean Median Unit"));
    QVERIFY(lines.contains("12 08:26:40 37.9 °C 23.5 °C TRUE"));
    QVERIFY(RunReader("pdftoppm", {"-r", "50", "-png", "printed/day.pdf", "printed/page"}));
}

QTEST_MAIN(TestReports)
#include "tst_reports.moc"
