#include "localsockettransport.h"

#include <QLocalServer>
#include <QLocalSocket>

namespace {

bool Answers(const QString &name)
{
    QLocalSocket probe;
    probe.connectToServer(name);
    const bool answered = probe.waitForConnected(1000);
    probe.abort();
    return answered;
}

} // namespace

LocalSocketTransport::LocalSocketTransport(const QString &name, QObject *parent)
    : SimTransport(parent)
    , m_name(name)
{}

LocalSocketTransport::~LocalSocketTransport()
{
    if (m_host)
        m_host->abort();
}

bool LocalSocketTransport::open()
{
    m_server = new QLocalServer(this);
    // Only this user may connect (a Unix socket's mode; the pipe's security on Windows).
    m_server->setSocketOptions(QLocalServer::UserAccessOption);
    bool listening = m_server->listen(m_name);
    // A Unix socket left behind by a simulator that was killed: its name is free again once the
    // file is gone. (A named pipe goes with its last handle.) One that answers belongs to a
    // simulator still running and is left alone.
    if (!listening && m_server->serverError() == QAbstractSocket::AddressInUseError &&
        !Answers(m_name) && QLocalServer::removeServer(m_name))
        listening = m_server->listen(m_name);
    if (!listening) {
        m_errorString =
            QStringLiteral("cannot serve the pipe %1: %2").arg(m_name, m_server->errorString());
        return false;
    }
    connect(m_server, &QLocalServer::newConnection, this, &LocalSocketTransport::accept);
    return true;
}

QString LocalSocketTransport::address() const
{
    return QStringLiteral("pipe:") + m_name;
}

void LocalSocketTransport::accept()
{
    while (QLocalSocket *socket = m_server->nextPendingConnection()) {
        if (m_host) {
            m_host->disconnect(this);
            m_host->abort();
            m_host->deleteLater();
        }
        m_host = socket;
        connect(socket, &QLocalSocket::readyRead, this, [this, socket] {
            const QByteArray bytes = socket->readAll();
            if (!bytes.isEmpty())
                emit received(bytes);
        });
        connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
    }
}

bool LocalSocketTransport::write(QByteArrayView bytes)
{
    if (!m_host || m_host->state() != QLocalSocket::ConnectedState) {
        m_errorString = QStringLiteral("no host is connected");
        return false;
    }
    if (m_host->write(bytes.data(), bytes.size()) != bytes.size()) {
        m_errorString = m_host->errorString();
        return false;
    }
    m_host->flush();
    return true;
}
