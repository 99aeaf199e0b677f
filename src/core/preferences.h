// What the operator chose, kept between runs in Kestrim.ini in the working folder: the port,
// the thermometer model, the speed and volume of the voice, the interface language and where
// the window stood. A missing, unreadable or hand-spoiled file gives the defaults (per value);
// it never stops the program.
#pragma once

#include "bilingual.h"
#include "thermometerkinds.h"

#include <QPoint>
#include <QString>

#include <optional>

struct Preferences {
    int port = 0; // COM number 1 … 20; 0 lets the port probe choose
    MachineType machineType = MachineType::R9Pro;
    int speechRate = 1;    // -10 … 10
    int speechVolume = 80; // 0 … 100
    Language language = Language::English;
    std::optional<QPoint> windowPosition;

    friend bool operator==(const Preferences &, const Preferences &) = default;
};

inline const QString kPreferencesFile = QStringLiteral("Kestrim.ini");

Preferences LoadPreferences(const QString &path);
// False when the file could not be written; the preferences then last until the program ends.
bool SavePreferences(const QString &path, const Preferences &preferences);
