#include "dayworkbook.h"

#include "history/historytexts.h"
#include "reporttexts.h"

#include <QDir>
#include <QFile>
#include <QHash>
#include <QTemporaryFile>

#include <xlsxwriter.h>

#include <array>
#include <cmath>
#include <functional>

namespace {

enum Column : lxw_col_t {
    kQuantity,
    kTime,
    kValue,
    kUnit,
    kEnvironment,
    kEnvironmentUnit,
    kAbnormal,
    kColumns
};

// Excel's column widths in characters; wide enough for the Chinese captions too.
constexpr std::array<double, kColumns> kWidths{10, 12, 12, 8, 18, 16, 10};

struct Formats {
    lxw_format *header = nullptr;
    lxw_format *time = nullptr;
    lxw_format *oneDecimal = nullptr;
    lxw_format *abnormal = nullptr; // an abnormal row's TRUE, in bold
    lxw_format *date = nullptr;
    lxw_format *wrapped = nullptr; // a long text on several lines of its cell
};

// A day sheet is named by its day and port ("2026-12-09 COM3"), so a sheet printed or copied
// alone still says where its readings come from.
QString SheetName(const DayReport &report)
{
    return report.day.date.toString(QStringLiteral("yyyy-MM-dd")) + QStringLiteral(" COM") +
           QString::number(report.day.port);
}

// Printed: A4 landscape, every column on one page's width, the header row on every page, and
// the sheet's name and page number at the foot.
void SetUpPrinting(lxw_worksheet *sheet, Language language)
{
    worksheet_set_paper(sheet, 9); // A4
    worksheet_set_landscape(sheet);
    worksheet_fit_to_pages(sheet, 1, 0);
    worksheet_repeat_rows(sheet, 0, 0);
    const QString footer =
        QStringLiteral("&L&A&R") +
        ReportTexts::kPageOf.in(language).arg(QStringLiteral("&P"), QStringLiteral("&N"));
    worksheet_set_footer(sheet, footer.toUtf8().constData());
}

void WriteText(lxw_worksheet *sheet, lxw_row_t row, lxw_col_t column, const QString &text,
               lxw_format *format = nullptr)
{
    worksheet_write_string(sheet, row, column, text.toUtf8().constData(), format);
}

// A field that is a number with a unit goes in as the number and its unit; anything else as
// the text it is.
void WriteNumber(lxw_worksheet *sheet, lxw_row_t row, lxw_col_t column, const QString &field,
                 const QString &countUnit, lxw_format *format)
{
    const std::optional<FieldNumber> number = ParseFieldNumber(field);
    if (!number) {
        WriteText(sheet, row, column, field);
        return;
    }
    worksheet_write_number(sheet, row, column, number->value, format);
    WriteText(sheet, row, column + 1, number->unit.isEmpty() ? countUnit : number->unit);
}

// The reading columns' captions, their widths set, from `first` on.
void WriteReadingHeader(lxw_worksheet *sheet, lxw_col_t first, Language language,
                        const Formats &formats)
{
    const std::array<QString, kColumns> captions{
        ReportTexts::kQuantity.in(language),    ReportTexts::kTime.in(language),
        ReportTexts::kValue.in(language),       ReportTexts::kUnit.in(language),
        ReportTexts::kEnvironment.in(language), ReportTexts::kEnvironmentUnit.in(language),
        ReportTexts::kAbnormal.in(language)};
    for (lxw_col_t column = 0; column < kColumns; ++column) {
        WriteText(sheet, 0, first + column, captions[column], formats.header);
        worksheet_set_column(sheet, first + column, first + column, kWidths[column], nullptr);
    }
}

// The readings of `report` from sheet row `top` on, in the columns from `first` on.
void WriteReadings(lxw_worksheet *sheet, const DayReport &report, lxw_row_t top, lxw_col_t first,
                   const Formats &formats, const std::function<void(lxw_row_t)> &before = {})
{
    const QString countUnit = ReportTexts::kCountUnit.in(report.context.settings.language);
    for (qsizetype index = 0; index < report.rows.size(); ++index) {
        const QStringList &fields = report.rows[index];
        const HistoryReading &reading = report.readings[index];
        const auto row = lxw_row_t(top + index);
        if (before)
            before(row);
        bool whole = false;
        const qulonglong quantity = fields.value(0).toULongLong(&whole);
        if (whole)
            worksheet_write_number(sheet, row, first + kQuantity, double(quantity), nullptr);
        else
            WriteText(sheet, row, first + kQuantity, fields.value(0));
        // A time of day is the fraction of a day that has passed.
        worksheet_write_number(sheet, row, first + kTime,
                               reading.time.msecsSinceStartOfDay() / 86400000.0, formats.time);
        WriteNumber(sheet, row, first + kValue, fields.value(2), countUnit,
                    reading.isTemperature() ? formats.oneDecimal : nullptr);
        WriteNumber(sheet, row, first + kEnvironment, fields.value(3), countUnit,
                    formats.oneDecimal);
        worksheet_write_boolean(sheet, row, first + kAbnormal, reading.abnormal,
                                reading.abnormal ? formats.abnormal : nullptr);
    }
}

void WriteSheet(lxw_workbook *book, const DayReport &report, const Formats &formats)
{
    const Language language = report.context.settings.language;
    lxw_worksheet *sheet = workbook_add_worksheet(book, SheetName(report).toUtf8().constData());
    if (!sheet)
        return;
    WriteReadingHeader(sheet, 0, language, formats);
    WriteReadings(sheet, report, 1, 0, formats);
    worksheet_freeze_panes(sheet, 1, 0);
    worksheet_autofilter(sheet, 0, 0, lxw_row_t(report.rows.size()), kColumns - 1);
    SetUpPrinting(sheet, language);
}

// Every reading of the range on one sheet, behind its date and port, for sorting and filtering
// across days.
void WriteAllReadings(lxw_workbook *book, const QList<DayReport> &days, const Formats &formats)
{
    const Language language = days.first().context.settings.language;
    lxw_worksheet *sheet =
        workbook_add_worksheet(book, ReportTexts::kAllReadings.in(language).toUtf8().constData());
    if (!sheet)
        return;
    WriteText(sheet, 0, 0, ReportTexts::kDate.in(language), formats.header);
    WriteText(sheet, 0, 1, ReportTexts::kPort.in(language), formats.header);
    worksheet_set_column(sheet, 0, 0, 12, nullptr);
    worksheet_set_column(sheet, 1, 1, 8, nullptr);
    WriteReadingHeader(sheet, 2, language, formats);
    lxw_row_t top = 1;
    for (const DayReport &day : days) {
        lxw_datetime date{day.day.date.year(), day.day.date.month(), day.day.date.day(), 0, 0, 0};
        const QString port = QStringLiteral("COM") + QString::number(day.day.port);
        WriteReadings(sheet, day, top, 2, formats, [&](lxw_row_t row) {
            worksheet_write_datetime(sheet, row, 0, &date, formats.date);
            WriteText(sheet, row, 1, port);
        });
        top += lxw_row_t(day.rows.size());
    }
    worksheet_freeze_panes(sheet, 1, 0);
    worksheet_autofilter(sheet, 0, 0, top - 1, 2 + kColumns - 1);
    SetUpPrinting(sheet, language);
}

// The first sheet: one row for each day file with where it comes from (date, port, desk), the
// settings it was taken in and its figures, so the workbook says what it is before any reading.
void WriteSummary(lxw_workbook *book, const QList<DayReport> &days, const Formats &formats)
{
    const Language language = days.first().context.settings.language;
    lxw_worksheet *sheet =
        workbook_add_worksheet(book, ReportTexts::kSummarySheet.in(language).toUtf8().constData());
    if (!sheet)
        return;
    const std::array<std::pair<Bilingual, double>, 13> columns{{
        {ReportTexts::kDate, 12},
        {ReportTexts::kPort, 8},
        {ReportTexts::kDesk, 18},
        {ReportTexts::kModel, 10},
        {ReportTexts::kModes, 34},
        {ReportTexts::kLimits, 30},
        {ReportTexts::kReadings, 10},
        {ReportTexts::kAbnormal, 10},
        {ReportTexts::kHighest, 10},
        {ReportTexts::kLowest, 10},
        {ReportTexts::kMean, 10},
        {ReportTexts::kMedian, 10},
        {ReportTexts::kUnit, 8},
    }};
    for (lxw_col_t column = 0; column < columns.size(); ++column) {
        WriteText(sheet, 0, column, columns[column].first.in(language), formats.header);
        worksheet_set_column(sheet, column, column, columns[column].second, nullptr);
    }
    lxw_row_t row = 1;
    for (const DayReport &day : days) {
        const TempUnit unit = day.context.settings.tempUnit;
        const ReportSummary summary = day.summary();
        lxw_datetime date{day.day.date.year(), day.day.date.month(), day.day.date.day(), 0, 0, 0};
        worksheet_write_datetime(sheet, row, 0, &date, formats.date);
        WriteText(sheet, row, 1, QStringLiteral("COM") + QString::number(day.day.port));
        WriteText(sheet, row, 2, day.context.settings.desk);
        WriteText(sheet, row, 3, ModelsText(summary, language));
        WriteText(sheet, row, 4, ModesText(summary, language), formats.wrapped);
        WriteText(sheet, row, 5, LimitsText(summary, unit, language), formats.wrapped);
        worksheet_write_number(sheet, row, 6, summary.readings, nullptr);
        worksheet_write_number(sheet, row, 7, summary.abnormal, nullptr);
        if (summary.statistics > 0) {
            const std::array<float, 4> figures{summary.highest, summary.lowest, summary.mean,
                                               summary.median};
            for (lxw_col_t at = 0; at < figures.size(); ++at)
                // As the report states it: to a tenth of a degree.
                worksheet_write_number(sheet, row, 8 + at, std::round(figures[at] * 10.0) / 10.0,
                                       formats.oneDecimal);
        }
        WriteText(sheet, row, 12, DegreeSign(unit));
        ++row;
    }
    worksheet_freeze_panes(sheet, 1, 0);
    SetUpPrinting(sheet, language);
}

} // namespace

QByteArray DayWorkbook(const QList<DayReport> &days, bool range, QString *error)
{
    // libxlsxwriter writes to a file of its own; the bytes are taken from there, so the target
    // is replaced in one step like every other export.
    QTemporaryFile file(QDir::temp().filePath(QStringLiteral("kestrim-XXXXXX.xlsx")));
    if (!file.open()) {
        if (error)
            *error = file.errorString();
        return {};
    }
    file.close();
    lxw_workbook_options options{};
    options.tmpdir = nullptr;
    lxw_workbook *book = workbook_new_opt(QFile::encodeName(file.fileName()).constData(), &options);
    if (!book) {
        if (error)
            *error = QStringLiteral("the workbook cannot be made");
        return {};
    }
    Formats formats;
    formats.header = workbook_add_format(book);
    format_set_bold(formats.header);
    format_set_bottom(formats.header, LXW_BORDER_THIN);
    formats.time = workbook_add_format(book);
    format_set_num_format(formats.time, "hh:mm:ss");
    formats.oneDecimal = workbook_add_format(book);
    format_set_num_format(formats.oneDecimal, "0.0");
    formats.abnormal = workbook_add_format(book);
    format_set_bold(formats.abnormal);
    formats.date = workbook_add_format(book);
    format_set_num_format(formats.date, "yyyy-mm-dd");
    format_set_align(formats.date, LXW_ALIGN_LEFT);
    formats.wrapped = workbook_add_format(book);
    format_set_text_wrap(formats.wrapped);
    format_set_align(formats.wrapped, LXW_ALIGN_VERTICAL_TOP);

    if (!days.isEmpty())
        WriteSummary(book, days, formats);
    if (range && !days.isEmpty())
        WriteAllReadings(book, days, formats);
    for (const DayReport &day : days)
        WriteSheet(book, day, formats);
    const lxw_error closed = workbook_close(book);
    if (closed != LXW_NO_ERROR) {
        if (error)
            *error = QString::fromUtf8(lxw_strerror(closed));
        return {};
    }
    if (!file.open()) {
        if (error)
            *error = file.errorString();
        return {};
    }
    return file.readAll();
}
