#include "centralsender.h"

#include "centraljournal.h"
#include "centralstore.h"
#include "centralsync.h"

CentralSender::CentralSender(std::unique_ptr<CentralStore> store, CentralCursors cursors,
                             CentralBackoff backoff, QObject *parent)
    : QObject(parent)
    , m_sync(QStringLiteral("central sender"),
             new CentralSync(std::move(store), std::move(cursors), backoff))
{
    connect(m_sync.worker(), &CentralSync::statusChanged, this,
            [this](const CentralStatus &status) {
                m_status = status;
                emit statusChanged(status);
            });
    // Before the thread looks at anything, and before this desk can delete again: a deletion
    // noted by a run that stopped before the rewrite is withdrawn, one it made is kept.
    CentralJournal().settle();
    m_sync.post([](CentralSync &sync) { sync.start(); });
}

CentralSender::~CentralSender() = default;

void CentralSender::dayFileChanged(const QString &dayFile)
{
    m_sync.post([dayFile](CentralSync &sync) { sync.dayFileChanged(dayFile); });
}
