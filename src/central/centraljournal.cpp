#include "centraljournal.h"

#include "logging.h"
#include "records/filesharing.h"
#include "regularfile.h"

#include <QDateTime>
#include <QFile>
#include <QFileInfo>
#include <QMutex>

namespace {

const QByteArray kFirstLine = "kestrim-deletions 1";
const QByteArray kNextKey = "next ";

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
    if (lines.value(0) != kFirstLine || !lines.value(1).startsWith(kNextKey)) {
        qCWarning(lcCentral) << path << "is damaged; its deletions are not mirrored";
        return journal;
    }
    journal.next = lines[1].mid(kNextKey.size()).toLongLong();
    for (qsizetype i = 2; i < lines.size(); ++i) {
        if (lines[i].isEmpty())
            continue;
        const QStringList fields = QString::fromUtf8(lines[i]).split(u'\t');
        CentralJournalEntry entry;
        bool ok = fields.size() >= 3;
        if (ok)
            entry.number = fields[0].toLongLong(&ok);
        if (!ok || entry.number <= 0) {
            qCWarning(lcCentral) << path << "line" << i + 1 << "is damaged and left out";
            continue;
        }
        entry.dayFile = fields[1];
        entry.all = fields[2] == QStringLiteral("all");
        if (!entry.all) {
            entry.kept = fields[2].toLongLong();
            for (qsizetype f = 3; f < fields.size(); ++f)
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
        QStringList fields{QString::number(entry.number), entry.dayFile,
                           entry.all ? QStringLiteral("all") : QString::number(entry.kept)};
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

} // namespace

CentralJournal::CentralJournal(QString path)
    : m_path(std::move(path))
{}

qint64 CentralJournal::append(const QString &dayFile, bool all, qint64 kept,
                              const RecordRows &removed)
{
    const QMutexLocker lock(&JournalMutex());
    Journal journal = Read(m_path);
    CentralJournalEntry entry;
    entry.number = std::max(journal.next, QDateTime::currentMSecsSinceEpoch());
    entry.dayFile = dayFile;
    entry.all = all;
    entry.kept = kept;
    for (const QStringList &row : removed)
        if (!row.isEmpty())
            entry.removed.append(row);
    journal.next = entry.number + 1;
    const qint64 number = entry.number;
    journal.entries.append(std::move(entry));
    if (!Write(m_path, journal))
        return 0;
    return number;
}

qint64 CentralJournal::record(const QString &dayFile, const RecordRows &before,
                              const RecordRows &after)
{
    const bool all = before.isEmpty() && after.isEmpty();
    const RecordRows removed = RemovedRows(before, after);
    if (!all && removed.isEmpty())
        return 0;
    const qint64 number = append(dayFile, all, after.size(), removed);
    if (number == 0)
        qCWarning(lcCentral) << "the deletion in" << dayFile
                             << "cannot be journaled; the server keeps those readings current";
    return number;
}

void CentralJournal::withdraw(qint64 number)
{
    const QMutexLocker lock(&JournalMutex());
    Journal journal = Read(m_path);
    if (journal.entries.removeIf(
            [number](const CentralJournalEntry &entry) { return entry.number == number; }) > 0)
        Write(m_path, journal);
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
    const QMutexLocker lock(&JournalMutex());
    Journal journal = Read(m_path);
    const qsizetype before = journal.entries.size();
    journal.entries.removeIf(
        [number](const CentralJournalEntry &entry) { return entry.number <= number; });
    if (journal.entries.size() == before)
        return true;
    // With nothing left, the file still keeps the next number.
    return Write(m_path, journal);
}
