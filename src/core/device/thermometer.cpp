#include "thermometer.h"

#include "device/reconnector.h"
#include "logging.h"
#include "reception/frame.h"
#include "reception/payloadreader.h"
#include "reception/settingsreport.h"
#include "reception/temperature.h"

namespace device {

namespace {

// Payload bytes a frame of each kind needs to be what it says.
constexpr qsizetype kReportPayload = 4;    // unit, mode, limit (2): the R9's whole report
constexpr qsizetype kProReportPayload = 8; // … volume, backlight, output, language
constexpr qsizetype kValuePayload = 2;     // a 16-bit temperature or count

const char *KindName(FrameCode code)
{
    switch (code) {
    case FrameCode::Settings:
        return "settings report";
    case FrameCode::SettingsSet:
        return "acknowledgement";
    case FrameCode::Environment:
        return "environment temperature";
    case FrameCode::Measurement:
        return "measurement";
    }
    return "frame";
}

} // namespace

Thermometer::Thermometer(ThermometerLink link, QObject *parent)
    : QObject(parent)
    , m_link(std::move(link))
{
    m_requestRetry.setInterval(kRequestRetryMs);
    connect(&m_requestRetry, &QTimer::timeout, this, &Thermometer::requestSettings);
    m_answerTimeout.setSingleShot(true);
    m_answerTimeout.setInterval(kAnswerTimeoutMs);
    connect(&m_answerTimeout, &QTimer::timeout, this, [this] {
        if (m_state != ConnectionState::Opening)
            return;
        qCWarning(lcSerial) << "no settings report within" << kAnswerTimeoutMs << "ms";
        m_requestRetry.stop();
        setState(ConnectionState::Closed);
        emit noAnswer();
    });
    m_reconnector = new Reconnector(
        [this] {
            if (!m_link.reopen || !m_link.reopen())
                return false;
            qCInfo(lcSerial) << "reopened COM" << m_portNumber;
            portOpened(m_portNumber, false);
            return true;
        },
        this);
}

Thermometer::~Thermometer() = default;

MeasurementSettings Thermometer::measurementSettings(Language language) const
{
    MeasurementSettings settings;
    settings.workMode = m_settings.mode;
    settings.tempUnit = m_settings.unit;
    settings.language = language;
    settings.alarmLimitC = m_settings.alarmLimitC;
    settings.readingC = m_readingC;
    settings.readingF = m_readingF;
    settings.envTempC = m_envTempC;
    settings.envTempF = m_envTempF;
    return settings;
}

void Thermometer::setReading(float readingC, float readingF)
{
    m_readingC = readingC;
    m_readingF = readingF;
}

void Thermometer::portOpened(int portNumber, bool byOperator)
{
    // A frame cut off by the lost link must not be completed by the new link's bytes.
    m_codec.clear();
    m_portNumber = portNumber;
    m_byOperator = byOperator;
    m_reconnector->stop();
    setState(ConnectionState::Opening);
    requestSettings();
    m_requestRetry.start();
    if (byOperator)
        m_answerTimeout.start();
    else
        m_answerTimeout.stop();
}

void Thermometer::portClosed()
{
    m_requestRetry.stop();
    m_answerTimeout.stop();
    m_reconnector->stop();
    setState(ConnectionState::Closed);
}

void Thermometer::portLost()
{
    m_requestRetry.stop();
    m_answerTimeout.stop();
    setState(ConnectionState::Reconnecting);
    m_reconnector->start();
}

std::optional<ProSettings> Thermometer::proSettings() const
{
    // Bytes 8, 9 and 10 of the stored frame text.
    const QByteArray bytes = QByteArray::fromHex(m_settings.report.toLatin1());
    if (bytes.size() < 4 + kProReportPayload + 1)
        return std::nullopt;
    return ProSettings{quint8(bytes[8]), quint8(bytes[9]), quint8(bytes[10])};
}

int Thermometer::reconnectAttempts() const
{
    return m_reconnector->attempts();
}

void Thermometer::setState(ConnectionState state)
{
    if (m_state == state)
        return;
    m_state = state;
    emit stateChanged(state);
}

void Thermometer::requestSettings()
{
    send(SettingsRequestFrame());
}

bool Thermometer::send(const QByteArray &frame)
{
    if (m_link.send && m_link.send(frame))
        return true;
    qCWarning(lcSerial) << "not sent (port closed):" << frame.toHex(' ');
    return false;
}

void Thermometer::receive(QByteArrayView bytes)
{
    m_codec.feed(bytes, [this](const FrameView &frame) { handleFrame(frame); });
}

void Thermometer::handleFrame(const FrameView &frame)
{
    qCDebug(lcFrames) << "received" << frame.bytes.toByteArray().toHex(' ');
    const auto code = FrameCode(frame.code);
    const qsizetype needed = code == FrameCode::Settings      ? kReportPayload
                             : code == FrameCode::SettingsSet ? 1
                                                              : kValuePayload;
    // A frame too short for its kind carries no value: a reading of 0.0, or a report of
    // Celsius, surface mode and limit 0.0, would be a lie (a loop-back adapter echoes the
    // settings request, which looks like an empty report).
    if (frame.payload.size() < needed) {
        ++m_shortFrames;
        qCWarning(lcSerial) << "dropped a" << KindName(code)
                            << "too short for its kind:" << frame.bytes.toByteArray().toHex(' ');
        return;
    }
    switch (code) {
    case FrameCode::Settings:
        applyReport(frame.payload, frame.bytes);
        break;
    case FrameCode::SettingsSet:
        onAcknowledgement(frame.payload);
        break;
    case FrameCode::Environment: {
        const float t = DecodeTenths(PayloadReader(frame.payload).word());
        m_envTempC = m_settings.unit == TempUnit::Celsius ? t : ToCelsius(t);
        m_envTempF = m_settings.unit == TempUnit::Celsius ? ToFahrenheit(t) : t;
        emit environment(t);
        break;
    }
    case FrameCode::Measurement:
        emit measured(PayloadReader(frame.payload).word());
        break;
    }
}

void Thermometer::applyReport(QByteArrayView payload, QByteArrayView frame)
{
    const SettingsReport report = ParseSettingsReport(payload);
    m_settings.report = QString::fromLatin1(frame.toByteArray().toHex().toUpper());
    m_settings.unit = report.tempUnit;
    m_settings.mode = report.workMode;
    const float limit = DecodeTenths(report.alarmLimit);
    m_settings.alarmLimitC = m_settings.unit == TempUnit::Celsius ? limit : ToCelsius(limit);
    m_settings.alarmLimitF = m_settings.unit == TempUnit::Celsius ? ToFahrenheit(limit) : limit;
    m_confirmed = m_settings;
    m_query.requestNow();
    m_requestRetry.stop();
    m_answerTimeout.stop();
    const bool answersConnect = m_state != ConnectionState::Connected;
    if (m_state == ConnectionState::Opening)
        setState(ConnectionState::Connected);
    const bool hasPro = m_model == MachineType::R9Pro && payload.size() >= kProReportPayload;
    emit reportApplied(hasPro, ProSettings{report.volume, report.backlight, report.output},
                       answersConnect);
}

void Thermometer::onAcknowledgement(QByteArrayView payload)
{
    // Result byte: 0 success, anything else failure.
    if (PayloadReader(payload).byte() == 0) {
        m_confirmed = m_settings;
        emit acknowledged(true);
        return;
    }
    // The thermometer kept what it had: so does the program, until its report says more.
    m_settings = m_confirmed;
    emit acknowledged(false);
    requestSettings();
}

bool Thermometer::sendCommand(SettingField field, int value, const QString &alarmText,
                              int volumeIndex)
{
    SettingsCommandRequest request;
    request.report = m_settings.report;
    request.field = field;
    request.value = value;
    request.machineType = m_model;
    request.alarmText = alarmText;
    request.volumeIndex = volumeIndex;
    request.alarmLimitC = m_settings.alarmLimitC;
    request.alarmLimitF = m_settings.alarmLimitF;
    const SettingsCommand command = ComposeSettingsCommand(request);
    if (command.refusal != CommandRefusal::None) {
        emit commandRefused(command.refusal);
        return false;
    }
    if (!send(command.frame)) {
        emit commandRefused(CommandRefusal::NotConnected);
        return false;
    }
    m_settings.report = command.report;
    m_settings.alarmLimitC = command.alarmLimitC;
    m_settings.alarmLimitF = command.alarmLimitF;
    if (field == SettingUnit)
        m_settings.unit = TempUnit(value);
    else if (field == SettingMode)
        m_settings.mode = WorkMode(value);
    emit commandSent(field);
    return true;
}

bool Thermometer::queryTick()
{
    if (!m_query.tick(isPortOpen()))
        return false;
    send(EnvironmentQueryFrame());
    return true;
}

void Thermometer::queryEnvironment()
{
    send(EnvironmentQueryFrame());
}

} // namespace device
