#include "centralreader.h"

#include "centralreadworker.h"
#include "centralthread.h"

CentralReader::CentralReader(const CentralSettings &settings, QObject *parent)
    : QObject(parent)
{
    m_thread = new QThread;
    m_thread->setObjectName(QStringLiteral("central reader"));
    m_worker = new CentralReadWorker(settings);
    m_worker->moveToThread(m_thread);
    connect(m_thread, &QThread::finished, m_worker, &QObject::deleteLater);
    connect(m_worker, &CentralReadWorker::daysRead, this, &CentralReader::daysRead);
    connect(m_worker, &CentralReadWorker::dayRead, this, &CentralReader::dayRead);
    m_thread->start();
}

CentralReader::~CentralReader()
{
    m_worker->abort();
    LetGoOfThread(m_thread);
}

void CentralReader::readDays()
{
    QMetaObject::invokeMethod(m_worker, &CentralReadWorker::readDays, Qt::QueuedConnection);
}

void CentralReader::readDay(QDate day)
{
    QMetaObject::invokeMethod(
        m_worker, [worker = m_worker, day] { worker->readDay(day); }, Qt::QueuedConnection);
}
