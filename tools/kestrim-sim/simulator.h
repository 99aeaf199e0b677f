// The running simulator: the thermometer behind a pseudo-terminal, driven by the host's frames,
// by command lines on standard input and, when asked, by a timer that takes readings.
//
// Its log is its interface: every frame received is written to standard error as
// "rx 55 AA 05 01 05", every frame sent as "tx …", bytes outside frames as "skipped N byte(s)",
// and a bad command line as a one-line complaint.
#pragma once

#include "pseudoterminal.h"
#include "thermometer.h"

#include "reception/framecodec.h"

#include <QObject>
#include <QTimer>

#include <chrono>

class QSocketNotifier;

class Simulator : public QObject {
    Q_OBJECT

public:
    // The terminal must be open and outlive the simulator.
    Simulator(PseudoTerminal &terminal, const Thermometer &thermometer, QObject *parent = nullptr);

    // Takes command lines from this descriptor (standard input) until its end.
    void readCommandsFrom(int descriptor);
    // Sends a plausible reading every interval, once a host has asked for the settings report.
    void sendReadingsEvery(std::chrono::milliseconds interval);

    const Thermometer &thermometer() const { return m_thermometer; }

private:
    void readHost();
    void readCommands();
    void runCommand(QStringView line);
    void sendReading();
    void send(const QByteArray &bytes);

    PseudoTerminal &m_terminal;
    Thermometer m_thermometer;
    FrameCodec m_codec;
    QSocketNotifier *m_hostNotifier = nullptr;
    QSocketNotifier *m_commandNotifier = nullptr;
    QByteArray m_commandText; // the start of a line not yet ended
    QTimer m_readingTimer;
};
