#include "settingsreport.h"

#include "payloadreader.h"
#include "temperature.h"
#include "thermometermodel.h"

#include <cmath>

SettingsReport ParseSettingsReport(QByteArrayView payload)
{
    PayloadReader fields(payload);
    SettingsReport report;
    report.tempUnit = TempUnit(fields.byte());
    report.workMode = WorkMode(fields.byte());
    report.alarmLimit = fields.word(); // tenths, little-endian
    report.volume = fields.byte();     // R9 Pro: buzzer volume entry
    report.backlight = fields.byte();  // R9 Pro: backlight
    report.output = fields.byte();     // R9 Pro: output signal type
    return report;
}

namespace {

// The model's alarm range (36.0 … 38.9 °C on the R9 Pro, 37.0 … 38.0 on the R9), each in the
// unit given; `selects` is asked with the entry's Celsius tenths and its value in the unit.
template <typename Selects>
AlarmChoices AlarmEntries(MachineType machineType, TempUnit tempUnit, Selects selects)
{
    AlarmChoices choices;
    const ThermometerModel &model = ModelOf(machineType);
    for (int tenths = model.alarmLowestTenthsC; tenths <= model.alarmHighestTenthsC; ++tenths) {
        float value = static_cast<float>(tenths / 10.0);
        if (tempUnit != TempUnit::Celsius)
            value = ToFahrenheit(value);
        if (selects(tenths, value))
            choices.selected = int(choices.entries.size());
        choices.entries.append(QString::asprintf("%0.1f", double(value)));
    }
    return choices;
}

} // namespace

AlarmChoices ReportAlarmChoices(MachineType machineType, TempUnit tempUnit, float alarmLimitC,
                                float alarmLimitF)
{
    return AlarmEntries(machineType, tempUnit, [&](int, float value) {
        return std::fabs(value - alarmLimitC) < 0.001f || std::fabs(value - alarmLimitF) < 0.001f;
    });
}

AlarmChoices UnitAlarmChoices(MachineType machineType, TempUnit tempUnit, float alarmLimitC,
                              float alarmLimitF)
{
    return AlarmEntries(machineType, tempUnit, [&](int tenths, float value) {
        if (tempUnit == TempUnit::Celsius)
            return float(tenths) == alarmLimitC * 10.0f;
        return std::fabs(value - alarmLimitF) < 0.001f;
    });
}

QStringList SteppedAlarmEntries(float first, float last, TempUnit tempUnit)
{
    QStringList entries;
    for (float value = first; value <= last;
         value = static_cast<float>(static_cast<double>(value) + 0.1))
        entries.append(QString::asprintf(
            "%0.1f", double(tempUnit == TempUnit::Celsius ? value : ToFahrenheit(value))));
    return entries;
}
