#include "terminationsignals.h"

#include <QCoreApplication>
#include <QMetaObject>

#include <windows.h>

namespace {

// The console's Ctrl+C, Ctrl+Break and close come on a thread of their own; they are handed to
// the event loop like the signals on Unix.
TerminationSignals *g_installed = nullptr;

BOOL WINAPI ConsoleEvent(DWORD event)
{
    if (!g_installed)
        return FALSE;
    TerminationSignals *receiver = g_installed;
    const int number = int(event);
    QMetaObject::invokeMethod(
        receiver, [receiver, number] { emit receiver->received(number); }, Qt::QueuedConnection);
    return TRUE;
}

} // namespace

TerminationSignals::TerminationSignals(QObject *parent)
    : QObject(parent)
{}

TerminationSignals::~TerminationSignals()
{
    if (g_installed != this)
        return;
    ::SetConsoleCtrlHandler(&ConsoleEvent, FALSE);
    g_installed = nullptr;
}

bool TerminationSignals::install()
{
    g_installed = this;
    return ::SetConsoleCtrlHandler(&ConsoleEvent, TRUE) != 0;
}

void TerminationSignals::drain() {}

void TerminationSignals::Handle(int) {}
