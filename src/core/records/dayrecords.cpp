#include "records/dayrecords.h"

#include "logging.h"
#include "records/filesharing.h"
#include "records/indexfile.h"
#include "records/recordfile.h"

#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>

#include <algorithm>
#include <utility>

namespace {

QString FolderName(const QString &folder)
{
    return folder.chopped(1); // without the trailing separator
}

} // namespace

QString DayRecords::dateText() const
{
    return QString::asprintf("%d-%02d-%02d", m_indexDay.year(), m_indexDay.month(),
                             m_indexDay.day());
}

QString DayRecords::dayFolder(QDate day) const
{
    return m_dataFolder + QString::number(day.year()) + QDir::separator() +
           QString::asprintf("%02d", day.month());
}

QString DayRecords::dayPrefix(QDate day) const
{
    return dayFolder(day) + QDir::separator() +
           QString::asprintf("%d%02d%02d", day.year(), day.month(), day.day());
}

QString DayRecords::dayFilePath(QDate day, int port) const
{
    return dayPrefix(day) + QString::asprintf("-%02d.txt", port);
}

bool DayRecords::ParseDayFileName(const QString &name, QDate *date, int *port)
{
    static const QLatin1String ending(".txt");
    if (name.size() < 15 || name.at(8) != u'-' || !name.endsWith(ending))
        return false;
    const QStringView digits = QStringView(name).first(8);
    const QStringView portDigits = QStringView(name).sliced(9, name.size() - 9 - ending.size());
    const auto allDigits = [](QStringView text) {
        return std::all_of(text.begin(), text.end(),
                           [](QChar c) { return c >= u'0' && c <= u'9'; });
    };
    if (!allDigits(digits) || portDigits.size() < 2 || !allDigits(portDigits))
        return false;
    *date =
        QDate(digits.first(4).toInt(), digits.sliced(4, 2).toInt(), digits.sliced(6, 2).toInt());
    *port = portDigits.toInt();
    return date->isValid() && *port > 0;
}

QString DayRecords::indexFilePath(QDate day) const
{
    return m_indexFolder + IndexFile::FileName(day);
}

QString DayRecords::warningFilePath(QDate day) const
{
    return dayPrefix(day) + QStringLiteral("-warning.txt");
}

// The day file may also hold an index's PATH ("0", or a prefix): never delete or replace that.
// A day file is where the program makes it, by its own name, and nowhere else.
bool DayRecords::isDayFile(const QString &path) const
{
    QDate date;
    int port = 0;
    return ParseDayFileName(QFileInfo(path).fileName(), &date, &port) &&
           path == dayFilePath(date, port);
}

// The index's PATH as the day file to list: only the day's own prefix is taken. "0" (no record
// yet) names no file; anything else (a path outside the working folder, another day) marks
// the index as damaged, and the day's file for the port is counted instead.
QString DayRecords::acceptIndexPath(const QString &value, QDate day, int port)
{
    const QString prefix = dayPrefix(day);
    if (value == prefix)
        return port > 0 ? dayFilePath(day, port) : prefix;
    if (value.isEmpty() || value == u"0")
        return {};
    const QString index = indexFilePath(day);
    if (index != m_reportedDamagedIndex) {
        m_reportedDamagedIndex = index;
        m_damagedIndex = index;
    }
    qCWarning(lcRecords) << "index" << index << "names" << value << "instead of" << prefix;
    m_recordCount = 0;
    m_pathPending = true;
    return port > 0 ? dayFilePath(day, port) : QString();
}

QString DayRecords::takeDamagedIndex()
{
    return std::exchange(m_damagedIndex, QString());
}

void DayRecords::LoadDayIndex(QDate today)
{
    m_indexDay = today;
    const QString path = indexFilePath(today);
    if (QFileInfo::exists(path)) {
        const IndexFile index(path);
        m_recordCount = index.count();
        m_dayFilePath = acceptIndexPath(index.value(IndexFile::kPath), today, 0);
        return;
    }
    removeIndexFiles();
}

void DayRecords::removeIndexFiles() const
{
    QDir folder(FolderName(m_indexFolder));
    if (!QFileInfo(folder.path()).isDir())
        return;
    // Only the program's own index files; anything else an operator keeps here stays.
    for (const QString &name : folder.entryList(QDir::Files | QDir::Hidden | QDir::System)) {
        if (IndexFile::IsIndexFileName(name) && !folder.remove(name))
            qCWarning(lcRecords) << "cannot remove old index" << folder.filePath(name);
    }
    QDir().rmdir(folder.path()); // fails, as it should, while anything is left in it
}

void DayRecords::openIndexFile()
{
    if (!QDir().mkpath(FolderName(m_indexFolder)))
        qCWarning(lcRecords) << "cannot create" << m_indexFolder;
    m_indexFilePath = indexFilePath(m_indexDay);
    QString error;
    if (!QFileInfo::exists(m_indexFilePath) && !IndexFile(m_indexFilePath).Create(&error))
        qCWarning(lcRecords) << "cannot create" << m_indexFilePath << error;
}

void DayRecords::ResolveDayFile(int port)
{
    const QString value = IndexFile(m_indexFilePath).value(IndexFile::kPath);
    // No record yet by the index: a day file this run already wrote to stays the one listed.
    if ((value.isEmpty() || value == u"0") && isDayFile(m_dayFilePath))
        return;
    m_dayFilePath = acceptIndexPath(value, m_indexDay, port);
}

RecordRows DayRecords::PrepareDayRecords(int port)
{
    if (!m_indexDay.isValid()) {
        qCWarning(lcRecords) << "day records prepared before the day's index was loaded";
        return {};
    }
    openIndexFile();
    ResolveDayFile(port);
    m_countedFile.clear();
    if (!QFileInfo(m_dayFilePath).isFile())
        return {};
    RecordRows rows = LoadRecordRows(m_dayFilePath);
    m_recordCount = quint64(rows.size());
    // A run that ended between a line and its count (a crash, a power cut) left TOTAL_NUM
    // behind the file; the file is what counts.
    if (IndexFile(m_indexFilePath).count() != m_recordCount) {
        RecordWrite repair;
        writeCount(repair);
    }
    return rows;
}

bool DayRecords::appendTo(RecordWrite &write, QDate day) const
{
    // A folder that cannot be made shows up as the reason the file cannot be opened.
    QDir().mkpath(dayFolder(day));
    write.ok = AppendRecordLine(write.path, write.line, &write.error);
    if (!write.ok)
        qCWarning(lcRecords) << "cannot append to" << write.path << write.error;
    return write.ok;
}

// TOTAL_NUM, and PATH when `pathValue` is given, into this run's index (none yet: nothing).
// A failure goes into `write` for the operator; PATH stays pending and is tried again.
void DayRecords::writeCount(RecordWrite &write, const QString &pathValue)
{
    // Before a connection has opened this run's index (readings that were waiting in the port
    // when it opened), an index the day already has from an earlier run is kept in step all the
    // same; none is created, and PATH waits for the run's own index.
    QString indexPath = m_indexFilePath;
    QString pathToWrite = pathValue;
    if (indexPath.isEmpty()) {
        indexPath = indexFilePath(m_indexDay);
        if (!QFileInfo(indexPath).isFile())
            return;
        pathToWrite.clear();
    }
    const IndexFile index(indexPath);
    const QString count = QString::number(m_recordCount);
    QString error;
    const bool written =
        pathToWrite.isEmpty()
            ? index.write({{IndexFile::kTotalNum, count}}, &error)
            : index.write({{IndexFile::kTotalNum, count}, {IndexFile::kPath, pathToWrite}}, &error);
    if (!written) {
        qCWarning(lcRecords) << "cannot update" << indexPath << error;
        write.indexPath = indexPath;
        write.indexError = error;
    } else if (!pathToWrite.isEmpty()) {
        m_pathPending = false;
    }
}

RecordWrite DayRecords::AppendReading(const QDateTime &instant, const QString &testValue,
                                      const QString &envTemp, int port)
{
    RecordWrite write;
    if (!instant.isValid()) {
        write.error = QStringLiteral("the clock gives no date and time");
        return write;
    }
    const QDate day = instant.date();
    rollOverTo(day);
    write.path = dayFilePath(day, port);
    quint64 count = m_recordCount;
    if (write.path != m_countedFile)
        count = std::max(count, LastRecordQuantity(write.path));
    write.record = {QString::number(count + 1), instant.toString(QStringLiteral("HH:mm:ss")),
                    testValue, envTemp};
    write.line = FormatRecordLine(write.record);
    if (!appendTo(write, day))
        return write;
    m_recordCount = count + 1;
    m_countedFile = write.path;
    m_dayFilePath = write.path;
    writeCount(write, m_pathPending ? dayPrefix(day) : QString());
    return write;
}

RecordWrite DayRecords::AppendSettings(const QDateTime &instant, DaySettingsLine settings,
                                       int port) const
{
    RecordWrite write;
    if (!instant.isValid()) {
        write.error = QStringLiteral("the clock gives no date and time");
        return write;
    }
    // The quantity AppendReading would give a reading now: the count of the index's day, or of
    // the day it rolls over to, carried on after the file's last record.
    const QDate day = instant.date();
    const QString dayFile = dayFilePath(day, port);
    quint64 count = day == m_indexDay ? m_recordCount : IndexFile(indexFilePath(day)).count();
    if (day != m_indexDay || dayFile != m_countedFile)
        count = std::max(count, LastRecordQuantity(dayFile));
    settings.time = instant.time();
    settings.nextQuantity = count + 1;
    write.path = DaySettingsPath(dayFile);
    // The same settings reported again (asked for after a refused command, a reconnection) are
    // still in force: the line on record covers them.
    const QList<DaySettingsLine> recorded = ReadDaySettings(dayFile);
    if (!recorded.isEmpty()) {
        DaySettingsLine last = recorded.last();
        last.time = settings.time;
        last.nextQuantity = settings.nextQuantity;
        if (last == settings) {
            write.ok = true;
            return write;
        }
    }
    write.line = FormatDaySettingsLine(settings);
    QDir().mkpath(dayFolder(day));
    write.ok = AppendDaySettings(dayFile, settings, &write.error);
    if (!write.ok)
        qCWarning(lcRecords) << "cannot append to" << write.path << write.error;
    return write;
}

RecordWrite DayRecords::WriteWarningRecord(const QString &line, QDate today) const
{
    RecordWrite write;
    write.line = line;
    write.path = warningFilePath(today);
    appendTo(write, today);
    return write;
}

void DayRecords::rollOverTo(QDate newDay)
{
    if (newDay == m_indexDay)
        return;
    m_indexDay = newDay;
    m_pathPending = true;
    m_countedFile.clear();
    if (!m_indexFilePath.isEmpty())
        openIndexFile();
    const IndexFile index(indexFilePath(newDay));
    m_recordCount = index.count();
    m_dayFilePath = acceptIndexPath(index.value(IndexFile::kPath), newDay, 0);
}

RecordWrite DayRecords::replaceDayFile(const RecordRows &rows, QDate today, int port)
{
    RecordWrite write;
    // The rows go back to the file they were read from. Only when there was none and rows are
    // left is today's file for the port made; a day file that was never listed is not removed.
    write.path = isDayFile(m_dayFilePath) ? m_dayFilePath : QString();
    if (write.path.isEmpty() && !rows.isEmpty())
        write.path = dayFilePath(today, port);
    if (!rows.isEmpty()) {
        QDir().mkpath(QFileInfo(write.path).path());
        if (!ReplaceRecordFile(write.path, RecordLines(rows), &write.error))
            return write;
        m_dayFilePath = write.path;
    } else if (!write.path.isEmpty() && QFileInfo::exists(write.path)) {
        const bool removed = FileSharing::RetryWhileHeld(
            write.path,
            [&write](QString *reason) {
                QFile file(write.path);
                if (file.remove())
                    return true;
                *reason = file.errorString();
                return false;
            },
            &write.error);
        if (!removed)
            return write;
    }
    write.ok = true;
    m_recordCount = quint64(rows.size());
    writeCount(write);
    return write;
}

RecordWrite DayRecords::deleteDayFile()
{
    return replaceDayFile({}, QDate(), 0);
}

QString DayRecords::existingDayFile() const
{
    return isDayFile(m_dayFilePath) && QFileInfo(m_dayFilePath).isFile() ? m_dayFilePath
                                                                         : QString();
}

RecordRows DayRecords::dayFileRows() const
{
    const QString path = existingDayFile();
    return path.isEmpty() ? RecordRows() : LoadRecordRows(path);
}
