#include "simulator.h"

#include "commandinput.h"
#include "simcommand.h"

#include <cstdio>

namespace {

void Say(const QString &line)
{
    std::fprintf(stderr, "%s\n", qPrintable(line));
    std::fflush(stderr);
}

QString Hex(const QByteArray &bytes)
{
    return QString::fromLatin1(bytes.toHex(' ').toUpper());
}

} // namespace

Simulator::Simulator(SimTransport &transport, const Thermometer &thermometer, QObject *parent)
    : QObject(parent)
    , m_transport(transport)
    , m_thermometer(thermometer)
{
    connect(&transport, &SimTransport::received, this, &Simulator::readHost);
    connect(&m_readingTimer, &QTimer::timeout, this, &Simulator::sendReading);
}

// At the end of the input the simulator keeps serving the host until it is told to stop.
void Simulator::readCommands()
{
    if (m_commands)
        return;
    m_commands = new CommandInput(this);
    connect(m_commands, &CommandInput::line, this,
            [this](const QString &line) { runCommand(line); });
    m_commands->start();
}

void Simulator::sendReadingsEvery(std::chrono::milliseconds interval)
{
    m_readingTimer.start(interval);
}

void Simulator::readHost(const QByteArray &bytes)
{
    const quint64 droppedBefore = m_codec.counters().droppedBytes;
    const QList<Frame> frames = m_codec.feed(bytes);
    const quint64 dropped = m_codec.counters().droppedBytes - droppedBefore;
    if (dropped > 0)
        Say(QStringLiteral("skipped %1 byte(s) outside frames").arg(dropped));
    for (const Frame &frame : frames) {
        Say(QStringLiteral("rx ") + Hex(frame.bytes));
        for (const QByteArray &reply : m_thermometer.answer(frame))
            send(reply);
    }
}

void Simulator::runCommand(QStringView line)
{
    const SimCommand command = SimCommand::Parse(line, m_thermometer.state().mode);
    switch (command.kind) {
    case SimCommand::Kind::Nothing:
        break;
    case SimCommand::Kind::Send:
        send(command.bytes);
        break;
    case SimCommand::Kind::SetEnvironment:
        m_thermometer.setEnvironment(command.tenths);
        break;
    case SimCommand::Kind::LateReport:
        m_thermometer.sendLateReportOnNextCommand();
        Say(QStringLiteral("the next settings command gets a late report first"));
        break;
    case SimCommand::Kind::LoseAck:
        m_thermometer.loseNextAcknowledgement();
        Say(QStringLiteral("the next settings command gets no acknowledgement"));
        break;
    case SimCommand::Kind::Quit:
        emit quitRequested();
        break;
    case SimCommand::Kind::Invalid:
        Say(QStringLiteral("kestrim-sim: ") + command.complaint);
        break;
    }
}

void Simulator::sendReading()
{
    if (m_thermometer.hostListening())
        send(m_thermometer.nextReading());
}

void Simulator::send(const QByteArray &bytes)
{
    if (m_transport.write(bytes))
        Say(QStringLiteral("tx ") + Hex(bytes));
    else
        Say(QStringLiteral("kestrim-sim: not sent (%1): %2")
                .arg(m_transport.errorString(), Hex(bytes)));
}
