// The history's reader of the central records, on a thread of its own with its own connection:
// the window asks and gets the answer as a signal, and never waits on the network.
#pragma once

#include "centralview.h"
#include "pgconnection.h"

#include <QObject>

class CentralReadWorker : public QObject {
    Q_OBJECT

public:
    // At most this many days, and rows of one day, are read: a server's answer never grows
    // the window without bound.
    static constexpr int kMaxDays = 3660;
    static constexpr int kMaxRows = 50000;

    explicit CentralReadWorker(const CentralSettings &settings);

    // Reads the days that hold readings not deleted, newest first.
    void readDays();
    // Reads the rows of `day` of every desk, by time of day.
    void readDay(QDate day);
    // From any thread: whatever waits on the server gives up now, and so does every later read.
    void abort() { m_connection.abort(); }

signals:
    void daysRead(const QList<CentralDay> &days, const QString &error);
    void dayRead(QDate day, const QList<CentralRow> &rows, const QString &error);

private:
    PgConnection m_connection;
};
