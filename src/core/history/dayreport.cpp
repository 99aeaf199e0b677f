#include "history/dayreport.h"

#include "history/dayhistory.h"
#include "history/daysummary.h"
#include "history/historytexts.h"
#include "regularfile.h"
#include "records/dayrecords.h"

#include <QFile>
#include <QFileInfo>

QString DayReport::summaryText() const
{
    const TempUnit unit = context.settings.tempUnit;
    return SummaryText(SummariseDay(readings, unreadable, unit), unit, context.settings.language);
}

ReportSummary DayReport::summary() const
{
    return SummariseReport(readings, unreadable, settingsRecorded, context.settings.tempUnit);
}

QStringList DayReport::summaryLines() const
{
    return ReportSummaryLines(summary(), context.settings.tempUnit, context.settings.language);
}

QList<QPointF> DayReport::limitSteps(const HistoryChartData &chart) const
{
    if (!chart.limitSteps.isEmpty())
        return chart.limitSteps;
    const double limit = context.settings.alarmLimit;
    return {{double(chart.axisFromMs), limit},
            {double(std::max(chart.axisToMs, chart.axisFromMs + 1)), limit}};
}

HistoryChartData DayReport::chartData(int maxPoints) const
{
    return BuildChartData(readings, context.settings.tempUnit, maxPoints);
}

std::optional<DayReport> ReadDayReport(const HistoryDay &day, const ReportContext &context,
                                       QString *error)
{
    if (!QFileInfo(day.path).isFile()) {
        if (error)
            error->clear();
        return std::nullopt;
    }
    // DayHistory reads an unreadable file as no lines; it is told apart here.
    QFile probe(day.path);
    if (!RegularFile::Open(probe, QIODevice::ReadOnly, error))
        return std::nullopt;
    probe.close();
    DayHistory history;
    history.load(day.path, day.warningPath);
    DayReport report;
    report.day = day;
    report.context = context;
    report.rows = history.rows();
    report.readings = history.readings();
    report.unreadable = history.unreadable();
    const DaySettings settings = DaySettings::Read(
        day.path,
        day.date.isValid() ? DayRecords().dayFilePath(day.date.addDays(-1), day.port) : QString());
    report.settingsRecorded = settings.recorded();
    if (report.settingsRecorded)
        for (HistoryReading &reading : report.readings)
            reading.inForce = settings.inForce(reading.quantity);
    return report;
}

std::optional<FieldNumber> ParseFieldNumber(const QString &field)
{
    QString number = field;
    FieldNumber parsed;
    if (field.endsWith(u'C') || field.endsWith(u'F')) {
        parsed.unit = field.endsWith(u'C') ? QStringLiteral("°C") : QStringLiteral("°F");
        number.chop(1);
    }
    bool ok = false;
    parsed.value = number.toDouble(&ok);
    if (!ok || number.isEmpty() || !number.back().isDigit())
        return std::nullopt;
    return parsed;
}

TempUnit DayTempUnit(const QList<HistoryReading> &readings)
{
    qsizetype fahrenheit = 0, celsius = 0;
    for (const HistoryReading &reading : readings) {
        fahrenheit += reading.unit == HistoryReading::Unit::Fahrenheit ? 1 : 0;
        celsius += reading.unit == HistoryReading::Unit::Celsius ? 1 : 0;
    }
    return fahrenheit > celsius ? TempUnit::Fahrenheit : TempUnit::Celsius;
}
