// The points of a day's chart: the temperatures over the time of day, in the window's unit,
// and the abnormal ones again to mark them. Count-mode values are no temperatures and are left
// out, and so are the readings the day's settings on record say were taken in surface mode.
// The limits in force, when the day's settings are on record, become a step line. A day with
// more readings than the chart can show is thinned to the lowest and highest reading of each
// run of neighbours, so its peaks and dips stay in the picture.
#pragma once

#include "history/historyreading.h"

#include <QList>
#include <QPointF>

struct HistoryChartData {
    // x: milliseconds since the start of the day; y: degrees.
    QList<QPointF> readings;
    QList<QPointF> abnormal;
    float lowest = 0.0f; // of every temperature, also those thinned out
    float highest = 0.0f;
    int earliestMs = 0;
    int latestMs = 0;
    // The time axis: from and to a whole step of 5 minutes to 6 hours that divides the day,
    // with a tick at each step (at most 8 steps), so the labels read as round times.
    int axisFromMs = 0;
    int axisToMs = 0;
    int axisTicks = 2;
    // The alarm limits in force as a step line over the time axis, from the day's settings on
    // record; empty when none are, and the window's limit is drawn instead.
    QList<QPointF> limitSteps;

    bool isEmpty() const { return readings.isEmpty(); }
};

// At most about `maxPoints` points of each kind.
HistoryChartData BuildChartData(const QList<HistoryReading> &readings, TempUnit tempUnit,
                                int maxPoints = 4000);
