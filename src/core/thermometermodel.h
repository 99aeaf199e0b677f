// What the program knows of each thermometer model, in one table: the lengths of its frames, its
// alarm range and which settings it has. Everything that differs between models is looked up
// here, so a new model is one row of kThermometerModels, its radio button in the main window's
// template, and its answers in the simulator.
#pragma once

#include "thermometerkinds.h"

#include <QString>
#include <QtGlobal>

#include <array>
#include <optional>

struct ThermometerModel {
    MachineType type;
    // The name as the model buttons and messages show it.
    const char16_t *name;
    // The name as the day's settings file writes it (one word: the file is comma-separated).
    const char16_t *fileName;
    // Payload bytes of its settings report: unit, mode, limit (2), then the model's own fields.
    qsizetype reportPayload;
    // Length of its settings report and of its settings command, as the frame's length byte
    // says; the command is written into a buffer of kCommandBufferLength bytes, padded with 0.
    int frameLength;
    // The alarm limits offered once its report is in, in tenths of a degree Celsius, both
    // included; shown in the thermometer's unit.
    int alarmLowestTenthsC;
    int alarmHighestTenthsC;
    // The list offered before a report and after the model is chosen: first, first + 0.1, …
    // up to last, in degrees Celsius.
    float steppedFirstC;
    float steppedLastC;
    // The settings only some models have.
    bool hasVolume;
    bool hasBacklight;
    bool hasOutput;
    bool hasLanguage;

    QString displayName() const { return QString::fromUtf16(name); }
    // Whether any setting of the bottom band (volume, backlight, output) exists.
    bool hasBottomBand() const { return hasVolume || hasBacklight || hasOutput; }
};

// Every settings command is written as this many bytes, whatever the model's frame length.
inline constexpr int kCommandBufferLength = 13;

inline constexpr std::array<ThermometerModel, 2> kThermometerModels{{
    {MachineType::R9, u"R9", u"R9", 4, 9, 370, 380, 37.0f, 38.0f, false, false, false, false},
    {MachineType::R9Pro, u"R9  Pro", u"R9Pro", 8, 13, 360, 389, 36.0f, 39.0f, true, true, true,
     true},
}};

// The row of a model.
const ThermometerModel &ModelOf(MachineType type);
// The model whose settings report has this payload: the longest report that fits, so that a
// report with a few extra bytes is still read as its model's; nothing for a report too short
// for any model.
std::optional<MachineType> ModelOfReportPayload(qsizetype payloadSize);
