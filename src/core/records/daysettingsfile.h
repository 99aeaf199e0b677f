// The thermometer's settings in force over a day, kept beside the day file of its port in a
// file of its own (TempData/<year>/<MM>/<yyyyMMdd>-<PP>-settings.txt). Each settings report
// and each command the thermometer accepted adds one line:
//
//     HH:MM:SS,next quantity,model,unit,mode,alarm limit      14:02:11,41,R9Pro,C,body,38.0C
//
// (model R9 or R9Pro, unit C or F, mode body, surface or count, the limit in that unit), each
// ended by CR LF and on the disk before the call returns, like a record line. A line is in
// force from the reading with its quantity until the next line's. The day file, the warning
// file and the index are never touched, so every program that reads those reads them as
// before; a day recorded without this file simply has no settings on record.
#pragma once

#include "records/recordline.h"
#include "thermometerkinds.h"

#include <QList>
#include <QTime>

#include <optional>

struct DaySettingsLine {
    QTime time;
    quint64 nextQuantity = 1; // the quantity of the first reading taken in these settings
    MachineType model = MachineType::R9;
    TempUnit unit = TempUnit::Celsius;
    WorkMode mode = WorkMode::Body;
    float alarmLimit = 37.5f; // in `unit`

    // The limit in `tempUnit`, converted with the program's own rounding when needed.
    float alarmLimitIn(TempUnit tempUnit) const;
    bool operator==(const DaySettingsLine &other) const = default;
};

// "…/20261209-03.txt" → "…/20261209-03-settings.txt".
QString DaySettingsPath(const QString &dayFilePath);

QString FormatDaySettingsLine(const DaySettingsLine &line);
// Nothing for a line that is not one this file holds (hand-edited, cut short).
std::optional<DaySettingsLine> ParseDaySettingsLine(QStringView text);
// "body", "surface", "count": the word the file and the reports use for a mode.
QString WorkModeWord(WorkMode mode);

// Appends `line` to the settings file of `dayFilePath` (made when missing), flushed to the disk.
bool AppendDaySettings(const QString &dayFilePath, const DaySettingsLine &line, QString *error);

// The readable lines of a settings file in file order; none when it is missing.
QList<DaySettingsLine> ReadDaySettings(const QString &dayFilePath);

// The settings of a day file, read to say which were in force for each reading.
class DaySettings {
public:
    // `dayFilePath`'s own lines; readings taken before its first line (a run that went on over
    // midnight) take the last line of `previousDayFilePath`'s, the same port's day before.
    static DaySettings Read(const QString &dayFilePath, const QString &previousDayFilePath);

    // Whether any settings were recorded for this day.
    bool recorded() const { return !m_lines.isEmpty() || m_carried.has_value(); }
    // The settings the reading numbered `quantity` was taken in; nothing when none are on record.
    std::optional<DaySettingsLine> inForce(quint64 quantity) const;
    const QList<DaySettingsLine> &lines() const { return m_lines; }

private:
    QList<DaySettingsLine> m_lines;
    std::optional<DaySettingsLine> m_carried;
};

// After a deletion renumbered the day file from `before` to `after` (`after` keeps some of
// `before`'s rows, in order, numbered anew; rows that arrived meanwhile may follow), each line
// of the settings file names the new quantity of the first reading it was in force for, so the
// lines stay in step with the readings they describe. Lines left covering no reading give way
// to the last line that starts at the same quantity. A day without a settings file is left as
// it is. The file is replaced in one step; a failure is logged and, when `error` is given,
// said there.
bool RenumberDaySettings(const QString &dayFilePath, const RecordRows &before,
                         const RecordRows &after, QString *error);
