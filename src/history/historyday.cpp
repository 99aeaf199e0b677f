#include "history/historyday.h"

#include "records/dayrecords.h"

#include <QDir>
#include <QDirIterator>
#include <QFileInfo>

#include <algorithm>

namespace {

// "<yyyyMMdd>-<PP>.txt" → its date and port; the port is at least two digits, never 0.
bool ParseDayFileName(const QString &name, QDate *date, int *port)
{
    static const QLatin1String ending(".txt");
    if (name.size() < 15 || name.at(8) != u'-' || !name.endsWith(ending))
        return false;
    const QStringView digits = QStringView(name).first(8);
    const QStringView portDigits = QStringView(name).sliced(9, name.size() - 9 - ending.size());
    const auto allDigits = [](QStringView text) {
        return std::all_of(text.begin(), text.end(), [](QChar c) { return c.isDigit(); });
    };
    if (!allDigits(digits) || portDigits.size() < 2 || !allDigits(portDigits))
        return false;
    *date =
        QDate(digits.first(4).toInt(), digits.sliced(4, 2).toInt(), digits.sliced(6, 2).toInt());
    *port = portDigits.toInt();
    return date->isValid() && *port > 0;
}

} // namespace

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
        if (!ParseDayFileName(file.fileName(), &day.date, &day.port))
            continue;
        day.path = names.DayFilePath(day.date, day.port);
        // Only the file in its own day's folder is that day's file.
        if (QFileInfo(day.path) != file)
            continue;
        day.warningPath = names.WarningFilePath(day.date);
        days.append(day);
    }
    std::sort(days.begin(), days.end(), [](const HistoryDay &a, const HistoryDay &b) {
        return a.date != b.date ? a.date > b.date : a.port < b.port;
    });
    return days;
}

std::optional<HistoryDay> HistoryDayOfFile(const QString &path)
{
    HistoryDay day;
    if (!ParseDayFileName(QFileInfo(path).fileName(), &day.date, &day.port))
        return std::nullopt;
    const DayRecords names;
    day.path = names.DayFilePath(day.date, day.port);
    if (QDir::cleanPath(QDir::fromNativeSeparators(path)) !=
        QDir::cleanPath(QDir::fromNativeSeparators(day.path)))
        return std::nullopt;
    day.warningPath = names.WarningFilePath(day.date);
    return day;
}
