// Temperature arithmetic. Every temperature is kept in both units as single-precision numbers,
// converted with a fixed rounding to one decimal (ten times the value to the nearest whole
// number, halves away from zero), so that the same reading always gives the same texts in both
// units.
#pragma once

#include "thermometerkinds.h"

#include <QString>
#include <QtGlobal>

// A count of tenths of a degree, as the thermometer sends it, in degrees.
float DecodeTenths(quint16 tenths);

// Celsius to Fahrenheit: 36.5 → 97.7, 37.5 → 99.5, 25.3 → 77.5.
float ToFahrenheit(float celsius);
// Fahrenheit to Celsius: 97.7 → 36.5, 99.5 → 37.5, 25.3 → −3.7.
float ToCelsius(float fahrenheit);

// The unit's letter as the window shows it and the day files store it: "C", else "F".
QString UnitLetter(TempUnit unit);
// One decimal and the unit's letter: "36.5C", "97.7F".
QString TemperatureText(float degrees, TempUnit unit);
