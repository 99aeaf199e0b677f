// What the sender hands the central store in one go: readings of one day file, or the
// deletions of the desk's journal.
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
    // The file is sent again from its first row (the server's rows of it may differ).
    bool restart = false;
    // Stored as the file's current rows (removal 0), replacing a row of the same quantity.
    QList<CentralReading> readings;
};

// One deletion made on the desk, as the server mirrors it: the readings removed are kept on the
// server, marked deleted, under the deletion's own number; the file's current rows beyond what
// it kept are dropped (their readings are renumbered below, and sent again).
struct CentralDeletion {
    qint64 number = 0; // the journal's, unique to this installation and growing
    QDate day;
    int port = 0;
    bool all = false; // Delete All: every current row of the file
    qint64 kept = 0;  // Select Delete: the rows the file held after it
    QList<CentralReading> removed;
};

// A reading the server refused as data (SQLSTATE class 22 or 23): left out, reported.
struct CentralSetAside {
    qint64 quantity = 0;
    QString error;
};
