#include "regularfile.h"

#include <QFileInfo>

#if !defined(Q_OS_WIN)
#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace RegularFile {

QString NotRegularText()
{
    return QStringLiteral("it is not a regular file (a named pipe, a socket or a device); it was "
                          "not opened");
}

bool Usable(const QString &path, QString *error)
{
    const QFileInfo info(path);
    if (!info.exists() || info.isFile() || info.isDir())
        return true;
    if (error)
        *error = NotRegularText();
    return false;
}

#if defined(Q_OS_WIN)

bool Open(QFile &file, QIODevice::OpenMode mode, QString *error)
{
    // Windows has no FIFOs in the file system; a device name ("CON", "COM1") is no file.
    if (!Usable(file.fileName(), error))
        return false;
    if (file.open(mode))
        return true;
    if (error)
        *error = file.errorString();
    return false;
}

#else

namespace {

int OpenFlags(QIODevice::OpenMode mode)
{
    int flags = O_NONBLOCK | O_NOCTTY | O_CLOEXEC;
    const bool reads = mode.testFlag(QIODevice::ReadOnly);
    const bool writes = mode.testFlag(QIODevice::WriteOnly) || mode.testFlag(QIODevice::Append);
    flags |= reads && writes ? O_RDWR : writes ? O_WRONLY : O_RDONLY;
    if (writes)
        flags |= O_CREAT;
    if (mode.testFlag(QIODevice::Append))
        flags |= O_APPEND;
    // QFile empties a file opened only for writing, unless told to append or keep it.
    else if (mode.testFlag(QIODevice::Truncate) ||
             (writes && !reads && !mode.testFlag(QIODevice::ExistingOnly)))
        flags |= O_TRUNC;
    if (mode.testFlag(QIODevice::NewOnly))
        flags |= O_EXCL;
    return flags;
}

} // namespace

bool Open(QFile &file, QIODevice::OpenMode mode, QString *error)
{
    const QByteArray name = QFile::encodeName(file.fileName());
    int flags = OpenFlags(mode);
    // Truncating happens at open(), before the handle can be looked at: a device or pipe is
    // first opened without it and emptied only once it is known to be a regular file.
    const bool truncate = (flags & O_TRUNC) != 0;
    flags &= ~O_TRUNC;
    const int descriptor = ::open(name.constData(), flags, 0666);
    if (descriptor < 0) {
        if (error)
            *error = qt_error_string(errno);
        return false;
    }
    struct stat status {};
    if (::fstat(descriptor, &status) != 0 || !S_ISREG(status.st_mode)) {
        const int reason = errno;
        ::close(descriptor);
        if (error)
            *error = S_ISREG(status.st_mode) ? qt_error_string(reason) : NotRegularText();
        return false;
    }
    // A regular file: reads and writes wait as usual from here on.
    const int current = ::fcntl(descriptor, F_GETFL);
    if ((current < 0 || ::fcntl(descriptor, F_SETFL, current & ~O_NONBLOCK) != 0) ||
        (truncate && ::ftruncate(descriptor, 0) != 0)) {
        const int reason = errno;
        ::close(descriptor);
        if (error)
            *error = qt_error_string(reason);
        return false;
    }
    if (!file.open(descriptor, mode & ~QIODevice::OpenMode(QIODevice::Truncate),
                   QFileDevice::AutoCloseHandle)) {
        ::close(descriptor);
        if (error)
            *error = file.errorString();
        return false;
    }
    return true;
}

#endif

std::optional<QByteArray> ReadAll(const QString &path, QString *error)
{
    if (error)
        error->clear();
    if (!QFileInfo::exists(path) && !QFileInfo(path).isSymLink())
        return std::nullopt;
    QFile file(path);
    if (!Open(file, QIODevice::ReadOnly, error))
        return std::nullopt;
    QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError) {
        if (error)
            *error = file.errorString();
        return std::nullopt;
    }
    return bytes;
}

} // namespace RegularFile
