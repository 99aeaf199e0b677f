#include "thermometerstate.h"

#include "reception/temperature.h"

#include <QString>

#include <algorithm>
#include <cmath>

quint16 TenthsInUnit(quint16 tenths, TempUnit from, TempUnit to)
{
    if (from == to)
        return tenths;
    const float degrees = DecodeTenths(tenths);
    const float converted = to == TempUnit::Fahrenheit ? ToFahrenheit(degrees) : ToCelsius(degrees);
    return quint16(std::clamp(std::lround(double(converted) * 10.0), 0L, 65535L));
}

std::optional<quint16> TenthsFromText(QStringView text)
{
    bool ok = false;
    const double degrees = text.trimmed().toDouble(&ok);
    if (!ok || !std::isfinite(degrees))
        return std::nullopt;
    const long tenths = std::lround(degrees * 10.0);
    if (tenths < 0 || tenths > 65535)
        return std::nullopt;
    return quint16(tenths);
}
