// The central sender as the window holds it: the sending logic (CentralSync) on a thread of its
// own, so that a server that is slow, hung or gone never holds up the window. The window tells
// it which day file changed and receives the status; nothing else crosses between the threads.
#pragma once

#include "centralbackoff.h"
#include "centralcursors.h"
#include "centralstatus.h"
#include "centralthread.h"

#include <QObject>

#include <memory>

class CentralStore;
class CentralSync;

class CentralSender : public QObject {
    Q_OBJECT

public:
    // Starts the thread and, on it, the look at every day file. `store` is used on that thread
    // only (it makes its connection there).
    CentralSender(std::unique_ptr<CentralStore> store, CentralCursors cursors,
                  CentralBackoff backoff = {}, QObject *parent = nullptr);
    // Cuts off whatever waits on the server and lets go of the thread (LetGoOfThread).
    ~CentralSender() override;

    void dayFileChanged(const QString &dayFile);
    const CentralStatus &status() const { return m_status; }

signals:
    void statusChanged(const CentralStatus &status);

private:
    CentralWorkerThread<CentralSync> m_sync;
    CentralStatus m_status;
};
