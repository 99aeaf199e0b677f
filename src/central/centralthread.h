// The thread a central worker (the sender's or the history's reader) runs on, and how the
// window lets go of it: the worker is told to give up whatever waits on the server, and the
// thread is waited for only briefly. A thread still busy then (blocked where nothing can cut it
// short, such as a name lookup) is left to end by itself and deletes itself and its worker when
// it does: the window is never held by the network.
#pragma once

#include <QMetaObject>
#include <QObject>
#include <QThread>

#include <utility>

// Ends `thread` (running `worker`, deleted when the thread finishes); returns within `waitMs`.
void LetGoOfThread(QThread *thread, int waitMs = 300);

// Owns a worker and the thread it lives on. The worker is moved to a new, started thread at
// construction; calls reach it queued (post); on destruction the worker's abort(), the one call
// made on it from the owner's thread, cuts off what it waits on, and the thread is let go of.
template <typename Worker> class CentralWorkerThread {
public:
    CentralWorkerThread(const QString &name, Worker *worker)
        : m_thread(new QThread)
        , m_worker(worker)
    {
        m_thread->setObjectName(name);
        m_worker->moveToThread(m_thread);
        QObject::connect(m_thread, &QThread::finished, m_worker, &QObject::deleteLater);
        m_thread->start();
    }
    ~CentralWorkerThread()
    {
        m_worker->abort();
        LetGoOfThread(m_thread);
    }
    CentralWorkerThread(const CentralWorkerThread &) = delete;
    CentralWorkerThread &operator=(const CentralWorkerThread &) = delete;

    // The worker, for connecting to its signals; it lives on the other thread.
    Worker *worker() const { return m_worker; }

    // Runs call(worker) on the worker's thread, after whatever was posted before it.
    template <typename Call> void post(Call call) const
    {
        QMetaObject::invokeMethod(
            m_worker, [worker = m_worker, call = std::move(call)] { call(*worker); },
            Qt::QueuedConnection);
    }

private:
    QThread *m_thread; // let go of at the end, never waited on for long
    Worker *m_worker;  // lives on m_thread, deleted when it ends
};
