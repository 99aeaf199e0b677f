#include "temperature.h"

float DecodeTenths(quint16 tenths)
{
    return static_cast<float>(tenths / 10.0);
}

namespace {

// Ten times the value in single precision, then to the nearest whole number with halves away
// from zero (0.5 added in double precision, or taken away below zero, and cut toward zero).
// Every stored positive text depends on the positive branch staying exactly as it is.
float RoundToTenths(float value)
{
    const auto times10 = static_cast<double>(value * 10.0f);
    const auto cut = static_cast<long long>(times10 < 0.0 ? times10 - 0.5 : times10 + 0.5);
    return static_cast<float>(cut / 10.0);
}

} // namespace

float ToFahrenheit(float celsius)
{
    const auto fahrenheit = static_cast<float>(static_cast<double>(celsius) * 1.8 + 32.0);
    return RoundToTenths(fahrenheit);
}

float ToCelsius(float fahrenheit)
{
    const float above = fahrenheit - 32.0f;
    const auto celsius = static_cast<float>(static_cast<double>(above) / 1.8);
    return RoundToTenths(celsius);
}

QString UnitLetter(TempUnit unit)
{
    return unit == TempUnit::Celsius ? QStringLiteral("C") : QStringLiteral("F");
}

QString TemperatureText(float degrees, TempUnit unit)
{
    return QString::asprintf("%.1f", double(degrees)) + UnitLetter(unit);
}
