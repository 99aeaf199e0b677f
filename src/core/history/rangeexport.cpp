#include "history/rangeexport.h"

#include "history/dayhistory.h"
#include "records/recordline.h"
#include "regularfile.h"

#include <QFile>

ExportResult ExportDayRange(const QList<HistoryDay> &days, QDate first, QDate last,
                            const QString &csvHeader, const QString &target)
{
    if (ExportFormatOf(target) != ExportFormat::Csv)
        return {ExportResult::Outcome::Unsupported, {}, {}};
    const QList<HistoryDay> chosen = DaysInRange(days, first, last);
    if (chosen.isEmpty())
        return {ExportResult::Outcome::NothingRecorded, {}, {}};

    QStringList lines;
    for (const HistoryDay &day : chosen) {
        QFile file(day.path);
        if (QString error; !RegularFile::Open(file, QIODevice::ReadOnly, &error))
            return {ExportResult::Outcome::NotRead, day.path, error};
        // The verdict of each readable line, as the history and the reports judge it.
        DayHistory history;
        history.load(day.path, day.warningPath);
        const RecordRows &rows = history.rows();
        qsizetype row = 0;
        const QString before = day.date.toString(QStringLiteral("yyyy-MM-dd")) +
                               QStringLiteral(",COM") + QString::number(day.port) + u',';
        for (const QString &line : ReadTextLines(day.path)) {
            QString text = before + line;
            if (row < rows.size() && SplitFields(line) == rows[row]) {
                text += history.readings()[row].abnormal ? QStringLiteral(",TRUE")
                                                         : QStringLiteral(",FALSE");
                ++row;
            }
            lines.append(text);
        }
    }
    return WriteExportFile(target, CsvExportBytes(csvHeader, lines));
}
