// One thermometer on one serial link: what it holds (model, unit, mode, alarm limit, its last
// settings report) and how far the connection has come.
//
// Bytes come in through receive(); frames go out through the link's send function. What the
// thermometer says comes out as typed signals. The window reads its state from here and never
// from its own controls, so the unit, mode and limit a reading is judged with are always the
// ones the thermometer holds: a settings command changes them only once it has been sent, and
// keeps the change only while the thermometer does not refuse it.
//
// Connection states:
//   Closed        no port open
//   Opening       the port is open; the settings request is asked again every 2 s until the
//                 report arrives (an operator's Connect gives up after 5 s)
//   Connected     the report arrived
//   Reconnecting  the port was lost; one attempt to reopen it every 2 s
#pragma once

#include "device/environmentqueryschedule.h"
#include "device/settingscommand.h"
#include "reception/framecodec.h"
#include "reception/measurement.h"

#include <QObject>
#include <QTimer>

#include <functional>
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
    // The last settings report or command sent, as upper-case hexadecimal text of its frame.
    QString report;
};

// How a thermometer reaches its port.
struct ThermometerLink {
    // Writes one frame; false when it could not be written (the port is closed).
    std::function<bool(const QByteArray &)> send;
    // One attempt to open the lost port again; true when it is open.
    std::function<bool()> reopen;
};

// The R9 Pro report's extra fields.
struct ProSettings {
    int volume = 0;    // index of the volume entry, 0 … 4
    int backlight = 0; // 0 off, 1 on
    int output = 0;    // 0 switch, 1 pulse
};

class Thermometer : public QObject {
    Q_OBJECT

public:
    // While opening, the settings request goes out again at this interval.
    static constexpr int kRequestRetryMs = 2000;
    // An operator's Connect waits this long for the report before it gives up.
    static constexpr int kAnswerTimeoutMs = 5000;

    explicit Thermometer(ThermometerLink link, QObject *parent = nullptr);
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
    void setModel(MachineType model) { m_model = model; }
    const ThermometerSettings &settings() const { return m_settings; }
    TempUnit unit() const { return m_settings.unit; }
    WorkMode mode() const { return m_settings.mode; }
    float alarmLimitC() const { return m_settings.alarmLimitC; }
    float alarmLimitF() const { return m_settings.alarmLimitF; }
    QString report() const { return m_settings.report; }
    float readingC() const { return m_readingC; }
    float readingF() const { return m_readingF; }
    float envTempC() const { return m_envTempC; }
    float envTempF() const { return m_envTempF; }
    // What a measurement is read with, in the interface language `language`.
    MeasurementSettings measurementSettings(Language language) const;
    // The reading just shown, kept for the unit buttons and the next reading.
    void setReading(float readingC, float readingF);

    // The port `portNumber` has just been opened, by the operator or by the reconnector: the
    // half frame of an earlier link is dropped and the settings are asked for.
    void portOpened(int portNumber, bool byOperator);
    // The operator closed the port, or gave up waiting for it.
    void portClosed();
    // The open port failed: the thermometer is waited for on the same port.
    void portLost();

    // Bytes as they arrive from the port.
    void receive(QByteArrayView bytes);

    // Builds the command that changes `field`, sends it and, once sent, takes its effect.
    // `alarmText` and `volumeIndex` are the operator's choices for the alarm and volume lists.
    // False when nothing was sent; commandRefused() then says why.
    bool sendCommand(SettingField field, int value, const QString &alarmText = {},
                     int volumeIndex = -1);

    // One tick of the one-second timer: true when the environment query was sent.
    bool queryTick();
    const EnvironmentQuerySchedule &querySchedule() const { return m_query; }
    // The hidden environment button: asks at once.
    void queryEnvironment();

    // Counters of the frame codec, for the log and tests.
    const FrameCodec::Counters &codecCounters() const { return m_codec.counters(); }
    // The settings of the R9 Pro's bottom band in the last report or command; nothing when
    // that frame has no such fields.
    std::optional<ProSettings> proSettings() const;
    // Frames that were too short for their kind.
    quint64 shortFrames() const { return m_shortFrames; }
    int reconnectAttempts() const;

signals:
    void stateChanged(device::ConnectionState state);
    // A settings report was taken: every setting may have changed. `hasPro` is set when the
    // report carried the R9 Pro's fields and the R9 Pro is chosen. `answersConnect` is false
    // for a report asked for again while connected (after a refused command).
    void reportApplied(bool hasPro, const device::ProSettings &pro, bool answersConnect);
    // A command was sent and its effect taken (settings() holds it).
    void commandSent(SettingField field);
    // The thermometer answered a command: taken, or refused (the settings are back as they
    // were and asked for again).
    void acknowledged(bool success);
    // A command could not be sent; nothing changed.
    void commandRefused(CommandRefusal reason);
    void environment(float tenthsDecoded);
    void measured(quint16 count);
    // An operator's Connect got no report in time; the state is Closed, the port still open.
    void noAnswer();

private:
    void setState(ConnectionState state);
    void handleFrame(const FrameView &frame);
    void applyReport(QByteArrayView payload, QByteArrayView frame);
    void onAcknowledgement(QByteArrayView payload);
    void requestSettings();
    bool send(const QByteArray &frame);

    ThermometerLink m_link;
    FrameCodec m_codec;
    ConnectionState m_state = ConnectionState::Closed;
    int m_portNumber = 0;
    bool m_byOperator = false;
    MachineType m_model = MachineType::R9Pro;
    ThermometerSettings m_settings;
    // The settings before the commands not yet acknowledged.
    ThermometerSettings m_confirmed;
    float m_readingC = 0.0f, m_readingF = 0.0f;
    float m_envTempC = 0.0f, m_envTempF = 0.0f;
    quint64 m_shortFrames = 0;
    QTimer m_requestRetry;
    QTimer m_answerTimeout;
    Reconnector *m_reconnector = nullptr;
    // m_queryTicks, m_queryPeriod (25) and m_queryNow: when the environment query goes out.
    EnvironmentQuerySchedule m_query{25};
};

} // namespace device
