#include "reportexport.h"

#include "exportformats.h"

ExportResult ExportDayAs(const QString &dayFile, const QStringList &lines, const QString &csvHeader,
                         const ReportContext &context, const QString &target)
{
    const ExportFormatRow *format = ExportFormatFor(target);
    if (!format || !format->day)
        return {ExportResult::Outcome::Unsupported, {}, {}};
    return format->day({dayFile, lines, csvHeader, context, target});
}

ExportResult ExportRangeAs(const QList<HistoryDay> &days, QDate first, QDate last,
                           const QString &csvHeader, const ReportContext &context,
                           const QString &target)
{
    const ExportFormatRow *format = ExportFormatFor(target);
    if (!format || !format->range)
        return {ExportResult::Outcome::Unsupported, {}, {}};
    return format->range({days, first, last, csvHeader, context, target});
}
