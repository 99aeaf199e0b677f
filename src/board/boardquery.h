// The one statement that reads a day for the board, through the view current_readings (the
// readings not deleted), which is all the board's role needs to be granted. It touches only
// the rows of that day, through the index on the day, and its answer is bounded: at most
// kMaxDeskRows desks and ports and the newest kMaxAbnormal abnormal readings.
#pragma once

#include "boardday.h"

#include <QString>

class PgConnection;

inline constexpr int kMaxDeskRows = 2000;
inline constexpr int kMaxAbnormal = 500;

// The statement; its one parameter $1 is the day (yyyy-MM-dd).
QString BoardDayStatement();

// Reads `day` into `read`. False (the connection's error says why) when it could not.
bool ReadBoardDay(PgConnection &connection, QDate day, BoardDay *read);
