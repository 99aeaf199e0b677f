#include "history/daysummary.h"

#include <algorithm>

DaySummary SummariseDay(const QList<HistoryReading> &readings, int unreadable, TempUnit tempUnit)
{
    DaySummary summary;
    summary.readings = int(readings.size());
    summary.unreadable = unreadable;
    double sum = 0.0;
    for (const HistoryReading &reading : readings) {
        summary.abnormal += reading.abnormal ? 1 : 0;
        if (!summary.first.isValid() || reading.time < summary.first)
            summary.first = reading.time;
        if (!summary.last.isValid() || reading.time > summary.last)
            summary.last = reading.time;
        if (!reading.isTemperature()) {
            ++summary.counts;
            continue;
        }
        if (reading.isSurface()) {
            ++summary.surface;
            continue;
        }
        const float degrees = reading.degreesIn(tempUnit);
        summary.highest = summary.temperatures == 0 ? degrees : std::max(summary.highest, degrees);
        summary.lowest = summary.temperatures == 0 ? degrees : std::min(summary.lowest, degrees);
        sum += degrees;
        ++summary.temperatures;
    }
    if (summary.temperatures > 0)
        summary.mean = float(sum / summary.temperatures);
    return summary;
}
