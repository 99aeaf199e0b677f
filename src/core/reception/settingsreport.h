// The thermometer's settings report, and the alarm-limit choices offered after it.
#pragma once

#include "thermometerkinds.h"

#include <QByteArrayView>
#include <QStringList>

struct SettingsReport {
    TempUnit tempUnit = TempUnit::Celsius;
    WorkMode workMode = WorkMode::Surface;
    quint16 alarmLimit = 0; // tenths of a degree in the report's unit
    // R9 Pro only:
    int volume = 0;    // index of the buzzer volume entry, 0 … 4
    int backlight = 0; // 0 off, 1 on
    int output = 0;    // 0 switch, 1 pulse
};

// Reads a report's payload; fields the payload lacks read as 0.
SettingsReport ParseSettingsReport(QByteArrayView payload);

struct AlarmChoices {
    QStringList entries;
    int selected = -1; // -1: none matches the limit
};

// The alarm list after a settings report: 36.0 … 38.9 on the R9 Pro, 37.0 … 38.0 on the R9,
// in the report's unit, with the entry matching the limit selected.
AlarmChoices ReportAlarmChoices(MachineType machineType, TempUnit tempUnit, float alarmLimitC,
                                float alarmLimitF);

// The alarm list after the operator changes the unit: the same entries in the new unit; a
// Celsius entry is selected when its tenths equal ten times the Celsius limit, a Fahrenheit
// entry when it lies within 0.001 of the Fahrenheit limit.
AlarmChoices UnitAlarmChoices(MachineType machineType, TempUnit tempUnit, float alarmLimitC,
                              float alarmLimitF);

// The alarm list before any report and after a model change: first, first + 0.1, … while the
// value (kept in single precision) is at most last. 36.0 … 39.0 gives 31 entries. The values
// are degrees Celsius; in Fahrenheit each entry is shown converted to Fahrenheit.
QStringList SteppedAlarmEntries(float first, float last, TempUnit tempUnit = TempUnit::Celsius);
