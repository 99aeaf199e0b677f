// One connection to the central PostgreSQL server through libpq, used on one thread, with the
// schema brought up to date each time it connects.
//
// Nothing here ever waits on the server without a deadline: connecting is libpq's asynchronous
// connect and every statement is sent without waiting, and then the socket is watched in short
// slices until the answer, the deadline (the settings' answer limit) or abort() from another
// thread, whichever comes first. So a server that accepts and never answers, a link that drops
// packets or a desk that is closing never holds the thread for longer than that. The socket is
// only ever used while the connection that owns it is open; nothing outside libpq touches it.
#pragma once

#include "centralsettings.h"

#include <QDeadlineTimer>
#include <QString>
#include <QStringList>

#include <atomic>
#include <memory>

struct pg_conn;
struct pg_result;

// A statement's answer: its rows as text.
class PgResult {
public:
    PgResult() = default;
    explicit PgResult(pg_result *result);
    int rows() const;
    QString text(int row, int column) const;
    bool isNull(int row, int column) const;

private:
    std::shared_ptr<pg_result> m_result;
};

class PgConnection {
public:
    // How a failed call failed.
    enum class Failure : quint8 {
        None,
        Lost,            // no connection, no answer in time, or aborted: try again later
        Data,            // the server refused the values (SQLSTATE class 22 or 23)
        Refused,         // any other error the server answered with: try again later
        PasswordRefused, // the server turned the password down (or none was given)
    };

    // `purpose` names the connection ("sender", "reader") in the server's view and the log.
    PgConnection(CentralSettings settings, const QString &purpose);
    ~PgConnection();
    PgConnection(const PgConnection &) = delete;
    PgConnection &operator=(const PgConnection &) = delete;

    // Connects when not connected. False: see error(). OpenCurrent() also makes the schema current.
    bool open();
    bool isOpen() const;
    void close();
    // From any thread: whatever waits on the server gives up within a tenth of a second, and
    // every later open() is refused.
    void abort();
    bool aborted() const { return m_aborted; }

    // Runs `sql` with `values` as its parameters $1, $2 … (text; an empty optional is NULL).
    // False: see error(), sqlState() and failure().
    bool run(const QString &sql, const QStringList &values = {}, PgResult *result = nullptr);

    // Rolls the transaction back after a failed statement, keeping why it failed.
    void rollback();

    const QString &error() const { return m_error; }
    const QString &sqlState() const { return m_sqlState; }
    Failure failure() const { return m_failure; }
    // Whether the connection is gone, as opposed to the server refusing a statement.
    bool lost() const { return m_failure == Failure::Lost || !isOpen(); }
    const CentralSettings &settings() const { return m_settings; }
    // The connection's socket, -1 when it has none (for the tests).
    int socket() const;

private:
    bool connect();
    // Waits until the socket can be read (or written) or the deadline passes; false, with the
    // connection closed, when it passed or the connection was aborted.
    bool wait(bool forWriting, QDeadlineTimer deadline);
    bool failLost(const QString &why);

    CentralSettings m_settings;
    QString m_purpose;
    pg_conn *m_conn = nullptr;
    std::atomic<bool> m_aborted = false;
    QString m_error;
    QString m_sqlState;
    Failure m_failure = Failure::None;
};
