#include "privatesocket.h"

#include <QDir>
#include <QFile>
#include <QRegularExpression>

#if !defined(Q_OS_WIN)
#include <cerrno>
#include <sys/socket.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace PrivateSocket {

namespace {

#if !defined(Q_OS_WIN)
// A folder that is this user's own and that no one else may enter or write: not a link, owned
// by this user, no access for the group or others.
bool Private(const QString &path)
{
    struct stat status {};
    if (::lstat(QFile::encodeName(path).constData(), &status) != 0)
        return false;
    return S_ISDIR(status.st_mode) && status.st_uid == ::getuid() &&
           (status.st_mode & (S_IRWXG | S_IRWXO)) == 0;
}
#endif

} // namespace

QString Folder(QString *error)
{
#if defined(Q_OS_WIN)
    Q_UNUSED(error);
    return {};
#else
    const QString runtime = qEnvironmentVariable("XDG_RUNTIME_DIR");
    if (!runtime.isEmpty() && Private(runtime))
        return QDir::cleanPath(runtime);
    const QString own = QDir::tempPath() + QStringLiteral("/kestrim-%1").arg(::getuid());
    // Made with no access for anyone else; a folder already there must be this user's own and
    // closed to others (someone else may have made it first, to listen in).
    if (::mkdir(QFile::encodeName(own).constData(), 0700) != 0 && errno != EEXIST) {
        *error = QStringLiteral("the private socket folder %1 cannot be made: %2")
                     .arg(own, qt_error_string(errno));
        return {};
    }
    if (!Private(own)) {
        *error = QStringLiteral("%1 is not a folder of this user's that only this user may "
                                "enter; no local socket is used there")
                     .arg(own);
        return {};
    }
    return own;
#endif
}

QString Resolve(const QString &name, QString *error)
{
    static const QRegularExpression plain(QStringLiteral("^[A-Za-z0-9][A-Za-z0-9._-]{0,99}$"));
    if (!plain.match(name).hasMatch()) {
        *error = QStringLiteral("\"pipe:\" takes a plain name (letters, digits, '.', '_', '-'), "
                                "not a path");
        return {};
    }
#if defined(Q_OS_WIN)
    return name;
#else
    const QString folder = Folder(error);
    return folder.isEmpty() ? QString() : folder + u'/' + name;
#endif
}

bool PeerIsThisUser(qintptr descriptor, QString *error)
{
#if defined(Q_OS_LINUX)
    ucred peer{};
    socklen_t size = sizeof peer;
    if (::getsockopt(int(descriptor), SOL_SOCKET, SO_PEERCRED, &peer, &size) != 0) {
        *error = QStringLiteral("who is at the socket's other end cannot be told: %1")
                     .arg(qt_error_string(errno));
        return false;
    }
    if (peer.uid == ::getuid())
        return true;
    *error = QStringLiteral("the socket's other end runs as another user (uid %1); it was not "
                            "used")
                 .arg(peer.uid);
    return false;
#else
    Q_UNUSED(descriptor);
    Q_UNUSED(error);
    return true;
#endif
}

} // namespace PrivateSocket
