#include "records/daysettingsfile.h"

#include "logging.h"
#include "reception/temperature.h"
#include "records/recordfile.h"
#include "thermometermodel.h"

#include <QFileInfo>

#include <algorithm>

namespace {

const QLatin1String kSettingsEnding("-settings.txt");

QString ModelWord(MachineType model)
{
    return QString::fromUtf16(ModelOf(model).fileName);
}

// The old quantity of each row of `after`, found by walking `before` in order for the same
// time, value and environment temperature (a deletion renumbers, and changes nothing else).
QList<quint64> OldQuantities(const RecordRows &before, const RecordRows &after)
{
    QList<quint64> old;
    old.reserve(after.size());
    qsizetype at = 0;
    for (const QStringList &row : after) {
        const QStringList rest = row.mid(1);
        while (at < before.size() && before[at].mid(1) != rest)
            ++at;
        if (at == before.size())
            break; // not a row of `before`: it and every row after it arrived later
        old.append(before[at].value(0).toULongLong());
        ++at;
    }
    return old;
}

} // namespace

float DaySettingsLine::alarmLimitIn(TempUnit tempUnit) const
{
    if (tempUnit == unit)
        return alarmLimit;
    return tempUnit == TempUnit::Celsius ? ToCelsius(alarmLimit) : ToFahrenheit(alarmLimit);
}

QString DaySettingsPath(const QString &dayFilePath)
{
    QString path = dayFilePath;
    if (path.endsWith(QLatin1String(".txt"), Qt::CaseInsensitive))
        path.chop(4);
    return path + kSettingsEnding;
}

QString WorkModeWord(WorkMode mode)
{
    switch (mode) {
    case WorkMode::Surface:
        return QStringLiteral("surface");
    case WorkMode::Body:
        return QStringLiteral("body");
    case WorkMode::Count:
        return QStringLiteral("count");
    }
    return QStringLiteral("body");
}

QString FormatDaySettingsLine(const DaySettingsLine &line)
{
    return QStringList{line.time.toString(QStringLiteral("HH:mm:ss")),
                       QString::number(line.nextQuantity),
                       ModelWord(line.model),
                       UnitLetter(line.unit),
                       WorkModeWord(line.mode),
                       QString::asprintf("%.1f", double(line.alarmLimit)) + UnitLetter(line.unit)}
        .join(u',');
}

std::optional<DaySettingsLine> ParseDaySettingsLine(QStringView text)
{
    const QList<QStringView> fields = text.split(u',');
    if (fields.size() != 6)
        return std::nullopt;
    DaySettingsLine line;
    line.time = QTime::fromString(fields[0].toString(), QStringLiteral("HH:mm:ss"));
    bool ok = false;
    line.nextQuantity = fields[1].toULongLong(&ok);
    if (!line.time.isValid() || !ok || line.nextQuantity == 0)
        return std::nullopt;
    const auto model =
        std::find_if(kThermometerModels.begin(), kThermometerModels.end(),
                     [&](const ThermometerModel &row) { return fields[2] == row.fileName; });
    if (model == kThermometerModels.end())
        return std::nullopt;
    line.model = model->type;
    if (fields[3] == u"C")
        line.unit = TempUnit::Celsius;
    else if (fields[3] == u"F")
        line.unit = TempUnit::Fahrenheit;
    else
        return std::nullopt;
    bool modeKnown = false;
    for (WorkMode mode : {WorkMode::Surface, WorkMode::Body, WorkMode::Count})
        if (fields[4] == WorkModeWord(mode)) {
            line.mode = mode;
            modeKnown = true;
        }
    if (!modeKnown || !fields[5].endsWith(fields[3]))
        return std::nullopt;
    line.alarmLimit = fields[5].chopped(1).toFloat(&ok);
    if (!ok)
        return std::nullopt;
    return line;
}

bool AppendDaySettings(const QString &dayFilePath, const DaySettingsLine &line, QString *error)
{
    return AppendRecordLine(DaySettingsPath(dayFilePath), FormatDaySettingsLine(line), error);
}

QList<DaySettingsLine> ReadDaySettings(const QString &dayFilePath)
{
    QList<DaySettingsLine> lines;
    const QString path = DaySettingsPath(dayFilePath);
    if (!QFileInfo(path).isFile())
        return lines;
    for (const QString &text : ReadTextLines(path))
        if (const std::optional<DaySettingsLine> line = ParseDaySettingsLine(text))
            lines.append(*line);
    return lines;
}

DaySettings DaySettings::Read(const QString &dayFilePath, const QString &previousDayFilePath)
{
    DaySettings settings;
    settings.m_lines = ReadDaySettings(dayFilePath);
    if (settings.m_lines.isEmpty() || settings.m_lines.first().nextQuantity > 1) {
        if (!previousDayFilePath.isEmpty()) {
            const QList<DaySettingsLine> before = ReadDaySettings(previousDayFilePath);
            if (!before.isEmpty())
                settings.m_carried = before.last();
        }
    }
    return settings;
}

std::optional<DaySettingsLine> DaySettings::inForce(quint64 quantity) const
{
    std::optional<DaySettingsLine> found = m_carried;
    for (const DaySettingsLine &line : m_lines)
        if (line.nextQuantity <= quantity)
            found = line;
    return found;
}

bool RenumberDaySettings(const QString &dayFilePath, const RecordRows &before,
                         const RecordRows &after, QString *error)
{
    if (dayFilePath.isEmpty())
        return true;
    const QString path = DaySettingsPath(dayFilePath);
    if (!QFileInfo(path).isFile())
        return true;
    const QList<quint64> old = OldQuantities(before, after);
    QList<DaySettingsLine> lines = ReadDaySettings(dayFilePath);
    for (DaySettingsLine &line : lines) {
        // The first kept reading the line was in force for, else the reading to come.
        qsizetype kept = 0;
        while (kept < old.size() && old[kept] < line.nextQuantity)
            ++kept;
        line.nextQuantity = quint64(kept) + 1;
    }
    QStringList text;
    for (qsizetype at = 0; at < lines.size(); ++at)
        if (at + 1 == lines.size() || lines[at + 1].nextQuantity != lines[at].nextQuantity)
            text.append(FormatDaySettingsLine(lines[at]));
    QString reason;
    if (ReplaceRecordFile(path, text, &reason))
        return true;
    qCWarning(lcRecords) << "cannot renumber" << path << reason;
    if (error)
        *error = reason;
    return false;
}
