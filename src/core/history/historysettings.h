// What the history window takes from the main window: the interface language, the unit its
// temperatures are shown in, today's alarm limit in that unit, and the desk's name for reports.
#pragma once

#include <QString>

struct HistorySettings {
    int language = 1; // 0 Chinese, 1 English
    int tempUnit = 0; // 0 Celsius, 1 Fahrenheit
    float alarmLimit = 37.5f;
    QString desk; // the central records' name of this desk, or the computer's name

    bool operator==(const HistorySettings &other) const = default;
};
