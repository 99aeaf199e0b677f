#include "dayworkbook.h"

#include "reporttexts.h"

#include <QDir>
#include <QFile>
#include <QHash>
#include <QTemporaryFile>

#include <xlsxwriter.h>

#include <array>

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
};

QString SheetName(const DayReport &report, const QHash<QDate, int> &filesOfDay)
{
    QString name = report.day.date.toString(QStringLiteral("yyyy-MM-dd"));
    if (filesOfDay.value(report.day.date) > 1)
        name += QStringLiteral(" COM") + QString::number(report.day.port);
    return name;
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

void WriteSheet(lxw_workbook *book, const DayReport &report, const QString &name,
                const Formats &formats)
{
    const Language language = report.context.settings.language;
    lxw_worksheet *sheet = workbook_add_worksheet(book, name.toUtf8().constData());
    if (!sheet)
        return;
    const std::array<QString, kColumns> captions{
        ReportTexts::kQuantity.in(language),    ReportTexts::kTime.in(language),
        ReportTexts::kValue.in(language),       ReportTexts::kUnit.in(language),
        ReportTexts::kEnvironment.in(language), ReportTexts::kEnvironmentUnit.in(language),
        ReportTexts::kAbnormal.in(language)};
    for (lxw_col_t column = 0; column < kColumns; ++column) {
        WriteText(sheet, 0, column, captions[column], formats.header);
        worksheet_set_column(sheet, column, column, kWidths[column], nullptr);
    }
    const QString countUnit = ReportTexts::kCountUnit.in(language);
    for (qsizetype index = 0; index < report.rows.size(); ++index) {
        const QStringList &fields = report.rows[index];
        const HistoryReading &reading = report.readings[index];
        const auto row = lxw_row_t(index + 1);
        bool whole = false;
        const qulonglong quantity = fields.value(0).toULongLong(&whole);
        if (whole)
            worksheet_write_number(sheet, row, kQuantity, double(quantity), nullptr);
        else
            WriteText(sheet, row, kQuantity, fields.value(0));
        // A time of day is the fraction of a day that has passed.
        worksheet_write_number(sheet, row, kTime, reading.time.msecsSinceStartOfDay() / 86400000.0,
                               formats.time);
        WriteNumber(sheet, row, kValue, fields.value(2), countUnit,
                    reading.isTemperature() ? formats.oneDecimal : nullptr);
        WriteNumber(sheet, row, kEnvironment, fields.value(3), countUnit, formats.oneDecimal);
        worksheet_write_boolean(sheet, row, kAbnormal, reading.abnormal,
                                reading.abnormal ? formats.abnormal : nullptr);
    }
    worksheet_freeze_panes(sheet, 1, 0);
    worksheet_autofilter(sheet, 0, 0, lxw_row_t(report.rows.size()), kColumns - 1);
}

} // namespace

QByteArray DayWorkbook(const QList<DayReport> &days, QString *error)
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

    QHash<QDate, int> filesOfDay;
    for (const DayReport &day : days)
        ++filesOfDay[day.day.date];
    for (const DayReport &day : days)
        WriteSheet(book, day, SheetName(day, filesOfDay), formats);
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
