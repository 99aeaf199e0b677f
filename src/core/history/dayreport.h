// One day file as the printed report and the workbook show it: its rows, the reading and the
// verdict of each, the summary's figures and the chart's points, with the words of the report's
// language. Read from the files on disk when the report is made, so it holds what the day file
// holds then.
#pragma once

#include "history/historychartdata.h"
#include "history/historyday.h"
#include "history/historyreading.h"
#include "history/historysettings.h"
#include "history/reportsummary.h"
#include "records/recordline.h"

#include <QDateTime>
#include <QList>
#include <QString>

#include <optional>

// How much of the day the printed report lists: every reading, only the abnormal ones (after
// the same summary and chart), or the summary and chart alone on one page.
enum class ReportForm { Full, AbnormalOnly, Summary };

// Where and when a report is made, and how its temperatures are shown.
struct ReportContext {
    HistorySettings settings; // the language, the unit of the summary and chart, the limit, desk
    QDateTime made;           // the time the report is made, from the program's clock
    ReportForm form = ReportForm::Full;
};

struct DayReport {
    HistoryDay day;
    ReportContext context;
    RecordRows rows;                // the readable lines, as the history's table shows them
    QList<HistoryReading> readings; // one for each row
    int unreadable = 0;             // lines that are no record line
    // The day's settings file (or the day before's, carried over midnight) named the settings
    // of its readings; each reading's are in its `inForce`.
    bool settingsRecorded = false;

    // "Readings: 5   Abnormal: 1   …" as the history window shows it.
    QString summaryText() const;
    ReportSummary summary() const;
    // The report's summary: model and modes, limits, figures (see ReportSummaryLines).
    QStringList summaryLines() const;
    HistoryChartData chartData(int maxPoints = 2000) const;
    // The alarm limit over the chart's time axis as a step line: the limits in force, or the
    // context's limit when none is on record.
    QList<QPointF> limitSteps(const HistoryChartData &chart) const;
};

// Reads `day`'s day file and warning file. Nothing when the day file is not there or cannot be
// read (`error` then holds the system's reason, empty for a missing file).
std::optional<DayReport> ReadDayReport(const HistoryDay &day, const ReportContext &context,
                                       QString *error = nullptr);

// A stored field as a number and its unit: "36.4C" → 36.4 and "°C"; "97.7F" → 97.7 and "°F";
// a count "12" → 12 and no unit. Nothing for a field that is no number.
struct FieldNumber {
    double value = 0.0;
    QString unit; // "°C", "°F", or empty for a count
};
std::optional<FieldNumber> ParseFieldNumber(const QString &field);

// The unit most of the day's temperatures were taken in (Celsius when as many or none). A
// report made without a window, which has no thermometer to ask, takes it.
TempUnit DayTempUnit(const QList<HistoryReading> &readings);
