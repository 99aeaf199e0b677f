#include "settingsreport.h"

#include "payloadreader.h"
#include "temperature.h"

#include <cmath>

SettingsReport ParseSettingsReport(QByteArrayView payload)
{
    PayloadReader fields(payload);
    SettingsReport report;
    report.tempUnit = fields.byte();   // 0 Celsius, 1 Fahrenheit
    report.workMode = fields.byte();   // 0 surface, 1 body, 2 count
    report.alarmLimit = fields.word(); // tenths, little-endian
    report.volume = fields.byte();     // R9 Pro: buzzer volume entry
    report.backlight = fields.byte();  // R9 Pro: backlight
    report.output = fields.byte();     // R9 Pro: output signal type
    return report;
}

AlarmChoices ReportAlarmChoices(int machineType, int tempUnit, float alarmLimitC, float alarmLimitF)
{
    AlarmChoices choices;
    for (int tenths = 360; tenths <= 389; ++tenths) {
        if (machineType == 0 && (tenths < 370 || tenths > 380))
            continue;
        float value = static_cast<float>(tenths / 10.0);
        if (tempUnit != 0)
            value = ToFahrenheit(value);
        if (std::fabs(value - alarmLimitC) < 0.001f || std::fabs(value - alarmLimitF) < 0.001f)
            choices.selected = int(choices.entries.size());
        choices.entries.append(QString::asprintf("%0.1f", double(value)));
    }
    return choices;
}

QStringList SteppedAlarmEntries(float first, float last)
{
    QStringList entries;
    for (float value = first; value <= last;
         value = static_cast<float>(static_cast<double>(value) + 0.1))
        entries.append(QString::asprintf("%0.1f", double(value)));
    return entries;
}
