// The text form of records: one record line per reading, comma-separated fields, and the
// readers that turn a day file back into rows.
#pragma once

#include "records/measurementrecord.h"

#include <QList>
#include <QString>
#include <QStringList>
#include <QStringView>

// The records of one day file in memory: one row per non-empty line, each row the line's fields
// (normally four, in the list's column order).
using RecordRows = QList<QStringList>;

// The four fields joined by single commas; no spaces, quotes or escaping.
QString FormatRecordLine(const MeasurementRecord &record);

// Rows as a day file's lines: each row's fields joined by single commas.
QStringList RecordLines(const RecordRows &rows);

// Calls take(line) for every non-empty line, in order, and for a last line without an end; a CR
// before the LF belongs to the line break.
template <typename Take> void ForEachLine(QStringView text, Take take)
{
    qsizetype start = 0;
    while (start < text.size()) {
        qsizetype end = text.indexOf(u'\n', start);
        if (end < 0)
            end = text.size();
        QStringView line = text.sliced(start, end - start);
        if (end < text.size() && line.endsWith(u'\r'))
            line.chop(1);
        if (!line.isEmpty())
            take(line);
        start = end + 1;
    }
}

// Splits comma-separated text into trimmed fields, each in its place: an empty field stays an
// empty field, so the fields after it keep their columns (other programs read a record's fields
// by position). Empty fields at the end are dropped; blank text gives no field.
QStringList SplitFields(QStringView text);

// The non-empty lines of a text file, without their CR LF or LF. A file that is missing or
// cannot be read gives no lines.
QStringList ReadTextLines(const QString &path);

// SplitFields of every non-empty line of a day file, in file order. A line that yields no field
// (blank only) is still a row, an empty one.
RecordRows LoadRecordRows(const QString &path);

// The quantity of the last record of a day file (its last line whose first field is a number),
// 0 for a missing or empty file.
quint64 LastRecordQuantity(const QString &path);
