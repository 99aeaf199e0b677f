// The four texts of one reading, in the order they are stored and listed.
#pragma once

#include <QString>

struct MeasurementRecord {
    QString quantity;  // running number within the day
    QString testTime;  // "HH:MM:SS"
    QString testValue; // "36.5C", "97.7F" or a count
    QString envTemp;   // environment temperature, "24.5C"
};
