#include "centralreader.h"

CentralReader::CentralReader(const CentralSettings &settings, QObject *parent)
    : QObject(parent)
    , m_worker(QStringLiteral("central reader"), new CentralReadWorker(settings))
{
    connect(m_worker.worker(), &CentralReadWorker::daysRead, this, &CentralReader::daysRead);
    connect(m_worker.worker(), &CentralReadWorker::dayRead, this, &CentralReader::dayRead);
}

CentralReader::~CentralReader() = default;

void CentralReader::readDays()
{
    m_worker.post([](CentralReadWorker &worker) { worker.readDays(); });
}

void CentralReader::readDay(QDate day)
{
    m_worker.post([day](CentralReadWorker &worker) { worker.readDay(day); });
}
