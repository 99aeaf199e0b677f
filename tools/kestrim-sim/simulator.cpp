#include "simulator.h"

#include "simcommand.h"

#include <QSocketNotifier>

#include <cerrno>
#include <cstdio>
#include <unistd.h>
#include <utility>

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

Simulator::Simulator(PseudoTerminal &terminal, const Thermometer &thermometer, QObject *parent)
    : QObject(parent)
    , m_terminal(terminal)
    , m_thermometer(thermometer)
{
    m_hostNotifier = new QSocketNotifier(terminal.masterDescriptor(), QSocketNotifier::Read, this);
    connect(m_hostNotifier, &QSocketNotifier::activated, this, &Simulator::readHost);
    connect(&m_readingTimer, &QTimer::timeout, this, &Simulator::sendReading);
}

void Simulator::readCommandsFrom(int descriptor)
{
    delete m_commandNotifier;
    m_commandNotifier = new QSocketNotifier(descriptor, QSocketNotifier::Read, this);
    connect(m_commandNotifier, &QSocketNotifier::activated, this, &Simulator::readCommands);
}

void Simulator::sendReadingsEvery(std::chrono::milliseconds interval)
{
    m_readingTimer.start(interval);
}

void Simulator::readHost()
{
    const QByteArray bytes = m_terminal.readAvailable();
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

// One read per notification: standard input stays blocking (it may be the operator's
// terminal, shared with the shell), and the notifier says a read will not wait.
void Simulator::readCommands()
{
    char buffer[4096];
    const ssize_t n = ::read(m_commandNotifier->socket(), buffer, sizeof buffer);
    if (n < 0 && errno == EINTR)
        return;
    if (n <= 0) {
        // End of input: the last line may lack its newline. Keep serving the host until a
        // signal ends the simulator, without watching a descriptor that stays readable.
        if (!m_commandText.isEmpty())
            runCommand(QString::fromUtf8(std::exchange(m_commandText, {})));
        m_commandNotifier->setEnabled(false);
        return;
    }
    m_commandText.append(buffer, n);
    qsizetype end;
    while ((end = m_commandText.indexOf('\n')) >= 0) {
        const QString line = QString::fromUtf8(m_commandText.first(end));
        m_commandText.remove(0, end + 1);
        runCommand(line);
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
    if (m_terminal.write(bytes))
        Say(QStringLiteral("tx ") + Hex(bytes));
    else
        Say(QStringLiteral("kestrim-sim: not sent (%1): %2")
                .arg(m_terminal.errorString(), Hex(bytes)));
}
