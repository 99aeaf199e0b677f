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

QString DayRecords::DayFolder(QDate day) const
{
    return m_dataFolder + QString::number(day.year()) + QDir::separator() +
           QString::asprintf("%02d", day.month());
}

QString DayRecords::DayPrefix(QDate day) const
{
    return DayFolder(day) + QDir::separator() +
           QString::asprintf("%d%02d%02d", day.year(), day.month(), day.day());
}

QString DayRecords::DayFilePath(QDate day, int port) const
{
    return DayPrefix(day) + QString::asprintf("-%02d.txt", port);
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

QString DayRecords::IndexFilePath(QDate day) const
{
    return m_indexFolder + IndexFile::FileName(day);
}

QString DayRecords::WarningFilePath(QDate day) const
{
    return DayPrefix(day) + QStringLiteral("-warning.txt");
}

// The day file may also hold an index's PATH ("0", or a prefix): never delete or replace that.
// A day file is where the program makes it, by its own name, and nowhere else.
bool DayRecords::IsDayFile(const QString &path) const
{
    QDate date;
    int port = 0;
    return ParseDayFileName(QFileInfo(path).fileName(), &date, &port) &&
           path == DayFilePath(date, port);
}

// The index's PATH as the day file to list: only the day's own prefix is taken. "0" (no record
// yet) names no file; anything else (a path outside the working folder, another day) marks
// the index as damaged, and the day's file for the port is counted instead.
QString DayRecords::AcceptIndexPath(const QString &value, QDate day, int port)
{
    const QString prefix = DayPrefix(day);
    if (value == prefix)
        return port > 0 ? DayFilePath(day, port) : prefix;
    if (value.isEmpty() || value == u"0")
        return {};
    const QString index = IndexFilePath(day);
    if (index != m_reportedDamagedIndex) {
        m_reportedDamagedIndex = index;
        m_damagedIndex = index;
    }
    qCWarning(lcRecords) << "index" << index << "names" << value << "instead of" << prefix;
    m_recordCount = 0;
    m_pathPending = true;
    return port > 0 ? DayFilePath(day, port) : QString();
}

QString DayRecords::TakeDamagedIndex()
{
    return std::exchange(m_damagedIndex, QString());
}

void DayRecords::LoadDayIndex(QDate today)
{
    m_indexDay = today;
    const QString path = IndexFilePath(today);
    if (QFileInfo::exists(path)) {
        const IndexFile index(path);
        m_recordCount = index.Count();
        m_dayFilePath = AcceptIndexPath(index.Value(IndexFile::kPath), today, 0);
        return;
    }
    RemoveIndexFiles();
}

void DayRecords::RemoveIndexFiles() const
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

void DayRecords::OpenIndexFile()
{
    if (!QDir().mkpath(FolderName(m_indexFolder)))
        qCWarning(lcRecords) << "cannot create" << m_indexFolder;
    m_indexFilePath = IndexFilePath(m_indexDay);
    QString error;
    if (!QFileInfo::exists(m_indexFilePath) && !IndexFile(m_indexFilePath).Create(&error))
        qCWarning(lcRecords) << "cannot create" << m_indexFilePath << error;
}

void DayRecords::ResolveDayFile(int port)
{
    const QString value = IndexFile(m_indexFilePath).Value(IndexFile::kPath);
    // No record yet by the index: a day file this run already wrote to stays the one listed.
    if ((value.isEmpty() || value == u"0") && IsDayFile(m_dayFilePath))
        return;
    m_dayFilePath = AcceptIndexPath(value, m_indexDay, port);
}

RecordRows DayRecords::PrepareDayRecords(int port)
{
    if (!m_indexDay.isValid()) {
        qCWarning(lcRecords) << "day records prepared before the day's index was loaded";
        return {};
    }
    OpenIndexFile();
    ResolveDayFile(port);
    m_countedFile.clear();
    if (!QFileInfo(m_dayFilePath).isFile())
        return {};
    RecordRows rows = LoadRecordRows(m_dayFilePath);
    m_recordCount = quint64(rows.size());
    // A run that ended between a line and its count (a crash, a power cut) left TOTAL_NUM
    // behind the file; the file is what counts.
    if (IndexFile(m_indexFilePath).Count() != m_recordCount) {
        RecordWrite repair;
        WriteCount(repair);
    }
    return rows;
}

bool DayRecords::AppendTo(RecordWrite &write, QDate day) const
{
    // A folder that cannot be made shows up as the reason the file cannot be opened.
    QDir().mkpath(DayFolder(day));
    write.ok = AppendRecordLine(write.path, write.line, &write.error);
    if (!write.ok)
        qCWarning(lcRecords) << "cannot append to" << write.path << write.error;
    return write.ok;
}

// TOTAL_NUM, and PATH when `pathValue` is given, into this run's index (none yet: nothing).
// A failure goes into `write` for the operator; PATH stays pending and is tried again.
void DayRecords::WriteCount(RecordWrite &write, const QString &pathValue)
{
    // Before a connection has opened this run's index (readings that were waiting in the port
    // when it opened), an index the day already has from an earlier run is kept in step all the
    // same; none is created, and PATH waits for the run's own index.
    QString indexPath = m_indexFilePath;
    QString pathToWrite = pathValue;
    if (indexPath.isEmpty()) {
        indexPath = IndexFilePath(m_indexDay);
        if (!QFileInfo(indexPath).isFile())
            return;
        pathToWrite.clear();
    }
    const IndexFile index(indexPath);
    const QString count = QString::number(m_recordCount);
    QString error;
    const bool written =
        pathToWrite.isEmpty()
            ? index.Write({{IndexFile::kTotalNum, count}}, &error)
            : index.Write({{IndexFile::kTotalNum, count}, {IndexFile::kPath, pathToWrite}}, &error);
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
    RollOverTo(day);
    write.path = DayFilePath(day, port);
    quint64 count = m_recordCount;
    if (write.path != m_countedFile)
        count = std::max(count, LastRecordQuantity(write.path));
    write.record = {QString::number(count + 1), instant.toString(QStringLiteral("HH:mm:ss")),
                    testValue, envTemp};
    write.line = FormatRecordLine(write.record);
    if (!AppendTo(write, day))
        return write;
    m_recordCount = count + 1;
    m_countedFile = write.path;
    m_dayFilePath = write.path;
    WriteCount(write, m_pathPending ? DayPrefix(day) : QString());
    return write;
}

RecordWrite DayRecords::WriteWarningRecord(const QString &line, QDate today) const
{
    RecordWrite write;
    write.line = line;
    write.path = WarningFilePath(today);
    AppendTo(write, today);
    return write;
}

void DayRecords::RollOverTo(QDate newDay)
{
    if (newDay == m_indexDay)
        return;
    m_indexDay = newDay;
    m_pathPending = true;
    m_countedFile.clear();
    if (!m_indexFilePath.isEmpty())
        OpenIndexFile();
    const IndexFile index(IndexFilePath(newDay));
    m_recordCount = index.Count();
    m_dayFilePath = AcceptIndexPath(index.Value(IndexFile::kPath), newDay, 0);
}

RecordWrite DayRecords::ReplaceDayFile(const RecordRows &rows, QDate today, int port)
{
    RecordWrite write;
    // The rows go back to the file they were read from. Only when there was none and rows are
    // left is today's file for the port made; a day file that was never listed is not removed.
    write.path = IsDayFile(m_dayFilePath) ? m_dayFilePath : QString();
    if (write.path.isEmpty() && !rows.isEmpty())
        write.path = DayFilePath(today, port);
    if (!rows.isEmpty()) {
        QStringList lines;
        lines.reserve(rows.size());
        for (const QStringList &row : rows)
            lines.append(row.join(u','));
        QDir().mkpath(QFileInfo(write.path).path());
        if (!ReplaceRecordFile(write.path, lines, &write.error))
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
    WriteCount(write);
    return write;
}

RecordWrite DayRecords::DeleteDayFile()
{
    return ReplaceDayFile({}, QDate(), 0);
}

QString DayRecords::ExistingDayFile() const
{
    return IsDayFile(m_dayFilePath) && QFileInfo(m_dayFilePath).isFile() ? m_dayFilePath
                                                                         : QString();
}

RecordRows DayRecords::DayFileRows() const
{
    const QString path = ExistingDayFile();
    return path.isEmpty() ? RecordRows() : LoadRecordRows(path);
}
