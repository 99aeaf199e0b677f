// A central server in memory for the sending logic's tests: rows keyed as the real table keys
// them (installation, port, day, quantity, removal; the desk stands for the installation here),
// every batch in the order it came, deletions mirrored as the real store does, and switches for
// the faults that matter: unreachable, a connection that breaks after some batches, a batch
// refused (an error not about the data), a reading refused as data, a server that hangs until
// the store is aborted. Shared by the test (which looks) and the store
// (which the sender owns, maybe on its own thread).
#pragma once

#include "centralstatus.h"
#include "centralstore.h"

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
    // Removal 0: the file's current row; otherwise the deletion that removed it.
    using Key = std::tuple<QString, int, QDate, qint64, qint64>;

    mutable QMutex mutex;
    QWaitCondition released;
    QMap<Key, Row> rows;
    QList<CentralBatch> batches;
    bool reachable = true;
    // Connecting fails as a server refusing the password does.
    bool refusePassword = false;
    // Batches that go through before the connection breaks (and the server is unreachable);
    // -1: no limit.
    int writesBeforeBreak = -1;
    // Batches of this port are refused (as a read-only database refuses them).
    int refusePort = 0;
    // Readings with this value are refused as data, alone.
    QString badValue;
    // The last deletion mirrored.
    qint64 removalsDone = 0;
    QList<QList<CentralDeletion>> mirrors;
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
    // The current row of a quantity, or the one a deletion removed.
    std::optional<Row> row(const QString &desk, int port, QDate day, qint64 quantity,
                           qint64 removal = 0) const
    {
        const QMutexLocker lock(&mutex);
        const auto it = rows.constFind({desk, port, day, quantity, removal});
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
        m_open = m_server->reachable && !m_server->refusePassword && !m_aborted;
        m_passwordRefused = m_server->reachable && m_server->refusePassword;
        m_error = m_open              ? QString()
                  : m_passwordRefused ? QStringLiteral("connection to server at \"db.lan\" "
                                                       "failed: FATAL:  password authentication "
                                                       "failed for user \"kestrim\"")
                                      : QStringLiteral("connection refused");
        return m_open;
    }
    bool passwordRefused() const override { return m_passwordRefused; }
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
        m_setAside.clear();
        if (batch.port == m_server->refusePort) {
            m_error = QStringLiteral("cannot execute INSERT in a read-only transaction");
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
        for (const CentralReading &reading : batch.readings) {
            if (!m_server->badValue.isEmpty() && reading.value == m_server->badValue) {
                m_setAside.append({reading.quantity, QStringLiteral("invalid input syntax")});
                continue;
            }
            m_server->rows[{m_desk, batch.port, batch.day, reading.quantity, 0}] = {reading, false};
        }
        return Outcome::Written;
    }

    Outcome mirror(const QList<CentralDeletion> &deletions) override
    {
        const QMutexLocker lock(&m_server->mutex);
        if (!m_open || !m_server->reachable || m_aborted) {
            m_open = false;
            m_error = QStringLiteral("server closed the connection unexpectedly");
            return Outcome::Unreachable;
        }
        m_server->mirrors.append(deletions);
        auto &rows = m_server->rows;
        QMap<std::pair<int, QDate>, qint64> kept;
        qint64 last = m_server->removalsDone;
        for (const CentralDeletion &deletion : deletions) {
            if (deletion.number <= m_server->removalsDone)
                continue;
            last = std::max(last, deletion.number);
            const auto current = [&](const FakeCentralServer::Key &key) {
                return std::get<0>(key) == m_desk && std::get<1>(key) == deletion.port &&
                       std::get<2>(key) == deletion.day && std::get<4>(key) == 0;
            };
            const auto move = [&](FakeCentralServer::Key key) {
                FakeCentralServer::Row row = rows.take(key);
                row.deleted = true;
                std::get<4>(key) = deletion.number;
                rows.insert(key, row);
            };
            if (deletion.all) {
                for (const FakeCentralServer::Key &key : rows.keys())
                    if (current(key))
                        move(key);
            }
            for (const CentralReading &removed : deletion.removed) {
                std::optional<FakeCentralServer::Key> found;
                for (auto it = rows.begin(); it != rows.end(); ++it) {
                    const CentralReading &r = it->reading;
                    if (current(it.key()) && r.time == removed.time && r.value == removed.value &&
                        r.unit == removed.unit &&
                        (!found || std::get<3>(it.key()) == removed.quantity))
                        found = it.key();
                }
                if (found)
                    move(*found);
            }
            kept[{deletion.port, deletion.day}] = deletion.all ? 0 : deletion.kept;
        }
        for (auto it = kept.begin(); it != kept.end(); ++it)
            for (const FakeCentralServer::Key &key : rows.keys())
                if (std::get<0>(key) == m_desk && std::get<1>(key) == it.key().first &&
                    std::get<2>(key) == it.key().second && std::get<4>(key) == 0 &&
                    std::get<3>(key) > it.value())
                    rows.remove(key);
        m_server->removalsDone = last;
        return Outcome::Written;
    }
    QList<CentralSetAside> setAside() const override { return m_setAside; }

private:
    std::shared_ptr<FakeCentralServer> m_server;
    QString m_desk;
    bool m_open = false;
    bool m_passwordRefused = false;
    bool m_aborted = false;
    QString m_error;
    QList<CentralSetAside> m_setAside;
};

// How a failed comparison shows a status.
inline char *toString(const CentralStatus &status)
{
    static const char *const links[] = {"unknown", "reachable", "unreachable", "refusing",
                                        "password refused"};
    return qstrdup(QByteArray(links[int(status.link)]) + ", " + QByteArray::number(status.waiting) +
                   " waiting, " + QByteArray::number(status.missing) + " missing, " +
                   QByteArray::number(status.setAside) + " set aside, reason " +
                   status.reason.toUtf8());
}

// The link and the count of a status, for comparing without its reason.
inline CentralStatus LinkAndWaiting(const CentralStatus &status)
{
    return {status.link, status.waiting};
}
