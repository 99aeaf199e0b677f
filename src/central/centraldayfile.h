// One day file as the sender sees it: what is on the disk, what the server has confirmed of it
// (its cursor), and so what to send next.
//
// The server is taken to hold the file's first `cursor.rows` rows only while the file still
// begins with exactly those rows (their hash). When it does not (Select Delete renumbered it,
// it was edited, or there is no cursor, so the desk does not know what the server has of it),
// the file is sent again from its first row; the server keys rows by installation, port, day
// and quantity, so that replaces rows and never doubles one. Deletions themselves are mirrored
// from the desk's journal (CentralJournal), never guessed from the files: a file that is gone
// or cannot be read sends nothing and is reported (gone(), unreadable()).
//
// Verdicts: a reading is abnormal when the day's warning file holds its line. The warning line
// is written just after the day line, so a reading may be sent a moment before its warning
// line exists. Whenever the warning file has grown since the verdicts were last sent, the
// confirmed rows that its new lines make abnormal are sent again.
//
// Both files are read as streams, a block at a time; of the warning file only a 64-bit hash of
// each line is held while the day file is read, and afterwards the numbers of the abnormal rows,
// so a long day costs a fraction of its files in memory.
#pragma once

#include "centralbatch.h"
#include "centralcursor.h"
#include "history/historyday.h"

#include <optional>
#include <vector>

// A day file's row as the server stores it; nothing for a row that is no reading.
std::optional<CentralReading> CentralReadingOf(const QStringList &fields);

class CentralDayFile {
public:
    explicit CentralDayFile(HistoryDay day);

    // Looks at the day file and its warning file again, against `cursor` (null: nothing of
    // this file is known to be on the server). A file unchanged since its cursor covered all
    // of it is not read.
    void look(const CentralCursor *cursor);
    // What the server still lacks: rows to store, and one for a deletion to mirror.
    int waiting() const;
    // The next batch of at most `maxReadings` readings (never empty when waiting() > 0).
    CentralBatch nextBatch(qsizetype maxReadings);
    // The server committed the last batch: the cursor now.
    CentralCursor committed();
    // The file is gone while the server holds rows of it (its cursor), or it cannot be read.
    bool gone() const { return !m_exists && m_cursor.has_value(); }
    bool unreadable() const { return m_unreadable; }
    // When nothing waits: the cursor with what the last look saw of the files (their sizes and
    // time), so that the next look at them unchanged needs no reading.
    std::optional<CentralCursor> settledCursor() const;
    // Nothing is kept read: the file is read as a stream at each look and batch.
    void release() {}

    const HistoryDay &day() const { return m_day; }

private:
    // Reads the day file from byte `offset`, calling take(fields, lineEnd) for each readable
    // row until it returns false. False when the file cannot be read.
    template <typename Take> bool readRows(qint64 offset, Take take) const;
    bool abnormal(qsizetype row) const;

    HistoryDay m_day;
    std::optional<CentralCursor> m_cursor;
    bool m_looked = false;
    bool m_exists = false;
    // The file is there but could not be read at the last look.
    bool m_unreadable = false;
    // What the last look saw, for the cursor once the server confirmed.
    qint64 m_fileSize = -1;
    qint64 m_modifiedMs = 0;
    qint64 m_warningSize = -1;
    // The plan: start over, the first row not confirmed (and where it starts in the file, with
    // the verdicts as they stand there), confirmed readings whose verdict is to be sent again.
    bool m_restart = false;
    bool m_upToDate = true;
    qsizetype m_total = 0; // readable rows in the file
    qsizetype m_from = 0;
    qint64 m_fromOffset = 0;
    quint64 m_fromHash = kEmptyRowsHash;
    // The readable rows (counted from 0 in file order) the warning file makes abnormal, in order.
    std::vector<qsizetype> m_abnormalRows;
    QList<CentralReading> m_verdictReadings;
    // The batch in flight: where it ends, and the state there.
    qsizetype m_batchTo = 0;
    qint64 m_batchOffset = 0;
    quint64 m_batchHash = kEmptyRowsHash;
};
