// What the history window takes from the main window: the interface language, the unit its
// temperatures are shown in and today's alarm limit in that unit.
#pragma once

struct HistorySettings {
    int language = 1; // 0 Chinese, 1 English
    int tempUnit = 0; // 0 Celsius, 1 Fahrenheit
    float alarmLimit = 37.5f;

    bool operator==(const HistorySettings &other) const = default;
};
