// A range of days exported as one CSV file: the header line, then every non-empty line of each
// day file dated from the first to the last day chosen (both included), oldest day first and,
// within a day, by port, each line behind its date and port and followed by whether it is
// abnormal ("2026-12-09,COM3,1,09:15:02,38.4C,24.5C,TRUE"), so the rows of several ports can be
// told apart. A line that is no record line (cut short by a crash) is kept as it is, with no
// verdict after it. Otherwise the rules of the day's CSV export hold: each line ended by a
// single CR, UTF-8 without a byte-order mark, the target replaced in one step.
#pragma once

#include "history/historyday.h"
#include "records/dayexport.h"

// NothingRecorded: no day file lies in the range; Unsupported: the name does not end in .csv.
// In either case, as when a day file cannot be read, nothing is written.
ExportResult ExportDayRange(const QList<HistoryDay> &days, QDate first, QDate last,
                            const QString &csvHeader, const QString &target);
