// The day's record files and index. Every reading becomes one line in the day file of its port
// (TempData/<year>/<MM>/<yyyyMMdd>-<PP>.txt), abnormal ones also in the day's warning file; the
// day's index (Ini/<yyyy-MM-dd>.ini) keeps the count of the day's records and, once a run has
// stored a record, where that day's files lie, so a later run on the same day can carry on.
//
// A line is on the disk before it is counted or indexed: when it cannot be written, nothing
// changes and the caller gets the file and the reason. Paths are relative to the working
// folder and use the platform's separator. Dates and the port are passed in by the caller.
#pragma once

#include "records/daysettingsfile.h"
#include "records/recordline.h"
#include "records/recordwrite.h"

#include <QDate>
#include <QDateTime>
#include <QDir>
#include <QString>

class DayRecords {
public:
    // Start-up: with an index for `today`, resumes its count and takes its PATH (a prefix, not
    // yet a file). Without one, removes the index files of earlier days from the index folder,
    // and the folder when nothing else is left in it.
    void LoadDayIndex(QDate today);
    // A connection's settings report: creates the index folder and the day's index when they
    // are missing, and, when the index's PATH names this day, points the day file at this
    // day's file for `port`. Returns that file's rows (the count follows them), or no rows.
    RecordRows PrepareDayRecords(int port);
    // Stores one reading taken at `instant` with the next quantity in the day file of the
    // instant's day and `port`, then counts it and updates the index (TOTAL_NUM; PATH once per
    // run). Date and time come from that one instant: when its day is not the index's day, the
    // records roll over to it first. The quantity carries on after the file's last record even
    // when the index's count lags behind it (a run that ended before its index was written).
    // Without a valid instant nothing is stored.
    RecordWrite AppendReading(const QDateTime &instant, const QString &testValue,
                              const QString &envTemp, int port);
    // The thermometer's settings in force from `instant` on, as one line of the settings file
    // beside the day file of the instant's day and `port`, naming the quantity the next reading
    // of that file takes (the settings' time and quantity are filled in here). Settings the
    // file's last line already holds are not written again. `write.path` is the settings file.
    RecordWrite AppendSettings(const QDateTime &instant, DaySettingsLine settings, int port) const;
    // Appends `line` to the warning file of `today`; the day file and index stay as they are.
    RecordWrite WriteWarningRecord(const QString &line, QDate today) const;
    // Midnight: the index follows `newDay` (created when a connection has opened one), the
    // count restarts from that index, and the next stored record writes PATH again. The caller
    // clears its list.
    void rollOverTo(QDate newDay);
    // After a deletion: `rows` replace the day file in one step (no rows: the file is removed);
    // the count and TOTAL_NUM become the number of rows. Only a day record file is touched.
    RecordWrite replaceDayFile(const RecordRows &rows, QDate today, int port);
    // Removes the day file; the count and TOTAL_NUM become 0.
    RecordWrite deleteDayFile();
    // The rows of the day file the list, export and deletion act on; none when it names no
    // day file (no record yet, or still an index's PATH) or the file is not there.
    RecordRows dayFileRows() const;
    // That day file's path when it exists, otherwise empty.
    QString existingDayFile() const;

    QString dayFilePath(QDate day, int port) const;
    // The reverse of a day file's name: "<yyyyMMdd>-<PP>.txt" → its date and port (at least
    // two digits, never 0). False for any other name.
    static bool ParseDayFileName(const QString &name, QDate *date, int *port);
    QString warningFilePath(QDate day) const;
    // The index of `day`: Ini/<yyyy-MM-dd>.ini.
    QString indexFilePath(QDate day) const;
    // The PATH value for `day`: the day's file names without "-<PP>.txt".
    QString dayPrefix(QDate day) const;

    const QString &dataFolder() const { return m_dataFolder; }
    const QString &indexFolder() const { return m_indexFolder; }
    // The day file that the list, export and deletion act on.
    const QString &dayFilePath() const { return m_dayFilePath; }
    // Empty until the first settings report; until then no index file is written.
    const QString &indexFilePath() const { return m_indexFilePath; }
    bool pathPending() const { return m_pathPending; }
    quint64 recordCount() const { return m_recordCount; }
    // The day of the index, and as "yyyy-MM-dd".
    QDate indexDay() const { return m_indexDay; }
    QString dateText() const;
    // The index found damaged (its PATH named another place) since the last call, once per
    // index; empty when there is nothing new to tell.
    QString takeDamagedIndex();

private:
    QString dayFolder(QDate day) const;
    bool isDayFile(const QString &path) const;
    void ResolveDayFile(int port);
    QString acceptIndexPath(const QString &value, QDate day, int port);
    void openIndexFile();
    void removeIndexFiles() const;
    bool appendTo(RecordWrite &write, QDate day) const;
    void writeCount(RecordWrite &write, const QString &pathValue = {});

    QString m_dataFolder = QStringLiteral("TempData") + QDir::separator();
    QString m_indexFolder = QStringLiteral("Ini") + QDir::separator();
    QString m_dayFilePath;
    QString m_indexFilePath;
    // PATH has not yet been written to this run's index (for the current day).
    bool m_pathPending = true;
    quint64 m_recordCount = 0;
    // The day file whose last record the count is known to cover; another file is looked at
    // before its first append.
    QString m_countedFile;
    QDate m_indexDay;
    QString m_damagedIndex;
    QString m_reportedDamagedIndex;
};
