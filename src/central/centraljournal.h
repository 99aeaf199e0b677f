// The deletions this desk made (Select Delete, Delete All), kept until the server has mirrored
// them: Kestrim-central-deletions.txt beside the cursor file.
//
// A deletion is noted before the day file is changed, and counts only once the file shows it:
// the note says how the file began before (its size and SHA-256) and what the rewrite writes
// (the same for the new contents; nothing for a file removed). The window marks the note done
// once the rewrite committed, and withdraws it when the rewrite failed (a file another program
// held). A note that is neither (the desk stopped in between) is settled when the sender
// starts: done when the file shows the deletion, withdrawn when it does not. The sender mirrors
// only what is done or shown, so the server never drops readings the desk still holds.
//
// The sender reads the journal after it looked at the day files, so a day file found changed by
// a deletion always has its note there, and mirrors the notes before it sends anything of the
// files as they are now. Only deletions in the journal are mirrored: a day file that is missing
// or unreadable is never taken for one.
//
//   kestrim-deletions 2
//   next <the next entry's number>
//   <number>\t<day file>\tall\t<made|done>\t<size:sha256 before>\t<size:sha256 after>
//   <number>\t<day file>\t<rows kept>\t<made|done>\t<before>\t<after>\t<removed line>\t…
//
// (A journal of the first form, without the two states and prints, is read as done notes.)
// Entry numbers only grow (at least the time in ms when made), so each is this installation's
// own, and the server records the last one it mirrored: an entry mirrored twice (the desk
// stopped before it dropped it here) changes nothing the second time.
#pragma once

#include "records/recordline.h"

#include <QByteArray>
#include <QList>
#include <QString>

#include <optional>

inline const QString kCentralJournalFile = QStringLiteral("Kestrim-central-deletions.txt");

// How a file begins: its first `size` bytes and their SHA-256 (hex).
struct FileStart {
    qint64 size = 0;
    QByteArray sha256;

    static FileStart Of(const QByteArray &bytes);
    // The whole file as it is now; nothing when it cannot be read.
    static std::optional<FileStart> OfFile(const QString &path);
    // Whether the file at `path` is there and begins with these bytes.
    bool begins(const QString &path) const;
    bool operator==(const FileStart &other) const = default;
};

struct CentralJournalEntry {
    qint64 number = 0;
    QString dayFile;
    // Noted before the rewrite; done once the rewrite committed.
    bool done = false;
    FileStart before;
    // What the rewrite writes; size 0 when the file is removed.
    FileStart after;
    // Delete All: the day file is gone.
    bool all = false;
    // Select Delete: the rows the file held right after it, and the rows removed as they were.
    qint64 kept = 0;
    RecordRows removed;
};

class CentralJournal {
public:
    explicit CentralJournal(QString path = kCentralJournalFile);

    // Notes the deletion about to turn the day file's rows `before` into `after` (a range of
    // them removed, the rest renumbered and maybe followed by readings that arrived meanwhile);
    // both empty: Delete All. The file is read as it is now. Its number; 0 when nothing was
    // removed or the journal cannot be written.
    qint64 record(const QString &dayFile, const RecordRows &before, const RecordRows &after);
    // The rewrite of note `number` committed.
    void confirm(qint64 number);
    // Takes back a note whose deletion could not be made (when not yet mirrored).
    void withdraw(qint64 number);
    // At start-up, before anything is deleted: each note still only made is done when its file
    // shows the deletion, and withdrawn when it does not (the desk stopped before the rewrite).
    void settle();
    // The entries not yet mirrored, oldest first.
    QList<CentralJournalEntry> entries() const;
    // Forgets the entries up to `number` (the server mirrored them).
    bool drop(qint64 number);

private:
    QString m_path;
};

// Whether the day file shows the deletion: it no longer begins as it did, and begins with what
// the rewrite wrote (readings may have followed).
bool DayFileShows(const CentralJournalEntry &entry);

// The rows of `before` that are not in `after`: what lies between the longest run of rows the
// two begin with and the longest they end with, compared without their numbers (Select Delete
// removes one range and renumbers the rest).
RecordRows RemovedRows(const RecordRows &before, const RecordRows &after);
