// Days as an Excel workbook (.xlsx), one sheet for each day file: a header row in the report's
// language, then one row for each reading with the quantity, the value and the environment
// temperature as numbers, their units in columns of their own, the time as a time of day and
// whether the reading is abnormal (in the day's warning file) as TRUE or FALSE. The header stays
// in view while scrolling and the columns are wide enough for their contents.
#pragma once

#include "history/dayreport.h"

#include <QByteArray>
#include <QList>

// The whole .xlsx file; empty when it could not be made (`error` says why). A sheet is named
// by its day ("2026-12-09"), with the port after it when the same day has files of several
// ports ("2026-12-09 COM3").
QByteArray DayWorkbook(const QList<DayReport> &days, QString *error = nullptr);
