// The day files on disk, as the history lists them: one entry per day record file under the
// data folder (TempData/<year>/<MM>/<yyyyMMdd>-<PP>.txt), so a day recorded on several ports
// has an entry for each port. Anything else in those folders is not a day file and is passed
// over: warning files, notes, copies, names that are not a date, a file in another day's folder.
#pragma once

#include <QDate>
#include <QList>
#include <QString>

#include <optional>

struct HistoryDay {
    QDate date;
    int port = 0;        // the COM number in the file's name
    QString path;        // the day file, named as the main window names it
    QString warningPath; // the day's warning file, shared by every port of the day

    // "2026-12-09  COM3"
    QString label() const;
    bool operator==(const HistoryDay &other) const = default;
};

// Every day file under the data folder of the working folder, newest day first and, within a
// day, by port.
QList<HistoryDay> FindHistoryDays();

// The days of `days` from `first` to `last`, oldest first and, within a day, by port.
QList<HistoryDay> DaysInRange(const QList<HistoryDay> &days, QDate first, QDate last);

// The day a day file's path names ("TempData/2026/12/20261209-03.txt"), whether or not the file
// is there; nothing for a path that is not where the main window keeps that day's file.
std::optional<HistoryDay> HistoryDayOfFile(const QString &path);
