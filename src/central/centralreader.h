// The history window's side of reading the central records: a CentralReadWorker on its own
// thread for as long as the window is open. Asking returns at once; the answer comes as a
// signal. Ending cuts off a read that waits on the server and lets go of the thread.
#pragma once

#include "centralreadworker.h"
#include "centralsettings.h"
#include "centralthread.h"
#include "centralview.h"

#include <QObject>

class CentralReader : public QObject {
    Q_OBJECT

public:
    explicit CentralReader(const CentralSettings &settings, QObject *parent = nullptr);
    ~CentralReader() override;

    void readDays();
    void readDay(QDate day);

signals:
    void daysRead(const QList<CentralDay> &days, const QString &error);
    void dayRead(QDate day, const QList<CentralRow> &rows, const QString &error);

private:
    CentralWorkerThread<CentralReadWorker> m_worker;
};
