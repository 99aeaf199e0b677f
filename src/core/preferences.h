// What the operator chose, kept between runs in Kestrim.ini in the working folder: the port,
// the thermometer model, the speed and volume of the voice, the interface language and where
// the window stood. A missing, unreadable or hand-spoiled file gives the defaults (per value);
// it never stops the program.
#pragma once

#include <QPoint>
#include <QString>

#include <optional>

struct Preferences {
    int port = 0;          // COM number 1 … 20; 0 lets the port probe choose
    int machineType = 1;   // 0 R9, 1 R9 Pro
    int speechRate = 1;    // -10 … 10
    int speechVolume = 80; // 0 … 100
    int language = 1;      // 0 Chinese, 1 English
    std::optional<QPoint> windowPosition;

    friend bool operator==(const Preferences &, const Preferences &) = default;
};

inline const QString kPreferencesFile = QStringLiteral("Kestrim.ini");

Preferences LoadPreferences(const QString &path);
// False when the file could not be written; the preferences then last until the program ends.
bool SavePreferences(const QString &path, const Preferences &preferences);
