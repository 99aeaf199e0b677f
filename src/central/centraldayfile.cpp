#include "central/centraldayfile.h"

#include "logging.h"

#include <QFile>
#include <QFileInfo>

#include <algorithm>

CentralDayFile::CentralDayFile(HistoryDay day)
    : m_day(std::move(day))
{}

void CentralDayFile::look(const CentralCursor *cursor)
{
    m_cursor = cursor ? std::optional(*cursor) : std::nullopt;
    const QFileInfo file(m_day.path);
    const QFileInfo warnings(m_day.warningPath);
    m_exists = file.isFile();
    m_fileSize = m_exists ? file.size() : -1;
    m_modifiedMs = m_exists ? file.lastModified().toMSecsSinceEpoch() : 0;
    m_warningSize = warnings.isFile() ? warnings.size() : -1;
    m_verdictRows.clear();
    m_restart = false;
    m_unreadable = false;
    m_from = 0;
    if (!m_exists) {
        release();
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

    // A file that is there but cannot be read now (locked, permissions) is not taken as empty:
    // that would mark its central rows deleted. It is looked at again when it changes.
    if (QFile probe(m_day.path); !probe.open(QIODevice::ReadOnly)) {
        qCWarning(lcCentral) << "cannot read" << m_day.path << probe.errorString();
        m_from = m_total;
        m_upToDate = true;
        m_unreadable = true;
        return;
    }
    if (!m_loaded) {
        m_history.load(m_day.path, m_day.warningPath);
        m_loaded = true;
        m_verified = false;
    } else if (m_history.refresh() == DayHistory::Change::Reloaded) {
        m_verified = false;
    }
    const RecordRows &rows = m_history.rows();
    m_total = rows.size();
    if (m_cursor && !m_verified)
        m_verified =
            rows.size() >= m_cursor->rows && HashRows(rows, 0, m_cursor->rows) == m_cursor->hash;
    m_restart = !m_cursor || !m_verified;
    m_from = m_restart ? 0 : m_cursor->rows;
    if (!m_restart && m_cursor->warningSize != m_warningSize) {
        for (qsizetype row = 0; row < m_from; ++row)
            if (m_history.readings()[row].abnormal)
                m_verdictRows.append(row);
    }
    // A warning line of another port, or a file touched but not changed, needs nothing sent:
    // settledCursor() records what was seen.
    m_upToDate = !m_restart && m_from == rows.size() && m_verdictRows.isEmpty();
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
    const qsizetype rows = m_total - m_from + m_verdictRows.size();
    // A restart of a file with no readable rows still has its deletion to mirror.
    return int(std::max<qsizetype>(rows, 1));
}

CentralBatch CentralDayFile::nextBatch(qsizetype maxReadings)
{
    CentralBatch batch;
    batch.day = m_day.date;
    batch.port = m_day.port;
    batch.restart = m_restart;
    const qsizetype total = m_history.rows().size();
    m_batchTo = std::min(total, m_from + std::max<qsizetype>(0, maxReadings));
    // A quantity twice in one batch (a hand-edited file) would be one row stored twice in one
    // statement: the later line wins, as it would in a later batch.
    QHash<qint64, qsizetype> at;
    const auto add = [&](qsizetype row) {
        std::optional<CentralReading> read = CentralReadingOf(m_history.rows()[row]);
        if (!read)
            return;
        CentralReading reading = std::move(*read);
        reading.abnormal = m_history.readings()[row].abnormal;
        const auto found = at.constFind(reading.quantity);
        if (found != at.constEnd()) {
            batch.readings[found.value()] = std::move(reading);
            return;
        }
        at.insert(reading.quantity, batch.readings.size());
        batch.readings.append(std::move(reading));
    };
    for (qsizetype row : m_verdictRows)
        add(row);
    for (qsizetype row = m_from; row < m_batchTo; ++row)
        add(row);
    return batch;
}

CentralCursor CentralDayFile::committed()
{
    const RecordRows &rows = m_history.rows();
    CentralCursor cursor;
    cursor.rows = m_batchTo;
    cursor.hash = m_restart ? HashRows(rows, 0, m_batchTo)
                            : HashRows(rows, m_from, m_batchTo, m_cursor->hash);
    cursor.warningSize = m_warningSize;
    if (m_batchTo == rows.size()) {
        cursor.fileSize = m_fileSize;
        cursor.modifiedMs = m_modifiedMs;
    }
    m_cursor = cursor;
    m_verified = true;
    m_restart = false;
    m_verdictRows.clear();
    m_from = m_batchTo;
    m_upToDate = m_from == rows.size();
    return cursor;
}

void CentralDayFile::release()
{
    m_history.load({}, {});
    m_loaded = false;
    m_verified = false;
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
