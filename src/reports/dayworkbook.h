// Days as an Excel workbook (.xlsx). The first sheet, "Summary", has a row for each day file:
// its date, port, desk, model, modes, alarm limits (with the quantities each covered), counts
// and figures. A range has an "All readings" sheet next, every reading behind its date and
// port. Then one sheet for each day file: a header row in the report's
// language, then one row for each reading with the quantity, the value and the environment
// temperature as numbers, their units in columns of their own, the time as a time of day and
// whether the reading is abnormal (in the day's warning file) as TRUE or FALSE. The header stays
// in view while scrolling and the columns are wide enough for their contents. Every sheet
// prints on A4 landscape, one page wide, with its header row on each page.
#pragma once

#include "history/dayreport.h"

#include <QByteArray>
#include <QList>

// The whole .xlsx file; empty when it could not be made (`error` says why). A day sheet is
// named by its day and port ("2026-12-09 COM3"). `range`: the days are a range of dates, and
// the workbook has the "All readings" sheet.
QByteArray DayWorkbook(const QList<DayReport> &days, bool range, QString *error = nullptr);
