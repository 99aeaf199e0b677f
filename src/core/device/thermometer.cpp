#include "thermometer.h"

#include "device/reconnector.h"
#include "logging.h"
#include "reception/frame.h"
#include "reception/payloadreader.h"
#include "reception/settingsreport.h"
#include "reception/temperature.h"
#include "thermometermodel.h"

namespace device {

namespace {

// Payload bytes a frame of each kind needs to be what it says; a settings report needs at least
// the shortest model's.
constexpr qsizetype kAcknowledgementPayload = 1; // the result byte
constexpr qsizetype kValuePayload = 2;           // a 16-bit temperature or count

qsizetype ShortestReport()
{
    qsizetype shortest = kThermometerModels.front().reportPayload;
    for (const ThermometerModel &model : kThermometerModels)
        shortest = qMin(shortest, model.reportPayload);
    return shortest;
}

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

bool IsKnownUnit(TempUnit unit)
{
    return unit == TempUnit::Celsius || unit == TempUnit::Fahrenheit;
}

bool IsKnownMode(WorkMode mode)
{
    return mode == WorkMode::Surface || mode == WorkMode::Body || mode == WorkMode::Count;
}

} // namespace

AppliedChange ApplyChange(const ThermometerSettings &settings, MachineType model,
                          const SettingChange &change)
{
    SettingsCommandRequest request;
    request.report = settings.report;
    request.field = change.field;
    request.value = change.value;
    request.machineType = model;
    request.alarmText = change.alarmText;
    request.volumeIndex = change.volumeIndex;
    request.alarmLimitC = settings.alarmLimitC;
    request.alarmLimitF = settings.alarmLimitF;
    const SettingsCommand command = ComposeSettingsCommand(request);
    AppliedChange applied;
    applied.refusal = command.refusal;
    if (command.refusal != CommandRefusal::None)
        return applied;
    applied.frame = command.frame;
    applied.settings = settings;
    applied.settings.report = command.report;
    applied.settings.alarmLimitC = command.alarmLimitC;
    applied.settings.alarmLimitF = command.alarmLimitF;
    if (change.field == SettingUnit)
        applied.settings.unit = TempUnit(change.value);
    else if (change.field == SettingMode)
        applied.settings.mode = WorkMode(change.value);
    return applied;
}

Thermometer::Thermometer(ThermometerLink link, std::shared_ptr<const Clock> clock, QObject *parent)
    : QObject(parent)
    , m_link(std::move(link))
    , m_clock(std::move(clock))
{
    m_requestRetry = m_clock->makeTimer([this] { requestSettings(); }, Clock::Repeat::Repeating);
    m_answerTimeout = m_clock->makeTimer(
        [this] {
            if (m_state != ConnectionState::Opening)
                return;
            qCWarning(lcSerial) << "no settings report within" << kAnswerTimeoutMs << "ms";
            m_requestRetry->stop();
            setState(ConnectionState::Closed);
            emit noAnswer();
        },
        Clock::Repeat::Once);
    m_acknowledgementTimeout = m_clock->makeTimer(
        [this] {
            if (!m_inFlight)
                return;
            qCWarning(lcSerial) << "no acknowledgement within" << kAcknowledgementTimeoutMs
                                << "ms; the settings are asked for again";
            commandLost(false, m_inFlight->field);
        },
        Clock::Repeat::Once);
    m_reconnector = new Reconnector(
        [this] {
            if (!m_link.reopen || !m_link.reopen())
                return false;
            qCInfo(lcSerial) << "reopened COM" << m_portNumber;
            portOpened(m_portNumber, false);
            return true;
        },
        *m_clock, this);
}

Thermometer::~Thermometer() = default;

ThermometerSettings Thermometer::shownSettings() const
{
    ThermometerSettings shown = m_confirmed;
    const auto applyOnTop = [&](const SettingChange &change) {
        const AppliedChange applied = ApplyChange(shown, m_model, change);
        if (applied.refusal == CommandRefusal::None)
            shown = applied.settings;
    };
    if (m_inFlight)
        applyOnTop(*m_inFlight);
    for (const SettingChange &change : m_waiting)
        applyOnTop(change);
    return shown;
}

std::optional<ProSettings> Thermometer::proSettings() const
{
    if (!ModelOf(m_model).hasBottomBand())
        return std::nullopt;
    // Bytes 8, 9 and 10 of the frame.
    const QByteArray bytes = QByteArray::fromHex(shownSettings().report.toLatin1());
    if (bytes.size() < ModelOf(m_model).frameLength || bytes.size() < 11)
        return std::nullopt;
    return ProSettings{quint8(bytes[8]), quint8(bytes[9]), quint8(bytes[10])};
}

void Thermometer::portOpened(int portNumber, bool byOperator)
{
    // A frame cut off by the lost link must not be completed by the new link's bytes.
    m_codec.clear();
    dropCommands();
    m_toldRejectedReport = false;
    m_portNumber = portNumber;
    m_byOperator = byOperator;
    m_reconnector->stop();
    setState(ConnectionState::Opening);
    requestSettings();
    m_requestRetry->start(kRequestRetryMs);
    if (byOperator)
        m_answerTimeout->start(kAnswerTimeoutMs);
    else
        m_answerTimeout->stop();
}

void Thermometer::portClosed()
{
    m_requestRetry->stop();
    m_answerTimeout->stop();
    m_reconnector->stop();
    dropCommands();
    setState(ConnectionState::Closed);
}

void Thermometer::portLost()
{
    m_requestRetry->stop();
    m_answerTimeout->stop();
    dropCommands();
    setState(ConnectionState::Reconnecting);
    m_reconnector->start();
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
    const qsizetype needed = code == FrameCode::Settings      ? ShortestReport()
                             : code == FrameCode::SettingsSet ? kAcknowledgementPayload
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
        applyReport(frame.payload);
        break;
    case FrameCode::SettingsSet:
        onAcknowledgement(frame.payload);
        break;
    case FrameCode::Environment: {
        const float t = DecodeTenths(PayloadReader(frame.payload).word());
        m_hasEnvironment = true;
        m_envTempC = m_confirmed.unit == TempUnit::Celsius ? t : ToCelsius(t);
        m_envTempF = m_confirmed.unit == TempUnit::Celsius ? ToFahrenheit(t) : t;
        emit environment(t);
        break;
    }
    case FrameCode::Measurement:
        onMeasurement(PayloadReader(frame.payload).word());
        break;
    }
}

void Thermometer::applyReport(QByteArrayView payload)
{
    const SettingsReport report = ParseSettingsReport(payload);
    if (!IsKnownUnit(report.tempUnit) || !IsKnownMode(report.workMode)) {
        // Taken, it would have every later reading stored without a value or in no unit.
        qCWarning(lcSerial) << "settings report with unit" << int(report.tempUnit) << "and mode"
                            << int(report.workMode) << "not taken; asked for again";
        if (!m_toldRejectedReport) {
            m_toldRejectedReport = true;
            emit reportRejected();
        }
        if (!m_requestRetry->isActive())
            m_requestRetry->start(kRequestRetryMs);
        return;
    }
    // The report's length says which model sent it.
    const MachineType reportModel = ModelOfReportPayload(payload.size()).value_or(m_model);
    const bool modelChangedNow = reportModel != m_model;
    m_model = reportModel;
    // Kept as the model's frame, so that commands built from it have the model's length and a
    // checksum over their own bytes; a report of the model's exact length is kept as it came.
    const QByteArray frame =
        BuildFrame(FrameCode::Settings, payload.first(ModelOf(m_model).reportPayload));
    m_confirmed.report = QString::fromLatin1(frame.toHex().toUpper());
    m_confirmed.unit = report.tempUnit;
    m_confirmed.mode = report.workMode;
    const float limit = DecodeTenths(report.alarmLimit);
    m_confirmed.alarmLimitC = m_confirmed.unit == TempUnit::Celsius ? limit : ToCelsius(limit);
    m_confirmed.alarmLimitF = m_confirmed.unit == TempUnit::Celsius ? ToFahrenheit(limit) : limit;
    m_query.requestNow();
    m_requestRetry->stop();
    m_answerTimeout->stop();
    const bool answersConnect = m_state != ConnectionState::Connected;
    if (m_state == ConnectionState::Opening)
        setState(ConnectionState::Connected);
    if (modelChangedNow) {
        qCInfo(lcSerial) << "the report is an" << ModelOf(m_model).displayName() << "report";
        emit modelChanged(m_model);
    }
    emit reportApplied(answersConnect);
}

void Thermometer::onAcknowledgement(QByteArrayView payload)
{
    if (!m_inFlight) {
        // Late, after its command counted as lost: the report asked for then decides.
        qCWarning(lcSerial) << "acknowledgement without a command in flight, ignored";
        return;
    }
    m_acknowledgementTimeout->stop();
    const SettingField field = m_inFlight->field;
    // Result byte: 0 success, anything else failure.
    if (PayloadReader(payload).byte() != 0) {
        commandLost(true, field);
        return;
    }
    // Taken on top of what the thermometer confirmed last, which a report may have changed
    // since the command went out.
    const AppliedChange applied = ApplyChange(m_confirmed, m_model, *m_inFlight);
    m_inFlight.reset();
    if (applied.refusal != CommandRefusal::None) {
        qCWarning(lcSerial) << "accepted command no longer fits the settings; asked for again";
        m_waiting.clear();
        requestSettings();
        emit acknowledged(true, field);
        return;
    }
    m_confirmed = applied.settings;
    emit acknowledged(true, field);
    sendNextCommand();
}

void Thermometer::commandLost(bool answered, SettingField field)
{
    m_acknowledgementTimeout->stop();
    m_inFlight.reset();
    m_waiting.clear();
    requestSettings();
    if (answered)
        emit acknowledged(false, field);
    else
        emit acknowledgementMissing(field);
}

void Thermometer::dropCommands()
{
    m_acknowledgementTimeout->stop();
    m_inFlight.reset();
    m_waiting.clear();
}

void Thermometer::onMeasurement(quint16 value)
{
    MeasurementSettings settings;
    settings.workMode = m_confirmed.mode;
    settings.tempUnit = m_confirmed.unit;
    settings.alarmLimitC = m_confirmed.alarmLimitC;
    settings.readingC = m_readingC;
    settings.readingF = m_readingF;
    settings.envTempC = m_envTempC;
    settings.envTempF = m_envTempF;
    const Measurement measurement = InterpretMeasurement(settings, value);
    if (measurement.isTemperature()) {
        m_readingC = measurement.readingC;
        m_readingF = measurement.readingF;
    }
    emit measured(measurement);
}

bool Thermometer::sendCommand(const SettingChange &change)
{
    // Checked against what it will be taken on top of, so that a change that cannot be made is
    // refused now rather than once it is its turn.
    const AppliedChange check = ApplyChange(shownSettings(), m_model, change);
    if (check.refusal != CommandRefusal::None) {
        emit commandRefused(check.refusal);
        return false;
    }
    if (m_inFlight)
        m_waiting.append(change);
    else if (!dispatch(change))
        return false;
    emit commandPending(change.field);
    return true;
}

bool Thermometer::dispatch(const SettingChange &change)
{
    // Built on the settings the thermometer confirmed last.
    const AppliedChange applied = ApplyChange(m_confirmed, m_model, change);
    if (applied.refusal != CommandRefusal::None) {
        emit commandRefused(applied.refusal);
        return false;
    }
    if (!send(applied.frame)) {
        m_waiting.clear();
        emit commandRefused(CommandRefusal::NotConnected);
        return false;
    }
    m_inFlight = change;
    m_acknowledgementTimeout->start(kAcknowledgementTimeoutMs);
    return true;
}

void Thermometer::sendNextCommand()
{
    while (!m_waiting.isEmpty() && !dispatch(m_waiting.takeFirst())) {}
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
