// What the history's "All desks" shows of the central records: the days any desk recorded, and
// the rows of one day across the desks.
#pragma once

#include "history/historyreading.h"

#include <QDate>
#include <QList>
#include <QStringList>

struct CentralDay {
    QDate date;
    int desks = 0;
    int readings = 0;
};

struct CentralRow {
    QString desk;
    int port = 0;
    // As a day file holds them: quantity, HH:MM:SS, value with its unit, environment.
    QStringList fields;
    HistoryReading reading;
};
