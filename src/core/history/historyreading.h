// One record line of a day file read back as a reading: its time, its value and the value's
// unit. A body or surface reading is a temperature ("36.5C", "97.7F"); a count-mode reading is
// a plain number and is no temperature. A line that is not a whole record (cut short, hand
// edited, extra fields), or whose value or environment temperature is beyond what the
// thermometer's 16-bit fields can carry (0.0 to 6553.5 degrees in its unit, either unit after
// conversion; counts up to 65535), is no reading at all: the history, the reports and the
// central store count it as unreadable.
#pragma once

#include "records/daysettingsfile.h"
#include "thermometerkinds.h"

#include <QStringList>
#include <QTime>

#include <optional>

struct HistoryReading {
    enum class Unit : quint8 { Celsius, Fahrenheit, Count };

    quint64 quantity = 0; // the first field of the line
    QTime time;
    float value = 0.0f; // degrees in `unit`, or the count
    Unit unit = Unit::Celsius;
    bool abnormal = false; // the day's warning file holds it
    // The thermometer's settings when it was taken, when the day's settings file says so.
    std::optional<DaySettingsLine> inForce;

    bool isTemperature() const { return unit != Unit::Count; }
    // A temperature taken in surface mode, by the settings on record: not a body temperature.
    bool isSurface() const
    {
        return isTemperature() && inForce && inForce->mode == WorkMode::Surface;
    }
    // The temperature in the window's unit, converted with the program's own rounding when it
    // was stored in the other one.
    float degreesIn(TempUnit tempUnit) const;
};

// A record line's HH:MM:SS time; invalid for any other text.
QTime ParseRecordTime(QStringView text);

// The reading of a record line's fields: quantity, HH:MM:SS, value, environment temperature.
std::optional<HistoryReading> ParseHistoryReading(const QStringList &fields);

// What a reading and the same reading in the warning file have in common: its time, value and
// environment temperature. The quantity is left out: Select Delete renumbers the day file and
// never the warning file.
QString WarningMatchKey(const QStringList &fields);
