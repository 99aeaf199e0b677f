#include "centralsync.h"

#include "logging.h"

#include <QFileInfo>

#include <algorithm>

namespace {

// How many of the journal's first entries are made: done, or shown by their day file.
qsizetype ReadyDeletions(const QList<CentralJournalEntry> &entries)
{
    const auto waiting = std::find_if(entries.begin(), entries.end(), [](const auto &entry) {
        return !entry.done && !DayFileShows(entry);
    });
    return waiting - entries.begin();
}

} // namespace

CentralSync::CentralSync(std::unique_ptr<CentralStore> store, CentralCursors cursors,
                         CentralBackoff backoff, QObject *parent, CentralJournal journal)
    : QObject(parent)
    , m_store(std::move(store))
    , m_cursors(std::move(cursors))
    , m_backoff(backoff)
    , m_journal(std::move(journal))
    , m_stepSoon(this)
    , m_retry(this)
{
    m_stepSoon.setSingleShot(true);
    m_stepSoon.setInterval(0);
    m_retry.setSingleShot(true);
    connect(&m_stepSoon, &QTimer::timeout, this, &CentralSync::step);
    connect(&m_retry, &QTimer::timeout, this, &CentralSync::step);
}

CentralSync::~CentralSync() = default;

void CentralSync::start()
{
    m_cursors.load();
    m_pending = m_journal.entries();
    // Oldest first; then the files the cursors name that are gone (deleted while Kestrim was
    // not running, or a folder not there).
    QList<HistoryDay> days = FindHistoryDays();
    std::reverse(days.begin(), days.end());
    QSet<QString> seen;
    for (const HistoryDay &day : days) {
        seen.insert(day.path);
        if (CentralDayFile *file = look(day, false))
            file->release();
    }
    for (const QString &dayFile : m_cursors.dayFiles()) {
        if (seen.contains(dayFile))
            continue;
        if (const std::optional<HistoryDay> day = HistoryDayOfFile(dayFile))
            look(*day, false);
        else
            m_cursors.remove(dayFile);
    }
    qCInfo(lcCentral) << "started;" << m_queue.size() << "day files to send";
    schedule();
    // The first status is always told, so the window has one to show.
    publish(true);
}

void CentralSync::dayFileChanged(const QString &dayFile)
{
    const std::optional<HistoryDay> day = HistoryDayOfFile(dayFile);
    if (!day)
        return;
    m_pending = m_journal.entries();
    // The window writes one day at a time: files of other days it named are no longer kept
    // read once they are sent.
    QStringList earlier;
    for (const QString &path : std::as_const(m_live)) {
        const auto found = m_files.find(path);
        if (found != m_files.end() && found->second->day().date != day->date &&
            found->second->waiting() == 0)
            earlier.append(path);
    }
    for (const QString &path : earlier)
        drop(path);
    look(*day, true);
    schedule();
    // A reading about to be sent is not announced as waiting; one that waits for the server is.
    if (!m_stepSoon.isActive())
        publish();
}

// Looks at a day file; returns it when something waits, otherwise forgets it unless it is
// live. Its cursor takes what was seen of a file that needs nothing sent.
CentralDayFile *CentralSync::look(const HistoryDay &day, bool live)
{
    if (live)
        m_live.insert(day.path);
    auto found = m_files.find(day.path);
    if (found == m_files.end())
        found = m_files.emplace(day.path, std::make_unique<CentralDayFile>(day)).first;
    CentralDayFile *file = found->second.get();
    file->look(m_cursors.find(day.path));
    if ((file->gone() || file->unreadable()) && !deletionPending(day.path)) {
        if (!m_missing.contains(day.path))
            qCWarning(lcCentral) << day.path << (file->gone() ? "is missing" : "cannot be read")
                                 << "while the server holds rows of it; they are left as they are";
        m_missing.insert(day.path);
    } else {
        m_missing.remove(day.path);
    }
    if (file->waiting() > 0) {
        queue(file);
        return file;
    }
    if (const std::optional<CentralCursor> settled = file->settledCursor();
        settled && *settled != *m_cursors.find(day.path)) {
        m_cursors.set(day.path, *settled);
        m_cursors.save();
    }
    if (!m_live.contains(day.path))
        drop(day.path);
    return nullptr;
}

void CentralSync::queue(CentralDayFile *file)
{
    if (!m_queue.contains(file->day().path))
        m_queue.append(file->day().path);
}

bool CentralSync::deletionPending(const QString &dayFile) const
{
    return std::any_of(m_pending.begin(), m_pending.end(), [&](const CentralJournalEntry &entry) {
        return entry.all && entry.dayFile == dayFile;
    });
}

void CentralSync::schedule()
{
    if ((!m_queue.isEmpty() || !m_pending.isEmpty()) && !m_retry.isActive())
        m_stepSoon.start();
}

// One batch of the first file in the queue; the file is looked at again first, so what is
// sent is what is on the disk now. The journal is read after that look: a deletion that changed
// what was seen is in it, and is mirrored before anything of the file is sent.
void CentralSync::step()
{
    while (!m_queue.isEmpty()) {
        const auto found = m_files.find(m_queue.first());
        CentralDayFile *file = found == m_files.end() ? nullptr : found->second.get();
        if (file)
            file->look(m_cursors.find(m_queue.first()));
        if (file && file->waiting() > 0)
            break;
        const QString done = m_queue.takeFirst();
        if (file && !m_live.contains(done))
            drop(done);
    }
    m_pending = m_journal.entries();
    if ((m_queue.isEmpty() && m_pending.isEmpty()) || heldByDeletion()) {
        publish();
        return;
    }
    if (!m_store->isOpen() && !m_store->open()) {
        failed(m_store->answered() ? CentralStore::Outcome::Refused
                                   : CentralStore::Outcome::Unreachable);
        return;
    }
    m_nameShared = m_store->nameShared();
    if (!m_pending.isEmpty()) {
        mirror();
        return;
    }
    CentralDayFile *file = m_files.at(m_queue.first()).get();
    const CentralStore::Outcome outcome = m_store->write(file->nextBatch(kBatchRows));
    if (outcome == CentralStore::Outcome::Written)
        sent(file);
    else
        failed(outcome);
}

void CentralSync::sent(CentralDayFile *file)
{
    const QString dayFile = file->day().path;
    for (const CentralSetAside &reading : m_store->setAside())
        qCWarning(lcCentral).noquote() << "the server refused reading" << reading.quantity << "of"
                                       << dayFile << "(" + reading.error + "); it is left out";
    m_setAside += int(m_store->setAside().size());
    m_cursors.set(dayFile, file->committed());
    m_cursors.save();
    m_reason.clear();
    m_backoff.reset();
    m_freshTry = true;
    m_link = CentralStatus::Link::Reachable;
    if (file->waiting() == 0) {
        m_queue.removeOne(dayFile);
        if (!m_live.contains(dayFile))
            drop(dayFile);
    }
    schedule();
    publish();
}

// A deletion noted but not yet made (the window is rewriting the day file) holds everything
// back: the server must not drop readings the file may still hold, nor get rows of a file
// before the deletion that changed it. The window wakes the sender once it is made or withdrawn.
bool CentralSync::heldByDeletion() const
{
    return !m_pending.isEmpty() && ReadyDeletions(m_pending) == 0;
}

// The journal's deletions that are made, oldest first, in one transaction; then the files they
// changed are looked at again (a file Delete All removed is forgotten). They go in their order,
// so they stop at the first one not yet made.
void CentralSync::mirror()
{
    QList<CentralDeletion> deletions;
    qint64 last = 0;
    const QList<CentralJournalEntry> ready = m_pending.first(ReadyDeletions(m_pending));
    for (const CentralJournalEntry &entry : ready) {
        last = std::max(last, entry.number);
        const std::optional<HistoryDay> day = HistoryDayOfFile(entry.dayFile);
        if (!day)
            continue;
        CentralDeletion deletion{entry.number, day->date, day->port, entry.all, entry.kept, {}};
        for (const QStringList &row : entry.removed)
            if (const std::optional<CentralReading> reading = CentralReadingOf(row))
                deletion.removed.append(*reading);
        deletions.append(std::move(deletion));
    }
    const CentralStore::Outcome outcome = m_store->mirror(deletions);
    if (outcome != CentralStore::Outcome::Written) {
        failed(outcome);
        return;
    }
    m_pending.remove(0, ready.size());
    m_journal.drop(last);
    qCInfo(lcCentral) << ready.size() << "deletions mirrored";
    m_backoff.reset();
    m_freshTry = true;
    m_link = CentralStatus::Link::Reachable;
    m_reason.clear();
    for (const CentralJournalEntry &entry : ready) {
        if (entry.all && !QFileInfo::exists(entry.dayFile)) {
            m_cursors.remove(entry.dayFile);
            m_missing.remove(entry.dayFile);
        }
    }
    m_cursors.save();
    for (const CentralJournalEntry &entry : ready)
        if (const std::optional<HistoryDay> day = HistoryDayOfFile(entry.dayFile))
            look(*day, m_live.contains(day->path));
    schedule();
    publish();
}

void CentralSync::failed(CentralStore::Outcome outcome)
{
    m_reason = m_store->error();
    if (m_store->passwordRefused()) {
        // Said as what it is, not as a server out of reach; the keeper fixes the password
        // (PGPASSWORD, ~/.pgpass) and the next try takes it.
        const int waitMs = m_backoff.next();
        qCWarning(lcCentral).noquote()
            << "the server refused the password, next try in" << waitMs << "ms:" << m_reason;
        m_link = CentralStatus::Link::PasswordRefused;
        m_store->close();
        m_retry.start(waitMs);
        publish();
        return;
    }
    if (outcome == CentralStore::Outcome::Refused) {
        // The server is there but answered with an error that is not about the data (a
        // read-only database, a permission, a lock): everything waits for the next try.
        const int waitMs = m_backoff.next();
        qCWarning(lcCentral).noquote()
            << "the server refused, next try in" << waitMs << "ms:" << m_reason;
        m_link = CentralStatus::Link::Refusing;
        // A session may carry the cause (a database made read-only holds for the sessions
        // opened before it was made writable again): the next try connects afresh.
        m_store->close();
        m_retry.start(waitMs);
        publish();
        return;
    }
    const bool hadWorked = m_link == CentralStatus::Link::Reachable;
    m_store->close();
    if (hadWorked && m_freshTry) {
        m_freshTry = false;
        qCInfo(lcCentral) << "connection lost, trying a new one:" << m_store->error();
        schedule();
        return;
    }
    const int waitMs = m_backoff.next();
    qCInfo(lcCentral) << "unreachable, next try in" << waitMs << "ms:" << m_store->error();
    m_link = CentralStatus::Link::Unreachable;
    m_retry.start(waitMs);
    publish();
}

void CentralSync::drop(const QString &dayFile)
{
    m_files.erase(dayFile);
    m_live.remove(dayFile);
}

void CentralSync::publish(bool always)
{
    CentralStatus status{m_link, int(m_pending.size())};
    for (const auto &[path, file] : m_files)
        status.waiting += file->waiting();
    if (m_link == CentralStatus::Link::Unreachable || m_link == CentralStatus::Link::Refusing)
        status.reason = m_reason.section(QStringLiteral("; "), 0, 0);
    status.missing = int(m_missing.size());
    status.setAside = m_setAside;
    status.nameShared = m_nameShared;
    if (status == m_status && !always)
        return;
    m_status = status;
    emit statusChanged(m_status);
}
