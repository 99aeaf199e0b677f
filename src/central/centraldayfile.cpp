#include "centraldayfile.h"

#include "history/historyreading.h"
#include "logging.h"
#include "regularfile.h"

#include <QFile>
#include <QFileInfo>

#include <algorithm>

namespace {

// How much of a day file is read at a time.
constexpr qint64 kChunk = 64 * 1024;

} // namespace

bool CentralDayFile::Verdicts::take(const QStringList &fields)
{
    // Most rows have no warning line at their time; those need no key.
    if (!times.contains(fields.value(1)))
        return false;
    const auto found = unmatched.find(WarningMatchKey(fields));
    if (found == unmatched.end() || found.value() <= 0)
        return false;
    --found.value();
    return true;
}

CentralDayFile::Verdicts CentralDayFile::readVerdicts() const
{
    Verdicts verdicts;
    for (const QString &line : ReadTextLines(m_day.warningPath)) {
        const QStringList fields = SplitFields(line);
        ++verdicts.unmatched[WarningMatchKey(fields)];
        verdicts.times.insert(fields.value(1));
    }
    return verdicts;
}

template <typename Take> bool CentralDayFile::readRows(qint64 offset, Take take) const
{
    QFile file(m_day.path);
    if (!RegularFile::Open(file, QIODevice::ReadOnly) || !file.seek(offset))
        return false;
    QByteArray pending;
    qint64 at = offset; // where `pending` starts in the file
    bool more = true;
    while (more) {
        const QByteArray chunk = file.read(kChunk);
        if (chunk.isEmpty()) {
            more = false;
            if (pending.isEmpty())
                break;
            pending += '\n'; // a last line without its end is a line
        } else {
            pending += chunk;
        }
        qsizetype start = 0;
        for (qsizetype end = pending.indexOf('\n'); end >= 0; end = pending.indexOf('\n', start)) {
            QByteArrayView line(pending.constData() + start, end - start);
            if (line.endsWith('\r'))
                line.chop(1);
            const qint64 lineEnd = at + end + 1;
            start = end + 1;
            if (line.isEmpty())
                continue;
            const QStringList fields = SplitFields(QString::fromUtf8(line));
            if (!ParseHistoryReading(fields))
                continue;
            if (!take(fields, std::min(lineEnd, m_fileSize)))
                return true;
        }
        pending.remove(0, start);
        at += start;
    }
    return true;
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
    if (m_looked && !m_unreadable && file.isFile() && m_exists && file.size() == m_fileSize &&
        file.lastModified().toMSecsSinceEpoch() == m_modifiedMs &&
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
    if (m_cursor && m_cursor->fileSize == m_fileSize && m_cursor->modifiedMs == m_modifiedMs &&
        m_cursor->warningSize == m_warningSize) {
        m_from = m_total = m_cursor->rows;
        m_upToDate = true;
        return;
    }

    // One pass over the file: its rows are counted, the cursor's rows hashed, and where the
    // first row not confirmed starts is noted, with the verdicts as they stand there. A file
    // that is there but cannot be read now (locked, permissions) is not taken as empty.
    const Verdicts initial = readVerdicts();
    Verdicts verdicts = initial;
    const bool verdictsChanged = m_cursor && m_cursor->warningSize != m_warningSize;
    const qsizetype confirmed = m_cursor ? m_cursor->rows : 0;
    quint64 hash = kEmptyRowsHash;
    qsizetype rows = 0;
    qint64 fromOffset = 0;
    Verdicts fromVerdicts = initial;
    QList<CentralReading> abnormal;
    const bool read = readRows(0, [&](const QStringList &fields, qint64 lineEnd) {
        const bool isAbnormal = verdicts.take(fields);
        if (rows < confirmed) {
            hash = HashRow(fields, hash);
            if (isAbnormal && verdictsChanged)
                if (std::optional<CentralReading> reading = CentralReadingOf(fields)) {
                    reading->abnormal = true;
                    abnormal.append(*reading);
                }
        }
        ++rows;
        if (rows == confirmed) {
            fromOffset = lineEnd;
            fromVerdicts = verdicts;
        }
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
    const bool verified = m_cursor && rows >= confirmed && hash == m_cursor->hash;
    m_restart = !verified;
    if (m_restart) {
        m_from = 0;
        m_fromOffset = 0;
        m_fromHash = kEmptyRowsHash;
        m_fromVerdicts = initial;
    } else {
        m_from = confirmed;
        m_fromOffset = confirmed == 0 ? 0 : fromOffset;
        m_fromHash = hash;
        m_fromVerdicts = confirmed == 0 ? initial : fromVerdicts;
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
    m_batchVerdicts = m_fromVerdicts;
    const qsizetype limit = std::min(m_total, m_from + std::max<qsizetype>(0, maxReadings));
    if (m_batchTo < limit)
        readRows(m_fromOffset, [&](const QStringList &fields, qint64 lineEnd) {
            const bool abnormal = m_batchVerdicts.take(fields);
            if (std::optional<CentralReading> reading = CentralReadingOf(fields)) {
                reading->abnormal = abnormal;
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
    m_fromVerdicts = m_batchVerdicts;
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
