#include "history/dayhistory.h"

#include "logging.h"
#include "regularfile.h"

#include <QFile>
#include <QFileInfo>

namespace {

// Enough to tell an append from a rewrite that happens to leave the file longer.
constexpr qint64 kCheckedBytes = 64;

} // namespace

void DayHistory::clear()
{
    m_exists = false;
    m_rows.clear();
    m_readings.clear();
    m_unreadable = 0;
    m_firstNewRow = 0;
    m_readBytes = 0;
    m_lastBytes.clear();
    m_partialLine = false;
    m_modified = QDateTime();
    m_warningSize = -1;
    m_unmatchedWarnings.clear();
}

void DayHistory::load(const QString &dayFile, const QString &warningFile)
{
    clear();
    m_dayFile = dayFile;
    m_warningFile = warningFile;
    readFrom(0);
    readWarningFile();
    markAbnormal(0);
}

DayHistory::Change DayHistory::refresh()
{
    const QFileInfo file(m_dayFile);
    const bool exists = file.isFile();
    const qint64 size = exists ? file.size() : 0;
    const QDateTime modified = exists ? file.lastModified() : QDateTime();
    const bool warningChanged = warningFileChanged();
    if (exists == m_exists && size == m_readBytes && modified == m_modified && !warningChanged)
        return Change::Unchanged;

    const qsizetype before = m_rows.size();
    const bool appended = exists && m_exists && size >= m_readBytes && !m_partialLine;
    if (!appended || !readFrom(m_readBytes)) {
        load(m_dayFile, m_warningFile);
        return Change::Reloaded;
    }
    m_firstNewRow = int(before);
    if (warningChanged) {
        readWarningFile();
        markAbnormal(0);
    } else {
        markAbnormal(before);
    }
    return Change::Appended;
}

bool DayHistory::readFrom(qint64 from)
{
    // A file that is there but cannot be read is there all the same, with no lines: telling
    // it apart from a vanished one keeps the window from looking for it again and again.
    QFile file(m_dayFile);
    m_exists = QFileInfo(m_dayFile).isFile();
    if (!m_exists)
        return from == 0;
    if (QString error; !RegularFile::Open(file, QIODevice::ReadOnly, &error)) {
        qCWarning(lcRecords) << "history cannot read" << m_dayFile << error;
        return from == 0;
    }
    m_modified = file.fileTime(QFileDevice::FileModificationTime);
    const qint64 checkFrom = std::max<qint64>(0, from - m_lastBytes.size());
    if (!file.seek(checkFrom) || file.read(from - checkFrom) != m_lastBytes)
        return false;
    const QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError)
        return false;
    takeLines(bytes);
    m_readBytes = from + bytes.size();
    const QByteArray seen = m_lastBytes + bytes;
    m_lastBytes = seen.right(kCheckedBytes);
    m_partialLine = !seen.isEmpty() && !seen.endsWith('\n');
    return true;
}

// Every non-empty line, CR LF or LF ended, and a last line without an end.
void DayHistory::takeLines(const QByteArray &bytes)
{
    ForEachLine(QString::fromUtf8(bytes), [this](QStringView line) {
        QStringList fields = SplitFields(line);
        const std::optional<HistoryReading> reading = ParseHistoryReading(fields);
        if (!reading) {
            ++m_unreadable;
            return;
        }
        m_rows.append(std::move(fields));
        m_readings.append(*reading);
    });
}

bool DayHistory::warningFileChanged() const
{
    const QFileInfo file(m_warningFile);
    return (file.isFile() ? file.size() : -1) != m_warningSize;
}

void DayHistory::readWarningFile()
{
    m_unmatchedWarnings.clear();
    m_warningTimes.clear();
    const QFileInfo info(m_warningFile);
    m_warningSize = info.isFile() ? info.size() : -1;
    for (const QString &line : ReadTextLines(m_warningFile)) {
        const QStringList fields = SplitFields(line);
        ++m_unmatchedWarnings[WarningMatchKey(fields)];
        m_warningTimes.insert(fields.value(1));
    }
}

// Rows before `fromRow` keep their marks; from 0, every row is marked anew in file order,
// after the warning file has been read again.
void DayHistory::markAbnormal(qsizetype fromRow)
{
    for (qsizetype row = fromRow; row < m_rows.size(); ++row) {
        // Most rows have no warning line at their time; those need no key.
        if (!m_warningTimes.contains(m_rows[row].at(1))) {
            m_readings[row].abnormal = false;
            continue;
        }
        auto found = m_unmatchedWarnings.find(WarningMatchKey(m_rows[row]));
        const bool abnormal = found != m_unmatchedWarnings.end() && found.value() > 0;
        m_readings[row].abnormal = abnormal;
        if (abnormal)
            --found.value();
    }
}
