// What one measurement means: its value in both units, the texts shown, listed and stored, the
// verdict against the alarm limit, and the sentence that announces it. Depends only on the
// settings the thermometer had confirmed when the measurement arrived.
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
    float alarmLimitC = 37.5f;
    float readingC = 0.0f; // the previous reading, kept when this one carries no temperature
    float readingF = 0.0f;
    float envTempC = 0.0f;
    float envTempF = 0.0f;
};

struct Measurement {
    // The settings it was read in.
    WorkMode mode = WorkMode::Surface;
    TempUnit unit = TempUnit::Celsius;
    float alarmLimitC = 37.5f;
    float readingC = 0.0f;
    float readingF = 0.0f;
    QString testValue; // "36.5C", "97.7F" or the count; empty when the mode is unknown
    QString envTemp;   // "24.5C" or "76.1F"
    Verdict verdict = Verdict::None;

    // A temperature (surface or body mode), not a count.
    bool isTemperature() const { return mode == WorkMode::Surface || mode == WorkMode::Body; }
};

Measurement InterpretMeasurement(const MeasurementSettings &settings, quint16 value);

// What is said of a measurement.
struct Announcement {
    QString sentence; // empty: nothing to announce
    QString speechLanguage;
    // An abnormal verdict: never dropped for a later sentence.
    bool urgent = false;
};

// The sentence in the interface language; a surface temperature is always read out in English.
Announcement AnnouncementOf(const Measurement &measurement, Language language);

// "Normal" / "Abnormal" or "正常" / "异常".
QString VerdictText(Verdict verdict, Language language);
// The sentence announcing the verdict.
QString VerdictSentence(Verdict verdict, Language language);
// The sentence announcing that the thermometer answered the connection.
QString ConnectedSentence(Language language);
// The speech language attribute for an interface language.
QString SpeechLanguage(Language language);
