// The simulator's pseudo-terminal, from the host's side: bytes cross unchanged and unechoed at
// once (no line discipline), and the master stays quiet while no host has the port open, so
// the simulator does not wake up without end.
#include "kestrim-sim/pseudoterminal.h"

#include <QDeadlineTimer>
#include <QTest>

#include <fcntl.h>
#include <poll.h>
#include <unistd.h>

namespace {

constexpr int kTimeoutMs = 10000;

short PendingEvents(int descriptor, int timeoutMs)
{
    pollfd watched{descriptor, POLLIN, 0};
    return ::poll(&watched, 1, timeoutMs) > 0 ? watched.revents : short(0);
}

// Reads until `size` bytes have come or the time is up.
QByteArray ReadAtLeast(int descriptor, qsizetype size)
{
    QByteArray bytes;
    char buffer[256];
    const QDeadlineTimer deadline(kTimeoutMs);
    while (bytes.size() < size && !deadline.hasExpired()) {
        if (!(PendingEvents(descriptor, int(deadline.remainingTime())) & POLLIN))
            continue;
        const ssize_t n = ::read(descriptor, buffer, sizeof buffer);
        if (n > 0)
            bytes.append(buffer, n);
    }
    return bytes;
}

} // namespace

class TestSimTerminal : public QObject {
    Q_OBJECT

private slots:
    void masterIsQuietWithoutHost();
    void bytesCrossRawBothWays();
};

void TestSimTerminal::masterIsQuietWithoutHost()
{
    PseudoTerminal terminal;
    QVERIFY2(terminal.open(), qPrintable(terminal.errorString()));
    QVERIFY(terminal.slavePath().startsWith(QLatin1String("/dev/")));
    QCOMPARE(PendingEvents(terminal.masterDescriptor(), 0), short(0));
    QVERIFY(terminal.readAvailable().isEmpty());
}

void TestSimTerminal::bytesCrossRawBothWays()
{
    PseudoTerminal terminal;
    QVERIFY2(terminal.open(), qPrintable(terminal.errorString()));
    // The host opens the port without touching its settings.
    const int host = ::open(terminal.slavePath().toLocal8Bit().constData(), O_RDWR | O_NOCTTY);
    QVERIFY(host >= 0);

    // No newline, a CR and a byte that a cooked terminal would take as a signal (^C).
    const QByteArray toHost = QByteArray::fromHex("55AA07040D0378") + QByteArray("\x03", 1);
    QVERIFY(terminal.write(toHost));
    QCOMPARE(ReadAtLeast(host, toHost.size()).toHex(' '), toHost.toHex(' '));

    // What reaches the master is the host's bytes only: nothing of the above echoed back.
    const QByteArray fromHost = QByteArray::fromHex("55AA050105");
    QCOMPARE(::write(host, fromHost.constData(), size_t(fromHost.size())), fromHost.size());
    QCOMPARE(ReadAtLeast(terminal.masterDescriptor(), fromHost.size()).toHex(' '),
             fromHost.toHex(' '));

    // The host closes the port: still quiet, ready for the next host.
    ::close(host);
    QCOMPARE(PendingEvents(terminal.masterDescriptor(), 0), short(0));
}

QTEST_GUILESS_MAIN(TestSimTerminal)
#include "tst_sim_terminal_posix.moc"
