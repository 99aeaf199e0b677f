// What one measurement means: its value in both units, the texts shown, listed and stored, the
// verdict against the alarm limit and the sentence to announce. Depends only on the window's
// settings at the moment the measurement arrives.
#pragma once

#include "bilingual.h"
#include "thermometerkinds.h"

#include <QString>

enum class Verdict {
    None,     // not judged (surface and count mode)
    Normal,   // body mode, below the alarm limit
    Abnormal, // body mode, at or above the alarm limit
};

// The settings a measurement is read with.
struct MeasurementSettings {
    WorkMode workMode = WorkMode::Surface;
    TempUnit tempUnit = TempUnit::Celsius;
    Language language = Language::English;
    float alarmLimitC = 37.5f;
    float readingC = 0.0f; // the previous reading, kept when this one carries no temperature
    float readingF = 0.0f;
    float envTempC = 0.0f;
    float envTempF = 0.0f;
};

struct Measurement {
    float readingC = 0.0f;
    float readingF = 0.0f;
    QString testValue; // "36.5C", "97.7F" or the count; empty when the mode is unknown
    QString envTemp;   // "24.5C" or "76.1F"
    Verdict verdict = Verdict::None;
    QString sentence; // empty: nothing to announce
    QString speechLanguage;
};

Measurement InterpretMeasurement(const MeasurementSettings &settings, quint16 value);

// "Normal" / "Abnormal" or "正常" / "异常".
QString VerdictText(Verdict verdict, Language language);
// The sentence announcing the verdict.
QString VerdictSentence(Verdict verdict, Language language);
// The sentence announcing that the thermometer answered the connection.
QString ConnectedSentence(Language language);
// The speech language attribute for an interface language.
QString SpeechLanguage(Language language);
