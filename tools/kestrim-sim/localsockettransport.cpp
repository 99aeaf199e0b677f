#include "localsockettransport.h"

#include "device/privatesocket.h"

#include <QLocalServer>
#include <QLocalSocket>

#include <cstdio>

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
    // In a folder only this user can enter (see PrivateSocket), where the host looks for it.
    QString problem;
    const QString path = PrivateSocket::Resolve(m_name, &problem);
    if (path.isEmpty()) {
        m_errorString = QStringLiteral("cannot serve the pipe %1: %2").arg(m_name, problem);
        return false;
    }
    m_server = new QLocalServer(this);
    // Only this user may connect (a Unix socket's mode; the pipe's security on Windows).
    m_server->setSocketOptions(QLocalServer::UserAccessOption);
    bool listening = m_server->listen(path);
    // A Unix socket left behind by a simulator that was killed: its name is free again once the
    // file is gone. (A named pipe goes with its last handle.) One that answers belongs to a
    // simulator still running and is left alone.
    if (!listening && m_server->serverError() == QAbstractSocket::AddressInUseError &&
        !Answers(path) && QLocalServer::removeServer(path))
        listening = m_server->listen(path);
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
        // A process of another user is never the host (SO_PEERCRED on Linux).
        if (QString problem; !PrivateSocket::PeerIsThisUser(socket->socketDescriptor(), &problem)) {
            std::fprintf(stderr, "kestrim-sim: refused a connection: %s\n", qPrintable(problem));
            std::fflush(stderr);
            socket->abort();
            socket->deleteLater();
            continue;
        }
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
