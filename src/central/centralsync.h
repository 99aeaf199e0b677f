// The sending logic: keeps the central store up to date with the day files on this desk.
//
// It lives on the sender's own thread and is driven by its event loop: start() looks at every
// day file once, dayFileChanged() at one, and each step sends one batch of at most kBatchRows
// readings of the first day file with something waiting (the oldest first), then lets the loop
// run before the next, so a long catch-up never holds up the news of a new reading. A server
// that does not answer is tried again after a wait that doubles from 2 s to 60 s; a reading
// stored meanwhile waits for that try. Nothing runs while everything is sent: no timer, no
// connection attempt, nothing to wake up for.
//
// The day files are the truth: what to send is read from them, and the cursors (CentralCursors)
// record what the server committed. CentralDayFile says what a day file still needs. The
// deletions the desk made wait in the journal (CentralJournal) and are mirrored, once the day
// file shows them, before anything else is sent; a day file the server has rows of that is missing
// or unreadable is reported (the status's `missing`), never taken for a deletion.
//
// A server error about the data of a reading (SQLSTATE classes 22 and 23) sets that reading
// aside, reported in the log and the status; any other error, answered or not, keeps the batch
// waiting for the next try.
#pragma once

#include "centralbackoff.h"
#include "centralcursors.h"
#include "centraldayfile.h"
#include "centraljournal.h"
#include "centralstatus.h"
#include "centralstore.h"

#include <QObject>
#include <QTimer>

#include <map>
#include <memory>

class CentralSync : public QObject {
    Q_OBJECT

public:
    static constexpr qsizetype kBatchRows = 500;

    CentralSync(std::unique_ptr<CentralStore> store, CentralCursors cursors,
                CentralBackoff backoff = {}, QObject *parent = nullptr,
                CentralJournal journal = CentralJournal());
    ~CentralSync() override;

    // Reads the cursors and looks at every day file, then sends what the server lacks.
    void start();
    // The window stored or deleted records of `dayFile`.
    void dayFileChanged(const QString &dayFile);
    // Cuts off whatever waits on the server; the one call that may come from another thread.
    void abort() { m_store->abort(); }

    const CentralStatus &status() const { return m_status; }
    // The wait before the next try at an unreachable server; 0 when no try is due.
    int retryInMs() const { return m_retry.isActive() ? m_backoff.lastMs() : 0; }
    // Whether a step is due without waiting (the loop has work queued).
    bool busy() const { return m_stepSoon.isActive(); }

signals:
    void statusChanged(const CentralStatus &status);

private:
    CentralDayFile *look(const HistoryDay &day, bool live);
    void queue(CentralDayFile *file);
    void schedule();
    void step();
    void sent(CentralDayFile *file);
    bool heldByDeletion() const;
    void mirror();
    void failed(CentralStore::Outcome outcome);
    bool deletionPending(const QString &dayFile) const;
    void drop(const QString &dayFile);
    void publish(bool always = false);

    std::unique_ptr<CentralStore> m_store;
    CentralCursors m_cursors;
    CentralBackoff m_backoff;
    // The day files with something waiting, and those the window named this run (their rows
    // stay read, so a new reading reads only itself).
    std::map<QString, std::unique_ptr<CentralDayFile>> m_files;
    QSet<QString> m_live;
    CentralJournal m_journal;
    // The journal's entries as last read.
    QList<CentralJournalEntry> m_pending;
    // Day files the server has rows of that are missing or cannot be read.
    QSet<QString> m_missing;
    int m_setAside = 0;
    bool m_nameShared = false;
    // Why the last call failed.
    QString m_reason;
    // Files with something waiting, in the order they are sent.
    QList<QString> m_queue;
    // Children, so that they move to the sender's thread with it.
    QTimer m_stepSoon;
    QTimer m_retry;
    // A connection that failed after it had worked gets one fresh try at once (a server
    // restart, an idle connection dropped) before the waits begin.
    bool m_freshTry = true;
    CentralStatus::Link m_link = CentralStatus::Link::Unknown;
    // As last announced.
    CentralStatus m_status;
};
