// The deletions this desk made (Select Delete, Delete All), kept until the server has mirrored
// them: Kestrim-central-deletions.txt beside the cursor file. The window appends an entry
// before it changes the day file; the sender reads the journal after it looked at the day
// files, so a day file found changed by a deletion always has its entry there, and mirrors
// every entry before it sends anything of the files as they are now. Only deletions in the
// journal are mirrored: a day file that is missing or unreadable is never taken for one.
//
//   kestrim-deletions 1
//   next <the next entry's number>
//   <number>\t<day file>\tall
//   <number>\t<day file>\t<rows kept>\t<removed line>\t<removed line>…
//
// Entry numbers only grow (at least the time in ms when made), so each is this installation's
// own, and the server records the last one it mirrored: an entry mirrored twice (the desk
// stopped before it dropped it here) changes nothing the second time.
#pragma once

#include "records/recordline.h"

#include <QList>
#include <QString>

inline const QString kCentralJournalFile = QStringLiteral("Kestrim-central-deletions.txt");

struct CentralJournalEntry {
    qint64 number = 0;
    QString dayFile;
    // Delete All: the day file is gone.
    bool all = false;
    // Select Delete: the rows the file held right after it, and the rows removed as they were.
    qint64 kept = 0;
    RecordRows removed;
};

class CentralJournal {
public:
    explicit CentralJournal(QString path = kCentralJournalFile);

    // Records a deletion about to be made. Its number; 0 when the journal cannot be written.
    qint64 append(const QString &dayFile, bool all, qint64 kept, const RecordRows &removed);
    // Records the deletion that turns the day file's rows `before` into `after` (a range of
    // them removed, the rest renumbered and maybe followed by readings that arrived meanwhile);
    // both empty: Delete All.
    qint64 record(const QString &dayFile, const RecordRows &before, const RecordRows &after);
    // Takes back an entry whose deletion could not be made (when not yet mirrored).
    void withdraw(qint64 number);
    // The entries not yet mirrored, oldest first.
    QList<CentralJournalEntry> entries() const;
    // Forgets the entries up to `number` (the server mirrored them).
    bool drop(qint64 number);

private:
    QString m_path;
};

// The rows of `before` that are not in `after`: what lies between the longest run of rows the
// two begin with and the longest they end with, compared without their numbers (Select Delete
// removes one range and renumbers the rest).
RecordRows RemovedRows(const RecordRows &before, const RecordRows &after);
