#include "pgconnection.h"

#include "logging.h"

#include <libpq-fe.h>

#include <QRegularExpression>

#ifdef Q_OS_WIN
#include <winsock2.h>
#else
#include <poll.h>
#endif

#include <vector>

namespace {

// How often a wait looks whether it was aborted.
constexpr int kSliceMs = 100;

// libpq's messages end in a newline and may run over several lines.
QString Message(const char *text)
{
    return QString::fromUtf8(text).trimmed().replace(u'\n', QStringLiteral("; "));
}

// What a connection that failed to start says, and whether it failed on the password. The
// server's message is in its own language, so the verbose form, which carries the SQLSTATE
// ("FATAL:  28P01: …"), is asked for while connecting and told apart by the code; its
// LOCATION line and the code itself are left out of what is shown.
QString StartFailure(PGconn *conn, bool *passwordRefused)
{
    static const QRegularExpression code(QStringLiteral("(FATAL|ERROR):  ([0-9A-Z]{5}): "));
    QString text = QString::fromUtf8(PQerrorMessage(conn));
    const QRegularExpressionMatch found = code.match(text);
    // 28P01: invalid_password; libpq's own words when it had no password to give.
    *passwordRefused = (found.hasMatch() && found.captured(2) == QStringLiteral("28P01")) ||
                       text.contains(QStringLiteral("no password supplied"));
    if (found.hasMatch())
        text.replace(found.capturedStart(2), found.capturedLength(2) + 2, QString());
    QStringList lines = text.split(u'\n', Qt::SkipEmptyParts);
    lines.removeIf(
        [](const QString &line) { return line.startsWith(QStringLiteral("LOCATION:")); });
    return Message(lines.join(u'\n').toUtf8().constData());
}

} // namespace

PgResult::PgResult(pg_result *result)
    : m_result(result, PQclear)
{}

int PgResult::rows() const
{
    return m_result ? PQntuples(m_result.get()) : 0;
}

QString PgResult::text(int row, int column) const
{
    return QString::fromUtf8(PQgetvalue(m_result.get(), row, column));
}

bool PgResult::isNull(int row, int column) const
{
    return PQgetisnull(m_result.get(), row, column) != 0;
}

PgConnection::PgConnection(CentralSettings settings, const QString &purpose)
    : m_settings(std::move(settings))
    , m_purpose(purpose)
{}

PgConnection::~PgConnection()
{
    close();
}

bool PgConnection::isOpen() const
{
    return m_conn && PQstatus(m_conn) == CONNECTION_OK;
}

int PgConnection::socket() const
{
    return m_conn ? PQsocket(m_conn) : -1;
}

void PgConnection::close()
{
    if (m_conn)
        PQfinish(m_conn);
    m_conn = nullptr;
}

void PgConnection::abort()
{
    m_aborted = true;
}

bool PgConnection::failLost(const QString &why)
{
    m_error = why;
    m_sqlState.clear();
    m_failure = Failure::Lost;
    close();
    return false;
}

bool PgConnection::open()
{
    if (isOpen())
        return true;
    return connect();
}

bool PgConnection::connect()
{
    close();
    if (m_aborted)
        return failLost(QStringLiteral("stopped"));
    const QList<QPair<QString, QString>> parameters = m_settings.connectParameters(m_purpose);
    std::vector<QByteArray> texts;
    texts.reserve(size_t(parameters.size()) * 2);
    std::vector<const char *> keywords, values;
    for (const auto &[keyword, value] : parameters) {
        texts.push_back(keyword.toUtf8());
        keywords.push_back(texts.back().constData());
        texts.push_back(value.toUtf8());
        values.push_back(texts.back().constData());
    }
    keywords.push_back(nullptr);
    values.push_back(nullptr);
    const QDeadlineTimer deadline(m_settings.answerLimitMs);
    m_conn = PQconnectStartParams(keywords.data(), values.data(), 0);
    if (!m_conn)
        return failLost(QStringLiteral("out of memory"));
    if (PQstatus(m_conn) == CONNECTION_BAD)
        return failLost(Message(PQerrorMessage(m_conn)));
    PQsetErrorVerbosity(m_conn, PQERRORS_VERBOSE);
    PostgresPollingStatusType state = PGRES_POLLING_WRITING;
    while (state != PGRES_POLLING_OK) {
        if (state == PGRES_POLLING_FAILED) {
            bool passwordRefused = false;
            failLost(StartFailure(m_conn, &passwordRefused));
            if (passwordRefused)
                m_failure = Failure::PasswordRefused;
            return false;
        }
        if (!wait(state == PGRES_POLLING_WRITING, deadline))
            return false;
        state = PQconnectPoll(m_conn);
    }
    PQsetErrorVerbosity(m_conn, PQERRORS_DEFAULT);
    if (PQsetnonblocking(m_conn, 1) != 0)
        return failLost(Message(PQerrorMessage(m_conn)));
    m_failure = Failure::None;
    qCInfo(lcCentral).noquote() << "the" << m_purpose << "connected to" << m_settings.identity()
                                << (PQsslInUse(m_conn) ? "over TLS" : "without TLS");
    return true;
}

bool PgConnection::wait(bool forWriting, QDeadlineTimer deadline)
{
    for (;;) {
        if (m_aborted)
            return failLost(QStringLiteral("stopped"));
        const qint64 left = deadline.remainingTime();
        if (left <= 0)
            return failLost(QStringLiteral("the server did not answer within %1 s")
                                .arg(m_settings.answerLimitMs / 1000.0));
        const int socket = PQsocket(m_conn);
        if (socket < 0)
            return failLost(Message(PQerrorMessage(m_conn)));
#ifdef Q_OS_WIN
        WSAPOLLFD watched{SOCKET(socket), SHORT(forWriting ? POLLWRNORM : POLLRDNORM), 0};
        const int ready = WSAPoll(&watched, 1, int(std::min<qint64>(left, kSliceMs)));
#else
        pollfd watched{socket, short(forWriting ? POLLOUT : POLLIN), 0};
        const int ready = ::poll(&watched, 1, int(std::min<qint64>(left, kSliceMs)));
#endif
        if (ready > 0)
            return true;
        if (ready < 0 && errno != EINTR)
            return failLost(QStringLiteral("cannot watch the connection: %1").arg(errno));
    }
}

void PgConnection::rollback()
{
    const QString error = m_error, sqlState = m_sqlState;
    const Failure failure = m_failure;
    if (!isOpen() || !run(QStringLiteral("ROLLBACK")))
        return;
    m_error = error;
    m_sqlState = sqlState;
    m_failure = failure;
}

bool PgConnection::run(const QString &sql, const QStringList &values, PgResult *result)
{
    if (!isOpen())
        return failLost(m_error.isEmpty() ? QStringLiteral("not connected") : m_error);
    const QDeadlineTimer deadline(m_settings.answerLimitMs);
    const QByteArray statement = sql.toUtf8();
    std::vector<QByteArray> texts;
    std::vector<const char *> parameters;
    texts.reserve(size_t(values.size()));
    for (const QString &value : values) {
        texts.push_back(value.toUtf8());
        parameters.push_back(texts.back().constData());
    }
    if (!PQsendQueryParams(m_conn, statement.constData(), int(parameters.size()), nullptr,
                           parameters.data(), nullptr, nullptr, 0))
        return failLost(Message(PQerrorMessage(m_conn)));
    // What libpq could not send at once.
    for (int flushed = PQflush(m_conn); flushed != 0; flushed = PQflush(m_conn)) {
        if (flushed < 0)
            return failLost(Message(PQerrorMessage(m_conn)));
        if (!wait(true, deadline))
            return false;
        if (!PQconsumeInput(m_conn))
            return failLost(Message(PQerrorMessage(m_conn)));
    }
    PgResult last;
    pg_result *failed = nullptr;
    for (;;) {
        while (PQisBusy(m_conn)) {
            if (!wait(false, deadline)) {
                if (failed)
                    PQclear(failed);
                return false;
            }
            if (!PQconsumeInput(m_conn)) {
                if (failed)
                    PQclear(failed);
                return failLost(Message(PQerrorMessage(m_conn)));
            }
        }
        pg_result *next = PQgetResult(m_conn);
        if (!next)
            break;
        const ExecStatusType status = PQresultStatus(next);
        if (status == PGRES_TUPLES_OK || status == PGRES_COMMAND_OK) {
            last = PgResult(next);
        } else if (!failed) {
            failed = next;
        } else {
            PQclear(next);
        }
    }
    if (failed) {
        const char *primary = PQresultErrorField(failed, PG_DIAG_MESSAGE_PRIMARY);
        m_error = Message(primary ? primary : PQresultErrorMessage(failed));
        m_sqlState = QString::fromLatin1(PQresultErrorField(failed, PG_DIAG_SQLSTATE));
        PQclear(failed);
        if (PQstatus(m_conn) != CONNECTION_OK)
            return failLost(m_error);
        m_failure = m_sqlState.startsWith(QStringLiteral("22")) ||
                            m_sqlState.startsWith(QStringLiteral("23"))
                        ? Failure::Data
                        : Failure::Refused;
        return false;
    }
    if (PQstatus(m_conn) != CONNECTION_OK)
        return failLost(Message(PQerrorMessage(m_conn)));
    m_failure = Failure::None;
    if (result)
        *result = last;
    return true;
}
