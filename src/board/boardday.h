// What the board shows of one day across every desk: a row per desk and port with its counts,
// and the day's abnormal readings, newest first; and that day as the JSON the page and other
// tools read (/api/today, /api/day/<date>).
#pragma once

#include <QByteArray>
#include <QDate>
#include <QDateTime>
#include <QList>
#include <QString>

// A desk that has sent nothing for this long is "quiet".
inline constexpr int kQuietAfterSecs = 10 * 60;

struct BoardDesk {
    QString desk; // the desk's readable name, as the desk sent it
    QString installation;
    int port = 0;
    qint64 readings = 0;
    qint64 abnormal = 0;
    QDateTime last; // the desk's local time of its last reading
};

struct BoardAbnormal {
    QString desk;
    int port = 0;
    qint64 quantity = 0;
    QDateTime takenAt;
    QString value; // as stored: "38.1"
    QString unit;  // "C", "F" or "count"
};

struct BoardDay {
    QDate date;
    QList<BoardDesk> desks;
    QList<BoardAbnormal> abnormal; // newest first, at most kMaxAbnormal
};

// A reading's value in degrees Celsius with one decimal, as the desk itself converts it; empty
// for a unit that is no temperature or a value that is no number.
QString CelsiusText(const QString &value, const QString &unit);

// What the board knows of a day when it answers.
struct BoardAnswer {
    BoardDay day;
    bool known = false;     // whether the day was ever read
    bool reachable = false; // whether the last attempt to read it reached the server
    QString error;          // why it did not
    QDateTime readAt;       // when `day` was read (the board's clock)
};

// The answer as JSON. `now` decides "quiet" (on today's page only) and the age of the facts;
// `today` is the board's date.
QByteArray BoardAnswerJson(const BoardAnswer &answer, const QDateTime &now, QDate today);
