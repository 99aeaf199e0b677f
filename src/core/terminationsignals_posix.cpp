#include "terminationsignals.h"

#include <QSocketNotifier>

#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <unistd.h>

namespace {

constexpr int kSignals[] = {SIGINT, SIGTERM, SIGHUP};

// The write end of the pipe, for the handler; only async-signal-safe calls touch it.
volatile sig_atomic_t g_writeEnd = -1;

} // namespace

TerminationSignals::TerminationSignals(QObject *parent)
    : QObject(parent)
{}

TerminationSignals::~TerminationSignals()
{
    if (m_pipe[1] < 0)
        return;
    for (int number : kSignals)
        std::signal(number, SIG_DFL);
    g_writeEnd = -1;
    ::close(m_pipe[0]);
    ::close(m_pipe[1]);
}

void TerminationSignals::Handle(int signalNumber)
{
    const int savedErrno = errno;
    const auto byte = static_cast<unsigned char>(signalNumber);
    [[maybe_unused]] const ssize_t written = ::write(g_writeEnd, &byte, 1);
    errno = savedErrno;
}

bool TerminationSignals::install()
{
    if (::pipe2(m_pipe, O_CLOEXEC | O_NONBLOCK) != 0)
        return false;
    g_writeEnd = m_pipe[1];
    m_notifier = new QSocketNotifier(m_pipe[0], QSocketNotifier::Read, this);
    connect(m_notifier, &QSocketNotifier::activated, this, &TerminationSignals::drain);

    struct sigaction action {};
    action.sa_handler = &TerminationSignals::Handle;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (int number : kSignals) {
        if (::sigaction(number, &action, nullptr) != 0)
            return false;
    }
    return true;
}

void TerminationSignals::drain()
{
    unsigned char byte = 0;
    while (::read(m_pipe[0], &byte, 1) == 1)
        emit received(byte);
}
