// The thermometer's side of the link: given a frame from the host, which frames go back.
//
// It answers the settings request with its settings report, the environment query with the
// environment temperature and a settings command with an acknowledgement, applying the command
// first. It also builds the measurement frames the operator "takes". Pure logic: no port, no
// clock, so a test can hold a whole conversation with it.
#pragma once

#include "thermometerstate.h"

#include "reception/frame.h"

#include <QByteArray>
#include <QList>

class Thermometer {
public:
    // refuseSettings: acknowledge every settings command with a failure and apply nothing.
    explicit Thermometer(const ThermometerState &state = {}, bool refuseSettings = false);

    const ThermometerState &state() const { return m_state; }

    // The frames to send back for one received frame, in order (none for frames it ignores).
    QList<QByteArray> answer(const Frame &frame);

    // Code 1: unit, mode, limit and, on the R9 Pro, volume, backlight, output, language.
    QByteArray settingsReport() const;
    // Code 3: the environment temperature in the current unit.
    QByteArray environmentFrame() const;
    // Code 4: a reading, tenths in the current unit (or a count in count mode).
    static QByteArray MeasurementFrame(quint16 value);

    // tenths in the current unit
    void setEnvironment(quint16 tenths) { m_state.environment = tenths; }

    // A reading a person could plausibly give: 36.2 … 37.2 °C (in the current unit), or in
    // count mode the next count.
    QByteArray nextReading();

    // The next settings command is answered by the report of the settings before it, and only
    // then by its acknowledgement, as when a report asked for earlier arrives late.
    void sendLateReportOnNextCommand() { m_lateReport = true; }
    // The next settings command is taken, but never acknowledged.
    void loseNextAcknowledgement() { m_loseAck = true; }

    // A host has asked for the settings report, so someone is listening.
    bool hostListening() const { return m_hostListening; }

private:
    bool applySettings(QByteArrayView payload);

    ThermometerState m_state;
    bool m_refuseSettings = false;
    bool m_hostListening = false;
    bool m_lateReport = false;
    bool m_loseAck = false;
    quint16 m_count = 0;
};
