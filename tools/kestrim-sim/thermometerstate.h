// What the simulated thermometer is set to, and the helpers for temperatures on the wire.
//
// Temperatures on the wire are unsigned 16-bit counts of tenths of a degree in the thermometer's
// current unit, so the state keeps them that way: the limit and the environment temperature are
// exactly what the next report or answer carries.
#pragma once

#include "thermometerkinds.h"

#include <QStringView>
#include <QtGlobal>

#include <optional>

// The model, the unit and the mode are the program's own (thermometerkinds.h), with the wire's
// numbers; what each model reports is the program's table of models (thermometermodel.h).

struct ThermometerState {
    MachineType model = MachineType::R9Pro;
    TempUnit unit = TempUnit::Celsius;
    WorkMode mode = WorkMode::Body;
    quint16 alarmLimit = 375;  // tenths in the current unit (37.5 °C)
    quint16 environment = 245; // tenths in the current unit (24.5 °C)
    // R9 Pro only; an R9 neither reports nor needs them.
    quint8 volume = 2;    // buzzer volume step, 0 (0 %) … 4 (100 %)
    quint8 backlight = 0; // 0 off, 1 on
    quint8 output = 0;    // output signal type: 0 switch, 1 pulse
    quint8 language = 1;  // device language: 0 Chinese, 1 English

    friend bool operator==(const ThermometerState &, const ThermometerState &) = default;
};

// Tenths of a degree converted between units with the program's one-decimal rounding
// (24.5 °C → 76.1 °F); values below zero become 0, since the wire carries no sign.
quint16 TenthsInUnit(quint16 tenths, TempUnit from, TempUnit to);

// "36.5" → 365. Nothing when the text is not a number or does not fit 0 … 6553.5.
std::optional<quint16> TenthsFromText(QStringView text);
