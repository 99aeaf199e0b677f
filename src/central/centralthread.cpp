#include "centralthread.h"

#include "logging.h"

void LetGoOfThread(QThread *thread, int waitMs)
{
    thread->quit();
    if (thread->wait(QDeadlineTimer(waitMs))) {
        delete thread;
        return;
    }
    qCWarning(lcCentral) << thread->objectName()
                         << "is still waiting on the server; it ends by itself";
    QObject::connect(thread, &QThread::finished, thread, &QObject::deleteLater);
}
