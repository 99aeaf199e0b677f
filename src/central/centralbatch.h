// What the sender hands the central store in one go: readings of one day file, and whether that
// file's central rows are to be marked deleted first because the file no longer begins with
// what the server holds (a Select Delete renumbered it, Delete All removed it, or the desk does
// not know what the server has of it).
#pragma once

#include <QDate>
#include <QList>
#include <QString>
#include <QTime>

struct CentralReading {
    qint64 quantity = 0;
    QTime time;
    QString value;           // the number as the day file has it: "36.5", "97.7", "12"
    QString unit;            // "C", "F" or "count"
    QString environment;     // "24.5"
    QString environmentUnit; // "C" or "F"
    bool abnormal = false;   // the day's warning file holds the line

    bool operator==(const CentralReading &other) const = default;
};

struct CentralBatch {
    QDate day;
    int port = 0;
    // Every central row of this day file is marked deleted before the readings are stored.
    bool restart = false;
    // Stored with deleted = false, replacing a row of the same quantity.
    QList<CentralReading> readings;
};
