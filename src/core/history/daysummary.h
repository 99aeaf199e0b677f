// The figures of one day for the history's summary line. Temperatures are taken in one unit,
// the window's, whatever unit each was stored in; count-mode readings are readings but no
// temperatures, so they are counted apart and left out of the highest, lowest and mean, and so
// are the readings the day's settings on record say were taken in surface mode.
#pragma once

#include "history/historyreading.h"

#include <QList>
#include <QTime>

struct DaySummary {
    int readings = 0;     // the day file's readable lines
    int abnormal = 0;     // of them, found in the day's warning file
    int counts = 0;       // of them, count-mode values
    int surface = 0;      // of them, surface-mode temperatures by the day's settings on record
    int temperatures = 0; // of them, temperatures; the three figures below need one
    float highest = 0.0f;
    float lowest = 0.0f;
    float mean = 0.0f;
    QTime first; // the earliest and latest time of day of any reading
    QTime last;
    int unreadable = 0; // lines that are no record line
};

DaySummary SummariseDay(const QList<HistoryReading> &readings, int unreadable, TempUnit tempUnit);
