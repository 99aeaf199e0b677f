// The thread a central worker (the sender's or the history's reader) runs on, and how the
// window lets go of it: the worker is told to give up whatever waits on the server, and the
// thread is waited for only briefly. A thread still busy then (blocked where nothing can cut it
// short, such as a name lookup) is left to end by itself and deletes itself and its worker when
// it does: the window is never held by the network.
#pragma once

#include <QThread>

// Ends `thread` (running `worker`, deleted when the thread finishes); returns within `waitMs`.
void LetGoOfThread(QThread *thread, int waitMs = 300);
