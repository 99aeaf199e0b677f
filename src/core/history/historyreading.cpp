#include "history/historyreading.h"

#include "reception/temperature.h"

#include <algorithm>

namespace {

// ASCII digits only: QChar::isDigit() takes any script's digits ("３６"), which no number
// reader after this one takes.
bool AllDigits(QStringView text)
{
    return !text.isEmpty() &&
           std::all_of(text.begin(), text.end(), [](QChar c) { return c >= u'0' && c <= u'9'; });
}

// What a thermometer can send: a 16-bit count of tenths of a degree in its own unit, which the
// day file holds either as sent or converted into the other unit (the environment temperature
// follows a change of unit), and a 16-bit count. A value beyond these came from no thermometer.
const float kHighestSent = DecodeTenths(0xFFFF);
const float kLowestCelsius = ToCelsius(0.0f);
const float kHighestFahrenheit = ToFahrenheit(kHighestSent);
constexpr quint32 kHighestCount = 0xFFFF;

bool Sendable(float degrees, HistoryReading::Unit unit)
{
    if (unit == HistoryReading::Unit::Celsius)
        return degrees >= kLowestCelsius && degrees <= kHighestSent;
    return degrees >= 0.0f && degrees <= kHighestFahrenheit;
}

// "36.5C", "-3.6C", "97.7F", "25C": a number of degrees and the unit letter, within what a
// thermometer can send in that unit.
std::optional<HistoryReading::Unit> TemperatureUnit(QStringView text, float *degrees)
{
    if (text.size() < 2)
        return std::nullopt;
    const QChar letter = text.back();
    if (letter != u'C' && letter != u'F')
        return std::nullopt;
    QStringView number = text.chopped(1);
    const QStringView unsignedPart = number.startsWith(u'-') ? number.sliced(1) : number;
    const qsizetype point = unsignedPart.indexOf(u'.');
    const bool wellFormed = point < 0 ? AllDigits(unsignedPart)
                                      : AllDigits(unsignedPart.first(point)) &&
                                            AllDigits(unsignedPart.sliced(point + 1));
    if (!wellFormed)
        return std::nullopt;
    bool ok = false;
    *degrees = number.toFloat(&ok);
    const HistoryReading::Unit unit =
        letter == u'C' ? HistoryReading::Unit::Celsius : HistoryReading::Unit::Fahrenheit;
    if (!ok || !Sendable(*degrees, unit))
        return std::nullopt;
    return unit;
}

bool Count(QStringView text, quint32 *count)
{
    bool ok = false;
    *count = text.toUInt(&ok);
    return ok && *count <= kHighestCount;
}

} // namespace

float HistoryReading::degreesIn(TempUnit tempUnit) const
{
    if (unit == Unit::Celsius && tempUnit == TempUnit::Fahrenheit)
        return ToFahrenheit(value);
    if (unit == Unit::Fahrenheit && tempUnit == TempUnit::Celsius)
        return ToCelsius(value);
    return value;
}

QTime ParseRecordTime(QStringView text)
{
    if (text.size() != 8 || text[2] != u':' || text[5] != u':')
        return {};
    const QStringView hours = text.first(2), minutes = text.sliced(3, 2),
                      seconds = text.sliced(6, 2);
    if (!AllDigits(hours) || !AllDigits(minutes) || !AllDigits(seconds))
        return {};
    return QTime(hours.toInt(), minutes.toInt(), seconds.toInt());
}

std::optional<HistoryReading> ParseHistoryReading(const QStringList &fields)
{
    if (fields.size() != 4 || !AllDigits(fields[0]))
        return std::nullopt;
    HistoryReading reading;
    reading.quantity = fields[0].toULongLong();
    reading.time = ParseRecordTime(fields[1]);
    if (!reading.time.isValid())
        return std::nullopt;
    float environment = 0.0f;
    if (!TemperatureUnit(fields[3], &environment))
        return std::nullopt;
    if (const auto unit = TemperatureUnit(fields[2], &reading.value)) {
        reading.unit = *unit;
    } else if (quint32 count = 0; AllDigits(fields[2]) && Count(fields[2], &count)) {
        reading.unit = HistoryReading::Unit::Count;
        reading.value = float(count);
    } else {
        return std::nullopt;
    }
    return reading;
}

QString WarningMatchKey(const QStringList &fields)
{
    return fields.mid(1).join(u',');
}
