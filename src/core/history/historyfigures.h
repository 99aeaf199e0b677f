// What the history's summary line and chart show of one day: its readings, the lines that were
// no record, and, for a day read across desks, how many desks recorded it.
#pragma once

#include "history/historyreading.h"

#include <QDate>
#include <QList>

#include <optional>

struct HistoryFigures {
    QDate day; // none: no day is shown
    QList<HistoryReading> readings;
    int unreadable = 0;
    std::optional<int> desks; // only for the rows of every desk
};
