#include "history/historychartdata.h"

#include <algorithm>

namespace {

// Each run of `run` points in order becomes its lowest and its highest point, in time order.
QList<QPointF> Thin(const QList<QPointF> &points, qsizetype maxPoints)
{
    if (points.size() <= maxPoints)
        return points;
    const qsizetype run = (points.size() + maxPoints / 2 - 1) / (maxPoints / 2);
    QList<QPointF> thinned;
    thinned.reserve(maxPoints + 2);
    for (qsizetype start = 0; start < points.size(); start += run) {
        const auto begin = points.begin() + start;
        const auto end = points.begin() + std::min(start + run, points.size());
        const auto [low, high] = std::minmax_element(
            begin, end, [](const QPointF &a, const QPointF &b) { return a.y() < b.y(); });
        if (low == high) {
            thinned.append(*low);
        } else if (low < high) {
            thinned.append(*low);
            thinned.append(*high);
        } else {
            thinned.append(*high);
            thinned.append(*low);
        }
    }
    return thinned;
}

void ChooseTimeAxis(HistoryChartData &data)
{
    constexpr int kMinuteMs = 60 * 1000;
    constexpr int kDayMs = 24 * 60 * kMinuteMs;
    constexpr int kMaxSteps = 8;
    for (int minutes : {5, 10, 15, 30, 60, 120, 180, 240, 360}) {
        const int step = minutes * kMinuteMs;
        // A reading on a step lies inside the axis, not on its edge.
        int from = data.earliestMs / step * step;
        if (from == data.earliestMs && from >= step)
            from -= step;
        int to = (data.latestMs + step - 1) / step * step;
        if (to == data.latestMs && to + step <= kDayMs)
            to += step;
        if ((to - from) / step <= kMaxSteps || minutes == 360) {
            data.axisFromMs = from;
            data.axisToMs = to;
            data.axisTicks = (to - from) / step + 1;
            return;
        }
    }
}

// Each change of the limit in force is a step at the time of the first reading taken with it.
void LimitSteps(HistoryChartData &data, const QList<HistoryReading> &readings, TempUnit tempUnit)
{
    std::optional<double> limit;
    for (const HistoryReading &reading : readings) {
        if (!reading.inForce)
            continue;
        const double next = reading.inForce->alarmLimitIn(tempUnit);
        if (!limit) {
            data.limitSteps.append({double(data.axisFromMs), next});
        } else if (next != *limit) {
            const double at = reading.time.msecsSinceStartOfDay();
            data.limitSteps.append({at, *limit});
            data.limitSteps.append({at, next});
        }
        limit = next;
    }
    if (limit)
        data.limitSteps.append({double(std::max(data.axisToMs, data.axisFromMs + 1)), *limit});
}

} // namespace

HistoryChartData BuildChartData(const QList<HistoryReading> &readings, TempUnit tempUnit,
                                int maxPoints)
{
    HistoryChartData data;
    QList<QPointF> all, abnormal;
    all.reserve(readings.size());
    for (const HistoryReading &reading : readings) {
        // Surface readings, by the settings on record, are no body temperatures: drawn on the
        // same line they would read as a fever's opposite.
        if (!reading.isTemperature() || reading.isSurface())
            continue;
        const QPointF point(reading.time.msecsSinceStartOfDay(), reading.degreesIn(tempUnit));
        if (all.isEmpty()) {
            data.lowest = data.highest = float(point.y());
            data.earliestMs = data.latestMs = int(point.x());
        }
        data.lowest = std::min(data.lowest, float(point.y()));
        data.highest = std::max(data.highest, float(point.y()));
        data.earliestMs = std::min(data.earliestMs, int(point.x()));
        data.latestMs = std::max(data.latestMs, int(point.x()));
        all.append(point);
        if (reading.abnormal)
            abnormal.append(point);
    }
    ChooseTimeAxis(data);
    LimitSteps(data, readings, tempUnit);
    data.readings = Thin(all, std::max(maxPoints, 4));
    data.abnormal = Thin(abnormal, std::max(maxPoints, 4));
    return data;
}
