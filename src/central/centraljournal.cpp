#include "centraljournal.h"

#include "logging.h"
#include "records/filesharing.h"
#include "records/recordfile.h"
#include "regularfile.h"

#include <QCryptographicHash>
#include <QDateTime>
#include <QFile>
#include <QFileInfo>
#include <QMutex>

namespace {

// A journal of the first form has neither states nor prints: its notes cannot be checked
// against the day file, and are read as done.
const QByteArray kFirstLineV1 = "kestrim-deletions 1";
const QByteArray kFirstLine = "kestrim-deletions 2";
const QByteArray kNextKey = "next ";
const QString kMade = QStringLiteral("made");
const QString kDone = QStringLiteral("done");

// Files are hashed a block at a time, so a long day costs no more memory than a short one.
constexpr qint64 kHashBlock = 64 * 1024;

QString PrintText(const FileStart &start)
{
    return QString::number(start.size) + u':' + QString::fromLatin1(start.sha256);
}

std::optional<FileStart> PrintOf(const QString &text)
{
    const qsizetype colon = text.indexOf(u':');
    bool ok = false;
    FileStart start{text.left(colon).toLongLong(&ok), text.mid(colon + 1).toLatin1()};
    if (colon < 0 || !ok || start.size < 0 || start.sha256.size() != 64)
        return std::nullopt;
    return start;
}

// The SHA-256 of the first `size` bytes of `file` (all of it when `size` is negative); nothing
// when fewer bytes are there or the file cannot be read.
std::optional<FileStart> HashStart(const QString &path, qint64 size)
{
    QFile file(path);
    if (!QFileInfo::exists(path) || !RegularFile::Open(file, QIODevice::ReadOnly))
        return std::nullopt;
    QCryptographicHash hash(QCryptographicHash::Sha256);
    qint64 read = 0;
    while (size < 0 || read < size) {
        const qint64 want = size < 0 ? kHashBlock : std::min(kHashBlock, size - read);
        const QByteArray block = file.read(want);
        if (block.isEmpty())
            break;
        hash.addData(block);
        read += block.size();
    }
    if (file.error() != QFileDevice::NoError || (size >= 0 && read < size))
        return std::nullopt;
    return FileStart{read, hash.result().toHex()};
}

// The window appends on its thread while the sender drops on its own.
QMutex &JournalMutex()
{
    static QMutex mutex;
    return mutex;
}

struct Journal {
    qint64 next = 1;
    QList<CentralJournalEntry> entries;
};

Journal Read(const QString &path)
{
    Journal journal;
    QFile file(path);
    if (QString error; !RegularFile::Open(file, QIODevice::ReadOnly, &error)) {
        if (QFileInfo::exists(path))
            qCWarning(lcCentral).noquote() << path << "cannot be read:" << error;
        return journal;
    }
    const QList<QByteArray> lines = file.readAll().split('\n');
    const bool first = lines.value(0) == kFirstLineV1;
    if ((!first && lines.value(0) != kFirstLine) || !lines.value(1).startsWith(kNextKey)) {
        qCWarning(lcCentral) << path << "is damaged; its deletions are not mirrored";
        return journal;
    }
    journal.next = lines[1].mid(kNextKey.size()).toLongLong();
    for (qsizetype i = 2; i < lines.size(); ++i) {
        if (lines[i].isEmpty())
            continue;
        QStringList fields = QString::fromUtf8(lines[i]).split(u'\t');
        CentralJournalEntry entry;
        bool ok = fields.size() >= (first ? 3 : 6);
        if (ok)
            entry.number = fields[0].toLongLong(&ok);
        ok = ok && entry.number > 0;
        if (ok && first) {
            entry.done = true;
            fields.insert(3, 3, QString());
        } else if (ok) {
            entry.done = fields[3] == kDone;
            const std::optional<FileStart> before = PrintOf(fields[4]);
            const std::optional<FileStart> after = PrintOf(fields[5]);
            ok = (entry.done || fields[3] == kMade) && before && after;
            if (ok) {
                entry.before = *before;
                entry.after = *after;
            }
        }
        if (!ok) {
            qCWarning(lcCentral) << path << "line" << i + 1 << "is damaged and left out";
            continue;
        }
        entry.dayFile = fields[1];
        entry.all = fields[2] == QStringLiteral("all");
        if (!entry.all) {
            entry.kept = fields[2].toLongLong();
            for (qsizetype f = 6; f < fields.size(); ++f)
                entry.removed.append(SplitFields(fields[f]));
        }
        journal.entries.append(std::move(entry));
    }
    return journal;
}

bool Write(const QString &path, const Journal &journal)
{
    QByteArray text = kFirstLine + '\n' + kNextKey + QByteArray::number(journal.next) + '\n';
    for (const CentralJournalEntry &entry : journal.entries) {
        QStringList fields{QString::number(entry.number),
                           entry.dayFile,
                           entry.all ? QStringLiteral("all") : QString::number(entry.kept),
                           entry.done ? kDone : kMade,
                           PrintText(entry.before),
                           PrintText(entry.after)};
        for (const QStringList &row : entry.removed)
            fields.append(row.join(u','));
        text += fields.join(u'\t').toUtf8() + '\n';
    }
    QString error;
    if (!FileSharing::ReplaceContents(path, text, &error)) {
        qCWarning(lcCentral) << path << "cannot be written:" << error;
        return false;
    }
    return true;
}

// Reads the journal, lets `change` alter it, and writes it back when `change` says so.
template <typename Change> bool Update(const QString &path, Change change)
{
    const QMutexLocker lock(&JournalMutex());
    Journal journal = Read(path);
    if (!change(journal))
        return true;
    return Write(path, journal);
}

} // namespace

CentralJournal::CentralJournal(QString path)
    : m_path(std::move(path))
{}

FileStart FileStart::Of(const QByteArray &bytes)
{
    return {bytes.size(), QCryptographicHash::hash(bytes, QCryptographicHash::Sha256).toHex()};
}

std::optional<FileStart> FileStart::OfFile(const QString &path)
{
    return HashStart(path, -1);
}

bool FileStart::begins(const QString &path) const
{
    return HashStart(path, size) == *this;
}

bool DayFileShows(const CentralJournalEntry &entry)
{
    if (entry.before.begins(entry.dayFile))
        return false;
    return entry.after.size == 0 || entry.after.begins(entry.dayFile);
}

qint64 CentralJournal::record(const QString &dayFile, const RecordRows &before,
                              const RecordRows &after)
{
    CentralJournalEntry entry;
    entry.dayFile = dayFile;
    entry.all = before.isEmpty() && after.isEmpty();
    if (!entry.all) {
        entry.kept = after.size();
        entry.removed = RemovedRows(before, after);
        if (entry.removed.isEmpty())
            return 0;
    }
    entry.after = FileStart::Of(RecordFileBytes(RecordLines(after)));
    const std::optional<FileStart> now = FileStart::OfFile(dayFile);
    bool written = false;
    if (now) {
        entry.before = *now;
        written = Update(m_path, [&entry](Journal &journal) {
            entry.number = std::max(journal.next, QDateTime::currentMSecsSinceEpoch());
            journal.next = entry.number + 1;
            journal.entries.append(entry);
            return true;
        });
    }
    if (written)
        return entry.number;
    qCWarning(lcCentral) << "the deletion in" << dayFile
                         << "cannot be journaled; the server keeps those readings current";
    return 0;
}

void CentralJournal::confirm(qint64 number)
{
    Update(m_path, [number](Journal &journal) {
        for (CentralJournalEntry &entry : journal.entries)
            if (entry.number == number && !entry.done) {
                entry.done = true;
                return true;
            }
        return false;
    });
}

void CentralJournal::withdraw(qint64 number)
{
    Update(m_path, [number](Journal &journal) {
        return journal.entries.removeIf([number](const CentralJournalEntry &entry) {
            return entry.number == number;
        }) > 0;
    });
}

void CentralJournal::settle()
{
    Update(m_path, [](Journal &journal) {
        QList<CentralJournalEntry> kept;
        bool changed = false;
        for (CentralJournalEntry &entry : journal.entries) {
            changed = changed || !entry.done;
            if (!entry.done && !DayFileShows(entry)) {
                qCWarning(lcCentral) << "the deletion in" << entry.dayFile
                                     << "was noted but never made; it is withdrawn";
                continue;
            }
            entry.done = true;
            kept.append(std::move(entry));
        }
        journal.entries = std::move(kept);
        return changed;
    });
}

RecordRows RemovedRows(const RecordRows &before, const RecordRows &after)
{
    const auto same = [](const QStringList &a, const QStringList &b) {
        return a.mid(1) == b.mid(1);
    };
    qsizetype head = 0;
    while (head < before.size() && head < after.size() && same(before[head], after[head]))
        ++head;
    qsizetype tail = 0;
    while (tail < before.size() - head && tail < after.size() - head &&
           same(before[before.size() - 1 - tail], after[after.size() - 1 - tail]))
        ++tail;
    RecordRows removed;
    for (qsizetype row = head; row < before.size() - tail; ++row)
        if (!before[row].isEmpty())
            removed.append(before[row]);
    return removed;
}

QList<CentralJournalEntry> CentralJournal::entries() const
{
    const QMutexLocker lock(&JournalMutex());
    return Read(m_path).entries;
}

bool CentralJournal::drop(qint64 number)
{
    // With nothing left, the file still keeps the next number.
    return Update(m_path, [number](Journal &journal) {
        return journal.entries.removeIf([number](const CentralJournalEntry &entry) {
            return entry.number <= number;
        }) > 0;
    });
}
