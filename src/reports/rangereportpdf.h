// The printed report of a range of days as a PDF file, for a supervisor's week or month: A4
// pages in the report's language. Page 1 is a table of the days (date, ports, readings,
// abnormal, highest body temperature, the alarm limits in force); a bar chart of each day's
// readings and abnormal readings follows, then every abnormal reading of the range, day by day,
// with the limit it was judged against. It ends with a line to sign, and every page with
// "Page n of N" and the time the report was made.
//
// The days are read one at a time and only their figures and abnormal rows are kept, so a month
// of busy days costs the memory of its abnormal readings, not of every reading.
#pragma once

#include "history/dayreport.h"
#include "records/dayexport.h"

#include <QByteArray>
#include <QDate>

struct RangeDay {
    QDate date;
    QList<int> ports;
    int readings = 0;
    int abnormal = 0;
    std::optional<float> highest; // of the body temperatures, in the report's unit
    QStringList limits;           // "37.5 °C", …; empty: not recorded
    bool limitsRecorded = false;
    // Port, quantity, time, value, environment, limit in force ("" when not recorded).
    QList<QStringList> abnormalRows;
};

struct RangeReport {
    QDate first, last;
    ReportContext context;
    QList<RangeDay> days; // every date of the range that has a day file, oldest first
};

// The day files of `days` dated from `first` to `last`, read one by one. NothingRecorded when
// none lies in the range; NotRead (with the file and the reason) when one cannot be read.
ExportResult ReadRangeReport(const QList<HistoryDay> &days, QDate first, QDate last,
                             const ReportContext &context, RangeReport *report);

// The whole PDF file; `pages`, when given, says how many pages it has.
QByteArray RangeReportPdf(const RangeReport &report, int *pages = nullptr);
