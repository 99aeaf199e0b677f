// Every format the records are exported in, one row each: the ending of the file's name, the
// save dialog's filter in each language, whether it is made for one day and for a range of
// days, and the function that writes it. Save As, the history window and `kestrim --export` all
// read this table, so a new format is one row.
#pragma once

#include "history/dayreport.h"
#include "records/dayexport.h"

#include <QDate>
#include <QList>
#include <QStringList>

#include <span>

// A day's export: `dayFile` (empty when the day has none yet), its `lines` as the operator
// asked for the export (the CSV is made from them), the CSV's header line.
struct DayExportJob {
    QString dayFile;
    QStringList lines;
    QString csvHeader;
    ReportContext context;
    QString target;
};

// A range's export: every day file of `days` dated from `first` to `last`, both included.
struct RangeExportJob {
    QList<HistoryDay> days;
    QDate first, last;
    QString csvHeader;
    ReportContext context;
    QString target;
};

struct ExportFormatRow {
    ExportFormat format;
    const char *ending;                            // lower case, without the dot: "pdf"
    Bilingual filter;                              // "Report (*.pdf)"
    ExportResult (*day)(const DayExportJob &);     // null: not made for one day
    ExportResult (*range)(const RangeExportJob &); // null: not made for a range
};

// The rows, in the order the save dialogs offer them.
std::span<const ExportFormatRow> ExportFormats();
// The row whose ending `target` has, capitals or not; null when there is none.
const ExportFormatRow *ExportFormatFor(const QString &target);
// The save dialog's filters, for one day or for a range.
QStringList ExportFilters(bool range, Language language);
// ".pdf, .xlsx, .csv or .txt": the endings for one day or for a range, for messages and --help.
QString ExportEndings(bool range);
