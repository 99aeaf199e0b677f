// One thermometer on one serial link: what it holds (model, unit, mode, alarm limit, its last
// settings report), how far the connection has come, and the settings commands on their way.
//
// Bytes come in through receive(); frames go out through the link's send function. What the
// thermometer says comes out as typed signals: a measurement is read here, in the settings the
// thermometer last confirmed, and handed on as a Measurement.
//
// A settings command counts only once the thermometer accepts it. One command is in flight at a
// time; commands asked for meanwhile wait in order behind it. Until the acknowledgement the
// confirmed settings stay as they were, and readings are read in them; shownSettings() is what
// the controls show: the confirmed settings with every waiting command's effect on top. On
// "success" the command's effect is applied to the latest confirmed settings; on "fail", or
// with no acknowledgement within kAcknowledgementTimeoutMs, the waiting commands are dropped and
// the settings asked for again, and the report decides. A report that arrives while a command
// is in flight updates the confirmed settings and leaves the command in flight.
//
// Connection states:
//   Closed        no port open
//   Opening       the port is open; the settings request is asked again every 2 s until the
//                 report arrives (an operator's Connect gives up after 5 s)
//   Connected     the report arrived
//   Reconnecting  the port was lost; one attempt to reopen it every 2 s
#pragma once

#include "clock.h"
#include "device/environmentqueryschedule.h"
#include "device/settingscommand.h"
#include "reception/framecodec.h"
#include "reception/measurement.h"

#include <QList>
#include <QObject>

#include <functional>
#include <memory>
#include <optional>

class Reconnector;

namespace device {

// A separate namespace keeps this apart from the simulator's thermometer of the same name.

enum class ConnectionState { Closed, Opening, Connected, Reconnecting };

// The thermometer's settings as the program believes them.
struct ThermometerSettings {
    TempUnit unit = TempUnit::Celsius;
    WorkMode mode = WorkMode::Surface;
    float alarmLimitC = 37.5f;
    float alarmLimitF = 99.5f;
    // The last settings report, or the last command taken, as upper-case hexadecimal text of
    // its frame; empty until the first report.
    QString report;
};

// How a thermometer reaches its port.
struct ThermometerLink {
    // Writes one frame; false when it could not be written (the port is closed).
    std::function<bool(const QByteArray &)> send;
    // One attempt to open the lost port again; true when it is open.
    std::function<bool()> reopen;
};

// The settings of the bottom band, on models that have them.
struct ProSettings {
    int volume = 0;    // index of the volume entry, 0 … 4
    int backlight = 0; // 0 off, 1 on
    int output = 0;    // 0 switch, 1 pulse
};

// One change of a setting, as the operator asked for it.
struct SettingChange {
    SettingField field = SettingUnit;
    int value = 0;
    QString alarmText;    // the alarm list's chosen entry, for the alarm limit
    int volumeIndex = -1; // the volume list's chosen entry, for the volume
};

class Thermometer : public QObject {
    Q_OBJECT

public:
    // While opening, the settings request goes out again at this interval.
    static constexpr int kRequestRetryMs = 2000;
    // An operator's Connect waits this long for the report before it gives up.
    static constexpr int kAnswerTimeoutMs = 5000;
    // A command not acknowledged within this time counts as lost.
    static constexpr int kAcknowledgementTimeoutMs = 2000;

    explicit Thermometer(ThermometerLink link,
                         std::shared_ptr<const Clock> clock = std::make_shared<Clock>(),
                         QObject *parent = nullptr);
    ~Thermometer() override;

    ConnectionState state() const { return m_state; }
    // The port is open (opening or connected).
    bool isPortOpen() const
    {
        return m_state == ConnectionState::Opening || m_state == ConnectionState::Connected;
    }
    // The port the readings of this connection belong to.
    int portNumber() const { return m_portNumber; }
    // The port was opened by the operator's Connect, not by the reconnector.
    bool openedByOperator() const { return m_byOperator; }

    MachineType model() const { return m_model; }
    // The operator's choice; a report of another model's length changes it again.
    void setModel(MachineType model) { m_model = model; }
    // The settings the thermometer last confirmed: readings are read in these.
    const ThermometerSettings &settings() const { return m_confirmed; }
    // What the controls show: the confirmed settings with the waiting commands on top.
    ThermometerSettings shownSettings() const;
    TempUnit unit() const { return m_confirmed.unit; }
    WorkMode mode() const { return m_confirmed.mode; }
    float alarmLimitC() const { return m_confirmed.alarmLimitC; }
    float alarmLimitF() const { return m_confirmed.alarmLimitF; }
    QString report() const { return m_confirmed.report; }
    // The environment temperature last sent, in both units; nothing before the first.
    bool hasEnvironment() const { return m_hasEnvironment; }
    float envTempC() const { return m_envTempC; }
    float envTempF() const { return m_envTempF; }
    // The bottom band's settings as shown (waiting commands included); nothing when the model
    // has no bottom band or no report has come.
    std::optional<ProSettings> proSettings() const;
    // A command is waiting for its acknowledgement.
    bool commandInFlight() const { return m_inFlight.has_value(); }

    // The port `portNumber` has just been opened, by the operator or by the reconnector: the
    // half frame of an earlier link is dropped and the settings are asked for.
    void portOpened(int portNumber, bool byOperator);
    // The operator closed the port, or gave up waiting for it.
    void portClosed();
    // The open port failed: the thermometer is waited for on the same port.
    void portLost();

    // Bytes as they arrive from the port.
    void receive(QByteArrayView bytes);

    // Sends the change, or queues it behind the command in flight. False when it cannot be made
    // at all; commandRefused() then says why, and nothing changed.
    bool sendCommand(const SettingChange &change);
    bool sendCommand(SettingField field, int value, const QString &alarmText = {},
                     int volumeIndex = -1)
    {
        return sendCommand(SettingChange{field, value, alarmText, volumeIndex});
    }

    // One tick of the one-second timer: true when the environment query was sent.
    bool queryTick();
    const EnvironmentQuerySchedule &querySchedule() const { return m_query; }
    // The hidden environment button: asks at once.
    void queryEnvironment();

    // Counters of the frame codec, for the log and tests.
    const FrameCodec::Counters &codecCounters() const { return m_codec.counters(); }
    // Frames that were too short for their kind.
    quint64 shortFrames() const { return m_shortFrames; }
    int reconnectAttempts() const;

signals:
    void stateChanged(device::ConnectionState state);
    // A settings report was taken: every confirmed setting may have changed. `answersConnect`
    // is false for a report asked for again while connected.
    void reportApplied(bool answersConnect);
    // The report was of another model than the one chosen; model() is now that one.
    void modelChanged(MachineType model);
    // A report named a unit or mode no model has; it was not taken, and the settings are asked
    // for again. Once per connection.
    void reportRejected();
    // A change went out, or waits behind the command in flight: shownSettings() holds it.
    void commandPending(SettingField field);
    // The thermometer answered the command in flight: taken (settings() holds it), or refused
    // (the waiting commands are dropped and the settings asked for again).
    void acknowledged(bool success, SettingField field);
    // The command in flight had no answer in time: treated as refused.
    void acknowledgementMissing(SettingField field);
    // A command could not be made; nothing changed.
    void commandRefused(CommandRefusal reason);
    void environment(float tenthsDecoded);
    void measured(const Measurement &measurement);
    // An operator's Connect got no report in time; the state is Closed, the port still open.
    void noAnswer();

private:
    void setState(ConnectionState state);
    void handleFrame(const FrameView &frame);
    void applyReport(QByteArrayView payload);
    void onAcknowledgement(QByteArrayView payload);
    void onMeasurement(quint16 value);
    void dropCommands();
    // Sends `change`, built on the confirmed settings, as the command in flight; false when it
    // cannot be built or sent (commandRefused() says why; a closed port drops the waiting ones).
    bool dispatch(const SettingChange &change);
    void sendNextCommand();
    void commandLost(bool answered, SettingField field);
    void requestSettings();
    bool send(const QByteArray &frame);

    ThermometerLink m_link;
    std::shared_ptr<const Clock> m_clock;
    FrameCodec m_codec;
    ConnectionState m_state = ConnectionState::Closed;
    int m_portNumber = 0;
    bool m_byOperator = false;
    MachineType m_model = MachineType::R9Pro;
    ThermometerSettings m_confirmed;
    std::optional<SettingChange> m_inFlight;
    QList<SettingChange> m_waiting;
    bool m_toldRejectedReport = false;
    float m_readingC = 0.0f, m_readingF = 0.0f;
    bool m_hasEnvironment = false;
    float m_envTempC = 0.0f, m_envTempF = 0.0f;
    quint64 m_shortFrames = 0;
    std::unique_ptr<ClockTimer> m_requestRetry;
    std::unique_ptr<ClockTimer> m_answerTimeout;
    std::unique_ptr<ClockTimer> m_acknowledgementTimeout;
    Reconnector *m_reconnector = nullptr;
    // m_queryTicks, m_queryPeriod (25) and m_queryNow: when the environment query goes out.
    EnvironmentQuerySchedule m_query{25};
};

// The settings after `change` is taken on top of `settings` with a thermometer of `model`, or
// the reason it cannot be made.
struct AppliedChange {
    CommandRefusal refusal = CommandRefusal::None;
    QByteArray frame;
    ThermometerSettings settings;
};
AppliedChange ApplyChange(const ThermometerSettings &settings, MachineType model,
                          const SettingChange &change);

} // namespace device
