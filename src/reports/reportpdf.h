// The printed report of one day as a PDF file: A4 pages in the report's language with a heading
// (date, port, desk), the history's summary line, the day's chart drawn as vectors with the
// alarm limit and the abnormal readings, and the table of every reading. Abnormal rows are
// bold, shaded and marked in a column of their own, so they stand out in black-and-white print
// too. Every page ends with "Page n of N" and the time the report was made. The text is real
// text in embedded fonts, so it can be copied or searched in either language.
#pragma once

#include "history/dayreport.h"

#include <QByteArray>

struct ReportLayout {
    int pages = 0;
    int degreeLines = 0; // the chart's lines of degrees, at most 12 whatever the readings
};

// The whole PDF file. `layout`, when given, says how it came out.
QByteArray DayReportPdf(const DayReport &report, ReportLayout *layout = nullptr);
