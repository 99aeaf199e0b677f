// The running simulator: the thermometer behind a transport (a pseudo-terminal or a local
// socket), driven by the host's frames,
// by command lines on standard input and, when asked, by a timer that takes readings.
//
// Its log is its interface: every frame received is written to standard error as
// "rx 55 AA 05 01 05", every frame sent as "tx …", bytes outside frames as "skipped N byte(s)",
// and a bad command line as a one-line complaint.
#pragma once

#include "simtransport.h"
#include "thermometer.h"

#include "reception/framecodec.h"

#include <QObject>
#include <QTimer>

#include <chrono>

class CommandInput;

class Simulator : public QObject {
    Q_OBJECT

public:
    // The transport must be open and outlive the simulator.
    Simulator(SimTransport &transport, const Thermometer &thermometer, QObject *parent = nullptr);

    // Takes command lines from standard input until its end.
    void readCommands();
    // Sends a plausible reading every interval, once a host has asked for the settings report.
    void sendReadingsEvery(std::chrono::milliseconds interval);

    const Thermometer &thermometer() const { return m_thermometer; }

signals:
    // The command "quit" was typed.
    void quitRequested();

private:
    void readHost(const QByteArray &bytes);
    void runCommand(QStringView line);
    void sendReading();
    void send(const QByteArray &bytes);

    SimTransport &m_transport;
    Thermometer m_thermometer;
    FrameCodec m_codec;
    CommandInput *m_commands = nullptr;
    QTimer m_readingTimer;
};
