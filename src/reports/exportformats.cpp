#include "exportformats.h"

#include "dayworkbook.h"
#include "history/rangeexport.h"
#include "rangereportpdf.h"
#include "reportpdf.h"

#include <algorithm>
#include <array>

namespace {

ExportResult Unreadable(const QString &path, const QString &error)
{
    return error.isEmpty() ? ExportResult{ExportResult::Outcome::NothingRecorded, {}, {}}
                           : ExportResult{ExportResult::Outcome::NotRead, path, error};
}

ExportResult WriteWorkbook(const QList<DayReport> &reports, bool range, const QString &target)
{
    QString error;
    const QByteArray bytes = DayWorkbook(reports, range, &error);
    if (bytes.isEmpty())
        return {ExportResult::Outcome::NotWritten, target, error};
    return WriteExportFile(target, bytes);
}

ExportResult WritePdf(const QByteArray &pdf, const QString &target)
{
    if (pdf.isEmpty())
        return {ExportResult::Outcome::NotWritten, target,
                QStringLiteral("the report cannot be drawn")};
    return WriteExportFile(target, pdf);
}

// The day's report: read from its files as they are now.
std::optional<DayReport> ReadDay(const DayExportJob &job, ExportResult *failure)
{
    if (job.dayFile.isEmpty()) {
        *failure = {ExportResult::Outcome::NothingRecorded, {}, {}};
        return std::nullopt;
    }
    const HistoryDay day =
        HistoryDayOfFile(job.dayFile).value_or(HistoryDay{{}, 0, job.dayFile, {}});
    QString error;
    std::optional<DayReport> report = ReadDayReport(day, job.context, &error);
    if (!report)
        *failure = Unreadable(job.dayFile, error);
    return report;
}

// The day files of a range, oldest first and by port.
QList<HistoryDay> Chosen(const RangeExportJob &job)
{
    QList<HistoryDay> chosen;
    std::copy_if(
        job.days.begin(), job.days.end(), std::back_inserter(chosen),
        [&](const HistoryDay &day) { return day.date >= job.first && day.date <= job.last; });
    std::sort(chosen.begin(), chosen.end(), [](const HistoryDay &a, const HistoryDay &b) {
        return a.date != b.date ? a.date < b.date : a.port < b.port;
    });
    return chosen;
}

ExportResult DayText(const DayExportJob &job)
{
    return ExportDay(job.dayFile, job.lines, job.csvHeader, job.target);
}

ExportResult DayPdf(const DayExportJob &job)
{
    ExportResult failure;
    const std::optional<DayReport> report = ReadDay(job, &failure);
    return report ? WritePdf(DayReportPdf(*report), job.target) : failure;
}

ExportResult DayXlsx(const DayExportJob &job)
{
    ExportResult failure;
    const std::optional<DayReport> report = ReadDay(job, &failure);
    return report ? WriteWorkbook({*report}, false, job.target) : failure;
}

ExportResult RangeCsv(const RangeExportJob &job)
{
    return ExportDayRange(job.days, job.first, job.last, job.csvHeader, job.target);
}

ExportResult RangeXlsx(const RangeExportJob &job)
{
    const QList<HistoryDay> chosen = Chosen(job);
    if (chosen.isEmpty())
        return {ExportResult::Outcome::NothingRecorded, {}, {}};
    QList<DayReport> reports;
    for (const HistoryDay &day : chosen) {
        QString error;
        std::optional<DayReport> report = ReadDayReport(day, job.context, &error);
        if (!report)
            return Unreadable(day.path, error.isEmpty() ? QStringLiteral("it is gone") : error);
        reports.append(std::move(*report));
    }
    return WriteWorkbook(reports, true, job.target);
}

ExportResult RangePdf(const RangeExportJob &job)
{
    RangeReport report;
    const ExportResult read = ReadRangeReport(job.days, job.first, job.last, job.context, &report);
    if (read.outcome != ExportResult::Outcome::Written)
        return read;
    return WritePdf(RangeReportPdf(report), job.target);
}

// The filters of .txt and .csv are the ones the program has always offered, in either language.
const std::array<ExportFormatRow, 4> kFormats{{
    {ExportFormat::Text, "txt", {u"TempTable (*.txt)", u"TempTable (*.txt)"}, DayText, nullptr},
    {ExportFormat::Csv, "csv", {u"TempTable(*.csv)", u"TempTable(*.csv)"}, DayText, RangeCsv},
    {ExportFormat::Report, "pdf", {u"报表 (*.pdf)", u"Report (*.pdf)"}, DayPdf, RangePdf},
    {ExportFormat::Workbook,
     "xlsx",
     {u"工作簿 (*.xlsx)", u"Workbook (*.xlsx)"},
     DayXlsx,
     RangeXlsx},
}};

} // namespace

std::span<const ExportFormatRow> ExportFormats()
{
    return kFormats;
}

const ExportFormatRow *ExportFormatFor(const QString &target)
{
    for (const ExportFormatRow &row : kFormats)
        if (target.endsWith(u'.' + QLatin1String(row.ending), Qt::CaseInsensitive))
            return &row;
    return nullptr;
}

QStringList ExportFilters(bool range, Language language)
{
    QStringList filters;
    for (const ExportFormatRow &row : kFormats)
        if (range ? row.range != nullptr : row.day != nullptr)
            filters.append(row.filter.in(language));
    return filters;
}

QString ExportEndings(bool range)
{
    QStringList endings;
    for (const ExportFormatRow &row : kFormats)
        if (range ? row.range != nullptr : row.day != nullptr)
            endings.append(u'.' + QLatin1String(row.ending));
    const QString last = endings.takeLast();
    return endings.isEmpty() ? last
                             : endings.join(QStringLiteral(", ")) + QStringLiteral(" or ") + last;
}
