// What the history window takes from the main window: the interface language, the unit its
// temperatures are shown in, today's alarm limit in that unit, and the desk's name for reports.
#pragma once

#include "bilingual.h"
#include "thermometerkinds.h"

#include <QString>

struct HistorySettings {
    Language language = Language::English;
    TempUnit tempUnit = TempUnit::Celsius;
    float alarmLimit = 37.5f;
    QString desk; // the central records' name of this desk, or the computer's name

    bool operator==(const HistorySettings &other) const = default;
};
