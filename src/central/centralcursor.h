// How much of one day file the server has confirmed: its first `rows` readable rows, which
// hash to `hash`. The file's size and time and its warning file's size as they were when the
// cursor last covered the whole file let a look at an unchanged file end without reading it.
//
// A cursor only ever lags what the server holds (it is written after the server committed), so
// losing it costs a resend and never a reading.
#pragma once

#include "records/recordline.h"

#include <QtGlobal>

// FNV-1a, 64 bits, over the UTF-16 code units (low byte first) of each row's fields joined by
// ',' and ended by '\n'. It can carry on from any earlier value, so appended rows extend a
// cursor's hash without reading the rest.
inline constexpr quint64 kEmptyRowsHash = 14695981039346656037ULL;
quint64 HashRows(const RecordRows &rows, qsizetype from, qsizetype to,
                 quint64 hash = kEmptyRowsHash);
// The hash carried on over one more row.
quint64 HashRow(const QStringList &fields, quint64 hash);

struct CentralCursor {
    qint64 rows = 0;
    quint64 hash = kEmptyRowsHash;
    // -1: the server has not confirmed the whole file as it is now.
    qint64 fileSize = -1;
    qint64 modifiedMs = 0;
    // The day's warning file (shared by every port) when the verdicts were last sent; -1: none.
    qint64 warningSize = -1;

    bool operator==(const CentralCursor &other) const = default;
};
