// What one measurement means: its value in both units, the texts shown, listed and stored, the
// verdict against the alarm limit and the sentence to announce. Depends only on the window's
// settings at the moment the measurement arrives.
#pragma once

#include <QString>

enum class Verdict {
    None,     // not judged (surface and count mode)
    Normal,   // body mode, below the alarm limit
    Abnormal, // body mode, at or above the alarm limit
};

// The settings a measurement is read with.
struct MeasurementSettings {
    int workMode = 0; // 0 surface, 1 body, 2 count; anything else: the mode is unknown
    int tempUnit = 0; // 0 Celsius, else Fahrenheit
    int language = 1; // 0 Chinese, 1 English
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
QString VerdictText(Verdict verdict, int language);
// The sentence announcing the verdict.
QString VerdictSentence(Verdict verdict, int language);
// The sentence announcing that the thermometer answered the connection.
QString ConnectedSentence(int language);
// The speech language attribute for an interface language.
QString SpeechLanguage(int language);
