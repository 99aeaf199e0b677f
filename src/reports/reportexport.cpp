#include "reportexport.h"

#include "dayworkbook.h"
#include "history/rangeexport.h"
#include "reportpdf.h"

#include <QFileInfo>

#include <algorithm>

namespace {

ExportResult Unreadable(const QString &path, const QString &error)
{
    return error.isEmpty() ? ExportResult{ExportResult::Outcome::NothingRecorded, {}, {}}
                           : ExportResult{ExportResult::Outcome::NotRead, path, error};
}

ExportResult WriteWorkbook(const QList<DayReport> &reports, const QString &target)
{
    QString error;
    const QByteArray bytes = DayWorkbook(reports, &error);
    if (bytes.isEmpty())
        return {ExportResult::Outcome::NotWritten, target, error};
    return WriteExportFile(target, bytes);
}

} // namespace

ExportResult ExportDayAs(const QString &dayFile, const QStringList &lines, const QString &csvHeader,
                         const ReportContext &context, const QString &target)
{
    const ExportFormat format = ExportFormatOf(target);
    if (format != ExportFormat::Report && format != ExportFormat::Workbook)
        return ExportDay(dayFile, lines, csvHeader, target);
    if (dayFile.isEmpty())
        return {ExportResult::Outcome::NothingRecorded, {}, {}};
    const HistoryDay day = HistoryDayOfFile(dayFile).value_or(HistoryDay{{}, 0, dayFile, {}});
    QString error;
    const std::optional<DayReport> report = ReadDayReport(day, context, &error);
    if (!report)
        return Unreadable(dayFile, error);
    if (format == ExportFormat::Workbook)
        return WriteWorkbook({*report}, target);
    const QByteArray pdf = DayReportPdf(*report);
    if (pdf.isEmpty())
        return {ExportResult::Outcome::NotWritten, target,
                QStringLiteral("the report cannot be drawn")};
    return WriteExportFile(target, pdf);
}

ExportResult ExportRangeAs(const QList<HistoryDay> &days, QDate first, QDate last,
                           const QString &csvHeader, const ReportContext &context,
                           const QString &target)
{
    if (ExportFormatOf(target) != ExportFormat::Workbook)
        return ExportDayRange(days, first, last, csvHeader, target);
    QList<HistoryDay> chosen;
    std::copy_if(days.begin(), days.end(), std::back_inserter(chosen),
                 [&](const HistoryDay &day) { return day.date >= first && day.date <= last; });
    if (chosen.isEmpty())
        return {ExportResult::Outcome::NothingRecorded, {}, {}};
    std::sort(chosen.begin(), chosen.end(), [](const HistoryDay &a, const HistoryDay &b) {
        return a.date != b.date ? a.date < b.date : a.port < b.port;
    });
    QList<DayReport> reports;
    for (const HistoryDay &day : chosen) {
        QString error;
        std::optional<DayReport> report = ReadDayReport(day, context, &error);
        if (!report)
            return Unreadable(day.path, error.isEmpty() ? QStringLiteral("it is gone") : error);
        reports.append(std::move(*report));
    }
    return WriteWorkbook(reports, target);
}
