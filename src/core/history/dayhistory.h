// One day file read for the history: its readable rows as the table shows them, the reading
// of each row, the number of lines that are no record, and which readings are abnormal, that
// is, found in the day's warning file. The warning file is shared by every port of the day, so
// each of its lines counts for at most one row; lines of other ports' files or of deleted rows
// match nothing here.
//
// The file can be followed while it grows: lines appended since the last look are read alone,
// and anything else that happened to it (replaced, shortened, gone) reads it again. A malformed
// line is skipped and counted; it never stops the rest of the day from being read.
#pragma once

#include "history/historyreading.h"
#include "records/recordline.h"

#include <QByteArray>
#include <QDateTime>
#include <QHash>
#include <QList>
#include <QSet>
#include <QString>

class DayHistory {
public:
    enum class Change { Unchanged, Appended, Reloaded };

    // Reads `dayFile` and `warningFile` anew. A missing file reads as no lines.
    void load(const QString &dayFile, const QString &warningFile);
    // Takes what changed on disk since the last look. Appended: the rows from `firstNewRow()`
    // on are new and the earlier ones are as they were. Reloaded: everything was read again.
    Change refresh();

    const QString &dayFile() const { return m_dayFile; }
    // Whether the day file was there at the last look.
    bool exists() const { return m_exists; }
    const RecordRows &rows() const { return m_rows; }
    // One for each row.
    const QList<HistoryReading> &readings() const { return m_readings; }
    // Non-empty lines that are no record line.
    int unreadable() const { return m_unreadable; }
    int firstNewRow() const { return m_firstNewRow; }

private:
    void clear();
    // Reads from byte `from` to the end; returns false when that part is not what was read
    // before (the file was replaced or shortened) or the file cannot be read.
    bool readFrom(qint64 from);
    void takeLines(const QByteArray &bytes);
    bool warningFileChanged() const;
    void readWarningFile();
    void markAbnormal(qsizetype fromRow);

    QString m_dayFile;
    QString m_warningFile;
    bool m_exists = false;
    RecordRows m_rows;
    QList<HistoryReading> m_readings;
    int m_unreadable = 0;
    int m_firstNewRow = 0;
    // How far the day file has been read, and the bytes just before that point, to tell an
    // append from a rewrite.
    qint64 m_readBytes = 0;
    QByteArray m_lastBytes;
    // The file ended in the middle of a line at the last look.
    bool m_partialLine = false;
    QDateTime m_modified;
    // The warning file as last read, and its lines that no row has matched yet.
    qint64 m_warningSize = -1;
    QHash<QString, int> m_unmatchedWarnings;
    QSet<QString> m_warningTimes;
};
