#include "history/historyday.h"

#include "records/dayrecords.h"

#include <QDir>
#include <QDirIterator>
#include <QFileInfo>

#include <algorithm>

QString HistoryDay::label() const
{
    return date.toString(QStringLiteral("yyyy-MM-dd")) + QStringLiteral("  COM") +
           QString::number(port);
}

QList<HistoryDay> FindHistoryDays()
{
    const DayRecords names;
    QList<HistoryDay> days;
    QDirIterator files(names.dataFolder(), {QStringLiteral("*.txt")}, QDir::Files,
                       QDirIterator::Subdirectories);
    while (files.hasNext()) {
        const QFileInfo file(files.next());
        HistoryDay day;
        if (!DayRecords::ParseDayFileName(file.fileName(), &day.date, &day.port))
            continue;
        day.path = names.dayFilePath(day.date, day.port);
        // Only the file in its own day's folder is that day's file.
        if (QFileInfo(day.path) != file)
            continue;
        day.warningPath = names.warningFilePath(day.date);
        days.append(day);
    }
    std::sort(days.begin(), days.end(), [](const HistoryDay &a, const HistoryDay &b) {
        return a.date != b.date ? a.date > b.date : a.port < b.port;
    });
    return days;
}

QList<HistoryDay> DaysInRange(const QList<HistoryDay> &days, QDate first, QDate last)
{
    QList<HistoryDay> chosen;
    std::copy_if(days.begin(), days.end(), std::back_inserter(chosen),
                 [&](const HistoryDay &day) { return day.date >= first && day.date <= last; });
    std::sort(chosen.begin(), chosen.end(), [](const HistoryDay &a, const HistoryDay &b) {
        return a.date != b.date ? a.date < b.date : a.port < b.port;
    });
    return chosen;
}

std::optional<HistoryDay> HistoryDayOfFile(const QString &path)
{
    HistoryDay day;
    if (!DayRecords::ParseDayFileName(QFileInfo(path).fileName(), &day.date, &day.port))
        return std::nullopt;
    const DayRecords names;
    day.path = names.dayFilePath(day.date, day.port);
    if (QDir::cleanPath(QDir::fromNativeSeparators(path)) !=
        QDir::cleanPath(QDir::fromNativeSeparators(day.path)))
        return std::nullopt;
    day.warningPath = names.warningFilePath(day.date);
    return day;
}
