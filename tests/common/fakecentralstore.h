// A central server in memory for the sending logic's tests: rows keyed as the real table keys
// them (desk, port, day, quantity), every batch in the order it came, and switches for the
// faults that matter: unreachable, a connection that breaks after some batches, a batch refused,
// a server that hangs until the store is aborted. Shared by the test (which looks) and the store
// (which the sender owns, maybe on its own thread).
#pragma once

#include "central/centralstatus.h"
#include "central/centralstore.h"

#include <QMap>
#include <QMutex>
#include <QSet>
#include <QWaitCondition>

#include <memory>
#include <optional>
#include <tuple>

struct FakeCentralServer {
    struct Row {
        CentralReading reading;
        bool deleted = false;
    };
    using Key = std::tuple<QString, int, QDate, qint64>;

    mutable QMutex mutex;
    QWaitCondition released;
    QMap<Key, Row> rows;
    QList<CentralBatch> batches;
    bool reachable = true;
    // Batches that go through before the connection breaks (and the server is unreachable);
    // -1: no limit.
    int writesBeforeBreak = -1;
    // Batches of this port are refused.
    int refusePort = 0;
    // Writes wait until the store is aborted.
    bool hang = false;
    // A write is waiting in the hang.
    bool hanging = false;
    int opens = 0;

    QList<CentralBatch> takenBatches() const
    {
        const QMutexLocker lock(&mutex);
        return batches;
    }
    // The quantities of a day file's rows, not deleted or deleted.
    QList<qint64> quantities(const QString &desk, int port, QDate day, bool deleted) const
    {
        const QMutexLocker lock(&mutex);
        QList<qint64> found;
        for (auto it = rows.begin(); it != rows.end(); ++it)
            if (std::get<0>(it.key()) == desk && std::get<1>(it.key()) == port &&
                std::get<2>(it.key()) == day && it->deleted == deleted)
                found.append(std::get<3>(it.key()));
        return found;
    }
    std::optional<Row> row(const QString &desk, int port, QDate day, qint64 quantity) const
    {
        const QMutexLocker lock(&mutex);
        const auto it = rows.constFind({desk, port, day, quantity});
        return it == rows.constEnd() ? std::nullopt : std::optional(*it);
    }
    bool isHanging() const
    {
        const QMutexLocker lock(&mutex);
        return hanging;
    }
    void setReachable(bool on)
    {
        const QMutexLocker lock(&mutex);
        reachable = on;
    }
};

class FakeCentralStore : public CentralStore {
public:
    FakeCentralStore(std::shared_ptr<FakeCentralServer> server, QString desk)
        : m_server(std::move(server))
        , m_desk(std::move(desk))
    {}

    bool open() override
    {
        const QMutexLocker lock(&m_server->mutex);
        ++m_server->opens;
        m_open = m_server->reachable && !m_aborted;
        m_error = m_open ? QString() : QStringLiteral("connection refused");
        return m_open;
    }
    bool isOpen() const override { return m_open; }
    void close() override { m_open = false; }
    QString error() const override { return m_error; }
    void abort() override
    {
        const QMutexLocker lock(&m_server->mutex);
        m_aborted = true;
        m_server->released.wakeAll();
    }

    Outcome write(const CentralBatch &batch) override
    {
        QMutexLocker lock(&m_server->mutex);
        while (m_server->hang && !m_aborted) {
            m_server->hanging = true;
            m_server->released.wait(&m_server->mutex);
        }
        m_server->hanging = false;
        if (m_server->writesBeforeBreak == 0) {
            m_server->writesBeforeBreak = -1;
            m_server->reachable = false;
        }
        if (!m_open || !m_server->reachable || m_aborted) {
            m_open = false;
            m_error = QStringLiteral("server closed the connection unexpectedly");
            return Outcome::Unreachable;
        }
        if (batch.port == m_server->refusePort) {
            m_error = QStringLiteral("value out of range");
            return Outcome::Refused;
        }
        // The real server refuses a statement that stores one row twice; all of it or none.
        QSet<qint64> seen;
        for (const CentralReading &reading : batch.readings) {
            if (seen.contains(reading.quantity)) {
                m_error = QStringLiteral("ON CONFLICT DO UPDATE command cannot affect row a "
                                         "second time");
                return Outcome::Refused;
            }
            seen.insert(reading.quantity);
        }
        if (m_server->writesBeforeBreak > 0)
            --m_server->writesBeforeBreak;
        m_server->batches.append(batch);
        if (batch.restart)
            for (auto it = m_server->rows.begin(); it != m_server->rows.end(); ++it)
                if (std::get<0>(it.key()) == m_desk && std::get<1>(it.key()) == batch.port &&
                    std::get<2>(it.key()) == batch.day)
                    it->deleted = true;
        for (const CentralReading &reading : batch.readings)
            m_server->rows[{m_desk, batch.port, batch.day, reading.quantity}] = {reading, false};
        return Outcome::Written;
    }

private:
    std::shared_ptr<FakeCentralServer> m_server;
    QString m_desk;
    bool m_open = false;
    bool m_aborted = false;
    QString m_error;
};

// How a failed comparison shows a status.
inline char *toString(const CentralStatus &status)
{
    static const char *const links[] = {"unknown", "reachable", "unreachable"};
    return qstrdup(QByteArray(links[int(status.link)]) + ", " + QByteArray::number(status.waiting) +
                   " waiting");
}
