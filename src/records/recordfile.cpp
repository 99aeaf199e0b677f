#include "records/recordfile.h"

#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

#include <cerrno>

#if defined(Q_OS_WIN)
#include <io.h>
#else
#include <unistd.h>
#endif

namespace {

// Record files are ASCII text with Windows line ends, on every platform, so files move between
// systems unchanged.
constexpr char kLineEnd[] = "\r\n";

bool SyncData(QFile &file)
{
#if defined(Q_OS_WIN)
    return ::_commit(file.handle()) == 0;
#elif defined(Q_OS_LINUX)
    return ::fdatasync(file.handle()) == 0;
#else
    return ::fsync(file.handle()) == 0;
#endif
}

// What completes the file's last line: nothing when it ends in a line break (or is empty),
// otherwise the rest of a CR LF. A file written by hand, or cut short, may end inside a line.
QByteArray LineBreakOwed(QFile &file, qint64 size)
{
    char last = '\n';
    if (size > 0 && !(file.seek(size - 1) && file.getChar(&last)))
        last = '\n'; // unreadable: the write that follows reports the problem
    return last == '\n' ? QByteArray() : last == '\r' ? QByteArray("\n") : QByteArray(kLineEnd);
}

} // namespace

bool RecordFileUsable(const QString &path, QString *error)
{
    const QFileInfo info(path);
    // A folder fails to open at once, with the system's own reason.
    if (!info.exists() || info.isFile() || info.isDir())
        return true;
    if (error)
        *error = QStringLiteral("it is not a regular file (a named pipe or a device); it was "
                                "not opened");
    return false;
}

bool AppendRecordLine(const QString &path, const QString &line, QString *error)
{
    if (!RecordFileUsable(path, error))
        return false;
    QFile file(path);
    // Unbuffered: the line leaves in one write() instead of waiting in Qt's buffer.
    if (!file.open(QIODevice::ReadWrite | QIODevice::Append | QIODevice::Unbuffered)) {
        *error = file.errorString();
        return false;
    }
    const qint64 before = file.size();
    // The record starts on a line of its own, never glued to the end of the last one.
    const QByteArray bytes = LineBreakOwed(file, before) + line.toUtf8() + kLineEnd;
    if (file.write(bytes) != bytes.size()) {
        *error = file.errorString();
    } else if (!SyncData(file)) {
        *error = qt_error_string(errno);
    } else {
        return true;
    }
    // A torn line would be read back as a record; take it back so the file holds whole lines.
    file.resize(before);
    return false;
}

bool ReplaceRecordFile(const QString &path, const QStringList &lines, QString *error)
{
    QByteArray bytes;
    for (const QString &line : lines)
        bytes += line.toUtf8() + kLineEnd;
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size() || !file.commit()) {
        *error = file.errorString();
        return false;
    }
    return true;
}
