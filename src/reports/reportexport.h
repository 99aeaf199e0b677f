// Every export of the day and of a range of days, chosen by the ending of the target's name
// (case ignored) from the table of formats (exportformats.h): ".txt" and ".csv" as they always
// were, ".pdf" the printed day report and
// ".xlsx" the workbook. A range is exported as ".csv", ".xlsx" or ".pdf" (the range report).
// The target is replaced in one step; when nothing can be exported, nothing is written.
#pragma once

#include "history/dayreport.h"
#include "records/dayexport.h"

#include <QDate>

// `dayFile`, `lines` and `csvHeader` as for ExportDay; the report and the workbook are made from
// the day's files as they are now, in the words and unit of `context`.
ExportResult ExportDayAs(const QString &dayFile, const QStringList &lines, const QString &csvHeader,
                         const ReportContext &context, const QString &target);

// Every day file of `days` dated from `first` to `last` (both included), oldest first and by
// port: the CSV under `csvHeader` (see ExportDayRange), a workbook of one sheet each, or the
// range report (see RangeReportPdf).
ExportResult ExportRangeAs(const QList<HistoryDay> &days, QDate first, QDate last,
                           const QString &csvHeader, const ReportContext &context,
                           const QString &target);
