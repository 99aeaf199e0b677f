#include "centralsender.h"

#include "centralstore.h"
#include "centralsync.h"
#include "centralthread.h"

CentralSender::CentralSender(std::unique_ptr<CentralStore> store, CentralCursors cursors,
                             CentralBackoff backoff, QObject *parent)
    : QObject(parent)
    , m_store(store.get())
{
    m_thread = new QThread;
    m_thread->setObjectName(QStringLiteral("central sender"));
    m_sync = new CentralSync(std::move(store), std::move(cursors), backoff);
    m_sync->moveToThread(m_thread);
    connect(m_thread, &QThread::finished, m_sync, &QObject::deleteLater);
    connect(m_sync, &CentralSync::statusChanged, this, [this](const CentralStatus &status) {
        m_status = status;
        emit statusChanged(status);
    });
    m_thread->start();
    QMetaObject::invokeMethod(m_sync, &CentralSync::start, Qt::QueuedConnection);
}

CentralSender::~CentralSender()
{
    m_store->abort();
    LetGoOfThread(m_thread);
}

void CentralSender::dayFileChanged(const QString &dayFile)
{
    QMetaObject::invokeMethod(
        m_sync, [sync = m_sync, dayFile] { sync->dayFileChanged(dayFile); }, Qt::QueuedConnection);
}
