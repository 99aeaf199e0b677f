// The figures a printed report states about one day: the model and modes the thermometer was
// in, each alarm limit with the quantities it covered, and the statistics. The statistics
// (highest, lowest, mean, median) are of body temperatures only when the day's settings are on
// record: surface readings and count-mode values are summarised apart. A day recorded before
// its settings were kept says "limit not recorded", and its statistics take every temperature.
#pragma once

#include "bilingual.h"
#include "history/historyreading.h"

#include <QList>
#include <QStringList>
#include <QTime>

#include <optional>

// A run of consecutive readings (in file order) that shared a setting.
template <typename Value> struct SettingSpan {
    Value value{};
    quint64 first = 0; // the quantities of its first and last reading
    quint64 last = 0;
};

struct ReportSummary {
    bool settingsRecorded = false;
    QStringList models;                              // each model named, in order
    QList<SettingSpan<WorkMode>> modes;              // readings without settings are in none
    QList<SettingSpan<std::optional<float>>> limits; // in the report's unit; none: not on record
    int readings = 0;
    int abnormal = 0;
    int unreadable = 0;
    int statistics = 0; // the temperatures the four figures below are of
    float highest = 0.0f;
    float lowest = 0.0f;
    float mean = 0.0f;
    float median = 0.0f;
    int surface = 0;
    float surfaceLowest = 0.0f;
    float surfaceHighest = 0.0f;
    int counts = 0;
    QTime first;
    QTime last;
};

ReportSummary SummariseReport(const QList<HistoryReading> &readings, int unreadable,
                              bool settingsRecorded, TempUnit tempUnit);

// The report's summary as lines of items ("Readings: 57", "Abnormal: 2", …) separated by three
// spaces: the model and modes, the limits, then the figures.
QStringList ReportSummaryLines(const ReportSummary &summary, TempUnit tempUnit, Language language);

// "36.4 °C" with a space before the unit, as the report's table writes a temperature; a count
// stays as it is stored.
QString ReportValueText(const QString &storedField);

// "body (1–40), surface (41–45)"; "-" when no mode is on record.
QString ModesText(const ReportSummary &summary, Language language);
// "R9  Pro"; "-" when no model is on record.
QString ModelsText(const ReportSummary &summary, Language language);

// "37.5 °C (1–40), 38.0 °C (41–57)", or "not recorded".
QString LimitsText(const ReportSummary &summary, TempUnit tempUnit, Language language);
