#include "thermometer.h"

#include "reception/payloadreader.h"
#include "thermometermodel.h"

#include <QRandomGenerator>

#include <utility>

namespace {

void AppendWord(QByteArray &bytes, quint16 value)
{
    bytes.append(char(value & 0xFF)); // low byte first
    bytes.append(char(value >> 8));
}

constexpr quint8 kAccepted = 0;
constexpr quint8 kRefused = 1;

// Largest value of each one-byte field of a settings command, by payload offset; the limit
// (offsets 2 and 3) takes any value.
struct FieldBound {
    qsizetype offset;
    quint8 largest;
};
constexpr FieldBound kFieldBounds[] = {
    {0, 1}, // unit: Celsius, Fahrenheit
    {1, 2}, // mode: surface, body, count
    {4, 4}, // volume step
    {5, 1}, // backlight off / on
    {6, 1}, // output switch / pulse
    {7, 1}, // language Chinese / English
};

} // namespace

Thermometer::Thermometer(const ThermometerState &state, bool refuseSettings)
    : m_state(state)
    , m_refuseSettings(refuseSettings)
{}

QList<QByteArray> Thermometer::answer(const Frame &frame)
{
    switch (FrameCode(frame.code)) {
    case FrameCode::Settings:
        m_hostListening = true;
        return {settingsReport()};
    case FrameCode::SettingsSet: {
        QList<QByteArray> replies;
        if (std::exchange(m_lateReport, false))
            replies.append(settingsReport());
        const quint8 result = applySettings(frame.payload) ? kAccepted : kRefused;
        if (!std::exchange(m_loseAck, false))
            replies.append(BuildFrame(FrameCode::SettingsSet, QByteArray(1, char(result))));
        return replies;
    }
    case FrameCode::Environment:
        return {environmentFrame()};
    case FrameCode::Measurement:
        break; // only the thermometer measures
    }
    return {};
}

QByteArray Thermometer::settingsReport() const
{
    QByteArray payload;
    payload.append(char(m_state.unit));
    payload.append(char(m_state.mode));
    AppendWord(payload, m_state.alarmLimit);
    // The fields after the limit, in their order; a model reports as many as its table row says.
    payload.append(char(m_state.volume));
    payload.append(char(m_state.backlight));
    payload.append(char(m_state.output));
    payload.append(char(m_state.language));
    return BuildFrame(FrameCode::Settings, payload.first(ModelOf(m_state.model).reportPayload));
}

QByteArray Thermometer::environmentFrame() const
{
    QByteArray payload;
    AppendWord(payload, m_state.environment);
    return BuildFrame(FrameCode::Environment, payload);
}

QByteArray Thermometer::MeasurementFrame(quint16 value)
{
    QByteArray payload;
    AppendWord(payload, value);
    return BuildFrame(FrameCode::Measurement, payload);
}

QByteArray Thermometer::nextReading()
{
    if (m_state.mode == WorkMode::Count)
        return MeasurementFrame(++m_count);
    const auto celsius = quint16(362 + QRandomGenerator::global()->bounded(11));
    return MeasurementFrame(TenthsInUnit(celsius, TempUnit::Celsius, m_state.unit));
}

// A command has the report's layout. The host's R9 command is the 9-byte frame (the R9 Pro
// fields absent); they are applied only when the frame carries them.
bool Thermometer::applySettings(QByteArrayView payload)
{
    if (m_refuseSettings || payload.size() < 4)
        return false;
    for (const FieldBound &field : kFieldBounds) {
        if (field.offset < payload.size() && quint8(payload[field.offset]) > field.largest)
            return false;
    }
    PayloadReader fields(payload);
    const auto unit = TempUnit(fields.byte());
    m_state.environment = TenthsInUnit(m_state.environment, m_state.unit, unit);
    m_state.unit = unit;
    m_state.mode = WorkMode(fields.byte());
    m_state.alarmLimit = fields.word(); // already in the new unit
    if (fields.remaining() > 0)
        m_state.volume = fields.byte();
    if (fields.remaining() > 0)
        m_state.backlight = fields.byte();
    if (fields.remaining() > 0)
        m_state.output = fields.byte();
    if (fields.remaining() > 0)
        m_state.language = fields.byte();
    return true;
}
