#include "centraldayfile.h"

#include "history/historyreading.h"
#include "logging.h"
#include "regularfile.h"

#include <QFile>
#include <QFileInfo>

#include <algorithm>
#include <bitset>

namespace {

// How much of a file is read at a time.
constexpr qint64 kChunk = 64 * 1024;

// Reads `file` from byte `offset` to its end a block at a time, calling take(line, lineStart,
// lineEnd) for each non-empty line (without its CR LF; a last line without its end is a line)
// until it returns false.
template <typename Take> void ForEachFileLine(QFile &file, qint64 offset, Take take)
{
    QByteArray pending;
    qint64 at = offset; // where `pending` starts in the file
    bool more = true;
    while (more) {
        const QByteArray chunk = file.read(kChunk);
        if (chunk.isEmpty()) {
            more = false;
            if (pending.isEmpty())
                break;
            pending += '\n';
        } else {
            pending += chunk;
        }
        qsizetype start = 0;
        for (qsizetype end = pending.indexOf('\n'); end >= 0; end = pending.indexOf('\n', start)) {
            QByteArrayView line(pending.constData() + start, end - start);
            if (line.endsWith('\r'))
                line.chop(1);
            const qint64 lineStart = at + start;
            start = end + 1;
            if (!line.isEmpty() && !take(line, lineStart, at + end + 1))
                return;
        }
        pending.remove(0, start);
        at += start;
    }
}

// The second of the day of a record line's time; -1 for any other text.
int SecondOfDay(const QString &time)
{
    const QTime parsed = ParseRecordTime(time);
    return parsed.isValid() ? parsed.msecsSinceStartOfDay() / 1000 : -1;
}

// The warning file's lines while the day file is read: each a hash of what it shares with its
// reading (WarningMatchKey), 16 bytes a line. Each line makes one row abnormal at most, the
// first row in file order with the same time, value and environment.
class WarningLines {
public:
    // Lines starting at or after byte `newFrom` are new.
    void read(const QString &path, qint64 newFrom)
    {
        QFile file(path);
        if (!QFileInfo::exists(path))
            return;
        if (QString error; !RegularFile::Open(file, QIODevice::ReadOnly, &error)) {
            qCWarning(lcCentral).noquote() << path << "cannot be read:" << error;
            return;
        }
        ForEachFileLine(file, 0, [&](QByteArrayView text, qint64 lineStart, qint64) {
            const QStringList fields = SplitFields(QString::fromUtf8(text));
            const int second = SecondOfDay(fields.value(1));
            if (second < 0)
                m_anyTime = true;
            else
                m_seconds[std::size_t(second)] = true;
            m_lines.push_back({KeyOf(fields), lineStart >= newFrom, false});
            return true;
        });
        std::stable_sort(m_lines.begin(), m_lines.end(),
                         [](const Line &a, const Line &b) { return a.key < b.key; });
    }

    // The row's warning line, taken: nothing when it has none left; otherwise whether the line
    // is a new one.
    std::optional<bool> take(const QStringList &fields)
    {
        // Most rows have no warning line at their second; those need no key.
        const int second = SecondOfDay(fields.value(1));
        if (m_lines.empty() || (!m_anyTime && (second < 0 || !m_seconds[std::size_t(second)])))
            return std::nullopt;
        const quint64 key = KeyOf(fields);
        auto line = std::lower_bound(m_lines.begin(), m_lines.end(), key,
                                     [](const Line &l, quint64 k) { return l.key < k; });
        for (; line != m_lines.end() && line->key == key; ++line) {
            if (!line->taken) {
                line->taken = true;
                return line->fresh;
            }
        }
        return std::nullopt;
    }

private:
    struct Line {
        quint64 key;
        bool fresh;
        bool taken;
    };
    static quint64 KeyOf(const QStringList &fields)
    {
        return HashRow(fields.mid(1), kEmptyRowsHash);
    }

    std::vector<Line> m_lines; // by key, each key's lines in file order
    std::bitset<24 * 3600> m_seconds;
    bool m_anyTime = false; // a line whose time is no HH:MM:SS: every row is looked up
};

} // namespace

template <typename Take> bool CentralDayFile::readRows(qint64 offset, Take take) const
{
    QFile file(m_day.path);
    if (!RegularFile::Open(file, QIODevice::ReadOnly) || !file.seek(offset))
        return false;
    ForEachFileLine(file, offset, [&](QByteArrayView line, qint64, qint64 lineEnd) {
        const QStringList fields = SplitFields(QString::fromUtf8(line));
        return !ParseHistoryReading(fields) || take(fields, std::min(lineEnd, m_fileSize));
    });
    return true;
}

bool CentralDayFile::abnormal(qsizetype row) const
{
    return std::binary_search(m_abnormalRows.begin(), m_abnormalRows.end(), row);
}

CentralDayFile::CentralDayFile(HistoryDay day)
    : m_day(std::move(day))
{}

void CentralDayFile::look(const CentralCursor *cursor)
{
    const QFileInfo file(m_day.path);
    const QFileInfo warnings(m_day.warningPath);
    // Nothing changed since the last look, and the cursor is the one it left (or the last
    // batch made): the plan stands, without reading the file again.
    const std::optional<CentralCursor> given = cursor ? std::optional(*cursor) : std::nullopt;
    // A file whose access was taken away keeps its size and time: it is opened at every look.
    QFile opened(m_day.path);
    const bool readable = !file.isFile() || RegularFile::Open(opened, QIODevice::ReadOnly);
    opened.close();
    if (m_looked && !m_unreadable && readable && file.isFile() && m_exists &&
        file.size() == m_fileSize && file.lastModified().toMSecsSinceEpoch() == m_modifiedMs &&
        (warnings.isFile() ? warnings.size() : -1) == m_warningSize && given == m_cursor)
        return;
    m_looked = true;
    m_cursor = given;
    m_exists = file.isFile();
    m_fileSize = m_exists ? file.size() : -1;
    m_modifiedMs = m_exists ? file.lastModified().toMSecsSinceEpoch() : 0;
    m_warningSize = warnings.isFile() ? warnings.size() : -1;
    m_verdictReadings.clear();
    m_restart = false;
    m_unreadable = false;
    m_from = 0;
    if (!m_exists) {
        m_total = 0;
        m_upToDate = true;
        return;
    }
    if (readable && m_cursor && m_cursor->fileSize == m_fileSize &&
        m_cursor->modifiedMs == m_modifiedMs && m_cursor->warningSize == m_warningSize) {
        m_from = m_total = m_cursor->rows;
        m_upToDate = true;
        return;
    }

    // One pass over the file: its rows are counted, the cursor's rows hashed, the abnormal ones
    // noted, and where the first row not confirmed starts is noted. A file that is there but
    // cannot be read now (locked, permissions) is not taken as empty. Warning lines written
    // since the verdicts were last sent are new: a confirmed row one of them makes abnormal
    // was sent as normal, and is sent again.
    WarningLines warningLines;
    const qint64 sentWarnings = m_cursor ? m_cursor->warningSize : -1;
    warningLines.read(m_day.warningPath,
                      sentWarnings >= 0 && sentWarnings <= m_warningSize ? sentWarnings : 0);
    const qsizetype confirmed = m_cursor ? m_cursor->rows : 0;
    quint64 hash = kEmptyRowsHash;
    qsizetype rows = 0;
    qint64 fromOffset = 0;
    std::vector<qsizetype> abnormalRows;
    QList<CentralReading> abnormal;
    const bool read = readRows(0, [&](const QStringList &fields, qint64 lineEnd) {
        const std::optional<bool> warning = warningLines.take(fields);
        if (warning)
            abnormalRows.push_back(rows);
        if (rows < confirmed) {
            hash = HashRow(fields, hash);
            if (warning && *warning)
                if (std::optional<CentralReading> reading = CentralReadingOf(fields)) {
                    reading->abnormal = true;
                    abnormal.append(*reading);
                }
        }
        ++rows;
        if (rows == confirmed)
            fromOffset = lineEnd;
        return true;
    });
    if (!read) {
        qCWarning(lcCentral) << "cannot read" << m_day.path;
        m_from = m_total;
        m_upToDate = true;
        m_unreadable = true;
        return;
    }
    m_total = rows;
    m_abnormalRows = std::move(abnormalRows);
    const bool verified = m_cursor && rows >= confirmed && hash == m_cursor->hash;
    m_restart = !verified;
    if (m_restart) {
        m_from = 0;
        m_fromOffset = 0;
        m_fromHash = kEmptyRowsHash;
    } else {
        m_from = confirmed;
        m_fromOffset = confirmed == 0 ? 0 : fromOffset;
        m_fromHash = hash;
        m_verdictReadings = abnormal;
    }
    // A warning line of another port, or a file touched but not changed, needs nothing sent:
    // settledCursor() records what was seen.
    m_upToDate = !m_restart && m_from == m_total && m_verdictReadings.isEmpty();
}

std::optional<CentralCursor> CentralDayFile::settledCursor() const
{
    if (!m_upToDate || !m_exists || !m_cursor || m_unreadable)
        return std::nullopt;
    CentralCursor cursor = *m_cursor;
    cursor.fileSize = m_fileSize;
    cursor.modifiedMs = m_modifiedMs;
    cursor.warningSize = m_warningSize;
    return cursor;
}

int CentralDayFile::waiting() const
{
    if (m_upToDate)
        return 0;
    const qsizetype rows = m_total - m_from + m_verdictReadings.size();
    return int(std::max<qsizetype>(rows, 1));
}

CentralBatch CentralDayFile::nextBatch(qsizetype maxReadings)
{
    CentralBatch batch;
    batch.day = m_day.date;
    batch.port = m_day.port;
    batch.restart = m_restart;
    // A quantity twice in one batch (a hand-edited file) would be one row stored twice in one
    // statement: the later line wins, as it would in a later batch.
    QHash<qint64, qsizetype> at;
    const auto add = [&](CentralReading reading) {
        const auto found = at.constFind(reading.quantity);
        if (found != at.constEnd()) {
            batch.readings[found.value()] = std::move(reading);
            return;
        }
        at.insert(reading.quantity, batch.readings.size());
        batch.readings.append(std::move(reading));
    };
    for (const CentralReading &reading : std::as_const(m_verdictReadings))
        add(reading);
    m_batchTo = m_from;
    m_batchOffset = m_fromOffset;
    m_batchHash = m_fromHash;
    const qsizetype limit = std::min(m_total, m_from + std::max<qsizetype>(0, maxReadings));
    if (m_batchTo < limit)
        readRows(m_fromOffset, [&](const QStringList &fields, qint64 lineEnd) {
            if (std::optional<CentralReading> reading = CentralReadingOf(fields)) {
                reading->abnormal = abnormal(m_batchTo);
                add(std::move(*reading));
            }
            m_batchHash = HashRow(fields, m_batchHash);
            m_batchOffset = lineEnd;
            return ++m_batchTo < limit;
        });
    return batch;
}

CentralCursor CentralDayFile::committed()
{
    CentralCursor cursor;
    cursor.rows = m_batchTo;
    cursor.hash = m_batchHash;
    cursor.warningSize = m_warningSize;
    if (m_batchTo == m_total) {
        cursor.fileSize = m_fileSize;
        cursor.modifiedMs = m_modifiedMs;
    }
    m_cursor = cursor;
    m_restart = false;
    m_verdictReadings.clear();
    m_from = m_batchTo;
    m_fromOffset = m_batchOffset;
    m_fromHash = m_batchHash;
    m_upToDate = m_from == m_total;
    return cursor;
}

std::optional<CentralReading> CentralReadingOf(const QStringList &fields)
{
    const std::optional<HistoryReading> read = ParseHistoryReading(fields);
    if (!read || fields.size() < 4)
        return std::nullopt;
    CentralReading reading;
    bool ok = false;
    reading.quantity = fields[0].toLongLong(&ok);
    if (!ok)
        return std::nullopt;
    reading.time = read->time;
    switch (read->unit) {
    case HistoryReading::Unit::Celsius:
        reading.unit = QStringLiteral("C");
        break;
    case HistoryReading::Unit::Fahrenheit:
        reading.unit = QStringLiteral("F");
        break;
    case HistoryReading::Unit::Count:
        reading.unit = QStringLiteral("count");
        break;
    }
    reading.value = read->isTemperature() ? fields[2].chopped(1) : fields[2];
    reading.environment = fields[3].chopped(1);
    reading.environmentUnit = fields[3].right(1);
    return reading;
}
